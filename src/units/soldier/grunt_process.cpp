// The soldier's per-frame update (GruntProcess, its Update) and its
// scheduled think (GruntScheduledThink, the scheduler's pre-think step),
// with dormancy, the near-miss reaction, the shout under fire and the small
// helpers of the think.
#include <cmath>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/system/not_built_yet.h"
#include "net/mp_layer.h"
#include "units/base/side_hostility.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/soldier/grunt_frame_links.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr std::uint32_t kCorpseDelay = 1000;
constexpr std::uint32_t kInteractionLimit = 5000;
constexpr std::uint32_t kDormancyWake = 1000;
constexpr std::uint32_t kUndrawnLimit = 60000;
constexpr std::uint32_t kEnemyShoutGap = 5000;
constexpr std::uint32_t kFriendShoutGap = 20000;
constexpr int kShoutSample = 2581;
constexpr std::uint32_t kObjectFlagNoDormancy = 0x8;
constexpr std::uint32_t kInstanceFlagFriendly = 0x4000000;
constexpr int kMovementEventStop = 29;
constexpr int kMovementEventInteractionOver = 47;
constexpr int kMovementEventStartled = 78;
constexpr int kStatsTypeSpecial = 5;

// The two shared shout clocks: enemies of the local player in single player,
// and friends (or anyone in a network game).
std::uint32_t g_NextEnemyShout = 0;
std::uint32_t g_NextFriendShout = 0;

// A step of a later issue: traced, and reported not built yet.
void Later(const char* step, const char* what) {
  GruntTraceStep(step);
  NotBuiltYet(what);
}

bool OnClientInPlay() { return UnitIsClient() && MPGetSessionState() == MPS_PLAYING; }

float Distance(const CVector3& a, const CVector3& b) {
  const float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

CHLOGrunt* AsSoldier(CHLO* o) { return o != nullptr && o->Kind == HLO_GRUNT ? static_cast<CHLOGrunt*>(o) : nullptr; }

}  // namespace

// --- Per-frame update -----------------------------------------------------------------------

