// The Chart Record dialog on the screen: choosing a record, the drawn pixels, the slider's texts
// and marker, the colour, Clear, and a fresh state at every showing.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "record_folder.h"
#include "recording_ui.h"
#include "records/chart_record_dlg.h"
#include "resources/artwork.h"

namespace zc::fp {
namespace {

using testing::CRecordingUi;

const QRgb kCyan = qRgb(0, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);

int CountPixels(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  }
  return n;
}

QRgb Pixel(const QImage& image, int x, int y) {
  return image.pixel(x, y) | 0xff000000;
}

class ChartRecordDlgTest : public testing::CRecordFolderTest {
 protected:
  void SetUp() override {
    CRecordFolderTest::SetUp();
    MakeRecord(2, {10.0, 10.5, 9.5});
    MakeRecord(5, Counting(40));
    dlg_ = std::make_unique<CChartRecordDlg>(
        ui, [](const std::string&, const std::string& def) { return def; });
    dlg_->SetColourPicker([this](const QColor& initial, QWidget*) {
      pickerStart = initial;
      return pickerAnswer;
    });
    dlg_->show();
  }
  void TearDown() override {
    dlg_.reset();
    CRecordFolderTest::TearDown();
  }

  // Picks the list entry of record n and draws.
  void DrawRecord(int n) {
    QComboBox* list = dlg_->recordList();
    for (int i = 0; i < list->count(); ++i) {
      if (RecordNumberOfEntry(list->itemText(i).toStdString()) == n) list->setCurrentIndex(i);
    }
    dlg_->drawButton()->click();
  }
  QImage Shown() { return dlg_->chart()->grab().toImage(); }

