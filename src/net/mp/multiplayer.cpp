#include "net/mp/multiplayer.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/system/registry_key.h"
#include "net/messages/game_event_message.h"
#include "net/messages/game_message.h"
#include "net/mp/mp_callbacks.h"
#include "net/mp/mp_game_hooks.h"
#include "net/queues/net_message_record.h"
#include "net/session/net_session.h"
#include "platform/dplay8/com.h"
#include "platform/win32/clocks.h"

namespace {

CMultiplayer* ProgramLayer() {
  static CMultiplayer layer;
  return &layer;
}

CMultiplayer* g_current = nullptr;

// Screens the layer shows.
constexpr int kScreenFrontEnd = 1;
constexpr int kScreenGame = 14;
constexpr int kScreenLobby = 38;
constexpr int kScreenClientLoad = 39;
constexpr int kScreenSessionLost = 41;
constexpr int kScreenRoundOver = 54;
constexpr int kScreenSpectator = 42;

const char* const kSoldierBanks[4] = {"MP_UKSoldier.sbk", "MP_USSoldier.sbk", "MP_RussianSoldier.sbk",
                                      "MP_IraqiSoldier.sbk"};

}  // namespace

CMultiplayer* MPCurrent() { return g_current != nullptr ? g_current : ProgramLayer(); }

CMultiplayer::Scope::Scope(CMultiplayer* layer) : previous_(g_current) { g_current = layer; }
CMultiplayer::Scope::~Scope() { g_current = previous_; }

CMultiplayer::CMultiplayer() {
  settings_.Defaults();
  for (MPPlayerRecord& r : players_) r.Empty("Player");
  RefreshEnumAnswer();
}

CMultiplayer::~CMultiplayer() {
  if (session_ != nullptr) Stop();
  MPForgetLayer(this);
}

std::uint32_t CMultiplayer::Now() const { return session_ != nullptr ? static_cast<std::uint32_t>(GetSessionTime()) : 0; }

const char* CMultiplayer::DefaultName() const {
  const char* name = MPHooks().getString(kTextDefaultPlayerName);
  return name != nullptr && name[0] != '\0' ? name : "Player";
}

// --- life ------------------------------------------------------------------

int CMultiplayer::Start(const GUID* application, DWORD port) {
  if (session_ != nullptr) return -1;
  application_ = *application;
  MPRegisterCallbacks();
  session_ = new CNetSession(&application_);
  if (session_->Start(port != 0 ? port : kDefaultPort) != 0) {
    delete session_;
    session_ = nullptr;
    running_ = false;
    return -1;
  }
  lists_.Clear();
  running_ = networkGame_ = levelReady_ = roundStarted_ = welcomed_ = spectator_ = false;
  state_ = MPS_IDLE;
  requested_ = MPS_IDLE;
  return 0;
}

void CMultiplayer::Stop() {
  if (session_ == nullptr) return;
  Leave();
  hostList_.clear();
  hostCapacity_ = 0;
  MPForgetLayer(this);
  session_->Stop();
  delete session_;
  session_ = nullptr;
  running_ = networkGame_ = levelReady_ = roundStarted_ = welcomed_ = spectator_ = false;
  state_ = MPS_NONE;
  CLockScope hold(postLock_);
  posted_.clear();
}

void CMultiplayer::ResetRecords(bool everything) {
  for (MPPlayerRecord& r : players_) {
    if (everything) {
      r.Empty(DefaultName());
    } else {
      r.dead = 0;
      r.deathTime = 0;
      r.deaths = 0;
    }
  }
}

