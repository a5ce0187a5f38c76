// The units' level steps leave no armed charge of one level in the next: the
// table is emptied before a level's objects are made and at its shut-down.
#include "units/base/units_level.h"

#include <gtest/gtest.h>

#include "menus/records/armed_charge_table.h"

namespace {

char g_charges[2];
CHLO* ChargeStandIn(int i) { return reinterpret_cast<CHLO*>(&g_charges[i]); }

TEST(UnitsLevelSteps, TheArmedChargesAreForgottenWhenALevelStartsAndWhenItEnds) {
  for (void (*step)() : {UnitsLevelBeforeObjects, UnitsLevelShutdown}) {
    ASSERT_EQ(g_ArmedChargeTable.Add(ChargeStandIn(0), ChargeStandIn(1)), 1);
    step();
    EXPECT_EQ(g_ArmedChargeTable.Contains(ChargeStandIn(0)), 0);
  }
}

}  // namespace
