// Panel files of any text into the panel model, as zc4100 measure reads them, then the run
// start sequence it would send: every input ends in settings or messages, never in a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "measure/panel_settings.h"
#include "measure/run_start.h"
#include "profile.h"

namespace {

class CSilentUi : public zc::fp::CUserInterface {
 public:
  void ShowMessage(const std::string&, const std::string&, zc::fp::MessageIcon) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CSilentUi ui;
  zc::fp::CPanelModel panel(ui);
  std::vector<std::string> errors;
  zc::fp::ApplyPanelDocument(panel, zc::profile::Document::Parse(text), "fuzz", &errors);
  std::size_t sent = 0;
  zc::fp::SendConfiguration(panel, [&](const std::string&) { ++sent; });
  return 0;
}
