// Charting a record over real record files: the list, the stretch checks, the scale, the curve's
// pixels, the marker, and records that are empty, damaged or hold infinities.
#include "records/chart_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "record_folder.h"
#include "recording_ui.h"

namespace zc::fp {
namespace {

using testing::CRecordingUi;

constexpr int kW = 584;
constexpr int kH = 337;
constexpr int kMid = kH / 2;  // 168: the centre line
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(StretchNumber, ReadsLeadingDigitsAsAtolDoes) {
  const std::pair<const char*, std::int64_t> cases[] = {
      {"12", 12},    {"  7", 7},
      {"+5", 5},     {"-3", -3},
      {"12abc", 12}, {"abc", 0},
      {"", 0},       {"1.9", 1},
      {" - 3", 0},   {"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
  };
  for (const auto& [text, n] : cases) EXPECT_EQ(StretchNumber(text), n) << '"' << text << '"';
}

TEST(ChooseStretch, AcceptsOrRefusesLimits) {
  struct Case {
    ChartRange range;
    const char *from, *to;
    StretchCheck check;
    std::int64_t first, segments;
  };
  const Case cases[] = {
      {ChartRange::All, "", "", StretchCheck::Ok, 1, 39},
      {ChartRange::All, "5", "5", StretchCheck::Ok, 1, 39},  // the texts play no part
      {ChartRange::Stretch, "30", "10", StretchCheck::Ok, 10, 20},
      {ChartRange::Stretch, "10", "30", StretchCheck::Ok, 10, 20},
      {ChartRange::Stretch, "1", "40", StretchCheck::Ok, 1, 39},
      {ChartRange::Stretch, "5", "5", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "0", "10", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "10", "0", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "-4", "10", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "abc", "10", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "", "", StretchCheck::InputDataError, 0, 0},
      {ChartRange::Stretch, "10", "41", StretchCheck::OverRange, 0, 0},
      {ChartRange::Stretch, "41", "10", StretchCheck::OverRange, 0, 0},
      {ChartRange::Stretch, "1", "99999999999999999999999", StretchCheck::OverRange, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " to " + c.to);
    CChartStretch s{-7, -7};
    ASSERT_EQ(ChooseStretch(c.range, 40, c.from, c.to, &s), c.check);
    if (c.check == StretchCheck::Ok) {
      EXPECT_EQ(s.first, c.first);
      EXPECT_EQ(s.segments, c.segments);
    }
  }
}

TEST(ChartScale, SmallestPowerOfTenReachingEightDigits) {
  const std::pair<double, double> cases[] = {
      {1.0, 1e8}, {0.5, 1e9},  {99999999.0, 1.0}, {99999998.0, 10.0},  {1e12, 1.0},
      {0.0, 1.0}, {-3.0, 1.0}, {kInf, 1.0},       {std::nan(""), 1.0},
  };
  for (const auto& [span, scale] : cases) EXPECT_EQ(ChartScale(span), scale) << span;
  // The smallest span there is still ends the search.
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_GE(tiny * ChartScale(tiny), 99999999.0);
}

TEST(MarkerSegments, FromTheTextsAndNeverZero) {
  EXPECT_EQ(MarkerSegments(ChartRange::All, 40, "", ""), 39);
  EXPECT_EQ(MarkerSegments(ChartRange::All, 1, "", ""), 1);
  EXPECT_EQ(MarkerSegments(ChartRange::Stretch, 40, "30", "10"), 20);
  EXPECT_EQ(MarkerSegments(ChartRange::Stretch, 40, "7", "7"), 1);
  EXPECT_EQ(
      MarkerSegments(ChartRange::Stretch, 40, "-99999999999999999999", "99999999999999999999"),
      std::numeric_limits<std::int64_t>::max());
}

class ChartRecordTest : public testing::CRecordFolderTest {
 protected:
  CChartRecord::Lookup lookup = [](const std::string&, const std::string& def) { return def; };
  CRecordingUi ui;
  CChartRecord chart{ui, lookup, kW, kH};

  // Opens the dialog's rules and picks the entry of record n.
  void Choose(int n) {
    chart.Open();
    for (const std::string& e : chart.entries()) {
      if (RecordNumberOfEntry(e) == n) return chart.Choose(e);
    }
    FAIL() << "record " << n << " not listed";
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> v;
    for (const auto& m : ui.messages) v.push_back(m.text);
    return v;
  }
};

TEST_F(ChartRecordTest, ListsRecordsWithAStartTimeAndNamesDamagedOnes) {
  MakeRecord(10, {1});
  MakeRecord(1, {1, 2});
  MakeRecord(4, {});
  MakeRecord(7, {1, 2}, "");  // no start time: not a run
  WriteGarbage(3);
  chart.Open();
  EXPECT_EQ(chart.entries(), (std::vector<std::string>{
                                 "Record 1            ( " + std::string(kStartShown) + " )",
                                 "Record 4            ( " + std::string(kStartShown) + " )",
                                 "Record 10            ( " + std::string(kStartShown) + " )"}));
  EXPECT_EQ(chart.ListPrompt(), "Please select a record.");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("DBfile_DB3.mdb"), std::string::npos) << ui.messages[0].text;
  EXPECT_EQ(ui.messages[0].caption, messageCaption);
}

TEST_F(ChartRecordTest, MissingFolderIsReportedAndNothingIsListed) {
  std::filesystem::remove_all(root_ / "DB");
  chart.Open();
  EXPECT_TRUE(chart.entries().empty());
  EXPECT_EQ(chart.ListPrompt(), "No records were found.");
  chart.Choose("Record 1            ( x )");
  chart.Draw(ChartRange::All, "", "");
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, "Database working folder not found.");
  EXPECT_EQ(ui.messages[0].caption, "Database check");
  EXPECT_EQ(ui.messages[1].caption, "DrawRecord Database folder check");
  EXPECT_EQ(ui.messages[2].caption, "DrawRecord Database folder check");
  EXPECT_FALSE(chart.drawn());
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(ChartRecordTest, ThreeReadingsSpanTheMiddleHalfOverTheFullWidth) {
  MakeRecord(2, {10.0, 10.5, 9.5});
  Choose(2);
  EXPECT_EQ(chart.countText(), "3");
  const auto outcome = chart.Draw(ChartRange::All, "", "");
  ASSERT_TRUE(outcome.drawn);
  EXPECT_EQ(outcome.sliderMaximum, 2);
  const CChartCurve& c = chart.curve();
  EXPECT_EQ(c.scale, 100000000.0);
  EXPECT_EQ(c.maximum, 10.5);
  EXPECT_EQ(c.minimum, 9.5);
  // Centre line, up H/8, down H/8.
  EXPECT_EQ(c.points, (std::vector<CPlotPoint>{{0, kMid}, {kW / 2, 126}, {kW, 210}}));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(ChartRecordTest, EqualReadingsLieOnTheCentreLine) {
  MakeRecord(1, {3.25, 3.25, 3.25, 3.25});
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  ASSERT_EQ(chart.curve().points.size(), 4u);
  for (const CPlotPoint& p : chart.curve().points) EXPECT_EQ(p.y, kMid);
  EXPECT_EQ(chart.curve().points.back().x, kW);
}

TEST_F(ChartRecordTest, StretchDrawsOnlyItsReadingsInEitherOrder) {
  // Readings outside 10..30 would widen the extremes if they were read.
  std::vector<double> v = Counting(40);
  v[8] = 1000;    // reading 9
  v[30] = -1000;  // reading 31
  MakeRecord(1, v);
  Choose(1);
  const auto outcome = chart.Draw(ChartRange::Stretch, "30", "10");
  ASSERT_TRUE(outcome.drawn);
  EXPECT_EQ(outcome.sliderMaximum, 20);
  const CChartCurve& c = chart.curve();
  EXPECT_EQ(c.maximum, 30);
  EXPECT_EQ(c.minimum, 10);
  ASSERT_EQ(c.points.size(), 21u);
  EXPECT_EQ(c.points.front(), (CPlotPoint{0, kMid}));
  EXPECT_EQ(c.points.back(), (CPlotPoint{kW, kMid - kH / 4}));  // the top of the middle half
}

TEST_F(ChartRecordTest, BadStretchIsRefusedWithItsMessage) {
  MakeRecord(1, Counting(40));
  const std::string inputError = "Input Data Error! Please re-enter.";
  const std::string overRange = "Over-range! Please re-enter.";
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"5", "5", inputError},    {"0", "10", inputError}, {"10", "0", inputError},
      {"ten", "20", inputError}, {"10", "41", overRange}, {"41", "1", overRange},
  };
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  for (const auto& [from, to, text] : cases) {
    SCOPED_TRACE(std::string(from) + " to " + to);
    ui.messages.clear();
    const auto outcome = chart.Draw(ChartRange::Stretch, from, to);
    EXPECT_FALSE(outcome.drawn);
    EXPECT_FALSE(outcome.sliderMaximum);
    EXPECT_FALSE(chart.drawn());  // the marker stops until the next Draw
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].caption, "ERROR");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Stop);
  }
  EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(ChartRecordTest, RecordWithoutReadingsIsRefused) {
  MakeRecord(1, {});
  Choose(1);
  EXPECT_EQ(chart.countText(), "0");
  auto outcome = chart.Draw(ChartRange::All, "", "");
  EXPECT_FALSE(outcome.drawn);
  EXPECT_FALSE(outcome.sliderMaximum);
  outcome = chart.Draw(ChartRange::Stretch, "1", "2");
  EXPECT_FALSE(outcome.drawn);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"No data in file", "Over-range! Please re-enter."}));
  EXPECT_EQ(ui.messages[0].caption, messageCaption);
  EXPECT_FALSE(chart.Marker(0, ChartRange::All, "", ""));
}

