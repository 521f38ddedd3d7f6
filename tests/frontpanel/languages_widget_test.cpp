// The window's texts in the chosen language, and the About box that switches it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/about_box_dlg.h"
#include "app/command_ids.h"
#include "app/front_panel_dlg.h"
#include "controls/skin_tab_ctrl.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

namespace fs = std::filesystem;

class CTestPanel : public CFrontPanelDlg {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    messages.push_back(text);
  }
  std::vector<std::string> messages;
};

// A few keys in each language are enough to see every kind of text follow.
const char* kSettings =
    "[Chinese(Traditional)]\n"
    "651=設定\n652=設定模式\n654=重新整理\n691=說明\n692=關於\n"
    "501=裝置與介面\n506=目前值 : \n513=準位\n514=斜率\n516=耦合\n"
    "518=\"  x10 衰減\"\n531=自動\n532=絕對\n533=正\n534=負\n"
    "561=頻率 && 比率\n566=閘門 && 外部\n581=頻率\n601=閘門\n602=時間\n598=自動\n600=外部\n"
    "511=通道1\n512=通道2\n520=通道3\n551=關於\n552=語言\n003=確定\n"
    "[Chinese(Simplify)]\n"
    "651=设置\n581=频率\n";

class LanguagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zc::visa::ResetSimulatedInstruments();
    dir_ = fs::temp_directory_path() / ("zc-lang-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    std::ofstream(dir_ / "ZT4100_TOOL.ini") << kSettings;
    setenv("ZC4100_SYSTEM_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    panel.reset();
    unsetenv("ZC4100_SYSTEM_DIR");
    setenv("LANG", "en_US.UTF-8", 1);
    fs::remove_all(dir_);
  }
  CTestPanel& Start(const char* lang) {
    setenv("LANG", lang, 1);
    panel = std::make_unique<CTestPanel>();
    panel->OnInitDialog();
    return *panel;
  }
  QString Text(int id) {
    QWidget* w = panel->Control(id);
    if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
    if (auto* r = qobject_cast<QRadioButton*>(w)) return r->text();
    return static_cast<QLabel*>(w)->text();
  }
  QStringList Items(int id) {
    auto* combo = static_cast<QComboBox*>(panel->Control(id));
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
  }
  // Opens the About box from command, picks the language at index and presses OK.
  void ChooseLanguage(int command, int index) {
    panel->aboutHook = [index](CAboutBoxDlg& box) {
      QTimer::singleShot(0, &box, [&box, index] {
        box.languageList()->setCurrentIndex(index);
        QTest::mouseClick(box.okButton(), Qt::LeftButton);
      });
    };
    panel->OnCommand(command);
  }

  fs::path dir_;
  std::unique_ptr<CTestPanel> panel;
  SimConfig config{SimUsb("USB0::0x1A5B::0x1004::AB12345678::INSTR")};
};

