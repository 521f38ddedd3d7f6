// The main window on Qt's offscreen platform, against simulated counters.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/command_ids.h"
#include "app/front_panel_dlg.h"
#include "app/trend_chart_view.h"
#include "controls/skin_static.h"
#include "controls/skin_tab_ctrl.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

const std::string kUsbName = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
const std::string kGpib22 = "[GPIB0::22::INSTR]\nsimulate = zc4100\nmax_wait_ms = 50\n";

// The window with its message boxes written down instead of shown.
class CTestPanel : public CFrontPanelDlg {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
    messages.push_back({text, caption});
  }
  std::vector<std::pair<std::string, std::string>> messages;
};

class FrontPanelWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zc::visa::ResetSimulatedInstruments();
    systemDir_ = std::filesystem::temp_directory_path() / ("zc-fp-sys-" + std::to_string(getpid()));
    std::filesystem::create_directories(systemDir_);
    std::ofstream(systemDir_ / "ZT4100_TOOL.ini") << "[English(U.S)]\n501=Devices and Interfaces\n";
    setenv("ZC4100_SYSTEM_DIR", systemDir_.c_str(), 1);
    setenv("LANG", "en_US.UTF-8", 1);
  }
  void TearDown() override {
    panel.reset();
    std::filesystem::remove_all(systemDir_);
    unsetenv("ZC4100_SYSTEM_DIR");
  }
  CTestPanel& Start() {
    panel = std::make_unique<CTestPanel>();
    panel->OnInitDialog();
    return *panel;
  }
  QStringList Lines() const {
    QStringList lines;
    for (int i = 0; i < panel->deviceListWidget()->count(); ++i) {
      lines << panel->deviceListWidget()->item(i)->text();
    }
    return lines;
  }

  std::filesystem::path systemDir_;
  std::unique_ptr<CTestPanel> panel;
};

TEST_F(FrontPanelWidgetTest, ListsGpibFirstAndFollowsTheSelection) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  CTestPanel& p = Start();
  EXPECT_EQ(Lines(), QStringList({"ZC4100--GPIB--22", "ZC4100--USBTMC--AB12345678"}));
  EXPECT_TRUE(p.deviceListWidget()->isEnabled());
  EXPECT_EQ(p.deviceListWidget()->currentRow(), 0);
  EXPECT_EQ(p.devices().currentKind, kInterfaceGpib);

  p.deviceListWidget()->setCurrentRow(1);
  EXPECT_EQ(p.devices().currentKind, kInterfaceUsb);
  EXPECT_EQ(p.devices().currentSession, p.devices().usbSessions[0]);
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(FrontPanelWidgetTest, RefreshFromTheMenu) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  CTestPanel& p = Start();
  const ViSession oldUsb = p.devices().usbSessions[0];
  p.MenuAction(ID_REFRESH)->trigger();
  EXPECT_EQ(Lines(), QStringList({"ZC4100--GPIB--22", "ZC4100--USBTMC--AB12345678"}));
  EXPECT_EQ(p.deviceListWidget()->currentRow(), 0);
  ViUInt32 n = 0;
  EXPECT_EQ(viWrite(oldUsb, reinterpret_cast<ViConstBuf>("*IDN?\n"), 6, &n), VI_ERROR_INV_OBJECT);
}

TEST_F(FrontPanelWidgetTest, NoInstrument) {
  SimConfig config("");
  CTestPanel& p = Start();
  EXPECT_EQ(Lines(), QStringList({"Device Not Found"}));
  EXPECT_FALSE(p.deviceListWidget()->isEnabled());
  p.ToolbarAction(0)->trigger();
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].first, "No Device Connected");
  EXPECT_EQ(p.messages[0].second, "ZC4100_AP");
  EXPECT_FALSE(p.running());
}

