#include "world/environment/evo_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/mesh_pools.h"
#include "world/environment/evo_fixture.h"

namespace {

using evo_fixture::FloorTree;
using evo_fixture::TankTemplate;

bool SameBytes(const RenderVertex& a, const RenderVertex& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Object files read from memory, with texture and material libraries and
// the message boxes captured.
class EvoFileTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    context_.Textures = &textures_;
    context_.Materials = &materials_;
    floor_ = FloorTree(10.0f, 3);
    ASSERT_NE(floor_, nullptr);
  }
  void TearDown() override {
    FreeEnvObjectTemplate(root_);
    root_ = nullptr;
    FileTest::TearDown();
  }

  // Reads bytes into a fresh template; answers EvoReadFile's result.
  int Read(const std::vector<std::uint8_t>& bytes, int expectedKind = -1) {
    FreeEnvObjectTemplate(root_);
    root_ = NewEnvObjectNode();
    root_->Init(context_);
    ByteReader in(bytes.data(), bytes.size());
    return EvoReadFile(root_, in, expectedKind, 0, 0);
  }
  int CountNodes() const {
    int n = 0;
    for (const CEnvObject* node = root_; node != nullptr; node = node->NextNode) ++n;
    return n;
  }
  std::string LastBox() const { return boxes_.empty() ? "" : boxes_.back().text; }

  CTextureManager textures_;
  CMaterialList materials_;
  EnvLoadContext context_;
  BspTreePtr floor_;
  CEnvObject* root_ = nullptr;
};

}  // namespace

TEST_F(EvoFileTest, TemplateReadsBackWhatWasWritten) {
  const std::vector<EvoNodeSource> source = TankTemplate(floor_.get());
  ASSERT_EQ(Read(EvoWriteFile(source)), 1);
  EXPECT_TRUE(boxes_.empty()) << LastBox();
  ASSERT_EQ(CountNodes(), 2);

  const CEnvObject& body = *root_;
  EXPECT_EQ(body.ObjectName, "TANK");
  EXPECT_EQ(body.NodeName, "BODY");
  EXPECT_EQ(body.NameHash, HashString("Body"));
  EXPECT_EQ(body.TemplateKind, OTYPE_TRANSFORMANIM);
  EXPECT_EQ(body.DetailCounts[0], 3);
  EXPECT_EQ(body.DetailCounts[1], 4);
  EXPECT_EQ(body.NodeIndex, 0);
  EXPECT_EQ(body.ShadowName, "TANK_SHADOW");
  EXPECT_STREQ(body.GetIdString(), ("#0x" + [] {
                                      char t[16];
                                      std::snprintf(t, sizeof t, "%X", HashStringNoCase("TANK"));
                                      return std::string(t);
                                    }()).c_str());
  ASSERT_EQ(body.NamedValues.size(), 2u);
  EXPECT_EQ(body.NamedValues[1].Name, "BONE_TRACK");
  EXPECT_EQ(body.NamedValues[1].Value, 9u);
  EXPECT_EQ(body.NamedValues[1].Hash, HashString("BONE_TRACK"));

  // Bounds and spheres; a hierarchical template answers its whole box.
  EXPECT_FLOAT_EQ(body.Bounds.Max.y, 5.0f);
  EXPECT_FLOAT_EQ(body.GetBounds().Max.y, 8.0f);
  EXPECT_FLOAT_EQ(body.Sphere.Radius, 15.0f);
  EXPECT_FLOAT_EQ(body.WholeSphere.Centre.y, 4.0f);
  EXPECT_FLOAT_EQ(body.Bounds.Planes[1][3], 10.0f);

  // Connectors by slot.
  CVector3 p;
  ASSERT_TRUE(body.GetConnectorPosition(CONNECTOR_PRIMARY, &p));
  EXPECT_FLOAT_EQ(p.x, 4.0f);
  ASSERT_TRUE(body.GetConnectorPosition(CONNECTOR_LADDER_TOP, &p));
  EXPECT_FLOAT_EQ(p.z, 3.0f);
  EXPECT_FALSE(body.GetConnectorPosition(CONNECTOR_LADDER_BOTTOM, &p)) << "no ladder bottom";

  // Textures and materials went into the libraries; the mesh resolves them.
  ASSERT_NE(textures_.FindByName("hull.png"), nullptr);
  ASSERT_NE(body.Mesh, nullptr);
  ASSERT_EQ(body.Mesh->PartCount, 2u);
  EXPECT_EQ(body.Mesh->GetPart(1)->Texture, textures_.FindByName("tracks.png"));
  const MeshPartSource& part = source[0].MeshParts[0];
  const CVertexBuffer* loaded = body.Mesh->GetPart(0);
  ASSERT_EQ(loaded->VertexCount, part.Vertices.size());
  for (std::size_t i = 0; i < part.Vertices.size(); ++i)
    EXPECT_TRUE(SameBytes(loaded->Vertices[i], part.Vertices[i])) << "positions, normals, colours and UVs of " << i;
  EXPECT_EQ(std::vector<std::uint16_t>(loaded->ListIndices, loaded->ListIndices + loaded->ListIndexCount),
            part.ListIndices);

  // The transform list with its matrix form.
  ASSERT_NE(body.Transforms, nullptr);
  EXPECT_EQ(body.Transforms->StoredWord, 42u);
  ASSERT_EQ(body.Transforms->Keys.size(), 1u);
  CMatrix expected;
  PoseToMatrix(source[0].TransformKeys[0], &expected);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FLOAT_EQ(body.Transforms->Matrices[0].m[r][c], expected.m[r][c]);

  // The child found its parent by name.
  const CEnvObject& turret = *body.NextNode;
  EXPECT_EQ(turret.ParentNode, root_);
  EXPECT_EQ(turret.NodeName, "TURRET");
  EXPECT_EQ(turret.Bsp, nullptr);
  EXPECT_EQ(turret.Transforms, nullptr);
}

