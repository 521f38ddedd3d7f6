#include "records/view_record.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zc::fp {
namespace {

// Holds the wait cursor for a scope; ended early before a message box.
class CWaitCursor {
 public:
  explicit CWaitCursor(CUserInterface& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~CWaitCursor() { End(); }
  void End() {
    if (on_) ui_.EndWaitCursor();
    on_ = false;
  }

 private:
  CUserInterface& ui_;
  bool on_ = true;
};

void AppendFixed(std::string* out, double v, int decimals) {
  char buf[400];  // the largest double has 309 integer digits
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  out->append(buf, r.ec == std::errc() ? r.ptr : buf);
}

bool Digits(const char* s) {
  return std::isdigit(static_cast<unsigned char>(s[0])) &&
         std::isdigit(static_cast<unsigned char>(s[1]));
}

// "HH : MM : SS" from a stored date-time. The stored form is copied straight across: an export
// of a million readings spends no time in the C library's time functions.
void AppendTimeDisplay(std::string* out, const char* s, std::size_t n) {
  if (n == 19 && s[10] == ' ' && s[13] == ':' && s[16] == ':' && Digits(s + 11) && Digits(s + 14) &&
      Digits(s + 17)) {
    const char text[12] = {s[11], s[12], ' ', ':', ' ', s[14], s[15], ' ', ':', ' ', s[17], s[18]};
    out->append(text, sizeof text);
    return;
  }
  out->append(TimeOfDayDisplay(std::string(s, n)));
}

CGridRow GridRowOf(const CReading& r) {
  CGridRow row;
  row.value = GridValueText(r.value);
  AppendTimeDisplay(&row.time, r.time.data(), r.time.size());
  return row;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

// Cuts the file written through out after its first `lines` lines.
bool CutAfterLine(std::FILE* out, const std::string& path, std::int64_t lines) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  long offset = 0;
  char chunk[1 << 16];
  std::size_t got;
  while (lines > 0 && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
    for (std::size_t i = 0; i < got && lines > 0; ++i) {
      if (chunk[i] == '\n') --lines;
      ++offset;
    }
  }
  std::fclose(in);
  return ::ftruncate(::fileno(out), offset) == 0;
}

struct StmtFinalizer {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

}  // namespace

std::vector<CRecordEntry> ListRecords(const std::string& folder) {
  std::vector<CRecordEntry> out;
  for (int n = 1; n <= kRecordCount; ++n) {
    const std::string path = RecordFilePath(folder, n);
    if (!RecordFileExists(path)) continue;
    CRecordFile file;
    if (!file.Open(path)) continue;
    const auto start = file.StartTime();
    if (!start) continue;
    out.push_back({n, RecordListEntry(n, StartTimeDisplay(*start))});
  }
  return out;
}

std::string GridValueText(double v) {
  std::string s;
  AppendFixed(&s, v, 14);
  if (s.size() > 16) s.resize(16);
  return s;
}

std::string StatisticText(double v) {
  std::string s;
  AppendFixed(&s, v, 14);
  while (!s.empty() && s.back() == '0') s.pop_back();
  while (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string CountText(std::int64_t n) {
  return std::to_string(n);
}

std::vector<std::string> RangeItems(std::int64_t count) {
  std::vector<std::string> items;
  const auto item = [](std::int64_t from, std::int64_t to) {
    return " " + std::to_string(from) + " - " + std::to_string(to) + " ";
  };
  std::int64_t e = 1;
  for (std::int64_t k = 0; k < count / kPageSize; ++k, e += kPageSize) {
    items.push_back(item(e, e + kPageSize - 1));
  }
  items.push_back(item(e, count));
  return items;
}

double LimitValue(const std::string& text) {
  const char* p = text.c_str();
  const char* end = p + text.size();
  while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (p < end && *p == '+') ++p;
  double v = 0;
  if (std::from_chars(p, end, v).ec != std::errc()) return 0;
  return v;
}

std::string CsvPathFor(const std::string& chosen) {
  if (chosen.empty() || chosen.back() == '/') return {};
  return chosen + ".csv";
}

std::string CsvHeader(const std::string& entry) {
  const std::size_t open = entry.find('(');
  return "Time,Value, ,DateTime : " + (open == std::string::npos ? entry : entry.substr(open));
}

CsvOutcome WriteRecordCsv(const std::string& recordPath, const std::string& entry,
                          const std::string& outPath, const ExportProgressFn& progress,
                          std::string* error) {
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(outPath.c_str(), "wb"));
  if (!out) {
    *error = outPath + ": " + std::error_code(errno, std::generic_category()).message();
    return CsvOutcome::CannotCreate;
  }
  std::string buf = CsvHeader(entry) + "\r\n";
  const auto flush = [&] {
    const bool ok = std::fwrite(buf.data(), 1, buf.size(), out.get()) == buf.size();
    buf.clear();
    return ok;
  };
  const auto finish = [&](CsvOutcome outcome) {
    const bool written = flush() && std::fclose(out.release()) == 0;
    if (!written && outcome != CsvOutcome::ReadFailed) {
      *error = outPath + ": cannot write the file";
      return CsvOutcome::CannotCreate;
    }
    return outcome;
  };
  // A record that vanished since it was listed: the file holds the header line alone.
  if (!RecordFileExists(recordPath)) return finish(CsvOutcome::Written);

  CRecordFile file;
  if (!file.Open(recordPath)) {
    *error = file.error();
    return finish(CsvOutcome::ReadFailed);
  }
  // Rows are only ever appended, so the largest row id is the number of rows: a figure for the
  // progress display that costs no pass over the record.
  std::int64_t total = 0;
  {
    CSqliteStmt rowCount;
    if (!rowCount.Prepare(file.db(), "SELECT max(rowid) FROM read") ||
        rowCount.Step() != SQLITE_ROW) {
      *error = recordPath + ": cannot read the readings";
      return finish(CsvOutcome::ReadFailed);
    }
    total = rowCount.ColumnInt(0);
  }
  // The raw statement: columns are read without an allocation per reading.
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(file.db().handle(),
                         "SELECT read_time, read_value FROM read ORDER BY rowid", -1, &raw,
                         nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    *error = recordPath + ": cannot read the readings";
    return finish(CsvOutcome::ReadFailed);
  }
  const std::unique_ptr<sqlite3_stmt, StmtFinalizer> rows(raw);
  sqlite3_stmt* st = rows.get();
  int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) return finish(CsvOutcome::NoData);

  constexpr std::size_t kChunk = 1 << 18;
  constexpr std::int64_t kProgressEvery = 1 << 14;
  buf.reserve(kChunk + 512);
  std::int64_t done = 0, withoutValue = 0;
  if (progress) progress(0, total);
  for (; rc == SQLITE_ROW; rc = sqlite3_step(st)) {
    const auto* time = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const auto timeLength = static_cast<std::size_t>(sqlite3_column_bytes(st, 0));
    if (sqlite3_column_type(st, 1) == SQLITE_NULL) ++withoutValue;
    buf += '"';
    AppendTimeDisplay(&buf, time ? time : "", time ? timeLength : 0);
    buf += "\",";
    AppendFixed(&buf, sqlite3_column_double(st, 1), 14);
    buf += "\r\n";
    ++done;
    if (buf.size() >= kChunk && !flush()) {
      *error = outPath + ": cannot write the file";
      return CsvOutcome::CannotCreate;
    }
    if (progress && done % kProgressEvery == 0) progress(done, std::max(total, done));
  }
  if (rc != SQLITE_DONE) {
    *error = recordPath + ": cannot read the readings (" +
             std::string(sqlite3_errmsg(file.db().handle())) + ")";
    return finish(CsvOutcome::ReadFailed);
  }
  // The export holds as many lines as the record counts values. Rows without one (the program
  // never writes them) are rare enough to be settled afterwards, by cutting the surplus lines off
  // the end, rather than by counting every record before it is written.
  if (withoutValue > 0) {
    done -= withoutValue;
    if (!flush() || std::fflush(out.get()) != 0 || !CutAfterLine(out.get(), outPath, done + 1)) {
      *error = outPath + ": cannot write the file";
      return CsvOutcome::CannotCreate;
    }
  }
  if (progress) progress(done, done);
  return finish(CsvOutcome::Written);
}

CViewRecord::CViewRecord(CUserInterface& ui, TextLookupFn lookup)
    : ui_(ui), lookup_(std::move(lookup)) {}

std::string CViewRecord::Text(const std::string& key, const std::string& def) const {
  return lookup_ ? lookup_(key, def) : def;
}

void CViewRecord::Open() {
  std::error_code ec;
  const std::string cwd = std::filesystem::current_path(ec).string();
  folder = RecordFolderFor(cwd);
  records.clear();
  selectedRecord = -1;
  BuildList();
  ranges.clear();
  selectedRange = -1;
  grid.clear();
  selectedCount_ = 0;
  countText = maxText = minText = meanText = "0";
  deleteEnabled = csvEnabled = limitsEnabled = false;
}

bool CViewRecord::Refresh() {
  const bool built = BuildList();
  deleteEnabled = csvEnabled = false;
  return built;
}

bool CViewRecord::BuildList() {
  std::error_code ec;
  std::filesystem::current_path(folder, ec);
  if (ec) {
    ui_.ShowMessage(kFolderNotFound, kFolderCheckCaption, MessageIcon::None);
    return false;
  }
  records = ListRecords(folder);
  selectedRecord = -1;
  return true;
}

std::string CViewRecord::SelectedPath() const {
  if (selectedRecord < 0 || selectedRecord >= static_cast<int>(records.size())) return {};
  return RecordFilePath(folder, RecordNumberOfEntry(records[selectedRecord].text));
}

void CViewRecord::NoData() {
  ui_.ShowMessage(Text("727", "No data in file"), messageCaption, MessageIcon::Exclamation);
}

bool CViewRecord::OpenSelected(CRecordFile* file) {
  const std::string path = SelectedPath();
  if (path.empty() || !RecordFileExists(path)) return false;
  if (!file->Open(path)) {
    ui_.ShowMessage(file->error(), messageCaption, MessageIcon::Error);
    return false;
  }
  return true;
}

void CViewRecord::SelectRecord(int index) {
  if (index < 0 || index >= static_cast<int>(records.size())) {
    selectedRecord = -1;
    return;
  }
  selectedRecord = index;
  deleteEnabled = csvEnabled = limitsEnabled = true;
  Load();
}

void CViewRecord::Load() {
  CWaitCursor wait(ui_);
  CRecordFile file;
  if (!OpenSelected(&file)) return;
  const auto stats = file.Statistics();
  if (!stats) {
    wait.End();
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Error);
    return;
  }
  // An empty reading table counts 0 and shows 0 for the rest, as before anything was chosen.
  selectedCount_ = stats->count;
  countText = CountText(stats->count);
  maxText = StatisticText(stats->max.value_or(0));
  minText = StatisticText(stats->min.value_or(0));
  meanText = StatisticText(stats->mean.value_or(0));
  ranges = RangeItems(stats->count);
  file.Close();
  wait.End();
  ShowPage(0);
}

void CViewRecord::SelectRange(int index) {
  if (selectedRecord < 0 || index < 0 || index >= static_cast<int>(ranges.size())) return;
  ShowPage(index);
}

void CViewRecord::ShowPage(int index) {
  selectedRange = index;
  CWaitCursor wait(ui_);
  CRecordFile file;
  if (!OpenSelected(&file)) return;
  grid.clear();
  grid.reserve(kPageSize);
  const bool read = file.ReadRange(static_cast<std::int64_t>(index) * kPageSize, kPageSize,
                                   [this](const CReading& r) {
                                     grid.push_back(GridRowOf(r));
                                     return true;
                                   });
  if (!read) {
    wait.End();
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Error);
  }
}

