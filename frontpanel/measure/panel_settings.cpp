#include "measure/panel_settings.h"

#include <cctype>
#include <system_error>

#include "profile.h"

namespace zc::fp {
namespace {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

struct CFunctionName {
  MeasFunction function;
  const char* name;
  int page;
  int box;  // 0 for Volt, which its page selects
};
const CFunctionName kFunctions[] = {
    {FUNC_FREQ, "Freq", 0, IDC_FREQ},
    {FUNC_RATIO, "Ratio", 0, IDC_RATIO},
    {FUNC_PERIOD, "Period", 1, IDC_PERIOD},
    {FUNC_EDGE, "Edge", 1, IDC_EDGE},
    {FUNC_WIDTH, "Width", 1, IDC_WIDTH},
    {FUNC_INTVAL, "Intval", 1, IDC_INTVAL},
    {FUNC_VOLT, "Volt", 2, 0},
    {FUNC_PHASE, "Phase", 3, IDC_PHASE},
    {FUNC_DUTY, "Duty", 3, IDC_DUTY},
    {FUNC_TOTAL, "Total", 3, IDC_TOTAL},
};

const CFunctionName* FindFunction(MeasFunction f) {
  for (const CFunctionName& n : kFunctions) {
    if (n.function == f) return &n;
  }
  return nullptr;
}

bool ParseBool(std::string_view v, bool* out) {
  for (const char* t : {"1", "on", "yes", "true"}) {
    if (SameText(v, t)) return *out = true, true;
  }
  for (const char* f : {"0", "off", "no", "false"}) {
    if (SameText(v, f)) return *out = false, true;
  }
  return false;
}

}  // namespace

bool FunctionByName(std::string_view name, MeasFunction* function) {
  name = Trim(name);
  for (const CFunctionName& n : kFunctions) {
    if (SameText(name, n.name)) {
      *function = n.function;
      return true;
    }
  }
  return false;
}

const char* FunctionName(MeasFunction function) {
  const CFunctionName* n = FindFunction(function);
  return n ? n->name : "?";
}

void SelectFunction(CPanelModel& panel, MeasFunction function) {
  const CFunctionName* n = FindFunction(function);
  if (!n) return;
  panel.OnPageSelected(n->page);
  if (n->box != 0 && !panel.Checked(n->box)) {
    panel.SetChecked(n->box, true);
    panel.OnCheckClicked(n->box);
  }
  if (function != FUNC_VOLT && function != FUNC_TOTAL) {
    panel.OnPageSelected(6);
    panel.OnPageSelected(7);
  }
  panel.OnPageSelected(n->page);
}

bool ApplyPanelSetting(CPanelModel& panel, std::string_view name, std::string_view value,
                       std::string* error) {
  name = Trim(name);
  value = Trim(value);
  if (SameText(name, "Function")) {
    MeasFunction f;
    if (!FunctionByName(value, &f)) {
      *error = "unknown function '" + std::string(value) +
               "' (Freq, Ratio, Period, Edge, Width, Intval, Volt, Phase, Duty, Total)";
      return false;
    }
    SelectFunction(panel, f);
    return true;
  }
  const int id = PanelControlByName(name);
  const CControlEntry* entry = id != 0 ? FindPanelControl(id) : nullptr;
  if (!entry) {
    *error = "unknown setting '" + std::string(name) + "'";
    return false;
  }
  switch (entry->kind) {
    case CControlKind::Check: {
      bool on = false;
      if (!ParseBool(value, &on)) {
        *error = "'" + std::string(value) + "' is not on or off (1/0, on/off, yes/no, true/false)";
        return false;
      }
      if (panel.Checked(id) != on) {
        panel.SetChecked(id, on);
        panel.OnCheckClicked(id);
      }
      return true;
    }
    case CControlKind::Combo: {
      const std::vector<std::string>& items = panel.State(id).items;
      // The exact text first: the unit lists hold "m" and "M", "mHz" and "MHz".
      int index = -1;
      for (std::size_t i = 0; i < items.size() && index < 0; ++i) {
        if (Trim(items[i]) == value) index = static_cast<int>(i);
      }
      for (std::size_t i = 0; i < items.size() && index < 0; ++i) {
        if (SameText(Trim(items[i]), value)) index = static_cast<int>(i);
      }
      if (index < 0 && !value.empty() &&
          value.find_first_not_of("0123456789") == std::string_view::npos && value.size() < 4) {
        const int n = std::stoi(std::string(value));
        if (n < static_cast<int>(items.size())) index = n;
      }
      if (index < 0) {
        std::string known;
        for (const std::string& item : items) known += (known.empty() ? "" : ", ") + item;
        *error = "'" + std::string(value) + "' is not an item of " + std::string(name) + " (" +
                 (known.empty() ? "the list is empty for this function" : known) + ")";
        return false;
      }
      panel.OnSelectionChanged(id, index);
      return true;
    }
    case CControlKind::Edit:
      panel.OnTextEdited(id, std::string(value));
      return true;
    case CControlKind::Label:
      break;
  }
  *error = "'" + std::string(name) + "' is not a setting";
  return false;
}

bool LoadPanelFile(CPanelModel& panel, const std::filesystem::path& file,
                   std::vector<std::string>* errors) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    errors->push_back(file.string() + ": no such file");
    return false;
  }
  return ApplyPanelDocument(panel, profile::Document::Load(file), file.string(), errors);
}

bool ApplyPanelDocument(CPanelModel& panel, const profile::Document& doc, const std::string& where,
                        std::vector<std::string>* errors) {
  if (!doc.HasSection("Panel")) {
    errors->push_back(where + ": no [Panel] section");
    return false;
  }
  const auto entries = doc.Entries("Panel");
  bool ok = true;
  // The function first: choosing it resets what depends on it.
  for (const auto& [key, value] : entries) {
    if (!SameText(Trim(key), "Function")) continue;
    std::string error;
    if (!ApplyPanelSetting(panel, key, value, &error)) {
      errors->push_back(where + ": " + key + ": " + error);
      ok = false;
    }
  }
  for (const auto& [key, value] : entries) {
    if (SameText(Trim(key), "Function")) continue;
    std::string error;
    if (!ApplyPanelSetting(panel, key, value, &error)) {
      errors->push_back(where + ": " + key + ": " + error);
      ok = false;
    }
  }
  return ok;
}

std::vector<std::string> PanelSettingDescriptions() {
  std::vector<std::string> lines;
  lines.push_back("Function: Freq, Ratio, Period, Edge, Width, Intval, Volt, Phase, Duty, Total");
  for (const CControlEntry& entry : PanelControls()) {
    const char* name = PanelControlName(entry.id);
    if (!name) continue;
    std::string line = std::string(name) + ": ";
    switch (entry.kind) {
      case CControlKind::Check:
        line += "on or off";
        break;
      case CControlKind::Combo: {
        std::string items;
        for (const CTextItem& item : entry.items) {
          const std::string text = item.text;
          const bool blank = text.find_first_not_of(' ') == std::string::npos;
          items += (items.empty() ? "" : ", ") + (blank ? "\"" + text + "\"" : text);
        }
        line += items;
        if (entry.id == IDC_UPPER_UNIT || entry.id == IDC_LOWER_UNIT) {
          line += " (by function: units of Hz, Sec or Deg, or u, m, \"\", K, M)";
        }
        break;
      }
      case CControlKind::Edit:
        line += std::string("text (\"") + entry.initialText + "\" at start)";
        break;
      case CControlKind::Label:
        continue;
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace zc::fp