int CMultiplayer::StartSession(int hostIndex) {
  if (session_ == nullptr) return -1;
  roundStarted_ = welcomed_ = spectator_ = levelReady_ = false;
  ResetRecords(true);
  int result = -1;
  if (role_ == 1) {
    MPSetHostLayer(this);
    const std::uint32_t seed = timeGetTime();
    settings_.seed = seed;
    random_.Seed(seed & 0xFF);
    settings_.playerCount = 1;
    localSlot_ = 0;
    players_[0].spawned = 1;
    players_[0].state = 2;
    SetRequestedState(MPS_CONNECTED);
    DWORD port = kDefaultPort;
    CRegistryKey key;
    char text[32] = {};
    if (key.Open(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) != 0 &&
        key.QueryValue("HostPort", text, sizeof text - 1) != 0) {
      const unsigned long value = std::strtoul(text, nullptr, 10);
      if (value > 0 && value < 65536) port = static_cast<DWORD>(value);
    }
    vetoMax_ = settings_.maxPlayers;
    RefreshEnumAnswer();
    result = session_->Host(settings_.sessionName, nullptr, 0, 8, port);
  } else {
    MPSetClientLayer(this);
    result = session_->Connect(hostIndex);
    if (result == 0 && hostIndex >= 0 && hostIndex < static_cast<int>(hostList_.size())) {
      settings_.ApplyReceived(hostList_[hostIndex]);
      random_.Seed(settings_.seed & 0xFF);
    }
  }
  if (result == 0) {
    running_ = true;
    SetSessionState(MPS_CONNECTED);
    LoadSettings();
  } else {
    running_ = false;
    SetRequestedState(MPS_IDLE);
  }
  return result;
}

void CMultiplayer::Leave() {
  if (session_ != nullptr) {
    if (IsHost())
      session_->StopHosting();
    else
      session_->Disconnect();
  }
  SetSessionState(MPS_IDLE);
  SetRequestedState(MPS_IDLE);
  running_ = networkGame_ = false;
}

int CMultiplayer::EnumHosts(const char* hostText, DWORD capacity) {
  if (session_ == nullptr) return -1;
  if (session_->IsConnected() || session_->IsHosting()) return -2;
  MPSetClientLayer(this);
  hostList_.clear();
  hostCapacity_ = static_cast<int>(capacity);
  // The host list follows the transport's: an expired host leaves both.
  if (session_->GetClient() != nullptr && session_->GetClient()->GetWrapper() != nullptr)
    session_->GetClient()->GetWrapper()->SetHostRemovedHandler(
        [](int index, void* layer) {
          static_cast<CMultiplayer*>(layer)->Post({Posted::kHostRemoved, index, {}});
        },
        this);
  return session_->EnumHosts(hostText, capacity);
}

int CMultiplayer::StopEnumHosts() {
  if (session_ == nullptr) return -1;
  if (session_->IsConnected()) return -2;
  return session_->StopEnumHosts();
}

int CMultiplayer::GetHostCount() {
  if (session_ == nullptr) return -1;
  if (session_->IsConnected()) return -2;
  return session_->GetHostCount();
}

int CMultiplayer::GetHostLatency(int index) {
  if (session_ == nullptr) return -1;
  if (session_->IsConnected()) return -2;
  return session_->GetHostLatency(index);
}

const MPSettings* CMultiplayer::GetPlayerSettings(int index) const {
  if (session_ == nullptr) return nullptr;
  if (index == -1) return &settings_;
  if (index < 0 || index >= static_cast<int>(hostList_.size())) return nullptr;
  return &hostList_[index];
}

// --- queries -----------------------------------------------------------------

bool CMultiplayer::IsHost() const { return session_ != nullptr && role_ == 1 && session_->IsHosting(); }

bool CMultiplayer::IsClient() const { return session_ != nullptr && role_ != 1 && session_->IsConnected(); }

std::int32_t CMultiplayer::GetSessionTime() const {
  return session_ != nullptr ? session_->GetSessionTime() : -1;
}

int CMultiplayer::GetTeamArmy(int team) const {
  return MPArmyOfSide(team == 0 ? settings_.attackers : settings_.defenders);
}

int CMultiplayer::GetLatency() const { return session_ != nullptr ? session_->GetLatency() : -1; }

int CMultiplayer::CountPlayersOfTeam(int team) const {
  int n = 0;
  for (const MPPlayerRecord& r : players_)
    if (r.state != 0 && r.team == team) ++n;
  return n;
}

// --- registry -----------------------------------------------------------------

