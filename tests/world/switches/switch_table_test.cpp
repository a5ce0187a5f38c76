// Switches: the "Switches.txt" types, the level's switch section with its
// visuals, and the move state machine on the game clock with its callbacks
// and linked doors.
#include "world/switches/switch_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/objects/hlo_spawn_record.h"
#include "world/regions/region_list.h"

namespace {

const char kStats[] =
    "Lever,lever_base,lever_arm,0,10,0,0,0,90,2.5\n"
    "Button,button,NONE,1,0,0,0,0,0,0\n"
    "Lastline,a,b,0,0,0,0,0,0,1";  // no line end: not read

void SetClock(CTimer* clock, std::uint32_t ms) {
  CTimer::State s{};
  clock->SaveState(&s);
  s.gameTime = ms;
  clock->RestoreState(s);
}

TEST(SwitchStats, ReadsOneTypePerLineEnd) {
  ASSERT_EQ(SwitchStatsRead(kStats, std::strlen(kStats), 19), 1);
  ASSERT_EQ(SwitchStatsCount(), 2);
  const SwitchStats* lever = SwitchStatsFind("Lever");
  ASSERT_NE(lever, nullptr);
  EXPECT_EQ(lever->TableTag, 19u);
  EXPECT_STREQ(lever->FirstModel, "lever_base");
  EXPECT_STREQ(lever->SecondModel, "lever_arm");
  EXPECT_EQ(lever->PositionOffset.y, 10.0f);
  EXPECT_EQ(lever->RotationOffset.z, 90.0f);
  EXPECT_EQ(lever->TravelTime, 2500u);
  EXPECT_EQ(SwitchStatsFind("lever"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(SwitchStatsFind("Lastline"), nullptr);
  EXPECT_STREQ(SwitchStatsFind("Button")->SecondModel, "NONE");
  SwitchStatsFree();
  EXPECT_EQ(SwitchStatsCount(), 0);
}

TEST(SwitchStats, OverlongOrIncompleteLinesAreLeftOut) {
  const std::string longModel(35, 'm');  // one more than the 34 a model field keeps
  const std::string longName(64, 'n');
  const std::string text = "Good,a,b,0,0,0,0,0,0,1\n"
                           "Long," + longModel + ",b,0,0,0,0,0,0,1\n" +
                           longName + ",a,b,0,0,0,0,0,0,1\n"
                           "Short,a,b,0,0,0\n"
                           "Words,a,b,x,0,0,0,0,0,1\n"
                           "Endless,a,b,inf,0,0,0,0,0,1\n"
                           "Nothing,a,b,0,0,0,0,0,0,nan\n"
                           "Huge,a,b,0,0,1e39,0,0,0,1\n"
                           "\n"
                           "Also,a,b,1,2,3,4,5,6,0.25\r\n";
  ASSERT_EQ(SwitchStatsRead(text.data(), text.size(), 19), 1);
  ASSERT_EQ(SwitchStatsCount(), 2);
  EXPECT_STREQ(SwitchStatsGet(0)->Name, "Good");
  EXPECT_STREQ(SwitchStatsGet(1)->Name, "Also");
  EXPECT_EQ(SwitchStatsGet(1)->TravelTime, 250u);
  EXPECT_EQ(SwitchStatsGet(2), nullptr);
  SwitchStatsFree();
}

// A table of switches built in code, with a box region at each switch.
class Switches : public ::testing::Test {
 protected:
  void SetUp() override {
    SwitchStatsRead(kStats, std::strlen(kStats), 19);
    table_.SetEventCallback(&Switches::OnEvent);
    CSwitchTable::SetSwitchObjectCallback(&Switches::OnObject);
    events_.clear();
    objects_.clear();
    SetClock(&clock_, 1000);
  }
  void TearDown() override {
    CSwitchTable::SetSwitchObjectCallback(nullptr);
    SwitchStatsFree();
  }

  // A switch of the lever type at x, usable from a box around it.
  int AddLever(float x, CHLO* door, CHLO* door2 = nullptr) {
    CRegion r;
    r.Type = REGION_BOX;
    r.Box.SetFromBoxAndPose({-50, 0, -50}, {50, 200, 50}, {x, 0, 0}, {0, 0, 0});
    regions_.Add(r);
    CSwitch s;
    s.NameHash = HashString(("lever" + std::to_string(table_.GetCount())).c_str());
    s.Type = SwitchStatsFind("Lever");
    s.TravelTime = s.Type->TravelTime;
    s.RestPosition = {x, 0, 0};
    s.ThrownPosition = {x, 10, 0};
    s.ThrownRotation = {0, 0, 90};
    s.FirstLinked = door;
    s.SecondLinked = door2;
    const int i = table_.Add(&s);
    table_.GetSwitch(i)->Region = regions_.GetRegion(regions_.GetCount() - 1);
    return i;
  }

  struct Event {
    std::uint32_t hash;
    float state;
    std::uint32_t activator;
  };
  static void OnEvent(std::uint32_t hash, float state, std::uint32_t activator) {
    events_.push_back({hash, state, activator});
  }
  static void OnObject(CHLO* object, float state) { objects_.push_back({object, state}); }

  static inline std::vector<Event> events_;
  static inline std::vector<std::pair<CHLO*, float>> objects_;
  CTimer clock_;
  CRegionList regions_;
  CSwitchTable table_{&clock_};
  CHLO door_{HLOSpawnRecord{}, nullptr};
  CHLO otherDoor_{HLOSpawnRecord{}, nullptr};
};

TEST_F(Switches, AThrowRunsOnTheGameClockAndFiresTheCallbacksWithTheStateReached) {
  const int i = AddLever(0, &door_);
  CSwitch* s = table_.GetSwitch(i);
  ASSERT_TRUE(table_.UseAt({0, -50, 0}, 77));  // the point is raised by 100 before the test
  EXPECT_TRUE(s->IsMoving());
  EXPECT_FALSE(s->IsAtRest());
  EXPECT_EQ(s->Activator, 77u);
  EXPECT_FALSE(table_.UseAt({0, -50, 0}, 78)) << "moving";
  // Half-way after 1.25 s: nothing fired yet.
  SetClock(&clock_, 2250);
  table_.Update();
  EXPECT_TRUE(s->IsMoving());
  EXPECT_TRUE(events_.empty());
  // The clock stands still: still half-way.
  table_.Update();
  EXPECT_TRUE(objects_.empty());
  SetClock(&clock_, 3500);
  table_.Update();
  EXPECT_FALSE(s->IsMoving());
  EXPECT_FALSE(s->IsAtRest());
  ASSERT_EQ(objects_.size(), 1u);
  EXPECT_EQ(objects_[0].first, &door_);
  EXPECT_EQ(objects_[0].second, 1.0f);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].hash, s->NameHash);
  EXPECT_EQ(events_[0].state, 1.0f);
  EXPECT_EQ(events_[0].activator, 77u);
  CVector3 p;
  s->GetPosition(&p);
  EXPECT_EQ(p.y, 10.0f);
  EXPECT_FALSE(table_.UseAt({0, -50, 0}, 78)) << "already thrown";

  // Back to rest: the callbacks say 0.
  EXPECT_FALSE(s->SetState(0)) << "already thrown";
  ASSERT_TRUE(s->SetState(1));
  EXPECT_FALSE(s->SetState(0)) << "moving";
  SetClock(&clock_, 3500 + 2500);
  table_.Update();
  EXPECT_TRUE(s->IsAtRest());
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[1].state, 0.0f);
  EXPECT_EQ(objects_.back().second, 0.0f);
  s->GetPosition(&p);
  EXPECT_EQ(p.y, 0.0f);
}

