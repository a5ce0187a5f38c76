// The soldier without a visual: construction from its kind and its level
// record, the reset of transient state, the two state machines over the
// rule files the tools make, the animation lookup, the stance setters and
// the AI's stance think, the capabilities, speech, the talk blink, the
// mumble, the damage feedback and the report of a missing weapon animation.
#include "units/soldier/grunt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/memory/memory_manager.h"
#include "net/mp_layer.h"
#include "platform/win32/message_box.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/weapon_stats.h"
#include "sound/sound_manager.h"
#include "units/base/anim_slot_ids.h"
#include "units/base/unit_world.h"
#include "units/items/weapon.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"

namespace {

class GruntTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
    ASSERT_TRUE(LoadRules());
  }
  void TearDown() override {
    SetHeadRoomProbe(nullptr);
    SetDamageFeedbackSink(nullptr);
    SetCrawlAllowed(1);
    g_LocalPlayers.RemoveAll();
    UnitsTestWorld::TearDown();
  }
  // A soldier made by the factory from a record the test may change first.
  CHLOGrunt* Make(const char* kind, int side, const std::function<void(HLOSpawnRecord&)>& change = {}) {
    HLOSpawnRecord r = SoldierRecord(kind, side);
    if (change) change(r);
    return static_cast<CHLOGrunt*>(manager_->CreateObject(r));
  }
  const SoundPlayRecord* LastPlay() const {
    const auto& log = sound_->PlayLog();
    return log.empty() ? nullptr : &log.back();
  }
};

const BaseHumanStats* BaseOf(const char* kind) {
  const auto* h = static_cast<const HumanStats*>(FindStats(kind, 1));
  return h != nullptr ? h->Base : nullptr;
}

// --- Construction ------------------------------------------------------------------------

TEST_F(GruntTest, ValuesTheRecordLeavesAtMinusOneThousandComeFromTheSoldierKind) {
  const BaseHumanStats* base = BaseOf("EnemyGuard");
  ASSERT_NE(base, nullptr);
  CHLOGrunt* kindOnly = Make("EnemyGuard", 1);
  ASSERT_NE(kindOnly, nullptr);
  EXPECT_EQ(kindOnly->visionValues[0], base->Floats10To13[0]);
  EXPECT_EQ(kindOnly->visionValues[1], base->Floats10To13[1]);
  EXPECT_EQ(kindOnly->visionValues[2], base->Distance8);
  EXPECT_FLOAT_EQ(kindOnly->statsSkillA, base->Values[3] * 0.01f);
  EXPECT_FLOAT_EQ(kindOnly->statsSkillB, std::max(0.5f, base->Values[4] * 0.01f));
  EXPECT_EQ(kindOnly->reactionValue, base->Float15);
  EXPECT_EQ(kindOnly->reactionDelay, base->Duration18);

  CHLOGrunt* own = Make("EnemyGuard", 1, [](HLOSpawnRecord& r) {
    r.bounds[SPAWN_VISION_0] = 30.0f;
    r.bounds[SPAWN_VISION_2] = 25.0f;  // metres
    r.bounds[SPAWN_SKILL_A] = 70.0f;
    r.bounds[SPAWN_SKILL_B] = 80.0f;
    r.bounds[SPAWN_REACTION] = 0.25f;
    r.bounds[SPAWN_REACTION_DELAY] = 1.5f;  // seconds
  });
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->visionValues[0], 30.0f);
  EXPECT_EQ(own->visionValues[1], base->Floats10To13[1]);
  EXPECT_EQ(own->visionValues[2], 2500.0f);
  EXPECT_FLOAT_EQ(own->statsSkillA, 0.7f);
  EXPECT_FLOAT_EQ(own->statsSkillB, 0.8f);
  EXPECT_EQ(own->reactionValue, 0.25f);
  EXPECT_EQ(own->reactionDelay, 1500u);
  // The second skill is never below one half.
  for (float value : {0.0f, 20.0f, 49.0f}) {
    CHLOGrunt* s = Make("EnemyGuard", 1, [value](HLOSpawnRecord& r) { r.bounds[SPAWN_SKILL_B] = value; });
    EXPECT_EQ(s->statsSkillB, 0.5f) << value;
  }
}

