#include "mp_fixture.h"

#include <chrono>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>

#include "foundation/system/registry_key.h"
#include "net/mp/mp_callbacks.h"
#include "net/mp/replication_lists.h"
#include "net/session/net_callback_table.h"
#include "net/session/net_session.h"
#include "platform/dplay8/com.h"
#include "platform/dplay8/dplay8_counters.h"
#include "platform/win32/clocks.h"
#include "platform/win32/registry.h"

int g_hostVehicle = -1;
bool g_firePressed = false;

namespace {

std::map<CMultiplayer*, GameRecord> g_records;
std::atomic<LONGLONG> g_fakeNs{1000000000LL};
LONGLONG FakeNow(void*) { return g_fakeNs.load(); }

GameRecord& Current() { return RecordOf(MPCurrent()); }

void SetScreenRec(int id) { Current().screens.push_back(id); }
int CurrentScreenRec() {
  const auto& s = Current().screens;
  return s.empty() ? 0 : s.back();
}
void StartLevelChangeRec(const char* name) {
  Current().levelChanges.push_back(name);
  Current().levelChangePending = true;
}
bool LevelChangePendingRec() { return Current().levelChangePending; }
std::int32_t RaiseEventRec(std::uint32_t code, std::int32_t* block, int) {
  Current().events.push_back(code);
  Current().eventWords.push_back(block[0]);
  if (code == 81) {
    const float point[3] = {100, 0, -50};
    std::memcpy(block, point, sizeof point);
    block[3] = 1;
  }
  return 0;
}
const char* GetStringRec(std::uint32_t id) {
  static std::string text;
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "<%08X>", id);
  text = buffer;
  return text.c_str();
}
void ShowMessageRec(const char* text) { Current().messages.push_back(text); }
void ShowChatRec(const char* text) { Current().chats.push_back(text); }
bool LoadBankRec(const char*) { return true; }
void PrepareItemPoolRec(const float*) {}
// Eight stand-in objects in every replication list, the same on every layer.
char g_listObjects[CReplicationLists::kListCount][8];
void BuildListsRec(CReplicationLists& lists) {
  for (int list = 0; list < CReplicationLists::kListCount; ++list)
    for (char& object : g_listObjects[list]) lists.Add(list, &object);
}
int SpawnSoldierRec(int slot, int, int, bool) { return 100 + slot; }
bool SoldierExistsRec(int slot) { return MPCurrent()->players_[slot].state != 0; }
int SoldierIdRec(int slot) { return 100 + slot; }
void NothingInt(int) {}
void Nothing() {}
void RespawnRec(int slot, int, int, const std::uint16_t*, bool) { Current().respawned.push_back(slot); }
int SoldierVehicleRec(int slot) { return slot == 0 ? g_hostVehicle : -1; }
void PutIntoVehicleRec(int slot, int vehicle) { Current().vehicles.push_back({slot, vehicle}); }
void AddStrikeRec(int, const float*) {}
void LeaveObjectRec(int, int) {}
bool UnitMessageRec(std::uint32_t, int, NetMessageRecord*, CBitStream*) { return false; }
void SendSoldierStatesRec() { ++Current().soldierStateSends; }
void SendLocalInputRec() { ++Current().inputSends; }
bool PlayerInputRec(int, CBitStream*) { return false; }
bool ObjectDestroyedRec(int, int) { return false; }
bool FireActionRec() { return g_firePressed; }
void WatchPlayerRec(int slot) { Current().watched.push_back(slot); }
void DestroyObjectRec(int, int) {}

}  // namespace

GameRecord& RecordOf(CMultiplayer* layer) { return g_records[layer]; }
void ClearRecords() { g_records.clear(); }

void InstallRecordingHooks() {
  MPGameHooks& h = MPHooks();
  h.setScreen = SetScreenRec;
  h.currentScreen = CurrentScreenRec;
  h.startLevelChange = StartLevelChangeRec;
  h.levelChangePending = LevelChangePendingRec;
  h.raiseEvent = RaiseEventRec;
  h.getString = GetStringRec;
  h.showMessage = ShowMessageRec;
  h.showChat = ShowChatRec;
  h.loadBank = LoadBankRec;
  h.prepareItemPool = PrepareItemPoolRec;
  h.buildReplicationLists = BuildListsRec;
  h.objectDestroyed = ObjectDestroyedRec;
  h.destroyObject = DestroyObjectRec;
  h.resetList2Objects = Nothing;
  h.resetRoundData = Nothing;
  h.spawnSoldier = SpawnSoldierRec;
  h.soldierExists = SoldierExistsRec;
  h.soldierId = SoldierIdRec;
  h.activateSoldier = NothingInt;
  h.removeSoldier = NothingInt;
  h.resetSoldiers = Nothing;
  h.resetMessageTerminal = Nothing;
  h.respawnSoldier = RespawnRec;
  h.soldierVehicle = SoldierVehicleRec;
  h.putIntoVehicle = PutIntoVehicleRec;
  h.addStrike = AddStrikeRec;
  h.leaveObject = LeaveObjectRec;
  h.bindLocalSoldier = Nothing;
  h.fireAction = FireActionRec;
  h.watchPlayer = WatchPlayerRec;
  h.unitMessage = UnitMessageRec;
  h.playerInput = PlayerInputRec;
  h.sendSoldierStates = SendSoldierStatesRec;
  h.sendLocalInput = SendLocalInputRec;
}