void GruntProcess(CHLOGrunt* s) {
  const std::uint32_t now = UnitGameTime();
  // 1. No crawling while the switch forbids it.
  if (CrawlAllowed() == 0 && s->stance == STANCE_CRAWL) {
    GruntTraceStep("crawl lift");
    s->SetStance(STANCE_KNEEL, 1);
  }
  // 2. The unit base step.
  GruntTraceStep("unit base step");
  s->CUnit::Update();
  // 3. A recent shot keeps the network state's firing bit.
  if (UnitNetworkGame() && now - s->lastFiredTime < 3000)
    Later("network firing bit", "soldier network state flags");
  // 4. Friendly soldiers: the instance flag and the breath vapour.
  if (s->IsFriendly()) {
    GruntTraceStep("friendly flag");
    if (s->Instance != nullptr) s->Instance->Flags |= kInstanceFlagFriendly;
    Later("PuffBreath", "soldier breath vapour");
  }
  // 5. A due respawn once both channels have finished.
  if (s->respawnPending && now >= s->respawnTime && s->FullBodyAnimFinished())
    Later("Respawn", "soldier respawn");
  // 6. The host ends spawn protection.
  if (UnitNetworkGame() && UnitIsHost() && s->spawnProtectionUntil != 0 && now > s->spawnProtectionUntil)
    s->spawnProtectionUntil = 0;
  // 7. Corpse hand-off, single player only: more than a second after death.
  if (!UnitNetworkGame() && SideHostility(0, s->Side) != 0 && s->IsBodyAtRest() &&
      now - s->deathTime > kCorpseDelay && (s->Flags & HLOF_ACTIVE)) {
    GruntTraceStep("corpse hand-off");
    if (s->vehicle == nullptr && (s->Flags & HLOF_ACTIVE)) {
      if (GruntLinks().MakeCorpse != nullptr) GruntLinks().MakeCorpse(s, s->movementState);
      else NotBuiltYet("corpse list: a dead soldier's corpse");
    }
    s->SetActive(0);
    NotBuiltYet("script object list: a soldier recorded inactive");
  }
  // 8. A client moves remote soldiers from the host's state.
  if (OnClientInPlay() && s->Can(1) == 0) {
    Later("RemoteSoldierStep", "soldier step on a network client");
    return;
  }
  // 9. Control time.
  if (s->Can(1) != 0) s->controlTime += static_cast<std::int32_t>(UnitFrameTime() * 1000.0f);
  // 10. A dormant soldier keeps only its frame stamp.
  const bool dormant = s->IsDormant();
  if (!UnitNetworkGame() && dormant) {
    GruntTraceStep("dormant");
    s->moveController.StampFrame();
    return;
  }
  // 11.-13.
  if (!dormant && s->health > 0.0f) {
    GruntTraceStep("ReactToNearMiss");
    s->ReactToNearMiss();
  }
  GruntTraceStep("PlayerUseStep");
  s->PlayerUseStep();
  if (OnClientInPlay()) {
    Later("ClientMoveStep", "soldier client move step");
  } else {
    GruntTraceStep("GruntThink");
    GruntThink(s);
  }
  // 14. The action step and the aim point scan.
  if (!s->IsDormant()) {
    GruntTraceStep("UpdateActions");
    s->UpdateActions();
    Later("UpdateAimJoint", "soldier aim point scan");
  }
  // 15. An interaction running 5000 ms is ended (a defusing defuses).
  if (s->interactionPartner != nullptr && (s->unitFlags & UNITF_INTERACTING) &&
      now - s->interactionStart >= kInteractionLimit) {
    GruntTraceStep("interaction timeout");
    s->unitFlags &= ~UNITF_INTERACTING;
    const GruntFrameLinks& l = GruntLinks();
    CInventoryItem* item = l.AsItem != nullptr ? l.AsItem(s->interactionPartner) : nullptr;
    const bool charge = item != nullptr && l.ItemKind != nullptr && l.WeaponClass != nullptr &&
                        l.ItemKind(item) == kItemKindWeapon && l.WeaponClass(item) == kWeaponClassC4Charge;
    if (charge && l.Defuse != nullptr) {
      l.Defuse(item, s, 1);
    } else {
      if (l.AsItem == nullptr) NotBuiltYet("items: the charge a soldier defuses");
      s->interactionPartner = nullptr;
    }
    s->AskMovementEvent(kMovementEventInteractionOver);
  }
  // 16. Ground settle.
  if (s->groundSettle == 1) {
    GruntTraceStep("ground settle");
    s->DropToGround(100.0f);
    if (now > s->groundSettleEnd) s->groundSettle = 0;
  }
  // 17. The map marker.
  if ((s->IsFriendly() && !s->IsDeadAndExpired()) || (!s->IsFriendly() && StatsCharacterType(s->Stats) == kStatsTypeSpecial))
    s->mapMarker = 1;
  // 18. The instance follows the animation.
  if (s->movementState == 57) Later("place at animation frame", "soldier placed at its animation's frame");
  else GruntTraceStep("instance transform");
}

// --- Dormancy -------------------------------------------------------------------------------

bool CHLOGrunt::IsDormant() const {
  if ((Flags & HLOF_ACTIVE) == 0) return false;
  if (unitFlags & UNITF_FROZEN) return true;
  if (UnitGameTime() - ActivationTime < kDormancyWake) return false;
  return dormant != 0;
}

int CHLOGrunt::UpdateDormancy() {
  dormant = 0;
  if (Flags & kObjectFlagNoDormancy) return 0;
  if (vehicle != nullptr) return 0;  // a vehicle's sleep comes with the vehicles: awake
  if ((Flags & HLOF_ACTIVE) == 0 || SideHostility(0, Side) == 0) return 0;
  if (order == LEGGING_IT || order == RETURN_TO_WAYPOINTS) return 0;
  if (Can(1) != 0 && g_ViewportConfig.SplitScreen) return 0;
  const std::uint32_t now = UnitGameTime();
  const bool invisible = Instance == nullptr || (Instance->Flags & (INSTF_HIDDEN | INSTF_DISABLED)) != 0 ||
                         now - TimeLastDrawn() > kUndrawnLimit;
  float far = 0.0f;
  if (GruntLinks().FarDistance != nullptr) far = GruntLinks().FarDistance();
  else {
    NotBuiltYet("dormancy: the environment's far distance");
    far = 1e9f;
  }
  const bool farAway = nearestLocalSoldierDistance > far + 1000.0f && nearestCameraDistance > far + 1000.0f;
  if (invisible || (IsBodyAtRest() && stanceChanged == 0) || farAway) dormant = 1;
  return static_cast<int>(dormant);
}