void CMultiplayer::LoadSettings() {
  CRegistryKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) == 0) return;
  auto read = [&key](const char* name, int low, int high, auto apply) {
    std::uint32_t v = 0;
    if (key.QueryDword(name, &v) != 0 && v >= static_cast<std::uint32_t>(low) &&
        v <= static_cast<std::uint32_t>(high))
      apply(static_cast<int>(v));
  };
  const bool host = role_ == 1;
  if (host) {
    read("SvrNumPlayers", 2, 8, [this](int v) { settings_.maxPlayers = static_cast<std::uint8_t>(v); });
    read("SvrMissionType", 0, 6, [this](int v) { settings_.missionType = static_cast<std::uint8_t>(v); });
    read("SvrLevel", 0, 5, [this](int v) { settings_.SetLevel(v); });
    read("SvrOptionsTime", 0, 4, [this](int v) { settings_.timeOption = static_cast<std::uint8_t>(v); });
    read("SvrOptionsWCache", 0, 1, [this](int v) { settings_.weaponCache = static_cast<std::uint8_t>(v); });
    read("SvrOptionsOTSupport", 0, 1, [this](int v) { settings_.otSupport = static_cast<std::uint8_t>(v); });
    read("SvrOptionsFFire", 0, 1, [this](int v) { settings_.friendlyFire = static_cast<std::uint8_t>(v); });
    read("SvrOptionsRespawn", 0, 1, [this](int v) { settings_.respawn = static_cast<std::uint8_t>(v); });
    read("SvrAttackers", 0, 3, [this](int v) { settings_.attackers = static_cast<std::uint8_t>(v); });
    read("SvrDefenders", 0, 3, [this](int v) { settings_.defenders = static_cast<std::uint8_t>(v); });
    vetoMax_ = settings_.maxPlayers;
  }
  MPPlayerRecord& local = players_[localSlot_ & 7];
  read("CharSkill", 0, 3, [&local](int v) { local.character = static_cast<std::uint8_t>(v); });
  read("PlayerTeam", 0, 1, [&local](int v) { local.team = static_cast<std::uint8_t>(v); });
  RefreshEnumAnswer();
}

void CMultiplayer::SaveSettings() {
  CRegistryKey key;
  if (key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey) == 0) return;
  if (role_ == 1) {
    key.SetDword("SvrNumPlayers", settings_.maxPlayers);
    key.SetDword("SvrMissionType", settings_.missionType);
    key.SetDword("SvrLevel", settings_.levelIndex);
    key.SetDword("SvrOptionsTime", settings_.timeOption);
    key.SetDword("SvrOptionsWCache", settings_.weaponCache);
    key.SetDword("SvrOptionsOTSupport", settings_.otSupport);
    key.SetDword("SvrOptionsFFire", settings_.friendlyFire);
    key.SetDword("SvrOptionsRespawn", settings_.respawn);
    key.SetDword("SvrAttackers", settings_.attackers);
    key.SetDword("SvrDefenders", settings_.defenders);
  }
  const MPPlayerRecord& local = players_[localSlot_ & 7];
  key.SetDword("CharSkill", local.character);
  key.SetDword("PlayerTeam", local.team);
}

// --- setters -----------------------------------------------------------------

void CMultiplayer::SetPlayerName(const char* name) {
  MPCopyName(players_[localSlot_ & 7].name, sizeof players_[0].name, name);
  if (role_ == 1) MPCopyName(settings_.hostName, sizeof settings_.hostName, name);
  RefreshEnumAnswer();
}

void CMultiplayer::SetSessionName(const char* name) {
  MPCopyName(settings_.sessionName, sizeof settings_.sessionName, name);
  RefreshEnumAnswer();
}

void CMultiplayer::SetLevel(int index) { settings_.SetLevel(index < 0 ? 0 : index); }

void CMultiplayer::SetMaxPlayers(int count) {
  settings_.maxPlayers = static_cast<std::uint8_t>(count > 8 ? 8 : (count < 2 ? 2 : count));
  vetoMax_ = settings_.maxPlayers;
}

