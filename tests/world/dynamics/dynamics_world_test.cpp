#include "world/dynamics/dynamics_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "physics/dynamics/mdt_body.h"
#include "world/dynamics/dynamics_fixture.h"
#include "world/dynamics/simple_dynamics.h"
#include "world/environment/env_instance.h"

namespace {

// Records the step lengths it is given.
class StepProbe : public CDynamicsObject {
 public:
  void ApplyControls(float dt) override { controls.push_back(dt); }
  void Update(float dt) override { updates.push_back(dt); }
  std::vector<float> controls, updates;
};

TEST(DynamicsWorld, StepLengthFollowsTheGameClock) {
  CDynamicsWorld world(4);
  StepProbe probe;
  ASSERT_TRUE(world.AddObject(&probe));
  struct Case {
    std::uint32_t now;
    float expected;  // < 0: no step
  };
  const Case cases[] = {
      {5000, 0.05f},   // first step
      {5020, 0.02f},
      {5020, -1},      // clock did not move
      {5270, 0.1f},    // long frame
      {4000, 0.05f},   // clock went back
      {4033, 0.033f},
      {0xFFFFFF00u, 0.1f},  // late in a long session: still whole milliseconds
      {0xFFFFFF10u, 0.016f},
  };
  for (const Case& c : cases) {
    const size_t before = probe.controls.size();
    world.StepAt(c.now);
    if (c.expected < 0) {
      EXPECT_EQ(probe.controls.size(), before) << c.now;
      continue;
    }
    ASSERT_EQ(probe.controls.size(), before + 1) << c.now;
    EXPECT_NEAR(probe.controls.back(), c.expected, 1e-6f) << c.now;
    EXPECT_EQ(probe.updates.back(), probe.controls.back());
  }
}

TEST(DynamicsWorld, RemovedSlotsAreUsedAgainAndAFullTableRefuses) {
  CDynamicsWorld world(3);
  StepProbe a, b, c, d;
  EXPECT_TRUE(world.AddObject(&a));
  EXPECT_TRUE(world.AddObject(&b));
  EXPECT_TRUE(world.AddObject(&c));
  EXPECT_FALSE(world.AddObject(&d));
  world.RemoveObject(&b);
  EXPECT_EQ(world.GetObject(1), nullptr);
  EXPECT_TRUE(world.AddObject(&d));
  EXPECT_EQ(world.GetObject(1), &d);
  world.StepAt(100);
  EXPECT_EQ(a.controls.size(), 1u);
  EXPECT_TRUE(b.controls.empty());
  EXPECT_EQ(d.controls.size(), 1u);
}

TEST(DynamicsWorld, WorldSetsUpFourteenMaterialsAndTheKindsTakeTheirs) {
  CDynamicsWorld world(1);
  ASSERT_NE(g_Physics.Bridge, nullptr);
  EXPECT_EQ(g_Physics.Bridge->materialCount, 14u);
  const int taken[] = {g_Physics.Materials.Terrain, g_Physics.Materials.Simple, g_Physics.Materials.Tyre,
                       g_Physics.Materials.Chassis, g_Physics.Materials.RoadWheel, g_Physics.Materials.Hull};
  for (int i = 0; i < 6; ++i) {
    EXPECT_GT(taken[i], 0);
    for (int j = 0; j < i; ++j) EXPECT_NE(taken[i], taken[j]);
  }
  // A second world starts from a fresh bridge.
  CDynamicsWorld again(1);
  EXPECT_EQ(g_DynamicsWorld, &again);
  EXPECT_EQ(g_Physics.Materials.Terrain, taken[0]);
}

// Crates dropped on bumpy terrain, on the building's roof and on the floor of
// a room come to rest on the polygons and fall asleep.
TEST(DynamicsScenario, CratesComeToRestOnTerrainAndBuildingsAndSleep) {
  auto level = dyn_fixture::MakeLevel({});
  struct Drop {
    CVector3 at;
    bool inRoom;
  };
  const Drop drops[] = {
      {{-600, 0, -650}, false},  // bumpy terrain
      {{-300, 0, 700}, false},   // bumpy terrain
      {{300, 0, 200}, false},    // the roof, 300 up
      {{600, 0, 120}, false},    // the roof
      {{200, 0, 200}, true},     // room A's floor
  };
  const float size = 60.0f;
  const DynSimpleData record = dyn_fixture::CrateRecord(size, 0.2f);
  std::vector<std::unique_ptr<CSimpleDynamics>> crates;
  for (const Drop& d : drops) {
    const float ground = level->GroundBelow(d.at.x, d.inRoom ? 250.0f : 1000.0f, d.at.z);
    ASSERT_GT(ground, -1e8f);
    const float at[3] = {d.at.x, ground + (d.inRoom ? 80.0f : 100.0f), d.at.z};
    const float angles[3] = {10, 37, 5};
    CEnvInstance* instance = level->Instance({at[0], at[1], at[2]}, d.inRoom ? level->world->roomA : nullptr);
    auto crate = std::make_unique<CSimpleDynamics>();
    ASSERT_TRUE(crate->Init(at, angles, instance, record));
    ASSERT_TRUE(level->physics->AddObject(crate.get()));
    crates.push_back(std::move(crate));
  }
  const float half[3] = {0.3f, 0.3f, 0.3f};
  float deepest = 0;
  // While falling and landing no corner passes through the ground (a
  // landing may press in briefly); at rest none is more than 1 cm in.
  for (int frame = 0; frame < 20; ++frame) {
    level->Run(15, 16);
    for (size_t k = 0; k < crates.size(); ++k)
      for (const CVector3& c : dyn_fixture::BoxCorners(crates[k]->Body, half))
        ASSERT_GT(c.y, level->GroundBelow(c.x, c.y + 20.0f, c.z) - 5.0f) << "crate " << k << " fell through";
  }
  for (size_t k = 0; k < crates.size(); ++k)
    for (const CVector3& c : dyn_fixture::BoxCorners(crates[k]->Body, half))
      deepest = std::max(deepest, level->GroundBelow(c.x, c.y + 20.0f, c.z) - c.y);
  EXPECT_LE(deepest, 1.0f);
  for (size_t k = 0; k < crates.size(); ++k) {
    EXPECT_FALSE(crates[k]->IsAwake()) << "crate " << k << " still awake";
    // Resting on the ground: the lowest corner touches it.
    float lowest = 1e9f, groundThere = 0;
    for (const CVector3& c : dyn_fixture::BoxCorners(crates[k]->Body, half))
      if (c.y < lowest) lowest = c.y, groundThere = level->GroundBelow(c.x, c.y + 20.0f, c.z);
    EXPECT_NEAR(lowest, groundThere, 3.0f) << "crate " << k;
  }
}

// The instance a body moves is where the body is, turned by the axis turn.
TEST(DynamicsScenario, PosesWrittenBackToInstancesMatchTheBodies) {
  auto level = dyn_fixture::MakeLevel({});
  DynSimpleData record = dyn_fixture::CrateRecord(50.0f, 10.0f);
  record.massOffset = {10.0f, -5.0f, 0.0f};
  const float at[3] = {-500, 400, -500};
  const float angles[3] = {20, 50, 0};
  CEnvInstance* instance = level->Instance({at[0], at[1], at[2]});
  CSimpleDynamics crate;
  ASSERT_TRUE(crate.Init(at, angles, instance, record));
  level->physics->AddObject(&crate);
  for (int step = 0; step < 40; ++step) {
    level->Run(1, 20);
    if (!crate.IsAwake()) break;
    float t[16];
    MdtBodyGetTransform(crate.Body, t);
    const CMatrix& m = instance->GetWorldMatrix();
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        const float* turn = g_Physics.AxisTurn;
        const float expected = t[4 * r] * turn[c] + t[4 * r + 1] * turn[4 + c] + t[4 * r + 2] * turn[8 + c];
        ASSERT_NEAR(m.m[r][c], expected, 1e-5f);
      }
    // Position: the body's centre of mass less the rotated offset (body
    // frame: the record's z, y, x).
    const float off[3] = {0.0f, -0.05f, 0.1f};
    for (int c = 0; c < 3; ++c) {
      const float rotated = off[0] * t[c] + off[1] * t[4 + c] + off[2] * t[8 + c];
      ASSERT_NEAR(m.m[3][c], (t[12 + c] - rotated) * 100.0f, 1e-2f);
    }
    CVector3 back;
    instance->WorldToLocal(-1, {m.m[3][0] + 1, m.m[3][1], m.m[3][2]}, &back);
    ASSERT_NEAR(back.x * back.x + back.y * back.y + back.z * back.z, 1.0f, 1e-3f) << "inverse out of date";
  }
}

}  // namespace
