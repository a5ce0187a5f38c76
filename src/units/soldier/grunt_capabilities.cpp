// The soldier's small questions: the capability query `Can`, the other
// small slots and accessors, speech (a line, an exchange of two lines), the
// blink of a speaking soldier's entry, and the calm enemy's mumble.
#include <cmath>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/maths/random_tables.h"
#include "foundation/system/not_built_yet.h"
#include "sound/sound_manager.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "world/objects/chlo_manager.h"

namespace {

constexpr float kHoldFireRange = 200.0f;
constexpr float kSpeechRange = 500.0f;
constexpr std::uint32_t kTalkBlinkFor = 3000;
constexpr float kMumbleReach = 2000.0f;
constexpr int kMumbleSleeping = 2160;
constexpr int kMumbleAwake = 2471;

float Fold360(float degrees) {
  float d = std::fmod(degrees, 360.0f);
  return d < 0.0f ? d + 360.0f : d;
}

}  // namespace

int CHLOGrunt::Can(int capability) {
  const std::int32_t type = StatsCharacterType(Stats);
  switch (capability) {
    case 0: return IsEnemy() && currentTarget == nullptr && stance == STANCE_WALK;
    case 1: return player != nullptr && player->ControlMode != CONTROL_AI;
    case 2: return health != 0.0f;
    case 3: {
      // Dead, and the body has come to rest: lying dead, or its dying
      // animation has played out.
      if (health > 0.0f) return 0;
      if ((Flags & HLOF_ACTIVE) == 0 || movementState == MS_DEAD) return 1;
      return (unitFlags & UNITF_ANIM_FINISHED) && FullBodyAnimFinished();
    }
    case 4: return Side != g_HLOLocalSide && type != 1;
    case 5: return type == 0 || type == 5;
    case 6: return type == 1 || type == 2;
    case 7: return type == 4;
    case 8: return type == 3;
    case 12: return (unitFlags & UNITF_STAYS_PUT) != 0;
    case 14: return movementState == MS_PRESS_SWITCH;
    case 15: return IsOnLadder();
    case 16: return 0;  // a reload needs a weapon in hand
    case 17: return upperBodyState == UB_AIMING || upperBodyState == UB_AIMING_PRONE;
    case 18:
      return HasWeaponInHand() && !knifeInHand && !IsOnLadder() && StateAllowsWeapon() &&
             UpperBodyStateRowOf(upperBodyState).UseAllowed == 1;
    case 19: return vehicle != nullptr;
    case 20: return 0;  // a seat with a weapon comes with the vehicles
    default: return 0;  // 9, 10, 11, 13 never; above 20 nothing
  }
}

bool CHLOGrunt::IsCivilian() {
  const std::int32_t type = StatsCharacterType(Stats);
  return type == 1 || type == 2;
}

bool CHLOGrunt::CanFight() { return StatsCharacterType(Stats) == 1 ? true : !IsCivilian(); }

void CHLOGrunt::GetFacing(CVector3* out) {
  CVector3 r{};
  GetRotation(r);
  *out = {Fold360(r.x + headRotationOffset.x + recoil.x), Fold360(r.y + headRotationOffset.y + recoil.y),
          Fold360(r.z + headRotationOffset.z + recoil.z)};
}

int CHLOGrunt::GetJointPoint(int joint, CVector3* out) {
  CAnimObject* anim = GetAnimObject();
  return anim != nullptr && anim->GetJointPosition(joint, out) ? 1 : 0;
}

int CHLOGrunt::IsOnLadder() {
  switch (movementState) {
    case MS_LADDER_MOUNT_BOTTOM:
    case MS_LADDER_STATIONARY:
    case MS_LADDER_CLIMB_UP:
    case MS_LADDER_CLIMB_DOWN:
    case MS_LADDER_DISMOUNT_BOTTOM:
    case MS_LADDER_MOUNT_TOP:
    case MS_LADDER_DISMOUNT_TOP: return 1;
    default: return 0;
  }
}

int CHLOGrunt::HasWeaponInHand() { return handWeapon != nullptr ? 1 : 0; }

CInventoryItem* CHLOGrunt::GetCurrentItem() { return vehicle == nullptr ? itemInHand : nullptr; }

