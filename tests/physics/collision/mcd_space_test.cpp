#include "physics/collision/mcd_axis_sort_space.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_space.h"
#include "physics/collision/collision_fixture.h"
#include "physics/util/me_memory.h"
#include "physics/util/message_recorder.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <set>
#include <utility>

namespace {

using Pair = std::pair<McdModelID, McdModelID>;

Pair Key(McdModelID a, McdModelID b) { return a < b ? Pair{a, b} : Pair{b, a}; }
Pair Key(McdModelPair* p) { return Key(p->model1, p->model2); }

int LowerSlotOf(McdModelPair* p) {
  auto* node = reinterpret_cast<McdAxisSortSpace::PairNode*>(
      reinterpret_cast<char*>(p) - offsetof(McdAxisSortSpace::PairNode, pair));
  return node->lowerSlot;
}

// What one read of the space delivered.
struct Delivered {
  std::vector<McdModelPair*> hello, staying, goodbye;
  int calls = 0;
};

Delivered ReadPairs(McdSpaceID space, int listSize = 64) {
  Delivered d;
  std::vector<McdModelPair*> array(listSize);
  McdSpacePairList list;
  McdSpacePairListInit(&list, array.data(), listSize);
  McdSpacePairIterator it;
  McdSpacePairIteratorBegin(space, &it);
  int more;
  do {
    McdSpacePairListReset(&list);
    more = McdSpaceGetPairs(space, &it, &list);
    ++d.calls;
    for (int i = 0; i < list.goodbyeEnd; ++i) d.goodbye.push_back(array[i]);
    for (int i = list.helloStart; i < list.middle; ++i) d.hello.push_back(array[i]);
    for (int i = list.middle; i < list.stayingEnd; ++i) d.staying.push_back(array[i]);
  } while (more && d.calls < 10000);
  return d;
}

std::set<Pair> Keys(const std::vector<McdModelPair*>& v) {
  std::set<Pair> s;
  for (McdModelPair* p : v) s.insert(Key(p));
  return s;
}

// Brute force: every two models whose boxes overlap (touching counts).
std::set<Pair> Overlapping(const std::vector<McdModelID>& models, int axes = McdAllAxes) {
  std::set<Pair> out;
  std::vector<std::array<MeReal, 6>> boxes(models.size());
  for (size_t i = 0; i < models.size(); ++i)
    McdModelGetAABB(models[i], boxes[i].data(), boxes[i].data() + 3);
  for (size_t i = 0; i < models.size(); ++i)
    for (size_t j = i + 1; j < models.size(); ++j) {
      bool overlap = true;
      for (int k = 0; k < 3; ++k)
        if ((axes >> k) & 1)
          overlap = overlap && boxes[i][3 + k] >= boxes[j][k] && boxes[i][k] <= boxes[j][3 + k];
      if (overlap)
        out.insert(models[i] < models[j] ? Pair{models[i], models[j]} : Pair{models[j], models[i]});
    }
  return out;
}

class SpaceTest : public CollisionTest {
 protected:
  void TearDown() override {
    if (space_) McdSpaceDestroy(space_);
    CollisionTest::TearDown();
  }
  void Create(int axes = McdAllAxes, int models = 400, int pairs = 400) {
    space_ = McdAxisSortCreate(axes, models, pairs);
    ASSERT_NE(space_, nullptr);
  }
  McdModelID Add(MeReal size, MeReal x, MeReal y, MeReal z) {
    McdModelID m = Box(size, size, size, x, y, z);
    EXPECT_EQ(McdSpaceInsertModel(space_, m), 1);
    return m;
  }
  // Update all, end the phase, read, begin the next phase.
  Delivered Frame(int listSize = 64) {
    McdSpaceUpdate(space_);
    McdSpaceEndChanges(space_);
    Delivered d = ReadPairs(space_, listSize);
    McdSpaceBeginChanges(space_);
    return d;
  }
  // A new space holding two unit boxes, a at the origin and b overlapping
  // it, after the frame that made their pair.
  std::pair<McdModelID, McdModelID> TouchingPair() {
    Create();
    McdModelID a = Add(1, 0, 0, 0);
    McdModelID b = Add(1, 0.5f, 0, 0);
    Frame();
    return {a, b};
  }
  McdSpaceID space_ = nullptr;
};

}  // namespace

