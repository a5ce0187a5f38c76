#include "control/gunshot_alert.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "foundation/system/not_built_yet.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

std::vector<CHLO*> gHeard;

TEST(GunshotAlert, EverySideHearsStrictlyWithinEarshot) {
  CHLOManager manager(4, 10);
  manager.SetDeleteCallback([](CHLO* o) { delete o; });
  std::vector<std::unique_ptr<CEnvInstance>> visuals;
  // An object of a kind and side at a point (no visual when `placed` is false).
  auto place = [&](int side, int kind, CVector3 at, bool placed = true) {
    HLOSpawnRecord r;
    r.id = static_cast<int>(visuals.size()) + 1;
    r.kind = kind;
    r.side = static_cast<std::uint8_t>(side);
    r.objectFlags = HLOF_ACTIVE;
    CHLO* o = new CHLO(r, nullptr);
    visuals.push_back(std::make_unique<CEnvInstance>());
    visuals.back()->SetPosition(at, false);
    if (placed) o->Instance = visuals.back().get();
    manager.InsertObject(o);
    return o;
  };
  const CVector3 shot{100.0f, 50.0f, -20.0f};
  CHLO* near0 = place(0, HLO_GRUNT, {100.0f + 799.9f, 50.0f, -20.0f});
  CHLO* edge1 = place(1, HLO_GRUNT, {100.0f + 480.0f, 50.0f + 640.0f, -20.0f});  // exactly 800
  CHLO* near2 = place(2, HLO_GRUNT, {100.0f, 50.0f, -20.0f - 799.9f});
  CHLO* self3 = place(3, HLO_GRUNT, shot);  // the shooter hears its own shot
  CHLO* far3 = place(3, HLO_GRUNT, {100.0f, 50.0f + 800.5f, -20.0f});
  place(0, HLO_VEHICLE, shot);             // not a soldier
  place(1, HLO_GRUNT, shot, false);        // no visual: skipped
  (void)edge1;
  (void)far3;
  gHeard.clear();
  SetHearNoiseOperation([](CHLO* s, const CVector3& p) {
    gHeard.push_back(s);
    EXPECT_EQ(p.x, 100.0f);
    EXPECT_EQ(p.z, -20.0f);
  });
  AlertSoldiersToGunshot(&shot);
  SetHearNoiseOperation(nullptr);
  EXPECT_EQ(gHeard, (std::vector<CHLO*>{near0, near2, self3}));
  EXPECT_EQ(GunshotNoisePoint.y, 50.0f);
  // Without the units' operation the soldiers in earshot are reported.
  ClearNotBuiltYet();
  AlertSoldiersToGunshot(&shot);
  EXPECT_TRUE(WasReportedNotBuiltYet("soldier hearing a noise"));
  AlertSoldiersToGunshot(nullptr);
}

}  // namespace
