// Where the live chart's line goes and what its Max and Min texts say, worked out from the sample
// buffer without drawing, so the geometry is tested without a display.
#pragma once

#include <string>
#include <vector>

#include "acquire/trend_buffer.h"
#include "measure/meas_function.h"

namespace zc::fp {

struct CPlotPoint {
  int x, y;
  friend bool operator==(const CPlotPoint&, const CPlotPoint&) = default;
};

struct CTrendPlot {
  // False when the newest sample is exactly 0 (or there is none): the chart shows only its grid
  // and the Max and Min texts keep what they showed before.
  bool drawn = false;
  // Device pixels of a width x height chart, the newest reading at the left; empty when there
  // is no line (fewer than two samples, or the count above a lowered capacity).
  std::vector<CPlotPoint> line;
  // Set only when drawn.
  std::string maxText, minText;
};

// The chart maps logical x 0..capacity to 0..width and logical y +-2 * range * s to the top and
// bottom edges (y up), with the reference sample (slot 1) on the middle row, rounding as an
// anisotropic Windows mapping mode does.
CTrendPlot PlotTrend(const CTrendBuffer& buffer, int width, int height, MeasFunction runFunction);

// The same into a caller's plot, reusing its vector; its texts are left alone when not drawn.
void PlotTrend(const CTrendBuffer& buffer, int width, int height, MeasFunction runFunction,
               CTrendPlot& plot);

}  // namespace zc::fp
