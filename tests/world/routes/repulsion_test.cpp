#include <gtest/gtest.h>

#include <cmath>

#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/routes/repulsion.h"
#include "world/routes/route_world_fixture.h"

namespace {

CEnvObject* LadderTemplate(CEnvironment& env, bool top) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-10, 0, -10};
  t->Bounds.Max = {10, 300, 10};
  t->ConnectorCount = top ? 2 : 1;
  t->ConnectorPositions[0] = {0, 0, 20};
  t->ConnectorPositions[1] = {0, 300, 0};
  t->ConnectorSlots[CONNECTOR_LADDER_BOTTOM] = 0;
  if (top) t->ConnectorSlots[CONNECTOR_LADDER_TOP] = 1;
  env.AddObject(t);
  return t;
}

}  // namespace

TEST(LadderTable, LaddersFromConnectorsAndTheTwentyLimit) {
  auto world = route_fixture::MakeGridWorld({"..", ".."});
  CEnvironment& env = *world->env;
  CEnvObject* ladder = LadderTemplate(env, true);
  CEnvObject* noTop = LadderTemplate(env, false);
  auto* plain = new CEnvObject;
  plain->TemplateKind = OTYPE_ENV;
  env.AddObject(plain);
  CLadderTable table;
  EXPECT_EQ(table.AddFromInstance(env.CreateInstance(nullptr, plain, {0, 0, 0}, {}, nullptr, 0, 0)), 1);
  EXPECT_EQ(table.Count, 0u);
  EXPECT_EQ(table.AddFromInstance(env.CreateInstance(nullptr, noTop, {0, 0, 0}, {}, nullptr, 0, 0)), 0);
  EXPECT_EQ(table.Count, 0u);
  CEnvInstance* first = env.CreateInstance(nullptr, ladder, {100, 0, 200}, {0, 90, 0}, nullptr, 0, 0);
  ASSERT_EQ(table.AddFromInstance(first), 1);
  const LadderEntry& e = table.Entries[0];
  EXPECT_NEAR(e.Top.y, 300, 1e-3f);
  EXPECT_NEAR(e.Bottom.y, 0, 1e-3f);
  EXPECT_EQ(e.Instance, first);
  // The bottom lies 20 units along the ladder's turned z from the top: the
  // heading is the yaw of that direction.
  EXPECT_NEAR(std::hypot(e.Bottom.x - e.Top.x, e.Bottom.z - e.Top.z), 20, 1e-3f);
  for (int i = 1; i < kMaxLadders; ++i)
    EXPECT_EQ(table.AddFromInstance(env.CreateInstance(nullptr, ladder, {1000.0f * i, 0, 0}, {}, nullptr, 0, 0)), 1);
  EXPECT_EQ(table.Count, 20u);
  EXPECT_EQ(table.AddFromInstance(env.CreateInstance(nullptr, ladder, {-5000, 0, 0}, {}, nullptr, 0, 0)), 0)
      << "a full table is reported";
  EXPECT_EQ(table.Count, 20u);
  LadderEntry extra;
  EXPECT_EQ(table.Add(extra), 0);
}

TEST(LadderTable, NearestEndMeasuresTheTopRaised) {
  CLadderTable table;
  LadderEnd end;
  EXPECT_EQ(table.FindNearestEnd({0, 0, 0}, &end), 0.0f);
  EXPECT_EQ(end.Ladder, -1);
  int owner = 0, other = 0;
  LadderEntry a;
  a.Bottom = {0, 0, 0};
  a.Top = {0, 300, 0};
  a.Instance = reinterpret_cast<CEnvInstance*>(&owner);
  LadderEntry b;
  b.Bottom = {1000, 0, 0};
  b.Top = {1000, 300, 0};
  b.Instance = reinterpret_cast<CEnvInstance*>(&other);
  table.Add(a);
  table.Add(b);
  // Standing exactly at the top connector: 193.1 from end 1.
  EXPECT_NEAR(table.FindNearestEnd({0, 300, 0}, &end), 193.1f, 1e-3f);
  EXPECT_EQ(end.Ladder, 0);
  EXPECT_EQ(end.End, 1);
  EXPECT_NEAR(table.FindNearestEnd({0, 10, 0}, &end), 10, 1e-3f);
  EXPECT_EQ(end.End, 0);
  // Ties keep the earlier ladder.
  EXPECT_NEAR(table.FindNearestEnd({500, 0, 0}, &end), 500, 1e-3f);
  EXPECT_EQ(end.Ladder, 0);
  table.DisableForInstance(a.Instance);
  EXPECT_NEAR(table.FindNearestEnd({0, 0, 0}, &end), 1000, 1e-3f);
  EXPECT_EQ(end.Ladder, 1);
  EXPECT_EQ(table.Count, 2u) << "a disabled ladder keeps its slot";
  table.DisableForInstance(b.Instance);
  EXPECT_EQ(table.FindNearestEnd({0, 0, 0}, &end), 0.0f);
  EXPECT_EQ(end.Ladder, -1);
}

TEST(RepulsionPool, AddResetAndCapacity) {
  CRepulsionPool pool(kRepulsionPoolCapacity);
  EXPECT_EQ(pool.Add({1, 2, 3}, 10), 1u);
  EXPECT_EQ(pool.Entries[0].Radius, 15.0f);
  EXPECT_TRUE(pool.Entries[0].IsActive());
  pool.Entries[0].Flags |= 0x10;
  pool.Reset();
  EXPECT_EQ(pool.Count, 0u);
  EXPECT_FALSE(pool.Entries[0].IsActive());
  EXPECT_EQ(pool.Entries[0].Flags, 0x10u) << "other flag bits stay";
  for (std::uint32_t i = 0; i < kRepulsionPoolCapacity; ++i) pool.Add({0, 0, 0}, 1);
  EXPECT_EQ(pool.Add({0, 0, 0}, 1), kRepulsionPoolCapacity) << "full: nothing written past the end";
  CRepulsionPool none(0);
  EXPECT_EQ(none.Add({0, 0, 0}, 1), 0u);
  pool.Free();
  EXPECT_EQ(pool.Capacity, 0u);
}
