// The instrument behind the SCPI parser: settings, readings, status registers, error queue and
// external arming. Not thread-safe and knows nothing of replies in flight; Counter adds those.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model.h"
#include "scpi.h"
#include "zc4100_sim.h"

namespace zc::sim {

struct ExecResult {
  std::string reply;  // the answers of the message's queries, joined by ';'
  bool hasReply = false;
  bool waitsForTrigger = false;  // an *OPC? in it may only be answered after the arming edge
};

class Device {
 public:
  explicit Device(const Options& options);

  // Runs one program message (without its terminator) that arrived at `now`.
  void Execute(std::string_view message, Clock::time_point now, ExecResult* result);

  void PushError(int code);

  // External arming. A measurement waits for its edge when the present function's group is
  // armed externally and the model was started (continuous mode, INIT).
  bool Waiting() const { return waiting_; }
  bool OpcMustWait() const { return waiting_ && !settings_.continuous; }
  // When the simulated edge of a waiting measurement comes by itself, if it ever does.
  std::optional<Clock::time_point> ScheduledTrigger() const;
  // Lets a scheduled edge that is due complete the measurement; returns when it came.
  std::optional<Clock::time_point> FireDueTrigger(Clock::time_point now);
  // An edge now. True when it completed a waiting measurement.
  bool Trigger(Clock::time_point now);

  bool Remote() const { return remoteState_ != kLocal; }
  void GoToLocal() { remoteState_ = kLocal; }

 private:
  friend struct Commands;  // the command table's handlers work on the fields below

  bool ExternallyArmed() const;
  void Reconcile(Clock::time_point now);  // keeps the arming state in step with the settings
  void CompleteMeasurement(Clock::time_point when);
  void Initiate(Clock::time_point now);
  void Reset();
  void SelectFunction(Function f, int a, int b);

  // Readings.
  void TakeBlock();
  double CurrentReading();  // the latest reading; a fresh one when the counter kept measuring
  double NewReading();      // always a fresh one (READ?)
  double Statistic();
  std::string FormatReading(double value) const;

  Options options_;
  Settings settings_;
  SignalModel signal_;

  bool hasReading_ = false;
  bool readingDue_ = false;  // a measurement completed since the last one read
  double last_ = 0;
  std::deque<double> history_;  // the recent readings the statistics are taken over

  bool waiting_ = false;
  Clock::time_point armedAt_{};
  bool opcCommandPending_ = false;  // "*OPC" sets its bit when the waiting measurement completes

  std::deque<int> errors_;
  int esr_ = 0;
  int ese_ = 0;
  int sre_ = 0;
  int remoteState_ = kLocal;
};

}  // namespace zc::sim
