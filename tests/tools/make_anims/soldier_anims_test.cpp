// The soldier's model and animations as the tools make them from the
// repository: "GruntBoxMan" has the skeleton of the soldier's clips (the same
// nodes in the same order, the twenty joints the units ask for, the
// connectors, the legs outside the upper-body channel), every alias the
// level registers loads as an animation of that skeleton, every slot the
// soldier's state tables name has an alias, and the clips move the body as
// their names say.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "make_anims/anim_aliases.h"
#include "make_anims/anim_description.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "units/base/anim_slot_ids.h"
#include "units/soldier/soldier_state_tables.h"
#include "world/animation/anim_object.h"
#include "world/animation/anim_set.h"
#include "world/environment/evo_file.h"

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SoldierAnimsTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    std::string error;
    ASSERT_TRUE(ReadAnimDescription(ReadWholeFile(SOLDIER_ANIMS_DESCRIPTION), &description_, &error)) << error;
    ASSERT_TRUE(ReadAnimAliases(ReadWholeFile(SOLDIER_ALIASES), &aliases_, &error)) << error;
  }
  // Runs the object and animation tools into the working folder and loads the soldier.
  CEnvObject* MakeSoldier() {
    InstallObjectMeshHooks();
    const std::string objects =
        std::string("\"") + MAKE_OBJECTS_TOOL + "\" \"" + MAKE_OBJECTS_DESCRIPTION + "\" . > objects.log 2>&1";
    EXPECT_EQ(std::system(objects.c_str()), 0) << ReadWholeFile("objects.log");
    const std::string anims = std::string("\"") + MAKE_ANIMS_TOOL + "\" \"" + SOLDIER_ANIMS_DESCRIPTION + "\" - . \"" +
                              SOLDIER_ALIASES + "\" > anims.log 2>&1";
    EXPECT_EQ(std::system(anims.c_str()), 0) << ReadWholeFile("anims.log");
    Start("q");
    context_.Textures = &textures_;
    context_.Materials = &materials_;
    soldier_ = EnvFileLoadObject(-1, "GruntBoxMan", context_, 0, 0);
    return soldier_;
  }
  void TearDown() override {
    if (soldier_ != nullptr) FreeEnvObjectTemplate(soldier_);
    CAnimObject::ClearJointMap();
    FileTest::TearDown();
  }

  AnimDescription description_;
  std::vector<AnimAlias> aliases_;
  CTextureManager textures_;
  CMaterialList materials_;
  EnvLoadContext context_;
  CEnvObject* soldier_ = nullptr;
};

TEST_F(SoldierAnimsTest, TheSoldierModelHasTheClipsSkeletonWithJointsConnectorsAndOneSkin) {
  CEnvObject* soldier = MakeSoldier();
  ASSERT_NE(soldier, nullptr) << (boxes_.empty() ? "" : boxes_.front().text);
  EXPECT_EQ(soldier->TemplateKind, OTYPE_TRANSFORMANIM);
  std::size_t i = 0;
  int skins = 0;
  std::set<std::string> connectors;
  for (CEnvObject* n = soldier; n != nullptr; n = n->NextNode, ++i) {
    ASSERT_LT(i, description_.Nodes.size());
    const FigureNode& expected = description_.Nodes[i];
    EXPECT_EQ(n->NodeName, expected.Name) << i;
    EXPECT_EQ(n->NodeIndex, static_cast<int>(i));
    EXPECT_EQ(n->ParentNode != nullptr ? n->ParentNode->NodeName : std::string("ROOT"), expected.Parent) << i;
    const CMatrix rest = TemplateRestMatrix(soldier, n);
    EXPECT_FLOAT_EQ(rest.m[3][1], expected.Offset.y) << expected.Name;
    skins += SkinOfNode(n) != nullptr;
    if (n->Flags & EOF_CONNECTOR) connectors.insert(n->NodeName);
  }
  EXPECT_EQ(i, description_.Nodes.size());
  EXPECT_EQ(skins, 1);
  const std::set<std::string> expectedConnectors = {
      "BIP01 SPINE1 CONNECTOR", "BIP01 SPINE2 CONNECTOR", "BIP01 RIBCAGE CONNECTOR", "BIP01 HAT CONNECTOR",
      "BIP01 FACE CONNECTOR",   "BIP01 L HAND CONNECTOR", "BIP01 R HAND CONNECTOR"};
  EXPECT_EQ(connectors, expectedConnectors);

  CAnimObject o;
  o.Init(nullptr, EnvInstanceModules{}, 0, 0, soldier, nullptr, CVector3{}, CVector3{}, 1u, nullptr);
  CAnimObject::BuildJointMap(soldier);
  for (int j = 0; j < JOINT_COUNT; ++j) {
    EXPECT_NE(o.GetJointNode(j), nullptr) << kGruntJointNames[j];
    const int node = description_.FindNode(kGruntJointNames[j]);
    const bool leg = j == JOINT_L_TOE || j == JOINT_R_TOE || j == JOINT_L_CALF || j == JOINT_R_CALF ||
                     j == JOINT_L_THIGH || j == JOINT_R_THIGH || j == JOINT_ROOT || j == JOINT_PELVIS;
    EXPECT_EQ(node < kUpperBodyTableSize && UpperBodyNodeTable[node] == 1, !leg && j != JOINT_SPINE)
        << kGruntJointNames[j];
  }
  EXPECT_GE(o.FindConnector(HashString("BIP01 SPINE1 CONNECTOR")), 0);
  EXPECT_TRUE(o.CreateRibcageOscillator());
}

