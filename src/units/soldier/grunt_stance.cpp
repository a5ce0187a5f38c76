// The soldier's stance: the three setters (game code and scripts, network
// and respawn, player control) with the head-room check, and the AI's
// stance think with its friendly and enemy rules.
#include "foundation/maths/random_tables.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/space/world_queries.h"

namespace {

constexpr float kHeadRoom = 150.0f;
// The sphere that tests the head room: a body's width, from the hips.
constexpr float kHeadRoomRadius = 30.0f;
constexpr float kHeadRoomFrom = 40.0f;
constexpr float kNearDestination = 350.0f;
constexpr float kLeaderNear = 1000.0f;
constexpr float kCloseTarget = 800.0f;

// The default check: a sphere from the hips swept 150 up through the world.
bool DefaultHeadRoomProbe(CHLOGrunt* soldier, int mode) {
  (void)mode;
  if (g_Environment == nullptr) return false;
  CSphere sphere;
  const CVector3 at = soldier->GetPosition();
  sphere.Set({at.x, at.y + kHeadRoomFrom, at.z}, kHeadRoomRadius);
  WorldHit hit;
  return g_Environment->SweepSphere(soldier->GroundRoot, sphere, CVector3{0.0f, kHeadRoom, 0.0f}, &hit, 0) == 1;
}

HeadRoomProbe g_Probe = &DefaultHeadRoomProbe;

float DistanceSquared(const CVector3& a, const CVector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

bool Low(int stance) { return stance == STANCE_CRAWL || stance == STANCE_KNEEL; }
bool Standing(int stance) { return stance == STANCE_WALK || stance == STANCE_RUN; }

}  // namespace

void SetHeadRoomProbe(HeadRoomProbe probe) { g_Probe = probe != nullptr ? probe : &DefaultHeadRoomProbe; }

// The soldier's own visual leaves collisions while the probe runs.
bool CHLOGrunt::HeadRoomBlocked(int mode) {
  const bool was = Instance != nullptr ? Instance->SetCollidable(false, true) : false;
  const bool blocked = g_Probe(this, mode);
  if (Instance != nullptr) Instance->SetCollidable(was, true);
  return blocked;
}

int CHLOGrunt::SetStance(int newStance, int probe) {
  if (newStance == stance) return 1;
  if (newStance == STANCE_CRAWL && CrawlAllowed() == 0) return 0;
  if (IsFriendly() && Low(stance) && Standing(newStance) && probe == 1 && HeadRoomBlocked(1)) return 0;
  stance = newStance;
  stanceChanged = 1;
  stanceChangeTime = UnitGameTime();
  stanceDelay = static_cast<std::uint32_t>(RandomFloatRange(0.2f, 0.8f) * 1000.0f);
  return 1;
}

int CHLOGrunt::ApplyStance(int newStance, int probe) {
  if (newStance == stance) return 1;
  if (IsFriendly()) {
    if (!Low(stance)) {
      stance = newStance;
      stanceChanged = 1;
      return 1;
    }
    if (Standing(newStance) && probe == 1 && HeadRoomBlocked(1)) return 0;
  }
  stance = newStance;
  stanceChanged = 1;
  return 1;
}

int CHLOGrunt::RequestStance(int newStance, int probe) {
  if (newStance == stance) return 1;
  if (newStance == STANCE_CRAWL && CrawlAllowed() == 0) return 0;
  const bool rising = newStance == STANCE_KNEEL || Standing(newStance) || newStance == STANCE_KNEEL_RUN;
  if (Low(stance) && rising && probe == 1 && HeadRoomBlocked(stance == STANCE_KNEEL ? 1 : 0)) return 0;
  stance = newStance;
  stanceChangeTime = UnitGameTime();
  return 1;
}

namespace {

// The unit has a destination, does not flee, and lies within 350 of it.
bool NearDestination(CHLOGrunt* s) {
  return s->destinationMode != 0 && s->order != LEGGING_IT &&
         DistanceSquared(s->GetPosition(), s->destination) < kNearDestination * kNearDestination;
}

bool Routing(CHLOGrunt* s) {
  return s->action == ACTION_FOLLOW_ROUTE || s->action == ACTION_ROUTE_SCANNING ||
         s->action == ACTION_WAITING_FOR_ROUTER;
}

// Run at a soldier of which few joints are seen (ten or fewer of joints
// 1-19), else the soldier's own combat stance.
int CombatStance(CHLOGrunt* s) {
  if (s->currentTarget != nullptr && s->currentTarget->Kind == HLO_GRUNT) {
    int seen = 0;
    for (int j = 1; j <= 19; ++j) seen += (s->visibleJoints >> j) & 1u;
    if (static_cast<float>(seen) * 0.05f <= 0.5f) return STANCE_RUN;
  }
  return s->combatStance;
}

int FriendlyRule(CHLOGrunt* s) {
  const std::uint32_t now = UnitGameTime();
  CHLOGrunt* leader = static_cast<CHLOGrunt*>(s->GetLeader());
  if (s->order == FOLLOW_LEADER && leader != nullptr) {
    if (DistanceSquared(s->GetPosition(), leader->GetPosition()) < kLeaderNear * kLeaderNear) {
      if (now <= leader->stanceChangeTime + s->stanceDelay) return s->stance;
      if (s->destinationMode != 0 && leader->stance == STANCE_RUN)
        return NearDestination(s) ? STANCE_WALK : STANCE_RUN;
      return leader->vehicle != nullptr ? STANCE_RUN : leader->stance;
    }
    if (!Routing(s)) return s->stance;
    return NearDestination(s) ? STANCE_WALK : STANCE_RUN;
  }
  if (!Routing(s)) return s->baseStance;
  return NearDestination(s) ? STANCE_WALK : STANCE_RUN;
}

int EnemyRule(CHLOGrunt* s) {
  switch (s->order) {
    case FOLLOW_WAYPOINTS: return s->baseStance;
    case HOLD_POSITION:
    case HOLD_POSITION_AND_LOOK_FOR_TARGETS:
    case TURN_ON_SPOT_TO_BASE_ROTATION: return STANCE_RUN;
    case FOLLOW_ROUTE:
    case RETURN_TO_WAYPOINTS:
      if (s->action == ACTION_FOLLOW_ROUTE) return NearDestination(s) ? STANCE_WALK : STANCE_RUN;
      return s->order == RETURN_TO_WAYPOINTS ? s->baseStance : CombatStance(s);
    case HUNT_ENEMY:
    case HUNT_ENEMY_PERSISTENTLY: {
      if (s->currentTarget == nullptr) return STANCE_RUN;
      if (s->action == ACTION_FOLLOW_ROUTE) return NearDestination(s) ? STANCE_WALK : STANCE_RUN;
      if (DistanceSquared(s->GetPosition(), s->currentTarget->GetPosition()) < kCloseTarget * kCloseTarget)
        return STANCE_KNEEL;
      if (UnitGameTime() - s->stanceChangeTime > 5000) return CombatStance(s);
      return s->stance;
    }
    case LEGGING_IT: return s->action == ACTION_FOLLOW_ROUTE ? STANCE_RUN : CombatStance(s);
    case WANDER_RANDOMLY: return STANCE_WALK;
    default: return s->stance;  // following a leader, ladders, firing into the air
  }
}

}  // namespace

void GruntStanceThink(CHLOGrunt* s) {
  if (s == nullptr || s->stanceAIEnabled == 0 || LevelRulesFlag() || s->Can(1) != 0 || UnitNetworkGame()) return;
  s->SetStance(s->IsFriendly() ? FriendlyRule(s) : EnemyRule(s), 1);
}
