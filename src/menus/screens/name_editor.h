// The squad-name editor: two menus of up to four text entries, the soldiers'
// names (pseudo screen 11) and their second name field (12), opened from the
// options screen.  Tab moves between the columns keeping the row; accepting a
// row or going back returns to the options screen.  Main thread only.
#pragma once

#include <cstdint>

// The item ids of the rows: 3071 + row in the names column, 3081 + row in
// the second column.
inline constexpr std::uint16_t kSquadNameFirstId = 3071;
inline constexpr std::uint16_t kSquadSecondNameFirstId = 3081;
inline constexpr int kSquadNameRows = 4;
// The texts' limits: 15 characters of a name, 8 of the second field.
inline constexpr int kSquadNameLength = 15;
inline constexpr int kSquadSecondNameLength = 8;

// Empties both columns, then adds a row for each soldier of the local side
// that counts (through AddSquadNameRow).
void BuildSquadNameMenus();
// Adds the next row (at most four): the soldier's name buffer (at least 16
// bytes) in the names column and its second field (at least 9) in the
// other, both items carrying the soldier word.  False when four are there
// or a buffer is null.
bool AddSquadNameRow(char* name, char* secondName, std::uint32_t soldier);
