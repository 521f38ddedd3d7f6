// The configuration a run start sends: the panel's settings turned into the counter's commands,
// in the counter's order (function, reference clock, gating and arming, limit test, output, math,
// statistics, channel inputs). Edit texts the sequence normalises are written back to the panel.
#pragma once

#include <functional>
#include <string>

#include "measure/panel_model.h"

namespace zc::fp {

using CommandSink = std::function<void(const std::string& command)>;

struct CConfigurationResult {
  MeasFunction runFunction = FUNC_FREQ;
  bool ch3Run = false;  // a CH3 run sends no channel input settings
  // A level out of range stopped the sequence: the message of the text key below, and the
  // commands sent up to there stay sent.
  bool levelOverRange = false;
  std::string messageKey;
  std::string message;
};

// Sends the configuration of the panel's selected function through send, one command each, up to
// the channel settings (the caller then starts the measurement). Sets the model's math and
// statistics flags as the run will use them.
CConfigurationResult SendConfiguration(CPanelModel& model, const CommandSink& send);

// The unit tables that turn a value and the index of its unit list into command text.
enum class CUnitTable {
  Time,    // pico to whole seconds: limits and offsets of the time functions
  Limit,   // micro to mega: limits of frequency, ratio, phase and duty, and every scale
  Offset,  // as Limit, but mega is sent as thousands of kilo: offsets of those functions
};

// "v prefix" for a value text v and its unit index; a milli entry is sent as a thousand times
// the value in micro. A value of 0 makes both v and the result "0".
std::string UnitCommandText(std::string& v, int unitIndex, CUnitTable table);
// The plain number a command text stands for, "%.16f"; with zeroGivesZero a zero v gives "0".
std::string NumericForm(const std::string& commandText, const std::string& v, bool zeroGivesZero);

}  // namespace zc::fp