// What the menu, the toolbar and the device list show when idle and during a run.
TEST_F(FrontPanelWidgetTest, IdleAndRunningStates) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  const int idleOnly[] = {ID_SETTING_MODE, ID_REFRESH,         ID_VIEW_RECORD, ID_CHART_RECORD,
                          ID_RUN_START,    ID_COMMAND_CONTROL, ID_ABOUT};
  auto expectState = [&](bool running) {
    for (int id : idleOnly) EXPECT_EQ(p.MenuAction(id)->isEnabled(), !running) << id;
    EXPECT_EQ(p.MenuAction(ID_RUN_STOP)->isEnabled(), running);
    EXPECT_EQ(p.ToolbarAction(0)->isEnabled(), !running);
    EXPECT_EQ(p.ToolbarAction(1)->isEnabled(), running);
    EXPECT_EQ(p.ToolbarAction(3)->isEnabled(), !running);
    EXPECT_EQ(p.deviceListWidget()->isEnabled(), !running);
  };
  expectState(false);
  p.MenuAction(ID_RUN_START)->trigger();
  EXPECT_TRUE(p.running());
  expectState(true);
  p.ToolbarAction(1)->trigger();
  EXPECT_FALSE(p.running());
  expectState(false);
  EXPECT_EQ(zc::visa::SimulatedInstrument(kUsbName)->Received().back(), "INIT:CONT OFF");
}

TEST_F(FrontPanelWidgetTest, MissingSettingsFileIsReportedOnceAndEnglishIsUsed) {
  SimConfig config(SimUsb(kUsbName));
  std::filesystem::remove(systemDir_ / "ZT4100_TOOL.ini");
  setenv("LANG", "zh_TW.UTF-8", 1);
  CTestPanel& p = Start();
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].second, "Error");
  EXPECT_EQ(p.messages[0].first,
            "You lost the important file: ZT4100_TOOL.ini , Please reinstall.\n"
            " the application. Otherwise, the application can't support other \n"
            "languages except English.");
  EXPECT_EQ(p.texts().languageName, "Chinese(Traditional)");
  EXPECT_EQ(p.MenuAction(ID_REFRESH)->text(), "Refresh");
}

TEST_F(FrontPanelWidgetTest, EnterAndEscapeClose) {
  SimConfig config(SimUsb(kUsbName));
  for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
    CTestPanel& p = Start();
    p.show();
    p.MenuAction(ID_RUN_START)->trigger();  // also during a run
    QTest::keyClick(&p, static_cast<Qt::Key>(key));
    EXPECT_FALSE(p.isVisible()) << key;
  }
}

TEST_F(FrontPanelWidgetTest, ClosingHandsTheInstrumentsBack) {
  SimConfig config(SimUsb(kUsbName) + kGpib22);
  Start();
  auto usb = zc::visa::SimulatedInstrument(kUsbName);
  auto gpib = zc::visa::SimulatedInstrument("GPIB0::22::INSTR");
  ASSERT_TRUE(usb && gpib);
  ASSERT_TRUE(gpib->Remote());
  panel.reset();  // window destruction
  EXPECT_EQ(usb->Received().back(), std::string("syst:comm:rlst loc\0", 19));
  EXPECT_FALSE(gpib->Remote());
}

// The channel tabs start with CH2 disabled; once a function uses both channels, a click shows
// CH2's controls and the arrow keys wrap.
TEST_F(FrontPanelWidgetTest, ChannelTabsStartWithTheSecondItemDisabled) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  p.show();
  CSkinTabCtrl* tabs = p.channelTabs();
  EXPECT_FALSE(tabs->IsTabEnabled(1));
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(tabs->currentIndex(), 0);
  QTest::keyClick(tabs, Qt::Key_Right);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(p.Control(1080)->isVisible());

  QTest::mouseClick(static_cast<QCheckBox*>(p.Control(1012)), Qt::LeftButton);  // Ratio
  ASSERT_TRUE(tabs->IsTabEnabled(1));
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_EQ(p.panel().channelTabs.selection, 1);
  EXPECT_TRUE(p.Control(1088)->isVisible());   // CH2 slope
  EXPECT_FALSE(p.Control(1080)->isVisible());  // CH1 slope
  QTest::keyClick(tabs, Qt::Key_Right);        // from the last item to the first
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(p.Control(1080)->isVisible());
}

