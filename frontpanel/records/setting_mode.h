// What the Setting Mode dialog lists and decides, without a screen: the ten record entries and
// whether OK may close the dialog.
#pragma once

#include <string>
#include <vector>

namespace zc::fp {

// "Record 3" for a record without a start time (or no file), "Record 3        ( ... )" with it;
// ten entries, record 1 first, for the files in folder.
std::vector<std::string> SettingModeEntries(const std::string& folder);

// OK with Save checked needs a chosen record: the edit field must show one of the entries.
// Returns the record number (1 to 10), or 0 when the field shows the prompt or typed text
// that is no entry.
int ChosenRecord(const std::vector<std::string>& entries, const std::string& editText);

}  // namespace zc::fp
