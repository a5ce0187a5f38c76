// The game's multiplayer layer: it owns the one network session, registers
// the game's callbacks with the network library, hosts or joins, keeps the
// eight player records and the session's settings (stored in the registry
// under the "Multiplayer" key), and runs the session state machine once a
// frame: connection, loading the multiplayer level, the lobby, the round
// and its end, back to the front end.  The host is authoritative: it
// decides the state, the round's start and end, respawns and scores, and
// relays what clients report.
//
// Main thread only, except the network library's callbacks, which only post
// their work for MPUpdate.  The program has one layer (MPCurrent); tests may
// make more and switch between them with CMultiplayer::Scope.
#pragma once

#include <cstdint>
#include <vector>

#include "net/mp/mp_queues.h"
#include "net/mp/mp_records.h"
#include "net/mp/replication_lists.h"
#include "net/mp/shared_random.h"
#include "net/sync/critical_section_lock.h"
#include "platform/dplay8/dplay8_types.h"

class CBitStream;
class CGameEventMessage;
class CGameMessage;
class CNetMessage;
class CNetSession;
struct NetMessageRecord;

enum MPSessionState : std::uint32_t {
  MPS_NONE = 0,
  MPS_IDLE = 1,
  MPS_CONNECTED = 2,
  MPS_CLIENT_LOAD = 3,
  MPS_LOAD_LEVEL = 4,
  MPS_LOBBY = 5,
  MPS_PLAYING_STATE = 7,
  MPS_ROUND_OVER = 8,
  MPS_LEAVE = 9,
  MPS_QUIT = 11,
};

// Text ids of the layer's messages.
inline constexpr std::uint32_t kTextPlayerLeft = 0xC9BBCF68;
inline constexpr std::uint32_t kTextPlayerJoined = 0x4D6ACA79;
inline constexpr std::uint32_t kTextKilledEnemy = 0x5A3050DB;
inline constexpr std::uint32_t kTextKilledFriend = 0x3A39E13A;
inline constexpr std::uint32_t kTextDefaultPlayerName = 0xB6867332;

// The registry key of the multiplayer values (under HKEY_LOCAL_MACHINE).
inline constexpr const char* kMultiplayerRegistryKey = "SOFTWARE\\Brindle Games\\Vantor Halberd\\Multiplayer\\";

class CMultiplayer {
 public:
  static constexpr DWORD kDefaultPort = 22426;
  static constexpr std::uint32_t kHostFlushInterval = 100;
  static constexpr std::uint32_t kClientFlushInterval = 50;
  static constexpr std::uint32_t kInputInterval = 19;
  static constexpr std::uint32_t kReadyReportInterval = 3000;
  // A dead player without respawns watches the next player this long after its death.
  static constexpr std::uint32_t kSpectatorDelay = 5000;

  CMultiplayer();
  ~CMultiplayer();
  CMultiplayer(const CMultiplayer&) = delete;
  CMultiplayer& operator=(const CMultiplayer&) = delete;

  // Makes this layer the current one while the scope lives.
  class Scope {
   public:
    explicit Scope(CMultiplayer* layer);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CMultiplayer* previous_;
  };

  // --- life ---
  // -1 when already running; registers the callbacks, makes the session and
  // starts it on `port` (0: 22426); -1 when the session cannot start.
  int Start(const GUID* application, DWORD port = 0);
  void Stop();
  // Hosts (role 1) or joins the host of `hostIndex` (role 0).  Answers the
  // host or join result: 0, -2 refused, -1 other failures.
  int StartSession(int hostIndex);
  void Leave();
  int EnumHosts(const char* hostText, DWORD capacity);
  int StopEnumHosts();
  int GetHostCount();
  int GetHostLatency(int index);
  // -1: the local settings; else the host list entry (null out of range or
  // without a started session).
  const MPSettings* GetPlayerSettings(int index) const;

  // --- the frame ---
  void Update();
  void PostFrame();
  void StartLevel();
  void EndLevel();

  // --- state ---
  void SetSessionState(std::uint32_t state);
  std::uint32_t GetSessionState() const { return state_; }
  std::uint32_t GetRequestedState() const { return requested_; }
  void SetRequestedState(std::uint32_t state) { requested_ = settings_.requestedState = state; }

  // --- settings and the local record ---
  void LoadSettings();
  void SaveSettings();
  void SetPlayerName(const char* name);
  void SetSessionName(const char* name);
  void SetLevel(int index);
  void SetMaxPlayers(int count);
  void SetSides(int attackers, int defenders);
  void SetMissionType(int type);
  void SetTimeLimit(int option);
  void SetOptionWCache(int on);
  void SetOptionOTSupport(int on);
  void SetOptionFFire(int on);
  void SetOptionRespawn(int on);
  void SetTeam(int team);
  void SetCharacter(int character);
  void SetPlayerState(int state);

  // --- queries ---
  bool IsSessionRunning() const { return running_; }
  bool IsNetworkGame() const { return networkGame_; }
  bool IsHost() const;
  bool IsClient() const;
  std::int32_t GetSessionTime() const;
  int GetGameMode() const { return MPGameModeOfMissionType(settings_.missionType); }
  int GetTeamArmy(int team) const;
  int GetLatency() const;
  int CountPlayersOfTeam(int team) const;

