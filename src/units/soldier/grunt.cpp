#include "units/soldier/grunt.h"
#include "units/items/weapon.h"

#include <algorithm>
#include <cmath>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/maths/random_tables.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/hash.h"
#include "render/textures/texture_manager.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_record.h"
#include "sound/sound_manager.h"
#include "units/base/side_hostility.h"
#include "units/base/unit_stats.h"
#include "units/base/unit_world.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/objects/hlo_spawn_record.h"

GruntGlobals g_GruntGlobals;

namespace {

constexpr int kLastSide = 3;
constexpr float kViewAngle = 120.0f;
constexpr float kViewAngleVertical = 90.0f;
constexpr std::uint32_t kBodyExpiredAfter = 180000;
constexpr int kSkinMarks = 200;
// The look switch and the hunt switch of the level record's behaviour mask.
constexpr std::uint32_t kLookSwitch = 0x400;
constexpr std::uint32_t kHuntSwitch = 0x200;

std::uint32_t NextMumbleTimeFrom(std::uint32_t now) {
  return now + 6000u + static_cast<std::uint32_t>(RandomIntBelow(6000));
}

// A value of the level record, or the soldier kind's where the record holds
// the unset -1000.
float RecordOr(float recordValue, float statsValue) {
  return recordValue == kUnsetSpawnValue ? statsValue : recordValue;
}

bool ValidStance(int stance) {
  return stance == STANCE_CRAWL || stance == STANCE_KNEEL || stance == STANCE_WALK || stance == STANCE_RUN ||
         stance == STANCE_KNEEL_RUN;
}

}  // namespace

void ResetGruntGlobals() {
  g_GruntGlobals.Switches[0] = g_GruntGlobals.Switches[1] = 1;
  for (std::uint32_t& t : g_GruntGlobals.Times) t = 0;
  g_GruntGlobals.NextMumbleTime = NextMumbleTimeFrom(UnitGameTime());
  ResetGruntShoutClocks();
}