TEST_F(GruntTest, TheLocalSideHoldsFireAlarmedAndOthersTakeTheirRecordsAlertnessStanceAndSwitches) {
  CHLOGrunt* own = Make("SquadRifleman", 0, [](HLOSpawnRecord& r) { r.behaviourMask = 0x200; });
  EXPECT_EQ(own->alertness, ALARMED);
  EXPECT_TRUE(own->unitFlags & UNITF_HOLDING_FIRE);
  EXPECT_FALSE(own->unitFlags & UNITF_STAYS_PUT) << "the hunt switch is for other sides";
  EXPECT_EQ(own->movementState, MS_STAND);
  const struct {
    int mode, alertness;
  } modes[] = {{0, SLEEPING}, {1, SLEEPING}, {2, PASSIVE}, {3, ALERT}, {4, ALARMED}, {9, ALARMED}};
  for (const auto& m : modes) {
    CHLOGrunt* s = Make("EnemyGuard", 1, [&](HLOSpawnRecord& r) { r.behaviourMode = m.mode; });
    EXPECT_EQ(s->baseAlertness, m.alertness) << m.mode;
    EXPECT_FALSE(s->unitFlags & UNITF_HOLDING_FIRE);
    EXPECT_EQ(s->movementState, MS_STAND_IDLE);
  }
  const struct {
    int secondMode, stance;
  } stances[] = {{1, STANCE_CRAWL}, {2, STANCE_KNEEL}, {4, STANCE_RUN}, {6, STANCE_KNEEL_RUN},
                 {0, STANCE_WALK},  {5, STANCE_WALK},  {40, STANCE_WALK}};
  for (const auto& c : stances) {
    CHLOGrunt* s = Make("EnemyGuard", 1, [&](HLOSpawnRecord& r) { r.secondMode = c.secondMode; });
    EXPECT_EQ(s->stance, c.stance) << c.secondMode;
    EXPECT_EQ(s->baseStance, c.stance);
    EXPECT_EQ(s->initialStance, c.stance);
  }
  SetCrawlAllowed(0);
  CHLOGrunt* hunter = Make("EnemyGuard", 1, [](HLOSpawnRecord& r) { r.behaviourMask = 0x600; });
  EXPECT_EQ(CrawlAllowed(), 1) << "every unit made switches crawling on";
  EXPECT_TRUE(hunter->unitFlags & UNITF_STAYS_PUT);
  EXPECT_TRUE(hunter->unitFlags & UNITF_LOOK_PATTERN);
  EXPECT_TRUE(hunter->unitFlags & UNITF_TARGET_SEARCH);
  EXPECT_TRUE(hunter->unitFlags & UNITF_SOLDIER);
}

TEST_F(GruntTest, TheResetOfTransientStateClearsExactlyItsFlags) {
  CHLOGrunt* s = Make("EnemyGuard", 1);
  s->unitFlags = 0xFFFFFFFFu;
  s->ladderIndex = 4;
  s->sweepStep = -4.5f;
  s->damageReserve = 20.0f;
  s->deathTime = 99;
  s->stance = STANCE_CRAWL;
  s->baseStance = STANCE_KNEEL;
  s->ResetTransientState();
  // 0x080160CC cleared, 0x2 set; the reset's later steps clear 0x20 and, by
  // entering the movement state, 0x40000 (its animation not yet finished).
  EXPECT_EQ(s->unitFlags, 0xF7FA9F13u);
  EXPECT_EQ(s->ladderIndex, -1);
  EXPECT_EQ(s->sweepStep, 9.0f);
  EXPECT_EQ(s->damageReserve, 0.0f);
  EXPECT_EQ(s->deathTime, 0u);
  EXPECT_EQ(s->stance, STANCE_KNEEL) << "the base stance";
  EXPECT_EQ(s->movementState, MS_STAND_IDLE);
  EXPECT_EQ(s->upperBodyState, UB_LOWERED);
}

TEST_F(GruntTest, TwoHundredSoldiersAreMadeAndDeletedWithoutKeepingABlock) {
  // The boxes this world without ground gives are not kept (their texts
  // would be counted).
  SetMessageBoxHook([](HWND, const char*, const char*, UINT, void*) { return IDOK; }, nullptr);
  // Makes 200 soldiers and deletes them with what they carry (objects of
  // their own).
  auto round = [this] {
    std::vector<CHLO*> made;
    for (int i = 0; i < 200; ++i) made.push_back(Make(i % 2 ? "EnemyGuard" : "SquadHeavy", i % 4));
    std::vector<CHLO*> carried;
    for (CHLO* o : made) {
      if (o == nullptr) continue;
      for (int i = 0; i < kStatsItemSlots; ++i)
        if (CInventoryItem* item = static_cast<CHLOGrunt*>(o)->inventory[i]) carried.push_back(item);
    }
    const bool allMade = std::find(made.begin(), made.end(), nullptr) == made.end();
    for (CHLO* o : made) manager_->DeleteObject(o);
    for (CHLO* o : carried) manager_->DeleteObject(o);
    return allMade && !carried.empty();
  };
  // The first round takes the first-use allocations (the records' bound
  // assets, the bookkeeping of this many objects at once).
  ASSERT_TRUE(round()) << "every soldier made, and the kinds carry weapons";
  MemStatistics before{};
  MemGetStatistics(&before);
  ASSERT_TRUE(round());
  MemStatistics after{};
  MemGetStatistics(&after);
  EXPECT_EQ(after.totalAllocUnitCount, before.totalAllocUnitCount);
  EXPECT_EQ(after.totalReportedMemory, before.totalReportedMemory);
}

// --- States -----------------------------------------------------------------------------

