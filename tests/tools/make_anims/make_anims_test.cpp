// The animation tool: its description reader, the key quaternions, and the
// tool run on the repository's description, whose files are read back by
// the engine's readers and played on the figure's skeleton.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "make_anims/anim_description.h"
#include "render/geometry/render_vertex.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "world/animation/anim_object.h"
#include "world/animation/anim_set.h"
#include "world/animation/rule_table.h"
#include "world/environment/evo_file.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

AnimDescription RepositoryDescription() {
  AnimDescription d;
  std::string error;
  EXPECT_TRUE(ReadAnimDescription(ReadWhole(MAKE_ANIMS_DESCRIPTION), &d, &error)) << error;
  return d;
}

TEST(AnimDescriptionTest, RepositorySkeletonFitsTheChannelsAndTheJointNames) {
  const AnimDescription d = RepositoryDescription();
  ASSERT_EQ(d.Nodes.size(), 45u);
  for (int j = 0; j < JOINT_COUNT; ++j) {
    const int node = d.FindNode(kGruntJointNames[j]);
    if (j == JOINT_L_TOE || j == JOINT_R_TOE || j == JOINT_L_CALF || j == JOINT_R_CALF || j == JOINT_L_THIGH ||
        j == JOINT_R_THIGH) {
      EXPECT_GE(node, 35) << kGruntJointNames[j] << ": legs must follow channel 0";
    }
    EXPECT_GE(node, 0) << kGruntJointNames[j];
  }
  // Arms and head are upper body, the hips are not.
  for (const char* upper : {"BIP01 R UPPERARM", "BIP01 R FOREARM", "BIP01 HEAD", "BIP01 L HAND"})
    EXPECT_EQ(UpperBodyNodeTable[d.FindNode(upper)], 1) << upper;
  for (const char* lower : {"BIP01", "BIP01 PELVIS", "BIP01 L THIGH", "BIP01 R CALF"})
    EXPECT_EQ(UpperBodyNodeTable[d.FindNode(lower)], 0) << lower;
  for (const char* name : {"figure_idle", "figure_walk", "figure_run", "figure_crouch", "figure_wave"}) {
    bool found = false;
    for (const AnimEntry& a : d.Anims) found |= a.Name == name;
    EXPECT_TRUE(found) << name;
  }
}

TEST(AnimDescriptionTest, BadLinesAreReportedWithTheirNumber) {
  const std::string nodes = "node \"A\" ROOT 0 0 0\nnode \"B\" \"A\" 0 1 0\n";
  for (const auto& [text, where] : std::vector<std::pair<std::string, std::string>>{
           {"node \"A\" ROOT 0 0\n", "line 1"},
           {"node \"A\" B 0 0 0\n", "line 1"},
           {nodes + "node \"A\" ROOT 0 0 0\n", "line 3"},
           {nodes + "anim x keys 0 rate 10\nend\n", "line 3"},
           {nodes + "anim x keys 4 rate 10\n swing \"C\" x 1 0\nend\n", "line 4"},
           {nodes + "anim x keys 4 rate 10\n swing \"A\" w 1 0\nend\n", "line 4"},
           {nodes + "anim x keys 4 rate 10\n event 1 0.5 1 2\nend\n", "line 4"},
           {nodes + "anim x keys 4 rate 10\n", "has no end"},
           {"", "no nodes"},
           {nodes + "node \"C ROOT 0 0 0\n", "line 3"},
       }) {
    AnimDescription d;
    std::string error;
    EXPECT_FALSE(ReadAnimDescription(text, &d, &error)) << text;
    EXPECT_NE(error.find(where), std::string::npos) << error;
  }
}

TEST(AnimDescriptionTest, KeyQuaternionsGiveTheTurnsAboutXThenYThenZ) {
  for (const CVector3& a : {CVector3{0, 0, 0}, CVector3{30, 0, 0}, CVector3{0, -75, 0}, CVector3{0, 0, 150},
                            CVector3{180, 0, 0}, CVector3{0, 180, 0}, CVector3{0, 0, 180}, CVector3{20, 170, -60},
                            CVector3{-100, 45, 179}}) {
    CMatrix expected;
    expected.SetIdentity();
    expected.RotateX(a.x);
    expected.RotateY(a.y);
    expected.RotateZ(a.z);
    Pose key{};
    key.scale = CVector3{1, 1, 1};
    key.rotation = AnglesToKeyQuaternion(a);
    const float n = key.rotation.x * key.rotation.x + key.rotation.y * key.rotation.y +
                    key.rotation.z * key.rotation.z + key.rotation.w * key.rotation.w;
    EXPECT_NEAR(n, 1.0f, 1e-5f);
    CMatrix m;
    PoseToMatrix(key, &m);
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.m[i][j], expected.m[i][j], 1e-5f) << a.x << " " << a.y << " " << a.z;
  }
}

