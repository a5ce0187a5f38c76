#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/byte_reader.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "scene/vertex_anim/vertex_anim_fixture.h"
#include "world/environment/evo_file.h"
#include "world/environment/evo_writer.h"

namespace {

// A polygon of `points` points around (x, 0) in frame 0 that rises by 10 k in frame k.
VertexAnimSourcePolygon Polygon(float x, int points, int frames, std::uint32_t texture, std::uint32_t flags = 0) {
  VertexAnimSourcePolygon p;
  p.TextureId = texture;
  p.MaterialId = 1;
  p.Flags = flags;
  for (int i = 0; i < points; ++i) {
    const float px = x + static_cast<float>(i % 2), py = static_cast<float>(i / 2);
    p.Points.push_back({px, py, 0, 0, 0, 1, 0xFFFFFFFF, px, py});
  }
  p.FramePoints.resize(static_cast<std::size_t>(frames - 1));
  for (int k = 1; k < frames; ++k)
    for (const RenderVertex& v : p.Points)
      p.FramePoints[static_cast<std::size_t>(k - 1)].push_back({{v.x, v.y + 10.0f * static_cast<float>(k), 0}, {0, 0, 1}});
  return p;
}

}  // namespace

TEST(VertexAnimBuild, PolygonsGroupByTextureMaterialAndFlagsAndShareVertices) {
  CVertexAnim keep(nullptr, nullptr, nullptr, nullptr, nullptr);
  std::vector<VertexAnimSourcePolygon> polygons = {
      Polygon(0, 3, 3, 1),
      Polygon(0, 3, 3, 1, 0x40),  // 0x40 does not split the group; the same points are shared
      Polygon(5, 4, 3, 1),        // a quad: a fan of two triangles
      Polygon(0, 3, 3, 2),        // another texture: another mesh
      Polygon(9, 3, 3, 1, VAMESH_EXCLUDED),
  };
  polygons[4].RenderCount = 0;
  VertexAnimSourcePolygon placed = Polygon(20, 3, 3, 1);
  placed.RenderCount = 1;  // already placed: skipped
  polygons.push_back(placed);
  CVertexAnim anim;
  ASSERT_TRUE(anim.Build(polygons, 3));
  ASSERT_EQ(anim.MeshCount, 2);
  const CVertexAnimMesh& a = *anim.Meshes;
  EXPECT_EQ(a.TextureId, 1u);
  EXPECT_EQ(a.VertexCount, 3 + 4) << "the repeated triangle shares its three vertices";
  EXPECT_EQ(a.ListIndices.size(), 3u * 4u);
  EXPECT_EQ(a.StripFlag, 1);
  EXPECT_GE(a.StripIndices.size(), 6u);
  EXPECT_EQ(a.Frames.size(), 2u * 7u);
  EXPECT_EQ(a.FramePosition(2, 6).y, a.BaseFrame[6].y + 20.0f) << "later frames follow their vertices";
  EXPECT_EQ(anim.Meshes->Next->TextureId, 2u);
  EXPECT_EQ(polygons[0].RenderCount, 1);
  EXPECT_EQ(polygons[4].RenderCount, 0);

  // Collision polygons: one per triangle of the base frame, with the triangle's plane z = 0.
  const std::vector<VertexAnimCollisionPolygon> collision = anim.BuildCollisionPolygons();
  EXPECT_EQ(collision.size(), 5u);
  for (const VertexAnimCollisionPolygon& p : collision) {
    EXPECT_EQ(p.Kind, 3u);
    EXPECT_FLOAT_EQ(std::fabs(p.Plane[2]), 1.0f);
    EXPECT_FLOAT_EQ(p.Plane[3], 0.0f);
  }

  // The built object writes a chunk that reads back the same.
  ByteWriter out;
  anim.Write(out);
  ByteReader in(out.Data().data(), out.Size());
  CVertexAnim back;
  ASSERT_TRUE(back.Read(in));
  ByteWriter again;
  back.Write(again);
  EXPECT_EQ(again.Data(), out.Data());
}

TEST(VertexAnimBuild, AMeshStopsTakingPolygonsAtItsLimits) {
  CVertexAnim keep(nullptr, nullptr, nullptr, nullptr, nullptr);
  // 2800 separate triangles of 3 new vertices: the vertex limit (8192) stops the mesh at 2730.
  std::vector<VertexAnimSourcePolygon> polygons;
  for (int i = 0; i < 2800; ++i) polygons.push_back(Polygon(static_cast<float>(3 * i), 3, 2, 1));
  CVertexAnim anim;
  ASSERT_TRUE(anim.Build(polygons, 2));
  ASSERT_EQ(anim.MeshCount, 1);
  EXPECT_EQ(anim.Meshes->VertexCount, 8190);
  EXPECT_LE(anim.Meshes->ListIndices.size(), kVertexAnimBuildMaxIndices);
  // Frame data that does not match the frame count is refused.
  std::vector<VertexAnimSourcePolygon> bad = {Polygon(0, 3, 2, 1)};
  EXPECT_FALSE(anim.Build(bad, 3));
  EXPECT_FALSE(anim.Build(bad, 0));
}

TEST(VertexAnimBuild, ObjectFilesCarryTheChunkAndTheTemplateDrawsIt) {
  InstallObjectMeshHooks();
  EvoNodeSource node;
  node.ObjectName = "FLAG";
  node.NodeName = "FLAG";
  node.Type = OTYPE_VERTEXANIM;
  node.MeshKind = MESHKIND_VERTEXANIM;
  node.Bounds = EvoMakeBounds({0, 0, 0}, {1, 1, 1});
  node.WholeBounds = node.Bounds;
  node.OtherMeshBody = vertex_anim_fixture::Chunk(5);
  const std::vector<std::uint8_t> bytes = EvoWriteFile({node});
  ByteReader in(bytes.data(), bytes.size());
  CEnvObject* root = NewEnvObjectNode();
  root->Init(EnvLoadContext{});
  ASSERT_EQ(EvoReadFile(root, in, OTYPE_VERTEXANIM, 0, 0), 1);
  EXPECT_EQ(root->VertexAnimFrames, 5u);
  auto* anim = static_cast<CVertexAnim*>(root->OtherMesh);
  ASSERT_NE(anim, nullptr);
  EXPECT_EQ(anim->MeshCount, 2);
  EXPECT_EQ(VertexAnimDrawFrame(root, 1.5f, nullptr), 1);
  EXPECT_EQ(anim->Meshes->LastFrameDrawn, 1.5f);
  EXPECT_FLOAT_EQ(anim->Meshes->Work[0].y, 15.0f);
  FreeEnvObjectTemplate(root);
}