// Construction, in the order of the soldier's steps (the unit base, step 1,
// has been made).
CHLOGrunt::CHLOGrunt(const HLOSpawnRecord& record, const void* stats, const void* character) : CUnit(record, stats) {
  const std::uint32_t now = UnitGameTime();
  const HumanStats* kind = AsHumanStats(stats);
  const BaseHumanStats* base = kind != nullptr ? kind->Base : nullptr;

  // 2. The reference position.
  referencePosition = Instance != nullptr ? GetPosition() : record.position;

  // 3. The soldiers' shared words.
  g_GruntGlobals.Switches[0] = g_GruntGlobals.Switches[1] = 1;
  for (std::uint32_t& t : g_GruntGlobals.Times) t = 0;
  g_GruntGlobals.NextMumbleTime = NextMumbleTimeFrom(now);

  // 4. Flags, view angles, side, vision and stance.  A side outside 0..3
  // would index the side tables and the manager's lists out of range: it
  // becomes side 1 with a message.
  Flags |= kObjectFlagUnitSoldier;
  unitFlags |= UNITF_SOLDIER;
  if (Side > kLastSide) {
    WarningBox("Soldier \"%s\" (id %d) has side %d, outside 0 to 3: it takes side 1.", record.objectName, record.id,
               static_cast<int>(Side));
    Side = 1;
  }
  const bool localSide = Side == g_HLOLocalSide;
  if (localSide) unitFlags |= UNITF_HOLDING_FIRE;
  if (record.behaviourMask & kLookSwitch) unitFlags |= UNITF_LOOK_PATTERN;
  viewAngle = kViewAngle;
  viewAngleVertical = kViewAngleVertical;
  visionValues[0] = RecordOr(record.bounds[SPAWN_VISION_0], base != nullptr ? base->Floats10To13[0] : 0.0f);
  visionValues[1] = RecordOr(record.bounds[SPAWN_VISION_1], base != nullptr ? base->Floats10To13[1] : 0.0f);
  visionValues[2] = record.bounds[SPAWN_VISION_2] == kUnsetSpawnValue ? (base != nullptr ? base->Distance8 : 0.0f)
                                                                       : record.bounds[SPAWN_VISION_2] * 100.0f;
  int recordStance = record.secondMode - 1;
  if (!ValidStance(recordStance)) recordStance = STANCE_WALK;
  stance = baseStance = initialStance = recordStance;
  combatStance = ValidStance(record.secondValue) ? record.secondValue : STANCE_KNEEL;

  // 5. Experience from the character record (none: level 0).
  experienceLevel = 0;
  (void)character;

  // 6. The reset of transient state.
  ResetTransientState();

  // 7. Skills, reaction and hearing, the soldier kind standing in for -1000.
  statsSkillA = RecordOr(record.bounds[SPAWN_SKILL_A], base != nullptr ? base->Values[3] : 0.0f) * 0.01f;
  statsSkillB = RecordOr(record.bounds[SPAWN_SKILL_B], base != nullptr ? base->Values[4] : 0.0f) * 0.01f;
  if (statsSkillB < 0.5f) statsSkillB = 0.5f;
  reactionValue = RecordOr(record.bounds[SPAWN_REACTION], base != nullptr ? base->Float15 : 0.0f);
  reactionDelay = record.bounds[SPAWN_REACTION_DELAY] == kUnsetSpawnValue
                      ? (base != nullptr ? base->Duration18 : 0u)
                      : static_cast<std::uint32_t>(record.bounds[SPAWN_REACTION_DELAY] * 1000.0f);
  hearingFactor = (base != nullptr ? base->Values[2] : 0) * 0.01f;
  if (RandomInt() & 1) hearingFactor = 0.25f;

  // 8. Base alertness: the local side's soldiers are alarmed (and hold fire).
  if (localSide) {
    SetBaseAlertness(ALARMED);
    unitFlags |= UNITF_HOLDING_FIRE;
  } else {
    SetBaseAlertness(std::clamp<std::int32_t>(record.behaviourMode, SLEEPING, ALARMED));
  }

  // 9-10. The inventory: 25 slots, filled with the soldier kind's items
  // (the weapon in hand chosen among them).
  MEM_OWNER();
  inventory = MEM_NEW(MEMCAT_WORLD_OBJECT) CInventoryItem*[kStatsItemSlots]();
  if (!record.statsLinks.empty()) NotBuiltYet("soldier inventory: the level record's own items");
  // While a level loads, its stored octree numbers the instances the level
  // file makes: the items' visuals are made once the level is in place.
  if (StartingItemsDeferred())
    startingItemsOwed = 1;
  else
    GiveStartingItems();

  // 11. The joint controls: the head and the upper spine, identity.
  for (GruntJointControl& c : jointControls) c = GruntJointControl{};
  jointControls[0].JointHash = HashString("BIP01 HEAD");
  jointControls[0].Active = 1;
  jointControls[0].Matrix.SetIdentity();
  jointControls[1].JointHash = HashString("BIP01 SPINE1");
  jointControls[1].Active = 1;
  jointControls[1].Matrix.SetIdentity();
  if (CAnimObject* anim = GetAnimObject()) {
    anim->SetJointOverrides(jointControls);
    // The joints the units ask for by number are the soldiers' skeleton's: a
    // map built from another animated template (a crate's nodes) is rebuilt
    // from the soldier's own.
    if (!AnimJointMap.Built || AnimJointMap.Ordinals[JOINT_HEAD] < 0) CAnimObject::BuildJointMap(anim->Template);
  }
  leaderDistance = 1000.0f;

  // 12. Joints, the soldier number, recoil and the first idle variation.
  targetJoint = searchJoint = JOINT_R_HAND;
  serialNumber = g_GruntGlobals.SoldierCounter++;
  recoil = {};
  nextIdleTime = now + 5000u + static_cast<std::uint32_t>(RandomFloatRange(5.0f, 10.0f) * 1000.0f);

  // 14. The animation set of the hand.
  SetHandAnimationSet();

  // 15. The body scale of the record when neither value is 1.0 (a character
  // record's size class comes with the squad's records).
  const float height = record.scaleFactors[0];
  const float width = record.scaleFactors[1];
  if (height != 1.0f && width != 1.0f) SetBodyScale(height, width, 1);
  if (CAnimObject* anim = GetAnimObject()) {
    anim->InvalidatePose();
    anim->EvaluatePose();
  }

  // 16. Damage scale and skin (without a character record: no skin).
  damageScale = 1.0f;
  SetCharacterSkin(nullptr);

  // 17. The sound bank: a character record's; none here.
  soundBank = nullptr;

  // 18.
  movementAnimMode = 2;
  moveSpeedFactor = 1.0f;
  unitFlags |= UNITF_TARGET_SEARCH;

  // 19. The serial id again, reaction, look pattern, voice.
  serial = g_UnitSerialCounter++;
  if (record.behaviourMask & kLookSwitch)
    unitFlags |= UNITF_LOOK_PATTERN;
  else
    unitFlags &= ~UNITF_LOOK_PATTERN;
  lookMode = static_cast<std::uint32_t>(record.maskInt + 1);
  for (int i = 0; i < 4; ++i) {
    lookPattern[i].Heading = record.behaviourValues[i];
    lookPattern[i].Hold = static_cast<std::uint32_t>(std::max(0.0f, record.maskReal) * 1000.0f);
  }
  nextLookTime = 0;
  lookIndex = 0;
  voiceIndex = record.value - 1;
  statsNumber = static_cast<std::uint8_t>(record.orderKey);

  // 20. Non-local soldiers search from their start; the hunt switch keeps
  // them from fleeing or changing weapons.
  if (IsEnemy() && (record.behaviourMask & kHuntSwitch)) unitFlags |= UNITF_STAYS_PUT;

  // 21. The visual leaves collisions; the spine connector.
  if (Instance != nullptr) Instance->SetCollidable(false, true);
  if (CAnimObject* anim = GetAnimObject()) spineConnector = anim->FindConnector(HashString("BIP01 SPINE1 CONNECTOR"));

  // 22.
  breathRest = RandomFloatRange(90.0f, 110.0f);
  if (CAnimObject* anim = GetAnimObject()) anim->CreateSkinMarks(kSkinMarks);
  ClearDamageRecord();
  calmSince = now;
  UpdateCollisionShape();
}

