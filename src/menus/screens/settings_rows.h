// What the settings screens (options, controls, mouse, cheats) share: making
// their menus, setting a slider or an off/on choice row from a setting, and
// the standard drawing.  Main thread only.
#pragma once

#include <cstdint>

class CMenuScreen;

// The kinds of the rows a settings screen allocates, in order.
enum SettingsRowKind { SETTINGS_PLAIN, SETTINGS_SLIDER, SETTINGS_CHOICE };

// Makes the screen's menu with one item of each kind given, in order; false
// when the menu or an item cannot be made.
bool MakeSettingsItems(CMenuScreen* screen, const SettingsRowKind* kinds, int count);
// Item `index` becomes a slider row (flags 0x24, no text) with a label, its
// maximum and value (cut to the maximum), and is added.
void AddSliderRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t labelId, int max, int value);
// Item `index` becomes an off/on choice row (flags 0x24) at index on (0 or 1).
void AddOffOnRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t textId, std::uint32_t labelId,
                 int on);
// The value a slider or choice row holds now (0 for a missing row).
int RowValue(CMenuScreen* screen, std::uint16_t id);
// The panel frame, the menu and the large title.
void DrawSettingsScreen(CMenuScreen* screen, std::uint32_t titleId);
