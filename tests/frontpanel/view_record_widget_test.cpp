// The View Record dialog's widgets over real record files, on the offscreen platform.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "recording_ui.h"
#include "records/view_record_dlg.h"

namespace zc::fp {
namespace {

namespace fs = std::filesystem;
using testing::CRecordingUi;

class ViewRecordDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    root_ = fs::temp_directory_path() / ("zc_view_record_dlg_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "DB");
    fs::current_path(root_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(root_);
  }

  // Record n holding 1, 2, ... count, started on 2026-12-11 at 14:05:09.
  void MakeRecord(int n, int count) {
    const std::string path = RecordFilePath((root_ / "DB").string(), n);
    std::string error;
    ASSERT_TRUE(CreateRecordFile(path, &error)) << error;
    CSqliteDb db;
    ASSERT_TRUE(db.Open(path, false));
    ASSERT_TRUE(db.Exec("BEGIN; INSERT INTO read_date VALUES ('2026-12-11 14:05:09');"));
    CSqliteStmt s;
    ASSERT_TRUE(s.Prepare(db, "INSERT INTO read VALUES (?, '1899-12-30 09:30:15')"));
    for (int i = 1; i <= count; ++i) {
      s.Bind(1, static_cast<double>(i));
      ASSERT_EQ(s.Step(), SQLITE_DONE);
      s.Reset();
    }
    ASSERT_TRUE(db.Exec("COMMIT"));
  }

  template <typename T>
  T* Child(const char* name) {
    T* w = dlg_.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString Cell(int row, int column) {
    return dlg_.gridModel().index(row, column).data().toString();
  }

  fs::path previous_, root_;
  CRecordingUi ui_;
  CViewRecordDlg dlg_{ui_, [](const std::string&, const std::string& def) { return def; }};
};

TEST_F(ViewRecordDlgTest, ListPagesAndStatistics) {
  MakeRecord(1, 25000);
  MakeRecord(4, 3);
  dlg_.show();
  auto* list = Child<QListWidget>("recordList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "Record 4            ( 26 / 12 / 11 -- 14 : 05 : 09 )");
  EXPECT_FALSE(Child<QPushButton>("deleteButton")->isEnabled());
  EXPECT_FALSE(Child<QLineEdit>("upperEdit")->isEnabled());
  EXPECT_EQ(Child<QLabel>("countText")->text(), "0");
  EXPECT_EQ(dlg_.windowTitle(), "View Record");

  list->setCurrentRow(0);
  EXPECT_TRUE(Child<QPushButton>("csvButton")->isEnabled());
  EXPECT_TRUE(Child<QLineEdit>("lowerEdit")->isEnabled());
  EXPECT_EQ(Child<QLabel>("countText")->text(), "25000");
  EXPECT_EQ(Child<QLabel>("maxText")->text(), "25000");
  EXPECT_EQ(Child<QLabel>("meanText")->text(), "12500.5");
  auto* ranges = Child<QComboBox>("rangeList");
  ASSERT_EQ(ranges->count(), 3);
  EXPECT_EQ(ranges->itemText(2), " 20001 - 25000 ");
  EXPECT_EQ(dlg_.gridModel().gridRowCount(), 10001);
  EXPECT_EQ(dlg_.gridModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Value");
  EXPECT_EQ(dlg_.gridModel().headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Time");
  EXPECT_EQ(Cell(0, 0), "1");
  EXPECT_EQ(Cell(0, 1), "1.00000000000000");
  EXPECT_EQ(Cell(0, 2), "09 : 30 : 15");

  ranges->setCurrentIndex(2);
  EXPECT_EQ(dlg_.gridModel().gridRowCount(), 5001);
  EXPECT_EQ(Cell(4999, 0), "5000");
  EXPECT_EQ(Cell(4999, 1), "25000.0000000000");
  EXPECT_EQ(Child<QTableView>("grid")->model()->rowCount(), 5000);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ViewRecordDlgTest, SearchThroughTheEdits) {
  MakeRecord(1, 100);
  dlg_.show();
  Child<QListWidget>("recordList")->setCurrentRow(0);
  auto* upper = Child<QLineEdit>("upperEdit");
  auto* lower = Child<QLineEdit>("lowerEdit");
  auto* search = Child<QPushButton>("searchButton");

  QTest::keyClicks(upper, "12");
  QTest::keyClicks(lower, "10");
  QTest::mouseClick(search, Qt::LeftButton);
  EXPECT_EQ(dlg_.gridModel().gridRowCount(), 4);
  EXPECT_EQ(Cell(2, 1), "12.0000000000000");
  EXPECT_TRUE(ui_.messages.empty());

  upper->setText("9");
  QTest::mouseClick(search, Qt::LeftButton);
  EXPECT_EQ(dlg_.gridModel().gridRowCount(), 1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Please re-enter a valid range.");

  // Shown again: the limits stay, the rest starts afresh.
  dlg_.hide();
  dlg_.show();
  EXPECT_EQ(upper->text(), "9");
  EXPECT_EQ(lower->text(), "10");
  EXPECT_EQ(Child<QListWidget>("recordList")->currentRow(), -1);
  EXPECT_EQ(Child<QComboBox>("rangeList")->count(), 0);
  EXPECT_EQ(dlg_.gridModel().gridRowCount(), 1);
}

TEST_F(ViewRecordDlgTest, DeleteAndExport) {
  MakeRecord(1, 2);
  MakeRecord(4, 2);
  MakeRecord(10, 2);
  int asked = 0;
  dlg_.askDelete = [&](const QString& q) {
    ++asked;
    EXPECT_EQ(q, "Are you sure you want to delete this record?");
    return asked > 1;  // No the first time, Yes after
  };
  QString chosen;
  dlg_.chooseCsvFile = [&] { return chosen; };
  dlg_.show();
  auto* list = Child<QListWidget>("recordList");
  auto* del = Child<QPushButton>("deleteButton");
  auto* csv = Child<QPushButton>("csvButton");

  list->setCurrentRow(1);
  QTest::mouseClick(del, Qt::LeftButton);
  EXPECT_EQ(list->count(), 3);
  QTest::mouseClick(del, Qt::LeftButton);
  ASSERT_EQ(list->count(), 2);
  EXPECT_TRUE(list->item(1)->text().startsWith("Record 10 "));
  EXPECT_FALSE(fs::exists(root_ / "DB" / "DBfile_DB4.mdb"));
  EXPECT_TRUE(del->isEnabled());

  // Nothing selected now: neither asks nor writes.
  QTest::mouseClick(del, Qt::LeftButton);
  chosen = QString::fromStdString((root_ / "out").string());
  QTest::mouseClick(csv, Qt::LeftButton);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(fs::exists(root_ / "out.csv"));

  list->setCurrentRow(1);
  chosen.clear();  // cancelled
  QTest::mouseClick(csv, Qt::LeftButton);
  EXPECT_TRUE(ui_.messages.empty());
  chosen = QString::fromStdString((root_ / "out").string());
  QTest::mouseClick(csv, Qt::LeftButton);
  EXPECT_TRUE(fs::exists(root_ / "out.csv"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Output to CSV completed.");

  // Refresh disables Delete and CSV; the limits stay enabled.
  QTest::mouseClick(Child<QPushButton>("refreshButton"), Qt::LeftButton);
  EXPECT_FALSE(csv->isEnabled());
  EXPECT_TRUE(Child<QLineEdit>("upperEdit")->isEnabled());
  EXPECT_EQ(list->count(), 2);
}

}  // namespace
}  // namespace zc::fp
