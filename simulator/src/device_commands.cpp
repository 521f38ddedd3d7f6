#include "device_commands.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zc::sim {

using scpi::Param;

namespace {
constexpr const char* kFirmware = "1.03";
}  // namespace

namespace {

struct Range {
  double min;
  double max;
  double def;
  bool integer = false;
};

// The functions the counter measures: the header forms that name them (after CONFigure:, in
// FUNC strings), the name FUNC? answers with, and the channels each may use. The first channel
// choice is the default and is left out of the FUNC? answer.
struct FunctionDef {
  Function id;
  std::vector<const char*> forms;
  const char* name;
  int arity;
  std::vector<std::pair<int, int>> channels;
  std::vector<scpi::Pattern> patterns{};  // the forms, compiled
};

const std::vector<FunctionDef>& Functions() {
  static const std::vector<FunctionDef> defs = [] {
    std::vector<FunctionDef> d = {
        {Function::Frequency, {"FREQuency"}, "FREQ", 1, {{1, 0}, {2, 0}, {3, 0}}},
        {Function::Ratio, {"FREQuency:RATio"}, "FREQ:RAT", 2, {{1, 2}, {2, 1}, {1, 3}, {3, 1}}},
        {Function::Period, {"PERiod"}, "PER", 1, {{1, 0}, {2, 0}, {3, 0}}},
        {Function::RiseTime, {"RTIMe", "RISE:TIME"}, "RTIM", 1, {{1, 0}}},
        {Function::FallTime, {"FTIMe", "FALL:TIME"}, "FTIM", 1, {{1, 0}}},
        {Function::PositiveWidth, {"PWIDth"}, "PWID", 1, {{1, 0}}},
        {Function::NegativeWidth, {"NWIDth"}, "NWID", 1, {{1, 0}}},
        {Function::DutyCycle, {"DCYCle"}, "DCYC", 1, {{1, 0}}},
        {Function::TimeInterval, {"TINTerval"}, "TINT", 2, {{1, 2}}},
        {Function::Phase, {"PHASe"}, "PHAS", 2, {{1, 2}}},
        {Function::Totalize, {"TOTalize:TIMed"}, "TOT:TIM", 1, {{1, 0}, {2, 0}}},
        {Function::VoltPeakToPeak, {"VOLTage:PTPeak"}, "VOLT:PTP", 1, {{1, 0}, {2, 0}}},
        {Function::VoltMax, {"VOLTage:MAXimum"}, "VOLT:MAX", 1, {{1, 0}, {2, 0}}},
        {Function::VoltMin, {"VOLTage:MINimum"}, "VOLT:MIN", 1, {{1, 0}, {2, 0}}},
        {Function::VoltCenter, {"VOLTage:CENTer"}, "VOLT:CENT", 1, {{1, 0}, {2, 0}}},
    };
    for (FunctionDef& f : d) {
      for (const char* form : f.forms) f.patterns.emplace_back(form);
    }
    return d;
  }();
  return defs;
}

const FunctionDef* FindFunction(const std::vector<scpi::Mnemonic>& path) {
  std::vector<int> unused;
  for (const FunctionDef& f : Functions()) {
    for (const scpi::Pattern& p : f.patterns) {
      if (p.Match(path, &unused)) return &f;
    }
  }
  return nullptr;
}

const FunctionDef& DefOf(Function id) {
  for (const FunctionDef& f : Functions()) {
    if (f.id == id) return f;
  }
  return Functions().front();
}

// ---- parameter readers; each returns an error code ----

int ReadNumber(const Param& p, const Range& r, double* out) {
  if (p.kind != Param::Kind::Token) return scpi::kIllegalParameterValue;
  double v = 0;
  if (scpi::MatchesMnemonic(scpi::Upper(p.text), "MINimum")) {
    v = r.min;
  } else if (scpi::MatchesMnemonic(scpi::Upper(p.text), "MAXimum")) {
    v = r.max;
  } else if (scpi::MatchesMnemonic(scpi::Upper(p.text), "DEFault")) {
    v = r.def;
  } else if (!scpi::ParseNumber(p.text, &v)) {
    return scpi::kIllegalParameterValue;
  }
  if (r.integer) v = std::round(v);
  if (v < r.min || v > r.max) return scpi::kIllegalParameterValue;
  *out = v;
  return scpi::kNoError;
}

int ReadBool(const Param& p, bool* out) {
  if (p.kind != Param::Kind::Token) return scpi::kIllegalParameterValue;
  std::string u = scpi::Upper(p.text);
  if (u == "ON") {
    *out = true;
  } else if (u == "OFF") {
    *out = false;
  } else {
    double v = 0;
    if (!scpi::ParseNumber(p.text, &v)) return scpi::kIllegalParameterValue;
    *out = std::round(v) != 0;
  }
  return scpi::kNoError;
}

int ReadChoice(const Param& p, const std::vector<const char*>& choices, int* out) {
  if (p.kind != Param::Kind::Token) return scpi::kIllegalParameterValue;
  std::string u = scpi::Upper(p.text);
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (scpi::MatchesMnemonic(u, choices[i])) {
      *out = static_cast<int>(i);
      return scpi::kNoError;
    }
  }
  return scpi::kIllegalParameterValue;
}