TEST_F(ChartRecordTest, SingleReadingDrawsNoLineButMarksIt) {
  MakeRecord(1, {7.5});
  Choose(1);
  const auto outcome = chart.Draw(ChartRange::All, "", "");
  ASSERT_TRUE(outcome.drawn);
  EXPECT_EQ(outcome.sliderMaximum, 0);
  EXPECT_TRUE(chart.curve().points.empty());
  const auto m = chart.Marker(0, ChartRange::All, "", "");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->numberText, "1");
  EXPECT_EQ(m->valueText, "7.500000000000000");
}

TEST_F(ChartRecordTest, MarkerShowsTheReadingUnderTheSliderOnTheCurve) {
  std::vector<double> v;
  for (int i = 1; i <= 40; ++i) v.push_back(i + i * i / 1000.0 + 0.000000000000001 * (i % 3));
  MakeRecord(1, v);
  Choose(1);
  struct Case {
    ChartRange range;
    const char *from, *to;
    int position;
    const char* number;
    int reading;  // whose value shows
  };
  const Case cases[] = {
      {ChartRange::All, "", "", 3, "4", 4},
      {ChartRange::All, "", "", 0, "1", 1},
      {ChartRange::All, "", "", 39, "40", 40},
      {ChartRange::Stretch, "10", "30", 3, "13", 13},
      {ChartRange::Stretch, "30", "10", 20, "30", 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.number));
    ASSERT_TRUE(chart.Draw(c.range, c.from, c.to).drawn);
    const auto m = chart.Marker(c.position, c.range, c.from, c.to);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->numberText, c.number);
    char value[64];
    std::snprintf(value, sizeof value, "%.15f", v[c.reading - 1]);
    EXPECT_EQ(m->valueText, value);
    EXPECT_EQ(m->dateText, kStartShown);
    // On the reading's own point of the curve, 1/100 of the chart wide.
    const CPlotPoint& p = chart.curve().points[static_cast<std::size_t>(c.position)];
    EXPECT_EQ((m->top + m->bottom - 1) / 2, p.y);
    EXPECT_NEAR((m->left + m->right) / 2.0, p.x, 1.0);
    EXPECT_NEAR(m->right - m->left, kW / 100.0, 1.0);
  }
}

