// The settings panel's one store: the state of every control (checks, selections, texts, enabled
// and visible states), the selected function and page, and the rules that keep them consistent
// while the user moves between functions and pages. The window shows this model and reports the
// user's actions to it; Run Start reads its settings from it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "controls/tab_rules.h"
#include "measure/meas_function.h"
#include "measure/panel_controls.h"

namespace zc::fp {

struct CControlState {
  bool checked = false;
  int selection = -1;
  std::string text;
  bool enabled = true;
  bool visible = false;
  std::vector<std::string> items;
};

// The caption of a function as the function name above the chart shows it ("Freq").
CTextItem FunctionCaption(MeasFunction function);

class CPanelModel {
 public:
  using Lookup = std::function<std::string(const std::string& key, const std::string& def)>;

  explicit CPanelModel(CUserInterface& ui);

  // Texts in the user's language; the built-in English ones until the window sets this.
  void SetLookup(Lookup lookup) { lookup_ = std::move(lookup); }
  std::string LookupText(const std::string& key, const std::string& def) const;

  // The start-up state: lists filled, page 0 with Freq on CH1, the CH2 tab disabled.
  void Initialise();

  // Control states.
  CControlState& State(int id);
  const CControlState& State(int id) const;
  bool Checked(int id) const { return State(id).checked; }
  int Selection(int id) const { return State(id).selection; }
  std::string SelectedText(int id) const;
  const std::string& Text(int id) const { return State(id).text; }
  void SetChecked(int id, bool checked) { State(id).checked = checked; }
  void SetSelection(int id, int index);
  void SetText(int id, std::string text) { State(id).text = std::move(text); }
  void Show(int id, bool visible) { State(id).visible = visible; }
  void Enable(int id, bool enabled) { State(id).enabled = enabled; }

  // What the user did. A check box reports after it changed its own state; a list reports its
  // new selection.
  void OnCheckClicked(int id);
  void OnSelectionChanged(int id, int index);
  void OnTextEdited(int id, std::string text) { SetText(id, std::move(text)); }
  void OnPageSelected(int page);
  // The channel tab control changed its selection (after its own filter).
  void OnChannelTabSelected(int index);

  // The function name above the chart, from a function, as a run start also sets it.
  void SetFunctionCaption(MeasFunction function);
  // The read-speed interval in milliseconds: the number in front of " ms".
  int ReadSpeedMs() const;

  // Channel tabs: which items are enabled and which one shows.
  CTabRules channelTabs;

  MeasFunction selectedFunction = FUNC_FREQ;
  MeasFunction previousFunction = FUNC_FREQ;
  int selectedPage = 0;
  bool running = false;
  bool mathFlag = false;
  bool statisticsFlag = false;
  int capacity = 101;
  std::string functionCaption = "(Freq)";
  std::string dotsText = "100";  // under the right end of the chart

  // A read-speed change during a run restarts the reading timer; a dots change resizes the
  // chart's buffer at once.
  std::function<void(int intervalMs)> onReadSpeedChanged;
  std::function<void(int capacity)> onCapacityChanged;

 private:
  void CaptionUpdate();
  void EnableInputs();
  void ApplyRuleA(MeasFunction function);
  void ApplyRuleB(MeasFunction function);
  void ApplyGateRule();
  void ApplyStopSourceRule();
  void ApplyArmSourceRule();
  void ApplyTotalGateRule();
  void ShowChannel(int index);
  void TabsByChannel(int channelSelection);  // CH1, CH2 or CH3 chosen
  void FunctionChangeReset();
  void ShowPage(int page);
  void BackToPage(int page, const char* message);
  void FillUnitLists(MeasFunction function);
  void SetRelativeLevels(int ch1Index, int ch2Index);
  MeasFunction CheckedFunctionOnPage(int page) const;
  void GroupClicked(int id, const std::vector<int>& group, MeasFunction function);

  CUserInterface& ui_;
  Lookup lookup_;
  std::map<int, CControlState> states_;
};

}  // namespace zc::fp
