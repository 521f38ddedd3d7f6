// Which items of a tab control may be selected, and where a selection request lands. Kept apart
// from the widget so the rules are tested without a display.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace zc::fp {

class CTabRules {
 public:
  int itemCount = 0;
  int selection = -1;
  // Indices of the disabled items, in the order they were disabled. They name positions, not
  // items: removing every item and adding them again (a change of language) keeps them disabled.
  std::vector<std::int32_t> disabledList;

  // Selects an item and tells the owner, as a user's selection would; also called with the
  // unchanged selection when the filter refused the request.
  std::function<void(int)> onSelected;
  // Repaints one item after its enabled state changed.
  std::function<void(int)> onItemChanged;

  bool IsTabEnabled(int index, int* position = nullptr) const;
  int FindEnabledTab(int start, bool forward) const;
  bool EnableTab(int index, bool enable);
  void SetActiveTab(int index);

  // The filter every selection request passes: returns the item to select, or -1 to refuse.
  // A disabled item is refused unless the request is a one-step move or a wrap-around of the
  // arrow keys, which skip on to an enabled item; with no item selected it always skips on.
  int FilterSelection(int requested) const;
  // Arrow keys: previous (Left, Up) or next (Right, Down) item, wrapping at the ends.
  void Step(bool forward);
  // A click on an item (or on no item, -1): refused unless the item is enabled.
  bool AcceptClick(int hit) const { return hit >= 0 && IsTabEnabled(hit); }
};

}  // namespace zc::fp
