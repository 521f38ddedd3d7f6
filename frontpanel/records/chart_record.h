// Charting a stored record: which records can be chosen, which stretch of readings is drawn,
// the curve's scale and its mapping onto the chart's pixels, and the marker of the reading under
// the slider. Worked out without drawing, so the geometry is tested without a display.
//
// The chart maps logical x 0..segments onto 0..width and logical y (reading - first reading) x
// scale onto the middle half of the chart (y up), rounding as an anisotropic Windows mapping
// mode does. The scale is the smallest power of ten, at least 1, that makes the readings' span
// at least 99999999 logical units, so the integer coordinates keep about eight digits.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acquire/trend_plot.h"
#include "app/user_interface.h"
#include "records/record_files.h"

namespace zc::fp {

enum class ChartRange { All, Stretch };

// A stretch field's text as a number: leading blanks, a sign and digits, as atol reads it; text
// that does not start with a number gives 0, and numbers past 64 bits saturate.
std::int64_t StretchNumber(const std::string& text);

// Readings first .. first + segments (numbered from 1) of a record.
struct CChartStretch {
  std::int64_t first = 1;
  std::int64_t segments = 0;
};

enum class StretchCheck { Ok, InputDataError, OverRange };

// The drawn stretch: all count readings, or from..to in either order. A limit below 1 or two
// equal limits is an input error; a limit past the count is over range.
StretchCheck ChooseStretch(ChartRange range, std::int64_t count, const std::string& fromText,
                           const std::string& toText, CChartStretch* stretch);

// The segment count the marker spreads the slider over, from the texts as they are now: count-1
// for all, |to - from| for a stretch, and 1 instead of 0.
std::int64_t MarkerSegments(ChartRange range, std::int64_t count, const std::string& fromText,
                            const std::string& toText);

// 10^k for the smallest k >= 0 with span x 10^k >= 99999999; 1 when the span is not positive.
// Ends for every input: infinity and NaN give 1, and a tiny span stops when the scale runs
// out of range.
double ChartScale(double span);

// Where logical coordinates land on a width x height chart.
class CChartMapping {
 public:
  CChartMapping(int width, int height, std::int64_t segments, double span, double scale);
  int DeviceX(double logicalX) const;
  // A reading's row: its logical y is (value - reference) x scale, truncated towards zero.
  // Infinite values lie on the top or bottom edge and NaN on the centre line.
  int DeviceY(double value, double reference) const;

 private:
  int width_, height_;
  double segments_;
  double windowY_;
  double scale_;
};

struct CChartCurve {
  CChartStretch stretch;
  // The extremes start at -999999999999 and 999999999999 and only readings beyond them move
  // them. Readings that are not finite take no part.
  double maximum = -999999999999.0;
  double minimum = 999999999999.0;
  double scale = 1.0;
  // The first finite reading of the stretch: the curve's centre line.
  double reference = 0.0;
  bool anyFinite = false;
  // Device pixels, one per reading. A stretch wider than the chart keeps, for each pixel
  // column, only the first, lowest, highest and last point, which covers the same pixels.
  std::vector<CPlotPoint> points;

  double span() const { return anyFinite ? maximum - minimum : 0.0; }
};

// Reads the stretch from an open record file, twice: extremes, then points. False with
// file.error() set on a database error.
bool PlotRecord(CRecordFile& file, const CChartStretch& stretch, int width, int height,
                CChartCurve* curve);

struct CChartMarker {
  std::int64_t readingNumber = 0;
  std::string numberText;  // "%ld"
  std::string valueText;   // "%.15f"
  std::string dateText;    // the record's start time as the record list shows it
  // Device pixels, right and bottom exclusive: 1/100 of the chart wide, centred on the slider's
  // share of the width, and on the reading's own height on the curve.
  int left = 0, top = 0, right = 0, bottom = 0;
};

inline constexpr int kMarkerHalfHeight = 4;

// The reading at slider position p: reading p + 1 (all) or min(from, to) + p (stretch), the
// last reading when that is past the end. Nullopt on a database error or an empty record.
std::optional<CChartMarker> MarkReading(CRecordFile& file, const CChartCurve& curve, int position,
                                        ChartRange range, std::int64_t count,
                                        const std::string& fromText, const std::string& toText,
                                        int width, int height);

// The dialog's behaviour: record list, choosing, drawing, clearing and the marker. Everything it
// reports goes through the user interface; texts come from lookup (key, English default).
class CChartRecord {
 public:
  using Lookup = std::function<std::string(const std::string& key, const std::string& def)>;

  CChartRecord(CUserInterface& ui, Lookup lookup, int width, int height);

  // Opening: enters the record folder and lists the records that hold a start time. The state
  // of an earlier showing is dropped.
  void Open();
  const std::vector<std::string>& entries() const { return entries_; }
  // "Please select a record." or "No records were found."
  std::string ListPrompt() const;

  // Choosing a list entry: its reading count. Draw may be enabled afterwards whatever happens.
  void Choose(const std::string& entry);
  const std::string& countText() const { return countText_; }
  int recordNumber() const { return recordNumber_; }

  struct DrawOutcome {
    std::optional<std::int64_t> sliderMaximum;  // set once the stretch was accepted
    bool drawn = false;
  };
  DrawOutcome Draw(ChartRange range, const std::string& fromText, const std::string& toText);
  void Clear() { drawn_ = false; }
  bool drawn() const { return drawn_; }
  const CChartCurve& curve() const { return curve_; }

  // The marker for the slider at position; nullopt while nothing is drawn. Silent on errors:
  // it runs at every slider repaint.
  std::optional<CChartMarker> Marker(int position, ChartRange range, const std::string& fromText,
                                     const std::string& toText);

 private:
  bool EnterFolder();
  std::string RecordPath() const;

  CUserInterface& ui_;
  Lookup lookup_;
  int width_, height_;
  std::string folder_;
  std::vector<std::string> entries_;
  int recordNumber_ = 0;
  std::string countText_;
  CChartCurve curve_;
  bool drawn_ = false;
};

}  // namespace zc::fp
