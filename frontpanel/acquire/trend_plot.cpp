#include "acquire/trend_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "acquire/reading_format.h"

namespace zc::fp {
namespace {

// Readings this large are scaled down by powers of ten before drawing, and ranges below the
// second bound are scaled up, which keeps the logical coordinates within 32 bits.
constexpr double kReduceFrom = 999999999.0;
constexpr double kMinScaledRange = 99999999.0;

// printf's "%.30lf" in any locale.
std::string Fixed30(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 30);
  return std::string(buf, r.ptr);
}

// std::trunc without the library call on the hot path: doubles of 2^52 and more are whole
// already, and NaN and infinities pass through.
double Truncate(double v) {
  return std::fabs(v) < 4503599627370496.0 ? static_cast<double>(static_cast<long long>(v)) : v;
}

}  // namespace

// Non-finite samples never hang or overflow the drawing: they take no part in the magnitude
// reduction and NaN none in the range; coordinates stay in doubles (truncated, never converted
// while out of int range), a point that maps to +-infinity lies on the top or bottom edge and a
// NaN point on the middle row, and the texts show "INF" or "NAN" when a bound is not finite.
void PlotTrend(const CTrendBuffer& buffer, int width, int height, MeasFunction runFunction,
               CTrendPlot& plot) {
  plot.line.clear();
  const int count = buffer.count();
  plot.drawn = count >= 1 && buffer.Slot(count) != 0.0;
  if (!plot.drawn) return;

  // Magnitude reduction, on the fly: dividing the stored readings in place and multiplying them
  // back would change them by rounding.
  double c = -std::numeric_limits<double>::infinity();
  for (int i = 1; i <= count; ++i) {
    const double v = buffer.Slot(i);
    if (v >= kReduceFrom && std::isfinite(v)) c = std::max(c, v);
  }
  double d = 1.0;
  for (; c >= kReduceFrom; d *= 10) c *= 0.1;  // at most about 300 steps
  const auto reduced = [&](int i) { return d == 1.0 ? buffer.Slot(i) : buffer.Slot(i) / d; };

  double high = -kReduceFrom;
  double low = kReduceFrom;
  for (int i = 1; i <= count; ++i) {
    const double v = reduced(i);
    if (v > high) high = v;
    if (v < low) low = v;
  }
  const double range = high - low;  // never NaN: NaN samples lose every comparison
  double s = 1.0;
  if (range > 0 && range < kMinScaledRange) {
    while (range * s < kMinScaledRange) s *= 10;  // s reaches infinity at worst, which ends it
  }
  const double reference = reduced(1);

  plot.maxText = FormatValueForDisplay(Fixed30((reference + 2 * range) * d), runFunction);
  plot.minText = FormatValueForDisplay(Fixed30((reference - 2 * range) * d), runFunction);

  const int capacity = buffer.capacity();
  const bool filling = count > 1 && count < capacity;
  if (!filling && count != capacity) return;

  // Logical to device as an anisotropic mapping mode does it: device = round(logical * viewport
  // extent / window extent + viewport origin), halves rounded up.
  width = std::max(width, 0);
  height = std::max(height, 0);
  double windowY = range == 0 ? 1.0 : std::trunc(-2 * range * s);
  if (windowY == 0) windowY = 1.0;
  const double halfHeight = height / 2;
  const double scaleX = static_cast<double>(width) / capacity;
  const double scaleY = halfHeight / windowY;
  // Both rounding arguments are at least 0.5, so the conversion is the floor.
  const auto deviceX = [&](int x) { return static_cast<int>(x * scaleX + 0.5); };
  const auto deviceY = [&](int slot) {
    const double y = Truncate((reduced(slot) - reference) * s);
    double offset = y * scaleY;
    if (std::isnan(offset)) {
      offset = std::isnan(y) ? 0.0 : std::copysign(halfHeight, y) * (windowY < 0 ? -1 : 1);
    }
    // Readings lie within +-range of the reference, a quarter of the chart from the middle; the
    // clamp only catches infinities.
    offset = std::clamp(offset, -halfHeight, halfHeight);
    return static_cast<int>(offset + halfHeight + 0.5);
  };

  if (filling) {
    plot.line.reserve(count);
    for (int k = 0; k < count; ++k) plot.line.push_back({deviceX(k), deviceY(count - k)});
  } else {
    // Slot 2 spans the rightmost unit, the newest reading the leftmost; slot 1 is not drawn.
    plot.line.reserve(capacity + 1);
    plot.line.push_back({deviceX(capacity), deviceY(2)});
    for (int j = 1; j <= capacity - 1; ++j)
      plot.line.push_back({deviceX(capacity - j), deviceY(j + 1)});
    plot.line.push_back({deviceX(0), deviceY(capacity)});
  }
}

CTrendPlot PlotTrend(const CTrendBuffer& buffer, int width, int height, MeasFunction runFunction) {
  CTrendPlot plot;
  PlotTrend(buffer, width, height, runFunction, plot);
  return plot;
}

}  // namespace zc::fp
