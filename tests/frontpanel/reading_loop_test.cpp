// The reading loop against simulated counters: the query of each tick, what is kept, shown and
// plotted, and how a lost instrument ends the run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquire/run_controller.h"
#include "measure/panel_settings.h"
#include "recording_ui.h"
#include "run_view_recorder.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";

// The record store's side of a run, written down.
class CRecordingRecorder : public CRunRecorder {
 public:
  bool OpenForRun(int n) override {
    events.push_back("open " + std::to_string(n));
    return true;
  }
  bool AppendReading(double v) override {
    values.push_back(v);
    return true;
  }
  void CloseRun() override { events.push_back("close"); }
  const std::string& error() const override { return error_; }
  std::string error_;
  std::vector<std::string> events;
  std::vector<double> values;
};

class ReadingLoop {
 public:
  explicit ReadingLoop(const std::string& extraOptions = "")
      : config_(SimUsb(kUsbName, extraOptions)) {
    zc::visa::ResetSimulatedInstruments();
    devices.DiscoverDevices();
    counter = zc::visa::SimulatedInstrument(kUsbName);
    run.SetRecorder(&recorder);
  }
  void Set(const char* key, const char* value) {
    std::string error;
    ASSERT_TRUE(ApplyPanelSetting(panel, key, value, &error)) << error;
  }
  std::vector<std::string> Since(std::size_t from) const {
    const auto all = counter->Received();
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(from), all.end());
  }

  SimConfig config_;
  CRecordingUi ui;
  CConsoleDeviceTable console;
  CDeviceManager devices{ui, console};
  CPanelModel panel{ui};
  CRecordingView view;
  CRunController run{panel, devices, ui, view};
  CRecordingRecorder recorder;
  std::shared_ptr<zc::sim::Counter> counter;
};

struct QueryCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> settings;
  const char* query;
};

TEST(ReadingLoopTest, OneQueryPerTickChosenAtRunStart) {
  const QueryCase cases[] = {
      {"plain", {}, "fetch?\n"},
      {"scale and offset", {{"Scale", "1"}}, "calc:data?"},
      {"statistics", {{"StatShow", "1"}}, "calc3:data?"},
      {"math before statistics", {{"Scale", "1"}, {"StatShow", "1"}}, "calc:data?"},
  };
  for (const QueryCase& c : cases) {
    ReadingLoop loop;
    for (const auto& [k, v] : c.settings) loop.Set(k, v);
    loop.run.RunStart();
    const std::size_t from = loop.counter->Received().size();
    for (int i = 0; i < 3; ++i) loop.run.OnReadingTimer();
    // Changing the panel during the run does not change the query.
    loop.Set("Scale", "0");
    loop.run.OnReadingTimer();
    EXPECT_EQ(loop.Since(from), std::vector<std::string>(4, c.query)) << c.name;
    EXPECT_EQ(loop.run.buffer.count(), 4);
    EXPECT_TRUE(loop.ui.messages.empty()) << c.name;
  }
}

TEST(ReadingLoopTest, EachTickKeepsShowsAndPlots) {
  ReadingLoop loop;
  loop.run.saveFlag = true;
  loop.run.recordNumber = 3;
  loop.run.RunStart();
  EXPECT_EQ(loop.view.readouts[IDC_READOUT_CURRENT], "0");
  EXPECT_EQ(loop.view.readouts[IDC_READOUT_MAX], "0");
  for (int i = 0; i < 5; ++i) loop.run.OnReadingTimer();
  ASSERT_EQ(loop.recorder.values.size(), 5u);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(loop.run.buffer.Slot(i), loop.recorder.values[static_cast<std::size_t>(i - 1)]);
    EXPECT_NEAR(loop.recorder.values[static_cast<std::size_t>(i - 1)], 10e6, 100);  // CH1 ~10 MHz
  }
  EXPECT_NE(loop.view.readouts[IDC_READOUT_CURRENT].find(" M  Hz"), std::string::npos);
  EXPECT_NE(loop.view.readouts[IDC_READOUT_MAX].find(" M  Hz"), std::string::npos);
  ASSERT_EQ(loop.view.plots.size(), 5u);
  EXPECT_TRUE(loop.view.plots.back().drawn);
  EXPECT_EQ(loop.view.plots.back().line.size(), 5u);
  loop.run.RunStop();
  EXPECT_EQ(loop.recorder.events, (std::vector<std::string>{"open 3", "close"}));
}