std::string Bool(bool b) {
  return b ? "1" : "0";
}

// Channels for a function from its parameters: channel lists ("(@2)", "(@1),(@2)") and, when
// `numbersAreChannels` (inside FUNC strings: "FREQ:RAT 2,1"), plain numbers. Otherwise numbers
// are the expected value and resolution CONFigure takes, which the model does not need.
int ReadChannels(const FunctionDef& f, const std::vector<Param>& params, bool numbersAreChannels,
                 int* a, int* b) {
  std::vector<int> chans;
  for (const Param& p : params) {
    if (p.kind == Param::Kind::ChannelList) {
      if (!scpi::ParseChannelList(p.text, &chans)) return scpi::kIllegalParameterValue;
    } else if (p.kind == Param::Kind::String) {
      return scpi::kIllegalParameterValue;
    } else if (numbersAreChannels) {
      double v = 0;
      if (!scpi::ParseNumber(p.text, &v) || v != std::floor(v) || v < 0 || v > 9)
        return scpi::kIllegalParameterValue;
      chans.push_back(static_cast<int>(v));
    } else {
      double unused = 0;
      if (ReadNumber(p, {-1e300, 1e300, 0}, &unused)) return scpi::kIllegalParameterValue;
    }
  }
  if (chans.empty()) {
    *a = f.channels.front().first;
    *b = f.channels.front().second;
    return scpi::kNoError;
  }
  if (static_cast<int>(chans.size()) != f.arity) return scpi::kIllegalParameterValue;
  int ca = chans[0];
  int cb = f.arity == 2 ? chans[1] : 0;
  for (const auto& [x, y] : f.channels) {
    if (x == ca && y == cb) {
      *a = ca;
      *b = cb;
      return scpi::kNoError;
    }
  }
  return scpi::kIllegalParameterValue;
}

}  // namespace

struct Commands {
  using IntRef = std::function<int&(Call&)>;
  using BoolRef = std::function<bool&(Call&)>;
  using DoubleRef = std::function<double&(Call&)>;

  static Settings& S(Call& c) { return c.d.settings_; }
  static ChannelSettings& In(Call& c) { return c.d.settings_.input[c.suffix.at(0) - 1]; }

  static Entry Choice(const char* pattern, std::vector<const char*> choices, IntRef ref,
                      std::function<void(Call&)> after = {}) {
    Entry e{scpi::Pattern(pattern), {}, {}};
    e.set = [choices, ref, after](Call& c) {
      int v = 0;
      if (int err = ReadChoice(c.params[0], choices, &v)) return err;
      ref(c) = v;
      if (after) after(c);
      return 0;
    };
    e.query = [choices, ref](Call& c) {
      *c.answer = scpi::ShortForm(choices.at(static_cast<std::size_t>(ref(c))));
      return 0;
    };
    return e;
  }

  static Entry Flag(const char* pattern, BoolRef ref) {
    Entry e{scpi::Pattern(pattern), {}, {}};
    e.set = [ref](Call& c) {
      bool v = false;
      if (int err = ReadBool(c.params[0], &v)) return err;
      ref(c) = v;
      return 0;
    };
    e.query = [ref](Call& c) {
      *c.answer = Bool(ref(c));
      return 0;
    };
    return e;
  }

  static Entry Number(const char* pattern, Range r, DoubleRef ref,
                      std::function<double(double)> snap = {},
                      std::function<void(Call&)> after = {}) {
    Entry e{scpi::Pattern(pattern), {}, {}};
    e.set = [r, ref, snap, after](Call& c) {
      double v = 0;
      if (int err = ReadNumber(c.params[0], r, &v)) return err;
      ref(c) = snap ? snap(v) : v;
      if (after) after(c);
      return 0;
    };
    e.query = [ref](Call& c) {
      *c.answer = scpi::FormatE(ref(c));
      return 0;
    };
    return e;
  }