TEST_F(EvoFileTest, CollisionTreeAnswersLikeTheGeometryItWasBuiltFrom) {
  ASSERT_EQ(Read(EvoWriteFile(TankTemplate(floor_.get()))), 1);
  ASSERT_NE(root_->Bsp, nullptr);
  EXPECT_EQ(root_->CollisionBsp, root_->Bsp);
  EXPECT_GT(root_->BspBytes, 0u);
  CMatrix world;
  world.SetIdentity();
  CMatrix moved;
  moved.SetIdentity();
  moved.SetTranslationXYZ(0, 100, 0);
  struct Case {
    const char* what;
    float sphere[4];
    const CMatrix* matrix;
    std::uint32_t kind;
    bool hit, blocked;
  } cases[] = {
      {"touching the floor", {0, 0.5f, 0, 1}, &world, 3, true, false},
      {"above the floor", {0, 5, 0, 1}, &world, 3, false, false},
      {"beside the floor", {30, 0, 0, 1}, &world, 3, false, false},
      {"another surface kind blocks", {0, 0.5f, 0, 1}, &world, 4, false, true},
      {"instance moved up: world sphere at its floor", {2, 100.5f, 2, 1}, &moved, 3, true, false},
      {"instance moved up: world origin misses", {0, 0.5f, 0, 1}, &moved, 3, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::uint32_t blocked = 0;
    EXPECT_EQ(root_->QueryBsp(c.sphere, *c.matrix, c.kind, &blocked), c.hit);
    EXPECT_EQ(blocked != 0, c.blocked);
  }
  // Connector nodes never collide.
  root_->Flags |= EOF_CONNECTOR;
  std::uint32_t blocked = 0;
  const float touching[4] = {0, 0.5f, 0, 1};
  EXPECT_FALSE(root_->QueryBsp(touching, world, 3, &blocked));
}

TEST_F(EvoFileTest, EndTagDecidesWhetherAnotherRecordFollows) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  ASSERT_EQ(Read(EvoWriteFile({nodes[0]})), 1);
  EXPECT_EQ(CountNodes(), 1);
  ASSERT_EQ(Read(EvoWriteFile(nodes)), 1);
  EXPECT_EQ(CountNodes(), 2);
}

