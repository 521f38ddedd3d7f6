// Setting Mode on the offscreen platform, with real record files, and its exchange with the
// main window.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/front_panel_dlg.h"
#include "app/trend_chart_view.h"
#include "recording_ui.h"
#include "records/record_files.h"
#include "records/setting_mode_dlg.h"
#include "sim_config.h"
#include "sim_transport.h"

namespace zc::fp::testing {
namespace {

namespace fs = std::filesystem;

std::string English(const std::string&, const std::string& def) {
  return def;
}

class SettingModeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = fs::current_path();
    root_ = fs::temp_directory_path() /
            ("zc-sm-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "DB");
    fs::current_path(root_);
  }
  void TearDown() override {
    fs::current_path(saved_);
    fs::remove_all(root_);
  }
  void MakeRecord(int n, const char* start) {
    const std::string path = RecordFilePath((root_ / "DB").string(), n);
    std::string error;
    ASSERT_TRUE(CreateRecordFile(path, &error)) << error;
    if (start) {
      CSqliteDb db;
      ASSERT_TRUE(db.Open(path, false));
      CSqliteStmt q;
      ASSERT_TRUE(q.Prepare(db, "INSERT INTO read_date VALUES (?)"));
      q.Bind(1, std::string_view(start));
      ASSERT_EQ(q.Step(), SQLITE_DONE);
    }
  }
  QStringList Items(QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    return items;
  }

  fs::path saved_, root_;
  CRecordingUi ui;
};

TEST_F(SettingModeTest, ListsTenRecordsWithTheDatedOnes) {
  MakeRecord(1, nullptr);
  MakeRecord(3, "2010-03-15 14:05:09");
  CSettingModeDlg dlg(ui, English);
  dlg.deviceCount = 1;
  dlg.Open();
  const QStringList items = Items(dlg.recordList());
  ASSERT_EQ(items.size(), 10);
  EXPECT_EQ(items[0], "Record 1");
  EXPECT_EQ(items[1], "Record 2");
  EXPECT_EQ(items[2], "Record 3        ( 10 / 03 / 15 -- 14 : 05 : 09 )");
  EXPECT_EQ(items[9], "Record 10");
  EXPECT_EQ(dlg.recordList()->currentText(), "Please select a record.");
  EXPECT_FALSE(dlg.recordList()->isEnabled());
  EXPECT_TRUE(dlg.saveBox()->isEnabled());
  EXPECT_FALSE(dlg.saveBox()->isChecked());
}

TEST_F(SettingModeTest, SaveChoiceAndClosing) {
  CSettingModeDlg dlg(ui, English);
  dlg.deviceCount = 1;
  dlg.Open();
  dlg.show();
  QTest::mouseClick(dlg.saveBox(), Qt::LeftButton);
  EXPECT_TRUE(dlg.recordList()->isEnabled());
  dlg.recordList()->setCurrentIndex(4);
  emit dlg.recordList()->activated(4);
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(dlg.saveFlag);
  EXPECT_EQ(dlg.recordNumber, 5);

  // Reopened: the record is still chosen but Save starts cleared, and OK turns saving off.
  dlg.Open();
  dlg.show();
  EXPECT_EQ(dlg.recordList()->currentIndex(), 4);
  EXPECT_FALSE(dlg.saveBox()->isChecked());
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_FALSE(dlg.saveFlag);
  EXPECT_EQ(dlg.recordNumber, 5);
}

TEST_F(SettingModeTest, SaveWithoutARecordKeepsTheDialogOpenUntilEscape) {
  CSettingModeDlg dlg(ui, English);
  dlg.deviceCount = 1;
  dlg.Open();
  dlg.show();
  QTest::mouseClick(dlg.saveBox(), Qt::LeftButton);
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_TRUE(dlg.isVisible());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Please select a record.");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
  // Typed text that names no record is no choice either.
  dlg.recordList()->setEditText(QStringLiteral("Record 42"));
  QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(ui.messages.size(), 2u);
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(dlg.saveFlag);  // the box was checked
  EXPECT_EQ(dlg.recordNumber, 0);
}

TEST_F(SettingModeTest, NoInstrumentOrNoFolderDisablesSave) {
  CSettingModeDlg dlg(ui, English);
  dlg.deviceCount = 0;
  dlg.Open();
  EXPECT_FALSE(dlg.saveBox()->isEnabled());
  EXPECT_TRUE(ui.messages.empty());

  fs::remove_all(root_ / "DB");
  dlg.deviceCount = 1;
  dlg.Open();
  EXPECT_FALSE(dlg.saveBox()->isEnabled());
  EXPECT_EQ(dlg.recordList()->count(), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Database working folder not found.");
  EXPECT_EQ(ui.messages[0].caption, "Database check");
}

// The window: the colour comes back however the dialog closes, and Save on record 3 keeps a
// run's readings there.
class CQuietPanel : public CFrontPanelDlg {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
    messages.push_back(caption + ": " + text);
  }
  std::vector<std::string> messages;
};

TEST_F(SettingModeTest, WindowExchangeAndARecordedRun) {
  const fs::path system = root_ / "sys";
  fs::create_directories(system);
  std::ofstream(system / "ZT4100_TOOL.ini") << "[English(U.S)]\n";
  setenv("ZC4100_SYSTEM_DIR", system.c_str(), 1);
  const std::string usb = "USB0::0x1A5B::0x1004::AB12345678::INSTR";
  SimConfig config(SimUsb(usb));
  zc::visa::ResetSimulatedInstruments();
  CQuietPanel p;
  p.OnInitDialog();
  EXPECT_EQ(p.chart()->penColour(), QColor(0, 0, 255));

  // Change the colour, then leave with Escape: the chart takes the colour all the same.
  p.settingMode().chooseColour = [](const QColor& initial, QWidget*) {
    EXPECT_EQ(initial, QColor(Qt::black));
    return QColor(255, 0, 0);
  };
  QTimer::singleShot(0, [&] {
    QTest::mouseClick(p.settingMode().colourButton(), Qt::LeftButton);
    p.settingMode().reject();
  });
  p.ShowSettingMode();
  EXPECT_EQ(p.chart()->penColour(), QColor(255, 0, 0));
  EXPECT_FALSE(p.run().saveFlag);

  // Save on record 3.
  QTimer::singleShot(0, [&] {
    CSettingModeDlg& d = p.settingMode();
    QTest::mouseClick(d.saveBox(), Qt::LeftButton);
    d.recordList()->setCurrentIndex(2);
    emit d.recordList()->activated(2);
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
  });
  p.ShowSettingMode();
  ASSERT_TRUE(p.run().saveFlag);
  ASSERT_EQ(p.run().recordNumber, 3);
  p.RunStart();
  p.readingTimer().stop();
  for (int i = 0; i < 4; ++i) p.run().OnReadingTimer();
  p.RunStop();
  EXPECT_TRUE(p.messages.empty()) << p.messages.front();

  CRecordFile file;
  ASSERT_TRUE(file.Open(RecordFilePath((root_ / "DB").string(), 3))) << file.error();
  const auto stats = file.Statistics();
  ASSERT_TRUE(stats);
  EXPECT_EQ(stats->count, 4);
  EXPECT_TRUE(file.StartTime().has_value());
  unsetenv("ZC4100_SYSTEM_DIR");
}

}  // namespace
}  // namespace zc::fp::testing
