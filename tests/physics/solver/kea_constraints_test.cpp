// Constraint-set bookkeeping and the block map that walks the J-block layout.
#include <gtest/gtest.h>

#include <random>

#include "kea_fixture.h"
#include "physics/solver/kea_block_map.h"

using namespace kea_test;

namespace {

std::vector<Constraint> constraintsWithRows(const std::vector<int>& rows) {
  std::vector<Constraint> list;
  int id = 0;
  for (int r : rows) {
    Constraint k;
    k.body0 = id % 3;
    k.body1 = (id + 1) % 3;
    for (int i = 0; i < r; ++i) {
      Row row;
      // Mark every Jacobian entry with its constraint and row.
      for (int q = 0; q < 6; ++q) {
        row.j0[q] = 1000.0f * (id + 1) + 10.0f * i + q;
        row.j1[q] = -(1000.0f * (id + 1) + 10.0f * i + q);
      }
      k.rows.push_back(row);
    }
    list.push_back(k);
    ++id;
  }
  return list;
}

struct LayoutCase {
  std::vector<int> rows;
  int roundedRows, jacobianRows;
  std::vector<int> entriesPerBlock;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
  for (int r : c.rows) *os << r << ",";
}

class KeaLayout : public ::testing::TestWithParam<LayoutCase> {};

// Totals after finishing a group, and the J-blocks the walk puts in each
// block (2 entries per J-block), including the zero J-block of a constraint
// that starts right after a full block.
TEST_P(KeaLayout, BookkeepingAndBlockMap) {
  const LayoutCase& lc = GetParam();
  Packing pk;
  pk.packGroup(constraintsWithRows(lc.rows));
  int total = 0;
  for (int r : lc.rows) total += r;
  EXPECT_EQ(pk.set.groupCount, 1);
  EXPECT_EQ(pk.set.rows, lc.roundedRows);
  EXPECT_EQ(pk.set.groupRows[0], total);
  EXPECT_EQ(pk.set.jacobianRows, lc.jacobianRows);
  EXPECT_EQ(pk.set.groupJacobianRows[0], lc.jacobianRows);
  EXPECT_EQ(pk.set.constraints, static_cast<int>(lc.rows.size()));
  EXPECT_EQ(pk.set.groupConstraints[0], static_cast<int>(lc.rows.size()));

  const int blocks = lc.roundedRows / 4;
  std::vector<int> counts(blocks), bodies(blocks * keaBlockMaxEntries), slots(blocks * keaBlockMaxEntries);
  keaBlockMap map{0, counts.data(), bodies.data(), slots.data()};
  ASSERT_EQ(keaBuildBlockMap(&map, blocks, keaConstraintsGroupSteps(lc.jacobianRows), pk.set.rowsPerConstraint,
                             pk.set.bodies, pk.set.constraints, 3),
            1);
  EXPECT_EQ(counts, lc.entriesPerBlock);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeaLayout,
                         ::testing::Values(LayoutCase{{3}, 4, 4, {2}}, LayoutCase{{4}, 4, 4, {2}},
                                           LayoutCase{{5}, 8, 8, {2, 2}},
                                           LayoutCase{{2, 2, 2}, 8, 16, {6, 2}},
                                           LayoutCase{{1, 1, 1, 1}, 4, 16, {8}},
                                           LayoutCase{{4, 4}, 8, 12, {4, 2}},
                                           LayoutCase{{2, 5}, 8, 12, {4, 2}},
                                           LayoutCase{{9}, 12, 12, {2, 2, 2}},
                                           // Four 1-row constraints fill block 0 and the fifth adds its
                                           // zero J-block there: five J-blocks, ten entries in one block.
                                           LayoutCase{{1, 1, 1, 1, 1}, 8, 24, {10, 2}},
                                           LayoutCase{{1, 1, 1, 1, 1, 1, 1, 1, 1}, 12, 44, {10, 10, 2}}));

// For random row lists, every Jacobian row written through the packer is
// found exactly once where the block map's walk expects it: in the J-block
// of its constraint inside the block that holds the row, at the row's
// position in that block; every other row of that J-block is zero.
TEST(KeaLayoutWalk, PackedRowsSitWhereTheBlockMapLooks) {
  std::mt19937 rng(77);
  for (int t = 0; t < 200; ++t) {
    std::vector<int> rows(1 + rng() % 12);
    for (int& r : rows) r = 1 + static_cast<int>(rng() % 6);
    Packing pk;
    pk.packGroup(constraintsWithRows(rows));
    const int blocks = pk.set.rows / 4;
    std::vector<int> counts(blocks), bodies(blocks * keaBlockMaxEntries), slots(blocks * keaBlockMaxEntries);
    keaBlockMap map{0, counts.data(), bodies.data(), slots.data()};
    ASSERT_EQ(keaBuildBlockMap(&map, blocks, keaConstraintsGroupSteps(pk.set.jacobianRows), pk.set.rowsPerConstraint,
                               pk.set.bodies, pk.set.constraints, 3),
              1);
    std::vector<int> seen;
    int step = 0;
    for (int b = 0; b < blocks; ++b) {
      for (int e = 0; e < counts[b]; e += 2) {
        const int c = slots[b * keaBlockMaxEntries + e] / 2;
        EXPECT_EQ(slots[b * keaBlockMaxEntries + e + 1], 2 * c + 1);
        const float* jb = pk.set.jacobian + 48 * (step + e / 2);
        for (int local = 0; local < 4; ++local) {
          const int row = 4 * b + local;
          const int k = row - pk.set.firstRow[c];
          const bool mine = k >= 0 && k < rows[c];
          for (int q = 0; q < 6; ++q) {
            const float expect = mine ? 1000.0f * (c + 1) + 10.0f * k + q : 0.0f;
            ASSERT_EQ(jb[4 * q + local], expect) << "case " << t << " block " << b << " constraint " << c;
            ASSERT_EQ(jb[24 + 4 * q + local], -expect);
          }
          if (mine) seen.push_back(row);
        }
      }
      step += counts[b] / 2;
    }
    EXPECT_EQ(step, keaConstraintsGroupSteps(pk.set.jacobianRows));
    std::sort(seen.begin(), seen.end());
    std::vector<int> all(pk.set.groupRows[0]);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    EXPECT_EQ(seen, all) << "case " << t;
  }
}

// A second group starts where the first ended in every array; an empty group
// between them moves nothing.
TEST(KeaConstraints, GroupsFollowEachOtherAndEmptyGroupsMoveNothing) {
  Packing pk;
  pk.packGroup(constraintsWithRows({2, 3}));
  const int rowsAfterFirst = pk.set.rows;
  const int jacobianAfterFirst = pk.set.jacobianRows;
  pk.packGroup({}, false);
  EXPECT_EQ(pk.set.groupCount, 2);
  EXPECT_EQ(pk.set.rows, rowsAfterFirst);
  EXPECT_EQ(pk.set.jacobianRows, jacobianAfterFirst);
  EXPECT_EQ(pk.set.groupJacobianRows[1], 0);
  pk.packGroup(constraintsWithRows({1}), false);
  EXPECT_EQ(pk.set.groupCount, 3);
  EXPECT_EQ(pk.set.rows, rowsAfterFirst + 4);
  EXPECT_EQ(pk.set.firstRow[2], 0);  // first row within its own group
  // Its Jacobian row sits at the start of the third group's J-blocks.
  EXPECT_EQ(pk.set.jacobian[jacobianAfterFirst * 12], 1000.0f);
}

// Body indices outside the partition, and the world's -1, are stored as -1.
TEST(KeaBlockMap, BodiesOutsideThePartitionBecomeNone) {
  const int rowsPer[2] = {2, 2};
  const int pairs[4] = {0, -1, 7, 1};
  int counts[1], bodies[keaBlockMaxEntries], slots[keaBlockMaxEntries];
  keaBlockMap map{0, counts, bodies, slots};
  ASSERT_EQ(keaBuildBlockMap(&map, 1, 2, rowsPer, pairs, 2, 2), 1);
  EXPECT_EQ(counts[0], 4);
  EXPECT_EQ(bodies[0], 0);
  EXPECT_EQ(bodies[1], -1);
  EXPECT_EQ(bodies[2], -1);
  EXPECT_EQ(bodies[3], 1);
  EXPECT_EQ(slots[3], 3);
}

// Steps that do not fit the blocks are refused instead of written past the map.
TEST(KeaBlockMap, InconsistentStepsAreRefused) {
  const int rowsPer[1] = {4};
  const int pairs[2] = {0, 1};
  int counts[1], bodies[keaBlockMaxEntries], slots[keaBlockMaxEntries];
  keaBlockMap map{0, counts, bodies, slots};
  EXPECT_EQ(keaBuildBlockMap(&map, 1, 3, rowsPer, pairs, 1, 2), 0);  // a 4-row constraint repeated
  const int ones[6] = {1, 1, 1, 1, 1, 1};
  const int sixPairs[12] = {};
  EXPECT_EQ(keaBuildBlockMap(&map, 1, 6, ones, sixPairs, 6, 1), 0);  // six J-blocks into one block
}

}  // namespace