TEST_F(FrontPanelWidgetTest, ShellLayoutAndReadouts) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  // Dialog units in pixels for the dialog font (Liberation Serif standing in for Times New
  // Roman, 10 pt): 7 pixels per 4 units across, 15 per 8 down.
  ASSERT_EQ(p.units().baseX(), 7);
  ASSERT_EQ(p.units().baseY(), 15);
  struct Placed {
    int id;
    QRect rect;
  };
  const Placed placed[] = {
      {IDC_DEVICE_LIST, {634, 75, 221, 86}},   // 362,40 126x46
      {IDC_CHART, {84, 64, 471, 272}},         // 48,34 269x145
      {IDC_FUNCTION_NAME, {481, 39, 95, 21}},  // 275,21 54x11
      {IDC_MAX, {681, 178, 208, 26}},          // 389,95 119x14
      {1007, {14, 368, 585, 210}},             // 8,196 334x112
      {1070, {623, 401, 243, 26}},             // 356,214 139x14
      {IDC_READ_SPEED, {735, 283, 105, 26}},   // 420,151 60x14
      {IDC_DOTS, {735, 324, 105, 26}},         // 420,173 60x14
  };
  for (const Placed& c : placed) EXPECT_EQ(p.Control(c.id)->geometry(), c.rect) << c.id;
  for (int id : {IDC_HIDDEN_COMBO, IDC_AUTO_SCALE, IDC_DIVISION, IDC_HIDDEN_GROUP}) {
    EXPECT_TRUE(p.Control(id)->isHidden()) << id;
  }
  for (int id : {IDC_MAX, IDC_CURRENT, IDC_MIN}) {
    auto* label = static_cast<CSkinStatic*>(p.Control(id));
    EXPECT_EQ(label->text(), "0");
    EXPECT_EQ(label->style().faceName, "Verdana");
    EXPECT_EQ(label->style().height, 17);
    EXPECT_EQ(label->style().textColour, (CRgb{0, 128, 128}));
    EXPECT_TRUE(label->style().bold);
    EXPECT_EQ(label->style().align, CAlign::Left);
  }
  EXPECT_EQ(p.menuBar()->actions().size(), 5);
  EXPECT_EQ(p.MenuAction(ID_COMMAND_CONTROL)->text(), "Command Control");
}

// Blue pixels of the trace on the chart's snapshot.
int TracePixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == QColor(0, 0, 255);
  }
  return n;
}

QString Readout(CTestPanel& p, int id) {
  return static_cast<CSkinStatic*>(p.Control(id))->text();
}

TEST_F(FrontPanelWidgetTest, RunInProgressShowsReadingsAndTrend) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  p.show();
  p.ToolbarAction(0)->trigger();
  ASSERT_TRUE(p.running());
  EXPECT_TRUE(p.readingTimer().isActive());
  EXPECT_EQ(p.readingTimer().interval(), 100);
  EXPECT_EQ(static_cast<QLabel*>(p.Control(IDC_FUNCTION_NAME))->text(), "( Freq )");
  ASSERT_TRUE(QTest::qWaitFor([&] { return p.run().buffer.count() >= 4; }, 10000));
  EXPECT_TRUE(Readout(p, IDC_CURRENT).endsWith(" M  Hz")) << Readout(p, IDC_CURRENT).toStdString();
  EXPECT_TRUE(Readout(p, IDC_MAX).endsWith(" M  Hz"));
  EXPECT_TRUE(Readout(p, IDC_MIN).endsWith(" M  Hz"));
  EXPECT_GT(TracePixels(p.chart()->snapshot()), 20);

  // Read speed and dots act at once, as the user picks them.
  static_cast<QComboBox*>(p.Control(IDC_READ_SPEED))->setCurrentIndex(3);
  EXPECT_EQ(p.readingTimer().interval(), 1000);
  static_cast<QComboBox*>(p.Control(IDC_DOTS))->setCurrentIndex(5);
  EXPECT_EQ(p.run().buffer.capacity(), 1001);
  EXPECT_EQ(static_cast<QLabel*>(p.Control(IDC_TIME_AXIS_END))->text(), "1000");

  p.MenuAction(ID_RUN_STOP)->trigger();
  EXPECT_FALSE(p.readingTimer().isActive());
  const int count = p.run().buffer.count();
  QTest::qWait(150);
  EXPECT_EQ(p.run().buffer.count(), count);           // no tick after the stop
  EXPECT_GT(TracePixels(p.chart()->snapshot()), 20);  // the last trend stays
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(FrontPanelWidgetTest, LostInstrumentLeavesTheWindowStopped) {
  SimConfig config(SimUsb(kUsbName, "fault = disconnect\ndisconnect_after = 45\n"));
  CTestPanel& p = Start();
  p.show();
  p.MenuAction(ID_RUN_START)->trigger();
  ASSERT_TRUE(p.running());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !p.running(); }, 20000));
  EXPECT_FALSE(p.readingTimer().isActive());
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].second, "ZC4100_AP");
  EXPECT_TRUE(p.ToolbarAction(0)->isEnabled());
  EXPECT_FALSE(p.ToolbarAction(1)->isEnabled());
  EXPECT_TRUE(p.MenuAction(ID_RUN_START)->isEnabled());
  EXPECT_FALSE(p.MenuAction(ID_RUN_STOP)->isEnabled());
}