TEST_F(GruntTest, ARequestFollowsItsCellAndARefusedOneChangesNothing) {
  CHLOGrunt* s = Make("EnemyGuard", 1);
  const struct {
    int from, event, answer, to;
  } cases[] = {
      {MS_PRONE, ME_SALUTE, 0, MS_PRONE},          {MS_STAND_IDLE, ME_SALUTE, 1, MS_SALUTE},
      {MS_STAND, ME_STANCE_CRAWL, 1, MS_GOING_PRONE}, {MS_DEAD, ME_WALK, 0, MS_DEAD},
      {MS_STAND, -1, 0, MS_STAND},                  {MS_STAND, MOVEMENT_EVENT_COUNT, 0, MS_STAND},
      {MS_STAND, 100000, 0, MS_STAND},
  };
  for (const auto& c : cases) {
    s->SetMovementState(c.from);
    EXPECT_EQ(s->RequestState(c.event), c.answer) << kMovementStateNames[c.from] << " event " << c.event;
    EXPECT_EQ(s->movementState, c.to);
  }
}

TEST_F(GruntTest, TheMovementStepChainsTransitionsInRisingEventOrder) {
  CHLOGrunt* s = Make("SquadRifleman", 0);
  s->stance = STANCE_KNEEL;
  s->SetMovementState(MS_GOING_PRONE);
  s->unitFlags |= UNITF_ANIM_FINISHED;  // going prone has played out
  CVector3 position{}, rotation{};
  s->StepMovementState(&position, &rotation);
  // Event 1 (animation finished) takes it to PRONE; event 82 (stance kneel)
  // then from PRONE to KNEEL, in the same frame.
  EXPECT_EQ(s->movementState, MS_KNEEL);
  // Nothing further fires from a stance the soldier already has.
  s->StepMovementState(&position, &rotation);
  EXPECT_EQ(s->movementState, MS_KNEEL);
}

TEST_F(GruntTest, StepingOffTheLadderTopMovesTheSoldierAndEndsTheFramesWalk) {
  CHLOGrunt* s = Make("SquadRifleman", 0);
  s->stance = STANCE_KNEEL;  // would take it on to KNEEL if the walk went on
  s->SetMovementState(MS_LADDER_DISMOUNT_TOP);
  s->unitFlags |= UNITF_ANIM_FINISHED;
  CVector3 position{100.0f, 50.0f, -20.0f}, rotation{};
  s->StepMovementState(&position, &rotation);
  EXPECT_EQ(s->movementState, MS_STAND);
  EXPECT_FLOAT_EQ(position.x, 100.0f);
  EXPECT_FLOAT_EQ(position.y, 50.0f + 193.1f);
  EXPECT_FLOAT_EQ(position.z, -20.0f + 120.1f) << "forward along a heading of 0";
  EXPECT_EQ(s->referencePosition.y, position.y);
  s->StepMovementState(&position, &rotation);
  EXPECT_EQ(s->movementState, MS_KNEEL) << "the next frame goes on";
}

TEST_F(GruntTest, TheArmsFollowTheirRulesOnlyWhileTheBodyLeavesThemFree) {
  CHLOGrunt* s = Make("EnemyGuard", 1);
  s->SetMovementState(MS_SALUTE);
  ASSERT_TRUE(MovementStateRowOf(MS_SALUTE).NoWeapon);
  EXPECT_EQ(s->RequestUpperBodyState(UE_AIM), 0);
  EXPECT_EQ(s->upperBodyState, UB_LOWERED);
  s->SetMovementState(MS_STAND);
  EXPECT_EQ(s->RequestUpperBodyState(UE_AIM), 1);
  EXPECT_EQ(s->upperBodyState, UB_AIMING);
  EXPECT_EQ(s->RequestUpperBodyState(UE_AIM), 0) << "no cell for aiming again";
  EXPECT_EQ(s->RequestUpperBodyState(-1), 0);
  EXPECT_EQ(s->RequestUpperBodyState(UPPER_BODY_EVENT_COUNT), 0);
  EXPECT_EQ(s->upperBodyState, UB_AIMING);
}

TEST_F(GruntTest, ACalmEnemyVariesItsIdleOnlyOnceItsTimeHasCome) {
  SetTime(20000);
  CHLOGrunt* s = Make("EnemyGuard", 1);
  ASSERT_EQ(s->stance, STANCE_WALK);
  const std::uint32_t first = s->nextIdleTime;
  EXPECT_GE(first, 20000u + 10000u);
  EXPECT_LE(first, 20000u + 15000u);
  SetTime(first);
  EXPECT_FALSE(s->IsIdleVariationDue()) << "not before its time";
  SetTime(first + 1);
  s->alertness = ALERT;
  EXPECT_FALSE(s->IsIdleVariationDue()) << "not when alert";
  s->alertness = SLEEPING;
  s->TryIdleVariation();
  EXPECT_TRUE(s->movementState == MS_IDLE_SCRATCH || s->movementState == MS_IDLE_SMOKE ||
              s->movementState == MS_IDLE_SNEEZE)
      << kMovementStateNames[s->movementState] << ": empty-handed variations";
  EXPECT_GE(s->nextIdleTime, first + 1 + 10000u);
  EXPECT_LE(s->nextIdleTime, first + 1 + 15000u);
  EXPECT_FALSE(s->IsIdleVariationDue());
}

