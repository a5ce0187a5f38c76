#include "units/base/hlo_scheduler.h"

#include <cmath>
#include <cstdio>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/time/timer.h"
#include "shell/mission/mission.h"
#include "units/base/unit.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/engine.h"
#include "world/environment/env_waypoints.h"
#include "world/objects/chlo_manager.h"

HLOScheduler* g_HLOScheduler = nullptr;

namespace {

constexpr int kSides = 4;
constexpr int kBoidsPerFrame = 5;
constexpr int kCursorKinds[SCHEDULER_CURSOR_COUNT] = {HLO_GRUNT, HLO_VEHICLE, HLO_FEATURE, HLO_MOVER,
                                                      HLO_BUILDING, HLO_WEAPON, HLO_DOOR};
// The single-precision thresholds of the adaptation, compared in double.
constexpr float kLowerBelow = 0.7f;
constexpr float kRaiseAbove = 1.3f;

CUnit* AsUnit(CHLO* object) { return object != nullptr && object->IsUnit() ? static_cast<CUnit*>(object) : nullptr; }

float DistanceSquared(const CVector3& a, const CVector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

int SchedulerCursorKind(int cursor) { return cursor >= 0 && cursor < SCHEDULER_CURSOR_COUNT ? kCursorKinds[cursor] : -1; }

HLOScheduler::HLOScheduler() { ResetCursors(); }

CHLO* HLOScheduler::FirstActive(int side, int hloKind) {
  return g_HLOManager != nullptr ? g_HLOManager->FirstActive(side, hloKind) : nullptr;
}

void HLOScheduler::ResetCursors() {
  for (int k = 0; k < SCHEDULER_CURSOR_COUNT; ++k) {
    cursor[k] = nullptr;
    cursorSide[k] = kSides;
    for (int side = 0; side < kSides; ++side) {
      if (CHLO* first = FirstActive(side, kCursorKinds[k])) {
        cursor[k] = first;
        cursorSide[k] = static_cast<std::uint32_t>(side);
        break;
      }
    }
  }
}

void HLOScheduler::InitFlockCursor() { flockCursor = nullptr; }

// The next object in the list, else the first active object of the kind on
// the following sides (at most four tried).  Wrapping from side 3 to side 0
// ends a soldier sweep.  The object it stood on itself (it is alone), or
// none, leaves the cursor null on side 0.
void HLOScheduler::Advance(int k) {
  CHLO* from = cursor[k];
  if (from == nullptr) return;
  if (from->Next != nullptr) {
    cursor[k] = from->Next;
    return;
  }
  std::uint32_t side = cursorSide[k];
  CHLO* found = nullptr;
  for (int tries = 0; tries < kSides && found == nullptr; ++tries) {
    side = side + 1;
    if (side >= kSides) {
      side = 0;
      if (k == CURSOR_SOLDIER) {
        const std::uint32_t now = UnitGameTime();
        sweepDuration = now - sweepStart;
        sweepStart = now;
      }
    }
    found = FirstActive(static_cast<int>(side), kCursorKinds[k]);
  }
  if (found == nullptr || found == from) {
    cursor[k] = nullptr;
    cursorSide[k] = 0;
    return;
  }
  cursor[k] = found;
  cursorSide[k] = side;
}

void HLOScheduler::OnActivation(CHLO* object) {
  if (object == nullptr) return;
  int k = -1;
  for (int i = 0; i < SCHEDULER_CURSOR_COUNT; ++i)
    if (kCursorKinds[i] == object->Kind) k = i;
  if (k < 0) return;
  if (object->Flags & HLOF_ACTIVE) {
    // About to leave the active list.
    if (cursor[k] == object) Advance(k);
    if (cursor[k] == object) cursor[k] = nullptr;
  } else if (cursor[k] == nullptr) {
    cursor[k] = object;
    cursorSide[k] = object->Side;
  }
}

void HLOScheduler::Update() {
  if (g_GameClock == nullptr || !g_GameClock->IsRunning()) return;
  if (boidCursor == nullptr) boidCursor = FirstActive(0, HLO_BOID);
  if (CurrentMissionResult() != MISSION_RUNNING) return;
  if (g_HLOManager == nullptr) return;
  // The local side's soldiers step every frame.
  for (CHLO* o = FirstActive(g_HLOLocalSide, HLO_GRUNT); o != nullptr;) {
    CHLO* next = o->Next;
    if (CUnit* u = AsUnit(o)) u->EveryFrameStep();
    o = next;
  }
  ShiftPendingFlags(false);
  SoldierBatch();
  Adapt();
  VehicleBatch();
  BoidBatch();
  for (int k = CURSOR_FEATURE; k <= CURSOR_DOOR; ++k) ThinkBatch(k);
  ShiftPendingFlags(true);
  CountEnemiesNearPlayer();
}

void HLOScheduler::SoldierBatch() {
  CHLO* first = cursor[CURSOR_SOLDIER];
  if (first == nullptr) {
    // A cursor that became null is put back on the batch's first soldier: the
    // first active one.
    for (int side = 0; side < kSides && first == nullptr; ++side) {
      first = FirstActive(side, HLO_GRUNT);
      if (first != nullptr) cursorSide[CURSOR_SOLDIER] = static_cast<std::uint32_t>(side);
    }
    cursor[CURSOR_SOLDIER] = first;
  }
  if (first == nullptr) return;
  std::uint32_t count = 0;
  while (CHLO* o = cursor[CURSOR_SOLDIER]) {
    if (CUnit* u = AsUnit(o)) {
      u->PreThink();
      if (!u->SkipsThinking()) {
        ++count;
        if (u->health > 0.0f) u->OrderStep();
        if ((u->unitFlags & UNITF_AI_ON) && u->health > 0.0f) {
          if (u->TargetSearchDue()) u->TargetSearch();
          u->AIThink();
        }
      }
    }
    Advance(CURSOR_SOLDIER);
    CHLO* now = cursor[CURSOR_SOLDIER];
    if (count >= soldiersPerFrame) break;
    if (now == nullptr) {
      cursor[CURSOR_SOLDIER] = first;
      break;
    }
    if (now == first || now == o) break;
  }
}

void HLOScheduler::Adapt() {
  const std::uint32_t now = UnitGameTime();
  if (now <= nextAdaptTime) return;
  nextAdaptTime = now + 1000;
  const double ratio = static_cast<double>(sweepDuration) / static_cast<double>(targetSweepDuration);
  if (ratio < static_cast<double>(kLowerBelow)) {
    if (soldiersPerFrame > 1) --soldiersPerFrame;
  } else if (ratio > static_cast<double>(kRaiseAbove)) {
    if (soldiersPerFrame < 2) ++soldiersPerFrame;
  }
}

// Vehicles: an inactive vehicle under the cursor is stepped past (at most one
// lap of the vehicles) rather than ending the batch, so that the vehicles'
// thinking never stalls on one.
void HLOScheduler::VehicleBatch() {
  CHLO* first = cursor[CURSOR_VEHICLE];
  if (first == nullptr) return;
  std::uint32_t count = 0;
  int steps = 0;
  constexpr int kMostSteps = 4096;  // a lap never needs more
  while (CHLO* o = cursor[CURSOR_VEHICLE]) {
    if (++steps > kMostSteps) break;
    if ((o->Flags & HLOF_ACTIVE) == 0) {
      Advance(CURSOR_VEHICLE);
      if (cursor[CURSOR_VEHICLE] == first || cursor[CURSOR_VEHICLE] == o) break;
      continue;
    }
    if (CUnit* u = AsUnit(o); u != nullptr && u->health > 0.0f) {
      ++count;
      u->Think();
      if (!u->IsBusy() && !UnitNetworkGame()) {
        if (u->IsAirVehicle() && u->searchBlocked == 0 && (u->unitFlags & UNITF_TARGET_SEARCH)) u->TargetSearch();
        u->VehicleAIStep();
      }
    }
    Advance(CURSOR_VEHICLE);
    CHLO* now = cursor[CURSOR_VEHICLE];
    if (count >= vehiclesPerFrame) break;
    if (now == nullptr) {
      cursor[CURSOR_VEHICLE] = first;
      break;
    }
    if (now == first || now == o) break;
  }
}

// Boids: up to five active boid objects from the boid cursor think.  (The
// flocks and the boids' flying step come with the birds; until then a boid
// thinks through its Think, which does nothing.)
void HLOScheduler::BoidBatch() {
  CHLO* start = boidCursor;
  if (start == nullptr) return;
  for (int n = 0; n < kBoidsPerFrame && boidCursor != nullptr; ++n) {
    boidCursor->Think();
    boidCursor = boidCursor->Next != nullptr ? boidCursor->Next : FirstActive(0, HLO_BOID);
    if (boidCursor == start) break;
  }
}

void HLOScheduler::ThinkBatch(int k) {
  CHLO* first = cursor[k];
  if (first == nullptr) return;
  const std::uint32_t most = perFrame[k - CURSOR_FEATURE];
  for (std::uint32_t n = 0; n < most; ++n) {
    CHLO* o = cursor[k];
    if (o == nullptr) break;
    o->Think();
    Advance(k);
    // A cursor that became null (its object is alone) is put back on the
    // batch's first object, as for soldiers: a level's only door must not
    // think once and then never again.
    if (cursor[k] == nullptr) {
      cursor[k] = first;
      break;
    }
    if (cursor[k] == first || cursor[k] == o) break;
  }
}

void HLOScheduler::ShiftPendingFlags(bool second) {
  for (int side = 0; side < kSides; ++side) {
    for (int kind : {HLO_GRUNT, HLO_VEHICLE}) {
      for (CHLO* o = FirstActive(side, kind); o != nullptr; o = o->Next) {
        CUnit* u = AsUnit(o);
        if (u == nullptr) continue;
        if (second) {
          u->stateFlagBDone = u->stateFlagB;
          u->stateFlagB = 0;
        } else {
          u->stateFlagADone = u->stateFlagA;
          u->stateFlagA = 0;
        }
      }
    }
  }
}

void HLOScheduler::CountEnemiesNearPlayer() {
  enemiesNearPlayer = 0;
  CLocalPlayer* player = g_LocalPlayers.Get(0);
  CHLO* soldier = player != nullptr ? static_cast<CHLO*>(player->Soldier) : nullptr;
  if (soldier == nullptr) return;
  const CVector3 at = soldier->GetPosition();
  const float r2 = nearRadius * nearRadius;
  for (int side = 0; side < kSides; ++side) {
    if (side == soldier->Side) continue;
    for (CHLO* o = FirstActive(side, HLO_GRUNT); o != nullptr; o = o->Next)
      if (DistanceSquared(o->GetPosition(), at) <= r2) ++enemiesNearPlayer;
  }
}

namespace {

void SetAIFlag(bool enemies, int on) {
  if (g_HLOManager == nullptr) return;
  for (int side = 0; side < g_HLOManager->Sides(); ++side) {
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind) {
      for (CHLO* list : {g_HLOManager->FirstActive(side, kind), g_HLOManager->FirstInactive(side, kind)}) {
        for (CHLO* o = list; o != nullptr; o = o->Next) {
          CUnit* u = AsUnit(o);
          if (u == nullptr || (enemies ? !u->IsEnemy() : !u->IsFriendly())) continue;
          if (on == 1)
            u->unitFlags |= UNITF_AI_ON;
          else
            u->unitFlags &= ~UNITF_AI_ON;
        }
      }
    }
  }
}

}  // namespace

void HLOScheduler::SetEnemyAI(int on) {
  enemyAI = static_cast<std::uint32_t>(on);
  SetAIFlag(true, on);
}

void HLOScheduler::SetFriendlyAI(int on) {
  friendlyAI = static_cast<std::uint32_t>(on);
  SetAIFlag(false, on);
}

void HLOScheduler::DrawViewCones(const SchedulerOverlaySink& sink) const {
  if (g_HLOManager == nullptr || sink.Cone == nullptr) return;
  for (int side = 0; side < kSides; ++side) {
    const bool own = side == g_HLOLocalSide;
    if ((own && debugOwnSide != 1) || (!own && debugOtherSides != 1)) continue;
    for (CHLO* o = FirstActive(side, HLO_GRUNT); o != nullptr; o = o->Next) {
      CUnit* u = AsUnit(o);
      if (u == nullptr || u->health <= 0.0f) continue;
      SchedulerViewCone cone;
      if (o->Kind != HLO_GRUNT || !u->GetJointPoint(19, &cone.Apex)) {
        cone.Apex = o->GetPosition();
        cone.Apex.y += 100.0f;
      }
      u->GetFacing(&cone.Facing);
      cone.Length = u->visionValues[2];
      cone.Angle = u->Can(1) ? 90.0f : u->viewAngle;
      // Red: a target the combat code sees; yellow: a target it does not; green: none.
      cone.Colour = u->currentTarget == nullptr ? 0x3300FF00u : 0x33FFFF00u;
      sink.Cone(cone, sink.Context);
    }
  }
}

void HLOScheduler::DrawWaypointLabels(const SchedulerOverlaySink& sink) const {
  if (g_EnvWaypoints == nullptr || sink.Text == nullptr || sink.Project == nullptr) return;
  const CVector3 camera = sink.CameraPosition != nullptr ? sink.CameraPosition(sink.Context) : CVector3{};
  for (int i = 0; i < g_EnvWaypoints->Count(); ++i) {
    const EnvWaypoint* w = g_EnvWaypoints->GetWaypoint(i);
    if (w == nullptr) continue;
    CVector3 p = g_EnvWaypoints->GetWaypointPosition(i);
    p.y += 200.0f;
    float x = 0.0f, y = 0.0f;
    if (!sink.Project(p, &x, &y, sink.Context) || DistanceSquared(p, camera) > 8000.0f * 8000.0f) continue;
    char text[32];
    std::snprintf(text, sizeof text, "W%d/%d", i, static_cast<int>(w->tag));
    sink.Text(text, x, y, 0xFFFFFFFFu, sink.Context);
  }
}
