// The controls of the settings panel as data: identifier, kind, page, label text, list items and
// initial state, and where each sits (dialog units). The panel model is built from this table and
// the window lays its widgets out from it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zc::fp {

enum PanelControlId {
  // Measurement pages.
  IDC_FREQ = 1010,
  IDC_FREQ_CHANNEL = 1011,
  IDC_RATIO = 1012,
  IDC_RATIO_PAIR = 1013,
  IDC_PERIOD = 1014,
  IDC_PERIOD_CHANNEL = 1015,
  IDC_EDGE = 1016,
  IDC_EDGE_LIST = 1017,
  IDC_WIDTH = 1018,
  IDC_WIDTH_POLARITY = 1019,
  IDC_INTVAL = 1020,
  IDC_INTVAL_PAIR = 1021,
  IDC_VOLT_LABEL = 1022,
  IDC_VOLT_CHANNEL = 1023,
  IDC_PHASE = 1024,
  IDC_VOLT_MODE = 1025,
  IDC_DUTY = 1026,
  IDC_VOLT_VALUE = 1027,
  IDC_VOLT_MODE_LABEL = 1028,
  IDC_VOLT_SHOW_LABEL = 1029,
  IDC_TOTAL = 1030,
  IDC_TIMEBASE = 1031,
  IDC_TIMEBASE_SOURCE = 1032,
  IDC_GATE_SOURCE = 1033,
  IDC_GATE_LABEL = 1034,
  IDC_GATE_TIME = 1035,
  IDC_GATE_TIME_UNIT = 1036,
  IDC_START_SLOPE = 1037,
  IDC_START_LABEL = 1038,
  IDC_STOP_SOURCE = 1039,
  IDC_STOP_LABEL = 1040,
  IDC_STOP_TIME_UNIT = 1041,
  IDC_STOP_TIME = 1042,
  IDC_DIGITS = 1043,
  IDC_ARM_SOURCE = 1044,
  IDC_ARM_SLOPE = 1045,
  IDC_ARM_SLOPE_LABEL = 1046,
  IDC_TOTAL_GATE = 1047,
  IDC_UPPER_UNIT = 1048,
  IDC_UPPER = 1049,
  IDC_UPPER_VALUE = 1050,
  IDC_LOWER_LABEL = 1051,
  IDC_LOWER_UNIT = 1052,
  IDC_LOWER_VALUE = 1053,
  IDC_OUT_PORT = 1054,
  IDC_OUT = 1055,
  IDC_SCALE_PREFIX = 1056,
  IDC_SCALE_VALUE = 1057,
  IDC_SCALE = 1058,
  IDC_OFFSET_LABEL = 1059,
  IDC_OFFSET_PREFIX = 1060,
  IDC_OFFSET_VALUE = 1061,
  IDC_STAT_SHOW = 1062,
  IDC_STAT_TYPE = 1063,
  IDC_STAT_COUNT_LABEL = 1064,
  IDC_STAT_COUNT = 1065,
  IDC_STAT_USE = 1066,
  IDC_STAT_USE_LABEL = 1067,
  IDC_STAT_SINGLE = 1068,
  IDC_STAT_SINGLE_LABEL = 1069,
  IDC_TOTAL_STOP_SOURCE = 1105,
  IDC_ON_FAIL = 1106,
  IDC_ON_FAIL_LABEL = 1107,
  // Channel settings.
  IDC_CHANNEL_TABS = 1070,
  IDC_CH1_LEVEL_ABS = 1071,
  IDC_CH2_LEVEL_ABS = 1072,
  IDC_CH1_LEVEL_MODE = 1073,
  IDC_LEVEL_LABEL = 1074,
  IDC_CH1_LEVEL_REL = 1075,
  IDC_PERCENT_UNIT = 1076,
  IDC_VOLT_UNIT = 1077,
  IDC_CH2_LEVEL_MODE = 1078,
  IDC_CH2_LEVEL_REL = 1079,
  IDC_CH1_SLOPE = 1080,
  IDC_SLOPE_LABEL = 1081,
  IDC_CH1_SENS = 1082,
  IDC_SENS_LABEL = 1083,
  IDC_CH1_COUPLING = 1084,
  IDC_COUPLING_LABEL = 1085,
  IDC_CH1_IMPEDANCE = 1086,
  IDC_IMPEDANCE_LABEL = 1087,
  IDC_CH2_SLOPE = 1088,
  IDC_CH2_SENS = 1089,
  IDC_CH2_COUPLING = 1090,
  IDC_CH2_IMPEDANCE = 1091,
  IDC_CH1_X10 = 1092,
  IDC_CH1_FILTER = 1093,
  IDC_CH2_X10 = 1094,
  IDC_CH2_FILTER = 1095,
  // Acquisition settings.
  IDC_READ_SPEED_LIST = 1100,
  IDC_DOTS_LIST = 1102,
  // The measurement pages themselves.
  IDC_MEAS_TABS = 1007,
};

enum class CControlKind { Check, Combo, Edit, Label };

// Where a control belongs: a measurement page, the channel frame, or always shown.
inline constexpr int kChannelControl = -1;
inline constexpr int kAlwaysShown = -2;

struct CTextItem {
  const char* key;  // settings-file key of its translation, "" for fixed texts
  const char* text;
};

struct CDialogRect {
  int x, y, w, h;
};

struct CControlEntry {
  int id;
  CControlKind kind;
  int page;                      // 0 to 8, kChannelControl or kAlwaysShown
  CTextItem label;               // caption of check boxes and labels
  std::vector<CTextItem> items;  // list items in order
  int initialSelection;          // -1: none
  const char* initialText;       // edit fields
  CDialogRect rect;
};

// Every control of the settings panel, in the order the window creates them.
const std::vector<CControlEntry>& PanelControls();
const CControlEntry* FindPanelControl(int id);

// The name of a control that holds a setting ("FreqChannel", "GateTime"), as the panel files of
// the command-line measurement spell them; nullptr for captions. Lookup by name ignores case and
// gives 0 for an unknown name.
const char* PanelControlName(int id);
int PanelControlByName(std::string_view name);

// The measurement tabs: nine pages, the last one the statistics page.
inline constexpr int kPageCount = 9;
inline constexpr int kStatisticsPage = 8;
const std::vector<CTextItem>& MeasurementPageLabels();

// The items of the relative-level lists: "10" to "90".
inline constexpr int kRelativeLevel50 = 4;

}  // namespace zc::fp