TEST_F(Switches, ZeroTravelTimeEndsOnTheNextUpdate) {
  const int i = AddLever(0, nullptr);
  table_.GetSwitch(i)->TravelTime = 0;
  ASSERT_TRUE(table_.GetSwitch(i)->SetState(0));
  table_.Update();
  EXPECT_FALSE(table_.GetSwitch(i)->IsMoving());
  EXPECT_EQ(events_.size(), 1u);
  EXPECT_TRUE(objects_.empty()) << "no linked object";
}

TEST_F(Switches, OnlyBoxRegionsMakeASwitchUsable) {
  const int i = AddLever(0, nullptr);
  CRegion sphere;
  sphere.Type = REGION_SPHERE;
  sphere.Sphere.Set({500, 100, 0}, 300);
  const int sphereIndex = regions_.Add(sphere);
  const int j = AddLever(500, nullptr);
  table_.GetSwitch(j)->Region = regions_.GetRegion(sphereIndex);
  EXPECT_EQ(table_.FindAt({0, 0, 0}), table_.GetSwitch(i));
  EXPECT_EQ(table_.FindAt({500, 0, 0}), nullptr);
  EXPECT_FALSE(table_.UseAt({500, 0, 0}, 1));
  table_.GetSwitch(i)->Region = nullptr;
  EXPECT_FALSE(table_.UseAt({0, 0, 0}, 1)) << "no region: unusable";
}