// --- Scheduled think --------------------------------------------------------------------------

void GruntScheduledThink(CHLOGrunt* s) {
  // 1. Damage left by a callback is applied once, here.
  if (s->pendingDamage != 0.0f) {
    GruntTraceStep("pending damage");
    const float amount = s->pendingDamage;
    CHLO* source = s->pendingDamageSource;
    s->pendingDamage = 0.0f;
    s->pendingDamageSource = nullptr;
    s->TakeDamage(amount, source);
  }
  // 2. Enemies measure their distances and decide dormancy.
  if (s->IsEnemy()) {
    GruntTraceStep("dormancy");
    const CVector3 at = s->GetPosition();
    float nearest = 10000000.0f;
    if (g_HLOManager != nullptr)
      for (CHLO* o = g_HLOManager->FirstActive(g_HLOLocalSide, HLO_GRUNT); o != nullptr; o = o->Next) {
        CHLOGrunt* g = AsSoldier(o);
        if (g == nullptr || g == s || g->health <= 0.0f) continue;
        const float d = Distance(at, g->GetPosition());
        if (d < nearest) nearest = d;
      }
    s->nearestLocalSoldierDistance = nearest;
    if (GruntLinks().NearestCameraDistance != nullptr) s->nearestCameraDistance = GruntLinks().NearestCameraDistance(at);
    else {
      NotBuiltYet("dormancy: the local player cameras' distance");
      s->nearestCameraDistance = 100000000.0f;
    }
    s->UpdateDormancy();
    Later("removal step", "soldier removal step");
  }
  // 3. The stance think.
  GruntTraceStep("stance think");
  GruntStanceThink(s);
  // 4.-5. Formation and the leader.
  Later("IsSquadStretched", "soldier squad stretch check and formation");
  if (CUnit* leader = s->GetLeader()) {
    GruntTraceStep("TrackLeader");
    s->TrackLeader(leader);
  }
  // 6. The facing word.
  GruntTraceStep("facing");
  if (s->currentTarget == nullptr) {
    s->facingTarget = 1;
  } else if (s->vehicle == nullptr) {
    CVector3 rotation{};
    s->GetRotation(rotation);
    const CVector3 a = s->GetPosition(), b = s->currentTarget->GetPosition();
    const float yaw = std::atan2(b.x - a.x, b.z - a.z) * 57.29578f;
    float d = std::fmod(yaw - (rotation.y + s->headRotationOffset.y) + 540.0f, 360.0f) - 180.0f;
    s->facingTarget = std::fabs(d) < 5.0f ? 1u : 0u;
  } else {
    NotBuiltYet("vehicle seats: a gunner's weapon aimed at its target");
    s->facingTarget = 0;
  }
  // 7.-8.
  GruntTraceStep("UpdateHeavyWeaponFlag");
  s->UpdateHeavyWeaponFlag();
  Later("weapon readiness", "soldier weapon readiness check");
  // 9. The pending formation position.
  if (s->pendingFormation == 1) {
    s->pendingFormation = 0;
    s->formationPosition = s->pendingFormationPosition;
  }
  // 10.
  GruntTraceStep("StartPendingRoute");
  s->StartPendingRoute();
  // 11. Holding fire.
  if (!s->IsEnemy() || (s->unitFlags & UNITF_FIRE_AT_WILL)) s->unitFlags &= ~UNITF_HOLDING_FIRE;
  else Later("holding fire", "soldier engagement checks for holding fire");
  // 12. A sphere event that has ended is dropped.
  Later("sphere event drop", "soldier sphere-event record upkeep");
  // 13. Squad chatter.
  Later("squad chatter", "soldier squad chatter");
  // 14. Friendly soldiers on foot stay on the ground.
  if ((s->Flags & HLOF_ACTIVE) && !s->IsOnLadder() && s->vehicle == nullptr && !s->HasMovedOutOfRange() &&
      s->IsFriendly() && s->Can(1) == 0) {
    GruntTraceStep("drop to ground");
    s->DropToGround(0.0f);
  }
  // 15. The split-screen partner word.
  if (g_ViewportConfig.SplitScreen && (s->Can(8) != 0 || s->Can(7) != 0)) {
    GruntTraceStep("split-screen partner");
    std::uint32_t word = 0;
    if (g_LocalPlayers.Count() == 2 && g_HLOManager != nullptr)
      for (CHLO* o = g_HLOManager->FirstActive(s->Side, HLO_GRUNT); o != nullptr; o = o->Next) {
        CHLOGrunt* g = AsSoldier(o);
        if (g != nullptr && g != s && g->health > 0.0f && g->partnerWord == 1) word = 1;
      }
    if (word != s->partnerWord) NotBuiltYet("soldier screen refresh on a partner change");
    s->partnerWord = word;
  }
  // 16.
  GruntTraceStep("ForgetDeadTargets");
  s->ForgetDeadTargets();
}