TEST_F(SpaceTest, ReportsExactlyTheBruteForcePairsUnderRandomMotion) {
  Create(McdAllAxes, 400, 400);
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> pos(0, 20), size(0.2f, 1.6f), step(-0.08f, 0.08f),
      unit(0, 1);
  std::vector<McdModelID> live;
  for (int i = 0; i < 300; ++i) live.push_back(Add(size(rng), pos(rng), pos(rng), pos(rng)));
  std::set<Pair> known;     // pairs reported and not yet ended
  std::set<Pair> disabled;  // pairs the test has disabled
  std::vector<McdModelID> leaving;
  int hellos = 0, goodbyes = 0, removedGoodbyes = 0;
  for (int frame = 0; frame < 2000; ++frame) {
    // Models removed last frame are destroyed once their goodbyes are read.
    for (McdModelID m : leaving) {
      auto at = std::find(models_.begin(), models_.end(), m);
      transforms_.erase(transforms_.begin() + (at - models_.begin()));
      models_.erase(at);
      McdModelDestroy(m);
    }
    leaving.clear();
    for (McdModelID m : live) {
      TestTransform& t = TransformOf(m);
      if (unit(rng) < 0.01f)
        t.Place(pos(rng), pos(rng), pos(rng));  // teleport
      else
        t.Place(t.m[12] + step(rng), t.m[13] + step(rng), t.m[14] + step(rng));
    }
    // Additions and removals.
    int changes = static_cast<int>(unit(rng) * 4);
    for (int c = 0; c < changes; ++c) {
      if (unit(rng) < 0.5f && live.size() > 50) {
        size_t k = static_cast<size_t>(unit(rng) * live.size()) % live.size();
        EXPECT_EQ(McdSpaceRemoveModel(live[k]), 1);
        for (auto it = disabled.begin(); it != disabled.end();)
          it = (it->first == live[k] || it->second == live[k]) ? disabled.erase(it) : std::next(it);
        leaving.push_back(live[k]);
        live.erase(live.begin() + static_cast<long>(k));
      } else if (live.size() < 400) {
        live.push_back(Add(size(rng), pos(rng), pos(rng), pos(rng)));
      }
    }
    // Disable or enable a few pairs, near ones (likely overlapping) mostly.
    for (int c = 0; c < 3 && live.size() > 2; ++c) {
      McdModelID a = live[static_cast<size_t>(unit(rng) * live.size()) % live.size()];
      McdModelID b = live[static_cast<size_t>(unit(rng) * live.size()) % live.size()];
      float pick = unit(rng);
      if (pick < 0.3f && !known.empty()) {
        // A pair that overlaps now.
        auto it = known.begin();
        std::advance(it, static_cast<long>(unit(rng) * known.size()) % static_cast<long>(known.size()));
        a = it->first;
        b = it->second;
      } else if (pick < 0.5f && !disabled.empty()) {
        a = disabled.begin()->first;
        b = disabled.begin()->second;
      }
      if (a == b || !a->space || !b->space) continue;  // removed this frame
      if (pick >= 0.5f && unit(rng) < 0.7f) {
        TestTransform& ta = TransformOf(a);
        TransformOf(b).Place(ta.m[12] + 0.3f, ta.m[13], ta.m[14]);
      }
      if (disabled.count(Key(a, b))) {
        EXPECT_TRUE(McdSpaceEnablePair(a, b));
        disabled.erase(Key(a, b));
      } else {
        EXPECT_TRUE(McdSpaceDisablePair(a, b));
        disabled.insert(Key(a, b));
      }
      EXPECT_EQ(McdSpacePairIsEnabled(a, b), !disabled.count(Key(a, b)));
    }
    Delivered d = Frame(frame % 2 ? 64 : 1000);
    for (McdModelPair* p : d.goodbye) {
      ASSERT_EQ(known.erase(Key(p)), 1u) << "goodbye for a pair never reported, frame " << frame;
      if (LowerSlotOf(p) == -1) ++removedGoodbyes;
    }
    for (McdModelPair* p : d.staying) ASSERT_TRUE(known.count(Key(p))) << frame;
    for (McdModelPair* p : d.hello) ASSERT_TRUE(known.insert(Key(p)).second) << frame;
    ASSERT_EQ(d.staying.size() + d.hello.size(), known.size()) << frame;
    std::set<Pair> expected = Overlapping(live);
    for (const Pair& p : disabled) expected.erase(p);
    ASSERT_EQ(known, expected) << "frame " << frame;
    hellos += static_cast<int>(d.hello.size());
    goodbyes += static_cast<int>(d.goodbye.size());
  }
  // The run exercised every kind of report.
  EXPECT_GT(hellos, 1000);
  EXPECT_GT(goodbyes, 1000);
  EXPECT_GT(removedGoodbyes, 10);
}

