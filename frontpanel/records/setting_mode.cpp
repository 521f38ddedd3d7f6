#include "records/setting_mode.h"

#include "records/record_files.h"

namespace zc::fp {

std::vector<std::string> SettingModeEntries(const std::string& folder) {
  std::vector<std::string> entries;
  for (int n = 1; n <= kRecordCount; ++n) {
    std::string entry = "Record " + std::to_string(n);
    const std::string path = RecordFilePath(folder, n);
    CRecordFile file;
    if (RecordFileExists(path) && file.Open(path)) {
      if (const auto start = file.StartTime()) {
        entry += "        ( " + StartTimeDisplay(*start) + " )";
      }
    }
    entries.push_back(entry);
  }
  return entries;
}

int ChosenRecord(const std::vector<std::string>& entries, const std::string& editText) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == editText) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace zc::fp