void CMultiplayer::SetSides(int attackers, int defenders) {
  settings_.attackers = static_cast<std::uint8_t>(attackers & 3);
  settings_.defenders = static_cast<std::uint8_t>(defenders & 3);
  SendPlayerSettings();
}

void CMultiplayer::SetMissionType(int type) {
  if (type >= 0 && type <= 6) settings_.missionType = static_cast<std::uint8_t>(type);
}
void CMultiplayer::SetTimeLimit(int option) {
  if (option >= 0 && option <= 4) settings_.timeOption = static_cast<std::uint8_t>(option);
}
void CMultiplayer::SetOptionWCache(int on) { settings_.weaponCache = on != 0; }
void CMultiplayer::SetOptionOTSupport(int on) { settings_.otSupport = on != 0; }
void CMultiplayer::SetOptionFFire(int on) { settings_.friendlyFire = on != 0; }
void CMultiplayer::SetOptionRespawn(int on) { settings_.respawn = on != 0; }

void CMultiplayer::SendLocalRecordOrTable() {
  if (IsHost())
    SendPlayerTable();
  else
    SendPlayerRecord();
}

void CMultiplayer::SetTeam(int team) {
  if (team < 0 || team > 1) return;
  MPPlayerRecord& local = players_[localSlot_ & 7];
  if (state_ == MPS_PLAYING_STATE) {
    local.pendingTeam = static_cast<std::uint8_t>(team);
  } else {
    local.team = static_cast<std::uint8_t>(team);
    local.pendingTeam = MPPlayerRecord::kNoTeam;
    local.pendingCharacter = MPPlayerRecord::kNoCharacter;
  }
  SendLocalRecordOrTable();
}

void CMultiplayer::SetCharacter(int character) {
  if (character < 0 || character > 3) return;
  MPPlayerRecord& local = players_[localSlot_ & 7];
  if (state_ == MPS_PLAYING_STATE) {
    local.pendingCharacter = static_cast<std::uint8_t>(character);
  } else {
    local.character = static_cast<std::uint8_t>(character);
    local.pendingTeam = MPPlayerRecord::kNoTeam;
    local.pendingCharacter = MPPlayerRecord::kNoCharacter;
  }
  SendLocalRecordOrTable();
}

void CMultiplayer::SetPlayerState(int state) {
  if (state < 0 || state > 2) return;
  players_[localSlot_ & 7].state = static_cast<std::uint32_t>(state);
  SendLocalRecordOrTable();
}

// --- state machine -----------------------------------------------------------

void CMultiplayer::SetSessionState(std::uint32_t state) {
  if (state < 1 || state > 12) return;
  const MPGameHooks& hooks = MPHooks();
  switch (state) {
    case MPS_LOAD_LEVEL:
      if (players_[localSlot_ & 7].state != 2) return;
      break;
    case MPS_PLAYING_STATE:
      if (state_ == MPS_LOBBY) {
        if (IsClient()) SendWorldRequest(localSlot_);
      } else if (state_ != MPS_ROUND_OVER) {
        return;
      }
      hooks.setScreen(kScreenGame);
      break;
    case MPS_ROUND_OVER: {
      const int screen = hooks.currentScreen();
      if (screen != 58 && screen != 48 && screen != 49) {
        hooks.resetSoldiers();
        hooks.resetMessageTerminal();
        hooks.setScreen(kScreenRoundOver);
      }
      break;
    }
    default: break;
  }
  state_ = state;
}

void CMultiplayer::LoadLevel() {
  const MPGameHooks& hooks = MPHooks();
  if (session_ != nullptr && session_->GetClient() != nullptr) session_->GetClient()->EnableClockRequests(false);
  hooks.startLevelChange("MP_Mission1.dll");
  hooks.setScreen(kScreenLobby);
  state_ = MPS_LOBBY;
  for (MPPlayerRecord& r : players_) {
    r.dead = 0;
    r.deathTime = 0;
    r.deaths = 0;
    r.score = 0;
  }
  roundStarted_ = false;
  roundStartSent_ = false;
  spectator_ = false;
  nextReadyReport_ = 0;
  lobbyEnteredAt_ = timeGetTime();
  players_[localSlot_ & 7].state = 2;
}

