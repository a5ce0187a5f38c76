// The tool run on the repository's description: every file it writes is read
// back by the engine's readers (object files through the object loader on the
// search path, textures through the image reader) and holds what the
// description says.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/text/hash.h"
#include "make_objects/animated_object_writer.h"
#include "make_objects/object_builder.h"
#include "make_objects/object_description.h"
#include "make_objects/object_file_writer.h"
#include "make_objects/texture_maker.h"
#include "platform/d3dx8/image_decoder.h"
#include "render/bsp/bsp_query.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "world/environment/evo_file.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class MakeObjectsTest : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    std::vector<std::uint8_t> text = ReadFile(MAKE_OBJECTS_DESCRIPTION);
    std::string error;
    ASSERT_TRUE(ReadObjectDescription(std::string(text.begin(), text.end()), &description_, &error)) << error;
    context_.Textures = &textures_;
    context_.Materials = &materials_;
  }
  void TearDown() override {
    for (CEnvObject* t : templates_) FreeEnvObjectTemplate(t);
    FileTest::TearDown();
  }

  // Runs the tool into the scratch folder (the working folder), then starts
  // the file system so that the search path sees what it wrote.
  void RunTool() {
    const std::string command = std::string("\"") + MAKE_OBJECTS_TOOL + "\" \"" + MAKE_OBJECTS_DESCRIPTION + "\" . > tool.log 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << std::string(ReadFileText("tool.log"));
    Start();
  }
  static std::string ReadFileText(const char* path) {
    std::vector<std::uint8_t> b = ReadFile(path);
    return std::string(b.begin(), b.end());
  }

  CEnvObject* Load(const std::string& name) {
    CEnvObject* t = EnvFileLoadObject(-1, name.c_str(), context_, 0, 0);
    if (t) templates_.push_back(t);
    return t;
  }

  ObjectDescription description_;
  CTextureManager textures_;
  CMaterialList materials_;
  EnvLoadContext context_;
  std::vector<CEnvObject*> templates_;
};

// Every polygon's middle is hit, from its front, by a short segment through
// it, with the polygon's surface: the tree answers for every face.
void ExpectEveryPolygonAnswers(const BspNode* tree, const BspSource& polygons, const std::string& where) {
  int misses = 0;
  for (const BspSourcePolygon& p : polygons) {
    double c[3] = {0, 0, 0}, n[3] = {0, 0, 0};
    std::size_t k = p.Vertices.size();
    for (std::size_t i = 0; i < k; ++i) {
      const CVector3& a = p.Vertices[i];
      const CVector3& b = p.Vertices[(i + 1) % k];
      c[0] += a.x / k, c[1] += a.y / k, c[2] += a.z / k;
      n[0] += (a.y - b.y) * (a.z + b.z), n[1] += (a.z - b.z) * (a.x + b.x), n[2] += (a.x - b.x) * (a.y + b.y);
    }
    double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    CVector3 from{static_cast<float>(c[0] + 2 * n[0] / l), static_cast<float>(c[1] + 2 * n[1] / l),
                  static_cast<float>(c[2] + 2 * n[2] / l)};
    CVector3 to{static_cast<float>(c[0] - 2 * n[0] / l), static_cast<float>(c[1] - 2 * n[1] / l),
                static_cast<float>(c[2] - 2 * n[2] / l)};
    const BspPolygon* hit = BspSegmentQuery(tree, from, to, 0);
    const CVector3& at = GetBspSegmentResult().Point;
    if (!hit || hit->SurfaceId != p.SurfaceId || std::fabs(at.x - c[0]) + std::fabs(at.y - c[1]) + std::fabs(at.z - c[2]) > 1e-2)
      ++misses;
  }
  EXPECT_EQ(misses, 0) << where << ": of " << polygons.size() << " polygons";
}

