// What the window's logic needs from the screen: message boxes and the wait cursor. The Qt
// window implements it; tests record what would have been shown.
#pragma once

#include <string>

namespace zc::fp {

// The caption of every message box of the front panel.
inline constexpr const char* messageCaption = "ZC4100_AP";

enum class MessageIcon { Error, Exclamation, Stop, Information, None };

class CUserInterface {
 public:
  virtual ~CUserInterface() = default;
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Width in pixels of a line of the device list in the list's font.
  virtual int TextWidth(const std::string& text) = 0;
};

}  // namespace zc::fp
