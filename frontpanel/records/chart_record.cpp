#include "records/chart_record.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace zc::fp {
namespace {

constexpr double kMinScaledSpan = 99999999.0;
// The marker's logical width: the slider's share of 999999999 units, +-5000000 of them.
constexpr std::int64_t kMarkerUnits = 1000000000;
constexpr double kMarkerWindow = 999999999.0;
constexpr std::int64_t kMarkerHalfWidth = 5000000;

// Device = logical x viewport / window + origin, halves rounded up, as the mapping mode does.
int RoundDevice(double v) {
  return static_cast<int>(std::floor(v + 0.5));
}

std::string Fixed15(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 15);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string();
}

// Shows the wait cursor for the life of the object.
class CWaitCursor {
 public:
  explicit CWaitCursor(CUserInterface& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~CWaitCursor() { ui_.EndWaitCursor(); }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  CUserInterface& ui_;
};

// Collapses the points of one pixel column to first, lowest, highest and last: the vertical
// segments between them cover the same pixels as all the column's segments did.
class CColumnFolder {
 public:
  CColumnFolder(std::vector<CPlotPoint>& out, bool fold) : out_(out), fold_(fold) {}
  void Add(CPlotPoint p) {
    if (!fold_) {
      out_.push_back(p);
      return;
    }
    if (open_ && p.x == first_.x) {
      lowest_ = p.y > lowest_.y ? p : lowest_;  // device y grows downwards
      highest_ = p.y < highest_.y ? p : highest_;
      last_ = p;
      return;
    }
    Flush();
    open_ = true;
    first_ = lowest_ = highest_ = last_ = p;
  }
  void Flush() {
    if (!open_) return;
    for (const CPlotPoint& p : {first_, lowest_, highest_, last_}) {
      if (out_.empty() || !(out_.back() == p)) out_.push_back(p);
    }
    open_ = false;
  }

 private:
  std::vector<CPlotPoint>& out_;
  bool fold_;
  bool open_ = false;
  CPlotPoint first_{}, lowest_{}, highest_{}, last_{};
};

// read_value of the row at index (from 0) in table order, or of the last row when the index is
// past the end; nullopt when the table has no rows or on an error.
std::optional<double> ValueAtOrLast(CRecordFile& file, std::int64_t index) {
  CSqliteStmt q;
  if (!q.Prepare(file.db(), "SELECT read_value FROM read ORDER BY rowid LIMIT 1 OFFSET ?")) {
    return std::nullopt;
  }
  q.Bind(1, std::max<std::int64_t>(index, 0));
  if (q.Step() == SQLITE_ROW) return q.ColumnDouble(0);
  q.Finalize();
  if (!q.Prepare(file.db(), "SELECT read_value FROM read ORDER BY rowid DESC LIMIT 1")) {
    return std::nullopt;
  }
  if (q.Step() == SQLITE_ROW) return q.ColumnDouble(0);
  return std::nullopt;
}

}  // namespace

std::int64_t StretchNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  std::int64_t n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    n = n > (kMax - digit) / 10 ? kMax : n * 10 + digit;
  }
  return negative ? -n : n;
}

StretchCheck ChooseStretch(ChartRange range, std::int64_t count, const std::string& fromText,
                           const std::string& toText, CChartStretch* stretch) {
  if (range == ChartRange::All) {
    *stretch = {1, std::max<std::int64_t>(count - 1, 0)};
    return StretchCheck::Ok;
  }
  std::int64_t a = StretchNumber(fromText);
  std::int64_t b = StretchNumber(toText);
  if (a < 1 || b < 1 || a == b) return StretchCheck::InputDataError;
  if (a > count || b > count) return StretchCheck::OverRange;
  if (a > b) std::swap(a, b);
  *stretch = {a, b - a};
  return StretchCheck::Ok;
}

std::int64_t MarkerSegments(ChartRange range, std::int64_t count, const std::string& fromText,
                            const std::string& toText) {
  std::int64_t m = count - 1;
  if (range == ChartRange::Stretch) {
    const std::int64_t a = StretchNumber(fromText);
    const std::int64_t b = StretchNumber(toText);
    // Saturated texts can be far apart: the difference is taken without overflow.
    const std::uint64_t d = a > b ? static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b)
                                  : static_cast<std::uint64_t>(b) - static_cast<std::uint64_t>(a);
    m = static_cast<std::int64_t>(
        std::min<std::uint64_t>(d, std::numeric_limits<std::int64_t>::max()));
  }
  return m <= 0 ? 1 : m;
}

