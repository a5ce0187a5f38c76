// The table of local players: four records in order and the count in use.
// Level start empties it and adds one record per local player; level end
// empties it again.  With two or more players the keyboard and mouse belong
// to player 0 alone and each further player plays with a game controller:
// player i takes controller i when there are as many controllers as players,
// else controller i - 1 (so a keyboard and one pad give two players).  Every
// record reads its own row of the control mapper (all rows come from the
// same binding files).  Main thread only.
#pragma once

#include <cstdint>

#include "control/players/local_player.h"

class CLocalPlayerTable {
 public:
  // Resets the next free record, gives it its index as binding row and
  // controller slot, hands out the controllers and answers it; null when all
  // four are in use.
  CLocalPlayer* Add();
  // Closes every record's pop-ups, sets their action states back to up and
  // empties the table.
  void RemoveAll();
  // The frame's sampling of every record in use, in index order; the
  // controllers are handed out again when pads came or went.
  void UpdateAll();
  // Every record in use waits for STANCE to be let go.
  void SuppressStanceUntilRelease();
  void ResetActionStates();
  // The per-player overlay text of the aiming view, once a frame.
  void DrawAll();
  // The keyboard, mouse and controllers shared out by the rule above.
  void AssignControllers();

  int Count() const { return count_; }
  // Record i, or null when i is not in use.
  CLocalPlayer* Get(int i);
  // Record i whether in use or not (0..3), or null.
  CLocalPlayer* Record(int i);

 private:
  CLocalPlayer records_[kLocalPlayerCount];
  std::uint16_t count_ = 0;
  int assignedPads_ = -1;  // the pad count the controllers were handed out for
};

// The program's local player table.
extern CLocalPlayerTable g_LocalPlayers;
