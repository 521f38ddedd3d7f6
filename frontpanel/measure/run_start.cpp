#include "measure/run_start.h"

#include <charconv>
#include <cmath>
#include <map>

#include "measure/text_value.h"

namespace zc::fp {
namespace {

// The edit texts the window exchanges with its members: read copies them from the panel, write
// puts them back. What the sequence changes between the two shows on the panel only once written.
const int kExchangedEdits[] = {
    IDC_DIGITS,      IDC_GATE_TIME,    IDC_STOP_TIME,  IDC_UPPER_VALUE,   IDC_LOWER_VALUE,
    IDC_SCALE_VALUE, IDC_OFFSET_VALUE, IDC_STAT_COUNT, IDC_CH1_LEVEL_ABS, IDC_CH2_LEVEL_ABS};

class CEditExchange {
 public:
  explicit CEditExchange(CPanelModel& model) : model_(model) { Read(); }
  void Read() {
    for (int id : kExchangedEdits) texts_[id] = model_.Text(id);
  }
  void Write() {
    for (int id : kExchangedEdits) model_.SetText(id, texts_[id]);
  }
  std::string& operator[](int id) { return texts_[id]; }

 private:
  CPanelModel& model_;
  std::map<int, std::string> texts_;
};

// printf's "%.Nf", with a decimal point whatever the process's locale.
std::string Fixed(double v, int decimals) {
  char buf[512];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string(v < 0 ? "-inf" : "inf");
}

// A time below the counter's shortest gate (or no number at all) becomes one second.
void AtLeastTenthSecond(std::string& text) {
  if (!(TextValue(text) >= 0.1)) text = "1";
}

const char* Suffix(MeasFunction f) {
  switch (f) {
    case FUNC_FREQ:
    case FUNC_RATIO:
      return "HZ";
    case FUNC_PERIOD:
    case FUNC_EDGE:
    case FUNC_WIDTH:
    case FUNC_INTVAL:
      return "S";
    case FUNC_PHASE:
      return "Deg";
    default:
      return "";
  }
}

bool IsTimeFunction(MeasFunction f) {
  return f == FUNC_PERIOD || f == FUNC_EDGE || f == FUNC_WIDTH || f == FUNC_INTVAL;
}

void SendFunction(CPanelModel& m, CConfigurationResult& r, const CommandSink& send) {
  static const char* const kVoltKinds[] = {"PTP", "MAX", "MIN", "CENT"};
  const auto pick = [&](int id, std::initializer_list<const char*> commands) {
    const int i = m.Selection(id);
    if (i >= 0 && i < static_cast<int>(commands.size())) send(commands.begin()[i]);
    return i;
  };
  switch (r.runFunction) {
    case FUNC_FREQ:
      if (m.Checked(IDC_FREQ)) {
        const int ch = pick(IDC_FREQ_CHANNEL, {"FUNC 'FREQ 1'", "FUNC 'FREQ 2'", "FUNC 'FREQ 3'"});
        r.ch3Run = ch == 2;
      }
      break;
    case FUNC_RATIO:
      if (m.Checked(IDC_RATIO)) {
        pick(IDC_RATIO_PAIR, {"CONF:FREQ:RAT (@1),(@2)", "CONF:FREQ:RAT (@1),(@3)",
                              "CONF:FREQ:RAT (@2),(@1)", "CONF:FREQ:RAT (@3),(@1)"});
      }
      break;
    case FUNC_PERIOD:
      if (m.Checked(IDC_PERIOD)) {
        const int ch =
            pick(IDC_PERIOD_CHANNEL, {"CONF:PER (@1)", "CONF:PER (@2)", "CONF:PER (@3)"});
        r.ch3Run = ch == 2;
      }
      break;
    case FUNC_EDGE:
      if (m.Checked(IDC_EDGE)) pick(IDC_EDGE_LIST, {"CONF:RTIM", "CONF:FTIM"});
      break;
    case FUNC_WIDTH:
      if (m.Checked(IDC_WIDTH)) pick(IDC_WIDTH_POLARITY, {"CONF:PWID", "CONF:NWID"});
      break;
    case FUNC_INTVAL:
      if (m.Checked(IDC_INTVAL)) send("CONF:TINT");
      break;
    case FUNC_VOLT: {
      const int ch = m.Selection(IDC_VOLT_CHANNEL);
      const int kind = m.Selection(IDC_VOLT_VALUE);
      if ((ch == 0 || ch == 1) && kind >= 0 && kind < 4) {
        send(std::string("CONF:VOLT:") + kVoltKinds[kind] + (ch == 0 ? " (@1)" : " (@2)"));
      }
      break;
    }
    case FUNC_PHASE:
      if (m.Checked(IDC_PHASE)) send("CONF:PHAS");
      break;
    case FUNC_DUTY:
      if (m.Checked(IDC_DUTY)) send("CONF:DCYC");
      break;
    case FUNC_TOTAL:
      if (m.Checked(IDC_TOTAL)) send("CONF:TOTalize:TIMED (@1)");
      break;
  }
  if (r.runFunction == FUNC_VOLT || r.runFunction == FUNC_TOTAL) {
    if (r.runFunction == FUNC_VOLT) {
      send(m.Selection(IDC_VOLT_MODE) == 1 ? "VOLT:MODE FAST" : "VOLT:MODE SLOW");
    }
    // Neither takes limits, math or statistics.
    m.SetChecked(IDC_UPPER, false);
    if (m.Checked(IDC_SCALE)) {
      m.SetChecked(IDC_SCALE, false);
      m.mathFlag = false;
    }
    if (m.Checked(IDC_STAT_SHOW)) {
      m.SetChecked(IDC_STAT_SHOW, false);
      m.statisticsFlag = false;
    }
  }
}

void SendGateAndArming(CPanelModel& m, MeasFunction f, CEditExchange& ex, const CommandSink& send) {
  const auto slope = [](int sel) { return sel == 1 ? "NEGative" : "POSitive"; };
  switch (f) {
    case FUNC_FREQ:
    case FUNC_RATIO:
    case FUNC_PERIOD:
      switch (m.Selection(IDC_GATE_SOURCE)) {
        case 0: {  // Time
          ex.Read();
          send("FREQuency:ARM:STARt:SOURce IMM");
          send("FREQuency:ARM:STOP:SOURce TIMer");
          std::string& gate = ex[IDC_GATE_TIME];
          AtLeastTenthSecond(gate);
          send("FREQuency:ARM:STOP:TIMer " + gate);
          ex[IDC_STOP_TIME] = gate;
          ex.Write();
          break;
        }
        case 1:  // Ext
          send("FREQuency:ARM:STARt:SOURce EXTernal");
          send(std::string("FREQuency:ARM:STARt:SLOPe ") + slope(m.Selection(IDC_START_SLOPE)));
          switch (m.Selection(IDC_STOP_SOURCE)) {
            case 0:
              send("FREQuency:ARM:STOP:SOURce IMM");
              break;
            case 1:
              send("FREQuency:ARM:STOP:SOURce EXTernal");
              send("FREQuency:ARM:STOP:SLOPe POSitive");
              break;
            case 2:
              send("FREQuency:ARM:STOP:SOURce EXTernal");
              send("FREQuency:ARM:STOP:SLOPe NEGative");
              break;
            case 3: {
              ex.Read();
              send("FREQuency:ARM:STOP:SOURce TIMer");
              std::string& stop = ex[IDC_STOP_TIME];
              AtLeastTenthSecond(stop);
              send("FREQuency:ARM:STOP:TIMer " + stop + "S");
              ex[IDC_GATE_TIME] = stop;
              ex.Write();
              break;
            }
            default:
              break;
          }
          break;
        case 2:  // Auto
          send("FREQuency:ARM:STARt:SOURce IMM");
          send("FREQuency:ARM:STOP:SOURce IMM");
          break;
        case 3: {  // Digits
          ex.Read();
          send("FREQuency:ARM:STOP:SOURce DIGits");
          std::string& digits = ex[IDC_DIGITS];
          if (TextInteger(digits) < 3) digits = "3";
          send("FREQuency:ARM:STOP:DIGits " + digits);
          break;
        }
        default:
          break;
      }
      break;
    case FUNC_EDGE:
    case FUNC_WIDTH:
    case FUNC_DUTY:
    case FUNC_PHASE: {
      const std::string group = f == FUNC_PHASE ? "PHASe" : "TINTerval";
      if (m.Selection(IDC_ARM_SOURCE) == 1) {
        send(group + ":ARM:STARt:SOURce EXTernal");
        send(group + ":ARM:STARt:SLOPe " + slope(m.Selection(IDC_ARM_SLOPE)));
      } else if (m.Selection(IDC_ARM_SOURCE) == 0) {
        send(group + (f == FUNC_PHASE ? ":ARM:STARt:SOURce IMMediate" : ":ARM:STARt:SOURce IMM"));
      }
      break;
    }
    case FUNC_TOTAL:
      switch (m.Selection(IDC_TOTAL_GATE)) {
        case 0: {  // Time
          ex.Read();
          std::string& gate = ex[IDC_GATE_TIME];
          AtLeastTenthSecond(gate);
          ex[IDC_STOP_TIME] = gate;
          send("TOTalize:ARM:STOP:TIMer " + gate + "S");
          break;
        }
        case 1:  // Auto
          send("TOTalize:ARM:STARt:SOURce IMM");
          break;
        case 2:  // Ext
          send("TOTalize:ARM:STARt:SOURce EXTernal");
          send(std::string("TOTalize:ARM:STARt:SLOPe ") + slope(m.Selection(IDC_START_SLOPE)));
          switch (m.Selection(IDC_TOTAL_STOP_SOURCE)) {
            case 0:
              send("TOTalize:ARM:STOP:SOURce EXTernal");
              send("TOTalize:ARM:STOP:SLOPe POSitive");
              break;
            case 1:
              send("TOTalize:ARM:STOP:SOURce EXTernal");
              send("TOTalize:ARM:STOP:SLOPe NEGative");
              break;
            case 2: {
              ex.Read();
              send("TOTalize:ARM:STOP:SOURce TIMer");
              std::string& stop = ex[IDC_STOP_TIME];
              AtLeastTenthSecond(stop);
              ex[IDC_GATE_TIME] = stop;
              send("TOTalize:ARM:STOP:TIMer " + stop + "S");
              break;
            }
            default:
              break;
          }
          break;
        default:
          break;
      }
      ex.Write();
      break;
    case FUNC_VOLT:
    case FUNC_INTVAL:
      break;  // nothing to gate or arm
  }
}

void SendLimitsMathAndStatistics(CPanelModel& m, MeasFunction f, CEditExchange& ex,
                                 const CommandSink& send) {
  const std::string suffix = Suffix(f);
  const bool duty = f == FUNC_DUTY;
  if (m.Checked(IDC_UPPER)) {
    send("CALCulate2:LIMit:STATe ON");
    ex.Read();
    const CUnitTable table = IsTimeFunction(f) ? CUnitTable::Time : CUnitTable::Limit;
    std::string& upperValue = ex[IDC_UPPER_VALUE];
    std::string& lowerValue = ex[IDC_LOWER_VALUE];
    std::string upper = UnitCommandText(upperValue, m.Selection(IDC_UPPER_UNIT), table);
    std::string lower = UnitCommandText(lowerValue, m.Selection(IDC_LOWER_UNIT), table);
    if (duty) {
      upper = NumericForm(upper, upperValue, true);
      lower = NumericForm(lower, lowerValue, true);
    }
    send("CALCulate2:LIMit:UPPer " + upper + suffix);
    send("CALCulate2:LIMit:LOWer " + lower + suffix);
    ex.Write();
    send(m.Selection(IDC_ON_FAIL) == 1 ? "INIT:AUTO ON" : "INIT:AUTO OFF");
  } else {
    send("CALCulate2:LIMit:STATe OFF");
  }

  if (m.Checked(IDC_OUT)) {
    send("SYST:COMM:SER:CONT:DTR LIM");
    send(m.Selection(IDC_OUT_PORT) == 1 ? "SYST:COMM:SER:SOUR DB9" : "SYST:COMM:SER:SOUR USB");
  } else {
    send("SYST:COMM:SER:CONT:DTR OFF");
  }

  if (m.Checked(IDC_SCALE)) {
    m.mathFlag = true;
    send("CALC:MATH:STATE ON");
    ex.Read();
    std::string& scaleValue = ex[IDC_SCALE_VALUE];
    const std::string scale =
        UnitCommandText(scaleValue, m.Selection(IDC_SCALE_PREFIX), CUnitTable::Limit);
    send("TRACE SCALE," + NumericForm(scale, scaleValue, true));
    std::string& offsetValue = ex[IDC_OFFSET_VALUE];
    std::string offset = UnitCommandText(offsetValue, m.Selection(IDC_OFFSET_PREFIX),
                                         IsTimeFunction(f) ? CUnitTable::Time : CUnitTable::Offset);
    if (duty) offset = NumericForm(offset, offsetValue, false);
    send("TRACE OFFSET," + offset + suffix);
    ex.Write();
  } else {
    m.mathFlag = false;
    send("CALC:MATH:STATE OFF");
  }

  if (m.Checked(IDC_STAT_SHOW)) {
    m.statisticsFlag = true;
    send("CALC3:AVER:STATE ON");
    static const char* const kTypes[] = {"Meas", "SDEV", "MAX", "MIN", "MEAN"};
    const int type = m.Selection(IDC_STAT_TYPE);
    send(std::string("CALC3:AVERAGE:TYPE ") + (type >= 0 && type < 5 ? kTypes[type] : "Delta"));
    ex.Read();
    std::string& count = ex[IDC_STAT_COUNT];
    if (TextInteger(count) < 2) count = "2";
    send("CALC3:AVER:COUNT " + count);
    ex.Write();
    send(m.Selection(IDC_STAT_USE) == 1 ? "CALCulate3:LFILter:STATe ON"
                                        : "CALCulate3:LFILter:STATe OFF");
    send(m.Selection(IDC_STAT_SINGLE) == 1 ? "TRIGger:COUNt:AUTO ON" : "TRIGger:COUNt:AUTO OFF");
  } else {
    m.statisticsFlag = false;
    send("CALC3:AVER:STATE OFF");
  }
}

struct CChannelIds {
  int mode, relative, absolute, slope, sens, coupling, impedance, x10, filter;
  const char* event;
  const char* input;
};
const CChannelIds kChannels[2] = {
    {IDC_CH1_LEVEL_MODE, IDC_CH1_LEVEL_REL, IDC_CH1_LEVEL_ABS, IDC_CH1_SLOPE, IDC_CH1_SENS,
     IDC_CH1_COUPLING, IDC_CH1_IMPEDANCE, IDC_CH1_X10, IDC_CH1_FILTER, "EVEN", "INP"},
    {IDC_CH2_LEVEL_MODE, IDC_CH2_LEVEL_REL, IDC_CH2_LEVEL_ABS, IDC_CH2_SLOPE, IDC_CH2_SENS,
     IDC_CH2_COUPLING, IDC_CH2_IMPEDANCE, IDC_CH2_X10, IDC_CH2_FILTER, "EVEN2", "INP2"},
};

// Returns false, with the message, when the channel's absolute level is out of range.
bool SendChannel(CPanelModel& m, const CChannelIds& c, CEditExchange& ex, CConfigurationResult& r,
                 const CommandSink& send) {
  const std::string ev = c.event;
  const std::string in = c.input;
  if (m.State(c.mode).enabled) {
    if (m.Selection(c.mode) == 1) {
      ex.Read();
      std::string& level = ex[c.absolute];
      const double v = TextValue(level);
      const bool x10 = m.Checked(c.x10);
      // No number that is not finite gets through either check.
      const bool overX10Range = !(std::fabs(v) <= 51.25);
      const bool overRange = !(std::fabs(v) <= 5.125);
      if (overX10Range || (!x10 && overRange)) {
        r.levelOverRange = true;
        if (x10) {
          r.messageKey = "769";
          r.message = m.LookupText(
              "769", "Over-range! Please re-enter a Level's value between 51.25 to (-51.25).");
        } else {
          r.messageKey = "768";
          r.message = m.LookupText(
              "768", "Over-range! Please re-enter a Level's value between 5.125 to (-5.125).");
        }
        return false;
      }
      if (v == 0) level = "0";
      send(ev + ":LEV:AUTO 0");
      send(ev + ":LEV:ABS " + level);
    } else {
      send(ev + ":LEV:AUTO 1");
      send(ev + ":LEV:REL " + m.SelectedText(c.relative));
    }
  }
  if (m.State(c.slope).enabled) {
    send(ev + (m.Selection(c.slope) == 1 ? ":SLOP NEG" : ":SLOP POS"));
  }
  if (m.State(c.sens).enabled) {
    static const char* const kHysteresis[] = {":HYST:REL 0", ":HYST:REL 50", ":HYST:REL 100"};
    const int s = m.Selection(c.sens);
    if (s >= 0 && s < 3) send(ev + kHysteresis[s]);
  }
  if (m.State(c.coupling).enabled) {
    send(in + (m.Selection(c.coupling) == 1 ? ":COUP DC" : ":COUP AC"));
  }
  if (m.State(c.impedance).enabled) {
    send(in + (m.Selection(c.impedance) == 1 ? ":IMP 50" : ":IMP 1000000"));
  }
  if (m.State(c.x10).enabled) send(in + (m.Checked(c.x10) ? ":ATT 10" : ":ATT 1"));
  if (m.State(c.filter).enabled) send(in + (m.Checked(c.filter) ? ":FILT 1" : ":FILT 0"));
  return true;
}

}  // namespace

std::string UnitCommandText(std::string& v, int unitIndex, CUnitTable table) {
  const double value = TextValue(v);
  if (value == 0) {
    v = "0";
    return "0";
  }
  struct Entry {
    const char* prefix;
    bool thousandfold;
  };
  static const Entry kTime[] = {
      {"p", false}, {"n", false}, {"u", false}, {"m", false}, {" ", false}};
  static const Entry kLimit[] = {
      {"u", false}, {"u", true}, {" ", false}, {"K", false}, {"M", false}};
  static const Entry kOffset[] = {
      {"u", false}, {"u", true}, {" ", false}, {"K", false}, {"K", true}};
  // An empty unit list (no selection) means the base unit.
  Entry e{" ", false};
  if (unitIndex >= 0 && unitIndex < 5) {
    e = table == CUnitTable::Time    ? kTime[unitIndex]
        : table == CUnitTable::Limit ? kLimit[unitIndex]
                                     : kOffset[unitIndex];
  }
  const std::string number = e.thousandfold ? Fixed(value * 1000, 6) : v;
  return number + " " + e.prefix;
}

std::string NumericForm(const std::string& commandText, const std::string& v, bool zeroGivesZero) {
  if (zeroGivesZero && TextValue(v) == 0) return "0";
  double number = TextValue(v);
  const std::size_t micro = commandText.find('u', 1);
  if (micro != std::string::npos) {
    number = TextValue(commandText.substr(0, micro)) * 1e-6;
  } else if (commandText.find('K') != std::string::npos) {
    number = TextValue(commandText) * 1000;
  } else if (commandText.find('M') != std::string::npos) {
    number = TextValue(commandText) * 1e6;
  }
  return Fixed(number, 16);
}

CConfigurationResult SendConfiguration(CPanelModel& m, const CommandSink& send) {
  CConfigurationResult r;
  r.runFunction = m.selectedFunction;
  // The members start from what the panel shows now, so a write-back never brings back an older
  // text over one the user typed since.
  CEditExchange ex(m);

  SendFunction(m, r, send);
  const MeasFunction f = r.runFunction;

  if (m.Checked(IDC_TIMEBASE)) {
    switch (m.Selection(IDC_TIMEBASE_SOURCE)) {
      case 0:
        send("ROSC:SOURCE:AUTO ON");
        break;
      case 1:
        send("ROSC:SOURCE INT");
        break;
      case 2:
        send("ROSC:SOURCE EXT");
        break;
      default:
        break;
    }
  }

  SendGateAndArming(m, f, ex, send);

  if (f != FUNC_VOLT && f != FUNC_TOTAL) SendLimitsMathAndStatistics(m, f, ex, send);

  if (!r.ch3Run) {
    for (int ch = 0; ch < 2; ++ch) {
      if (!m.channelTabs.IsTabEnabled(ch)) continue;
      if (!SendChannel(m, kChannels[ch], ex, r, send)) return r;
    }
  }
  ex.Write();
  return r;
}

}  // namespace zc::fp