  static Entry Integer(const char* pattern, Range r, IntRef ref) {
    r.integer = true;
    Entry e{scpi::Pattern(pattern), {}, {}};
    e.set = [r, ref](Call& c) {
      double v = 0;
      if (int err = ReadNumber(c.params[0], r, &v)) return err;
      ref(c) = static_cast<int>(v);
      return 0;
    };
    e.query = [ref](Call& c) {
      *c.answer = scpi::FormatE(ref(c));
      return 0;
    };
    return e;
  }

  static Entry Action(const char* pattern, int params, Handler set, Handler query = {}) {
    Entry e{scpi::Pattern(pattern), std::move(set), std::move(query)};
    e.setMin = e.setMax = params;
    return e;
  }

  static Entry Query(const char* pattern, Handler query) {
    return Entry{scpi::Pattern(pattern), {}, std::move(query)};
  }

  static int Configure(Call& c, const FunctionDef& f) {
    int a = 0, b = 0;
    if (int err = ReadChannels(f, c.params, false, &a, &b)) return err;
    c.d.SelectFunction(f.id, a, b);
    return 0;
  }

  static int SetFunction(Call& c) {
    const Param& p = c.params[0];
    scpi::Command inner;
    if (scpi::ParseCommand(p.text, &inner) != scpi::kNoError || inner.common || inner.query ||
        inner.path.empty())
      return scpi::kIllegalParameterValue;
    const FunctionDef* f = FindFunction(inner.path);
    if (!f) return scpi::kIllegalParameterValue;
    int a = 0, b = 0;
    if (int err = ReadChannels(*f, inner.params, true, &a, &b)) return err;
    c.d.SelectFunction(f->id, a, b);
    return 0;
  }

  static std::string FunctionName(const Settings& s) {
    const FunctionDef& f = DefOf(s.function);
    std::string name = f.name;
    std::pair<int, int> chans{s.channelA, f.arity == 2 ? s.channelB : 0};
    if (chans != f.channels.front()) {
      name += ' ' + std::to_string(chans.first);
      if (f.arity == 2) name += ',' + std::to_string(chans.second);
    }
    return '"' + name + '"';
  }

  // One group's arming headers, e.g. "[SENSe:]FREQuency:ARM[:STARt]:SOURce".
  static void AddArmGroup(std::vector<Entry>* t, const std::string& prefix,
                          ArmSettings Settings::*arm, std::vector<const char*> stops, bool digits) {
    const std::vector<const char*> starts = {"IMMediate", "EXTernal"};
    const std::vector<const char*> slopes = {"POSitive", "NEGative"};
    auto header = [&](const char* tail) { return prefix + tail; };
    auto field = [arm](auto member) {
      return [ arm, member ](Call & c) -> auto& {
        return (S(c).*arm).*member;
      };
    };
    t->push_back(
        Choice(header(":ARM[:STARt]:SOURce").c_str(), starts, field(&ArmSettings::startSource)));
    t->push_back(
        Choice(header(":ARM[:STARt]:SLOPe").c_str(), slopes, field(&ArmSettings::startSlope)));
    if (stops.empty()) return;
    t->push_back(
        Choice(header(":ARM:STOP:SOURce").c_str(), stops, field(&ArmSettings::stopSource)));
    t->push_back(Choice(header(":ARM:STOP:SLOPe").c_str(), slopes, field(&ArmSettings::stopSlope)));
    t->push_back(
        Number(header(":ARM:STOP:TIMer").c_str(), {1e-3, 1000, 0.1}, field(&ArmSettings::timer)));
    if (digits) {
      t->push_back(
          Integer(header(":ARM:STOP:DIGits").c_str(), {3, 15, 9}, field(&ArmSettings::digits)));
    }
  }