TEST(ReadingLoopTest, RunStopTwiceSendsStopTwiceAndChangesNothingElse) {
  ReadingLoop loop;
  loop.run.RunStart();
  loop.run.OnReadingTimer();
  const std::size_t from = loop.counter->Received().size();
  loop.run.RunStop();
  loop.run.RunStop();
  EXPECT_EQ(loop.Since(from), (std::vector<std::string>{"INIT:CONT OFF", "INIT:CONT OFF"}));
  EXPECT_FALSE(loop.run.running());
  EXPECT_EQ(loop.run.buffer.count(), 1);  // the last trend stays
  EXPECT_FALSE(loop.view.timerOn);
}

TEST(ReadingLoopTest, ReadSpeedAndDotsActAtOnceDuringARun) {
  ReadingLoop loop;
  loop.panel.OnSelectionChanged(IDC_READ_SPEED_LIST, 3);
  EXPECT_TRUE(loop.view.timerStarts.empty());  // stopped: no timer starts
  loop.run.RunStart();
  EXPECT_EQ(loop.view.timerStarts, std::vector<int>{1000});
  loop.panel.OnSelectionChanged(IDC_READ_SPEED_LIST, 0);
  EXPECT_EQ(loop.view.timerMs, 100);
  loop.panel.OnSelectionChanged(IDC_DOTS_LIST, 5);
  EXPECT_EQ(loop.run.buffer.capacity(), 1001);
  loop.panel.OnSelectionChanged(IDC_DOTS_LIST, 0);
  EXPECT_EQ(loop.run.buffer.capacity(), 51);
}

// Replies that are not readings are shown and plotted for what they are, never kept as one.
TEST(ReadingLoopTest, OddRepliesAreShownNotKept) {
  ReadingLoop loop("fault = non_numeric\n");
  loop.run.saveFlag = true;
  loop.run.recordNumber = 1;
  loop.run.RunStart();
  loop.run.OnReadingTimer();
  EXPECT_EQ(loop.run.buffer.Slot(1), 0.0);
  EXPECT_TRUE(loop.view.readouts.count(IDC_READOUT_CURRENT));
  EXPECT_FALSE(loop.view.plots.back().drawn);  // a zero newest sample shows only the grid
  EXPECT_TRUE(loop.run.running());
  // The text was not empty, so the store got its value, 0.
  EXPECT_EQ(loop.recorder.values, std::vector<double>{0.0});
}

struct LostCase {
  const char* name;
  const char* options;
};

// A counter that goes away or falls silent stops the run with the library's description of the
// failure; the tick still finishes and no further tick comes.
TEST(ReadingLoopTest, LostInstrumentStopsTheRun) {
  const LostCase cases[] = {
      {"unplugged", "fault = disconnect\ndisconnect_after = 40\n"},
      {"silent", "fault = silent\n"},
  };
  for (const LostCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReadingLoop loop(c.options);
    loop.run.RunStart();
    ASSERT_TRUE(loop.run.running());
    for (int i = 0; i < 40 && loop.run.running(); ++i) loop.run.OnReadingTimer();
    EXPECT_FALSE(loop.run.running());
    EXPECT_FALSE(loop.view.timerOn);
    EXPECT_EQ(loop.view.states.back(), false);
    ASSERT_EQ(loop.ui.messages.size(), 1u);
    EXPECT_EQ(loop.ui.messages[0].caption, "ZC4100_AP");
    EXPECT_FALSE(loop.ui.messages[0].text.empty());
    EXPECT_EQ(loop.ui.messages[0].text.find("VI_SUCCESS"), std::string::npos);
  }
}

}  // namespace
}  // namespace zc::fp::testing
