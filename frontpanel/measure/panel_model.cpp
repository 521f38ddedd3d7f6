#include "measure/panel_model.h"

#include "measure/text_value.h"

namespace zc::fp {
namespace {

// The twelve input controls that some functions disable.
const int kInputs[] = {IDC_CH1_SLOPE,    IDC_CH1_SENS,      IDC_CH1_COUPLING, IDC_CH1_IMPEDANCE,
                       IDC_CH1_X10,      IDC_CH1_FILTER,    IDC_CH2_SLOPE,    IDC_CH2_SENS,
                       IDC_CH2_COUPLING, IDC_CH2_IMPEDANCE, IDC_CH2_X10,      IDC_CH2_FILTER};

struct CChannelControls {
  int mode, relative, absolute, slope, sens, coupling, impedance, x10, filter;
};
const CChannelControls kChannel[2] = {
    {IDC_CH1_LEVEL_MODE, IDC_CH1_LEVEL_REL, IDC_CH1_LEVEL_ABS, IDC_CH1_SLOPE, IDC_CH1_SENS,
     IDC_CH1_COUPLING, IDC_CH1_IMPEDANCE, IDC_CH1_X10, IDC_CH1_FILTER},
    {IDC_CH2_LEVEL_MODE, IDC_CH2_LEVEL_REL, IDC_CH2_LEVEL_ABS, IDC_CH2_SLOPE, IDC_CH2_SENS,
     IDC_CH2_COUPLING, IDC_CH2_IMPEDANCE, IDC_CH2_X10, IDC_CH2_FILTER},
};

const std::vector<int> kFreqGroup = {IDC_FREQ, IDC_RATIO};
const std::vector<int> kTimeGroup = {IDC_PERIOD, IDC_EDGE, IDC_WIDTH, IDC_INTVAL};
const std::vector<int> kOtherGroup = {IDC_PHASE, IDC_DUTY, IDC_TOTAL};

const std::vector<int> kLimitControls = {
    IDC_UPPER,      IDC_UPPER_VALUE,   IDC_UPPER_UNIT, IDC_LOWER_LABEL, IDC_LOWER_VALUE,
    IDC_LOWER_UNIT, IDC_ON_FAIL_LABEL, IDC_ON_FAIL,    IDC_OUT,         IDC_OUT_PORT};
const std::vector<int> kMathControls = {IDC_SCALE,        IDC_SCALE_VALUE,  IDC_SCALE_PREFIX,
                                        IDC_OFFSET_LABEL, IDC_OFFSET_VALUE, IDC_OFFSET_PREFIX};
const std::vector<int> kStatisticsControls = {
    IDC_STAT_SHOW,      IDC_STAT_TYPE, IDC_STAT_COUNT_LABEL,  IDC_STAT_COUNT,
    IDC_STAT_USE_LABEL, IDC_STAT_USE,  IDC_STAT_SINGLE_LABEL, IDC_STAT_SINGLE};

const char* const kPrefixItems[] = {"u", "m", " ", "K", "M"};

bool IsVoltOrTotal(MeasFunction f) {
  return f == FUNC_VOLT || f == FUNC_TOTAL;
}

}  // namespace

CTextItem FunctionCaption(MeasFunction function) {
  switch (function) {
    case FUNC_FREQ:
      return {"581", "Freq"};
    case FUNC_RATIO:
      return {"582", "Ratio"};
    case FUNC_PERIOD:
      return {"583", "Period"};
    case FUNC_EDGE:
      return {"584", "Edge"};
    case FUNC_WIDTH:
      return {"585", "Width"};
    case FUNC_INTVAL:
      return {"586", "Intval"};
    case FUNC_VOLT:
      return {"589", "Volt"};
    case FUNC_PHASE:
      return {"594", "Phase 1to2"};
    case FUNC_DUTY:
      return {"595", "Duty Cycl"};
    case FUNC_TOTAL:
      return {"596", "Total CH1"};
  }
  return {"581", "Freq"};
}

CPanelModel::CPanelModel(CUserInterface& ui) : ui_(ui) {
  for (const CControlEntry& entry : PanelControls()) states_[entry.id];
  channelTabs.itemCount = 2;
  channelTabs.selection = 0;
  channelTabs.onSelected = [this](int index) { ShowChannel(index); };
  Initialise();
}

std::string CPanelModel::LookupText(const std::string& key, const std::string& def) const {
  return lookup_ && !key.empty() ? lookup_(key, def) : def;
}

CControlState& CPanelModel::State(int id) {
  return states_[id];
}

const CControlState& CPanelModel::State(int id) const {
  static const CControlState kNone;
  auto it = states_.find(id);
  return it == states_.end() ? kNone : it->second;
}

std::string CPanelModel::SelectedText(int id) const {
  const CControlState& s = State(id);
  return s.selection >= 0 && s.selection < static_cast<int>(s.items.size()) ? s.items[s.selection]
                                                                            : std::string();
}

void CPanelModel::SetSelection(int id, int index) {
  CControlState& s = State(id);
  s.selection = index >= 0 && index < static_cast<int>(s.items.size()) ? index : -1;
}

void CPanelModel::Initialise() {
  for (const CControlEntry& entry : PanelControls()) {
    CControlState& s = states_[entry.id];
    s = CControlState{};
    for (const CTextItem& item : entry.items) s.items.emplace_back(item.text);
    s.selection = entry.initialSelection;
    s.text = entry.kind == CControlKind::Edit ? entry.initialText : entry.label.text;
    s.visible = entry.page == kAlwaysShown ||
                (entry.page == kChannelControl && entry.kind == CControlKind::Label);
  }
  SetChecked(IDC_FREQ, true);
  SetChecked(IDC_PERIOD, true);
  SetChecked(IDC_PHASE, true);
  selectedFunction = previousFunction = FUNC_FREQ;
  selectedPage = 0;
  running = mathFlag = statisticsFlag = false;
  capacity = 101;
  dotsText = "100";
  ShowPage(0);
  channelTabs.disabledList.clear();
  channelTabs.selection = 0;
  ShowChannel(0);
  channelTabs.EnableTab(1, false);
}

// ---- Events ------------------------------------------------------------------------------

void CPanelModel::OnCheckClicked(int id) {
  switch (id) {
    case IDC_FREQ:
      if (Checked(IDC_FREQ)) {
        selectedFunction = FUNC_FREQ;
        SetChecked(IDC_RATIO, false);
        SetRelativeLevels(kRelativeLevel50, kRelativeLevel50);
        ApplyRuleA(FUNC_FREQ);
        EnableInputs();
        CaptionUpdate();
      } else if (!Checked(IDC_RATIO)) {
        SetChecked(IDC_FREQ, true);
      }
      break;
    case IDC_RATIO:
      if (Checked(IDC_RATIO)) {
        selectedFunction = FUNC_RATIO;
        SetChecked(IDC_FREQ, false);
        SetRelativeLevels(kRelativeLevel50, kRelativeLevel50);
        channelTabs.EnableTab(0, true);
        channelTabs.EnableTab(1, true);
        CaptionUpdate();
      } else if (!Checked(IDC_FREQ)) {
        SetChecked(IDC_RATIO, true);
      }
      EnableInputs();
      break;
    case IDC_PERIOD:
      GroupClicked(id, kTimeGroup, FUNC_PERIOD);
      break;
    case IDC_EDGE:
      GroupClicked(id, kTimeGroup, FUNC_EDGE);
      break;
    case IDC_WIDTH:
      GroupClicked(id, kTimeGroup, FUNC_WIDTH);
      break;
    case IDC_INTVAL:
      GroupClicked(id, kTimeGroup, FUNC_INTVAL);
      break;
    case IDC_PHASE:
      GroupClicked(id, kOtherGroup, FUNC_PHASE);
      break;
    case IDC_DUTY:
      GroupClicked(id, kOtherGroup, FUNC_DUTY);
      break;
    case IDC_TOTAL:
      GroupClicked(id, kOtherGroup, FUNC_TOTAL);
      break;
    default:
      break;  // the other boxes are plain settings
  }
}

void CPanelModel::GroupClicked(int id, const std::vector<int>& group, MeasFunction function) {
  if (Checked(id)) {
    selectedFunction = function;
    for (int other : group) {
      if (other != id) SetChecked(other, false);
    }
    ApplyRuleB(function);
    ApplyRuleA(function);
    CaptionUpdate();
    return;
  }
  bool any = false;
  for (int other : group) any = any || Checked(other);
  if (!any) SetChecked(id, true);  // one box of the group stays checked
}

void CPanelModel::OnSelectionChanged(int id, int index) {
  SetSelection(id, index);
  switch (id) {
    case IDC_FREQ_CHANNEL:
      if (Checked(IDC_FREQ)) ApplyRuleA(FUNC_FREQ);
      break;
    case IDC_PERIOD_CHANNEL:
      if (Checked(IDC_PERIOD)) ApplyRuleA(FUNC_PERIOD);
      break;
    case IDC_VOLT_CHANNEL:
      ApplyRuleA(FUNC_VOLT);
      break;
    case IDC_EDGE_LIST:
      if (Checked(IDC_EDGE)) ApplyRuleB(FUNC_EDGE);
      break;
    case IDC_CH1_LEVEL_MODE:
    case IDC_CH2_LEVEL_MODE:
      ShowChannel(channelTabs.selection);
      break;
    case IDC_GATE_SOURCE:
      ApplyGateRule();
      break;
    case IDC_STOP_SOURCE:
      ApplyStopSourceRule();
      break;
    case IDC_ARM_SOURCE:
      ApplyArmSourceRule();
      break;
    case IDC_TOTAL_GATE:
    case IDC_TOTAL_STOP_SOURCE:
      ApplyTotalGateRule();
      break;
    case IDC_DOTS_LIST:
      capacity = TextInteger(SelectedText(IDC_DOTS_LIST)) + 1;
      dotsText = SelectedText(IDC_DOTS_LIST);
      if (onCapacityChanged) onCapacityChanged(capacity);
      break;
    case IDC_READ_SPEED_LIST:
      if (running && onReadSpeedChanged) onReadSpeedChanged(ReadSpeedMs());
      break;
    default:
      break;
  }
}

void CPanelModel::OnChannelTabSelected(int index) {
  if (index < 0 || index >= channelTabs.itemCount) return;
  channelTabs.selection = index;
  ShowChannel(index);
}

int CPanelModel::ReadSpeedMs() const {
  const std::string text = SelectedText(IDC_READ_SPEED_LIST);
  const std::size_t ms = text.find("ms");
  // The number is what stands before the blank in front of "ms".
  return TextInteger(ms == std::string::npos || ms == 0 ? text : text.substr(0, ms - 1));
}

void CPanelModel::SetFunctionCaption(MeasFunction function) {
  const CTextItem caption = FunctionCaption(function);
  functionCaption = "( " + LookupText(caption.key, caption.text) + " )";
}

// ---- Page selection ----------------------------------------------------------------------

MeasFunction CPanelModel::CheckedFunctionOnPage(int page) const {
  switch (page) {
    case 0:
      return Checked(IDC_RATIO) && !Checked(IDC_FREQ) ? FUNC_RATIO : FUNC_FREQ;
    case 1:
      if (Checked(IDC_EDGE)) return FUNC_EDGE;
      if (Checked(IDC_WIDTH)) return FUNC_WIDTH;
      if (Checked(IDC_INTVAL)) return FUNC_INTVAL;
      return FUNC_PERIOD;
    case 2:
      return FUNC_VOLT;
    default:
      if (Checked(IDC_DUTY)) return FUNC_DUTY;
      if (Checked(IDC_TOTAL)) return FUNC_TOTAL;
      return FUNC_PHASE;
  }
}

void CPanelModel::OnPageSelected(int p) {
  if (p < 0 || p >= kPageCount) return;
  selectedPage = p;
  for (const CControlEntry& entry : PanelControls()) {
    if (entry.page >= 0) Show(entry.id, false);
  }
  const bool functionPage = p <= 3;
  if (functionPage) {
    EnableInputs();
    previousFunction = selectedFunction;
    selectedFunction = CheckedFunctionOnPage(p);
    if (selectedFunction != previousFunction) FunctionChangeReset();
    ShowPage(p);
    // Only disabling here; what is not named keeps its state.
    switch (p) {
      case 0:
        if (Checked(IDC_FREQ)) {
          const int ch = Selection(IDC_FREQ_CHANNEL);
          if (ch == 0) channelTabs.EnableTab(1, false);
          if (ch == 1) channelTabs.EnableTab(0, false);
        }
        break;
      case 1:
        if (Checked(IDC_PERIOD)) {
          const int ch = Selection(IDC_PERIOD_CHANNEL);
          if (ch == 0) channelTabs.EnableTab(1, false);
          if (ch == 1) channelTabs.EnableTab(0, false);
        }
        if (Checked(IDC_WIDTH)) channelTabs.EnableTab(1, false);
        if (Checked(IDC_EDGE)) {
          for (int id : {IDC_CH1_SLOPE, IDC_CH2_SLOPE, IDC_CH2_SENS, IDC_CH2_COUPLING,
                         IDC_CH2_IMPEDANCE, IDC_CH2_X10, IDC_CH2_FILTER}) {
            Enable(id, false);
          }
        }
        if (Checked(IDC_WIDTH)) Enable(IDC_CH1_SLOPE, false);
        break;
      case 2: {
        const int ch = Selection(IDC_VOLT_CHANNEL);
        if (ch == 0) channelTabs.EnableTab(1, false);
        if (ch == 1) channelTabs.EnableTab(0, false);
        break;
      }
      case 3:
        if (Checked(IDC_DUTY)) {
          channelTabs.EnableTab(1, false);
          Enable(IDC_CH1_SLOPE, false);
        }
        if (Checked(IDC_TOTAL)) channelTabs.EnableTab(1, false);
        break;
    }
  } else if (p == 4) {
    Show(IDC_TIMEBASE, true);
    Show(IDC_TIMEBASE_SOURCE, true);
  } else if (p == 5) {
    switch (selectedFunction) {
      case FUNC_FREQ:
      case FUNC_RATIO:
      case FUNC_PERIOD:
        Show(IDC_GATE_LABEL, true);
        Show(IDC_GATE_SOURCE, true);
        ApplyGateRule();
        break;
      case FUNC_EDGE:
      case FUNC_WIDTH:
      case FUNC_PHASE:
      case FUNC_DUTY:
        Show(IDC_GATE_LABEL, true);
        Show(IDC_ARM_SOURCE, true);
        ApplyArmSourceRule();
        break;
      case FUNC_TOTAL:
        Show(IDC_GATE_LABEL, true);
        Show(IDC_TOTAL_GATE, true);
        ApplyTotalGateRule();
        break;
      case FUNC_INTVAL:
        break;  // nothing to gate
      case FUNC_VOLT:
        BackToPage(2, "Volt No Support !");
        break;
    }
  } else if (p == 6) {
    for (int id : kLimitControls) Show(id, !IsVoltOrTotal(selectedFunction));
    if (previousFunction != selectedFunction) FillUnitLists(selectedFunction);
    if (selectedFunction == FUNC_VOLT) BackToPage(2, "Limit No Support !");
    if (selectedFunction == FUNC_TOTAL) BackToPage(3, "Limit No Support !");
  } else if (p == 7) {
    for (int id : kMathControls) Show(id, !IsVoltOrTotal(selectedFunction));
    if (previousFunction != selectedFunction) {
      CControlState& offset = State(IDC_OFFSET_PREFIX);
      offset.items.clear();
      offset.selection = -1;
      if (!IsVoltOrTotal(selectedFunction)) {
        offset.items.assign(std::begin(kPrefixItems), std::end(kPrefixItems));
        offset.selection = 2;
      }
    }
    if (selectedFunction == FUNC_VOLT) BackToPage(2, "Math No Support !");
    if (selectedFunction == FUNC_TOTAL) BackToPage(3, "Math No Support !");
  } else {
    if (selectedFunction == FUNC_VOLT) {
      BackToPage(2, "Stats No Support !");
    } else if (selectedFunction == FUNC_TOTAL) {
      BackToPage(3, "Stats No Support !");
    } else {
      for (int id : kStatisticsControls) Show(id, true);
    }
  }
  if (functionPage && previousFunction != selectedFunction) ApplyRuleB(selectedFunction);
  if (functionPage) CaptionUpdate();
}

void CPanelModel::ShowPage(int page) {
  for (const CControlEntry& entry : PanelControls()) {
    if (entry.page == page) Show(entry.id, true);
  }
}

void CPanelModel::BackToPage(int page, const char* message) {
  ui_.ShowMessage(message, messageCaption, MessageIcon::Stop);
  selectedPage = page;
  ShowPage(page);
}

void CPanelModel::FillUnitLists(MeasFunction function) {
  static const char* const kFreq[] = {"uHz", "mHz", "Hz", "KHz", "MHz"};
  static const char* const kTime[] = {"pSec", "nSec", "uSec", "mSec", "Sec"};
  static const char* const kDeg[] = {"uDeg", "mDeg", "Deg", "KDeg", "MDeg"};
  static const char* const kPlain[] = {"u", "m", "", "K", "M"};
  const char* const* units = nullptr;
  switch (function) {
    case FUNC_FREQ:
      units = kFreq;
      break;
    case FUNC_PERIOD:
    case FUNC_EDGE:
    case FUNC_WIDTH:
    case FUNC_INTVAL:
      units = kTime;
      break;
    case FUNC_PHASE:
      units = kDeg;
      break;
    case FUNC_RATIO:
    case FUNC_DUTY:
      units = kPlain;
      break;
    case FUNC_VOLT:
    case FUNC_TOTAL:
      break;
  }
  for (int id : {IDC_UPPER_UNIT, IDC_LOWER_UNIT}) {
    CControlState& s = State(id);
    s.items.clear();
    s.selection = -1;
    if (units) {
      s.items.assign(units, units + 5);
      s.selection = 2;
    }
  }
}

void CPanelModel::FunctionChangeReset() {
  if (!running) {
    SetChecked(IDC_UPPER, false);
    SetChecked(IDC_SCALE, false);
    mathFlag = false;
    SetChecked(IDC_STAT_SHOW, false);
    statisticsFlag = false;
  }
  channelTabs.EnableTab(0, true);
  channelTabs.EnableTab(1, true);
}

// ---- Rules -------------------------------------------------------------------------------

void CPanelModel::CaptionUpdate() {
  if (!running) SetFunctionCaption(selectedFunction);
}

void CPanelModel::EnableInputs() {
  for (int id : kInputs) Enable(id, true);
}

void CPanelModel::TabsByChannel(int channelSelection) {
  // Enable first, so disabling the item that shows can move to the other one.
  if (channelSelection == 0) {
    channelTabs.EnableTab(0, true);
    channelTabs.EnableTab(1, false);
  } else if (channelSelection == 1) {
    channelTabs.EnableTab(1, true);
    channelTabs.EnableTab(0, false);
  }
}

void CPanelModel::ApplyRuleA(MeasFunction function) {
  EnableInputs();
  switch (function) {
    case FUNC_FREQ:
      TabsByChannel(Selection(IDC_FREQ_CHANNEL));
      break;
    case FUNC_PERIOD:
      TabsByChannel(Selection(IDC_PERIOD_CHANNEL));
      break;
    case FUNC_VOLT:
      TabsByChannel(Selection(IDC_VOLT_CHANNEL) == 1 ? 1 : 0);
      break;
    case FUNC_RATIO:
    case FUNC_INTVAL:
    case FUNC_PHASE:
      channelTabs.EnableTab(0, true);
      channelTabs.EnableTab(1, true);
      break;
    case FUNC_EDGE:
      channelTabs.EnableTab(0, true);
      channelTabs.EnableTab(1, true);
      for (int id : {IDC_CH1_SLOPE, IDC_CH2_SLOPE, IDC_CH2_SENS, IDC_CH2_COUPLING,
                     IDC_CH2_IMPEDANCE, IDC_CH2_X10, IDC_CH2_FILTER}) {
        Enable(id, false);
      }
      break;
    case FUNC_WIDTH:
      TabsByChannel(0);
      Enable(IDC_CH1_SLOPE, false);
      Enable(IDC_CH2_SLOPE, false);
      break;
    case FUNC_DUTY:
      TabsByChannel(0);
      Enable(IDC_CH1_SLOPE, false);
      break;
    case FUNC_TOTAL:
      TabsByChannel(0);
      break;
  }
}

void CPanelModel::SetRelativeLevels(int ch1Index, int ch2Index) {
  SetSelection(IDC_CH1_LEVEL_REL, ch1Index);
  SetSelection(IDC_CH2_LEVEL_REL, ch2Index);
}

void CPanelModel::ApplyRuleB(MeasFunction function) {
  if (function == FUNC_EDGE) {
    const bool rise = Selection(IDC_EDGE_LIST) != 1;
    SetRelativeLevels(rise ? 0 : 8, rise ? 8 : 0);  // 10 % and 90 %
  } else {
    SetRelativeLevels(kRelativeLevel50, kRelativeLevel50);
  }
}

void CPanelModel::ShowChannel(int index) {
  for (const CChannelControls& c : kChannel) {
    for (int id : {c.mode, c.relative, c.absolute, c.slope, c.sens, c.coupling, c.impedance, c.x10,
                   c.filter}) {
      Show(id, false);
    }
  }
  Show(IDC_PERCENT_UNIT, false);
  Show(IDC_VOLT_UNIT, false);
  if (index < 0 || index > 1) return;
  const CChannelControls& c = kChannel[index];
  for (int id : {c.mode, c.slope, c.sens, c.coupling, c.impedance, c.x10, c.filter}) Show(id, true);
  const bool absolute = Selection(c.mode) == 1;
  Show(absolute ? c.absolute : c.relative, true);
  Show(absolute ? IDC_VOLT_UNIT : IDC_PERCENT_UNIT, true);
}

void CPanelModel::ApplyGateRule() {
  for (int id : {IDC_GATE_TIME, IDC_GATE_TIME_UNIT, IDC_START_LABEL, IDC_START_SLOPE,
                 IDC_STOP_LABEL, IDC_STOP_SOURCE, IDC_STOP_TIME, IDC_STOP_TIME_UNIT, IDC_DIGITS}) {
    Show(id, false);
  }
  switch (Selection(IDC_GATE_SOURCE)) {
    case 0:  // Time
      Show(IDC_GATE_TIME, true);
      Show(IDC_GATE_TIME_UNIT, true);
      break;
    case 1:  // Ext
      for (int id : {IDC_START_LABEL, IDC_START_SLOPE, IDC_STOP_LABEL, IDC_STOP_SOURCE}) {
        Show(id, true);
      }
      ApplyStopSourceRule();
      break;
    case 3:  // Digits
      Show(IDC_DIGITS, true);
      break;
    default:  // Auto
      break;
  }
}

void CPanelModel::ApplyStopSourceRule() {
  const bool time = Selection(IDC_STOP_SOURCE) == 3;
  Show(IDC_STOP_TIME, time);
  Show(IDC_STOP_TIME_UNIT, time);
}

void CPanelModel::ApplyArmSourceRule() {
  const bool ext = Selection(IDC_ARM_SOURCE) == 1;
  Show(IDC_ARM_SLOPE_LABEL, ext);
  Show(IDC_ARM_SLOPE, ext);
}

void CPanelModel::ApplyTotalGateRule() {
  for (int id : {IDC_GATE_TIME, IDC_GATE_TIME_UNIT, IDC_START_LABEL, IDC_START_SLOPE,
                 IDC_STOP_LABEL, IDC_TOTAL_STOP_SOURCE, IDC_STOP_TIME, IDC_STOP_TIME_UNIT}) {
    Show(id, false);
  }
  switch (Selection(IDC_TOTAL_GATE)) {
    case 0:  // Time
      Show(IDC_GATE_TIME, true);
      Show(IDC_GATE_TIME_UNIT, true);
      break;
    case 2: {  // Ext
      for (int id : {IDC_START_LABEL, IDC_START_SLOPE, IDC_STOP_LABEL, IDC_TOTAL_STOP_SOURCE}) {
        Show(id, true);
      }
      const bool time = Selection(IDC_TOTAL_STOP_SOURCE) == 2;
      Show(IDC_STOP_TIME, time);
      Show(IDC_STOP_TIME_UNIT, time);
      break;
    }
    default:  // Auto
      break;
  }
}

}  // namespace zc::fp