double ChartScale(double span) {
  double scale = 1.0;
  if (!(span > 0) || !std::isfinite(span)) return scale;
  // At most about 330 steps: once the scale overflows to infinity the product does too.
  while (span * scale < kMinScaledSpan) scale *= 10;
  return scale;
}

CChartMapping::CChartMapping(int width, int height, std::int64_t segments, double span,
                             double scale)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      segments_(segments > 0 ? static_cast<double>(segments) : 1.0),
      windowY_(span == 0 ? 1.0 : std::trunc(-2 * span * scale)),
      scale_(scale) {
  if (windowY_ == 0 || std::isnan(windowY_)) windowY_ = 1.0;
}

int CChartMapping::DeviceX(double logicalX) const {
  return RoundDevice(logicalX * width_ / segments_);
}

int CChartMapping::DeviceY(double value, double reference) const {
  const double half = height_ / 2;
  // Infinite readings on the edge on their side whatever the mapping's direction; NaN centred.
  if (std::isnan(value)) return RoundDevice(half);
  if (std::isinf(value)) return value > 0 ? 0 : RoundDevice(2 * half);
  const double y = std::trunc((value - reference) * scale_);
  double offset = y * half / windowY_;
  if (std::isnan(offset)) {
    // Readings so far apart that their difference and the span overflow: the edge on its side.
    offset = std::isnan(y) ? 0.0 : std::copysign(half, y) * (windowY_ < 0 ? -1 : 1);
  }
  offset = std::clamp(offset, -half, half);
  return RoundDevice(offset + half);
}

bool PlotRecord(CRecordFile& file, const CChartStretch& stretch, int width, int height,
                CChartCurve* curve) {
  *curve = CChartCurve{};
  curve->stretch = stretch;
  const std::int64_t first = stretch.first - 1;
  const std::int64_t rows = stretch.segments + 1;
  const bool ok = file.ReadRange(first, rows, [&](const CReading& r) {
    const double v = r.value;
    if (!std::isfinite(v)) return true;
    if (!curve->anyFinite) curve->reference = v;
    curve->anyFinite = true;
    if (v > curve->maximum) curve->maximum = v;
    if (v < curve->minimum) curve->minimum = v;
    return true;
  });
  if (!ok) return false;
  curve->scale = ChartScale(curve->span());
  if (stretch.segments <= 0) return true;  // one reading: no line

  const CChartMapping map(width, height, stretch.segments, curve->span(), curve->scale);
  const bool fold = stretch.segments > width;
  curve->points.reserve(static_cast<std::size_t>(fold ? 4 * (width + 1) : rows));
  CColumnFolder out(curve->points, fold);
  std::int64_t i = 0;
  const bool again = file.ReadRange(first, rows, [&](const CReading& r) {
    out.Add({map.DeviceX(static_cast<double>(i)), map.DeviceY(r.value, curve->reference)});
    ++i;
    return true;
  });
  out.Flush();
  return again;
}

std::optional<CChartMarker> MarkReading(CRecordFile& file, const CChartCurve& curve, int position,
                                        ChartRange range, std::int64_t count,
                                        const std::string& fromText, const std::string& toText,
                                        int width, int height) {
  std::int64_t base = 0;
  if (range == ChartRange::Stretch) {
    base = std::min(StretchNumber(fromText), StretchNumber(toText)) - 1;
  }
  const std::optional<double> value = ValueAtOrLast(file, base + position);
  if (!value) return std::nullopt;

  CChartMarker m;
  m.readingNumber = position + base + 1;
  m.numberText = std::to_string(m.readingNumber);
  m.valueText = Fixed15(*value);
  const std::optional<std::string> start = file.StartTime();
  m.dateText = start ? StartTimeDisplay(*start) : std::string();

  const std::int64_t segments = MarkerSegments(range, count, fromText, toText);
  const double centre =
      static_cast<double>(position) * static_cast<double>(kMarkerUnits / segments);
  const double toDevice = std::max(width, 0) / kMarkerWindow;
  m.left = RoundDevice((centre - kMarkerHalfWidth) * toDevice);
  m.right = RoundDevice((centre + kMarkerHalfWidth) * toDevice);
  // On the curve: the reading's row under the curve's own mapping.
  const CChartMapping map(width, height, curve.stretch.segments, curve.span(), curve.scale);
  const int y = map.DeviceY(*value, curve.reference);
  m.top = y - kMarkerHalfHeight;
  m.bottom = y + kMarkerHalfHeight + 1;
  return m;
}