  CRecordingUi ui;
  QColor pickerStart;
  QColor pickerAnswer = QColor(255, 0, 0);
  std::unique_ptr<CChartRecordDlg> dlg_;
};

TEST_F(ChartRecordDlgTest, OpensWithTheListAndDrawDisabled) {
  EXPECT_EQ(dlg_->windowTitle(), "Chart Record");
  EXPECT_EQ(dlg_->recordList()->count(), 2);
  EXPECT_EQ(dlg_->recordList()->currentText(), "Please select a record.");
  EXPECT_FALSE(dlg_->drawButton()->isEnabled());
  EXPECT_TRUE(dlg_->allRadio()->isChecked());
  EXPECT_EQ(dlg_->allRadio()->text(), "  Drawing with all");
  EXPECT_FALSE(dlg_->fromEdit()->isEnabled());
  EXPECT_EQ(dlg_->lineColour(), QColor(0, 255, 255));
  EXPECT_EQ(Shown(), dlg_->chart()->grid());

  dlg_->recordList()->setCurrentIndex(1);
  EXPECT_EQ(dlg_->countLabel()->text(), "40");
  EXPECT_TRUE(dlg_->drawButton()->isEnabled());
  dlg_->stretchRadio()->click();
  EXPECT_TRUE(dlg_->fromEdit()->isEnabled());
  EXPECT_TRUE(dlg_->toEdit()->isEnabled());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ChartRecordDlgTest, GridIsBlackWithDarkCyanLinesTwoPixelsWide) {
  const QImage grid = dlg_->chart()->grid();
  ASSERT_EQ(grid.size(), QSize(584, 337));
  const QRgb dark = qRgb(0, 96, 96);
  for (int x : {0, 1, 58, 59, 582, 583}) EXPECT_EQ(Pixel(grid, x, 20), dark) << x;
  for (int y : {0, 1, 33, 34, 335, 336}) EXPECT_EQ(Pixel(grid, 20, y), dark) << y;
  EXPECT_EQ(Pixel(grid, 2, 20), qRgb(0, 0, 0));
  EXPECT_EQ(Pixel(grid, 30, 20), qRgb(0, 0, 0));
}

TEST_F(ChartRecordDlgTest, DrawPaintsTheCurveIntoTheSnapshot) {
  DrawRecord(2);
  const QImage snap = dlg_->chart()->snapshot();
  ASSERT_FALSE(snap.isNull());
  for (auto [x, y] : {std::pair{0, 168}, {292, 126}, {146, 147}, {438, 168}, {582, 209}}) {
    EXPECT_EQ(Pixel(snap, x, y), kCyan) << x << "," << y;
  }
  EXPECT_EQ(Pixel(snap, 292, 168), Pixel(dlg_->chart()->grid(), 292, 168));  // off the curve
  EXPECT_EQ(dlg_->slider()->maximum(), 2);
  EXPECT_TRUE(dlg_->clearButton()->isEnabled());
}

TEST_F(ChartRecordDlgTest, SliderShowsTheReadingAndMarksIt) {
  struct Case {
    bool stretch;
    const char *from, *to;
    int position;
    const char *number, *value;
  };
  const Case cases[] = {
      {false, "", "", 3, "4", "4.000000000000000"},
      {true, "10", "30", 3, "13", "13.000000000000000"},
      {true, "30", "10", 0, "10", "10.000000000000000"},
  };
  DrawRecord(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    (c.stretch ? dlg_->stretchRadio() : dlg_->allRadio())->click();
    dlg_->fromEdit()->setText(c.from);
    dlg_->toEdit()->setText(c.to);
    dlg_->drawButton()->click();
    dlg_->slider()->setValue(c.position);
    EXPECT_EQ(dlg_->slider()->maximum(), c.stretch ? 20 : 39);
    EXPECT_EQ(dlg_->numberLabel()->text(), c.number);
    EXPECT_EQ(dlg_->valueLabel()->text(), c.value);
    EXPECT_EQ(dlg_->dateLabel()->text(), kStartShown);
    // A black box outlined in white on the reading's point of the curve.
    ASSERT_TRUE(dlg_->chart()->marker());
    const QRect m = *dlg_->chart()->marker();
    const QImage shown = Shown();
    EXPECT_EQ(Pixel(shown, m.center().x(), m.center().y()), qRgb(0, 0, 0));
    EXPECT_EQ(Pixel(shown, m.right(), m.top()), qRgb(255, 255, 255));
    EXPECT_EQ(Pixel(shown, m.right(), m.bottom()), qRgb(255, 255, 255));
    EXPECT_EQ(m.center().y(), dlg_->rules().curve().points[static_cast<std::size_t>(c.position)].y);
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ChartRecordDlgTest, RefusedStretchShowsItsMessageAndKeepsTheDrawing) {
  DrawRecord(5);
  const QImage before = dlg_->chart()->snapshot();
  dlg_->stretchRadio()->click();
  dlg_->fromEdit()->setText("5");
  dlg_->toEdit()->setText("5");
  dlg_->drawButton()->click();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Input Data Error! Please re-enter.");
  EXPECT_EQ(dlg_->chart()->snapshot(), before);
  EXPECT_EQ(dlg_->slider()->maximum(), 39);
  EXPECT_FALSE(dlg_->chart()->marker());
  EXPECT_TRUE(dlg_->clearButton()->isEnabled());
}

TEST_F(ChartRecordDlgTest, NewColourShowsInTheSwatchAndOnlyInTheNextCurve) {
  DrawRecord(2);
  dlg_->changeColourButton()->click();
  EXPECT_EQ(pickerStart, QColor(Qt::black));
  EXPECT_EQ(dlg_->lineColour(), QColor(255, 0, 0));
  const QImage swatch = dlg_->swatch()->grab().toImage();
  EXPECT_EQ(Pixel(swatch, swatch.width() / 2, swatch.height() / 2), kRed);
  EXPECT_EQ(Pixel(swatch, 0, 0), qRgb(0, 0, 0));  // outline
  EXPECT_EQ(CountPixels(Shown(), kRed), 0);
  EXPECT_GT(CountPixels(Shown(), kCyan), 0);

  dlg_->drawButton()->click();
  EXPECT_EQ(Pixel(dlg_->chart()->snapshot(), 292, 126), kRed);

  // A cancelled choice keeps the colour.
  pickerAnswer = QColor();
  dlg_->changeColourButton()->click();
  EXPECT_EQ(dlg_->lineColour(), QColor(255, 0, 0));
}

TEST_F(ChartRecordDlgTest, ClearLeavesThePlainGridThroughRepaints) {
  DrawRecord(2);
  dlg_->slider()->setValue(1);
  ASSERT_TRUE(dlg_->chart()->marker());
  dlg_->clearButton()->click();
  EXPECT_EQ(dlg_->chart()->snapshot(), dlg_->chart()->grid());
  // Covered and uncovered: painted again from the snapshot.
  dlg_->hide();
  dlg_->chart()->repaint();
  EXPECT_EQ(Shown(), dlg_->chart()->grid());
  // The slider marks nothing until the next Draw; it keeps its range.
  dlg_->slider()->setValue(2);
  EXPECT_FALSE(dlg_->chart()->marker());
  EXPECT_EQ(dlg_->slider()->maximum(), 2);
  EXPECT_EQ(Shown(), dlg_->chart()->grid());
}

TEST_F(ChartRecordDlgTest, EveryShowingStartsAfresh) {
  dlg_->changeColourButton()->click();
  DrawRecord(2);
  dlg_->hide();
  std::filesystem::remove(RecordPath(5));
  dlg_->show();
  EXPECT_EQ(dlg_->recordList()->count(), 1);
  EXPECT_EQ(dlg_->lineColour(), QColor(0, 255, 255));
  EXPECT_TRUE(dlg_->chart()->snapshot().isNull());
  EXPECT_FALSE(dlg_->drawButton()->isEnabled());
  EXPECT_EQ(dlg_->countLabel()->text(), "");
  EXPECT_EQ(dlg_->numberLabel()->text(), "");
  EXPECT_EQ(Shown(), dlg_->chart()->grid());
}

TEST_F(ChartRecordDlgTest, EmptyAndDamagedRecordsGiveMessagesNotCurves) {
  MakeRecord(7, {});
  dlg_->hide();
  dlg_->show();
  DrawRecord(7);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "No data in file");
  EXPECT_TRUE(dlg_->chart()->snapshot().isNull());

  WriteGarbage(2);
  DrawRecord(2);
  // Named when chosen and again when drawn.
  ASSERT_EQ(ui.messages.size(), 3u);
  for (int i : {1, 2}) EXPECT_NE(ui.messages[i].text.find("DBfile_DB2.mdb"), std::string::npos);
  EXPECT_TRUE(dlg_->chart()->snapshot().isNull());
}

}  // namespace
}  // namespace zc::fp
