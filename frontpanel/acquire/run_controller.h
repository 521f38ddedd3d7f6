// A run: Run Start configures the counter from the panel and starts the reading timer; each tick
// fetches one reading, keeps it, shows it and plots the trend; Run Stop ends it. Plain C++: the
// window, the command-line measurement and the tests each supply the view.
#pragma once

#include <string>

#include "acquire/trend_buffer.h"
#include "acquire/trend_plot.h"
#include "app/user_interface.h"
#include "instrument/device_manager.h"
#include "measure/panel_model.h"

namespace zc::fp {

// Readout labels of the main window.
enum ReadoutId { IDC_READOUT_MAX = 1185, IDC_READOUT_CURRENT = 1098, IDC_READOUT_MIN = 1186 };

// What a run changes on the screen.
class CRunView {
 public:
  virtual ~CRunView() = default;
  // Device list, toolbar and menu in the running or the stopped state.
  virtual void ShowRunState(bool running) = 0;
  virtual void ClearChart() = 0;
  virtual void StartReadingTimer(int intervalMs) = 0;  // starts or restarts it
  virtual void StopReadingTimer() = 0;
  virtual void ShowReadout(ReadoutId id, const std::string& text) = 0;
  // The chart's size in pixels, and a new drawing of it.
  virtual int ChartWidth() const = 0;
  virtual int ChartHeight() const = 0;
  virtual void DrawChart(const CTrendPlot& plot) = 0;
  // The panel model changed outside the user's own actions (edit texts written back, boxes
  // unchecked, the function caption): show it again.
  virtual void PanelChanged() = 0;
};

// Where a run's readings are kept when the user asked for records to be saved.
class CRunRecorder {
 public:
  virtual ~CRunRecorder() = default;
  // False when the record cannot be kept: the run stops and error() says why. A record folder
  // that is missing is reported by the recorder itself; the run then goes on unrecorded.
  virtual bool OpenForRun(int recordNumber) = 0;
  // False when the reading could not be kept: the run stops, keeping what was stored before.
  // Appends to a record that is not open do nothing.
  virtual bool AppendReading(double value) = 0;
  virtual void CloseRun() = 0;
  virtual const std::string& error() const = 0;
};

class CRunController {
 public:
  CRunController(CPanelModel& panel, CDeviceManager& devices, CUserInterface& ui, CRunView& view);

  void RunStart();
  void RunStop();
  void OnReadingTimer();

  // Records: the save flag and record number the user chose, and the store that keeps them.
  void SetRecorder(CRunRecorder* recorder) { recorder_ = recorder; }
  bool saveFlag = false;
  int recordNumber = 0;

  bool running() const { return panel_.running; }
  MeasFunction runFunction = FUNC_FREQ;
  CTrendBuffer buffer;
  // The query each tick writes, chosen by the run's flags.
  std::string ReadingQuery() const;

 private:
  CPanelModel& panel_;
  CDeviceManager& devices_;
  CUserInterface& ui_;
  CRunView& view_;
  CRunRecorder* recorder_ = nullptr;
  CTrendPlot plot_;
};

}  // namespace zc::fp
