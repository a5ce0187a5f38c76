// What each soldier kind ("UnitWpns.txt") and vehicle kind ("VehWpns.txt")
// carries: kind name, item name, item type name, quantity.
#pragma once

#include <cstdint>

enum UnitItemsMode {
  UNIT_ITEMS_SOLDIER = 0,
  UNIT_ITEMS_VEHICLE = 1,
};

// Puts each line's item into the first free slot of its kind; false after
// the message of the first line that cannot be placed.
bool loadUnitItems(const char* text, std::uint32_t length, UnitItemsMode mode);
