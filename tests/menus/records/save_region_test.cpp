#include "menus/records/save_region.h"

#include <gtest/gtest.h>

#include "foundation/system/not_built_yet.h"
#include "world/regions/region_list.h"

struct MissionObjective {
  int id;
};

namespace {

MissionObjective gObjectives[2] = {{3}, {7}};

TEST(SaveRegion, RegionByIndexAndAnOptionalObjective) {
  CRegionList regions;
  CRegionList* previous = g_Regions;
  g_Regions = &regions;
  for (int i = 0; i < 3; ++i) regions.Add(CRegion{});
  SetSaveRegionObjectiveLookup([](int id) -> MissionObjective* {
    for (MissionObjective& o : gObjectives)
      if (o.id == id) return &o;
    return nullptr;
  });
  struct Case {
    int region;
    int objective;
    bool active;
    MissionObjective* expected;
  };
  const Case cases[] = {
      {3, 7, false, nullptr},  // past the list
      {-1, 7, false, nullptr},
      {1, 255, true, nullptr},  // no objective
      {2, 7, true, &gObjectives[1]},
      {0, 9, true, nullptr},  // names no objective
  };
  for (const Case& c : cases) {
    CSaveRegion r(c.region, static_cast<std::uint8_t>(c.objective));
    EXPECT_EQ(r.active, c.active ? 1u : 0u) << c.region;
    EXPECT_EQ(r.region, c.active ? regions.GetRegion(c.region) : nullptr);
    EXPECT_EQ(r.objective, c.expected);
    EXPECT_EQ(r.state, 0u);
    EXPECT_EQ(r.next, nullptr);
  }
  SetSaveRegionObjectiveLookup(nullptr);
  ClearNotBuiltYet();
  CSaveRegion waiting(0, 3);
  EXPECT_EQ(waiting.active, 1u);
  EXPECT_TRUE(WasReportedNotBuiltYet("mission objectives"));
  g_Regions = previous;
}

}  // namespace