void CHLOGrunt::PreThink() { GruntScheduledThink(this); }

// --- Near misses and shouts -------------------------------------------------------------------

CHLO* CHLOGrunt::ReactToNearMiss() {
  const GruntFrameLinks& l = GruntLinks();
  auto test = [&](bool* hit) -> CHLO* {
    if (l.NearMissTest == nullptr) {
      NotBuiltYet("projectile paths: the near-miss test");
      *hit = false;
      return nullptr;
    }
    return l.NearMissTest(this, hit);
  };
  bool hit = false;
  // 1. In a network game: a shout only.
  if (UnitNetworkGame()) {
    if (currentTarget != nullptr) return nullptr;
    CHLO* owner = test(&hit);
    if (hit) ShoutUnderFire();
    return hit ? owner : nullptr;
  }
  // 2.-5.
  if (Can(1) != 0) return nullptr;
  const bool enemy = IsEnemy();
  if (enemy && currentTarget != nullptr) return nullptr;
  if (enemy && ((unitFlags & UNITF_AI_ON) == 0 || (unitFlags & UNITF_IGNORE_DISTRACTIONS) || IsBusy() ||
                order == LEGGING_IT))
    return nullptr;
  if (!enemy && currentTarget != nullptr) {
    NotBuiltYet("weapons: whether the weapon in hand reaches the target");
  }
  // 6.
  CHLO* owner = test(&hit);
  if (!hit) return nullptr;
  // 7.
  if (alertness < ALERT) {
    SetAlertness(ALERT);
    if (enemy) AskMovementEvent(kMovementEventStartled);
  }
  // 8.
  if (owner != nullptr && owner->Side != Side) {
    if (enemy || currentTarget != owner) ShoutUnderFire();
    const bool alreadyHunting = awareness[0].Target == owner && (order == HUNT_ENEMY || order == HUNT_ENEMY_PERSISTENTLY);
    if (!alreadyHunting) {
      if (enemy) {
        awareness[0].Target = owner;
      } else {
        NotBuiltYet("awareness: a friend offered the shooter as a target");
      }
      if (enemy && SideHostility(0, Side) != 0 && order != HUNT_ENEMY_PERSISTENTLY) {
        order = HUNT_ENEMY;
        orderTime = UnitGameTime();
      }
    }
  }
  return owner;
}

void CHLOGrunt::ShoutUnderFire() {
  const std::uint32_t now = UnitGameTime();
  const bool friendly = IsFriendly();
  const bool enemy = IsEnemy();
  std::uint32_t* clock = nullptr;
  std::uint32_t gap = 0;
  if (UnitNetworkGame() || friendly) {
    clock = &g_NextFriendShout;
    gap = kFriendShoutGap;
  } else if (enemy) {
    clock = &g_NextEnemyShout;
    gap = kEnemyShoutGap;
  }
  if (clock != nullptr) {
    if (now < *clock) return;
    *clock = now + gap;
  }
  if (!UnitNetworkGame() && enemy && SideHostility(0, Side) != 0)
    NotBuiltYet("noise events: a shout heard 5000 units away");
  Speak(kShoutSample, kShoutSample, 1, 1, 0, 0);
}

