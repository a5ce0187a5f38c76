#include "mission_setup.h"

#include "animation_aliases.h"
#include "cutscene_chains.h"
#include "mission_globals.h"

namespace mission1 {

namespace {

// A spawn point: at waypoint (anchor & 0x7FFF) when bit 15 is set, else at
// the start position of the object anchor; a = size, b = group, count =
// units it may still spawn.
struct SpawnRow {
  int32_t anchor;
  int32_t a;
  int32_t b;
  uint32_t count;
};
constexpr uint32_t kAnchorIsWaypoint = 0x8000;
constexpr SpawnRow kSpawnRows[] = {
    {23, 1, 0, 1}, {24, 1, 0, 1}, {25, 1, 0, 3},    {86, 1, 0, 3}, {26, 1, 0, 3},
    {165, 1, 0, 3}, {87, 1, 0, 1}, {109, 9999, 0, 0}, {82, 1, 0, 2},
};
constexpr int kSpawnPointCount = sizeof(kSpawnRows) / sizeof(kSpawnRows[0]);

struct ObjectiveRow {
  uint32_t text;
  ScriptVec3 marker;
  uint32_t target;
  int handle;
};
constexpr ObjectiveRow kObjectives[] = {
    {0x969DA598u, {-6583.79f, 999.54f, 59189.6f}, 0x969DE020u, kObjectiveFreePrisoner},
    {0x969DA52Eu, {-22783.5f, 13103.6f, 53614.5f}, 0x969D56FBu, kObjectiveItems},
    {0x969DA5F5u, {-22590.6f, 1012.5f, 48816.9f}, 0x969D8D96u, kObjectiveEscape},
    {0x969DA575u, {-12660.3f, 1653.59f, 22171.2f}, 0x9DA575E8u, kObjectiveHidden},
};

struct DoorLink {
  int32_t door, markerA, markerB, both;
};
constexpr DoorLink kDoorLinks[] = {{65, 876, 878, 1}, {44, 83, 82, 1}, {46, 34, 33, 1}, {36, 123, 124, 1}};
constexpr int32_t kDoorsWithoutFlag8[] = {46, 45, 38, 44, 36, 37};

// The four objectives, each marked shown when the game creates it (a new
// objective is listed, not completed).
void CreateObjectives() {
  const ScriptFunctionTable& s = *g_Script;
  for (const ObjectiveRow& row : kObjectives) {
    const int32_t id = s.ObjectiveAdd(row.text);
    g_ObjectiveHandles[row.handle] = id;
    if (id < 0) continue;
    s.ObjectiveSetShown(id, 1);
    s.ObjectiveAddMarkerPosition(id, &row.marker);
    s.ObjectiveAddTarget(id, row.target);
  }
  s.ObjectiveSetShown(g_ObjectiveHandles[kObjectiveHidden], 0);
}

void SetUpDoors() {
  const ScriptFunctionTable& s = *g_Script;
  for (int32_t door : kDoorsWithoutFlag8) s.DoorSetFlags(door, 8, 0);
  s.DoorSetFlags(65, 24, 0);
  for (const DoorLink& l : kDoorLinks) s.DoorAddRouteLink(l.door, l.markerA, l.markerB, l.both);
}

}  // namespace

int SpawnUnit(int n) { return n >= 0 && n < kSpawnPointCount ? kSpawnRows[n].anchor : -1; }

int SpawnPointOfUnit(int unit) {
  for (int n = 0; n < kSpawnPointCount; ++n)
    if (kSpawnRows[n].anchor == unit) return n;
  return -1;
}

void CreateSpawnPoints() {
  const ScriptFunctionTable& s = *g_Script;
  s.SpawnPointsCreate(kSpawnPointCount, 0);
  for (int n = 0; n < kSpawnPointCount; ++n) {
    const SpawnRow& row = kSpawnRows[n];
    ScriptVec3 p = {0, 0, 0};
    if (row.anchor & kAnchorIsWaypoint)
      s.WaypointGetPosition(&p, row.anchor & 0x7FFF);
    else
      s.ObjectGetHomePosition(&p, row.anchor);
    s.SpawnPointSet(n, p.x, p.y, p.z, row.a, row.b, row.count);
  }
}

void MissionStartUpStep() {
  const ScriptFunctionTable& s = *g_Script;
  s.ObjectQueryAnimChannels(31);
  s.UnitSetScriptValue(0, 169);
  s.UnitSetScriptValue(31, 170);
  CreateObjectives();
  s.ScriptNop286();
  SetUpDoors();
  s.KeyMapBind(70, 37);
  s.UnitsSetStatusBit21(0);
  s.UnitSetStatusBit21(113, 1);
  s.UnitSetStatusBit21(112, 1);
}

void MissionSetup() {
  const ScriptFunctionTable& s = *g_Script;
  RegisterAnimationAliases(kAliasesArmed);
  RegisterAnimationAliases(kAliasesGoat);
  RegisterAnimationAliases(kAliasesRelaxed);
  RegisterAnimationAliases(kAliasesWave);
  RegisterAnimationAliases(kAliasesExtra);
  g_DoorAnimation = s.AnimationFind("Ural375_closed_DoorLeft.prs");
  s.LocaleLoadLayer("M01Strs.loc");

  s.MissionSetId(0);
  s.MissionSetInfo(0xA90BE3A7u, 0xD01FBB72u);
  s.MissionSetEndValue(98);
  s.MissionSetSlot(0xF14BF290u, 0);
  s.MissionSetSlot(0xF14BDF2Bu, 1);
  s.MissionSetSlot(0x0E86A524u, 2);
  s.MissionSetSlot(0x4BD2B09Bu, 3);
  s.LoadEnvironment("Mission1.env");

  s.EnvironmentGetValue();
  RegisterAnimationAliases(kAliasesLadder);

  s.SpriteSheetLoad("GWMission1.img");
  s.ObjectiveMenuSetObjective(0);
  const ScriptVec3 mapCornerA = {8482.3f, 0.0f, 70181.8f};
  const ScriptVec3 mapCornerB = {-45802.4f, 0.0f, 15471.6f};
  s.ObjectiveMenuSetView(&mapCornerA, &mapCornerB);
  g_MissionBank = s.SoundLoadBank("Mission1.sbk");

  // The prisoner.
  s.ObjectSetSkinTexture(31, "AlliedPOW.bmp", 1);
  s.GruntDropAllItems(31);
  s.ObjectSetStatusBit9(31, 0);

  g_ResumeWord = static_cast<uint32_t>(s.GameGetResumeFlag());
  g_FirstFrameDone = g_ResumeWord != 0 ? 1 : 0;
  ResetMissionState(&g_State);
  g_RouteLinkState = 1;
  for (int32_t& h : g_ObjectiveHandles) h = -1;
  for (ScriptSampleHandle& h : g_OpeningSpeech) h = 0;
  ResetCutsceneChains();

  s.BoidsCreate(11, 15);
  s.BoidsCreate(29, 15);
  s.BoidsCreate(30, 15);
  s.ObjectShow(33);
  s.ObjectShow(245);
  s.ObjectShow(52);

  if (s.MissionIsResumed() != 0) {
    g_GameOrMovieStatus = kStatusGame;
    return;
  }
  g_GameOrMovieStatus = kStatusIntro;
  s.SoundSuppressEntry(1);
  CutsceneSetUp();
  OpeningSetUp();
  s.ScreenFadeIn(0.0f, 0, 0, 0);
}

}  // namespace mission1
