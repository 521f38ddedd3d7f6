#include "texts/apply_texts.h"

namespace zc::fp {
namespace {

enum class CCaption { Plain, Spaced };

struct CCaptionText {
  int id;
  CCaption kind;
  const char* key;
  const char* def;
};

// The captions of the panel in the order they are put in place. Spaced captions get two blanks
// in front of the looked-up text (whose default may carry a blank of its own).
const CCaptionText kCaptions[] = {
    {IDC_LEVEL_LABEL, CCaption::Plain, "513", "Level"},
    {IDC_SLOPE_LABEL, CCaption::Plain, "514", "Slope"},
    {IDC_SENS_LABEL, CCaption::Plain, "515", "Sens"},
    {IDC_COUPLING_LABEL, CCaption::Plain, "516", "Coupl"},
    {IDC_IMPEDANCE_LABEL, CCaption::Plain, "517", "Imped"},
    {IDC_CH1_X10, CCaption::Plain, "518", "  x10 Atten"},
    {IDC_CH2_X10, CCaption::Plain, "518", "  x10 Atten"},
    {IDC_CH1_FILTER, CCaption::Plain, "519", "  100k Filter"},
    {IDC_CH2_FILTER, CCaption::Plain, "519", "  100k Filter"},
    {IDC_FREQ, CCaption::Spaced, "581", " Freq"},
    {IDC_RATIO, CCaption::Spaced, "582", " Ratio"},
    {IDC_PERIOD, CCaption::Spaced, "583", "Period"},
    {IDC_EDGE, CCaption::Spaced, "584", "Edge"},
    {IDC_WIDTH, CCaption::Spaced, "585", "Width"},
    {IDC_INTVAL, CCaption::Spaced, "586", "Intval"},
    {IDC_VOLT_LABEL, CCaption::Plain, "589", "Volt"},
    {IDC_VOLT_MODE_LABEL, CCaption::Plain, "590", "Mode"},
    {IDC_VOLT_SHOW_LABEL, CCaption::Plain, "591", "Show"},
    {IDC_PHASE, CCaption::Spaced, "594", "Phase 1to2"},
    {IDC_DUTY, CCaption::Spaced, "595", "Duty Cycl"},
    {IDC_TOTAL, CCaption::Spaced, "596", "Total CH1"},
    {IDC_TIMEBASE, CCaption::Spaced, "597", "TimeBase"},
    {IDC_GATE_LABEL, CCaption::Plain, "601", "Gate"},
    {IDC_START_LABEL, CCaption::Plain, "604", "Start"},
    {IDC_STOP_LABEL, CCaption::Plain, "605", "Stop"},
    {IDC_ARM_SLOPE_LABEL, CCaption::Plain, "514", "Slop"},
    {IDC_UPPER, CCaption::Spaced, "606", "Upper"},
    {IDC_LOWER_LABEL, CCaption::Plain, "607", "Lower"},
    {IDC_OUT, CCaption::Spaced, "608", "*OUT"},
    {IDC_ON_FAIL_LABEL, CCaption::Plain, "628", "OnFail"},
    {IDC_SCALE, CCaption::Spaced, "609", "Scale"},
    {IDC_OFFSET_LABEL, CCaption::Plain, "610", "Offs"},
    {IDC_STAT_SHOW, CCaption::Spaced, "591", "Show"},
    {IDC_STAT_COUNT_LABEL, CCaption::Plain, "616", "N CNT"},
    {IDC_STAT_USE_LABEL, CCaption::Plain, "617", "Use"},
    {IDC_STAT_SINGLE_LABEL, CCaption::Plain, "620", "Single"},
};

bool HasTranslatedItems(const CControlEntry& entry) {
  for (const CTextItem& item : entry.items) {
    if (*item.key) return true;
  }
  return false;
}

}  // namespace

std::string MenuPopupKey(int p) {
  return "6" + std::to_string(p + 5) + "1";
}

std::string MenuItemKey(int p, int q) {
  return "6" + std::to_string(p + 5) + std::to_string(q + 2);
}

void ApplyPanelTexts(CPanelModel& panel, const TextLookup& lookup) {
  for (const CCaptionText& c : kCaptions) {
    std::string text = lookup(c.key, c.def);
    if (c.kind == CCaption::Spaced) text = "  " + text;
    panel.State(c.id).text = std::move(text);
  }
  // Every list whose items have texts of their own is refilled in the same order; its
  // selection stays at the same index.
  for (const CControlEntry& entry : PanelControls()) {
    if (entry.kind != CControlKind::Combo || !HasTranslatedItems(entry)) continue;
    CControlState& s = panel.State(entry.id);
    const int selection = s.selection;
    s.items.clear();
    for (const CTextItem& item : entry.items) {
      s.items.push_back(*item.key ? lookup(item.key, item.text) : item.text);
    }
    s.selection = selection >= 0 && selection < static_cast<int>(s.items.size()) ? selection : -1;
  }
  panel.SetLookup(lookup);
  // During a run the caption names the run's function and stays.
  if (!panel.running) panel.SetFunctionCaption(panel.selectedFunction);
}

}  // namespace zc::fp