CInventoryItem* CHLOGrunt::GetMountedWeapon() { return HasWeaponInHand() ? GetCurrentItem() : nullptr; }

void CHLOGrunt::SetFlag100(int on) {
  if (on)
    unitFlags |= UNITF_FLAG_100;
  else
    unitFlags &= ~UNITF_FLAG_100;
}

float CHLOGrunt::GetHealthFraction() {
  const float most = GetMaxHealth();
  return most > 0.0f ? health / most : 0.0f;
}

void CHLOGrunt::Speak(int sample, int alternative, int playerOnly, int aliveOnly, int positional,
                      int forceAlternative) {
  if (UnitNetworkGame()) {
    NotBuiltYet("soldier speech sent to the network's peers");
    return;
  }
  if (g_SoundManager != nullptr && g_SoundManager->IsSamplePlaying(SoundEmitterId)) return;
  if (playerOnly == 1 && Can(1)) return;
  if (aliveOnly == 1 && health <= 0.0f) return;
  const CVector3 at = GetPosition();
  const bool placed = IsEnemy() || positional != 0 || UnitNetworkGame();
  const bool alt = IsHoldingFire() || forceAlternative != 0;
  if (g_SoundManager != nullptr)
    g_SoundManager->PlayEvent(static_cast<const CSoundBank*>(soundBank), alt ? alternative : sample,
                              placed ? &at : nullptr, alt ? kHoldFireRange : kSpeechRange,
                              aliveOnly == 1 ? SoundEmitterId : 0u);
  talkingTime = UnitGameTime();
}

void CHLOGrunt::SayExchange(int line, int alternativeLine, CHLOGrunt* second, int secondLine,
                            int secondAlternativeLine) {
  SoundStreamDescription description;
  auto add = [&](CHLOGrunt* s, int main, int alt) {
    if (s == nullptr || description.count >= kSoundStreamEvents) return;
    if (g_SoundManager != nullptr && g_SoundManager->IsSamplePlaying(s->SoundEmitterId)) return;
    // Flag bit 0 of the entry cleared: the line is not placed.
    SoundStreamEvent& e = description.events[description.count++];
    e.bank = static_cast<const CSoundBank*>(s->soundBank);
    e.eventId = s->IsHoldingFire() ? alt : main;
    e.tag = s->SoundEmitterId;
    e.positional = false;
    s->talkingTime = UnitGameTime();
  };
  add(this, line, alternativeLine);
  add(second, secondLine, secondAlternativeLine);
  if (description.count > 0 && g_SoundManager != nullptr) g_SoundManager->StartStream(description);
}

int CHLOGrunt::GetTalkBlinkAlpha() const {
  const std::uint32_t now = UnitGameTime();
  if (talkingTime == 0 || now - talkingTime > kTalkBlinkFor) return 0;
  return now % 1000 < 500 ? 255 : 63;
}

float CHLOGrunt::NearestLocalSoldierDistanceSquared() const {
  float best = 3.4e38f;
  if (g_HLOManager == nullptr) return best;
  const CVector3 at = GetPosition();
  for (CHLO* o = g_HLOManager->FirstActive(g_HLOLocalSide, HLO_GRUNT); o != nullptr; o = o->Next) {
    if (o == this) continue;
    const CVector3 p = o->GetPosition();
    const float dx = p.x - at.x, dy = p.y - at.y, dz = p.z - at.z;
    const float d = dx * dx + dy * dy + dz * dz;
    if (d < best) best = d;
  }
  return best;
}

void CHLOGrunt::Mumble() {
  if (IsFriendly() || currentTarget != nullptr || order != FOLLOW_WAYPOINTS || alertness >= ALERT) return;
  const std::uint32_t now = UnitGameTime();
  if (now <= g_GruntGlobals.NextMumbleTime) return;
  if (NearestLocalSoldierDistanceSquared() > kMumbleReach * kMumbleReach) return;
  const int line = alertness == SLEEPING ? kMumbleSleeping : kMumbleAwake;
  Speak(line, line, 1, 1, 0, 0);
  g_GruntGlobals.NextMumbleTime = now + 6000u + static_cast<std::uint32_t>(RandomIntBelow(6001));
}