TEST_F(EvoFileTest, HeaderErrorsAndTheirMessages) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  nodes.pop_back();
  const std::vector<std::uint8_t> good = EvoWriteFile(nodes);

  std::vector<std::uint8_t> oldVersion = good;
  oldVersion[4] = 46;
  EXPECT_EQ(Read(oldVersion), 0);
  EXPECT_TRUE(boxes_.empty()) << "a wrong version fails without a message";

  std::vector<std::uint8_t> badTag = good;
  badTag[0] = 'X';
  EXPECT_EQ(Read(badTag), 0);
  EXPECT_NE(LastBox().find(".evo has invalid data\nAttempting rebuild from .pi2 data"), std::string::npos);

  struct Case {
    int expected;
    const char* type;
  } cases[] = {{OTYPE_ENV, "OTYPE_ENV"},
               {OTYPE_VERTEXANIM, "OTYPE_VERTEXANIM"},
               {OTYPE_LANDSCAPE, "OTYPE_LANDSCAPE"}};
  for (const Case& c : cases) {
    boxes_.clear();
    EXPECT_EQ(Read(good, c.expected), 0) << c.type;
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Warning");
    EXPECT_EQ(boxes_[0].text, std::string(root_->GetIdString()) + ".evo is not expected type, expected " + c.type + "\n");
  }
  boxes_.clear();
  EXPECT_EQ(Read(good, OTYPE_TRANSFORMANIM), 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(EvoFileTest, CountsAndIndicesBeyondTheRecordAreInvalidData) {
  struct Case {
    const char* what;
    void (*damage)(EvoNodeSource*);
  } cases[] = {
      {"six connectors", [](EvoNodeSource* n) { n->ConnectorPoints.resize(6); }},
      {"slot naming a missing connector", [](EvoNodeSource* n) { n->ConnectorSlots[2] = 2; }},
      {"slot below -1", [](EvoNodeSource* n) { n->ConnectorSlots[2] = -2; }},
      {"mesh index beyond its vertices", [](EvoNodeSource* n) { n->MeshParts[0].ListIndices[0] = 99; }},
      {"mesh kind without a reader", [](EvoNodeSource* n) { n->MeshKind = MESHKIND_SKINNED; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
    c.damage(&nodes[0]);
    boxes_.clear();
    EXPECT_EQ(Read(EvoWriteFile(nodes)), 0);
    EXPECT_NE(LastBox().find("has invalid data"), std::string::npos);
  }

  // Counts patched to lie about what follows.
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  const std::vector<std::uint8_t> good = EvoWriteFile(nodes);
  auto patched = [&](std::size_t offset, std::uint32_t value) {
    std::vector<std::uint8_t> b = good;
    std::memcpy(&b[offset], &value, 4);
    return b;
  };
  const std::size_t afterNamed = 248 + 2 * 132;
  const std::size_t bspCount = afterNamed + 4 + 128 + 128;
  for (auto [offset, value] : {std::pair<std::size_t, std::uint32_t>{244, 0x7FFFFFFF},
                               {244, 3}, {bspCount, 0x40000000}, {bspCount + 4, 0xFFFFFFFF}}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(Read(patched(offset, value)), 0);
  }
}

TEST_F(EvoFileTest, EveryCutOfAFileFails) {
  const std::vector<std::uint8_t> good = EvoWriteFile(TankTemplate(floor_.get()));
  for (std::size_t cut = 0; cut + 1 < good.size(); cut += 7) {
    const std::vector<std::uint8_t> shorter(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_EQ(Read(shorter), 0) << cut;
  }
}

TEST_F(EvoFileTest, CollisionOnlyNodesMergeIntoTheirParent) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  nodes[1].Flags = EOF_COLLISION_ONLY;
  nodes[1].Bounds = EvoMakeBounds({-2, 5, -2}, {2, 30, 2});
  nodes[1].Sphere = {{0, 40, 0}, 5};
  ASSERT_EQ(Read(EvoWriteFile(nodes)), 1);
  EXPECT_EQ(CountNodes(), 1);
  EXPECT_FLOAT_EQ(root_->Bounds.Max.y, 30.0f);
  EXPECT_FLOAT_EQ(root_->Bounds.Min.y, 0.0f);
  EXPECT_GE(root_->Sphere.Centre.y + root_->Sphere.Radius, 45.0f - 1e-3f);
  EXPECT_LE(root_->Sphere.Centre.y - root_->Sphere.Radius, 2.5f - 15.0f + 1e-3f);

  nodes[0].Flags = EOF_COLLISION_ONLY;
  ASSERT_EQ(Read(EvoWriteFile({nodes[0]})), 1);
  EXPECT_EQ(CountNodes(), 1);
  EXPECT_EQ(LastBox(), "Oh No! it's a root object and a bsp mesh, what do I do??");
}

TEST_F(EvoFileTest, BspEntriesKeptByFlagOrByTheBirdName) {
  struct Case {
    const char* object;
    std::uint32_t flag;
    std::int32_t meshKind;
    bool kept;
  } cases[] = {
      {"TANK", 0, MESHKIND_PLAIN, true},
      {"TANK", 1, MESHKIND_PLAIN, false},
      {"BIRD_STATIC", 1, MESHKIND_PLAIN, true},
      {"bird_static", 1, MESHKIND_PLAIN, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.object) + " flag " + std::to_string(c.flag));
    std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
    nodes[0].ObjectName = c.object;
    nodes[0].BspEntries = {{c.flag, floor_.get()}, {1, nullptr}};
    ASSERT_EQ(Read(EvoWriteFile({nodes[0]})), 1);
    EXPECT_EQ(root_->Bsp != nullptr, c.kept);
    EXPECT_EQ(EvoBspByteCount(), GetBspTreeSize(floor_.get()) + 8) << "section bytes of every entry";
  }
}

// A BSP entry's size word may count the whole "BSPT" section (8 + block, as
// the writer has it) or the block alone: the tree is read by its section's
// own size word either way.  Every tree kept counts in the node's BSP bytes;
// the last one stays.
TEST_F(EvoFileTest, BspEntrySizeCountsBytesAndTheSectionSaysHowMuchToRead) {
  BspTreePtr second = FloorTree(25.0f, 4);
  ASSERT_NE(second, nullptr);
  BspStatistics stats;
  const std::uint32_t firstBytes = static_cast<std::uint32_t>(GetBspStatistics(floor_.get(), &stats));
  const std::uint32_t secondBytes = static_cast<std::uint32_t>(GetBspStatistics(second.get(), &stats));
  for (const bool blockOnly : {false, true}) {
    SCOPED_TRACE(blockOnly ? "size of the block" : "size of the section");
    std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
    nodes[0].BspEntries = {{0, floor_.get()}, {1, floor_.get()}, {0, second.get()}};
    std::vector<std::uint8_t> bytes = EvoWriteFile(nodes);
    std::uint32_t sizes = 0;
    int sections = 0;
    for (std::size_t at = 8; at + 4 <= bytes.size(); ++at) {
      if (std::memcmp(&bytes[at], "BSPT", 4) != 0) continue;
      std::uint32_t size;
      std::memcpy(&size, &bytes[at - 8], 4);
      if (blockOnly) size -= 8;
      std::memcpy(&bytes[at - 8], &size, 4);
      sizes += size;
      ++sections;
    }
    ASSERT_GE(sections, 3);
    ASSERT_EQ(Read(bytes), 1);
    ASSERT_EQ(CountNodes(), 2) << "the record after the entries is read whole";
    ASSERT_NE(root_->Bsp, nullptr);
    EXPECT_EQ(GetBspTreeSize(root_->Bsp), GetBspTreeSize(second.get())) << "the last tree kept stays";
    EXPECT_EQ(root_->BspBytes, firstBytes + secondBytes);
    EXPECT_EQ(EvoBspByteCount(), sizes);
  }
}

TEST_F(EvoFileTest, ShadowNamesForNone) {
  struct Case {
    const char* written;
    const char* kept;
  } cases[] = {{"NOSHADOW", ""}, {"(null)", ""}, {"(NULL)", ""}, {"noshadow", "noshadow"}, {"HULL", "HULL"}};
  for (const Case& c : cases) {
    std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
    nodes[0].ShadowName = c.written;
    ASSERT_EQ(Read(EvoWriteFile({nodes[0]})), 1);
    EXPECT_EQ(root_->ShadowName, c.kept) << c.written;
  }
}

TEST_F(EvoFileTest, FlagsActedOnAtLoad) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  nodes[0].Flags = EOF_CUT_OUT;
  nodes[1].NodeName = "Gun_Connector_1";
  EvoNodeSource third = nodes[1];
  third.NodeName = "#HR_WEAPONLEFT";
  third.Flags = EOF_HIT_REGION;
  EvoNodeSource fourth = nodes[1];
  fourth.NodeName = "#HR_BODYBACK";
  fourth.Flags = 0;
  nodes.push_back(third);
  nodes.push_back(fourth);
  ASSERT_EQ(Read(EvoWriteFile(nodes)), 1);
  ASSERT_EQ(CountNodes(), 4);
  for (std::uint32_t i = 0; i < root_->Mesh->PartCount; ++i)
    EXPECT_TRUE(root_->Mesh->GetPart(i)->Flags & 0x800) << "cut-out part " << i;
  EXPECT_EQ(root_->CountConnectorNodes(), 1);
  EXPECT_TRUE(root_->NextNode->Flags & EOF_CONNECTOR);
  ASSERT_EQ(root_->HitRegions.size(), 1u) << "the region name without the flag gets none";
  EXPECT_EQ(root_->HitRegions[0].Node, root_->NextNode->NextNode);
  EXPECT_EQ(root_->HitRegions[0].Region, 10);
}

TEST_F(EvoFileTest, MissingParentLeavesTheNodeOnTop) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  nodes[1].ParentName = "Hull";
  ASSERT_EQ(Read(EvoWriteFile(nodes)), 1);
  EXPECT_EQ(root_->NextNode->ParentNode, nullptr);
  EXPECT_NE(LastBox().find("Failed to find parent for EVO node"), std::string::npos);
  EXPECT_NE(LastBox().find(",Parent Hull\n"), std::string::npos);
}

