// Records of a million readings: statistics, the first page on the screen, and the CSV export
// beside the sqlite3 shell writing the same rows from the same file. Both exports run as child
// processes, timed the same way (start to exit, wall clock), with their peak memory from wait4.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "records/view_record.h"
#include "records/view_record_dlg.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace zc::fp;

class CQuietUi : public CUserInterface {
 public:
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()); }
};

std::string Default(const std::string&, const std::string& def) {
  return def;
}

// A temporary working folder with record 1 of 1,000,000 readings and record 2 of 100,000, made
// once for all benchmarks.
struct Fixture {
  fs::path root;
  std::string folder;
  Fixture() {
    root = fs::temp_directory_path() / ("zc_bench_records_" + std::to_string(::getpid()));
    fs::create_directories(root / "DB");
    folder = (root / "DB").string();
    Make(1, 1000000);
    Make(2, 100000);
  }
  ~Fixture() { fs::remove_all(root); }
  void Make(int n, int count) const {
    const std::string path = RecordFilePath(folder, n);
    std::string error;
    CreateRecordFile(path, &error);
    CSqliteDb db;
    db.Open(path, false);
    db.Exec("BEGIN; INSERT INTO read_date VALUES ('2026-12-11 14:05:09');");
    CSqliteStmt s;
    s.Prepare(db, "INSERT INTO read VALUES (?, ?)");
    char time[32];
    for (int i = 0; i < count; ++i) {
      std::snprintf(time, sizeof time, "1899-12-30 %02d:%02d:%02d", (i / 3600) % 24, (i / 60) % 60,
                    i % 60);
      s.Bind(1, 10000000.0 + i * 0.001234567);
      s.Bind(2, std::string_view(time));
      s.Step();
      s.Reset();
    }
    db.Exec("COMMIT");
  }
  std::string Path(int n) const { return RecordFilePath(folder, n); }
};

Fixture& Records() {
  static Fixture f;
  return f;
}

std::string BinDir() {
  return fs::read_symlink("/proc/self/exe").parent_path().string();
}

// Runs argv with stdout into outPath; wall seconds, and the child's peak resident set in KiB.
// wait4 alone would report at least this benchmark's own size: the kernel carries the parent's
// high-water mark into a spawned child. GNU time forks from a small process, so its figure is the
// program's own; both exports go through it alike.
bool RunChild(const std::vector<std::string>& command, const std::string& outPath, double* seconds,
              long* maxRssKb) {
  const std::string rssFile = outPath + ".rss";
  const bool gnuTime = ::access("/usr/bin/time", X_OK) == 0;
  std::vector<std::string> argv;
  if (gnuTime) argv = {"/usr/bin/time", "-f", "%M", "-o", rssFile};
  argv.insert(argv.end(), command.begin(), command.end());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  *maxRssKb = usage.ru_maxrss;
  if (gnuTime) {
    if (std::FILE* f = std::fopen(rssFile.c_str(), "r")) {
      if (std::fscanf(f, "%ld", maxRssKb) != 1) *maxRssKb = -1;
      std::fclose(f);
    }
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Statistics(benchmark::State& state) {
  const std::string path = Records().Path(1);
  for (auto _ : state) {
    CRecordFile file;
    file.Open(path);
    benchmark::DoNotOptimize(file.Statistics());
  }
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

// Choosing the record of a million readings: statistics, the range list, page 0 in the core.
void BM_ChooseRecordCore(benchmark::State& state) {
  CQuietUi ui;
  CViewRecord view(ui, Default);
  fs::current_path(Records().root);
  view.Open();
  for (auto _ : state) {
    view.SelectRecord(0);  // record 1, a million readings
    benchmark::DoNotOptimize(view.grid.size());
  }
  state.counters["rows"] = static_cast<double>(view.grid.size());
}
BENCHMARK(BM_ChooseRecordCore)->Unit(benchmark::kMillisecond);

// One page of 10000 readings into the grid model: the first page and the last one.
void BM_PageCore(benchmark::State& state) {
  CQuietUi ui;
  CViewRecord view(ui, Default);
  fs::current_path(Records().root);
  view.Open();
  view.SelectRecord(0);
  const int page = static_cast<int>(state.range(0));
  for (auto _ : state) {
    view.SelectRange(page);
    benchmark::DoNotOptimize(view.grid.size());
  }
}
BENCHMARK(BM_PageCore)->Arg(0)->Arg(99)->Unit(benchmark::kMillisecond);

// The page on the screen: a click on the record in the dialog's list until the grid has painted.
void BM_FirstPageOnScreen(benchmark::State& state) {
  CQuietUi ui;
  CViewRecordDlg dlg(ui, Default);
  fs::current_path(Records().root);
  dlg.show();
  QApplication::processEvents();
  auto* list = dlg.findChild<QListWidget*>("recordList");
  for (auto _ : state) {
    list->setCurrentRow(-1);
    list->setCurrentRow(0);
    dlg.repaint();
    QApplication::processEvents();
  }
  state.counters["grid_rows"] = dlg.gridModel().gridRowCount();
}
BENCHMARK(BM_FirstPageOnScreen)->Unit(benchmark::kMillisecond);

void BM_ExportInProcess(benchmark::State& state) {
  const std::string out = (Records().root / "inproc").string();
  for (auto _ : state) {
    std::string error;
    WriteRecordCsv(Records().Path(1), "Record 1            ( x )", out + ".csv", nullptr, &error);
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_ExportInProcess)->Unit(benchmark::kMillisecond);

// Both as child processes: zc4100 records export N FILE, and sqlite3 -csv on the same file.
void BM_ExportChild(benchmark::State& state) {
  const int record = static_cast<int>(state.range(0));
  const bool shell = state.range(1) != 0;
  const std::string out = (Records().root / (shell ? "shell.csv" : "tool")).string();
  const std::vector<std::string> argv =
      shell ? std::vector<std::string>{"sqlite3", "-csv", Records().Path(record),
                                       "select read_time, read_value from read"}
            : std::vector<std::string>{BinDir() + "/zc4100",   "records", "export",
                                       std::to_string(record), out,       "--folder",
                                       Records().root.string()};
  long rss = 0;
  for (auto _ : state) {
    double seconds = 0;
    if (!RunChild(argv, shell ? out : out + ".stdout", &seconds, &rss)) {
      state.SkipWithError("the child failed");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.counters["max_rss_kb"] = static_cast<double>(rss);
  state.counters["readings"] = record == 1 ? 1000000 : 100000;
  state.SetLabel(shell ? "sqlite3 -csv" : "zc4100 records export");
}
BENCHMARK(BM_ExportChild)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  Records();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path("/");
  return 0;
}