TEST_F(SpaceTest, BoxesSharingAFaceArePairsInEitherOrder) {
  Create();
  McdModelID a = Add(1, 0.5f, 0, 0);  // x in [0, 1]
  McdModelID b = Add(1, 1.5f, 0, 0);  // x in [1, 2]
  McdModelID c = Add(1, 10.5f, 0, 0);
  McdModelID d = Add(1, 9.5f, 0, 0);  // shares x = 10 with c, inserted after it
  Delivered f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, b), Key(c, d)}));
}

TEST_F(SpaceTest, InsertedModelMeetsEveryModelItOverlaps) {
  Create();
  McdModelID a = Add(2, 0, 0, 0);
  McdModelID b = Add(2, 5, 0, 0);
  Frame();
  McdModelID c = Add(7, 2.5f, 0, 0);  // spans both
  Delivered f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, c), Key(b, c)}));
  EXPECT_TRUE(f.goodbye.empty());
  f = Frame();
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, c), Key(b, c)}));
  EXPECT_TRUE(f.hello.empty());
}

TEST_F(SpaceTest, PairThatBeginsAndEndsInOnePhaseIsNeverReported) {
  Create();
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 5, 0, 0);
  Frame();
  TransformOf(b).Place(0.5f, 0, 0);
  McdSpaceUpdate(space_);
  TransformOf(b).Place(5, 0, 0);
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  Delivered f = ReadPairs(space_);
  EXPECT_TRUE(f.hello.empty());
  EXPECT_TRUE(f.goodbye.empty());
  McdSpaceBeginChanges(space_);
  // And a staying pair that separates and meets again in one phase stays.
  TransformOf(b).Place(0.5f, 0, 0);
  Frame();
  TransformOf(b).Place(5, 0, 0);
  McdSpaceUpdate(space_);
  TransformOf(b).Place(0.6f, 0, 0);
  f = Frame();
  EXPECT_TRUE(f.goodbye.empty());
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, b)}));
}

