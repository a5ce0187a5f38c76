// The soldier's frame: the order of the steps of the per-frame update, the
// scheduled think, the think and move step and the action step; the action
// runner and turning; dormancy, the corpse hand-off, pending damage, near
// misses and the interaction timeout; the player's use step.  Items are
// fakes behind the frame's item links.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "foundation/maths/angles.h"
#include "menus/screens/screen_manager.h"
#include "sound/sound_manager.h"
#include "units/base/unit_events.h"
#include "units/base/unit_world.h"
#include "units/soldier/grunt.h"
#include "units/soldier/grunt_frame_links.h"
#include "units/units_test_world.h"
#include "world/objects/chlo_manager.h"

namespace {

// An item as the frame's links see it.
struct FakeItem {
  int kind = kItemKindWeapon;
  int weaponClass = 0;
  bool pulled = false;
  int quantity = 1;
  int pulls = 0;
  int releases = 0;
  int defused = 0;
  int defuseNotify = -1;
  CHLOGrunt* usedOn = nullptr;
};

FakeItem* Fake(const CInventoryItem* item) { return reinterpret_cast<FakeItem*>(const_cast<CInventoryItem*>(item)); }
CInventoryItem* AsInventory(FakeItem* item) { return reinterpret_cast<CInventoryItem*>(item); }

FakeItem* g_partnerItem = nullptr;
CHLO* g_nearMissOwner = nullptr;
int g_nearMissTests = 0;
std::vector<std::pair<CHLOGrunt*, int>> g_corpses;
std::uint32_t g_chargeReply = 0;
std::vector<std::uint32_t> g_raised;

void FillItemLinks() {
  GruntFrameLinks& l = GruntLinks();
  l.ItemKind = [](const CInventoryItem* i) { return Fake(i)->kind; };
  l.WeaponClass = [](const CInventoryItem* i) { return Fake(i)->kind == kItemKindWeapon ? Fake(i)->weaponClass : -1; };
  l.IsTriggerPulled = [](const CInventoryItem* i) { return Fake(i)->pulled; };
  l.PullTrigger = [](CInventoryItem* i, CHLOGrunt*) {
    Fake(i)->pulled = true;
    ++Fake(i)->pulls;
  };
  l.ReleaseTrigger = [](CInventoryItem* i) {
    Fake(i)->pulled = false;
    ++Fake(i)->releases;
  };
  l.GetQuantity = [](const CInventoryItem* i) { return Fake(i)->quantity; };
  l.UseItem = [](CInventoryItem* i, CHLOGrunt*, CHLOGrunt* target, int, int) { Fake(i)->usedOn = target; };
  l.AsItem = [](CHLO*) { return g_partnerItem != nullptr ? AsInventory(g_partnerItem) : nullptr; };
  l.Defuse = [](CInventoryItem* i, CHLOGrunt*, int notify) {
    ++Fake(i)->defused;
    Fake(i)->defuseNotify = notify;
  };
  l.MakeCorpse = [](CHLOGrunt* s, int state) { g_corpses.emplace_back(s, state); };
  l.NearMissTest = [](CHLOGrunt*, bool* hit) {
    ++g_nearMissTests;
    *hit = g_nearMissOwner != nullptr;
    return g_nearMissOwner;
  };
}

void AnswerChargeEvent(std::uint32_t code, std::uint32_t* block, int words) {
  g_raised.push_back(code);
  if (code == 39 && words >= 2) block[1] = g_chargeReply;
}

class GruntFrameTest : public UnitsTestWorld {
 protected:
  void SetUp() override {
    UnitsTestWorld::SetUp();
    ASSERT_TRUE(LoadStats());
    ASSERT_TRUE(LoadRules());
    ResetGruntLinks();
    FillItemLinks();
    g_partnerItem = nullptr;
    g_nearMissOwner = nullptr;
    g_nearMissTests = 0;
    g_corpses.clear();
    g_raised.clear();
    savedScreen_ = ScreenId;
    ScreenId = 14;
    SetFrame(5000, 1.0f / 30.0f);
  }
  void TearDown() override {
    SetGruntStepTrace(nullptr);
    SetUnitEventHandler(nullptr);
    ResetGruntLinks();
    ScreenId = savedScreen_;
    SetCrawlAllowed(1);
    g_LocalPlayers.RemoveAll();
    UnitsTestWorld::TearDown();
  }
  void SetFrame(std::uint32_t ms, float seconds) {
    CTimer::State s;
    clock_.SaveState(&s);
    s.gameTime = ms;
    s.frameTime = seconds;
    s.frameTimeMs = static_cast<std::uint32_t>(seconds * 1000.0f);
    s.running = 1;
    clock_.RestoreState(s);
  }
  CHLOGrunt* Enemy() { return MakeSoldier("EnemyGuard", 1); }
  CHLOGrunt* Friend() { return MakeSoldier("SquadRifleman", 0); }
  CHLOGrunt* PlayerSoldier() {
    CHLOGrunt* s = Friend();
    g_LocalPlayers.Add();
    s->player = g_LocalPlayers.Get(g_LocalPlayers.Count() - 1);
    s->player->ObjectLink = s;
    return s;
  }
  void Trace() {
    trace_.clear();
    SetGruntStepTrace(&trace_);
  }
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const std::string& t : trace_)
      if (t.rfind("event ", 0) == 0) out.push_back(t);
    return out;
  }
  std::vector<std::string> Only(const std::set<std::string>& names) const {
    std::vector<std::string> out;
    for (const std::string& t : trace_)
      if (names.count(t)) out.push_back(t);
    return out;
  }
  std::vector<std::string> trace_;
  int savedScreen_ = 0;
};

