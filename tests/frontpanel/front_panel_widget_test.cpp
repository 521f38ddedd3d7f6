// The main window on Qt's offscreen platform, against simulated counters.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/command_ids.h"
#include "app/front_panel_dlg.h"
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

TEST_F(FrontPanelWidgetTest, ChannelTabsStartWithTheSecondItemDisabled) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  p.show();
  auto* tabs = static_cast<CSkinTabCtrl*>(p.Control(1070));
  ASSERT_TRUE(tabs);
  EXPECT_FALSE(tabs->IsTabEnabled(1));
  int notified = 0;
  QObject::connect(tabs, &CSkinTabCtrl::SelectionChanged, [&](int id, int) {
    EXPECT_EQ(id, 1070);
    ++notified;
  });
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(notified, 0);
  QTest::keyClick(tabs, Qt::Key_Right);
  EXPECT_EQ(tabs->currentIndex(), 0);
  tabs->EnableTab(1, true);
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(tabs->currentIndex(), 1);
  QTest::keyClick(tabs, Qt::Key_Right);  // from the last item to the first
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(notified, 3);
}

TEST_F(FrontPanelWidgetTest, ShellLayoutAndReadouts) {
  SimConfig config(SimUsb(kUsbName));
  CTestPanel& p = Start();
  const CDialogUnits& du = p.units();
  EXPECT_EQ(p.Control(IDC_DEVICE_LIST)->geometry(), du.Rect(362, 40, 126, 46));
  EXPECT_EQ(p.Control(IDC_CHART)->geometry(), du.Rect(48, 34, 269, 145));
  EXPECT_EQ(p.Control(IDC_FUNCTION_NAME)->geometry(), du.Rect(275, 21, 54, 11));
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

}  // namespace
}  // namespace zc::fp::testing