// --- Animation lookup --------------------------------------------------------------------

int IndexOfPistolSlot(int slot) {
  for (int i = 0; i < MOVE_ANIM_COUNT; ++i)
    if (kAnimationSets[ANIMSET_PISTOL][i] == slot) return i;
  return -1;
}

TEST_F(GruntTest, TheSlotOfAMovementAnimationFollowsAlertnessWoundsAndTheKnife) {
  CHLOGrunt* s = Make("EnemyGuard", 1);
  s->SelectItem(nullptr, true);  // empty hands take the pistol set
  const float most = s->GetMaxHealth();
  ASSERT_GT(most, 0.0f);
  const std::uint16_t* pistol = kAnimationSets[ANIMSET_PISTOL];
  // Calm: the alert stance and walk become the calm ones.
  s->alertness = SLEEPING;
  EXPECT_EQ(s->GetAnimationSlot(MA_ALERT_STANCE), pistol[MA_CALM_STANCE]);
  EXPECT_EQ(s->GetAnimationSlot(MA_ALERT_WALK), pistol[MA_CALM_WALK]);
  // Alarmed, or aware of a target: the calm walk becomes the alert one.
  s->alertness = ALARMED;
  EXPECT_EQ(s->GetAnimationSlot(MA_CALM_WALK), pistol[MA_ALERT_WALK]);
  EXPECT_EQ(s->GetAnimationSlot(MA_ALERT_STANCE), pistol[MA_ALERT_STANCE]);
  s->alertness = PASSIVE;
  CHLOGrunt* target = Make("SquadRifleman", 0);
  s->awareness[2].Target = target;
  EXPECT_EQ(s->GetAnimationSlot(MA_CALM_WALK), pistol[MA_ALERT_WALK]);
  s->awareness[2].Target = nullptr;
  // Below 30% of its maximum health it limps.
  s->health = 0.29f * most;
  EXPECT_EQ(s->GetAnimationSlot(MA_RUN), pistol[MA_LIMPING_RUN]);
  s->health = 0.3f * most;
  EXPECT_EQ(s->GetAnimationSlot(MA_RUN), pistol[MA_RUN]);
  // Out-of-range indices take the alert stance.
  s->alertness = ALARMED;
  EXPECT_EQ(s->GetAnimationSlot(MOVE_ANIM_COUNT), pistol[MA_ALERT_STANCE]);
  EXPECT_EQ(s->GetAnimationSlot(-3), pistol[MA_ALERT_STANCE]);
  // The knife's walks replace the pistol set's: slots 2, 7, 10, 13 become
  // 217, 220, 219, 218.
  s->knifeInHand = true;
  const std::pair<int, int> knife[] = {{2, 217}, {7, 220}, {10, 219}, {13, 218}};
  for (auto [from, to] : knife) {
    const int index = IndexOfPistolSlot(from);
    ASSERT_GE(index, 0) << from;
    EXPECT_EQ(s->GetAnimationSlot(index), to) << kAnimSlotNames[from];
  }
  s->knifeInHand = false;
  EXPECT_EQ(s->GetAnimationSlot(IndexOfPistolSlot(2)), 2);
}

TEST_F(GruntTest, AMissingWeaponAnimationIsToldOncePerRecordAndNeverInABoxInANetworkGame) {
  WeaponStats rifle{};
  WeaponStats pistol{};
  boxes_.clear();
  EXPECT_EQ(GetWeaponAnimation(&rifle, 0), nullptr);
  EXPECT_EQ(GetWeaponAnimation(&rifle, 0), nullptr);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("Weapon: required anim (aim) missing!"), std::string::npos);
  EXPECT_EQ(GetWeaponAnimation(&rifle, 5), nullptr);
  EXPECT_EQ(GetWeaponAnimation(&pistol, 0), nullptr);
  EXPECT_EQ(Boxes().size(), 3u) << "another animation, another record";
  MPSetTestRole(1);
  WeaponStats knife{};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(GetWeaponAnimation(&knife, i), nullptr);
  EXPECT_EQ(Boxes().size(), 3u) << "a network game is never held up by a box";
  MPSetTestRole(0);
  ResetWeaponAnimationReports();
  EXPECT_EQ(GetWeaponAnimation(&rifle, 0), nullptr);
  EXPECT_EQ(Boxes().size(), 4u) << "a new level tells again";
  EXPECT_EQ(GetWeaponAnimation(&rifle, 6), nullptr);
  EXPECT_EQ(GetWeaponAnimation(nullptr, 0), nullptr);
  EXPECT_EQ(Boxes().size(), 4u);
  ResetWeaponAnimationReports();
}

// --- Stance -------------------------------------------------------------------------------