TEST_F(SoldierAnimsTest, EveryAliasLoadsOnTheSoldierAndEverySlotTheTablesNameHasOne) {
  CEnvObject* soldier = MakeSoldier();
  ASSERT_NE(soldier, nullptr);
  CAnimObject o;
  o.Init(nullptr, EnvInstanceModules{}, 0, 0, soldier, nullptr, CVector3{}, CVector3{}, 1u, nullptr);
  std::set<int> aliased;
  for (const AnimAlias& alias : aliases_) {
    AnimSet set;
    ASSERT_EQ(set.Load(alias.File.c_str()), 1) << alias.File;
    EXPECT_EQ(o.StartAnim(0, &set, kAnimRepeatLoop, 0, 0.0f), 1) << alias.File << " does not fit the skeleton";
    o.StartAnim(0, nullptr, 0, 0, 0.0f);
    if (HasAnimSlot(alias)) aliased.insert(FindAnimSlot(alias.Slot.c_str()));
  }
  std::set<int> named;
  for (const MovementStateRow& row : kMovementStates)
    if (row.Slot != ANIM_SLOT_NONE) named.insert(row.Slot);
  for (const UpperBodyStateRow& row : kUpperBodyStates)
    if (row.Slot != ANIM_SLOT_NONE) named.insert(row.Slot);
  for (const auto& set : kAnimationSets)
    for (std::uint16_t slot : set) named.insert(slot);
  for (int slot : named) EXPECT_EQ(aliased.count(slot), 1u) << kAnimSlotNames[slot] << " has no alias";
}

TEST_F(SoldierAnimsTest, ClipsMoveTheBodyAsTheirNamesSay) {
  CEnvObject* soldier = MakeSoldier();
  ASSERT_NE(soldier, nullptr);
  CAnimObject o;
  o.Init(nullptr, EnvInstanceModules{}, 0, 0, soldier, nullptr, CVector3{}, CVector3{}, 1u, nullptr);
  CAnimObject::BuildJointMap(soldier);
  // The head's height at the end of a clip played once.
  auto headAtEnd = [&](const char* file) {
    AnimSet set;
    EXPECT_EQ(set.Load(file), 1) << file;
    EXPECT_EQ(o.StartAnim(0, &set, 0, 0, 0.0f), 1) << file;
    for (int f = 0; f < 200 && o.GetChannelActive(0); ++f) o.Update(0.05f);
    o.EvaluatePose();
    CVector3 head{};
    EXPECT_TRUE(o.GetJointPosition(JOINT_HEAD, &head));
    o.StartAnim(0, nullptr, 0, 0, 0.0f);
    return head.y;
  };
  EXPECT_GT(headAtEnd("standing_stance_with_rifle.prs"), 150.0f);
  EXPECT_LT(headAtEnd("mg_death_forward.prs"), 40.0f);
  EXPECT_LT(headAtEnd("mg_death_back.prs"), 40.0f);
  EXPECT_LT(headAtEnd("crawling_stance_with_rifle.prs"), 40.0f);
  const float kneel = headAtEnd("kneeling_stance_with_rifle.prs");
  EXPECT_GT(kneel, 90.0f);
  EXPECT_LT(kneel, 140.0f);
}

TEST(AnimAliasesTest, FilesWithoutASlotMayBeManyButEachOnce) {
  std::vector<AnimAlias> aliases;
  std::string error;
  ASSERT_TRUE(ReadAnimAliases("- Rifle_Aim.prs idle\n- Rifle_Fire.prs idle\nSTRETCH s.prs idle\n", &aliases, &error))
      << error;
  ASSERT_EQ(aliases.size(), 3u);
  EXPECT_FALSE(HasAnimSlot(aliases[0]));
  EXPECT_FALSE(HasAnimSlot(aliases[1]));
  EXPECT_TRUE(HasAnimSlot(aliases[2]));
}

TEST(AnimAliasesTest, BadLinesAreReportedWithTheirNumber) {
  const struct {
    const char* text;
    const char* where;
  } cases[] = {
      {"STANDING_WALK_WITH_PISTOL walk.prs\n", "line 1: <slot name> <file> <clip>"},
      {"# a comment\nSTANDING_FLY a.prs clip\n", "line 2: no animation slot is called STANDING_FLY"},
      {"standing_walk_with_pistol a.prs clip\n", "line 1: no animation slot"},
      {"STRETCH a.prb clip\n", "line 1: a.prb is not a .prs file"},
      {"STRETCH a.prs clip\nSTRETCH b.prs clip\n", "line 2: slot STRETCH given twice"},
      {"STRETCH a.prs clip\nSALUTE a.prs clip\n", "line 2: file a.prs given twice"},
      {"- a.prs clip\n- a.prs clip\n", "line 2: file a.prs given twice"},
  };
  for (const auto& c : cases) {
    std::vector<AnimAlias> aliases;
    std::string error;
    EXPECT_FALSE(ReadAnimAliases(c.text, &aliases, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
  }
}

}  // namespace