using Steps = std::vector<std::string>;

// --- Orders of steps ----------------------------------------------------------------------

const std::set<std::string> kProcessSteps = {
    "crawl lift", "unit base step", "network firing bit", "friendly flag", "PuffBreath", "Respawn",
    "corpse hand-off", "RemoteSoldierStep", "dormant", "ReactToNearMiss", "PlayerUseStep", "ClientMoveStep",
    "GruntThink", "UpdateActions", "UpdateAimJoint", "interaction timeout", "ground settle",
    "place at animation frame", "instance transform"};

TEST_F(GruntFrameTest, ThePerFrameUpdateRunsItsStepsInOrder) {
  CHLOGrunt* enemy = Enemy();
  ASSERT_NE(enemy, nullptr);
  Trace();
  enemy->Update();
  EXPECT_EQ(Only(kProcessSteps), (Steps{"unit base step", "ReactToNearMiss", "PlayerUseStep", "GruntThink",
                                        "UpdateActions", "UpdateAimJoint", "instance transform"}));

  // A crawling friend with crawling forbidden, settling on the ground, in
  // movement state 57.
  CHLOGrunt* own = Friend();
  ASSERT_NE(own, nullptr);
  own->stance = STANCE_CRAWL;
  SetCrawlAllowed(0);
  own->groundSettle = 1;
  own->groundSettleEnd = 4000;
  Trace();
  own->Update();
  const Steps steps = Only(kProcessSteps);
  EXPECT_EQ(steps, (Steps{"crawl lift", "unit base step", "friendly flag", "PuffBreath", "ReactToNearMiss",
                          "PlayerUseStep", "GruntThink", "UpdateActions", "UpdateAimJoint", "ground settle",
                          "instance transform"}));
  EXPECT_NE(own->stance, STANCE_CRAWL);
  EXPECT_EQ(own->groundSettle, 0u);  // the clock is past its end
}