TEST_F(SpaceTest, RemovalReportsGoodbyeWithLowerSlotMinusOneEvenForNewPairs) {
  const auto [a, b] = TouchingPair();
  McdModelID c = Add(1, 0.2f, 0, 0);
  McdSpaceUpdate(space_);  // c meets a and b in this phase
  EXPECT_EQ(McdSpaceRemoveModel(c), 1);
  EXPECT_EQ(McdSpaceRemoveModel(c), 0);
  EXPECT_EQ(c->space, nullptr);
  EXPECT_EQ(c->spaceIndex, -1);
  McdSpaceEndChanges(space_);
  Delivered f = ReadPairs(space_);
  EXPECT_EQ(Keys(f.goodbye), (std::set<Pair>{Key(a, c), Key(b, c)}));
  for (McdModelPair* p : f.goodbye) EXPECT_EQ(LowerSlotOf(p), -1);
  EXPECT_TRUE(f.hello.empty());
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, b)}));
  McdSpaceBeginChanges(space_);
  EXPECT_EQ(McdSpaceGetModelCount(space_), 2);
}

TEST_F(SpaceTest, FrozenPairsAreNeitherMadeNorEndedNorDelivered) {
  Create();
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 0.5f, 0, 0);
  McdModelID c = Add(1, 10, 0, 0);
  Frame();
  McdSpaceFreezeModel(a);
  McdSpaceFreezeModel(b);
  McdSpaceFreezeModel(c);
  EXPECT_EQ(McdSpaceModelIsFrozen(a), 1);
  Delivered f = Frame();
  EXPECT_TRUE(f.staying.empty());  // a-b exists but both are frozen
  // A frozen model is not moved by updates: moving c's transform onto a
  // makes no pair.
  TransformOf(c).Place(0, 0, 0);
  f = Frame();
  EXPECT_TRUE(f.hello.empty());
  // Once b is active again its staying pair is delivered.
  McdSpaceUnfreezeModel(b);
  EXPECT_EQ(McdSpaceModelIsFrozen(b), 0);
  f = Frame();
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, b)}));
}

TEST_F(SpaceTest, DisableThenEnableInOnePhaseStaysEnabled) {
  const auto [a, b] = TouchingPair();
  EXPECT_TRUE(McdSpaceDisablePair(a, b));
  EXPECT_FALSE(McdSpacePairIsEnabled(a, b));
  EXPECT_TRUE(McdSpaceEnablePair(a, b));
  Delivered f = Frame();
  EXPECT_TRUE(McdSpacePairIsEnabled(a, b));
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, b)}));
  EXPECT_TRUE(f.goodbye.empty() && f.hello.empty());
  // Disabled over a frame: goodbye; enabled again: hello.
  McdSpaceDisablePair(a, b);
  f = Frame();
  EXPECT_EQ(Keys(f.goodbye), (std::set<Pair>{Key(a, b)}));
  f = Frame();
  EXPECT_TRUE(f.staying.empty());
  McdSpaceEnablePair(a, b);
  f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, b)}));
  EXPECT_FALSE(McdSpaceEnablePair(a, a));
}

TEST_F(SpaceTest, EnableAndDisableOutsideAPhaseTakeEffectAtTheNextPhase) {
  const auto [a, b] = TouchingPair();
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  EXPECT_TRUE(McdSpaceDisablePair(a, b));
  EXPECT_FALSE(McdSpaceEnablePair(a, b));  // already in transition
  Delivered f = ReadPairs(space_);
  EXPECT_TRUE(f.staying.empty());  // not delivered once disabled
  McdSpaceBeginChanges(space_);
  McdSpaceEndChanges(space_);
  f = ReadPairs(space_);
  EXPECT_EQ(Keys(f.goodbye), (std::set<Pair>{Key(a, b)}));
  EXPECT_TRUE(McdSpaceEnablePair(a, b));
  McdSpaceBeginChanges(space_);
  f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, b)}));
  f = Frame();
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, b)}));
}

TEST_F(SpaceTest, DisablingAnOverlappingPairWithoutANodeOnlySetsTheBit) {
  Create();
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 0.5f, 0, 0);
  // Both frozen before their first meeting: the boxes overlap, no pair exists.
  McdSpaceUpdateModel(a);
  McdSpaceFreezeModel(a);
  McdSpaceFreezeModel(b);
  McdSpaceUpdate(space_);
  EXPECT_TRUE(McdSpaceDisablePair(a, b));
  EXPECT_FALSE(McdSpacePairIsEnabled(a, b));
  Delivered f = Frame();
  EXPECT_TRUE(f.hello.empty() && f.goodbye.empty() && f.staying.empty());
}

