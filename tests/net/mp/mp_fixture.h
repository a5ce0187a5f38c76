// What the multiplayer layer's tests share: the game's side as recorders
// (screens shown, level changes asked, mission events, lines of the message
// and chat areas, soldiers put into vehicles), a fake clock, and a host and
// a client layer in one process on 127.0.0.1 pumped frame by frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/mp/mp_game_hooks.h"
#include "net/mp/multiplayer.h"
#include "platform/dplay8/dplay8_types.h"

inline const GUID kMPTestApplication = {0x4D505445, 0x5354, 0x4C59, {0x52, 0x53, 0x45, 0x53, 0x53, 0x31, 0x32, 0x33}};

// What the game was asked, per layer (the layer current when it was asked).
struct GameRecord {
  std::vector<int> screens;
  std::vector<std::string> levelChanges;
  std::vector<std::uint32_t> events;
  std::vector<std::int32_t> eventWords;  // the first word of each event
  std::vector<std::string> messages;
  std::vector<std::string> chats;
  std::vector<std::pair<int, int>> vehicles;  // slot, vehicle
  std::vector<int> respawned;                 // slots set up again
  std::vector<int> watched;                   // slots the spectator camera moved to
  int inputSends = 0;
  int soldierStateSends = 0;
  bool levelChangePending = false;
};

GameRecord& RecordOf(CMultiplayer* layer);
void ClearRecords();
// Installs the recording hooks (soldiers exist for every used slot; slot 0's
// sits in vehicle `g_hostVehicle`, when set).
void InstallRecordingHooks();
extern int g_hostVehicle;
// The first local player's fire action this frame (the spectator's hook).
extern bool g_firePressed;

// The fake clock every layer and the transport read.
void UseFakeClock();
void AdvanceClock(std::uint32_t ms);
std::uint32_t ClockNow();
void UseRealClock();

class MPTestSession {
 public:
  MPTestSession();
  ~MPTestSession();
  // Starts the host (registry "HostPort" = a free port) and hosts.
  bool StartHost();
  // Starts a client, finds the host on 127.0.0.1 and joins it; the Connect result.
  int Join(CMultiplayer* client);
  CMultiplayer* NewClient();
  // One frame of every layer (update, then post-frame), then `ms` of the fake clock.
  void Frame(std::uint32_t ms = 10);
  // Frames until `done`; false after `frames` frames or 10 s of wall time.
  bool RunUntil(const std::function<bool()>& done, int frames = 3000);
  // Host and every client through the lobby into the round.
  bool ReachRound();

  std::uint16_t port = 0;
  // The fake clock's reading in the frame the host last started a round
  // (sent the playing state and restarted the server clock); empty before.
  std::optional<std::uint32_t> roundStartedAt;
  CMultiplayer host;
  std::vector<std::unique_ptr<CMultiplayer>> clients;
  std::string registryFolder;
};
