// zc4100 records: the record folder's records as the View Record dialog shows them, without a
// window: the list, one record's statistics, and the CSV export.
#include "records.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "records/view_record.h"

namespace zc::tool {
namespace {

using namespace zc::fp;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void PrintUsage(std::FILE* out) {
  std::fputs(
      "usage: zc4100 records [--folder DIR] [COMMAND]\n"
      "\n"
      "  (none), list            the records as the View Record dialog lists them\n"
      "  show N                  record N's count, maximum, minimum and mean\n"
      "  export N FILE           record N as CSV into FILE.csv (\".csv\" is always appended)\n"
      "\n"
      "  --folder DIR            work from DIR instead of the current directory; the records are\n"
      "                          in DIR/DB unless DIR's path already contains \"DB\"\n"
      "\n"
      "Exit codes: 0 done, 1 the folder, the record or the output file failed, 2 wrong command\n"
      "line.\n",
      out);
}

int Usage(const std::string& error) {
  std::fprintf(stderr, "zc4100 records: %s\n", error.c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

int Failed(const std::string& error) {
  std::fprintf(stderr, "zc4100 records: %s\n", error.c_str());
  return kExitFailed;
}

bool ParseNumber(const std::string& text, int* n) {
  if (text.empty() || text.size() > 2 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *n = std::stoi(text);
  return *n >= 1 && *n <= kRecordCount;
}

// A bar on the terminal, redrawn only when it moves.
class CProgressBar {
 public:
  void Show(std::int64_t done, std::int64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == shown_) return;
    shown_ = percent;
    char bar[41];
    for (int i = 0; i < 40; ++i) bar[i] = i < percent * 40 / 100 ? '#' : '.';
    bar[40] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
    std::fflush(stderr);
  }
  ~CProgressBar() {
    if (shown_ >= 0) std::fputc('\n', stderr);
  }

 private:
  int shown_ = -1;
};

}  // namespace

int Records(const std::vector<std::string>& args) {
  std::string folderArg;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-h" || args[i] == "--help") {
      PrintUsage(stdout);
      return 0;
    }
    if (args[i] == "--folder") {
      if (i + 1 >= args.size()) return Usage("--folder needs a directory");
      folderArg = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Usage("unknown option '" + args[i] + "'");
    } else {
      words.push_back(args[i]);
    }
  }
  const std::string command = words.empty() ? "list" : words[0];
  const std::size_t operands = words.empty() ? 0 : words.size() - 1;
  int n = 0;
  if (command == "list") {
    if (operands != 0) return Usage("'list' takes no operands");
  } else if (command == "show" || command == "export") {
    if (operands != (command == "show" ? 1u : 2u)) {
      return Usage("wrong number of operands for '" + command + "'");
    }
    if (!ParseNumber(words[1], &n)) return Usage("record number '" + words[1] + "' is not 1 to 10");
  } else {
    return Usage("unknown command '" + command + "'");
  }

  // The working directory, given or current, made absolute; the current directory is left alone
  // so that an export's FILE is where the user meant it.
  std::error_code ec;
  const std::filesystem::path base = folderArg.empty() ? std::filesystem::current_path(ec)
                                                       : std::filesystem::absolute(folderArg, ec);
  const std::string folder = RecordFolderFor(base.string());
  if (ec || !std::filesystem::is_directory(folder, ec)) {
    return Failed(std::string(kFolderNotFound) + " (" + folder + ")");
  }

  const std::vector<CRecordEntry> records = ListRecords(folder);
  if (command == "list") {
    for (const CRecordEntry& e : records) std::printf("%s\n", e.text.c_str());
    return 0;
  }
  const CRecordEntry* entry = nullptr;
  for (const CRecordEntry& e : records) {
    if (e.number == n) entry = &e;
  }
  const std::string path = RecordFilePath(folder, n);
  if (!entry) {
    // Say why: a missing file, or one that is not a record, or one that never held a run.
    CRecordFile file;
    if (!file.Open(path)) return Failed(file.error());
    return Failed(path + ": no start time: the record holds no run");
  }

  if (command == "show") {
    CRecordFile file;
    if (!file.Open(path)) return Failed(file.error());
    const auto stats = file.Statistics();
    if (!stats) return Failed(file.error());
    std::printf("%s\n", entry->text.c_str());
    std::printf("Data Quantity : %s\n", CountText(stats->count).c_str());
    std::printf("MAX : %s\n", StatisticText(stats->max.value_or(0)).c_str());
    std::printf("MIN : %s\n", StatisticText(stats->min.value_or(0)).c_str());
    std::printf("AVG : %s\n", StatisticText(stats->mean.value_or(0)).c_str());
    // The pages as the range list names them; a long record by its first and last.
    const std::vector<std::string> ranges = RangeItems(stats->count);
    std::printf("Range browsing :");
    for (std::size_t i = 0; i < ranges.size(); ++i) {
      if (ranges.size() > 3 && i == 1) {
        std::printf(" ...");
        i = ranges.size() - 2;
        continue;
      }
      std::printf(" [%s]", ranges[i].c_str());
    }
    if (ranges.size() > 3) std::printf(" (%zu pages)", ranges.size());
    std::printf("\n");
    return 0;
  }

  const std::string out = CsvPathFor(words[2]);
  if (out.empty()) return Usage("'" + words[2] + "' names no file");
  std::string error;
  CsvOutcome outcome;
  {
    CProgressBar bar;
    ExportProgressFn progress;
    if (::isatty(STDERR_FILENO)) {
      progress = [&bar](std::int64_t done, std::int64_t total) { bar.Show(done, total); };
    }
    outcome = WriteRecordCsv(path, entry->text, out, progress, &error);
  }
  switch (outcome) {
    case CsvOutcome::Written:
      std::printf("%s\n", out.c_str());
      return 0;
    case CsvOutcome::NoData:
      return Failed(path + ": No data in file (" + out + " holds the header line only)");
    case CsvOutcome::CannotCreate:
      return Failed(std::string(kSaveAsError) + " " + error);
    case CsvOutcome::ReadFailed:
      break;
  }
  return Failed(error);
}

}  // namespace zc::tool
