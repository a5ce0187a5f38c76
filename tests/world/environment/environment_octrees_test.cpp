// The level's octree file: built and written for each zone root, read back,
// and refused whole when missing or damaged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/octree.h"
#include "world/space/zone_record.h"

namespace {

class EnvironmentOctrees : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    Start();
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    box_ = new CEnvObject;
    box_->TemplateKind = OTYPE_ENV;
    box_->Bounds.Min = {-50, -50, -50};
    box_->Bounds.Max = {50, 50, 50};
    box_->ObjectNameHash = HashStringNoCase("box");
    env_->AddObject(box_);
  }
  void TearDown() override {
    delete env_;
    FileTest::TearDown();
  }

  // A zone root with count static boxes spread along x (and one dynamic one).
  CEnvInstance* Zone(const char* name, float x0, int count) {
    CEnvInstance* root = env_->CreateInstance(name, box_, {x0, 0, 0}, {}, nullptr, 0, 0);
    root->Zone = new ZoneRecord;
    for (int k = 0; k < count; ++k) {
      CEnvInstance* i = env_->CreateInstance(nullptr, box_, {x0 + 300.0f * k, 0, 0}, {}, nullptr, 0, 0);
      root->AttachChild(i);
    }
    CEnvInstance* moving = env_->CreateInstance(nullptr, box_, {x0, 100, 0}, {}, nullptr, 0, 0);
    moving->StateBits |= INSTS_DYNAMIC;
    root->AttachChild(moving);
    return root;
  }

  CEnvironment* env_ = nullptr;
  CEnvObject* box_ = nullptr;
};

}  // namespace

TEST_F(EnvironmentOctrees, WrittenTreesReadBackIntoTheSameZones) {
  CEnvInstance* a = Zone("zoneA", 0, 12);
  CEnvInstance* b = Zone("zoneB", 10000, 2);
  std::filesystem::create_directories("levels");
  ASSERT_TRUE(env_->BuildOctrees("levels\\test.env", true));
  ASSERT_TRUE(std::filesystem::exists("levels/test.OCT"));
  ASSERT_NE(a->Zone->Octree, nullptr);
  ASSERT_NE(b->Zone->Octree, nullptr);
  const std::uint32_t nodesA = a->Zone->Octree->Count();
  const std::uint32_t nodesB = b->Zone->Octree->Count();
  EXPECT_GT(nodesA, 1u);  // twelve boxes split the root

  a->Zone->SetOctree(nullptr);
  b->Zone->SetOctree(nullptr);
  ASSERT_TRUE(env_->LoadOctrees("levels\\test.env"));
  ASSERT_NE(a->Zone->Octree, nullptr);
  EXPECT_EQ(a->Zone->Octree->Count(), nodesA);
  EXPECT_EQ(b->Zone->Octree->Count(), nodesB);
  // The root lists the static instances of its zone only.
  const OctreeInstanceList* list = b->Zone->Octree->Root()->List;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Count, 3);  // the root and its two static boxes
}

TEST_F(EnvironmentOctrees, MissingFileUnderTheReadLetterStopsTheLoad) {
  Zone("zoneA", 0, 3);
  SetCommandSwitch('d');
  EXPECT_FALSE(env_->BuildOrLoadOctrees("levels\\none.env"));
  ClearCommandSwitch('d');
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.back().text,
            "Cannot find level OCTREE data levels\\none.env - Ensure Level has been run at least once in DEBUG");
}

TEST_F(EnvironmentOctrees, DamagedFileChangesNoZone) {
  CEnvInstance* a = Zone("zoneA", 0, 12);
  CEnvInstance* b = Zone("zoneB", 10000, 2);
  ASSERT_TRUE(env_->BuildOctrees("test.env", true));
  std::string bytes = Read("test.OCT");
  a->Zone->SetOctree(nullptr);
  b->Zone->SetOctree(nullptr);
  // Cut inside the second zone's tree: the first one must not be installed either.
  Write("test.OCT", bytes.substr(0, bytes.size() - 6));
  EXPECT_FALSE(env_->LoadOctrees("test.env"));
  EXPECT_EQ(a->Zone->Octree, nullptr);
  EXPECT_EQ(b->Zone->Octree, nullptr);
}