// The figure's skeleton as a template, as the object files give it.
class FigureTemplate {
 public:
  explicit FigureTemplate(const AnimDescription& d) {
    for (std::size_t i = 0; i < d.Nodes.size(); ++i) {
      CEnvObject* n = NewEnvObjectNode();
      n->TemplateKind = OTYPE_TRANSFORMANIM;
      n->MeshKind = MESHKIND_PLAIN_ALT;
      n->NodeIndex = static_cast<std::int32_t>(i);
      n->NodeName = d.Nodes[i].Name;
      n->NameHash = HashString(n->NodeName.c_str());
      const int parent = d.FindNode(d.Nodes[i].Parent);
      n->ParentNode = parent >= 0 ? nodes_[static_cast<std::size_t>(parent)] : nullptr;
      if (n->NodeName.find("CONNECTOR") != std::string::npos) n->Flags |= EOF_CONNECTOR;
      if (!nodes_.empty()) nodes_.back()->NextNode = n;
      nodes_.push_back(n);
    }
  }
  ~FigureTemplate() { FreeEnvObjectTemplate(nodes_.front()); }
  CEnvObject* Root() const { return nodes_.front(); }

 private:
  std::vector<CEnvObject*> nodes_;
};

class MakeAnimsTest : public FileTest {
 protected:
  void RunTool() {
    const std::string command = std::string("\"") + MAKE_ANIMS_TOOL + "\" \"" + MAKE_ANIMS_DESCRIPTION + "\" \"" +
                                MAKE_ANIMS_RULES + "\" . > tool.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadWhole("tool.log");
    Start("q");
  }
};

TEST_F(MakeAnimsTest, EveryCacheReadsBackIntoTheSetItsTextLoadsInto) {
  RunTool();
  const AnimDescription d = RepositoryDescription();
  ASSERT_EQ(d.Anims.size(), 5u);
  for (const AnimEntry& anim : d.Anims) {
    AnimSet text, cache;
    ASSERT_EQ(text.Load((anim.Name + ".prs").c_str()), 1) << anim.Name;
    ASSERT_TRUE(cache.LoadCache((anim.Name + ".prb").c_str())) << anim.Name;
    EXPECT_EQ(text.TrackCount, 45);
    EXPECT_EQ(text.KeyCount, anim.Keys);
    EXPECT_EQ(text.FrameRate, static_cast<float>(anim.Rate));
    EXPECT_EQ(text.BoundsCount(), anim.Keys);
    ASSERT_EQ(text.EventCount(), static_cast<int>(anim.Events.size())) << anim.Name;
    EXPECT_EQ(text.CacheBytes(), cache.CacheBytes()) << anim.Name;
  }
}

TEST_F(MakeAnimsTest, RuleFilesAnswerMovesAndRefusals) {
  RunTool();
  RuleTable movement("MovementStateRules.txt"), upper("UpperBodyStateRules.txt"), vehicle("VehicleStateRules.txt");
  ASSERT_EQ(movement.StateCount, 4);
  ASSERT_EQ(movement.RuleCount, 5);
  enum { Standing, Walking, Running, Crouching };
  enum { Walk, Run, Stop, Crouch, Stand };
  EXPECT_EQ(movement.NextState(Walk, Standing), Walking);
  EXPECT_EQ(movement.NextState(Run, Walking), Running);
  EXPECT_EQ(movement.NextState(Stop, Running), Standing);
  EXPECT_EQ(movement.NextState(Crouch, Walking), -1);  // crouch only from standing
  EXPECT_EQ(movement.NextState(Walk, Crouching), -1);
  EXPECT_EQ(movement.NextState(Stand, Crouching), Standing);
  ASSERT_EQ(upper.StateCount, 3);
  EXPECT_EQ(upper.NextState(0, 0), 1);   // wave when relaxed
  EXPECT_EQ(upper.NextState(0, 2), -1);  // not while aiming
  ASSERT_EQ(vehicle.StateCount, 3);
  EXPECT_EQ(vehicle.NextState(1, 1), -1);  // no reverse while driving
}

