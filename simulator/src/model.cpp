#include "model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zc::sim {

ArmGroup GroupOf(Function f) {
  switch (f) {
    case Function::Frequency:
    case Function::Period:
    case Function::Ratio:
      return ArmGroup::Frequency;
    case Function::RiseTime:
    case Function::FallTime:
    case Function::PositiveWidth:
    case Function::NegativeWidth:
    case Function::DutyCycle:
    case Function::TimeInterval:
      return ArmGroup::TimeInterval;
    case Function::Phase:
      return ArmGroup::Phase;
    case Function::Totalize:
      return ArmGroup::Totalize;
    default:
      return ArmGroup::None;
  }
}

ArmSettings* ArmFor(Settings& s, ArmGroup g) {
  return const_cast<ArmSettings*>(ArmFor(static_cast<const Settings&>(s), g));
}

const ArmSettings* ArmFor(const Settings& s, ArmGroup g) {
  switch (g) {
    case ArmGroup::Frequency:
      return &s.freqArm;
    case ArmGroup::TimeInterval:
      return &s.tintArm;
    case ArmGroup::Phase:
      return &s.phaseArm;
    case ArmGroup::Totalize:
      return &s.totArm;
    default:
      return nullptr;
  }
}

namespace {

std::uint64_t SplitMix(std::uint64_t* x) {
  std::uint64_t z = (*x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

constexpr double kNominal[3] = {10e6, 5e6, 1.2e9};  // Hz on CH1..CH3
constexpr double kDuty = 0.48;                      // CH1 is a slightly asymmetric square wave

struct Levels {
  double max;
  double min;
};
// CH1: 1 Vpp around ground; CH2: a 0..3.3 V logic signal.
constexpr Levels kLevels[2] = {{0.5, -0.5}, {3.3, 0.0}};

}  // namespace

Rng::Rng(std::uint64_t seed) {
  for (auto& v : s_) v = SplitMix(&seed);
}

std::uint64_t Rng::Next() {
  std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

double Rng::Gauss() {
  // Box-Muller, by hand so no library's own distribution changes the sequence.
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  double u1 = (static_cast<double>(Next() >> 11) + 1.0) * 0x1.0p-53;  // (0, 1]
  double u2 = static_cast<double>(Next() >> 11) * 0x1.0p-53;
  double r = std::sqrt(-2.0 * std::log(u1));
  spare_ = r * std::sin(2 * std::numbers::pi * u2);
  haveSpare_ = true;
  return r * std::cos(2 * std::numbers::pi * u2);
}

double SignalModel::GateSeconds(const Settings& s) {
  const ArmSettings& a = s.function == Function::Totalize ? s.totArm : s.freqArm;
  switch (a.stopSource) {
    case kArmTimer:
      return a.timer;
    case kArmDigits:
      // Ten digits in a second, one digit fewer for each tenfold shorter gate.
      return std::clamp(std::pow(10.0, a.digits - 10), 1e-3, 1000.0);
    case kArmExternal:
      return 0.1;
    default:
      return 0.01;  // the automatic gate
  }
}

double SignalModel::Frequency(const Settings& s, int channel) const {
  // The internal timebase is a little off; an external reference (when chosen) is better.
  bool external = !s.refAuto && s.refSource == kRefExternal;
  double offset = external ? 2e-12 : 1.2e-10;
  int i = std::clamp(channel, 1, 3) - 1;
  return kNominal[i] * (1 + offset + wander_);
}

double SignalModel::Measure(const Settings& s) {
  // A timebase that wanders but keeps coming back: bounded however long the model runs.
  wander_ = 0.999 * wander_ + 3e-12 * rng_.Gauss();
  double gate = GateSeconds(s);
  double rel = 1e-10 / gate;
  auto noisy = [&](int ch) { return Frequency(s, ch) * (1 + rel * rng_.Gauss()); };
  double f1 = Frequency(s, 1);
  switch (s.function) {
    case Function::Frequency:
      return noisy(s.channelA);
    case Function::Period:
      return 1.0 / noisy(s.channelA);
    case Function::Ratio:
      return noisy(s.channelA) / noisy(s.channelB);
    case Function::RiseTime:
      return 5.2e-9 + 40e-12 * rng_.Gauss();
    case Function::FallTime:
      return 4.6e-9 + 40e-12 * rng_.Gauss();
    case Function::PositiveWidth:
      return kDuty / f1 + 20e-12 * rng_.Gauss();
    case Function::NegativeWidth:
      return (1 - kDuty) / f1 + 20e-12 * rng_.Gauss();
    case Function::DutyCycle:
      return 100 * kDuty + 0.02 * rng_.Gauss();
    case Function::TimeInterval:
      return 25e-9 + 50e-12 * rng_.Gauss();
    case Function::Phase:
      return 30.0 + 0.05 * rng_.Gauss();
    case Function::Totalize: {
      // Each reading adds the edges counted during one more gate.
      double counted = std::round(Frequency(s, s.channelA) * gate + rng_.Gauss());
      total_ += std::max(counted, 0.0);
      return total_;
    }
    default:
      break;
  }
  // Peak volts on CH1 or CH2; AC coupling removes the logic signal's DC part.
  int i = std::clamp(s.channelA, 1, 2) - 1;
  double max = kLevels[i].max;
  double min = kLevels[i].min;
  if (s.input[i].coupling == kCouplingAc) {
    double centre = (max + min) / 2;
    max -= centre;
    min -= centre;
  }
  double sigma = s.voltMode == kVoltFast ? 10e-3 : 2e-3;
  max += sigma * rng_.Gauss();
  min += sigma * rng_.Gauss();
  switch (s.function) {
    case Function::VoltMax:
      return max;
    case Function::VoltMin:
      return min;
    case Function::VoltCenter:
      return (max + min) / 2;
    default:
      return max - min;
  }
}

}  // namespace zc::sim