struct ProbeLog {
  int calls = 0;
  int mode = -1;
  bool blocked = false;
};
ProbeLog* g_probe = nullptr;
bool Probe(CHLOGrunt*, int mode) {
  ++g_probe->calls;
  g_probe->mode = mode;
  return g_probe->blocked;
}

TEST_F(GruntTest, TheThreeStanceSettersAskForHeadRoomWhereTheirRulesSay) {
  enum Setter { SET, APPLY, REQUEST };
  const struct {
    Setter setter;
    int side, from, to, probe;
    bool blocked;
    int crawl, answer, calls, mode;
  } cases[] = {
      // SetStance: friends rising from low with the probe on are checked (mode 1).
      {SET, 0, STANCE_KNEEL, STANCE_WALK, 1, true, 1, 0, 1, 1},
      {SET, 0, STANCE_CRAWL, STANCE_RUN, 1, false, 1, 1, 1, 1},
      {SET, 0, STANCE_KNEEL, STANCE_WALK, 0, true, 1, 1, 0, -1},
      {SET, 1, STANCE_KNEEL, STANCE_WALK, 1, true, 1, 1, 0, -1},   // enemies are not checked
      {SET, 0, STANCE_CRAWL, STANCE_KNEEL, 1, true, 1, 1, 0, -1},  // kneeling is not rising
      {SET, 0, STANCE_WALK, STANCE_CRAWL, 1, true, 0, 0, 0, -1},   // crawling switched off
      {SET, 0, STANCE_WALK, STANCE_WALK, 1, true, 0, 1, 0, -1},    // already so
      // ApplyStance: friends only, and no crawl switch.
      {APPLY, 0, STANCE_KNEEL, STANCE_RUN, 1, true, 1, 0, 1, 1},
      {APPLY, 0, STANCE_WALK, STANCE_RUN, 1, true, 1, 1, 0, -1},
      {APPLY, 0, STANCE_WALK, STANCE_CRAWL, 1, true, 0, 1, 0, -1},
      {APPLY, 0, STANCE_KNEEL, STANCE_CRAWL, 0, true, 1, 1, 0, -1},
      {APPLY, 1, STANCE_CRAWL, STANCE_WALK, 1, true, 1, 1, 0, -1},
      // RequestStance: anyone; mode 1 from kneeling, 0 from crawling; kneel
      // and kneel-run count as rising.
      {REQUEST, 1, STANCE_KNEEL, STANCE_WALK, 1, true, 1, 0, 1, 1},
      {REQUEST, 1, STANCE_CRAWL, STANCE_KNEEL, 1, true, 1, 0, 1, 0},
      {REQUEST, 0, STANCE_CRAWL, STANCE_KNEEL_RUN, 1, false, 1, 1, 1, 0},
      {REQUEST, 0, STANCE_KNEEL, STANCE_CRAWL, 1, true, 1, 1, 0, -1},
      {REQUEST, 0, STANCE_KNEEL, STANCE_CRAWL, 1, true, 0, 0, 0, -1},
  };
  ProbeLog log;
  g_probe = &log;
  SetHeadRoomProbe(Probe);
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(row++);
    log = ProbeLog{};
    log.blocked = c.blocked;
    CHLOGrunt* s = Make(c.side == 0 ? "SquadRifleman" : "EnemyGuard", c.side);
    SetCrawlAllowed(c.crawl);  // after the construction, which switches crawling on
    s->stance = c.from;
    s->stanceChanged = 0;
    const int answer = c.setter == SET ? s->SetStance(c.to, c.probe)
                       : c.setter == APPLY ? s->ApplyStance(c.to, c.probe)
                                           : s->RequestStance(c.to, c.probe);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(s->stance, c.answer == 1 ? c.to : c.from);
    EXPECT_EQ(log.calls, c.calls);
    EXPECT_EQ(log.mode, c.mode);
    if (c.answer == 1 && c.from != c.to) {
      EXPECT_EQ(s->stanceChanged, c.setter == REQUEST ? 0u : 1u) << "the request leaves the flag to the others";
    }
  }
  g_probe = nullptr;
}

TEST_F(GruntTest, SetStanceStampsTheChangeAndDrawsAFollowersDelay) {
  SetTime(40000);
  CHLOGrunt* s = Make("EnemyGuard", 1);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(s->SetStance(i % 2 ? STANCE_RUN : STANCE_KNEEL, 0), 1);
    EXPECT_EQ(s->stanceChangeTime, 40000u);
    EXPECT_GE(s->stanceDelay, 200u);
    EXPECT_LE(s->stanceDelay, 800u);
  }
  s->stanceChangeTime = 7;
  s->stanceDelay = 9;
  s->ApplyStance(STANCE_WALK, 0);
  EXPECT_EQ(s->stanceChangeTime, 7u);
  EXPECT_EQ(s->stanceDelay, 9u);
}