TEST_F(SpaceTest, XOnlySpacePairsOverlappingXIntervals) {
  Create(McdXAxis);
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 0.5f, 30, -40);
  Add(1, 3, 0, 0);
  Delivered f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, b)}));
}

TEST_F(SpaceTest, RemovalClearsDisabledBitsForTheNextModelInTheSlot) {
  Create();
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 5, 0, 0);
  Frame();
  McdSpaceDisablePair(a, b);
  int slot = b->spaceIndex;
  McdSpaceRemoveModel(b);
  McdModelID c = Add(1, 0.5f, 0, 0);
  EXPECT_EQ(c->spaceIndex, slot);  // the most recently freed slot
  EXPECT_TRUE(McdSpacePairIsEnabled(a, c));
  Delivered f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, c)}));
}

TEST_F(SpaceTest, SmallPairListDeliversInBatches) {
  Create();
  std::vector<McdModelID> ms;
  for (int i = 0; i < 5; ++i) ms.push_back(Add(1, 0.1f * i, 0, 0));  // 10 pairs
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  McdModelPair* array[8];
  McdSpacePairList list;
  McdSpacePairListInit(&list, array, 8);
  McdSpacePairIterator it;
  McdSpacePairIteratorBegin(space_, &it);
  EXPECT_EQ(McdSpaceGetPairs(space_, &it, &list), 1);
  EXPECT_EQ(list.middle - list.helloStart, 4);
  int total = 4;
  int calls = 1;
  for (int more = 1; more && calls < 10; ++calls) {
    McdSpacePairListReset(&list);
    more = McdSpaceGetPairs(space_, &it, &list);
    total += list.middle - list.helloStart;
  }
  EXPECT_EQ(total, 10);
  EXPECT_EQ(calls, 3);
  McdSpaceBeginChanges(space_);
}

TEST_F(SpaceTest, PairListTooSmallToProgressAnswersAtOnce) {
  MessageRecorder rec;
  Create();
  Add(1, 0, 0, 0);
  Add(1, 0.5f, 0, 0);
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  McdModelPair* array[1];
  McdSpacePairList list;
  McdSpacePairListInit(&list, array, 1);
  McdSpacePairIterator it;
  McdSpacePairIteratorBegin(space_, &it);
  EXPECT_EQ(McdSpaceGetPairs(space_, &it, &list), 0);
  EXPECT_EQ(rec.warnings.size(), 2u);
  McdSpaceBeginChanges(space_);
}

TEST_F(SpaceTest, RemovalOutsideAPhaseWaitsForTheNextPhase) {
  Create(McdAllAxes, 8, 4);
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 0.5f, 0, 0);
  McdModelID c = Add(1, 0.7f, 0, 0);
  Frame();
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  // As from a pair callback while the pairs are being read.
  EXPECT_EQ(McdSpaceRemoveModel(b), 1);
  EXPECT_EQ(McdSpaceGetModelCount(space_), 2);
  Delivered f = ReadPairs(space_);
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, c)}));
  McdSpaceBeginChanges(space_);
  // The slot comes free only now; a new model may take it.
  McdModelID d = Add(1, 20, 0, 0);
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  f = ReadPairs(space_);
  EXPECT_EQ(Keys(f.goodbye), (std::set<Pair>{Key(a, b), Key(b, c)}));
  EXPECT_EQ(Keys(f.staying), (std::set<Pair>{Key(a, c)}));
  McdSpaceBeginChanges(space_);
  // Many more pairs than the first node chunk: the pool grows and stays sound.
  TransformOf(d).Place(0.3f, 0, 0);
  for (int i = 0; i < 4; ++i) Add(1, 0.1f * i, 0, 0);
  f = Frame();
  EXPECT_EQ(f.hello.size(), 2u + 4u * 3u + 6u);  // d meets a and c; 4 new meet a, c, d and each other
}

