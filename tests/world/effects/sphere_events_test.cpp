#include "world/effects/sphere_events.h"

#include "effects_fixture.h"
#include "world/environment/env_instance.h"
#include "world/objects/hlo_test_world_fixture.h"

namespace effects_test {
namespace {

// A listener: accepts events of the kinds it is given, hears at its scale.
class Listener : public TestObject {
 public:
  Listener(int id, float x) : TestObject(TestRecord(HLO_GRUNT, 0, 0, id, true, x)) {}
  int AcceptsSphereEvent(const void* event) override {
    return static_cast<const SphereEvent*>(event)->Kind == accepted ? 1 : 0;
  }
  float GetSphereEventScale() override { return scale; }
  void OnSphereEvent(const void* event) override { heard.push_back(static_cast<const SphereEvent*>(event)); }
  std::uint32_t accepted = 0;
  float scale = 1.0f;
  std::vector<const SphereEvent*> heard;
};

class SphereEventsTest : public EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    ASSERT_TRUE(events_.CreatePools(buffer_.get()));
  }
  SphereEventDesc Desc(std::int32_t priority, std::uint32_t duration = 1000, float radius = 900.0f) {
    SphereEventDesc d;
    d.Duration = duration;
    d.MaxRadius = radius;
    d.Priority = priority;
    return d;
  }
  TestWorld world_;
  SphereEvents events_;
};

TEST_F(SphereEventsTest, AFullPoolTakesOnlyEqualOrLowerPrioritiesAndAlwaysPriorityThree) {
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(events_.Add(Desc(i == 7 ? 1 : (i == 20 ? 0 : 2))));
  // Priority 1 from index 0: the first record of priority 0 or 1 met is number 7.
  SphereEventDesc one = Desc(1);
  one.User = 42;
  ASSERT_TRUE(events_.Add(one));
  EXPECT_EQ(events_.Get(7)->User, 42u);
  SphereEventDesc zero = Desc(0);
  zero.User = 43;
  ASSERT_TRUE(events_.Add(zero));  // on from 8: the priority-0 record at 20
  EXPECT_EQ(events_.Get(20)->User, 43u);
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(events_.Add(Desc(3)));
  EXPECT_FALSE(events_.Add(Desc(2)));
  EXPECT_TRUE(events_.Add(Desc(3)));
  for (int i = 0; i < 50; ++i) events_.Get(i)->Priority = 9;
  EXPECT_TRUE(events_.Add(Desc(3)));  // even over higher priorities
}

TEST_F(SphereEventsTest, RadiusGrowsToItsMaximumAndTheEventEnds) {
  ASSERT_TRUE(events_.Add(Desc(0, 1000, 900.0f)));
  SphereEvent* e = events_.Get(0);
  Step(10);
  events_.Update();
  EXPECT_FLOAT_EQ(e->Radius, 300.0f);
  Step(20);
  events_.Update();
  EXPECT_FLOAT_EQ(e->Radius, 900.0f);
  Step(970);
  events_.Update();
  EXPECT_EQ(e->State, SPHERE_EVENT_ACTIVE);
  Step(1);
  events_.Update();
  EXPECT_EQ(e->State, SPHERE_EVENT_FREE);
  EXPECT_EQ(e->Source, nullptr);
}

TEST_F(SphereEventsTest, EventsReachTheObjectsThatAcceptThemOneAtATime) {
  Listener near(1, 200.0f), far(2, 2000.0f), deaf(3, 100.0f), keen(4, 2000.0f);
  deaf.accepted = 5;
  keen.scale = 3.0f;
  SphereEventDesc a = Desc(0, 5000, 1000.0f);
  a.Source = &near;  // its own event: never heard by it
  ASSERT_TRUE(events_.Add(a));
  SphereEventDesc b = Desc(0, 5000, 1000.0f);
  ASSERT_TRUE(events_.Add(b));
  Step(100);
  events_.Update();  // radius 1000
  for (Listener* l : {&near, &far, &deaf, &keen}) events_.Notify(l);
  ASSERT_EQ(near.heard.size(), 1u);
  EXPECT_EQ(near.heard[0], events_.Get(1));
  EXPECT_TRUE(far.heard.empty());
  EXPECT_TRUE(deaf.heard.empty());
  ASSERT_EQ(keen.heard.size(), 1u);  // both reach it: only the first in pool order
  EXPECT_EQ(keen.heard[0], events_.Get(0));
}

}  // namespace
}  // namespace effects_test