void CMultiplayer::HostStartsRound() {
  roundStartSent_ = true;
  SendSessionState(MPS_PLAYING_STATE, 3);
  if (session_ != nullptr && session_->GetServer() != nullptr) {
    session_->GetServer()->GetTimer().Reset();
    session_->GetServer()->GetTimer().Update();
  }
}

void CMultiplayer::RunStateMachine() {
  const MPGameHooks& hooks = MPHooks();
  const bool host = IsHost();
  CGameClient* client = session_ != nullptr ? session_->GetClient() : nullptr;
  const std::uint32_t r = requested_;
  switch (state_) {
    case MPS_CONNECTED:
      if (!host && client != nullptr) client->EnableClockRequests(true);
      if (r == MPS_LOAD_LEVEL || r == MPS_QUIT) {
        if (host || players_[localSlot_ & 7].state == 2) state_ = r;
      }
      break;
    case MPS_CLIENT_LOAD:
      hooks.setScreen(kScreenClientLoad);
      if (r == MPS_PLAYING_STATE) LoadLevel();
      break;
    case MPS_LOAD_LEVEL: LoadLevel(); break;
    case MPS_LOBBY:
      if (!host && client != nullptr) client->EnableClockRequests(false);
      if (r == MPS_PLAYING_STATE || r == MPS_QUIT || r == MPS_ROUND_OVER) {
        if (r != MPS_PLAYING_STATE || host || roundStarted_) {
          SetSessionState(r);
          if (state_ != MPS_LOBBY) break;
        }
      }
      if (host) {
        if (levelReady_ && !hooks.levelChangePending() && !roundStartSent_) HostStartsRound();
      } else if (levelReady_) {
        const std::uint32_t now = timeGetTime();
        if (nextReadyReport_ == 0 || static_cast<std::int32_t>(now - nextReadyReport_) >= 0) {
          SendReady(-1);
          nextReadyReport_ = now + kReadyReportInterval;
        }
      }
      break;
    case MPS_PLAYING_STATE:
      hooks.bindLocalSoldier();
      if (!host && client != nullptr) client->EnableClockRequests(true);
      if (r == MPS_QUIT) {
        if (host)
          state_ = MPS_QUIT;
        else
          hooks.setScreen(kScreenSessionLost);
      } else if (r == MPS_ROUND_OVER) {
        SetSessionState(MPS_ROUND_OVER);
      }
      break;
    case MPS_ROUND_OVER:
      if (!host && client != nullptr) client->EnableClockRequests(true);
      if (r == MPS_QUIT || r == MPS_LEAVE || r == MPS_LOAD_LEVEL)
        SetSessionState(r);
      else if (r == MPS_PLAYING_STATE && !host)
        SetSessionState(r);
      break;
    case MPS_LEAVE:
      roundStarted_ = false;
      roundStartSent_ = false;
      spectator_ = false;
      hooks.setScreen(kScreenLobby);
      state_ = MPS_LOBBY;
      break;
    case MPS_QUIT:
      Leave();
      if (hooks.queryMode() == 0) hooks.startLevelChange("FrontEnd.dll");
      state_ = MPS_IDLE;
      hooks.setScreen(kScreenFrontEnd);
      break;
    default: break;
  }
}

void CMultiplayer::Update() {
  if (session_ == nullptr) return;
  Scope current(this);
  if (running_) {
    // Losing the host ends the network game.
    const bool lost = !IsHost() && session_->IsDisconnected() != 0;
    networkGame_ = levelReady_ && !lost;
  }
  session_->Update();
  RefreshEnumAnswer();
  RunPosted();
  if (running_) session_->DispatchReceived();
  RunStateMachine();
  RunSpectator();
}

