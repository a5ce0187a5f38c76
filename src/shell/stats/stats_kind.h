// The record kind word of the stats tables, which is also the kind by which
// the lookups choose a table.  Item kinds share the item table.
#pragma once

#include <cstdint>

enum StatsKind : std::uint32_t {
  STATS_NONE = 0,
  STATS_HUMAN = 1,
  STATS_MACHINE = 2,
  STATS_BUILDING = 3,
  STATS_FEATURE = 4,
  STATS_WEAPON = 5,
  STATS_UNIFORM = 6,
  STATS_PHRASE_BOOK = 7,
  STATS_MEDI_KIT = 8,
  STATS_C4_DETONATOR = 9,
  STATS_RADIO = 10,
  STATS_BODY_ARMOUR = 11,
  STATS_HEAD_ARMOUR = 12,
  STATS_UNNAMED_13 = 13,
  STATS_AMMO = 14,
  STATS_DOOR = 15,
  STATS_BINOCULARS = 16,
  STATS_NIGHT_VISION_GOGGLES = 17,
  STATS_LASER_DESIGNATOR = 18,
  STATS_SWITCH = 19,
  STATS_KEY = 20,
  STATS_TARGET = 21,
  STATS_MISCELLANEOUS = 22,
  STATS_UNNAMED_23 = 23,
  STATS_COMPUTER_HACKING_KIT = 24,
  STATS_WIRECUTTERS = 25,
  STATS_BOMB_DEFUSING_KIT = 26,
  STATS_INVALID = 27,
};

// The kind of an item-type name ("HUMAN" 1 ... "BOMB DEFUSING KIT" 26),
// compared exactly; any other text gives STATS_INVALID.
StatsKind StatsKindFromName(const char* name);
// True for the kinds kept in the item table (6-12, 14, 16-18, 20, 22, 24-26).
bool IsItemStatsKind(std::uint32_t kind);
