// One whole reading tick of the front panel at 1001 dots: the query to the in-process simulated
// counter and its reply, formatting, the push into the sample buffer, the trend's geometry and
// its drawing into the chart's off-screen image, and the readout texts. Measured on the real
// main window (offscreen platform) with its chart full, so every tick scrolls.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/front_panel_dlg.h"

namespace {

using zc::fp::CFrontPanelDlg;

// The window with its message boxes written to the terminal instead of shown.
class CBenchPanel : public CFrontPanelDlg {
 public:
  void ShowMessage(const std::string& text, const std::string& caption,
                   zc::fp::MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
};

std::filesystem::path WriteConfig() {
  const auto path = std::filesystem::temp_directory_path() / "zc-bench-tick.ini";
  std::ofstream(path) << "[USB0::0x1A5B::0x1004::BENCH00001::INSTR]\nsimulate = zc4100\nseed = 1\n";
  return path;
}

std::unique_ptr<CBenchPanel> gPanel;  // ends before the application object does

CBenchPanel& Panel() {
  if (!gPanel)
    gPanel = [] {
      const auto config = WriteConfig();
      setenv("ZC4100_VISA_CONF", config.c_str(), 1);
      setenv("ZC_VISA_SYSFS_ROOT", "/nonexistent-sysfs", 1);
      auto p = std::make_unique<CBenchPanel>();
      p->OnInitDialog();
      static_cast<QComboBox*>(p->Control(1102))->setCurrentIndex(5);  // 1000 dots
      p->RunStart();
      p->readingTimer().stop();  // the benchmark drives the ticks
      for (int i = 0; i < 1100; ++i) p->run().OnReadingTimer();
      return p;
    }();
  return *gPanel;
}

void BM_ReadingTick(benchmark::State& state) {
  CBenchPanel& p = Panel();
  for (auto _ : state) p.run().OnReadingTimer();
  state.counters["dots"] = p.run().buffer.count();
}
BENCHMARK(BM_ReadingTick)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gPanel) gPanel->RunStop();
  gPanel.reset();
  return 0;
}