TEST_F(MakeAnimsTest, TheFigureWalksOnChannelZeroAndWavesOnChannelOne) {
  RunTool();
  const AnimDescription d = RepositoryDescription();
  FigureTemplate figure(d);
  CAnimObject o;
  o.Init(nullptr, EnvInstanceModules{}, 0, 0, figure.Root(), nullptr, CVector3{}, CVector3{}, 1u, nullptr);
  CAnimObject::BuildJointMap(figure.Root());
  AnimSet walk, wave;
  ASSERT_EQ(walk.Load("figure_walk.prs"), 1);
  ASSERT_EQ(wave.Load("figure_wave.prs"), 1);
  ASSERT_EQ(o.StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f), 1);
  o.Update(0.25f);
  o.EvaluatePose();
  CVector3 hand, head, footBefore, footAfter;
  ASSERT_TRUE(o.GetJointPosition(JOINT_R_HAND, &hand));
  ASSERT_TRUE(o.GetJointPosition(JOINT_HEAD, &head));
  ASSERT_TRUE(o.GetJointPosition(JOINT_L_TOE, &footBefore));
  EXPECT_LT(hand.y, head.y - 40.0f);  // the arm hangs while walking
  EXPECT_GT(head.y, 150.0f);

  ASSERT_EQ(o.StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f), 1);
  o.Update(0.25f);
  o.EvaluatePose();
  ASSERT_TRUE(o.GetJointPosition(JOINT_R_HAND, &hand));
  ASSERT_TRUE(o.GetJointPosition(JOINT_HEAD, &head));
  ASSERT_TRUE(o.GetJointPosition(JOINT_L_TOE, &footAfter));
  EXPECT_GT(hand.y, head.y);  // the hand is raised above the head
  // The legs still walk: the foot moved with the walk's keys.
  EXPECT_GT(std::abs(footAfter.z - footBefore.z) + std::abs(footAfter.y - footBefore.y), 1.0f);
  CAnimObject::ClearJointMap();
}

}  // namespace

namespace {

// The highest vertex of a skin as last deformed.
float Top(CSkin* skin) {
  float top = -1e30f;
  const RenderVertex* v = skin->LockCurrent();
  for (int i = 0; i < skin->VertexCount(); ++i) top = std::max(top, v[i].y);
  skin->UnlockCurrent();
  return top;
}

// The object tool's figure is the skeleton the animations are made for: the
// same nodes in the same order, parents and rest offsets; played through the
// animated object, its skin follows the raised arm of the wave.
TEST_F(MakeAnimsTest, TheFigureObjectHasTheAnimationsSkeletonAndItsSkinWaves) {
  InstallObjectMeshHooks();
  const std::string objects = std::string("\"") + MAKE_OBJECTS_TOOL + "\" \"" + MAKE_OBJECTS_DESCRIPTION + "\" . > objects.log 2>&1";
  ASSERT_EQ(std::system(objects.c_str()), 0) << ReadWhole("objects.log");
  RunTool();
  CTextureManager textures;
  CMaterialList materials;
  EnvLoadContext context;
  context.Textures = &textures;
  context.Materials = &materials;
  CEnvObject* figure = EnvFileLoadObject(-1, "figure", context, 0, 0);
  ASSERT_NE(figure, nullptr);

  const AnimDescription d = RepositoryDescription();
  std::size_t i = 0;
  std::vector<CSkin*> skins;
  for (CEnvObject* n = figure; n != nullptr; n = n->NextNode, ++i) {
    ASSERT_LT(i, d.Nodes.size());
    const FigureNode& expected = d.Nodes[i];
    EXPECT_EQ(n->NodeName, expected.Name) << i;
    EXPECT_EQ(n->NodeIndex, static_cast<int>(i));
    EXPECT_EQ(n->ParentNode != nullptr ? n->ParentNode->NodeName : std::string("ROOT"), expected.Parent) << i;
    const CMatrix rest = TemplateRestMatrix(figure, n);
    EXPECT_FLOAT_EQ(rest.m[3][0], expected.Offset.x) << expected.Name;
    EXPECT_FLOAT_EQ(rest.m[3][1], expected.Offset.y) << expected.Name;
    EXPECT_FLOAT_EQ(rest.m[3][2], expected.Offset.z) << expected.Name;
    if (CSkin* skin = SkinOfNode(n)) skins.push_back(skin);
  }
  EXPECT_EQ(i, d.Nodes.size());
  ASSERT_FALSE(skins.empty());

  {
    CAnimObject o;
    o.Init(nullptr, EnvInstanceModules{}, 0, 0, figure, nullptr, CVector3{}, CVector3{}, 1u, nullptr);
    EXPECT_TRUE(o.GetDrawFlags() & ANIMDRAW_SKINNED);
    AnimSet walk, wave;
    ASSERT_EQ(walk.Load("figure_walk.prs"), 1);
    ASSERT_EQ(wave.Load("figure_wave.prs"), 1);
    ASSERT_EQ(o.StartAnim(0, &walk, kAnimRepeatLoop, 0, 0.0f), 1);
    o.Update(0.1f);
    o.DrawHierarchy();
    const float walking = Top(skins.front());
    ASSERT_EQ(o.StartAnim(1, &wave, kAnimRepeatLoop, 0, 0.0f), 1);
    o.Update(0.1f);
    o.DrawHierarchy();
    const float waving = Top(skins.front());
    EXPECT_LT(walking, 180.0f);
    EXPECT_GT(waving, walking + 20.0f) << "the raised arm's skin stands above the head";
  }
  FreeEnvObjectTemplate(figure);
}

}  // namespace
