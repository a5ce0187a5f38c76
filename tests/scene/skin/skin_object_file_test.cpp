#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "platform/win32/message_box.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"
#include "scene/skin/skin_pose.h"
#include "world/environment/evo_file.h"
#include "world/environment/evo_writer.h"

namespace {

Pose Key(float x, float y, float z) {
  Pose p{};
  p.translation = {x, y, z};
  p.scale = {1, 1, 1};
  p.rotation = {0, 0, 0, 1};
  return p;
}

EvoNodeSource Node(const char* name, const char* parent, std::int32_t index) {
  EvoNodeSource node;
  node.ObjectName = "LEG";
  node.NodeName = name;
  node.ParentName = parent;
  node.Type = OTYPE_TRANSFORMANIM;
  node.NodeIndex = index;
  node.Bounds = EvoMakeBounds({-1, -1, -1}, {1, 1, 1});
  node.WholeBounds = node.Bounds;
  return node;
}

std::vector<std::uint8_t> SkinBody(const SkinSource& source) {
  CSkin skin(nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(skin.Build(source));
  ByteWriter out;
  skin.Write(out);
  return out.Data();
}

// HIPS (rest: up 100) -> SHIN (rest: down 50 from the hips), and LEGSKIN,
// a skinned strip whose bone table names SHIN first and HIPS second.
std::vector<EvoNodeSource> Leg(const SkinSource& skin) {
  std::vector<EvoNodeSource> nodes = {Node("HIPS", "ROOT", 0), Node("SHIN", "HIPS", 1),
                                      Node("LEGSKIN", "HIPS", 2)};
  nodes[0].HasTransforms = true;
  nodes[0].TransformKeys = {Key(0, 100, 0), Key(0, -50, 0), Key(0, 0, 0)};
  nodes[2].MeshKind = MESHKIND_SKINNED;
  nodes[2].NamedValues = {{"SHIN", 1}, {"HIPS", 0}};
  nodes[2].OtherMeshBody = SkinBody(skin);
  return nodes;
}

int CaptureBox(HWND, const char* text, const char*, UINT, void* self) {
  static_cast<std::vector<std::string>*>(self)->push_back(text != nullptr ? text : "");
  return IDOK;
}

class SkinObjectFile : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallObjectMeshHooks();
    SetMessageBoxEcho(false);
    SetMessageBoxHook(CaptureBox, &boxes_);
  }
  void TearDown() override {
    FreeEnvObjectTemplate(root_);
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
  }
  int Read(const std::vector<EvoNodeSource>& nodes) {
    const std::vector<std::uint8_t> bytes = EvoWriteFile(nodes);
    ByteReader in(bytes.data(), bytes.size());
    root_ = NewEnvObjectNode();
    root_->Init(EnvLoadContext{});
    return EvoReadFile(root_, in, -1, 0, 0);
  }
  CEnvObject* Find(const char* name) {
    for (CEnvObject* n = root_; n != nullptr; n = n->NextNode)
      if (n->NodeName == name) return n;
    return nullptr;
  }
  CEnvObject* root_ = nullptr;
  std::vector<std::string> boxes_;
};

}  // namespace

TEST_F(SkinObjectFile, ASkinnedTemplateIsBoundAndPosedAtRestWhenRead) {
  const SkinSource source = skin_fixture::TwoBoneStrip(2);
  ASSERT_EQ(Read(Leg(source)), 1);
  CEnvObject* node = Find("LEGSKIN");
  ASSERT_NE(node, nullptr);
  CSkin* skin = SkinOfNode(node);
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->BoneNodes, (std::vector<std::int32_t>{1, 0}));
  // Rest model matrices: HIPS at y 100, SHIN at y 100 - 50.
  const std::vector<CMatrix> rest = TemplateRestModelMatrices(root_);
  ASSERT_EQ(rest.size(), 3u);
  EXPECT_FLOAT_EQ(rest[1].m[3][1], 50.0f);
  // Bone 0 is SHIN (+50), bone 1 is HIPS (+100).
  const RenderVertex* v = skin->LockCurrent();
  ASSERT_NE(v, nullptr);
  for (int i = 0; i < skin->VertexCount(); ++i) {
    if (skin->Data.InfluenceCount(i) != 1) continue;
    const SkinInfluence& s = skin->Data.FirstOf(i);
    EXPECT_FLOAT_EQ(v[i].y, s.Position.y + (s.Bone == 0 ? 50.0f : 100.0f)) << i;
  }
  skin->UnlockCurrent();

  // Posing with an animated object's matrices moves it along.
  std::vector<CMatrix> model(3);
  for (int i = 0; i < 3; ++i) model[static_cast<std::size_t>(i)] = skin_fixture::Bone(0, 0, 0, 1, {0, 0, 0});
  model[1] = skin_fixture::Bone(0, 0, 0, 1, {7, 0, 0});
  SkinRenderNode(node, model.data(), 3, nullptr, 0);
  std::vector<CMatrix> bones(2);
  SkinBuildPose(node, model.data(), 3, bones.data());
  EXPECT_FLOAT_EQ(bones[0].m[3][0], 7.0f);
  v = skin->LockCurrent();
  for (int i = 0; i < skin->VertexCount(); ++i) {
    if (skin->Data.InfluenceCount(i) != 1) continue;
    const SkinInfluence& s = skin->Data.FirstOf(i);
    EXPECT_FLOAT_EQ(v[i].x, s.Position.x + (s.Bone == 0 ? 7.0f : 0.0f)) << i;
  }
  skin->UnlockCurrent();
}