CHLOGrunt::~CHLOGrunt() {
  MEM_OWNER();
  // A player steering this soldier is left with none.
  if (player != nullptr && player->Soldier == this) player->Soldier = nullptr;
  // What the soldier carried stays in the object manager: it no longer has a holder.
  if (inventory != nullptr) {
    for (int i = 0; i < kStatsItemSlots; ++i)
      if (inventory[i] != nullptr && inventory[i]->holder == this) inventory[i]->holder = nullptr;
    MEM_DELETE_ARRAY inventory;
  }
  inventory = nullptr;
  if (CAnimObject* anim = GetAnimObject()) anim->SetJointOverrides(nullptr);
}

CAnimObject* CHLOGrunt::GetAnimObject() const { return dynamic_cast<CAnimObject*>(Instance); }

const HumanStats* CHLOGrunt::GetHumanStats() const { return AsHumanStats(Stats); }

void CHLOGrunt::ResetTransientState() {
  unitFlags &= ~kTransientUnitFlags;
  unitFlags |= UNITF_RESET_MARK;
  networkDamageBlockUntil = 0;
  networkWords[0] = networkWords[1] = 0;
  deathFollowUpTime = 0;
  callTime = 0;
  faceItem = nullptr;
  ladderIndex = -1;
  currentTarget = nullptr;
  leader = nullptr;
  sphereEvent = nullptr;
  sphereEventTime = 0;
  for (std::uint32_t& w : aimWords) w = 0;
  cuePosition = {};
  sweepStep = 9.0f;
  // The local side's soldiers standing up stand; everyone else takes the
  // AI's standing idle, whose posture events bring it to its stance.
  const bool standing = baseStance == STANCE_WALK || baseStance == STANCE_RUN;
  SetMovementState(standing && Side == g_HLOLocalSide ? MS_STAND : MS_STAND_IDLE);
  PlayMovementAnim(movementState, 1);
  SetUpperBodyState(UB_LOWERED);
  PlayUpperBodyAnim();
  unitFlags &= ~UNITF_STAYS_PUT;
  reloadTime = 0;
  lastAimTime = 0;
  deathTime = 0;
  stance = baseStance;
  for (UnitAwareness& a : awareness) a = UnitAwareness{};
  damageReserve = 0.0f;
  movementAnimStart = 0;
  if (CAnimObject* anim = GetAnimObject()) anim->ClearSkinMarks();
}

void CHLOGrunt::ResetToSpawn() {
  // The respawn restore: orders, targets, stance, speed.
  order = HOLD_POSITION;
  action = ACTION_HOLD_POSITION;
  for (UnitAwareness& a : awareness) a = UnitAwareness{};
  currentTarget = nullptr;
  sphereEvent = nullptr;
  unitFlags |= UNITF_TARGET_SEARCH;
  baseStance = initialStance;
  moveSpeedFactor = 1.0f;
  if (IsEnemy()) SetBodyScale(RandomFloatRange(0.9f, 1.1f), RandomFloatRange(0.8f, 1.2f), 1);
  CUnit::ResetToSpawn();
  ResetTransientState();
  SetMovementState(Side == g_HLOLocalSide ? MS_STAND : MS_STAND_IDLE);
}

void CHLOGrunt::Update() { GruntProcess(this); }

void CHLOGrunt::EveryFrameStep() { NotBuiltYet("soldier every-frame step"); }

bool CHLOGrunt::IsFriendly() { return Side == g_HLOLocalSide; }

bool CHLOGrunt::IsEnemy() { return Side != g_HLOLocalSide; }

int CHLOGrunt::AcceptsSphereEvent(const void* event) {
  if (currentTarget != nullptr) return 0;
  if (sphereEvent == nullptr) return 1;
  // Only a different event of a higher priority; the events' priority words
  // come with the cues, and until then none outranks the one held.
  (void)event;
  return 0;
}

