// What the front-end and in-game list screens share: the standard list
// set-up of their menus, a plain row, the pending level name, and the game
// words these screens set for others (the uniform choice, the options
// screen's entry).  Main thread only.
#pragma once

#include <cstdint>

#include "menus/widgets/menu.h"

class CMenuScreen;

// The uniform chosen on the uniform screen (0 or 1); read by the level set-up.
extern std::uint32_t UniformChoice;
// The options screen: entered from the game (1) or the front end (0), and
// the screen it returns to.
extern std::uint32_t OptionsInGame;
extern int OptionsReturnScreen;

// Copies a name into the pending level-name buffer (cut to its capacity).
void SetPendingLevelName(const char* name);

// The standard list set-up on the screen's menu: reset, vertical layout from
// the first row, no item sprites, the whole screen, active and kept active;
// the accept, previous and next checks (accept may be null) and the decrease
// and increase ones when asked; row width 620 and the standard row height;
// the interface bank's move sound; the screen as owner.
void StandardListSetUp(CMenuScreen* screen, MenuInputCheck accept, bool sideChecks);
// A plain row drawn as a button (flags 0x24, or 0x26 disabled), added.
void AddButtonRow(CMenuScreen* screen, int index, std::uint16_t id, std::uint32_t textId, std::uint16_t flags);

// The arrow boxes of choice and slider rows: the "-" and "+" slots at the
// row's two ends, as tall as the row.
void SetStandardArrowBoxes(CMenuScreen* screen);

inline constexpr std::uint16_t kRowFlags = 0x24;
inline constexpr std::uint16_t kRowFlagsDisabled = 0x26;
