#include "tab_rules.h"

#include <algorithm>
#include <cstdlib>

namespace zc::fp {

bool CTabRules::IsTabEnabled(int index, int* position) const {
  if (index < 0 || index >= itemCount) return false;
  auto it = std::find(disabledList.begin(), disabledList.end(), index);
  if (position)
    *position = it == disabledList.end() ? -1 : static_cast<int>(it - disabledList.begin());
  return it == disabledList.end();
}

int CTabRules::FindEnabledTab(int start, bool forward) const {
  if (forward) {
    for (int i = std::max(start, 0); i < itemCount; ++i) {
      if (IsTabEnabled(i)) return i;
    }
    for (int i = 0; i < start && i < itemCount; ++i) {
      if (IsTabEnabled(i)) return i;
    }
  } else {
    for (int i = std::min(start, itemCount - 1); i >= 0; --i) {
      if (IsTabEnabled(i)) return i;
    }
    for (int i = itemCount - 1; i > start && i >= 0; --i) {
      if (IsTabEnabled(i)) return i;
    }
  }
  return -1;
}

int CTabRules::FilterSelection(int requested) const {
  if (IsTabEnabled(requested)) return requested;
  if (requested < 0 || requested >= itemCount) return -1;
  // With nothing selected (the selected item was just removed) staying put is no answer: the
  // request moves on to the next enabled item.
  if (selection < 0 || selection >= itemCount) return FindEnabledTab(requested, true);
  const int d = selection;
  const int e = std::abs(requested - d);
  // One-step moves and the wrap-arounds of the arrow keys may skip a disabled item; other jumps
  // to a disabled item are refused.
  if (e != 1 && e != requested && e != d) return -1;
  const int step = requested - d;
  const bool forward = step == 1 || step < -1;
  return FindEnabledTab(requested, forward);
}

void CTabRules::SetActiveTab(int index) {
  if (index < 0 || index >= itemCount) return;
  const int chosen = FilterSelection(index);
  if (chosen >= 0) selection = chosen;
  // A refused request is still answered: the owner hears which item stays selected.
  if (onSelected) onSelected(selection);
}

void CTabRules::Step(bool forward) {
  if (itemCount <= 0) return;
  int next;
  if (forward) {
    next = selection >= itemCount - 1 ? 0 : selection + 1;
  } else {
    next = selection <= 0 ? itemCount - 1 : selection - 1;
  }
  SetActiveTab(next);
}

bool CTabRules::EnableTab(int index, bool enable) {
  if (index < 0 || index >= itemCount) return false;
  if (IsTabEnabled(index) == enable) return true;
  if (enable) {
    disabledList.erase(std::remove(disabledList.begin(), disabledList.end(), index),
                       disabledList.end());
  } else {
    if (index == selection) {
      const int next = FindEnabledTab(index + 1 >= itemCount ? 0 : index + 1, true);
      if (next < 0 || next == index) return false;
      SetActiveTab(next);
    }
    disabledList.push_back(index);
  }
  if (onItemChanged) onItemChanged(index);
  return true;
}

}  // namespace zc::fp