TEST_F(GruntTest, TheAIsStanceThinkFollowsTheOrderOfAnEnemyAndTheBaseStanceOfAFriend) {
  CHLOGrunt* enemy = Make("EnemyGuard", 1);
  enemy->baseStance = STANCE_KNEEL;
  const struct {
    int order, action;
    bool target;
    int stance;
  } cases[] = {
      {FOLLOW_WAYPOINTS, ACTION_HOLD_POSITION, false, STANCE_KNEEL},
      {HOLD_POSITION, ACTION_HOLD_POSITION, false, STANCE_RUN},
      {HOLD_POSITION_AND_LOOK_FOR_TARGETS, ACTION_HOLD_POSITION, false, STANCE_RUN},
      {WANDER_RANDOMLY, ACTION_HOLD_POSITION, false, STANCE_WALK},
      {HUNT_ENEMY, ACTION_HOLD_POSITION, false, STANCE_RUN},
      {HUNT_ENEMY, ACTION_HOLD_POSITION, true, STANCE_KNEEL},  // the target within 800
      {RETURN_TO_WAYPOINTS, ACTION_HOLD_POSITION, false, STANCE_KNEEL},
      {LEGGING_IT, ACTION_FOLLOW_ROUTE, false, STANCE_RUN},
  };
  CHLOGrunt* target = Make("SquadRifleman", 0);
  for (const auto& c : cases) {
    enemy->order = c.order;
    enemy->action = c.action;
    enemy->currentTarget = c.target ? target : nullptr;
    enemy->stance = STANCE_CRAWL;
    GruntStanceThink(enemy);
    EXPECT_EQ(enemy->stance, c.stance) << "order " << c.order;
  }
  enemy->currentTarget = nullptr;
  // Switched off: the AI's stance switch, a network game, a controlling player.
  enemy->order = HOLD_POSITION;
  enemy->stance = STANCE_CRAWL;
  enemy->SetStanceAIEnabled(0);
  GruntStanceThink(enemy);
  EXPECT_EQ(enemy->stance, STANCE_CRAWL);
  enemy->SetStanceAIEnabled(1);
  MPSetTestRole(1);
  GruntStanceThink(enemy);
  EXPECT_EQ(enemy->stance, STANCE_CRAWL);
  MPSetTestRole(0);

  CHLOGrunt* own = Make("SquadRifleman", 0);
  own->baseStance = STANCE_KNEEL;
  own->order = HOLD_POSITION;
  own->action = ACTION_HOLD_POSITION;
  GruntStanceThink(own);
  EXPECT_EQ(own->stance, STANCE_KNEEL);
  own->action = ACTION_FOLLOW_ROUTE;
  own->destinationMode = 1;
  own->destination = {0.0f, 0.0f, 349.0f};
  GruntStanceThink(own);
  EXPECT_EQ(own->stance, STANCE_WALK) << "near its destination";
  own->destination = {0.0f, 0.0f, 351.0f};
  GruntStanceThink(own);
  EXPECT_EQ(own->stance, STANCE_RUN);
  g_LocalPlayers.Add();
  own->player = g_LocalPlayers.Get(0);
  own->action = ACTION_HOLD_POSITION;
  GruntStanceThink(own);
  EXPECT_EQ(own->stance, STANCE_RUN) << "a player's soldier keeps its stance";
  own->player = nullptr;
}

// --- Capabilities, speech, blink, mumble --------------------------------------------------

TEST_F(GruntTest, CapabilitiesAnswerTheirQuestions) {
  CHLOGrunt* enemy = Make("EnemyGuard", 1);
  CHLOGrunt* own = Make("SquadRifleman", 0);
  CHLOGrunt* prisoner = Make("Prisoner", 2);
  EXPECT_EQ(enemy->Can(0), 1) << "a calm walking enemy";
  enemy->stance = STANCE_RUN;
  EXPECT_EQ(enemy->Can(0), 0);
  EXPECT_EQ(own->Can(0), 0);
  EXPECT_EQ(own->Can(1), 0) << "no player";
  g_LocalPlayers.Add();
  own->player = g_LocalPlayers.Get(0);
  EXPECT_EQ(own->Can(1), 1);
  own->player->ControlMode = CONTROL_AI;
  EXPECT_EQ(own->Can(1), 0);
  own->player = nullptr;
  EXPECT_EQ(enemy->Can(2), 1);
  EXPECT_EQ(enemy->Can(3), 0) << "alive";
  enemy->health = 0.0f;
  EXPECT_EQ(enemy->Can(2), 0);
  enemy->SetMovementState(MS_DEAD);
  EXPECT_EQ(enemy->Can(3), 1);
  EXPECT_EQ(enemy->Can(4), 1);
  EXPECT_EQ(own->Can(4), 0);
  enemy->SetMovementState(MS_PRESS_SWITCH);
  EXPECT_EQ(enemy->Can(14), 1);
  EXPECT_EQ(own->Can(14), 0);
  own->SetMovementState(MS_LADDER_STATIONARY);
  EXPECT_EQ(own->Can(15), 1);
  own->SetMovementState(MS_STAND);
  own->SetUpperBodyState(UB_AIMING);
  EXPECT_EQ(own->Can(17), 1);
  own->unitFlags |= UNITF_STAYS_PUT;
  EXPECT_EQ(own->Can(12), 1);
  EXPECT_EQ(own->Can(19), 0) << "not in a vehicle";
  CInventoryItem* rifle = own->itemInHand;
  ASSERT_NE(rifle, nullptr) << "the squad rifleman is made with its rifle in hand";
  EXPECT_EQ(own->Can(18), 1) << "aiming with a rifle in hand";
  own->SelectItem(nullptr, true);
  EXPECT_EQ(own->Can(18), 0) << "nothing in hand";
  for (int never : {9, 10, 11, 13, 16, 20, 21, -1}) EXPECT_EQ(own->Can(never), 0) << never;
  // The character type of the kind: soldiers (0) and prisoners of war (5)
  // answer 5; civilians 6; missile experts 7; emirs 8.
  EXPECT_EQ(prisoner->Can(5), 1);
  EXPECT_EQ(enemy->Can(5), 1);
  for (int c : {6, 7, 8}) {
    EXPECT_EQ(prisoner->Can(c), 0) << c;
    EXPECT_EQ(enemy->Can(c), 0) << c;
  }
  EXPECT_FALSE(prisoner->IsCivilian());
  EXPECT_EQ(prisoner->Can(4), 1) << "another side, not a civilian of type 1";
}