TEST_F(SpaceTest, UpdatesOutsideAPhaseAreRefused) {
  MessageRecorder rec;
  Create();
  McdModelID a = Add(1, 0, 0, 0);
  McdModelID b = Add(1, 5, 0, 0);
  Frame();
  McdSpaceEndChanges(space_);
  TransformOf(b).Place(0, 0, 0);
  EXPECT_EQ(McdSpaceUpdate(space_), 0);
  EXPECT_EQ(McdSpaceUpdateModel(b), 0);
  EXPECT_NE(MessageRecorder::Joined(rec.warnings).find("Function name: McdSpaceUpdate"),
            std::string::npos);
  McdSpaceBeginChanges(space_);
  Delivered f = Frame();
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(a, b)}));
}

TEST_F(SpaceTest, CreationRefusesBadArguments) {
  struct Case {
    int axes, models, pairs;
  } bad[] = {{0, 10, 10}, {8, 10, 10}, {0x100, 10, 10}, {7, 0, 10}, {7, 10, 0},
             {7, McdSpaceMaxModels + 1, 10}};
  for (const Case& c : bad) EXPECT_EQ(McdAxisSortCreate(c.axes, c.models, c.pairs), nullptr);
  McdSpaceID s = McdAxisSortCreate(0x107, 2, 1);  // only the low byte is the mask
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(McdSpaceIsChanging(s));
  McdModelID a = Box(1, 1, 1, 0, 0, 0), b = Box(1, 1, 1, 0, 0, 0), c = Box(1, 1, 1, 0, 0, 0);
  EXPECT_EQ(McdSpaceInsertModel(s, a), 1);
  EXPECT_EQ(McdSpaceInsertModel(s, a), 1);  // already here
  EXPECT_EQ(McdSpaceInsertModel(s, b), 1);
  EXPECT_EQ(McdSpaceInsertModel(s, c), 0);  // full
  EXPECT_EQ(c->space, nullptr);
  McdSpaceID other = McdAxisSortCreate(McdAllAxes, 2, 1);
  EXPECT_EQ(McdSpaceInsertModel(other, a), 0);  // in another space
  McdSpaceDestroy(other);
  McdSpaceDestroy(s);
  EXPECT_EQ(a->space, nullptr);
}

namespace {
int g_allocs = 0;
void* FailAfterCreation(size_t n) { return g_allocs-- > 0 ? malloc(n) : nullptr; }
}  // namespace

TEST_F(SpaceTest, PairPoolThatCannotGrowIsErrorTwentyFour) {
  MessageRecorder rec;
  Create(McdAllAxes, 8, 1);
  McdModelID a = Add(1, 0, 0, 0);
  Add(1, 0.5f, 0, 0);
  Add(1, 0.6f, 0, 0);
  McdSpaceUpdateModel(a);
  g_allocs = 0;
  MeMemoryTable.alloc = FailAfterCreation;
  MeMemoryTable.allocZeroed = FailAfterCreation;
  EXPECT_THROW(McdSpaceUpdate(space_), MeFatalErrorThrown);
  MeMemoryTable = MeMemoryDefaults;
  ASSERT_EQ(rec.fatals.size(), 2u);
  EXPECT_EQ(rec.fatals[1],
            "Mcd: Out of memory for McdModelPairs in McdSpace. Resizing not implemented. Please "
            "use a larger number or pairs in McdAxisSortCreate.\n");
}