void CHLOGrunt::SetWaypoint(std::int32_t index) {
  CUnit::SetWaypoint(index);
  if (index == -1 && order == FOLLOW_WAYPOINTS && action == ACTION_FOLLOW_WAYPOINTS) action = ACTION_HOLD_POSITION;
}

void CHLOGrunt::SetBodyScale(float height, float width, int remember) {
  if (Instance != nullptr) Instance->SetScale(CVector3{width, height, width});
  if (remember) {
    bodyHeightScale = height;
    bodyWidthScale = width;
  }
}

void CHLOGrunt::SetCharacterSkin(const CharSkinStats* skin) {
  if (skin != nullptr && skin == characterSkin) return;
  interfaceImageId = 0xFFFF;
  characterSkin = skin;
  CAnimObject* anim = GetAnimObject();
  if (skin != nullptr) {
    if (!UnitNetworkGame() && Instance != nullptr && (Instance->Flags & 0x20000) && Side != g_HLOLocalSide)
      Side = g_HLOLocalSide;
    if (skin->Texture[0] != 0 && g_LevelTextures != nullptr && anim != nullptr) {
      CTexture* texture = g_LevelTextures->GetTexture(skin->Texture, 0x11);
      if (texture != nullptr) anim->SetSkinTexture(texture);
    }
    return;
  }
  if (const HumanStats* kind = GetHumanStats()) interfaceImageId = kind->InterfaceId;
  if (anim != nullptr) anim->SetSkinTexture(nullptr);
}

namespace {
DamageFeedbackSink g_damageFeedbackSink = nullptr;
}  // namespace

void SetDamageFeedbackSink(DamageFeedbackSink sink) { g_damageFeedbackSink = sink; }

int DamageFlashDuration(float amount, float maxHealth) {
  float fraction = maxHealth > 0.0f ? amount / maxHealth : 1.0f;
  if (fraction > 1.0f) fraction = 1.0f;
  const int ms = static_cast<int>(500.0f - 750.0f * fraction);
  return ms > 0 ? ms : 0;
}

void CHLOGrunt::PlayDamageFeedback(float amount, CHLO* source) {
  (void)source;
  for (int i = 0; i < kLocalPlayerCount; ++i) {
    CLocalPlayer* player = g_LocalPlayers.Get(i);
    if (player == nullptr || player->Soldier != this) continue;
    DamageFeedback feedback;
    feedback.Player = i;
    feedback.FlashMs = DamageFlashDuration(amount, GetMaxHealth());
    if (g_damageFeedbackSink != nullptr)
      g_damageFeedbackSink(feedback);
    else
      NotBuiltYet("damage feedback: the view's flash and the controller's rumble");
    return;
  }
}

void CHLOGrunt::KillQuietly() {
  health = 0.0f;
  deathTime = UnitGameTime() - (kBodyExpiredAfter + 1);
}

bool CHLOGrunt::IsDeadAndExpired() const {
  if (health > 0.0f) return false;
  if (SidesHostile(0, Side) || (Flags & HLOF_ACTIVE) == 0) return true;
  return UnitGameTime() - deathTime > kBodyExpiredAfter;
}

bool CHLOGrunt::IsRecentlyDead() const { return health == 0.0f && UnitGameTime() - deathTime < kBodyExpiredAfter; }

bool CHLOGrunt::IsJustKilled() const { return health == 0.0f && UnitGameTime() - deathTime < 3000; }

void CHLOGrunt::ScheduleDeathFollowUp() {
  if (SidesHostile(0, Side)) return;
  const std::uint32_t now = UnitGameTime();
  if (now + 5000 < deathTime + kBodyExpiredAfter)
    deathFollowUpTime = now + 8000 + static_cast<std::uint32_t>(RandomIntBelow(4000));
  else
    deathFollowUpTime = 0;
}

void CHLOGrunt::ClearDamageRecord() {
  for (std::uint32_t& w : damageRecord) w = 0;
}

bool CHLOGrunt::FullBodyAnimFinished() const {
  const CAnimObject* anim = GetAnimObject();
  if (anim == nullptr) return true;
  return anim->GetChannelActive(0) == 0 || anim->GetChannelEnded(0) != 0;
}

void CHLOGrunt::CreditKill(CUnit* victim) {
  if (victim == nullptr) return;
  if (!UnitNetworkGame()) experiencePoints += StatsScore(victim->Stats);
  if (victim->Kind != HLO_GRUNT || victim->Side == Side || victim->IsCivilian()) return;
  if (!UnitNetworkGame()) {
    ++killCounts[0];
    ++killCounts[1];
  }
  Speak(1902, 1902, 0, 0, 0, 0);
}

void CHLOGrunt::ResumeState() { NotBuiltYet("soldier ladder release"); }