TEST_F(EvoFileTest, LandscapeChildrenHangUnderTheRoot) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  for (EvoNodeSource& n : nodes) {
    n.Type = OTYPE_LANDSCAPE;
    n.ParentName = "ROOT";
  }
  ASSERT_EQ(Read(EvoWriteFile(nodes), OTYPE_LANDSCAPE), 1);
  EXPECT_EQ(root_->ParentNode, nullptr);
  EXPECT_EQ(root_->NextNode->ParentNode, root_);
}

TEST_F(EvoFileTest, SharedNodesKeepTheirMesh) {
  ASSERT_EQ(Read(EvoWriteFile({TankTemplate(floor_.get())[0]})), 1);
  // What a shared node points at belongs to another node.
  CVBufferObject* mesh = root_->Mesh;
  BspNode* tree = root_->Bsp;
  EnvTransformList* transforms = root_->Transforms;
  root_->Shared = 1;
  root_->FreeNode();
  EXPECT_EQ(root_->Mesh, nullptr);
  EXPECT_EQ(mesh->PartCount, 2u) << "the owner's mesh is untouched";
  EXPECT_NE(tree->Front + tree->PositiveList, 0u) << "the owner's tree is untouched";
  ReleaseVBufferObject(mesh);
  FreeBspTree(tree);
  delete transforms;
}