void CMultiplayer::RunSpectator() {
  const MPPlayerRecord& local = players_[localSlot_ & 7];
  if (state_ != MPS_PLAYING_STATE || local.dead == 0 || settings_.respawn != 0) {
    if (local.dead == 0) {
      watchedSlot_ = -1;
      spectator_ = false;
    }
    return;
  }
  const std::uint32_t now = static_cast<std::uint32_t>(GetSessionTime());
  const bool due = !spectator_ && now - local.deathTime >= kSpectatorDelay;
  if (due || MPHooks().fireAction()) WatchNextPlayer();
}

void CMultiplayer::WatchNextPlayer() {
  const int own = localSlot_ & 7;
  const int from = watchedSlot_ < 0 ? own : watchedSlot_;
  int next = own;
  for (int i = 1; i <= 8; ++i) {
    const int slot = (from + i) & 7;
    const MPPlayerRecord& r = players_[slot];
    if (r.state == 2 && r.team == players_[own].team && (slot == own || r.dead == 0)) {
      next = slot;
      break;
    }
  }
  spectator_ = true;
  watchedSlot_ = next == own ? -1 : next;
  MPHooks().watchPlayer(next);
  MPHooks().setScreen(next == own ? kScreenGame : kScreenSpectator);
}

void CMultiplayer::PostFrame() {
  if (session_ == nullptr) return;
  Scope current(this);
  const std::uint32_t now = timeGetTime();
  const bool host = IsHost();
  if (running_ && MPHooks().worldRunning() && requested_ == MPS_PLAYING_STATE) {
    if (host) {
      MPHooks().sendSoldierStates();
    } else if (static_cast<std::int32_t>(now - nextInput_) >= 0) {
      MPHooks().sendLocalInput();
      nextInput_ = now + kInputInterval;
    }
  }
  if (static_cast<std::int32_t>(now - nextFlush_) >= 0) {
    session_->FlushSend();
    nextFlush_ = now + (host ? kHostFlushInterval : kClientFlushInterval);
  }
}

void CMultiplayer::StartLevel() {
  if (!running_) return;
  Scope current(this);
  const MPGameHooks& hooks = MPHooks();
  // The mission names the level point of the default items: words 0..2
  // its position (floats), word 3 nonzero when it named one.
  std::int32_t block[16] = {};
  hooks.raiseEvent(81, block, 16);
  float point[3] = {0, 0, 0};
  if (block[3] != 0) std::memcpy(point, block, sizeof point);
  hooks.prepareItemPool(point);
  lists_.Clear();
  hooks.buildReplicationLists(lists_);
  const int first = GetTeamArmy(0), second = GetTeamArmy(1);
  hooks.loadBank(kSoldierBanks[first]);
  if (second != first) hooks.loadBank(kSoldierBanks[second]);
  for (int army = 0; army < 4; ++army)
    if (army != first && army != second) hooks.loadBank(kSoldierBanks[army]);
  levelReady_ = true;
  const MPPlayerRecord& local = players_[localSlot_ & 7];
  const int team = local.team == MPPlayerRecord::kNoTeam ? 0 : local.team;
  const int id = hooks.spawnSoldier(localSlot_, team, local.character, true);
  if (id < 0) {
    SetRequestedState(MPS_QUIT);
    return;
  }
  if (id > 0 && IsHost()) {
    std::int32_t spawn[16] = {id, -1, GetSessionTime()};
    hooks.raiseEvent(53, spawn, 16);
  }
}

void CMultiplayer::EndLevel() {
  lists_.Clear();
  MPResetSharedBlocks();
  levelReady_ = false;
}

// --- the network thread's posts ------------------------------------------------

void CMultiplayer::Post(Posted posted) {
  CLockScope hold(postLock_);
  posted_.push_back(std::move(posted));
}

int CMultiplayer::AnswerConnectVeto() {
  if (session_ == nullptr || session_->GetServer() == nullptr) return -1;
  // The count includes the slot being admitted.
  return static_cast<int>(session_->GetServer()->GetPlayerCount()) > vetoMax_ ? -1 : 0;
}

