// The counters of the HUD, the pop-up menus and the soldier cards: a
// weapon's rounds and clips, an item's count, and an item's icon cell.  The
// item is read through the record below (filled from the units' inventory
// item where it is drawn).  Main thread only.
#pragma once

#include <cstdint>
#include <string>

// What the counters read of an inventory item.
struct ItemReading {
  std::uint32_t statsKind = 0;    // 5 a weapon, 8 an item with a quantity, 10 a mission item ...
  int clipSize = 0;               // rounds per magazine (weapons)
  int weaponClass = 0;            // the weapon stats' class
  int totalRounds = 0;            // the weapon's rounds, loaded and carried
  int spareRounds = 0;            // class 10: rounds kept apart
  bool reloading = false;
  int quantity = 0;               // kind 8
  std::uint16_t iconCell = 0xFFFF;      // the stats record's icon cell
  std::uint32_t modeWord = 0;           // class 8: 256 when the other mode is chosen
  std::uint16_t modeIconCell = 0xFFFF;  // the icon of that mode's stats record
};

// The characters the ammunition counter shows: three for the rounds
// (hundreds or blank, tens or blank - 0 under a hundreds digit -, units),
// then unless loadedOnly, for clip sizes of 2 or more or class 5, "/" and the
// clips modulo 100 (the tens digit left out when 0).  Empty for anything but
// a weapon with a clip size above 0.
std::string AmmoCountText(const ItemReading& item, bool loadedOnly);
// Draws it at (x, y): as small digit cells advancing by the width of cell 0
// ("/" cell 19, blanks advancing too), or as white text in the interface font.
void DrawAmmoCount(const ItemReading& item, int x, int y, bool asSprites, bool loadedOnly);
// An item's count in three characters: its quantity for kind 8; for kind 10
// the mission plug-in's answer to event 44 (0 without a plug-in).
void DrawItemCount(const ItemReading& item, int x, int y, bool asSprites);
// The count DrawItemCount shows (0 for other kinds).
int ItemCountOf(const ItemReading& item);
// The icon cell of kinds 5-12, 14, 16-18, 20, 22, 24-26; 0xFFFF for other
// kinds, null items and class-14 weapons; a class-8 weapon in mode 256 takes
// its mode's icon.
std::uint16_t GetItemIconCell(const ItemReading* item);
// Draws three-character counts and rounds as cells or text (shared).
void DrawCounterText(const std::string& text, int x, int y, bool asSprites);
