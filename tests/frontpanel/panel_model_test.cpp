// The settings panel's rules, driven as a user drives the panel.
#include "measure/panel_model.h"

#include <gtest/gtest.h>

#include "measure/panel_settings.h"
#include "recording_ui.h"

namespace zc::fp::testing {
namespace {

class PanelModelTest : public ::testing::Test {
 protected:
  void Click(int id) {
    panel.SetChecked(id, !panel.Checked(id));
    panel.OnCheckClicked(id);
  }
  std::string Levels() const {
    return panel.SelectedText(IDC_CH1_LEVEL_REL) + "/" + panel.SelectedText(IDC_CH2_LEVEL_REL);
  }
  bool Shown(int id) const { return panel.State(id).visible; }
  bool Enabled(int id) const { return panel.State(id).enabled; }
  bool Tab(int i) const { return panel.channelTabs.IsTabEnabled(i); }

  CRecordingUi ui;
  CPanelModel panel{ui};
};

TEST_F(PanelModelTest, StartUpState) {
  EXPECT_EQ(panel.selectedFunction, FUNC_FREQ);
  EXPECT_EQ(panel.previousFunction, FUNC_FREQ);
  EXPECT_TRUE(panel.Checked(IDC_FREQ) && panel.Checked(IDC_PERIOD) && panel.Checked(IDC_PHASE));
  for (int id : {IDC_FREQ, IDC_FREQ_CHANNEL, IDC_RATIO, IDC_RATIO_PAIR})
    EXPECT_TRUE(Shown(id)) << id;
  for (int id : {IDC_PERIOD, IDC_GATE_SOURCE, IDC_UPPER, IDC_SCALE, IDC_STAT_SHOW}) {
    EXPECT_FALSE(Shown(id)) << id;
  }
  EXPECT_TRUE(Tab(0));
  EXPECT_FALSE(Tab(1));
  EXPECT_TRUE(Shown(IDC_CH1_LEVEL_REL) && Shown(IDC_PERCENT_UNIT) && !Shown(IDC_CH1_LEVEL_ABS));
  EXPECT_FALSE(Shown(IDC_CH2_SLOPE));
  EXPECT_EQ(panel.capacity, 101);
  EXPECT_EQ(panel.SelectedText(IDC_READ_SPEED_LIST), "100 ms");
  EXPECT_EQ(panel.SelectedText(IDC_DOTS_LIST), "100");
  EXPECT_EQ(panel.ReadSpeedMs(), 100);
  EXPECT_EQ(Levels(), "50/50");
  struct Edit {
    int id;
    const char* text;
  };
  for (Edit e : {Edit{IDC_GATE_TIME, "0.1"}, Edit{IDC_STOP_TIME, "0.1"}, Edit{IDC_DIGITS, "4"},
                 Edit{IDC_SCALE_VALUE, "1"}, Edit{IDC_STAT_COUNT, "100"}, Edit{IDC_UPPER_VALUE, ""},
                 Edit{IDC_OFFSET_VALUE, ""}}) {
    EXPECT_EQ(panel.Text(e.id), e.text) << e.id;
  }
  EXPECT_EQ(panel.SelectedText(IDC_UPPER_UNIT), "Hz");
  EXPECT_EQ(panel.SelectedText(IDC_OFFSET_PREFIX), " ");
  EXPECT_EQ(panel.SelectedText(IDC_SCALE_PREFIX), "");
}

TEST_F(PanelModelTest, FreqAndRatioAreOneGroup) {
  Click(IDC_FREQ);  // the checked box stays checked
  EXPECT_TRUE(panel.Checked(IDC_FREQ));
  EXPECT_EQ(panel.selectedFunction, FUNC_FREQ);
  Click(IDC_RATIO);
  EXPECT_TRUE(panel.Checked(IDC_RATIO));
  EXPECT_FALSE(panel.Checked(IDC_FREQ));
  EXPECT_EQ(panel.selectedFunction, FUNC_RATIO);
  EXPECT_TRUE(Tab(0) && Tab(1));
  EXPECT_EQ(panel.functionCaption, "( Ratio )");
  Click(IDC_RATIO);
  EXPECT_TRUE(panel.Checked(IDC_RATIO));
}

TEST_F(PanelModelTest, EdgeLevelsFollowTheEdge) {
  panel.OnPageSelected(1);
  panel.OnSelectionChanged(IDC_EDGE_LIST, 1);  // Fall, Edge not yet checked: no change
  EXPECT_EQ(Levels(), "50/50");
  Click(IDC_EDGE);
  EXPECT_EQ(Levels(), "90/10");
  panel.OnSelectionChanged(IDC_EDGE_LIST, 0);
  EXPECT_EQ(Levels(), "10/90");
  EXPECT_FALSE(Enabled(IDC_CH1_SLOPE));
  for (int id : {IDC_CH2_SLOPE, IDC_CH2_SENS, IDC_CH2_COUPLING, IDC_CH2_IMPEDANCE, IDC_CH2_X10,
                 IDC_CH2_FILTER}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_TRUE(Enabled(IDC_CH1_SENS));
  EXPECT_TRUE(Tab(0) && Tab(1));
}

TEST_F(PanelModelTest, PageOneWithEdgeCheckedAndBack) {
  panel.OnPageSelected(1);
  Click(IDC_EDGE);
  panel.OnPageSelected(0);
  EXPECT_EQ(Levels(), "50/50");
  EXPECT_EQ(panel.selectedFunction, FUNC_FREQ);
  panel.OnPageSelected(1);  // from Freq to Edge (Rise)
  EXPECT_EQ(panel.selectedFunction, FUNC_EDGE);
  EXPECT_EQ(Levels(), "10/90");
  EXPECT_FALSE(Enabled(IDC_CH2_COUPLING));
  panel.OnPageSelected(0);
  EXPECT_EQ(Levels(), "50/50");
  EXPECT_TRUE(Enabled(IDC_CH2_COUPLING));
  EXPECT_EQ(panel.functionCaption, "( Freq )");
}

TEST_F(PanelModelTest, ChannelTabsFollowTheChannelLists) {
  panel.OnSelectionChanged(IDC_FREQ_CHANNEL, 1);  // CH2
  EXPECT_FALSE(Tab(0));
  EXPECT_TRUE(Tab(1));
  EXPECT_EQ(panel.channelTabs.selection, 1);
  EXPECT_TRUE(Shown(IDC_CH2_SLOPE));
  EXPECT_FALSE(Shown(IDC_CH1_SLOPE));
  panel.OnSelectionChanged(IDC_FREQ_CHANNEL, 2);  // CH3 leaves the tabs as they are
  EXPECT_FALSE(Tab(0));
  EXPECT_TRUE(Tab(1));
  panel.OnSelectionChanged(IDC_FREQ_CHANNEL, 0);
  EXPECT_TRUE(Tab(0));
  EXPECT_FALSE(Tab(1));
  EXPECT_EQ(panel.channelTabs.selection, 0);
}

TEST_F(PanelModelTest, WidthDisablesTheShowingSecondChannel) {
  Click(IDC_RATIO);
  panel.OnChannelTabSelected(1);
  EXPECT_TRUE(Shown(IDC_CH2_LEVEL_MODE));
  panel.OnPageSelected(1);
  Click(IDC_WIDTH);
  EXPECT_FALSE(Tab(1));
  EXPECT_EQ(panel.channelTabs.selection, 0);
  EXPECT_TRUE(Shown(IDC_CH1_LEVEL_MODE));
  EXPECT_FALSE(Shown(IDC_CH2_LEVEL_MODE));
  EXPECT_FALSE(Enabled(IDC_CH1_SLOPE));
}

TEST_F(PanelModelTest, LevelModeShowsListOrEdit) {
  panel.OnSelectionChanged(IDC_CH1_LEVEL_MODE, 1);
  EXPECT_TRUE(Shown(IDC_CH1_LEVEL_ABS) && Shown(IDC_VOLT_UNIT));
  EXPECT_FALSE(Shown(IDC_CH1_LEVEL_REL) || Shown(IDC_PERCENT_UNIT));
  panel.OnSelectionChanged(IDC_CH1_LEVEL_MODE, 0);
  EXPECT_TRUE(Shown(IDC_CH1_LEVEL_REL) && Shown(IDC_PERCENT_UNIT));
  EXPECT_FALSE(Shown(IDC_CH1_LEVEL_ABS));
}

struct PageFiveCase {
  const char* function;
  std::vector<int> shown;
};

TEST_F(PanelModelTest, GatePageByFunction) {
  const PageFiveCase cases[] = {
      {"Freq", {IDC_GATE_LABEL, IDC_GATE_SOURCE, IDC_GATE_TIME, IDC_GATE_TIME_UNIT}},
      {"Edge", {IDC_GATE_LABEL, IDC_ARM_SOURCE}},
      {"Total", {IDC_GATE_LABEL, IDC_TOTAL_GATE, IDC_GATE_TIME, IDC_GATE_TIME_UNIT}},
      {"Intval", {}},
  };
  for (const PageFiveCase& c : cases) {
    panel.Initialise();
    std::string error;
    ASSERT_TRUE(ApplyPanelSetting(panel, "Function", c.function, &error));
    panel.OnPageSelected(5);
    std::vector<int> shown;
    for (const CControlEntry& entry : PanelControls()) {
      if (entry.page >= 0 && Shown(entry.id)) shown.push_back(entry.id);
    }
    std::sort(shown.begin(), shown.end());
    std::vector<int> expected = c.shown;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected) << c.function;
  }
}

TEST_F(PanelModelTest, GateVisibilityRules) {
  panel.OnPageSelected(5);
  panel.OnSelectionChanged(IDC_GATE_SOURCE, 1);  // Ext
  EXPECT_TRUE(Shown(IDC_START_SLOPE) && Shown(IDC_STOP_SOURCE) && !Shown(IDC_GATE_TIME));
  EXPECT_FALSE(Shown(IDC_STOP_TIME));
  panel.OnSelectionChanged(IDC_STOP_SOURCE, 3);  // Time
  EXPECT_TRUE(Shown(IDC_STOP_TIME) && Shown(IDC_STOP_TIME_UNIT));
  panel.OnSelectionChanged(IDC_GATE_SOURCE, 2);  // Auto
  EXPECT_FALSE(Shown(IDC_STOP_TIME) || Shown(IDC_START_SLOPE) || Shown(IDC_GATE_TIME));
  panel.OnSelectionChanged(IDC_GATE_SOURCE, 3);  // Digits
  EXPECT_TRUE(Shown(IDC_DIGITS));

  panel.OnPageSelected(3);
  Click(IDC_TOTAL);
  panel.OnPageSelected(5);
  panel.OnSelectionChanged(IDC_TOTAL_GATE, 2);  // Ext
  EXPECT_TRUE(Shown(IDC_START_SLOPE) && Shown(IDC_TOTAL_STOP_SOURCE) && !Shown(IDC_STOP_SOURCE));
  panel.OnSelectionChanged(IDC_TOTAL_STOP_SOURCE, 2);  // Time
  EXPECT_TRUE(Shown(IDC_STOP_TIME));
  panel.OnSelectionChanged(IDC_TOTAL_GATE, 1);  // Auto
  EXPECT_FALSE(Shown(IDC_STOP_TIME) || Shown(IDC_GATE_TIME));

  panel.OnPageSelected(3);
  Click(IDC_PHASE);
  panel.OnPageSelected(5);
  EXPECT_FALSE(Shown(IDC_ARM_SLOPE));
  panel.OnSelectionChanged(IDC_ARM_SOURCE, 1);
  EXPECT_TRUE(Shown(IDC_ARM_SLOPE) && Shown(IDC_ARM_SLOPE_LABEL));
}

struct RefusalCase {
  const char* function;
  int page;
  const char* message;
  int backTo;
};

TEST_F(PanelModelTest, PagesVoltAndTotalDoNotHave) {
  const RefusalCase cases[] = {
      {"Volt", 5, "Volt No Support !", 2},   {"Volt", 6, "Limit No Support !", 2},
      {"Total", 6, "Limit No Support !", 3}, {"Volt", 7, "Math No Support !", 2},
      {"Total", 7, "Math No Support !", 3},  {"Volt", 8, "Stats No Support !", 2},
      {"Total", 8, "Stats No Support !", 3},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " page " + std::to_string(c.page));
    panel.Initialise();
    std::string error;
    ASSERT_TRUE(ApplyPanelSetting(panel, "Function", c.function, &error));
    ui.messages.clear();
    panel.OnPageSelected(c.page);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, c.message);
    EXPECT_EQ(ui.messages[0].caption, "ZC4100_AP");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(panel.selectedPage, c.backTo);
    EXPECT_TRUE(Shown(c.backTo == 2 ? IDC_VOLT_CHANNEL : IDC_TOTAL));
    EXPECT_FALSE(Shown(IDC_UPPER) || Shown(IDC_SCALE) || Shown(IDC_STAT_SHOW));
  }
}