  static std::vector<Entry> Build() {
    std::vector<Entry> t;

    // Function selection.
    t.push_back(Action("[SENSe:]FUNCtion[:ON]", 1, SetFunction, [](Call& c) {
      *c.answer = FunctionName(S(c));
      return 0;
    }));
    AddFunctionHeaders(&t);
    t.push_back(Query("CONFigure", [](Call& c) {
      *c.answer = FunctionName(S(c));
      return 0;
    }));

    // Gate and arming, one set per group.
    AddArmGroup(&t, "[SENSe:]FREQuency", &Settings::freqArm,
                {"IMMediate", "EXTernal", "TIMer", "DIGits"}, true);
    AddArmGroup(&t, "[SENSe:]TINTerval", &Settings::tintArm, {}, false);
    AddArmGroup(&t, "[SENSe:]PHASe", &Settings::phaseArm, {}, false);
    AddArmGroup(&t, "[SENSe:]TOTalize", &Settings::totArm, {"IMMediate", "EXTernal", "TIMer"},
                false);

    // Reference and voltage measurement.
    t.push_back(Choice(
        "[SENSe:]ROSCillator:SOURce", {"INTernal", "EXTernal"},
        [](Call& c) -> int& { return S(c).refSource; }, [](Call& c) { S(c).refAuto = false; }));
    t.push_back(
        Flag("[SENSe:]ROSCillator:SOURce:AUTO", [](Call& c) -> bool& { return S(c).refAuto; }));
    t.push_back(Choice("[SENSe:]VOLTage:MODE", {"SLOW", "FAST"},
                       [](Call& c) -> int& { return S(c).voltMode; }));

    // Channel inputs.
    t.push_back(Number(
        "[SENSe:]EVENt#2:LEVel[:ABSolute]", {-51.25, 51.25, 0},
        [](Call& c) -> double& { return In(c).absoluteLevel; }, {},
        [](Call& c) { In(c).autoLevel = false; }));
    t.push_back(Flag("[SENSe:]EVENt#2:LEVel[:ABSolute]:AUTO",
                     [](Call& c) -> bool& { return In(c).autoLevel; }));
    t.push_back(Number("[SENSe:]EVENt#2:LEVel:RELative", {0, 100, 50},
                       [](Call& c) -> double& { return In(c).relativeLevel; }));
    t.push_back(Choice("[SENSe:]EVENt#2:SLOPe", {"POSitive", "NEGative"},
                       [](Call& c) -> int& { return In(c).slope; }));
    t.push_back(Number("[SENSe:]EVENt#2:HYSTeresis:RELative", {0, 100, 0},
                       [](Call& c) -> double& { return In(c).hysteresis; }));
    t.push_back(
        Choice("INPut#2:COUPling", {"AC", "DC"}, [](Call& c) -> int& { return In(c).coupling; }));
    // Only two impedances and two attenuations exist; other values pick the nearer one.
    t.push_back(Number(
        "INPut#2:IMPedance", {1, 1e7, 1e6}, [](Call& c) -> double& { return In(c).impedance; },
        [](double v) { return v < 1000 ? 50.0 : 1e6; }));
    t.push_back(Number(
        "INPut#2:ATTenuation", {1, 10, 1}, [](Call& c) -> double& { return In(c).attenuation; },
        [](double v) { return v < std::sqrt(10.0) ? 1.0 : 10.0; }));
    t.push_back(
        Flag("INPut#2:FILTer[:LPASs][:STATe]", [](Call& c) -> bool& { return In(c).filter; }));

    // Limits.
    constexpr double kHuge = std::numeric_limits<double>::max();
    t.push_back(Flag("CALCulate2:LIMit[:STATe]", [](Call& c) -> bool& { return S(c).limitState; }));
    t.push_back(Number("CALCulate2:LIMit:UPPer[:DATA]", {-kHuge, kHuge, 0},
                       [](Call& c) -> double& { return S(c).limitUpper; }));
    t.push_back(Number("CALCulate2:LIMit:LOWer[:DATA]", {-kHuge, kHuge, 0},
                       [](Call& c) -> double& { return S(c).limitLower; }));
    t.push_back(Query("CALCulate2:LIMit:FAIL", [](Call& c) {
      Device& d = c.d;
      const Settings& s = d.settings_;
      *c.answer =
          Bool(d.hasReading_ && s.limitState && (d.last_ > s.limitUpper || d.last_ < s.limitLower));
      return 0;
    }));
    t.push_back(Flag("INITiate:AUTO", [](Call& c) -> bool& { return S(c).initAuto; }));

    // Math and statistics.
    t.push_back(Flag("CALCulate:MATH[:STATe]", [](Call& c) -> bool& { return S(c).mathState; }));
    Entry trace = Action(
        "TRACe", 2,
        [](Call& c) {
          int which = 0;
          if (int err = ReadChoice(c.params[0], {"SCALE", "OFFSET"}, &which)) return err;
          double v = 0;
          if (int err = ReadNumber(c.params[1], {-kHuge, kHuge, which == 0 ? 1.0 : 0.0}, &v))
            return err;
          (which == 0 ? S(c).scale : S(c).offset) = v;
          return 0;
        },
        [](Call& c) {
          int which = 0;
          if (int err = ReadChoice(c.params[0], {"SCALE", "OFFSET"}, &which)) return err;
          *c.answer = scpi::FormatE(which == 0 ? S(c).scale : S(c).offset);
          return 0;
        });
    trace.queryMin = trace.queryMax = 1;
    t.push_back(trace);
    t.push_back(
        Flag("CALCulate3:AVERage[:STATe]", [](Call& c) -> bool& { return S(c).statState; }));
    t.push_back(Choice("CALCulate3:AVERage:TYPE",
                       {"MEASurement", "SDEViation", "MAXimum", "MINimum", "MEAN", "DELTa"},
                       [](Call& c) -> int& { return S(c).statType; }));
    t.push_back(Integer("CALCulate3:AVERage:COUNt", {1, 1e6, 100},
                        [](Call& c) -> int& { return S(c).statCount; }));
    t.push_back(
        Flag("CALCulate3:LFILter[:STATe]", [](Call& c) -> bool& { return S(c).limitFilter; }));
    t.push_back(Flag("TRIGger:COUNt:AUTO", [](Call& c) -> bool& { return S(c).triggerCountAuto; }));

    // Run control and readings.
    t.push_back(Action("INITiate[:IMMediate]", 0, [](Call& c) {
      c.d.Initiate(c.now);
      return 0;
    }));
    t.push_back(Action(
        "INITiate:CONTinuous", 1,
        [](Call& c) {
          bool on = false;
          if (int err = ReadBool(c.params[0], &on)) return err;
          S(c).continuous = on;  // switching off lets a measurement in progress finish
          return 0;
        },
        [](Call& c) {
          *c.answer = Bool(S(c).continuous);
          return 0;
        }));
    t.push_back(Action("ABORt", 0, [](Call& c) {
      c.d.waiting_ = false;  // continuous mode re-arms at once (Reconcile)
      return 0;
    }));
    t.push_back(Query("FETCh[:SCALar]", [](Call& c) {
      *c.answer = c.d.FormatReading(c.d.CurrentReading());
      return 0;
    }));
    t.push_back(Query("READ[:SCALar]", [](Call& c) {
      *c.answer = c.d.FormatReading(c.d.NewReading());
      return 0;
    }));
    t.push_back(Query("CALCulate#3:DATA", [](Call& c) {
      Device& d = c.d;
      double v = 0;
      if (c.suffix[0] == 3) {
        v = d.Statistic();
      } else {
        v = d.CurrentReading();
        if (c.suffix[0] == 1 && d.settings_.mathState)
          v = v * d.settings_.scale + d.settings_.offset;
      }
      *c.answer = d.FormatReading(v);
      return 0;
    }));

    // System.
    t.push_back(Query("SYSTem:ERRor[:NEXT]", [](Call& c) {
      int code = 0;
      if (!c.d.errors_.empty()) {
        code = c.d.errors_.front();
        c.d.errors_.pop_front();
      }
      *c.answer = (code == 0 ? std::string("+0") : std::to_string(code)) + ",\"" +
                  scpi::ErrorText(code) + '"';
      return 0;
    }));
    t.push_back(Query("SYSTem:ERRor:COUNt", [](Call& c) {
      *c.answer = std::to_string(c.d.errors_.size());
      return 0;
    }));
    t.push_back(Query("SYSTem:VERSion", [](Call& c) {
      *c.answer = "1999.0";
      return 0;
    }));
    t.push_back(Choice("SYSTem:COMMunicate:SERial:CONTrol:DTR", {"OFF", "ON", "LIMit", "STANdby"},
                       [](Call& c) -> int& { return S(c).serialDtr; }));
    t.push_back(Choice("SYSTem:COMMunicate:SERial:SOURce", {"USB", "DB9"},
                       [](Call& c) -> int& { return S(c).serialSource; }));
    t.push_back(Choice("SYSTem:COMMunicate:RLSTate", {"LOCal", "REMote", "RWLock"},
                       [](Call& c) -> int& { return c.d.remoteState_; }));
    return t;
  }