void CViewRecord::Search() {
  if (selectedRecord < 0) return;
  CWaitCursor wait(ui_);
  if (upperText.empty() || lowerText.empty()) {
    wait.End();
    ui_.ShowMessage(Text("729", "Please input a valid value."), messageCaption,
                    MessageIcon::Exclamation);
    return;
  }
  const double upper = LimitValue(upperText);
  const double lower = LimitValue(lowerText);
  CRecordFile file;
  if (!OpenSelected(&file)) return;
  if (upper < lower) {
    grid.clear();
    wait.End();
    ui_.ShowMessage(Text("730", "Please re-enter a valid range."), messageCaption,
                    MessageIcon::Exclamation);
    return;
  }
  grid.clear();
  grid.reserve(kPageSize);
  bool full = false;
  const bool read = file.Filter(upper, lower, [&](const CReading& r) {
    grid.push_back(GridRowOf(r));
    full = grid.size() >= static_cast<std::size_t>(kPageSize);
    return !full;
  });
  wait.End();
  if (!read) {
    ui_.ShowMessage(file.error(), messageCaption, MessageIcon::Error);
  } else if (full) {
    ui_.ShowMessage(Text("731", "Please narrow the searching range."), messageCaption,
                    MessageIcon::None);
  }
}

void CViewRecord::DeleteSelected() {
  const std::string path = SelectedPath();
  if (path.empty()) return;
  // A file that cannot be removed goes from the list all the same; Refresh shows the truth.
  DeleteRecordFile(path);
  records.erase(records.begin() + selectedRecord);
  selectedRecord = -1;
}

void CViewRecord::ExportCsv(const std::string& chosen, const ExportProgressFn& progress) {
  if (SelectedPath().empty()) return;
  const std::string out = CsvPathFor(chosen);
  std::string error;
  const CsvOutcome outcome =
      out.empty()
          ? CsvOutcome::CannotCreate
          : WriteRecordCsv(SelectedPath(), records[selectedRecord].text, out, progress, &error);
  switch (outcome) {
    case CsvOutcome::Written:
      if (RecordFileExists(SelectedPath())) {
        ui_.ShowMessage(kCsvCompleted, messageCaption, MessageIcon::Information);
      }
      break;
    case CsvOutcome::NoData:
      NoData();
      break;
    case CsvOutcome::CannotCreate:
      ui_.ShowMessage(kSaveAsError, "Error", MessageIcon::None);
      break;
    case CsvOutcome::ReadFailed:
      ui_.ShowMessage(error, messageCaption, MessageIcon::Error);
      break;
  }
}

}  // namespace zc::fp
