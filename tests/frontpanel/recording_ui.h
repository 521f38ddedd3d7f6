// A CUserInterface that remembers what the window would have shown.
#pragma once

#include <string>
#include <vector>

#include "app/user_interface.h"

namespace zc::fp::testing {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

class CRecordingUi : public CUserInterface {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  void BeginWaitCursor() override { ++waitDepth, ++waitCursorShown; }
  void EndWaitCursor() override { --waitDepth; }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 7; }

  std::vector<ShownMessage> messages;
  int waitDepth = 0;
  int waitCursorShown = 0;
};

}  // namespace zc::fp::testing
