// Local players: the people playing at this machine, one record each (at
// most four), in a table that level start fills and level end empties.
// Main thread only.
//
// This is the part start-up and the shell need; a record's control state,
// its soldier and its per-frame sampling come with the input module's work.
#pragma once

#include <cstdint>

inline constexpr int kLocalPlayerCount = 4;

class CHLOGrunt;

// How a local player drives its soldier.
enum ControlMode : int { CONTROL_STEER = 0, CONTROL_FIRST_PERSON = 1, CONTROL_AI = 2 };

class CLocalPlayer {
 public:
  int BindingRow = 0;      // the control mapper row it reads
  int ControllerSlot = -1; // its joystick; -1 none
  // Clears the record's control state.
  void Reset();

  // What the soldier reads of its player (all zero until the player's
  // controls are sampled): the axes (-1..1; forward negative, strafe and
  // turn left negative), the pop-up modes open (0 none) and the soldier it
  // controls.
  int ControlMode = CONTROL_STEER;
  float TurnAxis = 0.0f;
  float ForwardAxis = 0.0f;
  float StrafeAxis = 0.0f;
  float AimYawAxis = 0.0f;
  float AimPitchAxis = 0.0f;
  int InventoryPopup = 0;
  int GiveTakePopup = 0;
  int VehiclePopup = 0;
  int OrderPopup = 0;
  CHLOGrunt* Soldier = nullptr;
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
