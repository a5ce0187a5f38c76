#include "net/mp/mp_game_hooks.h"

#include "foundation/system/not_built_yet.h"

namespace {

void SetScreenDefault(int) { NotBuiltYet("multiplayer: screens"); }
int CurrentScreenDefault() { return 0; }
void StartLevelChangeDefault(const char*) { NotBuiltYet("multiplayer: level change"); }
bool LevelChangePendingDefault() { return false; }
bool WorldRunningDefault() { return true; }
std::int32_t RaiseEventDefault(std::uint32_t, std::int32_t*, int) { return 0; }
std::uint32_t QueryModeDefault() { return 0; }
const char* GetStringDefault(std::uint32_t) { return ""; }
void ShowMessageDefault(const char*) { NotBuiltYet("multiplayer: message area"); }
void ShowChatDefault(const char*) { NotBuiltYet("multiplayer: chat area"); }
bool LoadBankDefault(const char*) {
  NotBuiltYet("multiplayer: sound banks");
  return false;
}
void PrepareItemPoolDefault(const float*) { NotBuiltYet("multiplayer: item pool (units)"); }
void BuildListsDefault(CReplicationLists&) { NotBuiltYet("multiplayer: replication lists (world objects)"); }
bool ObjectDestroyedDefault(int, int) { return false; }
void DestroyObjectDefault(int, int) { NotBuiltYet("multiplayer: destroying replicated objects"); }
void ResetList2Default() { NotBuiltYet("multiplayer: resetting list-2 objects"); }
void ResetRoundDataDefault() { NotBuiltYet("multiplayer: the world's round data"); }
int SpawnSoldierDefault(int, int, int, bool) {
  NotBuiltYet("multiplayer: soldiers (units)");
  return 0;
}
bool SoldierExistsDefault(int) { return false; }
int SoldierIdDefault(int) { return -1; }
void ActivateSoldierDefault(int) { NotBuiltYet("multiplayer: soldiers (units)"); }
void RemoveSoldierDefault(int) { NotBuiltYet("multiplayer: soldiers (units)"); }
void ResetSoldiersDefault() { NotBuiltYet("multiplayer: soldiers (units)"); }
void ResetTerminalDefault() { NotBuiltYet("multiplayer: message terminal reset"); }
void RespawnSoldierDefault(int, int, int, const std::uint16_t*, bool) {
  NotBuiltYet("multiplayer: SetMPCharacter (units)");
}
int SoldierVehicleDefault(int) { return -1; }
void PutIntoVehicleDefault(int, int) { NotBuiltYet("multiplayer: vehicles (units)"); }
void AddStrikeDefault(int, const float*) { NotBuiltYet("multiplayer: strikes (units)"); }
void LeaveObjectDefault(int, int) { NotBuiltYet("multiplayer: leaving mounted objects (units)"); }
void BindLocalSoldierDefault() { NotBuiltYet("multiplayer: binding the local soldier to camera and HUD (units)"); }
bool FireActionDefault() { return false; }
void WatchPlayerDefault(int) { NotBuiltYet("multiplayer: spectator camera (units)"); }
bool UnitMessageDefault(std::uint32_t, int, NetMessageRecord*, CBitStream*) {
  NotBuiltYet("multiplayer: soldier, door and vehicle messages (units)");
  return false;
}
bool PlayerInputDefault(int, CBitStream*) {
  NotBuiltYet("multiplayer: player input message");
  return false;
}
void SendSoldierStatesDefault() { NotBuiltYet("multiplayer: the host's soldier states (units)"); }
void SendLocalInputDefault() { NotBuiltYet("multiplayer: player input"); }

MPGameHooks Defaults() {
  MPGameHooks h{};
  h.setScreen = SetScreenDefault;
  h.currentScreen = CurrentScreenDefault;
  h.startLevelChange = StartLevelChangeDefault;
  h.levelChangePending = LevelChangePendingDefault;
  h.worldRunning = WorldRunningDefault;
  h.raiseEvent = RaiseEventDefault;
  h.queryMode = QueryModeDefault;
  h.getString = GetStringDefault;
  h.showMessage = ShowMessageDefault;
  h.showChat = ShowChatDefault;
  h.loadBank = LoadBankDefault;
  h.prepareItemPool = PrepareItemPoolDefault;
  h.buildReplicationLists = BuildListsDefault;
  h.objectDestroyed = ObjectDestroyedDefault;
  h.destroyObject = DestroyObjectDefault;
  h.resetList2Objects = ResetList2Default;
  h.resetRoundData = ResetRoundDataDefault;
  h.spawnSoldier = SpawnSoldierDefault;
  h.soldierExists = SoldierExistsDefault;
  h.soldierId = SoldierIdDefault;
  h.activateSoldier = ActivateSoldierDefault;
  h.removeSoldier = RemoveSoldierDefault;
  h.resetSoldiers = ResetSoldiersDefault;
  h.resetMessageTerminal = ResetTerminalDefault;
  h.respawnSoldier = RespawnSoldierDefault;
  h.soldierVehicle = SoldierVehicleDefault;
  h.putIntoVehicle = PutIntoVehicleDefault;
  h.addStrike = AddStrikeDefault;
  h.leaveObject = LeaveObjectDefault;
  h.bindLocalSoldier = BindLocalSoldierDefault;
  h.fireAction = FireActionDefault;
  h.watchPlayer = WatchPlayerDefault;
  h.unitMessage = UnitMessageDefault;
  h.playerInput = PlayerInputDefault;
  h.sendSoldierStates = SendSoldierStatesDefault;
  h.sendLocalInput = SendLocalInputDefault;
  return h;
}

MPGameHooks g_hooks = Defaults();

}  // namespace

MPGameHooks& MPHooks() { return g_hooks; }

void MPResetHooks() { g_hooks = Defaults(); }