  // CONFigure:<function> [<expected>[,<resolution>]][,<channels>] and MEASure:<function>?.
  static void AddFunctionHeaders(std::vector<Entry>* t) {
    constexpr int kMaxParams = 6;
    for (const FunctionDef& f : Functions()) {
      const FunctionDef* def = &f;
      for (const char* form : f.forms) {
        Entry conf = Action((std::string("CONFigure[:SCALar]:") + form).c_str(), 0,
                            [def](Call& c) { return Configure(c, *def); });
        conf.setMax = kMaxParams;
        t->push_back(std::move(conf));
        Entry meas = Query((std::string("MEASure[:SCALar]:") + form).c_str(), [def](Call& c) {
          if (int err = Configure(c, *def)) return err;
          *c.answer = c.d.FormatReading(c.d.NewReading());
          return 0;
        });
        meas.queryMax = kMaxParams;
        t->push_back(std::move(meas));
      }
    }
  }

  // IEEE 488.2 common commands; they never change the header path.
  static int RunCommon(Call& c, const std::string& name, bool query) {
    Device& d = c.d;
    auto noParams = [&] { return c.params.empty() ? 0 : int{scpi::kParameterNotAllowed}; };
    auto byteParam = [&](int* reg) {
      if (c.params.empty()) return int{scpi::kMissingParameter};
      if (c.params.size() > 1) return int{scpi::kParameterNotAllowed};
      double v = 0;
      if (int err = ReadNumber(c.params[0], {0, 255, 0, true}, &v)) return err;
      *reg = static_cast<int>(v);
      return 0;
    };
    if (query) {
      if (int err = noParams()) return err;
      if (name == "IDN") {
        *c.answer = "Zarnith,ZC4100," + d.options_.serial + "," + kFirmware;
      } else if (name == "ESR") {
        *c.answer = std::to_string(d.esr_);
        d.esr_ = 0;
      } else if (name == "OPC") {
        // Answered now, or held back by Counter until the waiting measurement completes.
        *c.answer = "1";
        if (d.OpcMustWait()) c.result->waitsForTrigger = true;
      } else if (name == "ESE") {
        *c.answer = std::to_string(d.ese_);
      } else if (name == "SRE") {
        *c.answer = std::to_string(d.sre_);
      } else if (name == "STB") {
        int stb = (d.errors_.empty() ? 0 : 4) | ((d.esr_ & d.ese_) ? 32 : 0);
        if (stb & d.sre_) stb |= 64;
        *c.answer = std::to_string(stb);
      } else if (name == "TST") {
        *c.answer = "0";
      } else {
        return scpi::kUndefinedHeader;
      }
      return 0;
    }
    if (name == "ESE") return byteParam(&d.ese_);
    if (name == "SRE") return byteParam(&d.sre_);
    if (name == "RST") {
      if (int err = noParams()) return err;
      d.Reset();
    } else if (name == "CLS") {
      if (int err = noParams()) return err;
      d.errors_.clear();
      d.esr_ = 0;
      d.opcCommandPending_ = false;
    } else if (name == "OPC") {
      if (int err = noParams()) return err;
      if (d.OpcMustWait()) {
        d.opcCommandPending_ = true;
      } else {
        d.esr_ |= kEsrOperationComplete;
      }
    } else if (name == "WAI") {
      return noParams();
    } else if (name == "TRG") {
      if (int err = noParams()) return err;
      d.Trigger(c.now);
    } else {
      return scpi::kUndefinedHeader;
    }
    return 0;
  }

  static const Entry* Find(const std::vector<scpi::Mnemonic>& path, bool query,
                           std::vector<int>* suffix) {
    for (const Entry& e : Table()) {
      if (query ? !e.query : !e.set) continue;
      if (e.pattern.Match(path, suffix)) return &e;
    }
    return nullptr;
  }

  static int Run(const Entry& e, Call& c, bool query) {
    int n = static_cast<int>(c.params.size());
    int min = query ? e.queryMin : e.setMin;
    int max = query ? e.queryMax : e.setMax;
    if (n < min) return scpi::kMissingParameter;
    if (n > max) return scpi::kParameterNotAllowed;
    return (query ? e.query : e.set)(c);
  }

  static const std::vector<Entry>& Table() {
    static const std::vector<Entry> table = Build();
    return table;
  }
};
const Entry* FindCommand(const std::vector<scpi::Mnemonic>& path, bool query,
                         std::vector<int>* suffix) {
  return Commands::Find(path, query, suffix);
}

int RunCommand(const Entry& e, Call& c, bool query) { return Commands::Run(e, c, query); }

int RunCommonCommand(Call& c, const std::string& name, bool query) {
  return Commands::RunCommon(c, name, query);
}

}  // namespace zc::sim
