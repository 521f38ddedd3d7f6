// The live chart's sample buffer (scrolling and the reference reading) and the geometry and texts
// worked out from it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "acquire/reading_format.h"
#include "acquire/trend_buffer.h"
#include "acquire/trend_plot.h"

namespace zc::fp {
namespace {

struct Trend {
  explicit Trend(int capacity = CTrendBuffer::kInitialCapacity) { buffer.SetCapacity(capacity); }
  Trend& Push(std::initializer_list<double> values) {
    for (double v : values) buffer.PushSample(v);
    return *this;
  }
  std::vector<double> Slots() const {
    std::vector<double> out;
    for (int i = 1; i <= buffer.count(); ++i) out.push_back(buffer.Slot(i));
    return out;
  }
  CTrendBuffer buffer;
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(TrendBuffer, CapacityIsClamped) {
  CTrendBuffer buffer;
  EXPECT_EQ(buffer.capacity(), 101);
  for (auto [asked, got] : {std::pair{-1, 51},
                            {0, 51},
                            {50, 51},
                            {51, 51},
                            {501, 501},
                            {1001, 1001},
                            {1002, 1001},
                            {1 << 30, 1001}}) {
    buffer.SetCapacity(asked);
    EXPECT_EQ(buffer.capacity(), got) << asked;
  }
}

TEST(TrendBuffer, FillsInArrivalOrderAndResets) {
  Trend t;
  t.Push({5, 6, 7});
  EXPECT_EQ(t.Slots(), (std::vector<double>{5, 6, 7}));
  EXPECT_EQ(t.buffer.Slot(0), 0.0);
  EXPECT_EQ(t.buffer.Slot(CTrendBuffer::kSlots + 1), 0.0);
  t.buffer.Reset();
  EXPECT_EQ(t.buffer.count(), 0);
  t.Push({9});
  EXPECT_EQ(t.Slots(), (std::vector<double>{9}));
}

// Full buffer of capacity 51: slot 1 is 10 and slots 2..51 hold `body`; then one more push.
struct ReferenceCase {
  const char* what;
  double body;  // every reading on the chart
  double pushed;
  double reference;  // slot 1 after the push
};

TEST(TrendBuffer, ReferenceFollowsOnlyWhenAllReadingsLieOnOneSide) {
  for (const ReferenceCase& c : {
           ReferenceCase{"all above", 12, 12, 12},
           ReferenceCase{"all below", 8, 8, 8},
           ReferenceCase{"equal to it", 10, 10, 10},
           ReferenceCase{"NaN readings", kNaN, 11, 10},
       }) {
    Trend t(51);
    t.Push({10});
    for (int i = 2; i <= 51; ++i) t.buffer.PushSample(c.body);
    t.buffer.PushSample(c.pushed);
    EXPECT_EQ(t.buffer.Slot(1), c.reference) << c.what;
    EXPECT_EQ(t.buffer.count(), 51) << c.what;
    EXPECT_EQ(t.buffer.Slot(51), c.pushed) << c.what;
  }
  // Readings on both sides keep it, however the newest one lies.
  Trend t(51);
  t.Push({10, 9, 9});
  for (int i = 4; i <= 51; ++i) t.buffer.PushSample(11);
  t.Push({20});
  EXPECT_EQ(t.buffer.Slot(1), 10);
  // The last 9 has scrolled off; now every reading is above 10, so it follows.
  t.Push({20});
  EXPECT_EQ(t.buffer.Slot(1), 11);
}

TEST(TrendBuffer, ScrollsSlotsThreeOnwardAndJudgesBeforeStoring) {
  Trend t(51);
  for (int i = 1; i <= 51; ++i) t.buffer.PushSample(i);
  t.Push({52});
  // Slots 2..50 were 3..51, all above 1, so slot 1 took the new slot 2.
  std::vector<double> expected{3};
  for (int i = 3; i <= 52; ++i) expected.push_back(i);
  EXPECT_EQ(t.Slots(), expected);
  // The newest reading is judged only at the next push: 0 below everything changes nothing now.
  t.Push({0});
  EXPECT_EQ(t.buffer.Slot(1), 4);
  EXPECT_EQ(t.buffer.Slot(51), 0);
}

TEST(TrendBuffer, CapacityChangesTakeEffectAtTheNextPush) {
  Trend t(101);
  for (int i = 1; i <= 101; ++i) t.buffer.PushSample(100 + i);
  t.buffer.SetCapacity(51);
  EXPECT_EQ(t.buffer.count(), 101);  // until the next push
  t.Push({1});
  EXPECT_EQ(t.buffer.count(), 51);
  EXPECT_EQ(t.buffer.Slot(1), 103);  // 103..151 all above 101: the old slot 3
  EXPECT_EQ(t.buffer.Slot(2), 103);
  EXPECT_EQ(t.buffer.Slot(50), 151);
  EXPECT_EQ(t.buffer.Slot(51), 1);
  // Raised again: the buffer fills on without scrolling.
  t.buffer.SetCapacity(53);
  t.Push({2, 3});
  EXPECT_EQ(t.buffer.count(), 53);
  EXPECT_EQ(t.buffer.Slot(51), 1);
  EXPECT_EQ(t.buffer.Slot(53), 3);
  t.Push({4});  // full again: scrolls; readings on both sides of 103 keep it
  EXPECT_EQ(t.buffer.Slot(1), 103);
  EXPECT_EQ(t.buffer.Slot(2), 104);
  EXPECT_EQ(t.buffer.Slot(52), 3);
  EXPECT_EQ(t.buffer.Slot(53), 4);
}

constexpr int kW = 470;
constexpr int kH = 272;

TEST(PlotTrend, NothingIsDrawnForAnEmptyBufferOrANewestZero) {
  Trend t;
  CTrendPlot plot;
  plot.maxText = "max before";
  plot.minText = "min before";
  PlotTrend(t.buffer, kW, kH, FUNC_FREQ, plot);
  EXPECT_FALSE(plot.drawn);
  t.Push({10, 11, 0});
  PlotTrend(t.buffer, kW, kH, FUNC_FREQ, plot);
  EXPECT_FALSE(plot.drawn);
  EXPECT_TRUE(plot.line.empty());
  EXPECT_EQ(plot.maxText, "max before");  // the texts keep their values
  EXPECT_EQ(plot.minText, "min before");
  t.Push({-0.0});
  EXPECT_FALSE(PlotTrend(t.buffer, kW, kH, FUNC_FREQ).drawn);
}

TEST(PlotTrend, FirstTickShowsTheReadingAsBothBoundsWithoutALine) {
  Trend t;
  t.Push({1.23456789012e6});
  const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  EXPECT_TRUE(plot.drawn);
  EXPECT_TRUE(plot.line.empty());
  EXPECT_EQ(plot.maxText, "1.2345678901 M  Hz");
  EXPECT_EQ(plot.minText, "1.2345678901 M  Hz");
}

TEST(PlotTrend, EqualReadingsLieOnTheMiddleRow) {
  Trend t;
  t.Push({10, 10, 10, 10});
  const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  ASSERT_EQ(plot.line.size(), 4u);
  for (const CPlotPoint& p : plot.line) EXPECT_EQ(p.y, kH / 2);
  EXPECT_EQ(plot.maxText, "10.0000000000  Hz");
  EXPECT_EQ(plot.minText, plot.maxText);
}

TEST(PlotTrend, BandIsFourTimesTheSpreadAroundTheReference) {
  Trend t;
  t.Push({10.0, 10.2, 9.9});
  const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  EXPECT_EQ(plot.maxText, "10.6000000000  Hz");
  EXPECT_EQ(plot.minText, "9.4000000000  Hz");
  // 272 / 2 = 136 device rows for 2 * 0.3 * 1e9 logical units: 10.2 lies 0.2 / 0.6 of the half
  // height above the middle, 9.9 a sixth below; x steps 470 / 101 pixels.
  const std::vector<CPlotPoint> expected{{0, 136 + 23}, {5, 136 - 45}, {9, 136}};
  EXPECT_EQ(plot.line, expected);
}

// A 102 x 200 chart of 51 slots: two pixels per slot, 100 rows from the middle to an edge.
TEST(PlotTrend, PointsOfASmallChart) {
  Trend t(51);
  t.Push({1.0, 3.0, 2.0});
  // range 2, s = 1e8: the band 1 +- 4 is 8e8 logical units on 200 rows; 3 is 2e8 up (50 rows).
  CTrendPlot plot = PlotTrend(t.buffer, 102, 200, FUNC_FREQ);
  EXPECT_EQ(plot.line, (std::vector<CPlotPoint>{{0, 75}, {2, 50}, {4, 100}}));
  EXPECT_EQ(plot.maxText, "5.0000000000  Hz");
  EXPECT_EQ(plot.minText, "-3.0000000000  Hz");

  // Full: slot 2 spans the rightmost unit, the newest reading the leftmost.
  for (int slot = 4; slot <= 51; ++slot) t.buffer.PushSample(slot % 2 == 0 ? 3.0 : 2.0);
  ASSERT_EQ(t.buffer.count(), 51);
  PlotTrend(t.buffer, 102, 200, FUNC_FREQ, plot);
  ASSERT_EQ(plot.line.size(), 52u);
  EXPECT_EQ(plot.line[0], (CPlotPoint{102, 50}));  // slot 2 = 3.0
  EXPECT_EQ(plot.line[1], (CPlotPoint{100, 50}));
  EXPECT_EQ(plot.line[2], (CPlotPoint{98, 75}));  // slot 3 = 2.0
  EXPECT_EQ(plot.line[50], (CPlotPoint{2, 75}));  // slot 51 = 2.0, the newest
  EXPECT_EQ(plot.line[51], (CPlotPoint{0, 75}));

  // Drift: everything on the chart is now above the reference 1.0, so it moves to the oldest
  // drawn reading (2.0) and the line re-centres on it: 2.0 on the middle row, band 2 +- 2.
  t.Push({3.0});
  EXPECT_EQ(t.buffer.Slot(1), 2.0);
  PlotTrend(t.buffer, 102, 200, FUNC_FREQ, plot);
  EXPECT_EQ(plot.line[0], (CPlotPoint{102, 100}));  // slot 2 = 2.0
  EXPECT_EQ(plot.line[51], (CPlotPoint{0, 50}));    // the newest, 3.0
  EXPECT_EQ(plot.maxText, "4.0000000000  Hz");
  EXPECT_EQ(plot.minText, "0.0000000000  Hz");
}

TEST(PlotTrend, FiftyDotsScrollWithTheNewestAtTheLeft) {
  Trend t(51);
  for (int i = 1; i <= 50; ++i) t.buffer.PushSample(10 + (i % 3) * 0.1);
  CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  EXPECT_EQ(plot.line.size(), 50u);  // still filling
  t.Push({10.1});
  PlotTrend(t.buffer, kW, kH, FUNC_FREQ, plot);
  ASSERT_EQ(plot.line.size(), 52u);  // full: capacity + 1 points, right edge to left edge
  EXPECT_EQ(plot.line.front().x, kW);
  EXPECT_EQ(plot.line.back().x, 0);
  const CPlotPoint oldNewest = plot.line.back();
  t.Push({10.2});
  PlotTrend(t.buffer, kW, kH, FUNC_FREQ, plot);
  ASSERT_EQ(plot.line.size(), 52u);
  EXPECT_LT(plot.line.back().y, oldNewest.y);  // 10.2 above 10.1, at the left edge
  EXPECT_EQ(plot.line[plot.line.size() - 2].y, plot.line.back().y);
  EXPECT_EQ(plot.line[plot.line.size() - 3].y, oldNewest.y);  // one unit to the right
}

TEST(PlotTrend, GigahertzReadingsAreReducedForDrawingOnly) {
  Trend t;
  t.Push({1.2e9, 1.2e9 + 1, 1.2e9 - 1});
  const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  EXPECT_EQ(plot.maxText, "1.2000000040 G  Hz");
  EXPECT_EQ(plot.minText, "1.1999999960 G  Hz");
  ASSERT_EQ(plot.line.size(), 3u);
  EXPECT_GT(plot.line[0].y, kH / 2);  // 1.2e9 - 1 below
  EXPECT_LT(plot.line[1].y, kH / 2);
  EXPECT_EQ(plot.line[2].y, kH / 2);
  EXPECT_EQ(t.buffer.Slot(2), 1.2e9 + 1);  // the stored readings are untouched
}

TEST(PlotTrend, CountAboveALoweredCapacityDrawsTextsButNoLine) {
  Trend t(101);
  t.Push({10, 11, 12});
  for (int i = 4; i <= 101; ++i) t.buffer.PushSample(11);
  t.buffer.SetCapacity(51);
  const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
  EXPECT_TRUE(plot.drawn);
  EXPECT_TRUE(plot.line.empty());
  EXPECT_EQ(plot.maxText, "14.0000000000  Hz");
}

// Readings no counter sends still give a bounded drawing and clear texts.
TEST(PlotTrend, OddReadingsStayOnTheChart) {
  struct Odd {
    const char* what;
    std::vector<double> values;
    const char* maxText;  // nullptr: any text
    const char* minText;
  };
  for (const Odd& c : {
           Odd{"NaN newest", {10, 10.2, kNaN}, "10.4000000000  Hz", "9.6000000000  Hz"},
           Odd{"infinite newest", {10, 10.2, kInf}, "INF", "-INF"},
           Odd{"infinite reference", {kInf, 10, 11}, "INF", "NAN"},
           Odd{"minus infinity", {10, -kInf, 11}, "INF", "-INF"},
           Odd{"all NaN", {kNaN, kNaN}, "NAN", "NAN"},
           Odd{"overload marker among readings", {10, 9.91e37, 10}, nullptr, nullptr},
           Odd{"extremes", {1e308, -1e308, 1e-300}, nullptr, nullptr},
           Odd{"very negative", {-5e9, -6e9, -7e9}, nullptr, nullptr},
           Odd{"subnormal spread", {1e-320, 2e-320, 1.5e-320}, nullptr, nullptr},
       }) {
    for (int capacity : {101, 51}) {
      Trend t(capacity);
      // Repeat to fill and scroll, so the full-buffer path sees them too.
      for (int i = 0; i < 60; ++i) {
        for (double v : c.values) t.buffer.PushSample(v);
      }
      const CTrendPlot plot = PlotTrend(t.buffer, kW, kH, FUNC_FREQ);
      EXPECT_TRUE(plot.drawn) << c.what;
      EXPECT_FALSE(plot.line.empty()) << c.what;
      for (const CPlotPoint& p : plot.line) {
        EXPECT_TRUE(p.x >= 0 && p.x <= kW && p.y >= 0 && p.y <= kH) << c.what;
      }
      if (c.maxText) {
        EXPECT_EQ(plot.maxText, c.maxText) << c.what;
        EXPECT_EQ(plot.minText, c.minText) << c.what;
      }
      EXPECT_FALSE(plot.maxText.empty()) << c.what;
    }
  }
  // Where they go: NaN on the middle row, +infinity at the top edge.
  Trend t;
  t.Push({10, 10.2, kNaN});
  EXPECT_EQ(PlotTrend(t.buffer, kW, kH, FUNC_FREQ).line[0].y, kH / 2);
  t.Push({kInf});
  EXPECT_EQ(PlotTrend(t.buffer, kW, kH, FUNC_FREQ).line[0].y, 0);
}

TEST(PlotTrend, DegenerateChartSizes) {
  Trend t;
  t.Push({1, 2, 3});
  for (auto [w, h] : {std::pair{0, 0}, {-5, -5}, {1, 1}}) {
    const CTrendPlot plot = PlotTrend(t.buffer, w, h, FUNC_FREQ);
    for (const CPlotPoint& p : plot.line) {
      EXPECT_TRUE(p.x >= 0 && p.x <= std::max(w, 0) && p.y >= 0 && p.y <= std::max(h, 0));
    }
  }
}

}  // namespace
}  // namespace zc::fp
