// The octree lists' box copies follow instances changed after the tree was
// built: line of sight without outputs (which refuses list entries by their
// copies) answers as the nearest-hit walk, which reads every instance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/octree.h"
#include "world/space/segment_box.h"
#include "world/space/world_queries.h"
#include "world/space/zone_record.h"
#include "world/space_world_fixture.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace {

struct Box {
  CVector3 lo, hi;
};

// A segment from outside through a random point of the instance's current
// box, ending a little beyond it, that keeps clear of the box `avoid` (the
// one the instance had before it changed): only a walk that knows where the
// instance stands now can meet it there.
void AimAt(const CEnvInstance& instance, const Box& avoid, std::mt19937& rng, CVector3* a, CVector3* b) {
  std::uniform_real_distribution<float> u(0, 1);
  CVector3 lo, hi;
  instance.ComputeWorldBox(&lo, &hi);
  const CVector3 margin{3, 3, 3};
  for (int attempt = 0;; ++attempt) {
    ASSERT_LT(attempt, 10000) << "the instance's box lies within the one to avoid";
    const CVector3 target{lo.x + (hi.x - lo.x) * u(rng), lo.y + (hi.y - lo.y) * u(rng), lo.z + (hi.z - lo.z) * u(rng)};
    const float angle = 6.2831853f * u(rng), length = 150 + 500 * u(rng);
    *a = target + CVector3{length * std::cos(angle), length * (u(rng) - 0.3f), length * std::sin(angle)};
    *b = target + (target - *a) * (0.05f + 0.3f * u(rng));
    float entry;
    if (!SegmentEntersBox(*a, *b - *a, avoid.lo - margin, avoid.hi + margin, &entry)) return;
  }
}

}  // namespace

TEST(OctreeBoxCopies, LineOfSightFollowsInstancesChangedAfterTheBuild) {
  space_fixture::Options options;
  options.outdoorCrates = 60;
  auto world = space_fixture::MakeWorld(options);
  CWorldQueries queries;
  // Outdoor crates (low templates) and a tree template to swap in.
  std::vector<CEnvInstance*> crates;
  CEnvObject* treeTemplate = nullptr;
  for (CEnvInstance* i = world->env->InstanceList; i; i = i->EnvLink) {
    if (i->GetRoot() != world->land || i == world->land || !i->Template) continue;
    const float height = i->Template->Bounds.Max.y - i->Template->Bounds.Min.y;
    if (height > 500) treeTemplate = i->Template;
    else if (height < 200 && i->Template->Bounds.Max.x - i->Template->Bounds.Min.x < 200) crates.push_back(i);
  }
  ASSERT_NE(treeTemplate, nullptr);

  struct Change {
    const char* name;
    bool dynamic;    // made dynamic: the line tests compute its box from its matrix
    bool updateBox;  // the stored box brought up to date afterwards
    void (*apply)(CEnvInstance*, CEnvObject* treeTemplate);
  };
  static const Change kChanges[] = {
      {"moved", false, true,
       [](CEnvInstance* i, CEnvObject*) {
         CVector3 p;
         i->GetPosition(&p);
         i->SetPosition(p + CVector3{45, 0, -30}, false);
       }},
      {"moved, dynamic", true, false,
       [](CEnvInstance* i, CEnvObject*) {
         CVector3 p;
         i->GetPosition(&p);
         i->SetPosition(p + CVector3{-40, 15, 35}, false);
       }},
      {"turned, dynamic", true, false,
       [](CEnvInstance* i, CEnvObject*) { i->SetRotation(i->GetStoredRotation() + CVector3{45, 0, 0}, false); }},
      {"turned by rows, dynamic", true, false,
       [](CEnvInstance* i, CEnvObject*) {
         // Tipped over about x by 0.8 radians.
         const float c = std::cos(0.8f), s = std::sin(0.8f);
         const float rows[3][3] = {{1, 0, 0}, {0, c, s}, {0, -s, c}};
         i->SetMatrixRotation(rows);
       }},
      {"scaled, dynamic", true, false, [](CEnvInstance* i, CEnvObject*) { i->SetScale({1.8f, 1.4f, 1.8f}); }},
      {"swapped, dynamic", true, false,
       [](CEnvInstance* i, CEnvObject* tree) {
         ObjectTemplatePair pair;
         pair.Template = tree;
         i->SwapObject(&pair);
       }},
      {"swapped", false, true,
       [](CEnvInstance* i, CEnvObject* tree) {
         ObjectTemplatePair pair;
         pair.Template = tree;
         i->SwapObject(&pair);
       }},
  };
  constexpr std::size_t kPerChange = 3;
  ASSERT_GE(crates.size(), std::size(kChanges) * kPerChange);

  // Lines through every chosen crate first, so that the copies are taken
  // before anything changes.
  std::mt19937 rng(7);
  CVector3 a, b;
  const Box far{{1e6f, 1e6f, 1e6f}, {1e6f, 1e6f, 1e6f}};
  std::vector<Box> before;
  for (std::size_t k = 0; k < std::size(kChanges) * kPerChange; ++k) {
    AimAt(*crates[k], far, rng, &a, &b);
    queries.LineOfSight(world->land, a, b, nullptr, nullptr, 0, nullptr);
    Box box;
    crates[k]->ComputeWorldBox(&box.lo, &box.hi);
    before.push_back(box);
  }
  ASSERT_TRUE(world->land->Zone->Octree->BoxCopiesCurrent());

  for (std::size_t c = 0; c < std::size(kChanges); ++c) {
    const Change& change = kChanges[c];
    for (std::size_t k = 0; k < kPerChange; ++k) {
      CEnvInstance* crate = crates[c * kPerChange + k];
      change.apply(crate, treeTemplate);
      if (change.dynamic) crate->StateBits |= INSTS_DYNAMIC;
      if (change.updateBox) crate->UpdateWorldBox(nullptr, nullptr);
    }
    // Every walk without outputs first: the nearest-hit walk brings a
    // dynamic instance's stored box up to date on its way (and so would
    // count a change).
    std::vector<CVector3> starts, ends;
    std::vector<int> any;
    for (int q = 0; q < 1500; ++q) {
      const std::size_t k = c * kPerChange + static_cast<std::size_t>(q) % kPerChange;
      AimAt(*crates[k], before[k], rng, &a, &b);
      starts.push_back(a);
      ends.push_back(b);
      any.push_back(queries.LineOfSight(world->land, a, b, nullptr, nullptr, 0, nullptr));
    }
    int hitChanged = 0;
    for (std::size_t q = 0; q < starts.size(); ++q) {
      WorldHit* hit = nullptr;
      CVector3 point;
      const int nearest = queries.LineOfSight(world->land, starts[q], ends[q], &point, &hit, 0, nullptr);
      ASSERT_EQ(any[q], nearest) << change.name << " case " << q;
      hitChanged += !nearest && hit->Instance == crates[c * kPerChange + q % kPerChange];
    }
    // The lines meet the changed crates where they now stand.
    EXPECT_GT(hitChanged, 150) << change.name;
  }
}

