// The table of armed timed charges: four entries, a fifth refused, a charge
// entered twice kept once, a freed entry taken again.
#include "menus/records/armed_charge_table.h"

#include <gtest/gtest.h>

namespace {

// Stand-ins for the objects: the table keeps their addresses and never
// reaches into them.
char g_objects[8];
CHLO* Object(int i) { return reinterpret_cast<CHLO*>(&g_objects[i]); }

class ArmedChargeTableTest : public ::testing::Test {
 protected:
  void SetUp() override { table_.Clear(); }
  ArmedChargeTable table_;
};

TEST_F(ArmedChargeTableTest, FourChargesAreEnteredAndAFifthIsRefusedUntilOneIsRemoved) {
  CHLO* planter = Object(7);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(table_.Add(Object(i), planter), 1) << i;
  EXPECT_EQ(table_.Add(Object(4), planter), 0);
  EXPECT_EQ(table_.Contains(Object(4)), 0);
  EXPECT_EQ(table_.Planter(Object(4)), nullptr);
  // A charge already there is answered as entered without taking a second entry.
  EXPECT_EQ(table_.Add(Object(2), Object(6)), 1);
  EXPECT_EQ(table_.Planter(Object(2)), planter) << "the first planter stays";
  table_.Remove(Object(1));
  EXPECT_EQ(table_.Contains(Object(1)), 0);
  EXPECT_EQ(table_.Add(Object(4), Object(5)), 1);
  EXPECT_EQ(table_.Planter(Object(4)), Object(5));
  int held = 0;
  for (int i = 0; i < ArmedChargeTable::kEntries; ++i) held += table_.Get(i).Charge != nullptr;
  EXPECT_EQ(held, 4);
}

TEST_F(ArmedChargeTableTest, NothingIsEnteredForNoChargeAndRemovingAnAbsentOneChangesNothing) {
  EXPECT_EQ(table_.Add(nullptr, Object(7)), 0);
  EXPECT_EQ(table_.Contains(nullptr), 0);
  ASSERT_EQ(table_.Add(Object(0), Object(7)), 1);
  table_.Remove(Object(3));
  table_.Remove(nullptr);
  EXPECT_EQ(table_.Contains(Object(0)), 1);
  EXPECT_EQ(table_.Planter(Object(0)), Object(7));
  table_.Clear();
  EXPECT_EQ(table_.Contains(Object(0)), 0);
  for (int i = 0; i < ArmedChargeTable::kEntries; ++i) EXPECT_EQ(table_.Get(i).Charge, nullptr);
}

}  // namespace
