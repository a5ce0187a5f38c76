// What the multiplayer session asks of the rest of the game: the screens,
// the level change, the mission plug-in's events, the message area, the
// sound banks, and the soldiers, vehicles and objects of the world.  The
// game shell installs the real operations at start-up; until a subsystem's
// operation is built, its entry says "not built yet" where it is reached
// (counted) and answers as if nothing were there.  Main thread only.
#pragma once

#include <cstdint>

class CBitStream;
class CReplicationLists;
struct NetMessageRecord;

struct MPGameHooks {
  // Screens and the program.
  void (*setScreen)(int id);
  int (*currentScreen)();
  // Starts a level change to the named plug-in ("MP_Mission1.dll", "FrontEnd.dll").
  void (*startLevelChange)(const char* plugin);
  // Whether a level change has been asked for and not yet made.
  bool (*levelChangePending)();
  // Whether the world runs under the current screen.
  bool (*worldRunning)();
  // The mission plug-in's event handler (the answer word; 0 without a plug-in).
  std::int32_t (*raiseEvent)(std::uint32_t code, std::int32_t* block, int words);
  // Mission event 61: nonzero keeps the game from going back to the front end.
  std::uint32_t (*queryMode)();
  // A text of the string table (never null).
  const char* (*getString)(std::uint32_t id);
  // A line in the message area, and one in the chat area.
  void (*showMessage)(const char* text);
  void (*showChat)(const char* text);
  // Loads a sound bank of the level; false when it cannot.
  bool (*loadBank)(const char* name);

  // The level: the multiplayer item pool (the default items go to `point`),
  // the replication lists, the objects of lists 0 and 2.
  void (*prepareItemPool)(const float point[3]);
  void (*buildReplicationLists)(CReplicationLists& lists);
  bool (*objectDestroyed)(int list, int index);
  void (*destroyObject)(int list, int index);
  void (*resetList2Objects)();
  void (*resetRoundData)();

  // Soldiers of the player slots.  spawnSoldier answers the soldier's id
  // (above 0), 0 when there is no soldier to make, negative on failure.
  int (*spawnSoldier)(int slot, int team, int character, bool local);
  bool (*soldierExists)(int slot);
  int (*soldierId)(int slot);
  void (*activateSoldier)(int slot);
  void (*removeSoldier)(int slot);
  void (*resetSoldiers)();
  void (*resetMessageTerminal)();
  // Sets the slot's soldier up again for its army and character (dead flag
  // cleared, states reset); `loadout` (26 entries) rebuilds its inventory on
  // a client, null keeps it.
  void (*respawnSoldier)(int slot, int army, int character, const std::uint16_t* loadout, bool local);
  // The replication index (list 5) of the vehicle the slot's soldier sits
  // in, -1 none; and putting it into one.
  int (*soldierVehicle)(int slot);
  void (*putIntoVehicle)(int slot, int vehicle);
  // A strike of list-6 object `strike` at the target.
  void (*addStrike)(int strike, const float target[3]);
  // The soldier leaves the mounted object (list 6).
  void (*leaveObject)(int slot, int object);
  // The spectator's camera: whether the first local player pressed fire this
  // frame, and moving the camera to the soldier of a slot.
  bool (*fireAction)();
  void (*watchPlayer)(int slot);
  // Binds the local soldier to the player camera and the HUD when the first
  // player's camera has none yet.
  void (*bindLocalSoldier)();

  // The units' own messages (soldier, door and vehicle types): read the
  // fields after the type and apply them; false when the message cannot be read.
  bool (*unitMessage)(std::uint32_t type, int slot, NetMessageRecord* record, CBitStream* stream);
  // A player input message (the stream after its type): the host applies it
  // to the soldier of `slot`; -1 reads it and drops it.  False when it
  // cannot be read.
  bool (*playerInput)(int slot, CBitStream* stream);
  // The host's soldier states (each soldier's 70 ms timer), and a client's
  // player input (every 19 ms).
  void (*sendSoldierStates)();
  void (*sendLocalInput)();
};

// The hooks in use (the defaults until the game installs its own).
MPGameHooks& MPHooks();
// Every hook back to its default.
void MPResetHooks();
