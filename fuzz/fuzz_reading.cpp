// Counter replies of any bytes through the live display: the two formatters, the sample buffer
// and the trend's geometry. Nothing may crash, hang or leave the chart.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "acquire/reading_format.h"
#include "acquire/trend_plot.h"

using namespace zc::fp;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const MeasFunction kFunctions[] = {FUNC_FREQ, FUNC_VOLT,  FUNC_RATIO,  FUNC_PERIOD,
                                            FUNC_EDGE, FUNC_WIDTH, FUNC_INTVAL, FUNC_PHASE,
                                            FUNC_DUTY, FUNC_TOTAL};
  const MeasFunction f = kFunctions[data[0] % 10];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  (void)FormatReplyForDisplay(text, f);
  (void)FormatValueForDisplay(text, f);

  // Each line a reply; the chart as the reading loop feeds it.
  CTrendBuffer buffer;
  buffer.SetCapacity(51 + data[0] % 3);
  CTrendPlot plot;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    buffer.PushSample(ValueOfText(text.substr(start, end - start)));
    PlotTrend(buffer, 470, 272, f, plot);
    for (const CPlotPoint& p : plot.line) {
      if (p.x < -1 || p.x > 471 || p.y < -1 || p.y > 273) std::abort();
    }
    start = end + 1;
  }
  return 0;
}