// The texels of level 0: decoded ARGB, or those a DDS keeps in its input
// (A8R8G8B8: one little-endian word each).
std::vector<std::uint32_t> Texels(const d3dx8::DecodedImage& image) {
  if (!image.argb.empty() || image.levelData.empty()) return image.argb;
  std::vector<std::uint32_t> out(static_cast<std::size_t>(image.width) * image.height);
  const std::uint8_t* p = image.levelData[0];
  for (std::uint32_t& t : out) {
    t = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    p += 4;
  }
  return out;
}

TEST_F(MakeObjectsTest, EveryFileReadsBackAsDescribed) {
  RunTool();
  std::set<std::string> expected{"tool.log"}, written;
  for (const TextureSource& t : description_.Textures) expected.insert(TextureFileName(t));
  for (const ObjectSource& o : description_.Objects) expected.insert(o.Name + ".evo");
  for (const auto& entry : std::filesystem::directory_iterator(".")) written.insert(entry.path().filename().string());
  EXPECT_EQ(written, expected);

  for (const TextureSource& t : description_.Textures) {
    std::vector<std::uint8_t> file = ReadFile(TextureFileName(t));
    d3dx8::DecodedImage image;
    ASSERT_TRUE(d3dx8::DecodeImage(file.data(), file.size(), &image)) << t.Name;
    EXPECT_EQ(image.width, static_cast<std::uint32_t>(t.Width)) << t.Name;
    EXPECT_EQ(Texels(image), MakeTexturePixels(t)) << t.Name;
  }

  for (const ObjectSource& source : description_.Objects) {
    if (source.Kind != ObjectKind::Plain) continue;  // the animated objects have a test of their own
    const BuiltObject built = BuildObject(source);
    CEnvObject* root = Load(source.Name);
    ASSERT_NE(root, nullptr) << source.Name << ": " << (boxes_.empty() ? "" : boxes_.front().text);
    std::vector<const CEnvObject*> nodes;
    for (const CEnvObject* n = root; n; n = n->NextNode) nodes.push_back(n);
    ASSERT_EQ(nodes.size(), built.Nodes.size()) << source.Name;

    // Connectors: the description's points in their slots, none elsewhere.
    for (int slot = 0; slot < 5; ++slot) {
      CVector3 at{};
      const ConnectorSource* c = nullptr;
      for (const ConnectorSource& s : source.Connectors)
        if (s.Slot == slot) c = &s;
      ASSERT_EQ(root->GetConnectorPosition(slot, &at), c != nullptr) << source.Name << " slot " << slot;
      if (c) {
        EXPECT_TRUE(at.x == c->Position.x && at.y == c->Position.y && at.z == c->Position.z) << source.Name;
      }
    }
    int hit_regions = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const CEnvObject& node = *nodes[i];
      const BuiltNode& b = built.Nodes[i];
      const std::string where = source.Name + "/" + b.Name;
      // An object of several drawn nodes is hierarchical, its nodes numbered
      // in order (a shadow caster node does not count).
      const int kind = source.Landscape                          ? OTYPE_LANDSCAPE
                       : built.Type == kBuiltTypeHierarchical ? OTYPE_TRANSFORMANIM
                                                                : OTYPE_ENV;
      EXPECT_EQ(node.TemplateKind, kind) << where;
      if (kind == OTYPE_TRANSFORMANIM) {
        EXPECT_EQ(node.NodeIndex, static_cast<int>(i)) << where;
      }
      EXPECT_EQ(node.NameHash, HashString(b.Name.c_str())) << where;
      EXPECT_EQ(node.Flags & (EOF_HIT_REGION | EOF_CUT_OUT | EOF_SHADOW_CASTER), b.Flags) << where;
      EXPECT_EQ(node.ParentNode, i == 0 ? nullptr : root) << where;  // every child hangs from the root here
      hit_regions += (b.Flags & kBuiltHitRegion) != 0;
      EXPECT_TRUE(node.Bounds.Min.x == b.Min.x && node.Bounds.Min.y == b.Min.y && node.Bounds.Max.z == b.Max.z) << where;
      EXPECT_FLOAT_EQ(node.Sphere.Radius, b.Radius) << where;

      // The mesh: the parts, vertices (positions, normals, colours, UVs) and triangles built from the description.
      ASSERT_NE(node.Mesh, nullptr) << where;
      ASSERT_EQ(node.Mesh->PartCount, b.Parts.size()) << where;
      for (std::uint32_t k = 0; k < node.Mesh->PartCount; ++k) {
        const CVertexBuffer* part = node.Mesh->GetPart(k);
        const BuiltPart& bp = b.Parts[k];
        ASSERT_EQ(part->VertexCount, bp.Vertices.size()) << where;
        ASSERT_EQ(part->ListIndexCount, bp.Indices.size()) << where;
        EXPECT_EQ(part->PrimitiveCount, bp.Indices.size() / 3) << where;
        EXPECT_EQ(std::memcmp(part->Vertices, bp.Vertices.data(), bp.Vertices.size() * sizeof(RenderVertex)), 0) << where;
        EXPECT_EQ(std::memcmp(part->ListIndices, bp.Indices.data(), bp.Indices.size() * 2), 0) << where;
        // The texture and material lists put the part's texture and material into the libraries.
        ASSERT_NE(part->Texture, nullptr) << where;
        EXPECT_TRUE(NamesEqual(part->Texture->Name, bp.Texture.c_str())) << where << " " << part->Texture->Name;
        ASSERT_NE(part->Material, nullptr) << where;
        const MaterialSource* m = description_.FindMaterial(bp.Material);
        ASSERT_NE(m, nullptr) << where;
        EXPECT_EQ(std::memcmp(part->Material->Diffuse, m->Diffuse, sizeof m->Diffuse), 0) << where;
        EXPECT_FLOAT_EQ(part->Material->Power, m->Power) << where;
      }
      // The collision tree answers for every colliding face of the node.
      ASSERT_EQ(node.Bsp != nullptr, !b.Collision.empty()) << where;
      if (node.Bsp) ExpectEveryPolygonAnswers(node.Bsp, b.Collision, where);
    }
    EXPECT_EQ(static_cast<int>(root->HitRegions.size()), hit_regions) << source.Name;
  }
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
}