TEST_F(ChartRecordTest, MarkerPastTheEndShowsTheLastReading) {
  MakeRecord(1, {1, 2, 3, 4, 5});
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  const auto m = chart.Marker(9, ChartRange::All, "", "");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->numberText, "10");
  EXPECT_EQ(m->valueText, "5.000000000000000");
  chart.Clear();
  EXPECT_FALSE(chart.Marker(0, ChartRange::All, "", ""));
}

TEST_F(ChartRecordTest, InfiniteReadingsGoToTheEdgesAndTakeNoPartInTheScale) {
  MakeRecord(1, {kInf, 10, -kInf, 11, 12});
  MakeRecord(2, {kInf, kInf, -kInf});
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  const CChartCurve& c = chart.curve();
  EXPECT_EQ(c.maximum, 12);
  EXPECT_EQ(c.minimum, 10);
  EXPECT_EQ(c.reference, 10);
  ASSERT_EQ(c.points.size(), 5u);
  EXPECT_EQ(c.points[0].y, 0);
  EXPECT_EQ(c.points[1].y, kMid);
  EXPECT_EQ(c.points[2].y, 2 * kMid);
  EXPECT_EQ(chart.Marker(0, ChartRange::All, "", "")->valueText, "inf");

  Choose(2);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  EXPECT_EQ(chart.curve().scale, 1.0);
  EXPECT_EQ(chart.curve().points, (std::vector<CPlotPoint>{{0, 0}, {kW / 2, 0}, {kW, 2 * kMid}}));
}