TEST_F(FrontPanelWidgetTest, PanelWidgetsFollowTheModel) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  p.show();
  auto* freq = static_cast<QCheckBox*>(p.Control(1010));
  auto* ratio = static_cast<QCheckBox*>(p.Control(1012));
  EXPECT_TRUE(freq->isVisible() && freq->isChecked());
  QTest::mouseClick(ratio, Qt::LeftButton);
  EXPECT_TRUE(ratio->isChecked());
  EXPECT_FALSE(freq->isChecked());
  EXPECT_EQ(p.panel().selectedFunction, FUNC_RATIO);
  EXPECT_TRUE(p.channelTabs()->IsTabEnabled(1));

  // The gate page shows the gate list; picking "Ext" shows the start and stop lists.
  p.measurementTabs()->setCurrentIndex(5);
  EXPECT_FALSE(ratio->isVisible());
  auto* gate = static_cast<QComboBox*>(p.Control(1033));
  EXPECT_TRUE(gate->isVisible());
  EXPECT_EQ(gate->count(), 4);
  EXPECT_TRUE(p.Control(1035)->isVisible());
  gate->setCurrentIndex(1);
  EXPECT_TRUE(p.Control(1039)->isVisible());
  EXPECT_FALSE(p.Control(1035)->isVisible());

  // Volt has no gate page: the message, and back to the volt page.
  p.measurementTabs()->setCurrentIndex(2);
  p.measurementTabs()->setCurrentIndex(5);
  ASSERT_EQ(p.messages.size(), 1u);
  EXPECT_EQ(p.messages[0].first, "Volt No Support !");
  EXPECT_EQ(p.measurementTabs()->currentIndex(), 2);
  EXPECT_TRUE(p.Control(1023)->isVisible());
  EXPECT_FALSE(p.Control(1033)->isVisible());

  // Width leaves only CH1: its slope is disabled.
  p.measurementTabs()->setCurrentIndex(1);
  QTest::mouseClick(static_cast<QCheckBox*>(p.Control(1018)), Qt::LeftButton);
  EXPECT_FALSE(p.channelTabs()->IsTabEnabled(1));
  EXPECT_EQ(p.channelTabs()->currentIndex(), 0);
  EXPECT_FALSE(p.Control(1080)->isEnabled());
  EXPECT_EQ(static_cast<QLabel*>(p.Control(IDC_FUNCTION_NAME))->text(), "( Width )");

  // A typed gate time reaches the model; the run writes back what it sent.
  p.measurementTabs()->setCurrentIndex(0);
  p.measurementTabs()->setCurrentIndex(5);
  gate->setCurrentIndex(0);  // Time
  auto* gateTime = static_cast<QLineEdit*>(p.Control(1035));
  gateTime->clear();
  QTest::keyClicks(gateTime, "0.01");
  EXPECT_EQ(p.panel().Text(1035), "0.01");
  p.ToolbarAction(0)->trigger();
  EXPECT_EQ(gateTime->text(), "1");
  EXPECT_EQ(static_cast<QLineEdit*>(p.Control(1042))->text(), "1");
  p.ToolbarAction(1)->trigger();
}

}  // namespace
}  // namespace zc::fp::testing