// What the demo world relies on: the room's doorway is open where its
// connector says, the terrain stands at its heights, the crate's sides are
// the four body hit regions, the tree's leaves are cut out and do not collide.
TEST_F(MakeObjectsTest, DemoObjectsKeepTheirShapes) {
  RunTool();
  CEnvObject* room = Load("room");
  ASSERT_NE(room, nullptr);
  CVector3 door{};
  ASSERT_TRUE(room->GetConnectorPosition(0, &door));
  struct Probe {
    const char* name;
    float dx, dy;
    bool hits;
  };
  for (const Probe& p : {Probe{"through the doorway", 0, 100, false}, Probe{"beside it", 150, 100, true},
                         Probe{"above it", 0, 260, true}}) {
    CVector3 from{door.x + p.dx, door.y + p.dy, door.z - 100}, to{door.x + p.dx, door.y + p.dy, door.z + 100};
    EXPECT_EQ(BspSegmentQuery(room->Bsp, from, to, 0) != nullptr, p.hits) << p.name;
  }

  const ShapeSource* grid = nullptr;
  for (const ObjectSource& o : description_.Objects)
    if (o.Landscape) grid = &o.Nodes[0].Shapes[0];
  ASSERT_NE(grid, nullptr);
  CEnvObject* terrain = Load("terrain");
  ASSERT_NE(terrain, nullptr);
  EXPECT_EQ(terrain->TemplateKind, OTYPE_LANDSCAPE);
  const int nx = grid->Count[0], nz = grid->Count[1];
  const float cell = grid->Size[0];
  for (int j = 0; j < nz; ++j) {
    for (int i = 0; i < nx; ++i) {
      // A point a quarter in along x and three quarters along z lies in the
      // cell's triangle (i, j), (i, j+1), (i+1, j+1), whose plane gives
      // h = h00 + (h11 - h01) lx + (h01 - h00) lz in the cell's own 0..1 coordinates.
      auto height = [&](int a, int b) { return grid->Heights[b * (nx + 1) + a]; };
      float x = (static_cast<float>(i) + 0.25f - static_cast<float>(nx) / 2) * cell;
      float z = (static_cast<float>(j) + 0.75f - static_cast<float>(nz) / 2) * cell;
      float h = height(i, j) + 0.25f * (height(i + 1, j + 1) - height(i, j + 1)) + 0.75f * (height(i, j + 1) - height(i, j));
      ASSERT_NE(BspSegmentQuery(terrain->Bsp, {x, 1000, z}, {x, -1000, z}, 0), nullptr) << i << "," << j;
      EXPECT_NEAR(GetBspSegmentResult().Point.y, h, 1e-2) << i << "," << j;
    }
  }

  CEnvObject* crate = Load("crate");
  ASSERT_NE(crate, nullptr);
  std::set<int> regions;
  for (const EnvHitRegion& r : crate->HitRegions) regions.insert(r.Region);
  EXPECT_EQ(regions, (std::set<int>{0, 1, 2, 3}));  // body front, back, left and right

  CEnvObject* tree = Load("tree");
  ASSERT_NE(tree, nullptr);
  for (std::uint32_t k = 0; k < tree->Mesh->PartCount; ++k) EXPECT_NE(tree->Mesh->GetPart(k)->Flags & 0x800, 0u);
  // Only the trunk collides: nothing in the crown, well away from the trunk.
  EXPECT_EQ(BspSegmentQuery(tree->Bsp, {-100, 250, 5}, {100, 250, 5}, 0), nullptr);
  EXPECT_NE(BspSegmentQuery(tree->Bsp, {-100, 50, 0}, {100, 50, 0}, 0), nullptr);
}

