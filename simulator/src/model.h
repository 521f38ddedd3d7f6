// The counter's settings and the signals on its inputs: what a measurement would read with the
// present settings. No SCPI here; the command table maps commands onto these fields.
#pragma once

#include <cstdint>

namespace zc::sim {

enum class Function {
  Frequency,
  Period,
  Ratio,
  RiseTime,
  FallTime,
  PositiveWidth,
  NegativeWidth,
  DutyCycle,
  TimeInterval,
  Phase,
  Totalize,
  VoltPeakToPeak,
  VoltMax,
  VoltMin,
  VoltCenter,
};

// The arming settings a function follows: each group has its own on the instrument.
enum class ArmGroup { Frequency, TimeInterval, Phase, Totalize, None };
ArmGroup GroupOf(Function f);

// Indices into the choice lists of the command table; kept as plain ints so one generic handler
// serves every enumerated setting.
enum ArmSource { kArmImmediate = 0, kArmExternal = 1, kArmTimer = 2, kArmDigits = 3 };
enum Slope { kSlopePositive = 0, kSlopeNegative = 1 };
enum Coupling { kCouplingAc = 0, kCouplingDc = 1 };
enum RefSource { kRefInternal = 0, kRefExternal = 1 };
enum VoltMode { kVoltSlow = 0, kVoltFast = 1 };
enum StatType { kStatMeasurement, kStatSdev, kStatMax, kStatMin, kStatMean, kStatDelta };
enum RemoteState { kLocal = 0, kRemote = 1, kRemoteLockout = 2 };

struct ArmSettings {
  int startSource = kArmImmediate;
  int startSlope = kSlopePositive;
  int stopSource = kArmImmediate;
  int stopSlope = kSlopePositive;
  double timer = 0.1;  // seconds
  int digits = 9;
};

struct ChannelSettings {
  bool autoLevel = true;
  double relativeLevel = 50;  // percent of the peak-to-peak swing
  double absoluteLevel = 0;   // volts
  int slope = kSlopePositive;
  double hysteresis = 0;  // percent
  int coupling = kCouplingAc;
  double impedance = 1e6;
  double attenuation = 1;
  bool filter = false;
};

// Everything *RST puts back.
struct Settings {
  Function function = Function::Frequency;
  int channelA = 1;
  int channelB = 2;  // second channel of ratio, time interval and phase

  ArmSettings freqArm, tintArm, phaseArm, totArm;

  int refSource = kRefInternal;
  bool refAuto = true;
  int voltMode = kVoltSlow;

  bool limitState = false;
  double limitUpper = 0;
  double limitLower = 0;
  bool initAuto = false;

  bool mathState = false;
  double scale = 1;
  double offset = 0;

  bool statState = false;
  int statType = kStatMean;
  int statCount = 100;
  bool limitFilter = false;
  bool triggerCountAuto = false;

  ChannelSettings input[2];
  bool continuous = true;

  int serialDtr = 0;
  int serialSource = 0;
};

// The arming settings of a group, or null for functions that are never armed.
ArmSettings* ArmFor(Settings& s, ArmGroup g);
const ArmSettings* ArmFor(const Settings& s, ArmGroup g);

// Small, fast and the same on every platform, so a seed gives the same readings everywhere.
class Rng {
 public:
  explicit Rng(std::uint64_t seed);
  std::uint64_t Next();
  double Gauss();  // standard normal

 private:
  std::uint64_t s_[4];
  bool haveSpare_ = false;
  double spare_ = 0;
};

// The signals on the inputs: CH1 near 10 MHz, CH2 near 5 MHz, CH3 near 1.2 GHz, seen through the
// timebase, with noise that shrinks as the gate grows and a slow wander of the timebase.
class SignalModel {
 public:
  explicit SignalModel(std::uint64_t seed) : rng_(seed) {}

  // One measurement of the configured function.
  double Measure(const Settings& s);
  void ResetTotal() { total_ = 0; }

  static double GateSeconds(const Settings& s);

 private:
  double Frequency(const Settings& s, int channel) const;

  Rng rng_;
  double wander_ = 0;  // relative timebase offset that drifts from one measurement to the next
  double total_ = 0;   // totalize count so far
};

}  // namespace zc::sim
