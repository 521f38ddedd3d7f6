// The chart control's pixels: the trace over the grid, the bare grid after a clear, the pen
// colour, and the repaint from the snapshot.
#include <gtest/gtest.h>

#include <QImage>

#include "acquire/trend_buffer.h"
#include "acquire/trend_plot.h"
#include "app/trend_chart_view.h"
#include "resources/artwork.h"

namespace zc::fp {
namespace {

const QRgb kBlue = qRgb(0, 0, 255);

int CountPixels(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
  }
  return n;
}

QImage Grid() {
  return ChartGrid(CTrendChartView::kWidth, CTrendChartView::kHeight)
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

class TrendChartView : public ::testing::Test {
 protected:
  // 10.0, 10.2, 9.9 and a few more on a 101-slot chart.
  CTrendPlot SomePlot() {
    CTrendBuffer buffer;
    for (double v : {10.0, 10.2, 9.9, 10.1, 9.95}) buffer.PushSample(v);
    return PlotTrend(buffer, view.width(), view.height(), FUNC_FREQ);
  }
  CTrendChartView view;
};

TEST_F(TrendChartView, HorizontalLineIsBlueAcrossTheWholeRow) {
  ASSERT_EQ(view.size(), QSize(470, 272));
  CTrendPlot plot;
  plot.drawn = true;
  plot.line = {{0, 136}, {469, 136}};
  view.Draw(plot);
  const QImage& image = view.snapshot();
  for (int x = 0; x < 470; ++x) ASSERT_EQ(image.pixel(x, 136), kBlue) << x;
  EXPECT_EQ(CountPixels(image, kBlue), 470);  // one pixel wide, no antialiasing
  EXPECT_EQ(image.pixel(235, 135), Grid().pixel(235, 135));
}

TEST_F(TrendChartView, EveryPointOfAPlotIsOnTheTrace) {
  const CTrendPlot plot = SomePlot();
  ASSERT_EQ(plot.line.size(), 5u);
  view.Draw(plot);
  for (const CPlotPoint& p : plot.line) EXPECT_EQ(view.snapshot().pixel(p.x, p.y), kBlue);
  // Each new drawing starts from the grid: the previous line is gone.
  CTrendPlot flat;
  flat.drawn = true;
  flat.line = {{0, 10}, {469, 10}};
  view.Draw(flat);
  EXPECT_EQ(CountPixels(view.snapshot(), kBlue), 470);
}

TEST_F(TrendChartView, ClearAndUndrawnPlotsLeaveOnlyTheGrid) {
  view.Draw(SomePlot());
  view.Clear();
  EXPECT_EQ(view.snapshot(), Grid());
  view.Draw(SomePlot());
  CTrendPlot undrawn = SomePlot();
  undrawn.drawn = false;  // a newest reading of 0
  view.Draw(undrawn);
  EXPECT_EQ(view.snapshot(), Grid());
}

TEST_F(TrendChartView, PenColourChangesTheTrace) {
  EXPECT_EQ(view.penColour(), QColor(0, 0, 255));
  view.SetPenColour(QColor(255, 0, 0));
  EXPECT_EQ(view.penColour(), QColor(255, 0, 0));
  const CTrendPlot plot = SomePlot();
  view.Draw(plot);
  EXPECT_EQ(view.snapshot().pixel(plot.line[0].x, plot.line[0].y), qRgb(255, 0, 0));
  EXPECT_EQ(CountPixels(view.snapshot(), kBlue), 0);
}

TEST_F(TrendChartView, RepaintShowsTheSnapshot) {
  EXPECT_EQ(view.grab().toImage().convertToFormat(QImage::Format_RGB32), Grid());
  const CTrendPlot plot = SomePlot();
  view.Draw(plot);
  const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, view.snapshot());
}

TEST_F(TrendChartView, AKeptSnapshotIsNotDrawnOver) {
  const CTrendPlot plot = SomePlot();
  view.Draw(plot);
  const QImage kept = view.snapshot();
  view.Clear();
  EXPECT_EQ(kept.pixel(plot.line[0].x, plot.line[0].y), kBlue);
  EXPECT_EQ(view.snapshot(), Grid());
}

TEST_F(TrendChartView, ResizeMakesANewGrid) {
  view.Draw(SomePlot());
  view.resize(200, 100);  // hidden: no resize event yet
  const QImage small = ChartGrid(200, 100).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(view.grab().toImage().convertToFormat(QImage::Format_RGB32), small);
  CTrendPlot plot;
  plot.drawn = true;
  plot.line = {{-50, 50}, {5000, 50}};  // clipped, not a fault
  view.Draw(plot);
  EXPECT_EQ(view.snapshot().size(), QSize(200, 100));
  EXPECT_EQ(CountPixels(view.snapshot(), kBlue), 200);
  view.Clear();
  EXPECT_EQ(view.snapshot(), small);
}

}  // namespace
}  // namespace zc::fp
