#include "measure/panel_controls.h"

#include <cctype>
#include <utility>

namespace zc::fp {
namespace {

using K = CControlKind;

const std::vector<CTextItem> kChannels3 = {{"511", "CH1"}, {"512", "CH2"}, {"520", "CH3"}};
const std::vector<CTextItem> kChannels2 = {{"511", "CH1"}, {"512", "CH2"}};
const std::vector<CTextItem> kPosNeg = {{"533", "Pos"}, {"534", "Neg"}};
const std::vector<CTextItem> kFreqUnits = {
    {"", "uHz"}, {"", "mHz"}, {"", "Hz"}, {"", "KHz"}, {"", "MHz"}};
const std::vector<CTextItem> kRelativeLevels = {{"", "10"}, {"", "20"}, {"", "30"},
                                                {"", "40"}, {"", "50"}, {"", "60"},
                                                {"", "70"}, {"", "80"}, {"", "90"}};

CControlEntry Check(int id, int page, CTextItem label, CDialogRect r) {
  return {id, K::Check, page, label, {}, -1, "", r};
}
CControlEntry Combo(int id, int page, std::vector<CTextItem> items, int sel, CDialogRect r) {
  return {id, K::Combo, page, {"", ""}, std::move(items), sel, "", r};
}
CControlEntry Edit(int id, int page, const char* text, CDialogRect r) {
  return {id, K::Edit, page, {"", ""}, {}, -1, text, r};
}
CControlEntry Label(int id, int page, CTextItem label, CDialogRect r) {
  return {id, K::Label, page, label, {}, -1, "", r};
}

std::vector<CControlEntry> BuildTable() {
  const int C = kChannelControl;
  const int A = kAlwaysShown;
  return {
      // Page 0: frequency and ratio.
      Check(IDC_FREQ, 0, {"581", "  Freq"}, {24, 224, 60, 12}),
      Combo(IDC_FREQ_CHANNEL, 0, kChannels3, 0, {90, 222, 50, 60}),
      Check(IDC_RATIO, 0, {"582", "  Ratio"}, {24, 252, 60, 12}),
      Combo(IDC_RATIO_PAIR, 0, {{"631", "1to2"}, {"632", "1to3"}, {"633", "2to1"}, {"634", "3to1"}},
            0, {90, 250, 50, 60}),
      // Page 1: time and period.
      Check(IDC_PERIOD, 1, {"583", "  Period"}, {24, 224, 60, 12}),
      Combo(IDC_PERIOD_CHANNEL, 1, kChannels3, 0, {90, 222, 50, 60}),
      Check(IDC_EDGE, 1, {"584", "  Edge"}, {24, 252, 60, 12}),
      Combo(IDC_EDGE_LIST, 1, {{"587", "Rise"}, {"588", "Fall"}}, 0, {90, 250, 50, 60}),
      Check(IDC_WIDTH, 1, {"585", "  Width"}, {176, 224, 60, 12}),
      Combo(IDC_WIDTH_POLARITY, 1, kPosNeg, 0, {242, 222, 50, 60}),
      Check(IDC_INTVAL, 1, {"586", "  Intval"}, {176, 252, 60, 12}),
      Combo(IDC_INTVAL_PAIR, 1, {{"631", "1to2"}}, 0, {242, 250, 50, 60}),
      // Page 2: peak volts.
      Label(IDC_VOLT_LABEL, 2, {"589", "Volt"}, {28, 226, 40, 10}),
      Combo(IDC_VOLT_CHANNEL, 2, kChannels2, 0, {70, 222, 50, 60}),
      Label(IDC_VOLT_MODE_LABEL, 2, {"590", "Mode"}, {28, 254, 40, 10}),
      Combo(IDC_VOLT_MODE, 2, {{"592", "Slow"}, {"593", "Fast"}}, 0, {70, 250, 50, 60}),
      Label(IDC_VOLT_SHOW_LABEL, 2, {"591", "Show"}, {176, 226, 40, 10}),
      Combo(IDC_VOLT_VALUE, 2, {{"635", "Vpp"}, {"636", "Vmax"}, {"637", "Vmin"}, {"638", "Vc"}}, 0,
            {218, 222, 50, 60}),
      // Page 3: other measurements.
      Check(IDC_PHASE, 3, {"594", "  Phase 1to2"}, {24, 224, 80, 12}),
      Check(IDC_DUTY, 3, {"595", "  Duty Cycl"}, {24, 252, 80, 12}),
      Check(IDC_TOTAL, 3, {"596", "  Total CH1"}, {176, 224, 80, 12}),
      // Page 4: utility.
      Check(IDC_TIMEBASE, 4, {"597", "  TimeBase"}, {24, 224, 70, 12}),
      Combo(IDC_TIMEBASE_SOURCE, 4, {{"598", "Auto"}, {"599", "Int"}, {"600", "Ext"}}, 0,
            {100, 222, 50, 60}),
      // Page 5: gate and arming. The three gate lists share one place; the function decides
      // which one shows.
      Label(IDC_GATE_LABEL, 5, {"601", "Gate"}, {24, 226, 32, 10}),
      Combo(IDC_GATE_SOURCE, 5,
            {{"602", "Time"}, {"600", "Ext"}, {"598", "Auto"}, {"603", "Digits"}}, 0,
            {58, 222, 50, 60}),
      Combo(IDC_ARM_SOURCE, 5, {{"598", "Auto"}, {"600", "Ext"}}, 0, {58, 222, 50, 60}),
      Combo(IDC_TOTAL_GATE, 5, {{"602", "Time"}, {"598", "Auto"}, {"600", "Ext"}}, 0,
            {58, 222, 50, 60}),
      Edit(IDC_GATE_TIME, 5, "0.1", {116, 222, 44, 13}),
      Label(IDC_GATE_TIME_UNIT, 5, {"", "(Sec)"}, {163, 225, 26, 10}),
      Edit(IDC_DIGITS, 5, "4", {116, 222, 44, 13}),
      Label(IDC_ARM_SLOPE_LABEL, 5, {"514", "Slop"}, {116, 226, 28, 10}),
      Combo(IDC_ARM_SLOPE, 5, kPosNeg, 0, {146, 222, 44, 60}),
      Label(IDC_START_LABEL, 5, {"604", "Start"}, {24, 254, 32, 10}),
      Combo(IDC_START_SLOPE, 5, kPosNeg, 0, {58, 250, 50, 60}),
      Label(IDC_STOP_LABEL, 5, {"605", "Stop"}, {116, 254, 26, 10}),
      Combo(IDC_STOP_SOURCE, 5, {{"598", "Auto"}, {"533", "Pos"}, {"534", "Neg"}, {"602", "Time"}},
            0, {144, 250, 50, 60}),
      Combo(IDC_TOTAL_STOP_SOURCE, 5, {{"533", "Pos"}, {"534", "Neg"}, {"602", "Time"}}, 0,
            {144, 250, 50, 60}),
      Edit(IDC_STOP_TIME, 5, "0.1", {200, 250, 44, 13}),
      Label(IDC_STOP_TIME_UNIT, 5, {"", "(Sec)"}, {247, 253, 26, 10}),
      // Page 6: limit test and its output.
      Check(IDC_UPPER, 6, {"606", "  Upper"}, {20, 224, 56, 12}),
      Edit(IDC_UPPER_VALUE, 6, "", {78, 222, 56, 13}),
      Combo(IDC_UPPER_UNIT, 6, kFreqUnits, 2, {138, 222, 46, 60}),
      Label(IDC_LOWER_LABEL, 6, {"607", "Lower"}, {32, 254, 40, 10}),
      Edit(IDC_LOWER_VALUE, 6, "", {78, 250, 56, 13}),
      Combo(IDC_LOWER_UNIT, 6, kFreqUnits, 2, {138, 250, 46, 60}),
      Label(IDC_ON_FAIL_LABEL, 6, {"628", "OnFail"}, {198, 226, 34, 10}),
      Combo(IDC_ON_FAIL, 6, {{"629", "Go On"}, {"605", "Stop"}}, 0, {236, 222, 50, 60}),
      Check(IDC_OUT, 6, {"608", "  *OUT"}, {194, 252, 40, 12}),
      Combo(IDC_OUT_PORT, 6, {{"", "USB"}, {"", "DB9"}}, 0, {236, 250, 50, 60}),
      // Page 7: scale and offset.
      Check(IDC_SCALE, 7, {"609", "  Scale"}, {20, 224, 56, 12}),
      Edit(IDC_SCALE_VALUE, 7, "1", {78, 222, 56, 13}),
      Combo(IDC_SCALE_PREFIX, 7, {{"", "u"}, {"", "m"}, {"", ""}, {"", "K"}, {"", "M"}}, 2,
            {138, 222, 36, 60}),
      Label(IDC_OFFSET_LABEL, 7, {"610", "Offs"}, {32, 254, 40, 10}),
      Edit(IDC_OFFSET_VALUE, 7, "", {78, 250, 56, 13}),
      Combo(IDC_OFFSET_PREFIX, 7, {{"", "u"}, {"", "m"}, {"", " "}, {"", "K"}, {"", "M"}}, 2,
            {138, 250, 36, 60}),
      // Page 8: statistics.
      Check(IDC_STAT_SHOW, 8, {"591", "  Show"}, {20, 224, 50, 12}),
      Combo(IDC_STAT_TYPE, 8,
            {{"611", "Meas"},
             {"612", "Stdev"},
             {"613", "Max"},
             {"614", "Min"},
             {"615", "Mean"},
             {"625", "Delta"}},
            0, {72, 222, 50, 60}),
      Label(IDC_STAT_COUNT_LABEL, 8, {"616", "N CNT"}, {150, 226, 34, 10}),
      Edit(IDC_STAT_COUNT, 8, "100", {188, 222, 44, 13}),
      Label(IDC_STAT_USE_LABEL, 8, {"617", "Use"}, {32, 254, 36, 10}),
      Combo(IDC_STAT_USE, 8, {{"618", "All"}, {"619", "InLimit"}}, 0, {72, 250, 50, 60}),
      Label(IDC_STAT_SINGLE_LABEL, 8, {"620", "Single"}, {150, 254, 34, 10}),
      Combo(IDC_STAT_SINGLE, 8, {{"621", "Once"}, {"622", "N"}}, 0, {188, 250, 44, 60}),

      // Channel frame: captions shared by both channels, then each channel's controls in the
      // same places.
      Label(IDC_LEVEL_LABEL, C, {"513", "Level"}, {356, 236, 26, 10}),
      Label(IDC_SLOPE_LABEL, C, {"514", "Slope"}, {356, 256, 26, 10}),
      Label(IDC_SENS_LABEL, C, {"515", "Sens"}, {430, 256, 24, 10}),
      Label(IDC_COUPLING_LABEL, C, {"516", "Coupl"}, {356, 276, 26, 10}),
      Label(IDC_IMPEDANCE_LABEL, C, {"517", "Imped"}, {430, 276, 24, 10}),
      Label(IDC_PERCENT_UNIT, C, {"", "(%)"}, {480, 236, 16, 10}),
      Label(IDC_VOLT_UNIT, C, {"", "(V)"}, {480, 236, 16, 10}),
      Combo(IDC_CH1_LEVEL_MODE, C, {{"531", "Auto"}, {"532", "Absolute"}}, 0, {384, 232, 52, 60}),
      Combo(IDC_CH2_LEVEL_MODE, C, {{"531", "Auto"}, {"532", "Absolute"}}, 0, {384, 232, 52, 60}),
      Combo(IDC_CH1_LEVEL_REL, C, kRelativeLevels, kRelativeLevel50, {440, 232, 38, 60}),
      Combo(IDC_CH2_LEVEL_REL, C, kRelativeLevels, kRelativeLevel50, {440, 232, 38, 60}),
      Edit(IDC_CH1_LEVEL_ABS, C, "", {440, 232, 38, 13}),
      Edit(IDC_CH2_LEVEL_ABS, C, "", {440, 232, 38, 13}),
      Combo(IDC_CH1_SLOPE, C, kPosNeg, 0, {384, 252, 42, 60}),
      Combo(IDC_CH2_SLOPE, C, kPosNeg, 0, {384, 252, 42, 60}),
      Combo(IDC_CH1_SENS, C, {{"535", "High"}, {"536", "Middle"}, {"537", "Low"}}, 0,
            {456, 252, 40, 60}),
      Combo(IDC_CH2_SENS, C, {{"535", "High"}, {"536", "Middle"}, {"537", "Low"}}, 0,
            {456, 252, 40, 60}),
      Combo(IDC_CH1_COUPLING, C, {{"538", "AC"}, {"539", "DC"}}, 0, {384, 272, 42, 60}),
      Combo(IDC_CH2_COUPLING, C, {{"538", "AC"}, {"539", "DC"}}, 0, {384, 272, 42, 60}),
      Combo(IDC_CH1_IMPEDANCE, C, {{"540", "1M ohm"}, {"541", "50 ohms"}}, 0, {456, 272, 40, 60}),
      Combo(IDC_CH2_IMPEDANCE, C, {{"540", "1M ohm"}, {"541", "50 ohms"}}, 0, {456, 272, 40, 60}),
      Check(IDC_CH1_X10, C, {"518", "  x10 Atten"}, {356, 294, 68, 12}),
      Check(IDC_CH2_X10, C, {"518", "  x10 Atten"}, {356, 294, 68, 12}),
      Check(IDC_CH1_FILTER, C, {"519", "  100k Filter"}, {428, 294, 70, 12}),
      Check(IDC_CH2_FILTER, C, {"519", "  100k Filter"}, {428, 294, 70, 12}),

      // Acquisition settings.
      Combo(IDC_READ_SPEED_LIST, A,
            {{"", "100 ms"}, {"", "300 ms"}, {"", "500 ms"}, {"", "1000 ms"}, {"", "2000 ms"}}, 0,
            {420, 151, 60, 80}),
      Combo(IDC_DOTS_LIST, A,
            {{"", "50"}, {"", "100"}, {"", "200"}, {"", "300"}, {"", "500"}, {"", "1000"}}, 1,
            {420, 173, 60, 80}),
  };
}

const std::vector<std::pair<int, const char*>>& ControlNames() {
  static const std::vector<std::pair<int, const char*>> names = {
      {IDC_FREQ, "Freq"},
      {IDC_FREQ_CHANNEL, "FreqChannel"},
      {IDC_RATIO, "Ratio"},
      {IDC_RATIO_PAIR, "RatioPair"},
      {IDC_PERIOD, "Period"},
      {IDC_PERIOD_CHANNEL, "PeriodChannel"},
      {IDC_EDGE, "Edge"},
      {IDC_EDGE_LIST, "EdgeType"},
      {IDC_WIDTH, "Width"},
      {IDC_WIDTH_POLARITY, "WidthPolarity"},
      {IDC_INTVAL, "Intval"},
      {IDC_INTVAL_PAIR, "IntvalPair"},
      {IDC_VOLT_CHANNEL, "VoltChannel"},
      {IDC_PHASE, "Phase"},
      {IDC_VOLT_MODE, "VoltMode"},
      {IDC_DUTY, "Duty"},
      {IDC_VOLT_VALUE, "VoltValue"},
      {IDC_TOTAL, "Total"},
      {IDC_TIMEBASE, "TimeBase"},
      {IDC_TIMEBASE_SOURCE, "TimeBaseSource"},
      {IDC_GATE_SOURCE, "GateSource"},
      {IDC_GATE_TIME, "GateTime"},
      {IDC_START_SLOPE, "StartSlope"},
      {IDC_STOP_SOURCE, "StopSource"},
      {IDC_STOP_TIME, "StopTime"},
      {IDC_DIGITS, "Digits"},
      {IDC_ARM_SOURCE, "ArmSource"},
      {IDC_ARM_SLOPE, "ArmSlope"},
      {IDC_TOTAL_GATE, "TotalGate"},
      {IDC_UPPER_UNIT, "UpperUnit"},
      {IDC_UPPER, "Upper"},
      {IDC_UPPER_VALUE, "UpperValue"},
      {IDC_LOWER_UNIT, "LowerUnit"},
      {IDC_LOWER_VALUE, "LowerValue"},
      {IDC_OUT_PORT, "OutPort"},
      {IDC_OUT, "Out"},
      {IDC_SCALE_PREFIX, "ScalePrefix"},
      {IDC_SCALE_VALUE, "ScaleValue"},
      {IDC_SCALE, "Scale"},
      {IDC_OFFSET_PREFIX, "OffsetPrefix"},
      {IDC_OFFSET_VALUE, "OffsetValue"},
      {IDC_STAT_SHOW, "StatShow"},
      {IDC_STAT_TYPE, "StatType"},
      {IDC_STAT_COUNT, "StatCount"},
      {IDC_STAT_USE, "StatUse"},
      {IDC_STAT_SINGLE, "StatSingle"},
      {IDC_TOTAL_STOP_SOURCE, "TotalStopSource"},
      {IDC_ON_FAIL, "OnFail"},
      {IDC_CH1_LEVEL_ABS, "Ch1LevelAbs"},
      {IDC_CH2_LEVEL_ABS, "Ch2LevelAbs"},
      {IDC_CH1_LEVEL_MODE, "Ch1LevelMode"},
      {IDC_CH1_LEVEL_REL, "Ch1LevelRel"},
      {IDC_CH2_LEVEL_MODE, "Ch2LevelMode"},
      {IDC_CH2_LEVEL_REL, "Ch2LevelRel"},
      {IDC_CH1_SLOPE, "Ch1Slope"},
      {IDC_CH1_SENS, "Ch1Sens"},
      {IDC_CH1_COUPLING, "Ch1Coupling"},
      {IDC_CH1_IMPEDANCE, "Ch1Impedance"},
      {IDC_CH2_SLOPE, "Ch2Slope"},
      {IDC_CH2_SENS, "Ch2Sens"},
      {IDC_CH2_COUPLING, "Ch2Coupling"},
      {IDC_CH2_IMPEDANCE, "Ch2Impedance"},
      {IDC_CH1_X10, "Ch1X10"},
      {IDC_CH1_FILTER, "Ch1Filter"},
      {IDC_CH2_X10, "Ch2X10"},
      {IDC_CH2_FILTER, "Ch2Filter"},
      {IDC_READ_SPEED_LIST, "ReadSpeed"},
      {IDC_DOTS_LIST, "Dots"},
  };
  return names;
}

}  // namespace

const std::vector<CControlEntry>& PanelControls() {
  static const std::vector<CControlEntry> table = BuildTable();
  return table;
}

const CControlEntry* FindPanelControl(int id) {
  for (const CControlEntry& entry : PanelControls()) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const char* PanelControlName(int id) {
  for (const auto& [controlId, name] : ControlNames()) {
    if (controlId == id) return name;
  }
  return nullptr;
}

int PanelControlByName(std::string_view name) {
  for (const auto& [controlId, controlName] : ControlNames()) {
    const std::string_view n(controlName);
    if (n.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < n.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(n[i])) ==
             std::tolower(static_cast<unsigned char>(name[i]));
    }
    if (same) return controlId;
  }
  return 0;
}

const std::vector<CTextItem>& MeasurementPageLabels() {
  static const std::vector<CTextItem> labels = {
      {"561", "Freq && Ratio"}, {"562", "Time && Period"},  {"563", "Volt Peak"},
      {"564", "Other Meas"},    {"565", "Utility"},         {"566", "Gate && Ext"},
      {"567", "Limit Modes"},   {"568", "Scale && Offset"}, {"569", "Statistics"},
  };
  return labels;
}

}  // namespace zc::fp
