// Local players: the people playing at this machine, one record each (at
// most four), in a table that level start fills and level end empties.
// Main thread only.
//
// This is the part start-up and the shell need; a record's control state,
// its soldier and its per-frame sampling come with the input module's work.
#pragma once

#include <cstdint>

inline constexpr int kLocalPlayerCount = 4;

class CLocalPlayer {
 public:
  int BindingRow = 0;      // the control mapper row it reads
  int ControllerSlot = -1; // its joystick; -1 none
  // Clears the record's control state.
  void Reset();
};

class CLocalPlayerTable {
 public:
  // Resets the next free record, gives it its index as binding row and
  // controller slot, and answers it; null when all four are in use.
  CLocalPlayer* Add();
  // Empties the table.
  void RemoveAll();
  int Count() const { return count_; }
  // Record i, or null when i is not in use.
  CLocalPlayer* Get(int i);

 private:
  CLocalPlayer records_[kLocalPlayerCount];
  std::uint16_t count_ = 0;
};

// The program's local player table.
extern CLocalPlayerTable g_LocalPlayers;