// A node's rest model matrix is its own rest matrix carried by its
// parent's (row vectors: the child's first): with the hips turned a quarter
// about y, the shin's offset turns with them, and the skin's vertices on the
// shin follow.
TEST_F(SkinObjectFile, AChildsRestPoseIsCarriedByItsRotatedParent) {
  std::vector<EvoNodeSource> nodes = Leg(skin_fixture::TwoBoneStrip(2));
  Pose hips = Key(0, 100, 0);
  hips.rotation = {0.0f, 0.70710678f, 0.0f, 0.70710678f};  // a quarter turn about y
  nodes[0].TransformKeys = {hips, Key(30, -50, 0), Key(0, 0, 0)};
  ASSERT_EQ(Read(nodes), 1);
  CMatrix hipsRest;
  PrsKeyToMatrix(hips, &hipsRest);
  const std::vector<CMatrix> rest = TemplateRestModelMatrices(root_);
  ASSERT_EQ(rest.size(), 3u);
  // The shin's origin is its offset carried through the hips' rest pose.
  CVector3 shin{};
  hipsRest.TransformPoint({30, -50, 0}, &shin);
  EXPECT_NEAR(std::fabs(shin.z), 30.0f, 1e-3f) << "the offset turned with the hips";
  EXPECT_NEAR(rest[1].m[3][0], shin.x, 1e-3f);
  EXPECT_NEAR(rest[1].m[3][1], 50.0f, 1e-3f);
  EXPECT_NEAR(rest[1].m[3][2], shin.z, 1e-3f);
  // A vertex of the shin bone: its own position turned with the hips, then moved to the shin.
  CSkin* skin = SkinOfNode(Find("LEGSKIN"));
  ASSERT_NE(skin, nullptr);
  const RenderVertex* v = skin->LockCurrent();
  ASSERT_NE(v, nullptr);
  int checked = 0;
  for (int i = 0; i < skin->VertexCount(); ++i) {
    if (skin->Data.InfluenceCount(i) != 1 || skin->Data.FirstOf(i).Bone != 0) continue;
    CVector3 turned{};
    hipsRest.TransformPoint(skin->Data.FirstOf(i).Position, &turned);
    EXPECT_NEAR(v[i].x, turned.x - hipsRest.m[3][0] + shin.x, 1e-3f) << i;
    EXPECT_NEAR(v[i].y, turned.y - hipsRest.m[3][1] + shin.y, 1e-3f) << i;
    EXPECT_NEAR(v[i].z, turned.z - hipsRest.m[3][2] + shin.z, 1e-3f) << i;
    ++checked;
  }
  skin->UnlockCurrent();
  EXPECT_GT(checked, 0);
}

TEST_F(SkinObjectFile, ABoneBeyondTheBoneTableOrADamagedChunkFailsTheLoad) {
  std::vector<EvoNodeSource> nodes = Leg(skin_fixture::TwoBoneStrip(2));
  nodes[2].NamedValues.pop_back();  // the skin uses bones 0 and 1; the table has one entry
  EXPECT_EQ(Read(nodes), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("has invalid data"), std::string::npos);
  FreeEnvObjectTemplate(root_);
  root_ = nullptr;

  nodes = Leg(skin_fixture::TwoBoneStrip(2));
  nodes[2].OtherMeshBody.resize(nodes[2].OtherMeshBody.size() - 3);
  EXPECT_EQ(Read(nodes), 0);
}
