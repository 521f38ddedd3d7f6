#include "device.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "device_commands.h"

namespace zc::sim {

using scpi::Param;

namespace {

constexpr std::size_t kErrorQueueSize = 30;

std::uint64_t SeedFrom(const Options& o) {
  if (o.seed) return *o.seed;
  std::random_device rd;
  return (static_cast<std::uint64_t>(rd()) << 32) ^ rd();
}

}  // namespace

Device::Device(const Options& options) : options_(options), signal_(SeedFrom(options)) {}


// ---------------------------------------------------------------------------------------------

void Device::Execute(std::string_view message, Clock::time_point now, ExecResult* result) {
  // SCPI's header path: a header without a leading ':' continues from the previous command's
  // path. Headers that only make sense from the root still work (we fall back to it).
  std::vector<scpi::Mnemonic> base;
  for (std::string_view text : scpi::SplitCommands(message)) {
    if (scpi::Trim(text).empty()) continue;
    if (remoteState_ == kLocal) remoteState_ = kRemote;
    scpi::Command cmd;
    if (int err = scpi::ParseCommand(text, &cmd)) {
      PushError(err);
      continue;
    }
    std::string answer;
    std::vector<int> suffix;
    Call call{*this, now, suffix, cmd.params, &answer, result};
    int err = 0;
    if (cmd.common) {
      err = RunCommonCommand(call, cmd.commonName, cmd.query);
    } else {
      const Entry* e = nullptr;
      std::vector<scpi::Mnemonic> full;
      if (!cmd.absolute && !base.empty()) {
        full = base;
        full.insert(full.end(), cmd.path.begin(), cmd.path.end());
        e = FindCommand(full, cmd.query, &suffix);
      }
      if (!e) {
        full = cmd.path;
        e = FindCommand(full, cmd.query, &suffix);
      }
      if (!e) {
        err = scpi::kUndefinedHeader;
      } else {
        full.pop_back();
        base = std::move(full);
        err = RunCommand(*e, call, cmd.query);
      }
    }
    if (err) {
      PushError(err);
    } else if (cmd.query) {
      if (result->hasReply) result->reply += ';';
      result->reply += answer;
      result->hasReply = true;
    }
    Reconcile(now);
  }
}

void Device::PushError(int code) {
  if (code <= -100 && code > -200) {
    esr_ |= kEsrCommandError;
  } else if (code <= -200 && code > -300) {
    esr_ |= kEsrExecutionError;
  } else if (code <= -300 && code > -400 && code != scpi::kQueueOverflow) {
    esr_ |= kEsrDeviceError;
  } else if (code <= -400 && code > -500) {
    esr_ |= kEsrQueryError;
  }
  // A full queue keeps its oldest entries and says so in its last one.
  if (errors_.size() + 1 < kErrorQueueSize) {
    errors_.push_back(code);
  } else if (errors_.size() + 1 == kErrorQueueSize) {
    errors_.push_back(scpi::kQueueOverflow);
  }
}

// ---- arming ----

bool Device::ExternallyArmed() const {
  ArmGroup g = GroupOf(settings_.function);
  const ArmSettings* a = ArmFor(settings_, g);
  if (!a) return false;
  bool hasStop = g == ArmGroup::Frequency || g == ArmGroup::Totalize;
  return a->startSource == kArmExternal || (hasStop && a->stopSource == kArmExternal);
}

void Device::Reconcile(Clock::time_point now) {
  if (!ExternallyArmed()) {
    waiting_ = false;
  } else if (settings_.continuous && !waiting_) {
    waiting_ = true;
    armedAt_ = now;
  }
}

void Device::Initiate(Clock::time_point now) {
  if (ExternallyArmed()) {
    if (!waiting_) {
      waiting_ = true;
      armedAt_ = now;
    }
  } else {
    readingDue_ = true;
  }
}

std::optional<Clock::time_point> Device::ScheduledTrigger() const {
  if (!waiting_ || options_.triggerDelayMs < 0) return std::nullopt;
  return armedAt_ + std::chrono::milliseconds(options_.triggerDelayMs);
}

std::optional<Clock::time_point> Device::FireDueTrigger(Clock::time_point now) {
  std::optional<Clock::time_point> due = ScheduledTrigger();
  if (!due || now < *due) return std::nullopt;
  Clock::time_point when = *due;
  CompleteMeasurement(when);
  if (waiting_) {
    // Continuous mode re-armed: its next edge follows one delay later, and so on until now.
    auto period = std::chrono::milliseconds(options_.triggerDelayMs);
    if (period.count() > 0) {
      armedAt_ = when + ((now - when) / period) * period;
    } else {
      armedAt_ = now;
    }
  }
  return when;
}

bool Device::Trigger(Clock::time_point now) {
  if (!waiting_) return false;
  CompleteMeasurement(now);
  return true;
}

void Device::CompleteMeasurement(Clock::time_point when) {
  armedAt_ = when;
  readingDue_ = true;
  waiting_ = settings_.continuous;  // continuous mode arms again at once
  if (opcCommandPending_) {
    opcCommandPending_ = false;
    esr_ |= kEsrOperationComplete;
  }
}

void Device::Reset() {
  settings_ = Settings{};
  hasReading_ = false;
  readingDue_ = false;
  history_.clear();
  signal_.ResetTotal();
  waiting_ = false;
  opcCommandPending_ = false;
}

void Device::SelectFunction(Function f, int a, int b) {
  settings_.function = f;
  settings_.channelA = a;
  settings_.channelB = b;
  // Readings of the old function mean nothing for the new one.
  hasReading_ = false;
  readingDue_ = false;
  history_.clear();
  signal_.ResetTotal();
}

// ---- readings ----

void Device::TakeBlock() {
  const Settings& s = settings_;
  // With the trigger count tied to the statistics, one run is a whole block of readings.
  int n = (s.triggerCountAuto && s.statState) ? s.statCount : 1;
  if (n > 1) history_.clear();
  for (int i = 0; i < n; ++i) {
    last_ = signal_.Measure(s);
    bool outside = last_ > s.limitUpper || last_ < s.limitLower;
    if (!(s.limitFilter && s.limitState && outside)) {
      history_.push_back(last_);
      while (history_.size() > static_cast<std::size_t>(s.statCount)) history_.pop_front();
    }
  }
  hasReading_ = true;
  readingDue_ = false;
}

double Device::CurrentReading() {
  if (settings_.continuous || readingDue_ || !hasReading_) TakeBlock();
  return last_;
}

double Device::NewReading() {
  TakeBlock();
  return last_;
}

double Device::Statistic() {
  if (settings_.continuous || readingDue_ || !hasReading_) TakeBlock();
  // The count may have shrunk since these readings were taken.
  while (history_.size() > static_cast<std::size_t>(settings_.statCount)) history_.pop_front();
  if (history_.empty()) return std::numeric_limits<double>::quiet_NaN();
  double min = history_.front(), max = history_.front(), sum = 0;
  for (double v : history_) {
    min = std::min(min, v);
    max = std::max(max, v);
    sum += v;
  }
  double n = static_cast<double>(history_.size());
  double mean = sum / n;
  switch (settings_.statType) {
    case kStatMeasurement:
      return history_.back();
    case kStatMax:
      return max;
    case kStatMin:
      return min;
    case kStatDelta:
      return max - min;
    case kStatSdev: {
      if (history_.size() < 2) return 0;
      double sq = 0;
      for (double v : history_) sq += (v - mean) * (v - mean);
      return std::sqrt(sq / (n - 1));
    }
    default:
      return mean;
  }
}

std::string Device::FormatReading(double value) const {
  const Faults& f = options_.faults;
  std::string s = f.nonNumeric ? "no signal" : scpi::FormatE(value);
  if (f.longReplies) {
    // Still a valid number, just one a 64-byte buffer cannot hold whole.
    constexpr std::size_t kLong = 80;
    std::size_t at = f.nonNumeric ? s.size() : s.find('E');
    s.insert(at, kLong - s.size(), f.nonNumeric ? '-' : '0');
  }
  if (f.decimalComma) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

}  // namespace zc::sim
