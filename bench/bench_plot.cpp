// One tick of the live chart with a full buffer (1001 noisy readings of a 10 MHz signal): the
// geometry and texts plus the drawing into the control's snapshot, against the floor of one bare
// polyline of the same points into the same image with the same pen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <cstdlib>
#include <random>

#include "acquire/trend_buffer.h"
#include "acquire/trend_plot.h"
#include "app/trend_chart_view.h"

namespace {

using namespace zc::fp;

CTrendBuffer FullBuffer() {
  CTrendBuffer buffer;
  buffer.SetCapacity(CTrendBuffer::kSlots);
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0.0, 0.02);
  for (int i = 0; i < 2 * CTrendBuffer::kSlots; ++i)
    buffer.PushSample(10e6 + 0.123 + noise(random));
  return buffer;
}

void BM_Plot(benchmark::State& state) {
  const CTrendBuffer buffer = FullBuffer();
  CTrendChartView view;
  CTrendPlot plot;
  for (auto _ : state) {
    PlotTrend(buffer, view.width(), view.height(), FUNC_FREQ, plot);
    view.Draw(plot);
    benchmark::DoNotOptimize(view.snapshot().constBits());
  }
  state.counters["points"] = static_cast<double>(plot.line.size());
}
BENCHMARK(BM_Plot);

void BM_BarePolyline(benchmark::State& state) {
  const CTrendBuffer buffer = FullBuffer();
  CTrendChartView view;
  const CTrendPlot plot = PlotTrend(buffer, view.width(), view.height(), FUNC_FREQ);
  view.Draw(plot);
  QImage image = view.snapshot();
  QPolygon points;
  for (const CPlotPoint& p : plot.line) points << QPoint(p.x, p.y);
  QPen pen(view.penColour(), 1, Qt::SolidLine);
  pen.setCosmetic(true);
  QPainter painter(&image);
  painter.setPen(pen);
  for (auto _ : state) {
    painter.drawPolyline(points);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_BarePolyline);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  benchmark::Initialize(&argc, argv);
  QApplication app(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
