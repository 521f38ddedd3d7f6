// Appending a reading to a record of 1,000,000 readings: the record store's AppendReading (the
// value rounded, the time of day taken and formatted, one committed and synced row) beside a bare
// SQLite loop inserting the same row with the same journal and sync settings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/user_interface.h"
#include "records/record_files.h"
#include "records/record_store.h"

namespace {

namespace fs = std::filesystem;
using namespace zc::fp;

class CQuietUi : public CUserInterface {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  int TextWidth(const std::string& t) override { return static_cast<int>(t.size()); }
};

constexpr int kReadings = 1000000;

// A folder with records 1 and 2 of a million readings each, made once.
const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path root =
        fs::temp_directory_path() / ("zc-bench-store-" + std::to_string(getpid()));
    fs::create_directories(root / "DB");
    for (int n : {1, 2}) {
      const std::string path = RecordFilePath((root / "DB").string(), n);
      std::string error;
      CreateRecordFile(path, &error);
      CSqliteDb db;
      db.Open(path, false);
      db.Exec("BEGIN");
      CSqliteStmt q;
      q.Prepare(db, "INSERT INTO read (read_value, read_time) VALUES (?, ?)");
      for (int i = 0; i < kReadings; ++i) {
        q.Reset();
        q.Bind(1, 10e6 + i * 1e-3);
        q.Bind(2, std::string_view("1899-12-30 14:05:09"));
        q.Step();
      }
      db.Exec("COMMIT");
    }
    return root;
  }();
  return folder;
}

void BM_AppendReading(benchmark::State& state) {
  fs::current_path(Folder());
  CQuietUi ui;
  CRecordStore store(ui);
  store.OpenForRun(1);
  double v = 10000000.123456789;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.AppendReading(v));
    v += 1e-6;
  }
  store.CloseRun();
}
BENCHMARK(BM_AppendReading)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_BareSqliteInsert(benchmark::State& state) {
  const std::string path = RecordFilePath((Folder() / "DB").string(), 2);
  CSqliteDb db;
  db.Open(path, false);
  db.Exec("PRAGMA journal_mode=WAL");
  db.Exec("PRAGMA synchronous=FULL");
  CSqliteStmt q;
  q.Prepare(db, "INSERT INTO read (read_value, read_time) VALUES (?, ?)");
  double v = 10000000.123456789;
  for (auto _ : state) {
    q.Reset();
    q.Bind(1, v);
    q.Bind(2, std::string_view("1899-12-30 14:05:09"));
    benchmark::DoNotOptimize(q.Step());
    v += 1e-6;
  }
}
BENCHMARK(BM_BareSqliteInsert)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(Folder(), ec);
  return 0;
}