TEST(MakeObjectsWriter, RefusesCollisionItCannotCompile) {
  ObjectDescription d;
  std::string error;
  ASSERT_TRUE(ReadObjectDescription("object o box 1 1 1 end", &d, &error)) << error;
  BuiltObject o = BuildObject(d.Objects[0]);
  o.Nodes[0].Collision[2].Vertices[1].y = std::nanf("");
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(WriteObjectFile(o, d, &bytes, &error));
  EXPECT_NE(error.find("o, node o: polygon 2 has a coordinate that is not a finite number"), std::string::npos) << error;
}

}  // namespace

// The skinned figure and the waving flag load through the engine's readers:
// the figure's skins hang on its bones (posed at rest when read, following a
// bone that moves), the flag's cloth moves from frame to frame and its pole stays.
TEST_F(MakeObjectsTest, AnimatedDemoObjectsLoadAndMove) {
  InstallObjectMeshHooks();
  RunTool();
  const ObjectSource* figureSource = nullptr;
  for (const ObjectSource& o : description_.Objects)
    if (o.Kind == ObjectKind::Skinned && o.Name == "figure") figureSource = &o;
  ASSERT_NE(figureSource, nullptr);
  CEnvObject* figure = Load(figureSource->Name);
  ASSERT_NE(figure, nullptr) << (boxes_.empty() ? "" : boxes_.front().text);
  EXPECT_EQ(figure->TemplateKind, OTYPE_TRANSFORMANIM);
  const std::vector<CVector3> rest = BoneRestPositions(*figureSource);
  std::vector<CEnvObject*> skins;
  int bones = 0;
  int index = 0;
  for (CEnvObject* n = figure; n != nullptr; n = n->NextNode, ++index) {
    EXPECT_EQ(n->NodeIndex, index) << "node i has node index i";
    if (n->MeshKind == MESHKIND_SKINNED) {
      skins.push_back(n);
    } else {
      EXPECT_EQ(n->MeshKind, MESHKIND_PLAIN_ALT) << "a bone node";
      EXPECT_TRUE(skins.empty()) << "the skins come after every bone";
      ++bones;
    }
  }
  EXPECT_EQ(bones, static_cast<int>(figureSource->Bones.size()));
  ASSERT_EQ(skins.size(), 2u) << "one skin per texture and material";
  const std::vector<CMatrix> restModel = TemplateRestModelMatrices(figure);
  for (std::size_t b = 0; b < rest.size(); ++b) {
    EXPECT_FLOAT_EQ(restModel[b].m[3][0], rest[b].x) << b;
    EXPECT_FLOAT_EQ(restModel[b].m[3][1], rest[b].y) << b;
  }
  int lshinVertices = 0;
  for (CEnvObject* node : skins) {
    CSkin* skin = SkinOfNode(node);
    ASSERT_NE(skin, nullptr);
    ASSERT_EQ(skin->BoneNodes.size(), rest.size());
    ASSERT_NE(skin->Data.Texture, nullptr);
    // At rest every vertex stands where the description put it: inside the figure's height.
    const RenderVertex* v = skin->LockCurrent();
    for (int i = 0; i < skin->VertexCount(); ++i) {
      EXPECT_GE(v[i].y, -1e-3f);
      EXPECT_LE(v[i].y, 180.0f);
      const SkinInfluence& s = skin->Data.FirstOf(i);
      if (skin->Data.InfluenceCount(i) == 1) {
        EXPECT_NEAR(v[i].x, s.Position.x + rest[s.Bone].x, 1e-3f);
      }
    }
    skin->UnlockCurrent();
    // Lifting the left calf's node by 30 lifts exactly the vertices that hang on it.
    std::vector<CMatrix> model = restModel;
    std::size_t lshin = 0;
    while (lshin < figureSource->Bones.size() && figureSource->Bones[lshin].Name != "BIP01 L CALF") ++lshin;
    ASSERT_LT(lshin, figureSource->Bones.size());
    model[lshin].m[3][1] += 30.0f;
    SkinRenderNode(node, model.data(), static_cast<int>(model.size()), nullptr, 0);
    v = skin->LockCurrent();
    for (int i = 0; i < skin->VertexCount(); ++i) {
      float expected = 0.0f;
      for (std::uint32_t k = skin->Data.FirstInfluence[i]; k < skin->Data.FirstInfluence[i + 1]; ++k) {
        const SkinInfluence& s = skin->Data.Influences[k];
        const float w = skin->Data.InfluenceCount(i) == 1 ? 1.0f : s.Weight;
        expected += w * (s.Position.y + model[s.Bone].m[3][1]);
        lshinVertices += s.Bone == lshin;
      }
      EXPECT_NEAR(v[i].y, expected, 1e-3f) << i;
    }
    skin->UnlockCurrent();
  }
  EXPECT_GT(lshinVertices, 0);

  CEnvObject* flag = Load("flag");
  ASSERT_NE(flag, nullptr) << (boxes_.empty() ? "" : boxes_.front().text);
  EXPECT_EQ(flag->TemplateKind, OTYPE_VERTEXANIM);
  EXPECT_EQ(flag->VertexAnimFrames, 16u);
  auto* anim = static_cast<CVertexAnim*>(flag->OtherMesh);
  ASSERT_NE(anim, nullptr);
  ASSERT_EQ(anim->MeshCount, 2) << "the pole and the cloth differ in texture and material";
  int moving = 0, still = 0;
  for (CVertexAnimMesh* mesh = anim->Meshes; mesh != nullptr; mesh = mesh->Next) {
    mesh->Interpolate(0.0f);
    const std::vector<RenderVertex> at0 = mesh->Work;
    mesh->Interpolate(4.0f);
    for (std::size_t i = 0; i < at0.size(); ++i) {
      if (at0[i].z != mesh->Work[i].z)
        ++moving;
      else
        ++still;
    }
    EXPECT_EQ(mesh->StripFlag, 1);
  }
  EXPECT_GT(moving, 0);
  EXPECT_GT(still, 0);
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
}