TEST(OctreeBoxCopies, RefillingTheListsOrANewTreeTakesTheCopiesAgain) {
  auto world = space_fixture::MakeWorld({});
  CWorldQueries queries;
  OctreeArray* tree = world->land->Zone->Octree;
  ASSERT_NE(tree, nullptr);
  CEnvInstance* loose = world->env->CreateInstance(nullptr, world->crateInB->Template, {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  ASSERT_NE(loose, nullptr);
  queries.LineOfSight(world->land, {-2000, 300, -2000}, {2000, 300, 2000}, nullptr, nullptr, 0, nullptr);
  EXPECT_TRUE(tree->BoxCopiesCurrent());
  // A copy holds its instance's box.
  const OctreeInstanceList* list = nullptr;
  for (std::uint32_t n = 0; n < tree->Count() && !list; ++n) list = tree->Nodes()[n].List;
  ASSERT_NE(list, nullptr);
  ASSERT_GT(list->Count, 0);
  for (std::int32_t k = 0; k < list->Count; ++k) {
    const CEnvInstance& i = *list->Instances[k];
    const float* group = list->Boxes + (k / 4) * kOctreeBoxGroupFloats;
    const float lo[3] = {i.WorldBoxMin.x, i.WorldBoxMin.y, i.WorldBoxMin.z};
    const float hi[3] = {i.WorldBoxMax.x, i.WorldBoxMax.y, i.WorldBoxMax.z};
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_LE(group[4 * axis + k % 4], lo[axis]) << k;
      EXPECT_GE(group[12 + 4 * axis + k % 4], hi[axis]) << k;
    }
  }
  // Moving an instance none of whose boxes are copied leaves them current.
  loose->SetPosition({10, 20, 30}, false);
  loose->UpdateWorldBox(nullptr, nullptr);
  EXPECT_TRUE(tree->BoxCopiesCurrent());
  // Refilled lists and a rebuilt tree are taken again at their next walk.
  world->env->BuildOctrees(nullptr, false);
  tree = world->land->Zone->Octree;
  EXPECT_FALSE(tree->BoxCopiesCurrent());
  queries.LineOfSight(world->land, {-2000, 300, -2000}, {2000, 300, 2000}, nullptr, nullptr, 0, nullptr);
  EXPECT_TRUE(tree->BoxCopiesCurrent());
  tree->FreeLists();
  EXPECT_FALSE(tree->BoxCopiesCurrent());
}