TEST_F(LanguagesTest, TraditionalChineseToEnglishAndBack) {
  CTestPanel& p = Start("zh_TW.UTF-8");
  EXPECT_EQ(p.texts().languageName, "Chinese(Traditional)");
  EXPECT_EQ(p.menuBar()->actions()[0]->text(), "設定");
  EXPECT_EQ(p.MenuAction(ID_SETTING_MODE)->text(), "設定模式");
  EXPECT_EQ(Text(IDC_DEVICE_CAPTION), "裝置與介面");
  EXPECT_EQ(Text(1010), "  頻率");
  EXPECT_EQ(Text(1092), "  x10 衰減");  // quoted in the file to keep its blanks
  EXPECT_EQ(Text(1081), "斜率");
  EXPECT_EQ(Text(1046), "斜率");  // the same key, present
  EXPECT_EQ(Items(1073), QStringList({"自動", "絕對"}));
  EXPECT_EQ(Items(1033), QStringList({"時間", "外部", "自動", "Digits"}));  // no 603 in this file
  EXPECT_EQ(p.measurementTabs()->tabText(0), "頻率 && 比率");
  EXPECT_EQ(p.channelTabs()->tabText(1), "通道2");

  // Selections the user made, and the tab states, survive the switch.
  p.panel().OnSelectionChanged(IDC_FREQ_CHANNEL, 1);  // CH2: the CH1 tab is disabled
  p.panel().OnSelectionChanged(IDC_CH2_LEVEL_MODE, 1);
  p.SyncPanel();
  p.measurementTabs()->setCurrentIndex(5);
  ChooseLanguage(ID_ABOUT, 0);
  EXPECT_EQ(p.texts().languageName, "English(U.S)");
  EXPECT_EQ(p.menuBar()->actions()[0]->text(), "Setting");
  EXPECT_EQ(p.MenuAction(ID_SETTING_MODE)->text(), "Setting Mode");
  EXPECT_EQ(p.MenuAction(ID_SETTING_MODE)->data().toInt(), ID_SETTING_MODE);
  EXPECT_EQ(p.MenuAction(ID_REFRESH)->text(), "Refresh");
  EXPECT_EQ(Text(IDC_DEVICE_CAPTION), "Devices and Interfaces");
  EXPECT_EQ(Text(1010), "   Freq");  // two blanks added to the default's own one
  EXPECT_EQ(Text(1081), "Slope");
  EXPECT_EQ(Text(1046), "Slop");  // the key missing, each default of its own
  EXPECT_EQ(Text(1114), "  Auto Scale");
  EXPECT_EQ(Items(1078), QStringList({"Auto", "Absolute"}));
  EXPECT_EQ(static_cast<QComboBox*>(p.Control(1078))->currentIndex(), 1);
  EXPECT_EQ(static_cast<QComboBox*>(p.Control(IDC_FREQ_CHANNEL))->currentIndex(), 1);
  EXPECT_EQ(p.measurementTabs()->currentIndex(), 5);
  EXPECT_EQ(p.measurementTabs()->tabText(5), "Gate && Ext");
  EXPECT_EQ(p.measurementTabs()->count(), 9);
  EXPECT_EQ(p.channelTabs()->count(), 2);
  EXPECT_EQ(p.channelTabs()->tabText(0), "CH1");
  EXPECT_EQ(p.channelTabs()->currentIndex(), 1);
  EXPECT_FALSE(p.channelTabs()->IsTabEnabled(0));
  EXPECT_TRUE(p.channelTabs()->IsTabEnabled(1));
  EXPECT_EQ(static_cast<QLabel*>(p.Control(IDC_FUNCTION_NAME))->text(), "( Freq )");

  ChooseLanguage(ID_TOOLBAR_ABOUT, 1);
  EXPECT_EQ(p.menuBar()->actions()[0]->text(), "設定");
  EXPECT_EQ(Items(1073), QStringList({"自動", "絕對"}));
  EXPECT_FALSE(p.channelTabs()->IsTabEnabled(0));
  EXPECT_EQ(static_cast<QLabel*>(p.Control(IDC_FUNCTION_NAME))->text(), "( 頻率 )");
  // The menu commands still work by their identifiers.
  p.MenuAction(ID_REFRESH)->trigger();
  EXPECT_EQ(p.deviceListWidget()->count(), 1);
  EXPECT_TRUE(p.messages.empty());
}

TEST_F(LanguagesTest, SystemMenuAboutChangesTheLanguageOnly) {
  CTestPanel& p = Start("en_US.UTF-8");
  ChooseLanguage(ID_SYSTEM_ABOUT, 2);
  EXPECT_EQ(p.texts().languageName, "Chinese(Simplify)");
  EXPECT_EQ(p.menuBar()->actions()[0]->text(), "Setting");  // not applied yet
  ChooseLanguage(ID_ABOUT, 2);
  EXPECT_EQ(p.menuBar()->actions()[0]->text(), "设置");
  EXPECT_EQ(p.MenuAction(ID_REFRESH)->text(), "Refresh");  // no such key: the default
}

TEST_F(LanguagesTest, AboutBoxTabsAndWebAddress) {
  CTestPanel& p = Start("zh_TW.UTF-8");
  CAboutBoxDlg box(p.texts(), &p);
  std::vector<QUrl> opened;
  box.openUrl = [&](const QUrl& url) { opened.push_back(url); };
  box.show();
  ASSERT_EQ(box.tabs()->count(), 2);
  EXPECT_EQ(box.tabs()->tabText(0), "關於");
  EXPECT_EQ(box.tabs()->tabText(1), "語言");
  EXPECT_EQ(box.okButton()->text(), "確定");
  EXPECT_EQ(box.languageList()->currentIndex(), 1);
  EXPECT_FALSE(box.languageList()->isVisible());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(box.aboutControl(i)->isVisible()) << i;
  box.tabs()->setCurrentIndex(1);
  EXPECT_TRUE(box.languageList()->isVisible());
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(box.aboutControl(i)->isVisible()) << i;
  box.tabs()->setCurrentIndex(0);

  const QRect web = box.webAddress()->geometry();
  QTest::mouseClick(&box, Qt::LeftButton, {}, web.topLeft());  // on the border: nothing
  EXPECT_TRUE(opened.empty());
  QTest::mouseClick(&box, Qt::LeftButton, {}, web.center());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].scheme(), "https");
  QTest::mouseMove(&box, web.center());
  EXPECT_EQ(box.cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(&box, QPoint(2, 2));
  EXPECT_NE(box.cursor().shape(), Qt::PointingHandCursor);

  // Cancel keeps the language.
  box.languageList()->setCurrentIndex(0);
  box.reject();
  EXPECT_EQ(p.texts().languageName, "Chinese(Traditional)");
}

}  // namespace
}  // namespace zc::fp::testing