TEST_F(Switches, SwitchesOnTheSameDoorFollowSilently) {
  const int a = AddLever(0, &door_);
  const int b = AddLever(1000, nullptr, &door_);
  const int c = AddLever(2000, &otherDoor_);
  ASSERT_TRUE(table_.UseAt({0, 0, 0}, 5));
  SetClock(&clock_, 1000 + 2500);
  table_.Update();
  EXPECT_FALSE(table_.GetSwitch(a)->IsAtRest());
  EXPECT_FALSE(table_.GetSwitch(b)->IsAtRest()) << "linked to the same door";
  EXPECT_FALSE(table_.GetSwitch(b)->IsMoving());
  EXPECT_TRUE(table_.GetSwitch(c)->IsAtRest());
  EXPECT_EQ(events_.size(), 1u) << "the follower fires nothing";
  EXPECT_EQ(objects_.size(), 1u);
}

TEST_F(Switches, GetSwitchRefusesIndicesOutOfRange) {
  AddLever(0, nullptr);
  for (int i : {-1, 1, 2, 1 << 30}) EXPECT_EQ(table_.GetSwitch(i), nullptr) << i;
  EXPECT_NE(table_.GetSwitch(0), nullptr);
}

// --- the level section --------------------------------------------------------------

CEnvObject* NewTemplate(const char* name) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-1, -1, -1};
  t->Bounds.Max = {1, 1, 1};
  t->Sphere.Radius = 1.0f;
  t->ObjectNameHash = HashStringNoCase(name);
  return t;
}

class SwitchSection : public ::testing::Test {
 protected:
  void SetUp() override {
    SwitchStatsRead(kStats, std::strlen(kStats), 19);
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
    env_->AddObject(NewTemplate("lever_base"));
    env_->AddObject(NewTemplate("lever_arm"));
    env_->AddObject(NewTemplate("button"));
    CRegion r;
    r.Type = REGION_BOX;
    r.NameHash = HashString("by_the_door");
    r.Box.SetFromBoxAndPose({-50, 0, -50}, {50, 200, 50}, {0, 0, 0}, {0, 0, 0});
    regions_.Add(r);
  }
  void TearDown() override {
    delete env_;
    SwitchStatsFree();
  }
  CTimer clock_;
  CEnvironment* env_ = nullptr;
  CRegionList regions_;
  CSwitchTable table_{&clock_};
};

TEST_F(SwitchSection, WithoutTheCountWordTheSectionIsAbsent) {
  EnvTextCursor cursor("ENDC something");
  ASSERT_TRUE(table_.ReadText(cursor, 70, env_, &regions_, nullptr));
  EXPECT_EQ(table_.GetCount(), 0);
  char word[16];
  cursor.Token(word);
  EXPECT_STREQ(word, "ENDC") << "the cursor did not move";
}