namespace {
// A stand-in segment test: every box is hit at its centre's x distance.
int StubSegment(McdModel* m, const MeReal* start, const MeReal*, McdLineSegHit* hit) {
  hit->distance = m->transform[12] - start[0];
  MeVector3Copy(hit->position, m->transform + 12);
  MeVector3Set(hit->normal, -1, 0, 0);
  return hit->distance >= 0;
}
int OnlyFar(McdModel* m, MeUserWord limit) { return m->transform[12] > static_cast<MeReal>(limit); }
}  // namespace

TEST_F(SpaceTest, LineSegmentQueries) {
  Create();
  McdLineSegIntersectRegister(McdBoxGetTypeId(), StubSegment);
  McdModelID far = Add(1, 9, 0, 0);
  McdModelID near = Add(1, 3, 0, 0);
  Add(1, -4, 0, 0);  // behind the start: no hit
  McdModelID mid = Add(1, 6, 0, 0);
  MeVector3 start = {0, 0, 0}, end = {20, 0, 0};
  McdLineSegHit hits[8];
  EXPECT_EQ(McdSpaceGetLineSegIntersections(space_, start, end, hits, 8), 3);
  EXPECT_EQ(hits[0].model, far);
  EXPECT_EQ(McdSpaceGetLineSegIntersections(space_, start, end, hits, 2), 2);
  EXPECT_EQ(McdSpaceGetLineSegIntersections(space_, start, end, hits, 0), 0);
  McdLineSegHit hit;
  ASSERT_EQ(McdSpaceGetLineSegFirstIntersection(space_, start, end, &hit), 1);
  EXPECT_EQ(hit.model, near);
  EXPECT_FLOAT_EQ(hit.distance, 3);
  ASSERT_EQ(McdSpaceGetLineSegFirstFilteredIntersection(space_, start, end, OnlyFar, 4, &hit), 1);
  EXPECT_EQ(hit.model, mid);
  EXPECT_EQ(McdSpaceGetLineSegFirstFilteredIntersection(space_, start, end, OnlyFar, 100, &hit), 0);
}

TEST_F(SpaceTest, ModelIteratorVisitsSlotsInOrder) {
  Create();
  McdModelID a = Add(1, 0, 0, 0), b = Add(1, 5, 0, 0), c = Add(1, 9, 0, 0);
  McdSpaceRemoveModel(b);
  McdSpaceModelIterator it;
  McdSpaceModelIteratorBegin(space_, &it);
  McdModelID m;
  std::vector<McdModelID> seen;
  while (McdSpaceGetNextModel(space_, &it, &m)) seen.push_back(m);
  EXPECT_EQ(seen, (std::vector<McdModelID>{a, c}));
  EXPECT_EQ(m, nullptr);
  EXPECT_EQ(McdSpaceGetModelCount(space_), 2);
}

TEST_F(SpaceTest, PathUpdateUsesTheSweptBoxThenTheBoxAgain) {
  Create();
  McdModelID mover = Add(1, 0, 0, 0);
  McdModelID target = Add(1, 3, 0, 0);
  MeVector3 v = {10, 0, 0}, w = {0, 0, 0};
  McdModelSetLinearVelocityPtr(mover, v);
  McdModelSetAngularVelocityPtr(mover, w);
  McdSpacePathUpdate(space_, 0.25f);  // sweeps x over [−0.5, 3]: meets the target
  McdSpaceEndChanges(space_);
  Delivered f = ReadPairs(space_);
  EXPECT_EQ(Keys(f.hello), (std::set<Pair>{Key(mover, target)}));
  McdSpaceBeginChanges(space_);
  f = Frame();  // the plain box again: they part
  EXPECT_EQ(Keys(f.goodbye), (std::set<Pair>{Key(mover, target)}));
}

