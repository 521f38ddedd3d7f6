#include "acquire/run_controller.h"

#include "acquire/reading_format.h"
#include "measure/run_start.h"
#include "measure/text_value.h"

namespace zc::fp {

CRunController::CRunController(CPanelModel& panel, CDeviceManager& devices, CUserInterface& ui,
                               CRunView& view)
    : panel_(panel), devices_(devices), ui_(ui), view_(view) {
  buffer.SetCapacity(panel_.capacity);
  panel_.onCapacityChanged = [this](int capacity) { buffer.SetCapacity(capacity); };
  panel_.onReadSpeedChanged = [this](int ms) {
    if (panel_.running) view_.StartReadingTimer(ms);
  };
  devices_.SetRunStop([this] { RunStop(); });
}

void CRunController::RunStart() {
  if (devices_.deviceCount == 0) {
    ui_.ShowMessage(panel_.LookupText("1000", "No Device Connected"), messageCaption,
                    MessageIcon::Exclamation);
    return;
  }
  // Saving with no record chosen would write a record that does not exist.
  if (saveFlag && recorder_ && (recordNumber < 1 || recordNumber > 10)) {
    ui_.ShowMessage(panel_.LookupText("704", "Please select a record."), messageCaption,
                    MessageIcon::Exclamation);
    return;
  }
  view_.ClearChart();
  view_.ShowRunState(true);

  const CConfigurationResult config = SendConfiguration(
      panel_, [this](const std::string& command) { devices_.SendCommand(command); });
  runFunction = config.runFunction;
  if (config.levelOverRange) {
    RunStop();
    view_.PanelChanged();
    ui_.ShowMessage(config.message, "ERROR", MessageIcon::Stop);
    return;
  }

  devices_.SendCommand("INIT:CONT ON");
  panel_.running = true;
  panel_.SetFunctionCaption(runFunction);
  view_.PanelChanged();
  if (saveFlag && recorder_ && !recorder_->OpenForRun(recordNumber)) {
    RunStop();
    ui_.ShowMessage(recorder_->error(), messageCaption, MessageIcon::Error);
    return;
  }
  buffer.SetCapacity(panel_.capacity);
  buffer.Reset();
  view_.StartReadingTimer(panel_.ReadSpeedMs());
  view_.ShowReadout(IDC_READOUT_MAX, "0");
  view_.ShowReadout(IDC_READOUT_CURRENT, "0");
  view_.ShowReadout(IDC_READOUT_MIN, "0");
}

void CRunController::RunStop() {
  devices_.SendCommand("INIT:CONT OFF");
  view_.ShowRunState(false);
  view_.StopReadingTimer();
  panel_.running = false;
  if (saveFlag && recorder_) recorder_->CloseRun();
}

std::string CRunController::ReadingQuery() const {
  if (panel_.mathFlag) return "calc:data?";
  if (panel_.statisticsFlag) return "calc3:data?";
  return "fetch?\n";
}

void CRunController::OnReadingTimer() {
  devices_.SendCommand(ReadingQuery());
  // A failed read stops the run in there and reports it; the tick still shows what came.
  const std::string text = devices_.ReadReply();
  const double value = text.empty() ? 0.0 : TextValue(text);
  bool kept = true;
  if (!text.empty() && saveFlag && recorder_) kept = recorder_->AppendReading(value);
  buffer.PushSample(value);
  view_.ShowReadout(IDC_READOUT_CURRENT, FormatReplyForDisplay(text, runFunction));
  PlotTrend(buffer, view_.ChartWidth(), view_.ChartHeight(), runFunction, plot_);
  view_.DrawChart(plot_);
  if (plot_.drawn) {
    view_.ShowReadout(IDC_READOUT_MAX, plot_.maxText);
    view_.ShowReadout(IDC_READOUT_MIN, plot_.minText);
  }
  if (!kept) {
    // Everything stored before stays; the run cannot go on without its record.
    RunStop();
    ui_.ShowMessage(recorder_->error(), messageCaption, MessageIcon::Error);
  }
}

}  // namespace zc::fp