TEST_F(GruntTest, SpeechTakesTheQuietLineWhileHoldingFireAndIsPlacedForEnemies) {
  CHLOGrunt* own = Make("SquadRifleman", 0);
  CHLOGrunt* enemy = Make("EnemyGuard", 1);
  ASSERT_TRUE(own->IsHoldingFire());
  SetTime(5000);
  own->Speak(100, 200, 0, 0, 0, 0);
  ASSERT_NE(LastPlay(), nullptr);
  EXPECT_EQ(LastPlay()->event, 200);
  EXPECT_EQ(LastPlay()->range, 200.0f);
  EXPECT_FALSE(LastPlay()->positional);
  EXPECT_EQ(LastPlay()->tag, 0u);
  EXPECT_EQ(own->talkingTime, 5000u);
  own->unitFlags &= ~UNITF_HOLDING_FIRE;
  own->Speak(100, 200, 0, 1, 1, 0);
  EXPECT_EQ(LastPlay()->event, 100);
  EXPECT_EQ(LastPlay()->range, 500.0f);
  EXPECT_TRUE(LastPlay()->positional) << "asked for";
  EXPECT_EQ(LastPlay()->tag, own->SoundEmitterId) << "alive-only lines are tagged with the speaker";
  enemy->Speak(100, 200, 0, 0, 0, 0);
  EXPECT_EQ(LastPlay()->event, 100);
  EXPECT_TRUE(LastPlay()->positional) << "enemies are always placed";
  enemy->Speak(100, 200, 0, 0, 0, 1);
  EXPECT_EQ(LastPlay()->event, 200) << "forced";
  // Refused: the dead with alive-only, a player's soldier with player-only,
  // and every line in a network game (the peers get it, later).
  const std::size_t count = sound_->PlayLog().size();
  enemy->health = 0.0f;
  enemy->Speak(100, 200, 0, 1, 0, 0);
  g_LocalPlayers.Add();
  own->player = g_LocalPlayers.Get(0);
  own->Speak(100, 200, 1, 0, 0, 0);
  own->player = nullptr;
  MPSetTestRole(1);
  own->Speak(100, 200, 0, 0, 0, 0);
  MPSetTestRole(0);
  EXPECT_EQ(sound_->PlayLog().size(), count);
}

TEST_F(GruntTest, AnExchangeStreamsBothLinesAsOneWithoutASpeakerWhoIsStillTalking) {
  CHLOGrunt* own = Make("SquadRifleman", 0);
  CHLOGrunt* enemy = Make("EnemyGuard", 1);
  CHLOGrunt* third = Make("EnemyGuard", 1);
  SetTime(7000);
  own->SayExchange(10, 11, enemy, 20, 21);
  // The stream starts with the first soldier's line; both soldiers' voices
  // count as playing while the stream runs (no device here: it runs on).
  ASSERT_NE(LastPlay(), nullptr);
  EXPECT_EQ(LastPlay()->kind, SPK_STREAM);
  EXPECT_EQ(LastPlay()->event, 11) << "holding fire: the alternative line";
  EXPECT_EQ(LastPlay()->tag, own->SoundEmitterId);
  EXPECT_FALSE(LastPlay()->positional);
  EXPECT_TRUE(sound_->IsSamplePlaying(own->SoundEmitterId));
  EXPECT_TRUE(sound_->IsSamplePlaying(enemy->SoundEmitterId));
  EXPECT_EQ(own->talkingTime, 7000u);
  EXPECT_EQ(enemy->talkingTime, 7000u);
  // While the first soldier still speaks only the second's line is streamed.
  SetTime(7500);
  own->SayExchange(10, 11, third, 30, 31);
  EXPECT_EQ(LastPlay()->kind, SPK_STREAM);
  EXPECT_EQ(LastPlay()->event, 30);
  EXPECT_EQ(LastPlay()->tag, third->SoundEmitterId);
  EXPECT_EQ(own->talkingTime, 7000u);
  EXPECT_EQ(third->talkingTime, 7500u);
  // With both speaking nothing is started.
  const std::size_t count = sound_->PlayLog().size();
  own->SayExchange(10, 11, enemy, 20, 21);
  EXPECT_EQ(sound_->PlayLog().size(), count);
  // Nor does a soldier whose voice plays speak a line.
  enemy->Speak(100, 100, 0, 0, 0, 0);
  EXPECT_EQ(sound_->PlayLog().size(), count);
}

