// Regions: containment of boxes and spheres at their edges, the region
// section of the level file across versions, look-ups by index and name.
#include "world/regions/region_list.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/files/buffered_file.h"
#include "foundation/text/hash.h"
#include "world/environment/env_text_cursor.h"

namespace {

CRegion Sphere(CVector3 centre, float radius) {
  CRegion r;
  r.Type = REGION_SPHERE;
  r.Sphere.Set(centre, radius);
  return r;
}

CRegion Box(CVector3 min, CVector3 max, CVector3 position, CVector3 angles) {
  CRegion r;
  r.Type = REGION_BOX;
  r.Box.SetFromBoxAndPose(min, max, position, angles);
  return r;
}

TEST(Region, ContainsPointAtTheEdges) {
  const CRegion sphere = Sphere({10, 0, 0}, 5);
  const CRegion box = Box({-10, -2, -4}, {10, 2, 4}, {100, 0, 0}, {0, 90, 0});
  CRegion other = sphere;
  other.Type = 7;
  struct Case {
    const CRegion* region;
    CVector3 point;
    bool inside;
  } cases[] = {
      {&sphere, {10, 0, 0}, true},
      {&sphere, {14.9f, 0, 0}, true},
      {&sphere, {15, 0, 0}, false},  // on the surface: outside
      {&sphere, {10, 5, 0}, false},
      // The box is turned 90 degrees about y: its long side now runs along z.
      {&box, {100, 0, 10}, true},    // on a face: inside
      {&box, {100, 0, 10.5f}, false},
      {&box, {104, 0, 0}, true},
      {&box, {105, 0, 0}, false},
      {&box, {100, 2, 0}, true},
      {&box, {100, 2.01f, 0}, false},
      {&other, {10, 0, 0}, false},  // an unknown type holds nothing
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.region->ContainsPoint(c.point), c.inside) << c.point.x << "," << c.point.y << "," << c.point.z;
}

TEST(Region, RandomPointsLieInside) {
  const CRegion box = Box({-10, -10, -10}, {10, 10, 10}, {0, 50, 0}, {0, 30, 0});
  const CRegion sphere = Sphere({0, 0, 100}, 20);
  for (int i = 0; i < 50; ++i) {
    CVector3 p;
    box.RandomPoint(&p);
    EXPECT_TRUE(box.ContainsPoint(p));
    sphere.RandomPoint(&p);
    EXPECT_LE((p.x * p.x + p.y * p.y + (p.z - 100) * (p.z - 100)), 400.0f + 1e-3f);
  }
}

TEST(RegionList, ReadsTheSectionOfEachVersion) {
  struct Case {
    int version;
    std::string text;
  } cases[] = {
      {53, "2\nREGION door_a 0 100 0 0 0 90 0 -10 -5 -20 10 5 20\nREGION pool 1 0 0 0 50\nENDR\nNEXT"},
      {40, "2\nREGION door_a 0 100 0 0 0 90 0 -10 -5 -20 10 5 20 1 2 3 4\nREGION pool 1 0 0 0 50 5 6 7 8\nENDR\nNEXT"},
  };
  for (const Case& c : cases) {
    CRegionList list;
    EnvTextCursor cursor(c.text.c_str());
    ASSERT_TRUE(list.ReadText(cursor, c.version)) << c.version;
    ASSERT_EQ(list.GetCount(), 2);
    char next[8];
    ASSERT_TRUE(cursor.Token(next));
    EXPECT_STREQ(next, "NEXT") << "the end word is read, nothing more";
    const CRegion* door = list.GetRegion(0);
    EXPECT_EQ(door->NameHash, HashString("door_a"));
    EXPECT_EQ(door->Type, REGION_BOX);
    EXPECT_TRUE(door->ContainsPoint({119, 0, 0})) << "turned 90 degrees: the 20-deep side lies along x";
    EXPECT_FALSE(door->ContainsPoint({100, 0, 15}));
    EXPECT_EQ(list.FindByName("pool"), list.GetRegion(1));
    EXPECT_TRUE(list.GetRegion(1)->ContainsPoint({0, 49, 0}));
    EXPECT_FALSE(list.IsCompact());
    EXPECT_FALSE(list.HasChanged());
  }
}

TEST(RegionList, AnEmptySectionStillReadsItsEndWord) {
  CRegionList list;
  list.Add(CRegion{});
  EnvTextCursor cursor("0 ENDR NEXT");
  ASSERT_TRUE(list.ReadText(cursor, 60));
  EXPECT_EQ(list.GetCount(), 0);
  char next[8];
  cursor.Token(next);
  EXPECT_STREQ(next, "NEXT");
}

TEST(RegionList, DamagedSectionsAreRefused) {
  const char* cases[] = {
      "-1 ENDR",
      "99999999 ENDR",
      "2 REGION a 1 0 0 0 5 ENDR",       // one region short: the end word is read as a keyword
      "1 REGION a 0 1 2 3",              // the box runs out
      "1 REGION",                         // no name
      "x",
  };
  for (const char* text : cases) {
    CRegionList list;
    EnvTextCursor cursor(text);
    EXPECT_FALSE(list.ReadText(cursor, 60)) << text;
    EXPECT_LE(list.GetCount(), 1) << text;
  }
}

TEST(RegionList, LookUpsRefuseIndicesOutOfRangeAndFindTheFirstOfAName) {
  CRegionList list;
  CRegion a = Sphere({0, 0, 0}, 1), b = Sphere({5, 0, 0}, 1), c = Sphere({9, 0, 0}, 1);
  a.NameHash = c.NameHash = HashString("twin");
  b.NameHash = HashString("other");
  EXPECT_EQ(list.Add(a), 0);
  EXPECT_EQ(list.Add(b), 1);
  EXPECT_EQ(list.Add(c), 2);
  for (int i : {-1, 3, 1000, -2147483647 - 1}) EXPECT_EQ(list.GetRegion(i), nullptr) << i;
  EXPECT_EQ(list.FindByName("twin"), list.GetRegion(0));
  EXPECT_EQ(list.FindByHash(HashString("other")), list.GetRegion(1));
  EXPECT_EQ(list.FindByName("none"), nullptr);
  EXPECT_EQ(list.IndexOf(list.GetRegion(2)), 2);
  EXPECT_EQ(list.IndexOf(&a), -1);
  // Compact keeps the order; the array then answers the look-ups.
  list.Compact(true);
  EXPECT_TRUE(list.IsCompact());
  EXPECT_EQ(list.GetRegion(2)->Sphere.Centre.x, 9.0f);
  EXPECT_EQ(list.GetRegion(3), nullptr);
  EXPECT_EQ(list.IndexOf(list.GetRegion(1)), 1);
  // Removing goes back to the list, in order.
  EXPECT_TRUE(list.Remove(1));
  EXPECT_FALSE(list.Remove(5));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetRegion(1)->Sphere.Centre.x, 9.0f);
  EXPECT_EQ(list.GetAddedCount(), 3);
}