  // --- senders (each returns at once without a running session) ---
  void SendSessionState(std::uint32_t state, std::uint32_t target);
  void SendPlayerSettings();
  void SendText(const char* text, int slot);
  void SendPlayerRecord();
  void SendPlayerTable();
  void SendReady(int slot);
  void SendNotReady(int slot);
  void SendPlayerLeft(int slot);
  void SendWorldRequest(int slot);
  void SendWorldState(std::uint32_t playerId);
  void SendChatMessage(const char* text, int channel, int slot);
  void SendKill(int victim, int killer, std::uint32_t value);
  void SendLoadout(int slot, const std::uint16_t* entries);
  void SendStrike(int slot, int strikeObject, const float target[3]);
  void SendMissionNotice(int value);
  void SendRoundReset(std::uint32_t value);
  void SendLeaveObject(int object, int slot);
  // Queues any game message: as host to every player (or `peer`), as client
  // to the host; with the record words time-out, guaranteed, loopback, urgent.
  int SendMessage(CNetMessage& message, std::uint32_t timeout, std::uint32_t guaranteed, std::uint32_t loopback,
                  std::uint32_t urgent, std::uint32_t peer = 0);

  // --- receiving (main thread, from the library's dispatch) ---
  // One game message of a received datagram, the stream after its flag bit;
  // negative when it could not be read (the rest of the datagram is dropped).
  int DispatchGameMessage(NetMessageRecord* record, CBitStream* stream, bool atHost);

  // --- fields (read by the screens, the HUD, the report and the tests) ---
  CNetSession* session_ = nullptr;
  GUID application_{};
  std::uint32_t state_ = MPS_NONE;
  std::uint32_t requested_ = MPS_NONE;
  std::uint32_t target_ = 3;
  int role_ = 1;
  int connectionKind_ = 1;
  int localSlot_ = 0;
  bool running_ = false;
  bool networkGame_ = false;
  bool levelReady_ = false;
  bool roundStarted_ = false;
  bool welcomed_ = false;
  bool spectator_ = false;
  // The slot the dead local player watches (-1: its own soldier).
  int watchedSlot_ = -1;
  // The host has sent the round's start (27/3 with 7) since it entered the lobby.
  bool roundStartSent_ = false;
  std::uint32_t nextReadyReport_ = 0;
  std::uint32_t lobbyEnteredAt_ = 0;
  std::uint32_t nextFlush_ = 0;
  std::uint32_t nextInput_ = 0;
  std::vector<MPSettings> hostList_;
  int hostCapacity_ = 0;
  MPSettings settings_{};
  MPPlayerRecord players_[8];
  CSharedRandom random_;
  CReplicationLists lists_;
  // The three item respawn queues (ids 1, 2, 3).
  CMPInterfaceQueue queues_[3] = {CMPInterfaceQueue(1), CMPInterfaceQueue(2), CMPInterfaceQueue(3)};
  // The host's requested state as its settings last said (a client's view).
  std::uint32_t hostRequestedState_ = 0;
  // Players whose departure the host announced (27/6).
  int playersLeft_ = 0;
  // World states received and applied (a client's join into the round).
  int worldStatesApplied_ = 0;
  // Messages received and refused (from the wrong sender, out of range).
  int refusedMessages_ = 0;

  // --- the network thread's side (callbacks post here) ---
  struct Posted {
    enum Kind { kCreated, kDestroyed, kConnectComplete, kSessionEnded, kHostFound, kHostRemoved } kind;
    int value;
    std::vector<std::uint8_t> data;
  };
  void Post(Posted posted);
  // Called by the callbacks on the network thread.
  int AnswerConnectVeto();
  int AnswerEnumQuery(void** data, DWORD* size);

 private:
  void RunPosted();
  void RunStateMachine();
  void RunSpectator();
  // The watching camera moves to the next ready player of the local team.
  void WatchNextPlayer();
  void LoadLevel();
  void HostStartsRound();
  void ResetRecords(bool everything);
  void RefreshEnumAnswer();
  void OnPlayerCreated(int slot);
  void OnPlayerDestroyed(int slot);
  void OnWelcome(int slot);
  int DispatchSession(CGameMessage& m, int sender, bool atHost);
  int DispatchEvent(CGameEventMessage& m, int sender, bool atHost);
  bool ApplyWorldState(const CGameMessage& m);
  void ShowText(std::uint32_t id, const char* name);
  void EmptySlot(int slot);
  void SendLocalRecordOrTable();
  // Ready (GSK_READY) or not ready (GSK_NOT_READY) for `slot`, -1 the local player.
  void SendReadiness(std::uint32_t kind, int slot);
  void ClearRoundTotals();
  std::uint32_t Now() const;
  const char* DefaultName() const;
  // The slot of the player that sent a record to the host (-1 unknown).
  int SenderSlot(const NetMessageRecord* record) const;

  CCriticalSectionLock postLock_;
  std::vector<Posted> posted_;
  std::uint8_t enumAnswer_[MPSettings::kSize] = {};
  std::uint8_t enumAnswerOut_[MPSettings::kSize] = {};
  int vetoMax_ = 8;
  bool callbacksRegistered_ = false;
};

// The program's layer (or the one a test's scope made current).
CMultiplayer* MPCurrent();