void ResetGruntShoutClocks() {
  g_NextEnemyShout = 0;
  g_NextFriendShout = 0;
}

// --- Small queries of the think ---------------------------------------------------------------

int CHLOGrunt::MaySearchForTargets() {
  if (itemInHand == nullptr && vehicle != nullptr) return 0;
  if ((unitFlags & UNITF_TARGET_SEARCH) == 0) return 0;
  if (IsCivilian() && StatsCharacterType(Stats) != 1) return 0;
  if (UnitGameTime() < nextTargetSearchTime) return 0;
  if (unitFlags & UNITF_IGNORE_DISTRACTIONS) return 0;
  if (Can(1) == 0) return 1;
  if (player->mouseAimActive) return 0;
  return std::fabs(player->TurnAxis) <= 0.66f && std::fabs(player->ForwardAxis) <= 0.66f ? 1 : 0;
}

int CHLOGrunt::IsBodyAtRest() const {
  if (health > 0.0f) return 0;
  if ((Flags & HLOF_ACTIVE) == 0) return 1;
  const int m = movementState;
  const bool dying = m == 25 || (m >= 27 && m <= 34) || (m >= 42 && m <= 49) || m == 55 || (m >= 64 && m <= 74) ||
                     m == 85 || (m >= 93 && m <= 96) || m == 111 || m == 115;
  if (dying) return (unitFlags & UNITF_ANIM_FINISHED) && FullBodyAnimFinished() ? 1 : 0;
  return m >= 103 && m <= 110 ? 1 : 0;
}

void CHLOGrunt::UpdateHeavyWeaponFlag() {
  std::uint32_t heavy = 0;
  if (itemInHand != nullptr && HasWeaponInHand()) {
    const int cls = HandWeaponClass();
    const GruntFrameLinks& l = GruntLinks();
    const int carry = l.WeaponCarry != nullptr ? l.WeaponCarry(itemInHand) : 0;
    heavy = (HandItemKind() == kItemKindWeapon && (cls == kWeaponClassAntiTank || cls == kWeaponClassGrenadeLauncher)) ||
                    carry == 2
                ? 1u
                : 0u;
  }
  SetHeavyWeapon(heavy);
}

void CHLOGrunt::ForgetDeadTargets() {
  if (IsEnemy()) return;
  auto deadSoldier = [](CHLO* o) {
    CHLOGrunt* g = AsSoldier(o);
    return g != nullptr && g->health <= 0.0f;
  };
  if (deadSoldier(awareness[0].Target)) awareness[0].Target = nullptr;
  if (deadSoldier(currentTarget)) currentTarget = nullptr;
  if (sphereEvent != nullptr) NotBuiltYet("sphere events: a dead source's record dropped");
}

void CHLOGrunt::StartPendingRoute() {
  if (pendingRoute == 0 || action != ACTION_FOLLOW_ROUTE || health <= 0.0f) return;
  NotBuiltYet("routes: a pending route started");
  pendingRoute = 0;
}

int CHLOGrunt::HandItemKind() const {
  if (itemInHand == nullptr) return -1;
  if (GruntLinks().ItemKind == nullptr) {
    NotBuiltYet("items: the kind of the item in hand");
    return -1;
  }
  return GruntLinks().ItemKind(itemInHand);
}

int CHLOGrunt::HandWeaponClass() const {
  if (itemInHand == nullptr) return -1;
  if (GruntLinks().WeaponClass == nullptr) {
    NotBuiltYet("items: the class of the weapon in hand");
    return -1;
  }
  return GruntLinks().WeaponClass(itemInHand);
}

int CHLOGrunt::AskMovementEvent(int event) {
  GruntTraceNumber("event ", event);
  return RequestState(event);
}