TEST_F(PanelModelTest, UnitListsBelongToTheFunction) {
  panel.OnPageSelected(1);  // Freq to Period
  panel.OnPageSelected(6);
  EXPECT_EQ(panel.State(IDC_UPPER_UNIT).items,
            (std::vector<std::string>{"pSec", "nSec", "uSec", "mSec", "Sec"}));
  EXPECT_EQ(panel.SelectedText(IDC_LOWER_UNIT), "uSec");
  // Until a function page is chosen again the lists are rebuilt at every visit.
  panel.OnSelectionChanged(IDC_UPPER_UNIT, 4);
  panel.OnPageSelected(6);
  EXPECT_EQ(panel.SelectedText(IDC_UPPER_UNIT), "uSec");
  panel.OnPageSelected(1);
  panel.OnSelectionChanged(IDC_UPPER_UNIT, 4);
  panel.OnPageSelected(6);
  EXPECT_EQ(panel.SelectedText(IDC_UPPER_UNIT), "Sec");

  panel.OnPageSelected(3);  // Phase
  panel.OnPageSelected(7);
  EXPECT_EQ(panel.SelectedText(IDC_OFFSET_PREFIX), " ");
  panel.OnPageSelected(6);
  EXPECT_EQ(panel.State(IDC_UPPER_UNIT).items.front(), "uDeg");
  panel.OnPageSelected(3);
  Click(IDC_DUTY);
  panel.OnPageSelected(6);
  EXPECT_EQ(panel.State(IDC_UPPER_UNIT).items, (std::vector<std::string>{"u", "m", "", "K", "M"}));
}