TEST_F(SwitchSection, ReadsSwitchesWithTheirVisualsRegionAndLinkValue) {
  const char text[] =
      "NUMSWITCHES 2\n"
      "SWITCH gate_lever NONE 10 0 20 0 45 0 Lever by_the_door 0 0 3\n"
      "SWITCH bell \"NONE\" 0 0 0 0 0 0 Button nowhere 0 0 -1\n"
      "AFTER";
  EnvTextCursor cursor(text);
  ASSERT_TRUE(table_.ReadText(cursor, 62, env_, &regions_, nullptr));
  ASSERT_EQ(table_.GetCount(), 2);
  char after[8];
  cursor.Token(after);
  EXPECT_STREQ(after, "AFTER");

  const CSwitch* lever = table_.GetSwitch(0);
  EXPECT_EQ(lever->NameHash, HashString("gate_lever"));
  EXPECT_EQ(lever->Index, 0);
  EXPECT_EQ(lever->TravelTime, 2500u);
  EXPECT_EQ(lever->LinkValue, 3);
  EXPECT_TRUE(lever->IsAtRest());
  EXPECT_EQ(lever->Region, regions_.GetRegion(0));
  EXPECT_EQ(lever->ThrownPosition.y, 10.0f);
  EXPECT_EQ(lever->ThrownPosition.x, 10.0f);
  EXPECT_EQ(lever->ThrownRotation.z, 90.0f);
  ASSERT_NE(lever->FirstInstance, nullptr);
  ASSERT_NE(lever->SecondInstance, nullptr);
  char visualName[32];
  std::snprintf(visualName, sizeof(visualName), "switch_%x", lever->NameHash);
  EXPECT_NE(env_->FindInstanceByName(visualName), nullptr);
  EXPECT_NE(lever->FirstInstance->Flags & INSTF_LIT_ALL, 0u);
  EXPECT_EQ(lever->FirstInstance->Flags & INSTF_DISABLED, 0u) << "at rest the first visual shows";
  EXPECT_NE(lever->SecondInstance->Flags & INSTF_DISABLED, 0u);
  CVector3 p;
  lever->FirstInstance->GetPosition(&p);
  EXPECT_EQ(p.x, 10.0f);
  EXPECT_EQ(p.z, 20.0f);

  const CSwitch* bell = table_.GetSwitch(1);
  EXPECT_NE(bell->FirstInstance, nullptr);
  EXPECT_EQ(bell->SecondInstance, nullptr) << "model NONE";
  EXPECT_EQ(bell->Region, nullptr) << "unknown region: unusable";
  EXPECT_EQ(bell->LinkValue, -1);

  // Throwing the lever moves both visuals in step with the clock.
  SetClock(&clock_, 0);
  ASSERT_TRUE(table_.UseAt({10, 0, 20}, 1));
  SetClock(&clock_, 1250);
  table_.Update();
  lever->FirstInstance->GetPosition(&p);
  EXPECT_NEAR(p.y, 5.0f, 1e-4f);
  lever->SecondInstance->GetPosition(&p);
  EXPECT_NEAR(p.y, 5.0f, 1e-4f);
  SetClock(&clock_, 2500);
  table_.Update();
  EXPECT_EQ(lever->FirstInstance->Flags & INSTF_DISABLED, INSTF_DISABLED) << "thrown shows the second visual";
  EXPECT_EQ(lever->SecondInstance->Flags & INSTF_DISABLED, 0u);
}

TEST_F(SwitchSection, OlderVersionsHaveNoLinkValueAndDamageIsRefused) {
  EnvTextCursor old("NUMSWITCHES 1 SWITCH s NONE 0 0 0 0 0 0 Lever by_the_door 0 0 NEXT");
  ASSERT_TRUE(table_.ReadText(old, 61, env_, &regions_, nullptr));
  EXPECT_EQ(table_.GetSwitch(0)->LinkValue, -1);
  char next[8];
  old.Token(next);
  EXPECT_STREQ(next, "NEXT");

  const char* damaged[] = {
      "NUMSWITCHES -3",
      "NUMSWITCHES 100000",
      "NUMSWITCHES",
      "NUMSWITCHES 2 SWITCH s NONE 0 0 0 0 0 0 Lever by_the_door 0 0 7",
      "NUMSWITCHES 1 SWITCH s NONE 0 0 zero 0 0 0 Lever by_the_door 0 0 7",
      "NUMSWITCHES 1 SWITCH s NONE 0 0 0 0 0 0 Lever by_the_door 0",
  };
  for (const char* text : damaged) {
    EnvTextCursor cursor(text);
    EXPECT_FALSE(table_.ReadText(cursor, 62, env_, &regions_, nullptr)) << text;
    EXPECT_LE(table_.GetCount(), 1) << text;
  }
}

}  // namespace