class RegionFile : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
  }
};

TEST_F(RegionFile, AnOpenFileIsReadLikeTheSectionFromWhereItStands) {
  Write("regions.txt", "2\nREGION door_a 0 100 0 0 0 90 0 -10 -5 -20 10 5 20\nREGION \"the pool\" 1 0 0 0 50\nENDR\n");
  BufferedFile* file = FileOpen("regions.txt", "rb");
  ASSERT_NE(file, nullptr);
  CRegionList list;
  const bool ok = list.ReadFile(file, 53);
  FileClose(file);
  ASSERT_TRUE(ok);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list.GetRegion(0)->ContainsPoint({119, 0, 0}));
  EXPECT_EQ(list.FindByName("the pool"), list.GetRegion(1));
}

TEST_F(RegionFile, ADamagedOrMissingFileIsRefused) {
  CRegionList list;
  EXPECT_FALSE(list.ReadFile(nullptr, 53));
  Write("cut.txt", "3\nREGION a 1 0 0 0 50\n");
  BufferedFile* file = FileOpen("cut.txt", "rb");
  ASSERT_NE(file, nullptr);
  const bool ok = list.ReadFile(file, 53);
  FileClose(file);
  EXPECT_FALSE(ok);
  EXPECT_EQ(list.GetCount(), 1) << "what was read before the fault stays";
}

}  // namespace
