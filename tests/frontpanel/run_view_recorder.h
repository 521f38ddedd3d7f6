// A CRunView that writes down what a run showed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "acquire/run_controller.h"

namespace zc::fp::testing {

class CRecordingView : public CRunView {
 public:
  void ShowRunState(bool r) override { states.push_back(r); }
  void ClearChart() override { ++clears; }
  void StartReadingTimer(int ms) override {
    timerMs = ms;
    timerOn = true;
    timerStarts.push_back(ms);
  }
  void StopReadingTimer() override { timerOn = false; }
  void ShowReadout(ReadoutId id, const std::string& text) override { readouts[id] = text; }
  int ChartWidth() const override { return 470; }
  int ChartHeight() const override { return 272; }
  void DrawChart(const CTrendPlot& plot) override { plots.push_back(plot); }
  void PanelChanged() override { ++panelChanges; }

  std::vector<bool> states;
  int clears = 0;
  int timerMs = 0;
  bool timerOn = false;
  std::vector<int> timerStarts;
  std::map<ReadoutId, std::string> readouts;
  std::vector<CTrendPlot> plots;
  int panelChanges = 0;
};

}  // namespace zc::fp::testing