CChartRecord::CChartRecord(CUserInterface& ui, Lookup lookup, int width, int height)
    : ui_(ui), lookup_(std::move(lookup)), width_(width), height_(height) {}

void CChartRecord::Open() {
  entries_.clear();
  recordNumber_ = 0;
  countText_.clear();
  curve_ = CChartCurve{};
  drawn_ = false;
  if (!EnterRecordFolder(&folder_)) {
    ui_.ShowMessage(kFolderNotFound, "Database check", MessageIcon::None);
    folder_.clear();
    return;
  }
  std::string unreadable;
  for (int n = 1; n <= kRecordCount; ++n) {
    const std::string path = RecordFilePath(folder_, n);
    if (!RecordFileExists(path)) continue;
    CRecordFile file;
    if (!file.Open(path)) {
      unreadable += file.error() + "\n";
      continue;
    }
    const std::optional<std::string> start = file.StartTime();
    if (start) {
      entries_.push_back(RecordListEntry(n, StartTimeDisplay(*start)));
    } else if (!file.error().empty()) {
      unreadable += file.error() + "\n";
    }
  }
  // A damaged file is left out of the list and named, once for all of them.
  if (!unreadable.empty()) {
    unreadable.pop_back();
    ui_.ShowMessage(unreadable, messageCaption, MessageIcon::Exclamation);
  }
}

std::string CChartRecord::ListPrompt() const {
  return entries_.empty() ? lookup_("755", "No records were found.")
                          : lookup_("754", "Please select a record.");
}

bool CChartRecord::EnterFolder() {
  if (!folder_.empty() && ::chdir(folder_.c_str()) == 0) return true;
  ui_.ShowMessage(kFolderNotFound, "DrawRecord Database folder check", MessageIcon::None);
  return false;
}

std::string CChartRecord::RecordPath() const {
  return RecordFilePath(folder_, recordNumber_);
}

void CChartRecord::Choose(const std::string& entry) {
  if (!EnterFolder()) return;
  CWaitCursor wait(ui_);
  recordNumber_ = RecordNumberOfEntry(entry);
  const std::string path = RecordPath();
  if (!RecordFileExists(path)) return;  // the count stays as it was
  CRecordFile file;
  std::optional<CRecordStatistics> stats;
  if (file.Open(path)) stats = file.Statistics();
  if (!stats) {
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Exclamation);
    return;
  }
  countText_ = std::to_string(stats->count);
}

CChartRecord::DrawOutcome CChartRecord::Draw(ChartRange range, const std::string& fromText,
                                             const std::string& toText) {
  DrawOutcome outcome;
  CWaitCursor wait(ui_);
  if (!EnterFolder()) return outcome;
  drawn_ = false;
  // Opened first, so a damaged file is named rather than judged by a count taken earlier.
  CRecordFile file;
  if (!file.Open(RecordPath())) {
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Exclamation);
    return outcome;
  }
  const std::int64_t count = StretchNumber(countText_);
  // Nothing to scale a curve to: refused rather than searched for.
  if (range == ChartRange::All && count <= 0) {
    ui_.ShowMessage(lookup_("727", "No data in file"), messageCaption, MessageIcon::None);
    return outcome;
  }
  CChartStretch stretch;
  switch (ChooseStretch(range, count, fromText, toText, &stretch)) {
    case StretchCheck::InputDataError:
      ui_.ShowMessage(lookup_("766", "Input Data Error! Please re-enter."), "ERROR",
                      MessageIcon::Stop);
      return outcome;
    case StretchCheck::OverRange:
      ui_.ShowMessage(lookup_("767", "Over-range! Please re-enter."), "ERROR", MessageIcon::Stop);
      return outcome;
    case StretchCheck::Ok:
      break;
  }
  outcome.sliderMaximum = stretch.segments;
  if (!PlotRecord(file, stretch, width_, height_, &curve_)) {
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Exclamation);
    curve_ = CChartCurve{};
    return outcome;
  }
  drawn_ = true;
  outcome.drawn = true;
  return outcome;
}

std::optional<CChartMarker> CChartRecord::Marker(int position, ChartRange range,
                                                 const std::string& fromText,
                                                 const std::string& toText) {
  if (!drawn_) return std::nullopt;
  CRecordFile file;
  if (!file.Open(RecordPath())) return std::nullopt;
  return MarkReading(file, curve_, position, range, StretchNumber(countText_), fromText, toText,
                     width_, height_);
}

}  // namespace zc::fp