TEST_F(EvoFileTest, LoadingByNameFromDisk) {
  Start();
  const std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  std::vector<EvoNodeSource> plain = {nodes[0]};
  plain[0].Type = OTYPE_ENV;
  ASSERT_TRUE(EvoWriteFileToDisk("crate.evo", plain));

  const int before = EnvFileLoadedObjectCount();
  CEnvObject* any = EnvFileLoadObject(-1, "crate.pi2", context_, 0, 0);
  ASSERT_NE(any, nullptr);
  EXPECT_EQ(any->TemplateKind, OTYPE_ENV);
  EXPECT_EQ(EnvFileLoadedObjectCount(), before + 1);
  FreeEnvObjectTemplate(any);
  EXPECT_TRUE(boxes_.empty());

  const std::string recompile =
      "Attempting to re-compile EVO file for \"crate.pi2\" in release build\nYou need to run a debug build or use "
      "the Pellicor tool to rebuild EVO's";
  EXPECT_EQ(EnvFileLoadObject(OTYPE_TRANSFORMANIM, "crate", context_, 0, 0), nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, recompile);

  boxes_.clear();
  EXPECT_EQ(EnvFileLoadObject(-1, "missing", context_, 0, 0), nullptr);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Error");
  EXPECT_NE(boxes_[0].text.find("\"missing.pi2\""), std::string::npos);
  EXPECT_EQ(EnvFileLoadedObjectCount(), before + 1);
}

TEST_F(EvoFileTest, RenderEffectsNeedTheDeviceCapability) {
  std::vector<EvoNodeSource> nodes = TankTemplate(floor_.get());
  ASSERT_EQ(Read(EvoWriteFile({nodes[0]})), 1);
  CTexture* hull = textures_.FindByName("hull.png");
  // No render device: no capability, nothing changes.
  EXPECT_FALSE(root_->SetReflectionEffect(hull, 0.9f, "hull.png"));
  EXPECT_FALSE(root_->SetDetailEffect(hull, 21, 0.9f, 2, 2, nullptr));
  EXPECT_FALSE(root_->SetBumpEffect(hull, nullptr));
  EXPECT_EQ(root_->Mesh->GetPart(0)->ReflectTexture, nullptr);
  EXPECT_EQ(root_->Mesh->GetPart(0)->DetailBlendMode, 19u);
}