void UseFakeClock() { SetFakeClock(FakeNow, nullptr); }
void AdvanceClock(std::uint32_t ms) { g_fakeNs += static_cast<LONGLONG>(ms) * 1000000; }
std::uint32_t ClockNow() { return timeGetTime(); }
void UseRealClock() { SetFakeClock(nullptr, nullptr); }

MPTestSession::MPTestSession() {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  ClearRecords();
  InstallRecordingHooks();
  UseFakeClock();
  DPlay8ClearDrops();
  registryFolder = (std::filesystem::temp_directory_path() /
                    ("halberd_mp_registry_" + std::to_string(reinterpret_cast<std::uintptr_t>(this))))
                       .string();
  std::filesystem::create_directories(registryFolder);
  SetRegistryFolder(registryFolder.c_str());
  port = DPlay8FindFreePort();
  CRegistryKey key;
  key.Create(HKEY_LOCAL_MACHINE, kMultiplayerRegistryKey);
  key.SetString("HostPort", std::to_string(port).c_str());
}

MPTestSession::~MPTestSession() {
  for (auto& c : clients) c->Stop();
  clients.clear();
  host.Stop();
  ClearNetCallbacks();
  MPResetHooks();
  UseRealClock();
  SetRegistryFolder(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(registryFolder, ignored);
  g_hostVehicle = -1;
  g_firePressed = false;
  CoUninitialize();
}

bool MPTestSession::StartHost() {
  host.role_ = 1;
  if (host.Start(&kMPTestApplication, port) != 0) return false;
  return host.StartSession(0) == 0;
}

CMultiplayer* MPTestSession::NewClient() {
  clients.push_back(std::make_unique<CMultiplayer>());
  clients.back()->role_ = 0;
  return clients.back().get();
}

int MPTestSession::Join(CMultiplayer* client) {
  if (client->Start(&kMPTestApplication, port) != 0) return -10;
  const std::string text = "127.0.0.1:" + std::to_string(port);
  {
    CMultiplayer::Scope scope(client);
    if (client->EnumHosts(text.c_str(), 8) != 0) return -11;
  }
  if (!RunUntil([client] { return !client->hostList_.empty(); })) return -12;
  client->StopEnumHosts();
  CMultiplayer::Scope scope(client);
  return client->StartSession(0);
}

void MPTestSession::Frame(std::uint32_t ms) {
  const bool roundWasStarted = host.roundStartSent_;
  host.Update();
  for (auto& c : clients) c->Update();
  host.PostFrame();
  for (auto& c : clients) c->PostFrame();
  if (host.roundStartSent_ && !roundWasStarted) roundStartedAt = ClockNow();
  AdvanceClock(ms);
}

bool MPTestSession::RunUntil(const std::function<bool()>& done, int frames) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (int i = 0; i < frames; ++i) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    Frame();
    // The transport's threads deliver in real time.
    std::this_thread::yield();
  }
  return done();
}

bool MPTestSession::ReachRound() {
  // Everyone joined and declared ready: the host asks for the level.
  if (!RunUntil([this] {
        for (auto& c : clients)
          if (!c->welcomed_) return false;
        return true;
      }))
    return false;
  for (auto& c : clients) {
    CMultiplayer::Scope scope(c.get());
    c->SetPlayerState(2);
  }
  if (!RunUntil([this] {
        for (auto& c : clients)
          if (host.players_[c->localSlot_].state != 2) return false;
        return true;
      }))
    return false;
  {
    CMultiplayer::Scope scope(&host);
    host.SendSessionState(MPS_LOAD_LEVEL, 3);
  }
  std::vector<CMultiplayer*> all{&host};
  for (auto& c : clients) all.push_back(c.get());
  if (!RunUntil([&all] {
        for (CMultiplayer* m : all)
          if (m->GetSessionState() != MPS_LOBBY) return false;
        return true;
      }))
    return false;
  // The shell loads the level and starts the multiplayer level.
  for (CMultiplayer* m : all) {
    CMultiplayer::Scope scope(m);
    RecordOf(m).levelChangePending = false;
    m->StartLevel();
  }
  // Every client has the world state, and the host knows them ready.
  return RunUntil([&all, this] {
    for (CMultiplayer* m : all)
      if (m->GetSessionState() != MPS_PLAYING_STATE) return false;
    for (auto& c : clients)
      if (c->worldStatesApplied_ == 0 || !c->IsNetworkGame()) return false;
    return host.IsNetworkGame();
  });
}