TEST_F(SpaceTest, ModelDestroyedRightAfterARemovalOutsideAPhaseIsSafe) {
  const auto [a, b] = TouchingPair();
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  // As an object torn down from a contact callback: remove, destroy, and a
  // new model takes the record and goes into the space at once.
  McdSpaceRemoveModel(b);
  McdGeometryID g = b->geometry;
  McdModelDestroy(b);
  models_.erase(std::find(models_.begin(), models_.end(), b));
  McdModelID c = McdModelCreate(g);
  EXPECT_EQ(c, b);  // the same record, reused
  TestTransform t(0.4f, 0, 0);
  McdModelSetTransformPtr(c, t.m);
  EXPECT_EQ(McdSpaceInsertModel(space_, c), 1);
  McdSpaceBeginChanges(space_);
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  Delivered f = ReadPairs(space_);
  ASSERT_EQ(f.goodbye.size(), 1u);
  EXPECT_EQ(LowerSlotOf(f.goodbye[0]), -1);
  ASSERT_EQ(f.hello.size(), 1u);
  EXPECT_EQ(Key(f.hello[0]), Key(a, c));
  McdSpaceBeginChanges(space_);
  McdSpaceRemoveModel(c);
  McdModelDestroy(c);
}

TEST_F(SpaceTest, TransitionsSkipStayingPairsAndGiveOneGoodbyePerCall) {
  Create();
  McdModelID a = Add(1, 0, 0, 0), b = Add(1, 0.5f, 0, 0), c = Add(1, -0.6f, 0, 0);
  Frame();
  McdModelID d = Add(1, 20, 0, 0), e = Add(1, 20.5f, 0, 0);  // a new pair
  TransformOf(b).Place(10, 0, 0);
  TransformOf(c).Place(-10, 0, 0);  // two goodbyes; nothing stays
  McdSpaceUpdate(space_);
  McdSpaceEndChanges(space_);
  McdModelPair* array[8];
  McdSpacePairList list;
  McdSpacePairListInit(&list, array, 8);
  McdSpacePairIterator it;
  McdSpacePairIteratorBegin(space_, &it);
  std::set<Pair> goodbyes, hellos;
  int calls = 0, more = 1;
  while (more && calls < 10) {
    McdSpacePairListReset(&list);
    more = McdSpaceGetTransitions(space_, &it, &list);
    ++calls;
    EXPECT_LE(list.goodbyeEnd, 1);
    EXPECT_EQ(list.stayingEnd, list.middle);
    for (int i = 0; i < list.goodbyeEnd; ++i) goodbyes.insert(Key(array[i]));
    for (int i = list.helloStart; i < list.middle; ++i) hellos.insert(Key(array[i]));
  }
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(goodbyes, (std::set<Pair>{Key(a, b), Key(a, c)}));
  EXPECT_EQ(hellos, (std::set<Pair>{Key(d, e)}));
  McdSpaceBeginChanges(space_);
}

TEST_F(SpaceTest, LongJumpsOntoTouchingAndIdenticalBoxesMatchBruteForce) {
  Create(McdAllAxes, 64, 64);
  std::vector<McdModelID> row;
  for (int i = 0; i < 20; ++i) row.push_back(Add(1, static_cast<MeReal>(i), 0, 0));  // faces touch
  McdModelID jumper = Add(1, 100, 0, 0);
  std::set<Pair> known;
  auto check = [&](const char* what) {
    Delivered d = Frame();
    for (McdModelPair* p : d.goodbye) known.erase(Key(p));
    for (McdModelPair* p : d.hello) known.insert(Key(p));
    std::vector<McdModelID> all = row;
    all.push_back(jumper);
    EXPECT_EQ(known, Overlapping(all)) << what;
  };
  check("start");
  struct Jump {
    const char* what;
    MeReal x, y;
  } jumps[] = {{"onto box 5", 5, 0},          {"between 7 and 8", 7.5f, 0},
               {"touching 12 from above", 12, 1}, {"far away", -50, 0},
               {"onto box 0", 0, 0},          {"touching 19 at its end", 20, 0}};
  for (const Jump& j : jumps) {
    TransformOf(jumper).Place(j.x, j.y, 0);
    check(j.what);
  }
}
