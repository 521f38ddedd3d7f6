// Putting the texts of the chosen language on the settings panel: captions, the captions shown
// with two blanks in front, and every list refilled in its order with its selection kept. The
// window does the same for its menu, tabs and shell captions.
#pragma once

#include <functional>
#include <string>

#include "measure/panel_model.h"

namespace zc::fp {

using TextLookup = std::function<std::string(const std::string& key, const std::string& def)>;

// The settings-file key of a menu pop-up at position p ("651" for the first) and of its item at
// position q ("652" for the first item of the first pop-up).
std::string MenuPopupKey(int p);
std::string MenuItemKey(int p, int q);

// Captions and lists of the panel model in the language of lookup. Changes no selection, no
// setting and no enabled state. The limit and offset unit lists, whose items are units, stay.
void ApplyPanelTexts(CPanelModel& panel, const TextLookup& lookup);

}  // namespace zc::fp