TEST_F(GruntTest, ASpeakersEntryBlinksForThreeSecondsAfterItSpoke) {
  CHLOGrunt* s = Make("EnemyGuard", 1);
  EXPECT_EQ(s->GetTalkBlinkAlpha(), 0) << "never spoke";
  s->talkingTime = 1800;
  const struct {
    std::uint32_t now;
    int alpha;
  } cases[] = {{1800, 63}, {2000, 255}, {3400, 255}, {3499, 255}, {3500, 63}, {3800, 63}, {4800, 63}, {4801, 0}};
  for (const auto& c : cases) {
    SetTime(c.now);
    EXPECT_EQ(s->GetTalkBlinkAlpha(), c.alpha) << c.now;
  }
}

TEST_F(GruntTest, CalmEnemiesNearTheSquadMumbleAtLeastSixSecondsApart) {
  Make("SquadRifleman", 0);  // within reach: nothing has a place here but the origin
  CHLOGrunt* a = Make("EnemyGuard", 1);
  CHLOGrunt* b = Make("EnemyGuard", 1);
  ASSERT_EQ(a->order, FOLLOW_WAYPOINTS);
  for (CHLOGrunt* s : {a, b}) s->alertness = SLEEPING;
  std::vector<std::uint32_t> times;
  for (std::uint32_t now = 1000; now < 121000; now += 50) {
    SetTime(now);
    const std::size_t before = sound_->PlayLog().size();
    a->Mumble();
    b->Mumble();
    for (std::size_t i = before; i < sound_->PlayLog().size(); ++i) {
      EXPECT_EQ(sound_->PlayLog()[i].event, 2160) << "the sleeping line";
      times.push_back(now);
    }
  }
  ASSERT_GE(times.size(), 9u);
  for (std::size_t i = 1; i < times.size(); ++i) {
    EXPECT_GT(times[i] - times[i - 1], 6000u);
    EXPECT_LE(times[i] - times[i - 1], 12050u);
  }
  // Awake, the other line; alert, alarmed, or with a target, none.
  a->alertness = PASSIVE;
  SetTime(200000);
  a->Mumble();
  ASSERT_NE(LastPlay(), nullptr);
  EXPECT_EQ(LastPlay()->event, 2471);
  const std::size_t count = sound_->PlayLog().size();
  for (int alertness : {ALERT, ALARMED}) {
    a->alertness = alertness;
    SetTime(300000 + 20000 * alertness);
    a->Mumble();
  }
  EXPECT_EQ(sound_->PlayLog().size(), count);
}

TEST_F(GruntTest, TheDamageFlashLastsFiveHundredMillisecondsLessTheHitAndNeverBelowZero) {
  // Converted to whole milliseconds by truncation (500 - 450.00002 is 49.99998).
  const struct {
    float amount, most;
    int ms;
  } cases[] = {{0.0f, 100.0f, 500}, {10.0f, 100.0f, 425}, {60.0f, 100.0f, 49}, {66.0f, 100.0f, 4},
               {70.0f, 100.0f, 0},  {100.0f, 100.0f, 0},  {250.0f, 100.0f, 0}, {5.0f, 0.0f, 0}};
  for (const auto& c : cases) EXPECT_EQ(DamageFlashDuration(c.amount, c.most), c.ms) << c.amount << "/" << c.most;

  static std::vector<DamageFeedback> felt;
  felt.clear();
  SetDamageFeedbackSink([](const DamageFeedback& f) { felt.push_back(f); });
  CHLOGrunt* own = Make("SquadRifleman", 0);
  CHLOGrunt* other = Make("SquadSniper", 0);
  g_LocalPlayers.Add();
  g_LocalPlayers.Add()->Soldier = own;
  other->PlayDamageFeedback(10.0f, nullptr);
  EXPECT_TRUE(felt.empty()) << "no player controls it";
  own->PlayDamageFeedback(own->GetMaxHealth(), nullptr);
  ASSERT_EQ(felt.size(), 1u);
  EXPECT_EQ(felt[0].Player, 1);
  EXPECT_EQ(felt[0].FlashMs, 0) << "a full-health hit";
  EXPECT_EQ(felt[0].Red, 255);
  EXPECT_EQ(felt[0].Green, 0);
  EXPECT_EQ(felt[0].RumbleEffect, 16);
  EXPECT_EQ(felt[0].RumbleStrength, 1.0f);
}

}  // namespace