TEST_F(EnvironmentOctrees, UnwritableFileIsReportedButTheTreesStand) {
  CEnvInstance* a = Zone("zoneA", 0, 3);
  EXPECT_FALSE(env_->BuildOctrees("no_such_folder\\x.env", true));
  EXPECT_NE(a->Zone->Octree, nullptr);
}

TEST_F(EnvironmentOctrees, TheBuildLetterWritesAndReadsBack) {
  CEnvInstance* a = Zone("zoneA", 0, 5);
  SetCommandSwitch('c');
  EXPECT_TRUE(env_->BuildOrLoadOctrees("c.env"));
  ClearCommandSwitch('c');
  EXPECT_TRUE(std::filesystem::exists("c.OCT"));
  EXPECT_NE(a->Zone->Octree, nullptr);
}

// Octree files name instances by their place in the instance list: a file
// built over another list is refused as such (not as damage), and no zone
// takes a tree; a cut file stays damage.
TEST_F(EnvironmentOctrees, AFileBuiltOverAnotherInstanceListIsRefusedAsSuch) {
  struct Case {
    const char* what;
    int change;  // 0 one instance made in front of the list, 1 one instance fewer, 2 a zone more in the file, 3 cut
    OctreeLoadFault fault;
  } cases[] = {{"an object's instance made before the read", 0, OctreeLoadFault::OtherInstanceList},
               {"a box fewer than at the build", 1, OctreeLoadFault::OtherInstanceList},
               {"a zone more in the file", 2, OctreeLoadFault::OtherInstanceList},
               {"the file cut short", 3, OctreeLoadFault::Damaged}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    delete env_;
    env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    box_ = new CEnvObject;
    box_->TemplateKind = OTYPE_ENV;
    box_->Bounds.Min = {-50, -50, -50};
    box_->Bounds.Max = {50, 50, 50};
    box_->ObjectNameHash = HashStringNoCase("box");
    env_->AddObject(box_);
    CEnvInstance* a = Zone("zoneA", 0, 12);
    CEnvInstance* b = c.change == 2 ? nullptr : Zone("zoneB", 10000, 2);
    if (c.change == 2) Zone("zoneB", 10000, 2);
    ASSERT_TRUE(env_->BuildOctrees("test.env", true));
    std::string bytes = Read("test.OCT");
    if (c.change == 3) Write("test.OCT", bytes.substr(0, bytes.size() - 6));
    a->Zone->SetOctree(nullptr);
    if (b != nullptr) b->Zone->SetOctree(nullptr);
    if (c.change == 0) env_->CreateInstance(nullptr, box_, {20000, 0, 0}, {}, nullptr, 0, 0)->StateBits |= INSTS_DYNAMIC;
    if (c.change == 1) {
      CEnvInstance* last = a->FirstChild;
      last->Detach();
      last->Flags |= INSTF_HIDDEN;
      last->StateBits |= INSTS_DYNAMIC;
    }
    if (c.change == 2) {
      // The level read has zone A only: zone B's root is hidden.
      for (CEnvInstance* i = env_->InstanceList; i != nullptr; i = i->EnvLink)
        if (i->Parent == nullptr && i != a && i->Zone != nullptr) i->Flags |= INSTF_HIDDEN;
    }
    OctreeLoadReport report;
    EXPECT_FALSE(env_->LoadOctrees("test.env", &report));
    EXPECT_EQ(report.Fault, c.fault) << report.Text;
    EXPECT_EQ(report.Text.find("built over another instance list") != std::string::npos,
              c.fault == OctreeLoadFault::OtherInstanceList)
        << report.Text;
    EXPECT_EQ(a->Zone->Octree, nullptr);
    EXPECT_TRUE(b == nullptr || b->Zone->Octree == nullptr);
  }
}

TEST_F(EnvironmentOctrees, TheReadLetterSaysWhenTheFileWasBuiltOverAnotherList) {
  Zone("zoneA", 0, 12);
  ASSERT_TRUE(env_->BuildOctrees("test.env", true));
  env_->CreateInstance(nullptr, box_, {20000, 0, 0}, {}, nullptr, 0, 0)->StateBits |= INSTS_DYNAMIC;
  SetCommandSwitch('d');
  EXPECT_FALSE(env_->BuildOrLoadOctrees("test.env"));
  ClearCommandSwitch('d');
  ASSERT_FALSE(boxes_.empty());
  EXPECT_EQ(boxes_.back().text.rfind("Level OCTREE data test.env was built over another instance list\n", 0), 0u)
      << boxes_.back().text;
}