TEST_F(ChartRecordTest, HugeSpreadStaysInsideTheChart) {
  MakeRecord(1, {1e308, -1e308, 0, 1.7e308});
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  for (const CPlotPoint& p : chart.curve().points) {
    EXPECT_GE(p.y, 0);
    EXPECT_LE(p.y, 2 * kMid);
  }
  EXPECT_EQ(chart.curve().points[0].y, kMid);
}

// A stretch wider than the chart keeps per pixel column the same lowest and highest rows and the
// same first and last points as drawing every reading would.
TEST_F(ChartRecordTest, LongRecordKeepsEveryColumnsExtent) {
  std::vector<double> v;
  for (int i = 0; i < 20000; ++i) v.push_back(std::sin(i * 0.013) * 50 + (i % 7) * 0.3);
  MakeRecord(1, v);
  Choose(1);
  ASSERT_TRUE(chart.Draw(ChartRange::All, "", "").drawn);
  const CChartCurve& c = chart.curve();
  EXPECT_LE(c.points.size(), 4u * (kW + 1));

  const CChartMapping map(kW, kH, c.stretch.segments, c.span(), c.scale);
  std::map<int, std::pair<int, int>> expected, got;
  for (std::size_t i = 0; i < v.size(); ++i) {
    const int x = map.DeviceX(static_cast<double>(i));
    const int y = map.DeviceY(v[i], c.reference);
    auto [it, fresh] = expected.try_emplace(x, y, y);
    it->second = {std::min(it->second.first, y), std::max(it->second.second, y)};
  }
  for (const CPlotPoint& p : c.points) {
    auto [it, fresh] = got.try_emplace(p.x, p.y, p.y);
    it->second = {std::min(it->second.first, p.y), std::max(it->second.second, p.y)};
  }
  EXPECT_EQ(got, expected);
  EXPECT_EQ(c.points.front(), (CPlotPoint{0, kMid}));
  EXPECT_EQ(c.points.back().x, kW);
  EXPECT_EQ(c.points.back().y, map.DeviceY(v.back(), c.reference));
}

TEST_F(ChartRecordTest, FileDamagedAfterChoosingIsReportedNotDrawn) {
  MakeRecord(1, {1, 2, 3});
  Choose(1);
  WriteGarbage(1);
  EXPECT_FALSE(chart.Draw(ChartRange::All, "", "").drawn);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("DBfile_DB1.mdb"), std::string::npos) << ui.messages[0].text;
  EXPECT_FALSE(chart.Marker(0, ChartRange::All, "", ""));

  // Choosing it again names it too, and keeps the count it had.
  ui.messages.clear();
  chart.Choose("Record 1            ( x )");
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(chart.countText(), "3");
  EXPECT_EQ(ui.waitDepth, 0);
}

}  // namespace
}  // namespace zc::fp