TEST_F(GruntFrameTest, TheThinkAndMoveStepRunsItsStepsInOrder) {
  const Steps common_head = {"read position", "StepMovementState", "StepUpperBodyState", "PlayUpperBodyAnim",
                             "UpdateMoveSpeed", "CheckFlee"};
  const Steps common_tail = {"ground step", "surface", "UpdateBreathing", "statistics", "light grid", "fall word",
                             "switch plate", "move instance", "UpdateStuckMeter", "SetRotation", "listeners"};
  struct Case {
    const char* what;
    bool player;
    bool dead;
    Steps middle;
    Steps end;
  };
  const Case cases[] = {
      {"an AI soldier standing", false, false,
       {"GruntActionStep", "ResetAnimSpeed", "movement direction", "UpdateCollisionShape", "controller mask"}, {}},
      {"a dead AI soldier fits its body to the ground", false, true,
       {"GruntActionStep", "ResetAnimSpeed", "movement direction", "UpdateCollisionShape", "FitBodyToGround",
        "controller mask"},
       {}},
      {"a player's soldier probes its view", true, false,
       {"player movement step", "movement direction", "UpdateCollisionShape", "controller mask"}, {"view probe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CHLOGrunt* s = c.player ? PlayerSoldier() : Enemy();
    ASSERT_NE(s, nullptr);
    s->action = ACTION_DO_NOTHING;
    if (c.dead) s->health = 0.0f;
    Trace();
    GruntThink(s);
    Steps want = common_head;
    want.insert(want.end(), c.middle.begin(), c.middle.end());
    want.insert(want.end(), common_tail.begin(), common_tail.end());
    want.insert(want.end(), c.end.begin(), c.end.end());
    EXPECT_EQ(trace_, want);
    EXPECT_EQ(s->collisionMask, c.player ? 0x1800u : 0x400u);
  }
}

TEST_F(GruntFrameTest, TheScheduledThinkRunsItsStepsInOrder) {
  CHLOGrunt* enemy = Enemy();
  ASSERT_NE(enemy, nullptr);
  enemy->pendingDamage = 5.0f;
  Trace();
  GruntScheduledThink(enemy);
  EXPECT_EQ(trace_, (Steps{"pending damage", "dormancy", "removal step", "stance think", "IsSquadStretched", "facing",
                           "UpdateHeavyWeaponFlag", "weapon readiness", "StartPendingRoute", "holding fire",
                           "sphere event drop", "squad chatter", "ForgetDeadTargets"}));

  // A friend following a leader stays on the ground; it does not measure.
  CHLOGrunt* leader = Friend();
  CHLOGrunt* follower = Friend();
  ASSERT_NE(follower, nullptr);
  follower->leader = leader;
  Trace();
  GruntScheduledThink(follower);
  EXPECT_EQ(trace_, (Steps{"stance think", "IsSquadStretched", "TrackLeader", "facing", "UpdateHeavyWeaponFlag",
                           "weapon readiness", "StartPendingRoute", "sphere event drop", "squad chatter",
                           "drop to ground", "ForgetDeadTargets"}));
}

TEST_F(GruntFrameTest, TheActionStepRunsItsStepsInOrder) {
  struct Case {
    const char* what;
    std::uint32_t flags;
    int upperBody;
    int movementState;
    Steps want;
    bool armed = false;  // the soldier keeps its gun in hand (else empty hands)
  };
  const Case cases[] = {
      {"plain", 0, 0, MS_STAND_IDLE,
       {"UpdateCall", "UpdateAim", "GrowAwareness", "TurnTorsoAndHead", "UpdateWeaponHandling", "UpdateQuadLeaf"}},
      {"gun in hand", 0, 0, MS_STAND_IDLE,
       {"UpdateCall", "UpdateAim", "GrowAwareness", "TurnTorsoAndHead", "UpdateWeaponHandling", "SettleRecoil",
        "UpdateQuadLeaf"},
       true},
      {"turning, throwing, planting, AI on", UNITF_TURNING | UNITF_AI_ON, 6, 35,
       {"UpdateCall", "UpdateAim", "GrowAwareness", "TurnTorsoAndHead", "TurnToTarget", "UpdateWeaponHandling",
        "PlantCharge", "ReleaseGrenade", "UpdateQuadLeaf", "CombatThink"}},
      {"melee", 0, 14, MS_STAND_IDLE,
       {"UpdateCall", "UpdateAim", "GrowAwareness", "TurnTorsoAndHead", "UpdateWeaponHandling", "MeleeStrike",
        "UpdateQuadLeaf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CHLOGrunt* s = Enemy();
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->itemInHand, nullptr) << "guards are made with their gun in hand";
    if (!c.armed) s->SelectItem(nullptr, true);
    s->unitFlags = (s->unitFlags & ~(UNITF_TURNING | UNITF_AI_ON)) | c.flags;
    s->upperBodyState = c.upperBody;
    s->movementState = c.movementState;
    Trace();
    s->UpdateActions();
    EXPECT_EQ(trace_, c.want);
  }
}

// --- Action runner ---------------------------------------------------------------------------

TEST_F(GruntFrameTest, EachActionAsksItsMovementEvents) {
  struct Case {
    int action;
    float speed;
    std::uint32_t arrived;
    int stance;
    Steps events;
  };
  const Case cases[] = {
      {ACTION_FOLLOW_WAYPOINTS, 0.0f, 0, STANCE_WALK, {}},
      {ACTION_FOLLOW_WAYPOINTS, 0.0f, 1, STANCE_WALK, {"event 29", "event 49"}},
      {ACTION_FOLLOW_ROUTE, 0.0f, 1, STANCE_RUN, {"event 29"}},
      {ACTION_HOLD_POSITION, 0.0f, 0, STANCE_WALK, {"event 29"}},
      {ACTION_HOLD_POSITION, 120.0f, 0, STANCE_WALK, {"event 29", "event 29", "event 29"}},
      {ACTION_ROUTE_SCANNING, 0.0f, 0, STANCE_WALK, {"event 29"}},
      {ACTION_WAITING_FOR_ROUTER, 0.0f, 0, STANCE_WALK, {"event 29"}},
      {ACTION_TURN_ON_SPOT_TO_FACE_TARGET, 120.0f, 0, STANCE_WALK, {"event 29", "event 29"}},
      {ACTION_TURN_ON_SPOT_TO_BASE_ROTATION, 0.0f, 0, STANCE_WALK, {"event 29", "event 29"}},
      {ACTION_DO_NOTHING, 120.0f, 0, STANCE_WALK, {}},
      {ACTION_CLIMB_UP_LADDER, 0.0f, 0, STANCE_WALK, {"event 60"}},
      {ACTION_CLIMB_DOWN_LADDER, 0.0f, 0, STANCE_WALK, {"event 61"}},
      {ACTION_FIRE_GUN_INTO_AIR, 120.0f, 0, STANCE_WALK, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "action " << c.action << " speed " << c.speed);
    CHLOGrunt* s = Enemy();
    ASSERT_NE(s, nullptr);
    s->action = c.action;
    s->actionTime = UnitGameTime();
    s->speed = c.speed;
    s->routeArrived = c.arrived;
    s->stance = c.stance;
    CVector3 position = s->GetPosition(), rotation{}, aim{}, wanted{};
    Trace();
    GruntActionStep(s, &position, &rotation, &aim, &wanted);
    EXPECT_EQ(Events(), c.events);
  }
}

TEST_F(GruntFrameTest, TurningToTheBaseRotationEndsInHoldPositionUnlessTheLookPatternIsOn) {
  for (const bool pattern : {false, true}) {
    CHLOGrunt* s = Enemy();
    ASSERT_NE(s, nullptr);
    s->action = ACTION_TURN_ON_SPOT_TO_BASE_ROTATION;
    if (pattern) s->unitFlags |= UNITF_LOOK_PATTERN;
    CVector3 position{}, rotation{}, aim{}, wanted{};
    GruntActionStep(s, &position, &rotation, &aim, &wanted);
    EXPECT_EQ(s->action, pattern ? ACTION_TURN_ON_SPOT_TO_BASE_ROTATION : ACTION_HOLD_POSITION);
  }
}

TEST_F(GruntFrameTest, TurnTowardsReachesTheWantedHeadingWithinTwoDegrees) {
  struct Case {
    float wanted;
    const char* event;
  };
  for (const Case c : {Case{100.0f, "event 33"}, Case{250.0f, "event 32"}, Case{1.5f, "event 29"}}) {
    SCOPED_TRACE(c.wanted);
    CHLOGrunt* s = Enemy();
    ASSERT_NE(s, nullptr);
    CVector3 rotation{};
    Trace();
    int done = 0, frames = 0;
    while (!done && frames < 300) {
      done = s->TurnTowards(&rotation, CVector3{0.0f, c.wanted, 0.0f});
      ++frames;
    }
    ASSERT_EQ(done, 1);
    EXPECT_LE(std::fabs(AngleDifference(rotation.y, c.wanted)), 2.0f);
    ASSERT_FALSE(trace_.empty());
    EXPECT_EQ(trace_.front(), c.event);
    EXPECT_EQ(trace_.back(), "event 29");
  }
}

TEST_F(GruntFrameTest, ASoldierTurningToItsLeadersOrientationWaitsFiveHundredMilliseconds) {
  CHLOGrunt* s = Enemy();
  ASSERT_NE(s, nullptr);
  s->action = ACTION_TURN_ON_SPOT_TO_LEADERS_ORIENTATION;
  s->actionTime = 5000;
  s->leaderFacing = 90.0f;
  CVector3 position{}, rotation{}, aim{}, wanted{};
  SetFrame(5500, 1.0f / 30.0f);
  GruntActionStep(s, &position, &rotation, &aim, &wanted);
  EXPECT_EQ(rotation.y, 0.0f);
  SetFrame(5501, 1.0f / 30.0f);
  Trace();
  GruntActionStep(s, &position, &rotation, &aim, &wanted);
  EXPECT_GT(rotation.y, 0.0f);
  EXPECT_EQ(Events().back(), "event 33");
}

TEST_F(GruntFrameTest, UnderHoldPositionAMovingSoldierAsksTheStopEventInTheFrameItTurns) {
  CHLOGrunt* s = Enemy();
  ASSERT_NE(s, nullptr);
  s->SetMovementState(MS_WALK);
  s->speed = 150.0f;
  s->action = ACTION_HOLD_POSITION;
  s->baseRotation = CVector3{0.0f, 90.0f, 0.0f};
  CVector3 position{}, rotation{}, aim{}, wanted{};
  Trace();
  GruntActionStep(s, &position, &rotation, &aim, &wanted);
  const Steps events = Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "event 29");
  EXPECT_NE(std::find(events.begin(), events.end(), "event 33"), events.end());
  EXPECT_GT(rotation.y, 0.0f);
}

// --- Per-frame rules ---------------------------------------------------------------------------

TEST_F(GruntFrameTest, DormancyFollowsTheSidesOrdersAndTheWakeTime) {
  CHLOGrunt* enemy = Enemy();
  CHLOGrunt* own = Friend();
  ASSERT_NE(enemy, nullptr);
  ASSERT_NE(own, nullptr);
  // No visual: nothing is drawn, so a hostile soldier sleeps.
  EXPECT_EQ(enemy->UpdateDormancy(), 1);
  EXPECT_EQ(own->UpdateDormancy(), 0);
  enemy->order = LEGGING_IT;
  EXPECT_EQ(enemy->UpdateDormancy(), 0);
  enemy->order = RETURN_TO_WAYPOINTS;
  EXPECT_EQ(enemy->UpdateDormancy(), 0);
  enemy->order = FOLLOW_WAYPOINTS;
  enemy->Flags |= 0x8;
  EXPECT_EQ(enemy->UpdateDormancy(), 0);
  enemy->Flags &= ~0x8u;
  ASSERT_EQ(enemy->UpdateDormancy(), 1);

  // Awake for the first second after activation; frozen is always asleep.
  SetFrame(enemy->ActivationTime + 999, 1.0f / 30.0f);
  EXPECT_FALSE(enemy->IsDormant());
  SetFrame(enemy->ActivationTime + 1000, 1.0f / 30.0f);
  EXPECT_TRUE(enemy->IsDormant());
  enemy->dormant = 0;
  enemy->unitFlags |= UNITF_FROZEN;
  EXPECT_TRUE(enemy->IsDormant());

  // A dormant soldier only stamps its frame.
  enemy->unitFlags &= ~UNITF_FROZEN;
  enemy->dormant = 1;
  Trace();
  enemy->Update();
  EXPECT_EQ(trace_, (Steps{"unit base step", "dormant"}));
}

TEST_F(GruntFrameTest, ADeadEnemyIsHandedToTheCorpseListAtTenHundredAndOneMillisecondsNotAtOneThousand) {
  CHLOGrunt* s = Enemy();
  ASSERT_NE(s, nullptr);
  s->health = 0.0f;
  s->movementState = 103;  // lying dead: the body is at rest
  s->deathTime = 5000;
  SetFrame(6000, 1.0f / 30.0f);
  s->Update();
  EXPECT_TRUE(g_corpses.empty());
  EXPECT_NE(s->Flags & HLOF_ACTIVE, 0u);
  SetFrame(6001, 1.0f / 30.0f);
  s->Update();
  ASSERT_EQ(g_corpses.size(), 1u);
  EXPECT_EQ(g_corpses[0].first, s);
  EXPECT_EQ(g_corpses[0].second, 103);
  EXPECT_EQ(s->Flags & HLOF_ACTIVE, 0u);

  // A dead friend is never handed over.
  CHLOGrunt* own = Friend();
  own->health = 0.0f;
  own->movementState = 103;
  own->deathTime = 0;
  own->Update();
  EXPECT_EQ(g_corpses.size(), 1u);
}

TEST_F(GruntFrameTest, DamageLeftByACallbackIsAppliedOnceAtTheNextScheduledThink) {
  CHLOGrunt* s = Enemy();
  ASSERT_NE(s, nullptr);
  const float before = s->health;
  s->pendingDamage = 10.0f;
  s->Update();
  EXPECT_EQ(s->health, before);  // the frame leaves it
  GruntScheduledThink(s);
  EXPECT_FLOAT_EQ(s->health, before - 10.0f);
  EXPECT_EQ(s->pendingDamage, 0.0f);
  GruntScheduledThink(s);
  EXPECT_FLOAT_EQ(s->health, before - 10.0f);
}

TEST_F(GruntFrameTest, NearMissesAlertAnEnemyButASoldierALocalPlayerControlsIgnoresThem) {
  CHLOGrunt* shooter = Friend();
  g_nearMissOwner = shooter;
  CHLOGrunt* enemy = Enemy();
  ASSERT_NE(enemy, nullptr);
  enemy->unitFlags |= UNITF_AI_ON;
  enemy->alertness = SLEEPING;
  EXPECT_EQ(enemy->ReactToNearMiss(), shooter);
  EXPECT_EQ(enemy->alertness, ALERT);
  EXPECT_EQ(enemy->order, HUNT_ENEMY);
  EXPECT_EQ(enemy->awareness[0].Target, shooter);

  CHLOGrunt* own = PlayerSoldier();
  g_nearMissOwner = enemy;
  const int tests = g_nearMissTests;
  const std::int32_t alertness = own->alertness;
  EXPECT_EQ(own->ReactToNearMiss(), nullptr);
  EXPECT_EQ(g_nearMissTests, tests);
  EXPECT_EQ(own->alertness, alertness);
}

TEST_F(GruntFrameTest, AnInteractionStillRunningAfterFiveSecondsEndsAndADefusingDefusesTheCharge) {
  FakeItem charge;
  charge.kind = kItemKindWeapon;
  charge.weaponClass = kWeaponClassC4Charge;
  g_partnerItem = &charge;
  CHLOGrunt* s = Friend();
  CHLOGrunt* partner = Enemy();  // the world object being used
  s->interactionPartner = partner;
  s->interactionStart = 5000;
  s->unitFlags |= UNITF_INTERACTING;
  SetFrame(9999, 1.0f / 30.0f);
  s->Update();
  EXPECT_EQ(charge.defused, 0);
  EXPECT_NE(s->unitFlags & UNITF_INTERACTING, 0u);
  SetFrame(10000, 1.0f / 30.0f);
  Trace();
  s->Update();
  EXPECT_EQ(charge.defused, 1);
  EXPECT_EQ(charge.defuseNotify, 1);
  EXPECT_EQ(s->unitFlags & UNITF_INTERACTING, 0u);
  EXPECT_NE(std::find(trace_.begin(), trace_.end(), "event 47"), trace_.end());
  s->Update();
  EXPECT_EQ(charge.defused, 1);

  // Anything else is simply forgotten.
  FakeItem kit;
  kit.kind = kItemKindMediKit;
  g_partnerItem = &kit;
  s->interactionPartner = partner;
  s->interactionStart = 10000;
  s->unitFlags |= UNITF_INTERACTING;
  SetFrame(15000, 1.0f / 30.0f);
  s->Update();
  EXPECT_EQ(kit.defused, 0);
  EXPECT_EQ(s->interactionPartner, nullptr);
}

// --- Player use step ---------------------------------------------------------------------------

TEST_F(GruntFrameTest, TheUseLatchBlocksASecondUseUntilTheButtonIsReleased) {
  CHLOGrunt* s = PlayerSoldier();
  FakeItem grenade;
  grenade.weaponClass = 2;
  s->itemInHand = AsInventory(&grenade);
  s->player->UseButtons = 0x4;
  s->soldierFlags |= 0x400;  // a grenade has just left the hand
  s->PlayerUseStep();
  EXPECT_EQ(grenade.pulls, 0);
  EXPECT_EQ(grenade.releases, 1);
  s->player->UseButtons = 0;
  s->PlayerUseStep();
  EXPECT_EQ(s->soldierFlags & 0x400, 0u);
  s->player->UseButtons = 0x4;
  s->PlayerUseStep();
  EXPECT_EQ(grenade.pulls, 1);
  s->itemInHand = nullptr;
}

TEST_F(GruntFrameTest, AChargeIsUsedOnlyWhenThePluginAnswersEventThirtyNine) {
  SetUnitEventHandler(AnswerChargeEvent);
  CHLOGrunt* s = PlayerSoldier();
  FakeItem c4;
  c4.weaponClass = kWeaponClassC4Charge;
  s->itemInHand = AsInventory(&c4);
  s->player->UseButtons = 0x4;
  g_chargeReply = 0;
  s->PlayerUseStep();
  EXPECT_EQ(c4.pulls, 0);
  EXPECT_EQ(c4.releases, 1);
  ASSERT_FALSE(g_raised.empty());
  EXPECT_EQ(g_raised.back(), 39u);
  g_chargeReply = 1;
  s->PlayerUseStep();
  EXPECT_EQ(c4.pulls, 1);
  // With the button up the charge keeps its trigger.
  s->player->UseButtons = 0;
  s->PlayerUseStep();
  EXPECT_TRUE(c4.pulled);
  s->itemInHand = nullptr;
}

TEST_F(GruntFrameTest, TheDetonatorNeedsBothButtonsAndBlockedInputKeepsOnlyTheOptics) {
  CHLOGrunt* s = PlayerSoldier();
  FakeItem detonator;
  detonator.kind = kItemKindDetonator;
  s->itemInHand = AsInventory(&detonator);
  s->player->UseButtons = 0x4;
  s->PlayerUseStep();
  EXPECT_EQ(detonator.pulls, 0);
  s->player->UseButtons = 0x4 | 0x2;
  s->PlayerUseStep();
  EXPECT_EQ(detonator.pulls, 1);

  struct Case {
    int kind;
    bool keeps;
  };
  for (const Case c : {Case{kItemKindBinoculars, true}, Case{kItemKindLaserDesignator, true}, Case{kItemKindWeapon, false}}) {
    SCOPED_TRACE(c.kind);
    FakeItem item;
    item.kind = c.kind;
    item.pulled = true;
    s->itemInHand = AsInventory(&item);
    s->player->InventoryPopup = 1;
    s->PlayerUseStep();
    EXPECT_EQ(item.pulled, c.keeps);
    s->player->InventoryPopup = 0;
  }
  s->itemInHand = nullptr;
}

TEST_F(GruntFrameTest, AMediKitReachesAFriendPointedAtThreeNinetyNineButNotAtFourHundred) {
  CHLOGrunt* s = PlayerSoldier();
  CHLOGrunt* mate = Friend();
  FakeItem kit;
  kit.kind = kItemKindMediKit;
  kit.pulled = true;
  s->itemInHand = AsInventory(&kit);
  s->player->RadioWord = 1;
  s->player->PointedObject = mate;
  struct Case {
    float distance;
    CHLOGrunt* target;
  };
  for (const Case c : {Case{399.0f, mate}, Case{400.0f, s}}) {
    SCOPED_TRACE(c.distance);
    kit.usedOn = nullptr;
    s->player->PointedDistance = c.distance;
    s->UpdateActions();
    EXPECT_EQ(kit.usedOn, c.target);
  }
  kit.quantity = 0;
  kit.usedOn = nullptr;
  s->UpdateActions();
  EXPECT_EQ(kit.usedOn, nullptr);
  s->itemInHand = nullptr;
}

TEST_F(GruntFrameTest, AutoAimAndThePredictedJointPosition) {
  CHLOGrunt* ai = Enemy();
  EXPECT_EQ(ai->ShouldAutoAim(), 1);
  CHLOGrunt* own = PlayerSoldier();
  EXPECT_EQ(own->ShouldAutoAim(), 1);
  own->player->AimYawAxis = 0.5f;
  EXPECT_EQ(own->ShouldAutoAim(), 0);
  SetCutsceneRunning(true);
  EXPECT_EQ(own->ShouldAutoAim(), 1);
  SetCutsceneRunning(false);
  own->player->AimYawAxis = 0.0f;
  own->player->RadioWord = 1;
  EXPECT_EQ(own->ShouldAutoAim(), 0);

  ai->velocityDirection = CVector3{1.0f, 0.0f, 0.0f};
  ai->speed = 200.0f;
  const CVector3 at = ai->GetPosition();
  CVector3 out{};
  ai->PredictJointPosition(500, JOINT_HEAD, &out);
  EXPECT_FLOAT_EQ(out.x, at.x + 100.0f);
  EXPECT_FLOAT_EQ(out.z, at.z);
  ai->PredictJointPosition(500, JOINT_HEAD, nullptr);  // nothing to write
}

}  // namespace

namespace {

// --- Flee check and shouts -----------------------------------------------------------------------

CVector3 g_escapePoint{};
bool g_escapeHasPoint = false;
int g_escapeFound = 0;

int AnswerEscape(CHLOGrunt*, const CVector3&, CVector3* point, bool* havePoint) {
  *havePoint = g_escapeHasPoint;
  if (g_escapeHasPoint) *point = g_escapePoint;
  return g_escapeFound;
}

TEST_F(GruntFrameTest, AFleeWithoutAnEscapePointLeavesTheSoldierWhereItIs) {
  GruntLinks().FindEscapePoint = AnswerEscape;
  struct Case {
    const char* what;
    bool player;
    bool havePoint;
    int found;
    int order;
    int action;
  };
  const Case cases[] = {
      {"no point at all: no flight", false, false, 0, HOLD_POSITION, ACTION_HOLD_POSITION},
      {"a point the search did not settle: straight for it", false, true, 0, LEGGING_IT, ACTION_FOLLOW_ROUTE},
      {"a player's soldier takes no flee request", true, true, 0, HOLD_POSITION, ACTION_HOLD_POSITION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CHLOGrunt* s = c.player ? PlayerSoldier() : Friend();
    ASSERT_NE(s, nullptr);
    s->order = HOLD_POSITION;
    s->action = ACTION_HOLD_POSITION;
    g_escapeHasPoint = c.havePoint;
    g_escapeFound = c.found;
    g_escapePoint = CVector3{800.0f, 0.0f, 0.0f};
    s->RequestFlee(CVector3{0.0f, 0.0f, 100.0f});
    s->CheckFlee();
    EXPECT_EQ(s->order, c.order);
    EXPECT_EQ(s->action, c.action);
    EXPECT_EQ(s->fleeRequest, 0u);
    if (c.order == LEGGING_IT) {
      EXPECT_EQ(s->destination.x, 800.0f);
    }
  }
}

TEST_F(GruntFrameTest, EnemiesShoutUnderFireAtMostOnceInFiveSecondsBetweenThemAll) {
  ResetGruntShoutClocks();
  CHLOGrunt* a = Enemy();
  CHLOGrunt* b = Enemy();
  ASSERT_NE(b, nullptr);
  auto shouts = [&] {
    int n = 0;
    for (const SoundPlayRecord& r : sound_->PlayLog())
      if (r.event == 2581) ++n;
    return n;
  };
  a->ShoutUnderFire();
  EXPECT_EQ(shouts(), 1);
  SetFrame(9999, 1.0f / 30.0f);
  b->ShoutUnderFire();  // the clock is shared
  EXPECT_EQ(shouts(), 1);
  SetFrame(10000, 1.0f / 30.0f);
  b->ShoutUnderFire();
  EXPECT_EQ(shouts(), 2);
}

}  // namespace