int CMultiplayer::AnswerEnumQuery(void** data, DWORD* size) {
  CLockScope hold(postLock_);
  std::memcpy(enumAnswerOut_, enumAnswer_, sizeof enumAnswer_);
  *data = enumAnswerOut_;
  *size = sizeof enumAnswerOut_;
  return 0;
}

void CMultiplayer::RefreshEnumAnswer() {
  if (session_ != nullptr && IsHost()) {
    settings_.playerCount = static_cast<std::uint8_t>(session_->GetServer()->GetPlayerCount());
    MPCopyName(settings_.hostName, sizeof settings_.hostName, players_[0].name);
  }
  const auto bytes = settings_.ToBytes();
  CLockScope hold(postLock_);
  std::memcpy(enumAnswer_, bytes.data(), bytes.size());
}

void CMultiplayer::RunPosted() {
  std::vector<Posted> work;
  {
    CLockScope hold(postLock_);
    work.swap(posted_);
  }
  for (Posted& p : work) {
    switch (p.kind) {
      case Posted::kCreated: OnPlayerCreated(p.value); break;
      case Posted::kDestroyed: OnPlayerDestroyed(p.value); break;
      case Posted::kConnectComplete:
        if (p.value >= 0) players_[localSlot_ & 7].state = 1;
        break;
      case Posted::kSessionEnded:
        networkGame_ = false;
        if (MPHooks().currentScreen() != kScreenSessionLost) MPHooks().setScreen(kScreenSessionLost);
        break;
      case Posted::kHostRemoved:
        if (p.value >= 0 && p.value < static_cast<int>(hostList_.size())) hostList_.erase(hostList_.begin() + p.value);
        break;
      case Posted::kHostFound: {
        if (p.value < 0 || p.value >= 64 || p.data.size() != MPSettings::kSize) break;
        MPSettings found;
        ByteReader in(p.data.data(), p.data.size());
        if (!found.Read(in)) break;
        // Only what the registry loader would accept is kept of it.
        MPSettings entry;
        entry.Defaults();
        entry.ApplyReceived(found);
        // The list follows the transport's host indices; an index skipped
        // (a host that answered with something else) keeps the defaults.
        MPSettings blank;
        blank.Defaults();
        if (static_cast<int>(hostList_.size()) <= p.value) hostList_.resize(p.value + 1, blank);
        hostList_[p.value] = entry;
        break;
      }
    }
  }
}

void CMultiplayer::OnPlayerCreated(int slot) {
  if (!IsHost()) return;
  settings_.playerCount = static_cast<std::uint8_t>(session_->GetServer()->GetPlayerCount());
  if (slot != 0 && settings_.playerCount >= 2) {
    SendPlayerSettings();
    SendPlayerTable();
  }
}

void CMultiplayer::EmptySlot(int slot) {
  MPPlayerRecord& r = players_[slot];
  r.state = 0;
  r.team = MPPlayerRecord::kNoTeam;
  r.spawned = 0;
}

void CMultiplayer::OnPlayerDestroyed(int slot) {
  if (!IsHost() || slot < 0 || slot >= 8) return;
  settings_.playerCount = static_cast<std::uint8_t>(session_->GetServer()->GetPlayerCount());
  SendPlayerSettings();
  const std::string name(players_[slot].name, strnlen(players_[slot].name, sizeof players_[slot].name));
  EmptySlot(slot);
  if (requested_ == MPS_LOBBY || requested_ == MPS_PLAYING_STATE) {
    MPReleasePlayerItems(slot);
    MPHooks().removeSoldier(slot);
    if (requested_ == MPS_PLAYING_STATE) ShowText(kTextPlayerLeft, name.c_str());
  }
  SendPlayerLeft(slot);
  ++playersLeft_;
  SendPlayerTable();
}

void CMultiplayer::ShowText(std::uint32_t id, const char* name) {
  const char* format = MPHooks().getString(id);
  char line[160];
  std::snprintf(line, sizeof line, "%s %s", name != nullptr ? name : "", format != nullptr ? format : "");
  MPHooks().showMessage(line);
}
