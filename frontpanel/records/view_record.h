// The View Record dialog's behaviour without a screen: the record list, a record's statistics and
// pages, the value filter, deletion and the CSV export. The dialog shows this state and reports
// the user's actions to it; zc4100 records reuses the same functions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/user_interface.h"
#include "records/record_files.h"

namespace zc::fp {

// A page, and so the grid, holds at most this many readings; the grid adds its heading row.
inline constexpr int kPageSize = 10000;
inline constexpr int kMaxGridRows = kPageSize + 1;

inline constexpr const char* kFolderCheckCaption = "RecordView Database folder check";
inline constexpr const char* kCsvCompleted = "Output to CSV completed.";
inline constexpr const char* kSaveAsError = "Save As Error.";

using TextLookupFn = std::function<std::string(const std::string& key, const std::string& def)>;
// Called now and then during an export with the lines written and the lines expected.
using ExportProgressFn = std::function<void(std::int64_t done, std::int64_t total)>;

struct CRecordEntry {
  int number = 0;
  std::string text;  // "Record 3            ( 26 / 12 / 11 -- 14 : 05 : 09 )"
};

// The records of a folder that hold a start time, in ascending number. Files that are missing,
// not databases, damaged or without a start time are skipped.
std::vector<CRecordEntry> ListRecords(const std::string& folder);

// Display texts.
std::string GridValueText(double v);  // "%.14f" cut to 16 characters
std::string StatisticText(double v);  // "%.14f" without trailing zeros, then without the point
std::string CountText(std::int64_t n);
// " 1 - 10000 ", " 10001 - 20000 ", ..., always ending with the partial (or empty) last page.
std::vector<std::string> RangeItems(std::int64_t count);
// The typed limit as a number: leading blanks skipped, 0 when it does not start with one.
double LimitValue(const std::string& text);
// The file an export writes for the name chosen in Save As: ".csv" appended, always. Empty
// when the choice names no file.
std::string CsvPathFor(const std::string& chosen);
// The CSV header line's text for a record-list entry, without its line end.
std::string CsvHeader(const std::string& entry);

enum class CsvOutcome { Written, NoData, CannotCreate, ReadFailed };

// Streams the readings of recordPath to outPath, overwriting it: the header line, then one line
// per reading; lines end in CR LF. error holds the reason for CannotCreate and ReadFailed.
CsvOutcome WriteRecordCsv(const std::string& recordPath, const std::string& entry,
                          const std::string& outPath, const ExportProgressFn& progress,
                          std::string* error);

struct CGridRow {
  std::string value;  // GridValueText
  std::string time;   // "14 : 05 : 09"
};

class CViewRecord {
 public:
  CViewRecord(CUserInterface& ui, TextLookupFn lookup);

  // Each showing: the record folder, the list, an empty grid, statistics "0", no selection.
  // The limit texts are kept from the last showing.
  void Open();
  // Refresh: rebuilds the list and disables Delete and CSV. False, with the list kept, when the
  // record folder cannot be entered.
  bool Refresh();

  // List selection change (-1: none): enables the buttons and limits, loads the record.
  void SelectRecord(int index);
  // Range selection change: shows that page of the selected record.
  void SelectRange(int index);
  // Filters the selected record by upperText/lowerText into the grid.
  void Search();
  // The question the dialog asks before DeleteSelected.
  std::string DeleteQuestion() const {
    return Text("728", "Are you sure you want to delete this record?");
  }
  // Removes the selected record's file and entry.
  void DeleteSelected();
  // Exports the selected record for the name chosen in Save As, with its messages.
  void ExportCsv(const std::string& chosen, const ExportProgressFn& progress);

  // The selected record's file, empty when nothing is selected.
  std::string SelectedPath() const;
  std::int64_t SelectedCount() const { return selectedCount_; }

  std::string Text(const std::string& key, const std::string& def) const;

  // What the dialog shows.
  std::string folder;
  std::vector<CRecordEntry> records;
  int selectedRecord = -1;
  std::vector<std::string> ranges;
  int selectedRange = -1;
  std::vector<CGridRow> grid;  // the grid's rows under its heading
  std::string countText = "0", maxText = "0", minText = "0", meanText = "0";
  std::string upperText, lowerText;  // typed; persist across showings
  bool deleteEnabled = false, csvEnabled = false, limitsEnabled = false;

  int gridRowCount() const { return static_cast<int>(grid.size()) + 1; }

 private:
  bool BuildList();
  void Load();
  void ShowPage(int index);
  // Opens the selected record; false (with the message shown for a bad file) when it cannot.
  bool OpenSelected(CRecordFile* file);
  void NoData();

  CUserInterface& ui_;
  TextLookupFn lookup_;
  std::int64_t selectedCount_ = 0;
};

}  // namespace zc::fp