TEST_F(PanelModelTest, FunctionChangeResetsLimitsMathAndStatistics) {
  for (bool running : {false, true}) {
    panel.Initialise();
    panel.SetChecked(IDC_UPPER, true);
    panel.SetChecked(IDC_SCALE, true);
    panel.SetChecked(IDC_STAT_SHOW, true);
    panel.mathFlag = panel.statisticsFlag = true;
    panel.running = running;
    const std::string caption = panel.functionCaption;
    panel.OnSelectionChanged(IDC_FREQ_CHANNEL, 0);
    panel.OnPageSelected(1);  // Freq to Period
    EXPECT_EQ(panel.Checked(IDC_UPPER), running);
    EXPECT_EQ(panel.Checked(IDC_SCALE), running);
    EXPECT_EQ(panel.Checked(IDC_STAT_SHOW), running);
    EXPECT_EQ(panel.mathFlag, running);
    EXPECT_EQ(panel.statisticsFlag, running);
    // The caption keeps the run's function during a run.
    EXPECT_EQ(panel.functionCaption, running ? caption : "( Period )");
  }
}

TEST_F(PanelModelTest, DotsAndReadSpeed) {
  int capacity = 0;
  int restarted = 0;
  panel.onCapacityChanged = [&](int c) { capacity = c; };
  panel.onReadSpeedChanged = [&](int ms) { restarted = ms; };
  panel.OnSelectionChanged(IDC_DOTS_LIST, 5);
  EXPECT_EQ(capacity, 1001);
  EXPECT_EQ(panel.dotsText, "1000");
  panel.OnSelectionChanged(IDC_READ_SPEED_LIST, 3);
  EXPECT_EQ(restarted, 0);  // stopped: no timer
  panel.running = true;
  panel.OnSelectionChanged(IDC_READ_SPEED_LIST, 4);
  EXPECT_EQ(restarted, 2000);
}

TEST_F(PanelModelTest, SettingsByNameReportMistakes) {
  struct Case {
    const char* key;
    std::string value;
    const char* error;  // "" when accepted
  };
  const Case cases[] = {
      {"FreqChannel", "ch2", ""},
      {"freqchannel", "1", ""},
      {"Upper", "maybe", "'maybe' is not on or off (1/0, on/off, yes/no, true/false)"},
      {"FreqChannel", "CH4", "'CH4' is not an item of FreqChannel (CH1, CH2, CH3)"},
      {"Bogus", "1", "unknown setting 'Bogus'"},
      {"Function", "Sine",
       "unknown function 'Sine' (Freq, Ratio, Period, Edge, Width, Intval, "
       "Volt, Phase, Duty, Total)"},
      {"GateTime", std::string(300, 'x'), ""},
  };
  for (const Case& c : cases) {
    std::string error;
    const bool ok = ApplyPanelSetting(panel, c.key, c.value, &error);
    EXPECT_EQ(ok, *c.error == 0) << c.key;
    if (!ok) {
      EXPECT_EQ(error, c.error);
    }
  }
}

}  // namespace
}  // namespace zc::fp::testing
