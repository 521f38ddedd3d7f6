// Panel settings by name, as a file or a command line gives them: each goes through the same
// actions a user takes on the panel (choose the function's page and box, pick list items, check
// boxes, type texts), so the panel's rules apply exactly as on the screen.
//
// A panel file is a private-profile file with one section [Panel]: "Function = Period" first,
// then one key per control, named after the control ("PeriodChannel = CH2", "GateTime = 0.5",
// "Upper = 1"). Lists take an item's text (exact, else in any letter case) or its index, check
// boxes 1/0, on/off, yes/no or true/false, edit fields any text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "measure/panel_model.h"
#include "profile.h"

namespace zc::fp {

// Function names: Freq, Ratio, Period, Edge, Width, Intval, Volt, Phase, Duty, Total.
bool FunctionByName(std::string_view name, MeasFunction* function);
const char* FunctionName(MeasFunction function);

// Selects the function as a user would: its page, then its box; then visits the limit and
// scale pages so their unit lists belong to the function, and comes back.
void SelectFunction(CPanelModel& panel, MeasFunction function);

// One setting by control name. Returns false with a reason for an unknown name or a value the
// control cannot take; the panel is unchanged then.
bool ApplyPanelSetting(CPanelModel& panel, std::string_view name, std::string_view value,
                       std::string* error);

// A panel file: the function first, then the other keys in file order. Every problem is
// reported (file:key: reason); good keys still apply. Returns false when there was any.
bool LoadPanelFile(CPanelModel& panel, const std::filesystem::path& file,
                   std::vector<std::string>* errors);
// The same for a file already read; where names the file in the messages.
bool ApplyPanelDocument(CPanelModel& panel, const profile::Document& doc, const std::string& where,
                        std::vector<std::string>* errors);

// The names a panel file may use, with what each takes, one per line (for --help texts).
std::vector<std::string> PanelSettingDescriptions();

}  // namespace zc::fp
