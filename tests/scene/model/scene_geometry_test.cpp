#include "scene/model/scene_geometry.h"

#include <gtest/gtest.h>

namespace {

TriFace Face(std::vector<std::int32_t> vertices, std::int32_t normal = 0) {
  TriFace f;
  f.Vertices = std::move(vertices);
  f.Normals = {normal};
  return f;
}

// A 2 x 2 quad in the plane z = 0 facing +z (faces (0,1,2) and (2,1,3)) and
// a pentagon beside it, with two normals and three colours.
CTriObject QuadAndPentagon() {
  CTriObject o;
  o.Name = "QUAD";
  o.VertexFrames = {{{-1, 0, 0}, {1, 0, 0}, {-1, 2, 0}, {1, 2, 0},
                     {3, 0, 0}, {5, 0, 0}, {6, 1, 0}, {4, 2, 0}, {2, 1, 0}}};
  o.NormalFrames = {{{0, 0, 1}, {0, 0, -1}}};
  o.ColourFrames = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  o.Faces = {Face({0, 1, 2}), Face({2, 1, 3}), Face({4, 5, 6, 7, 8})};
  return o;
}

TEST(SceneGeometry, IndexedSetsWeldSharedCornersAndFanPolygons) {
  CTriObject o = QuadAndPentagon();
  IndexedVertexSet set;
  ASSERT_TRUE(BuildIndexedVertexSet(o, &set));
  EXPECT_EQ(set.Vertices.size(), 9u);  // the quad's shared edge is welded
  const std::vector<std::uint16_t> indices = {0, 1, 2, 2, 1, 3, 4, 5, 6, 4, 6, 7, 4, 7, 8};
  EXPECT_EQ(set.Indices, indices);
  EXPECT_FLOAT_EQ(set.Vertices[3].x, 1.0f);
  EXPECT_FLOAT_EQ(set.Vertices[3].nz, 1.0f);
  EXPECT_EQ(set.Vertices[3].Colour, 0xFFFFFFFFu);

  // Corners that differ in normal, colour or texture coordinates stay apart.
  o.Faces[1].Flags = TRIFACE_VERTEX_NORMALS | TRIFACE_VERTEX_COLOURS | TRIFACE_TEXCOORDS;
  o.Faces[1].Normals = {0, 1, 0};
  o.Faces[1].Colours = {0, 0, 2};
  o.Faces[1].TexCoords = {{{0, 0}, {0, 0}, {0.5f, 1}}};
  ASSERT_TRUE(BuildIndexedVertexSet(o, &set));
  EXPECT_EQ(set.Vertices.size(), 11u);  // the second face shares no corner with the first now
  EXPECT_EQ(set.Vertices[3].Colour, 0xFFFF0000u);
  EXPECT_FLOAT_EQ(set.Vertices[4].nz, -1.0f);
  EXPECT_EQ(set.Vertices[5].Colour, 0xFF0000FFu);
  EXPECT_FLOAT_EQ(set.Vertices[5].u, 0.5f);
  FreeIndexedVertexSet(&set);
  EXPECT_TRUE(set.Vertices.empty());
  EXPECT_TRUE(set.Indices.empty());
}

// At most 65536 bytes of vertices (1820) and 24576 indices.
TEST(SceneGeometry, IndexedSetsRefuseObjectsBeyondTheirLimits) {
  auto separate = [](int triangles) {
    CTriObject o;
    o.NormalFrames = {{{0, 1, 0}}};
    o.VertexFrames.resize(1);
    for (int t = 0; t < triangles; ++t) {
      const float x = static_cast<float>(t);
      o.VertexFrames[0].insert(o.VertexFrames[0].end(), {{x, 0, 0}, {x, 1, 0}, {x, 0, 1}});
      o.Faces.push_back(Face({3 * t, 3 * t + 1, 3 * t + 2}));
    }
    return o;
  };
  IndexedVertexSet set;
  EXPECT_TRUE(BuildIndexedVertexSet(separate(606), &set));
  EXPECT_EQ(set.Vertices.size(), 1818u);
  EXPECT_FALSE(BuildIndexedVertexSet(separate(607), &set));
  EXPECT_TRUE(set.Vertices.empty());

  CTriObject same;
  same.VertexFrames = {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}};
  same.NormalFrames = {{{0, 0, 1}}};
  same.Faces.assign(8192, Face({0, 1, 2}));
  ASSERT_TRUE(BuildIndexedVertexSet(same, &set));
  EXPECT_EQ(set.Indices.size(), 24576u);
  EXPECT_EQ(set.Vertices.size(), 3u);
  same.Faces.push_back(Face({0, 1, 2}));
  EXPECT_FALSE(BuildIndexedVertexSet(same, &set));
  EXPECT_TRUE(set.Indices.empty());
}

TEST(SceneGeometry, PlanesCentresAndNeighboursOfFaces) {
  const CTriObject o = QuadAndPentagon();
  const std::vector<CPlane> planes = ObjectFacePlanes(o);
  ASSERT_EQ(planes.size(), 3u);
  EXPECT_FLOAT_EQ(planes[0].n.z, 1.0f);
  EXPECT_FLOAT_EQ(planes[0].d, 0.0f);
  EXPECT_FLOAT_EQ(planes[1].n.z, 1.0f);

  float x = 0, z = 0;
  ASSERT_TRUE(FaceCentreXZ(o, 2, &x, &z));
  EXPECT_FLOAT_EQ(x, 4.0f);
  EXPECT_FLOAT_EQ(z, 0.0f);
  EXPECT_FALSE(FaceCentreXZ(o, 3, &x, &z));

  EXPECT_EQ(FindAdjacentFace(o, 0, 1), 1);  // edge 1 -> 2 is the other face's 2 -> 1
  EXPECT_EQ(FindAdjacentFace(o, 1, 0), 0);
  EXPECT_EQ(FindAdjacentFace(o, 0, 0), -1);
  EXPECT_EQ(FindAdjacentFace(o, 2, 4), -1);
  EXPECT_EQ(FindAdjacentFace(o, 2, 5), -1);
  EXPECT_EQ(FindAdjacentFace(o, 5, 0), -1);

  // Positions within the tolerance count as the same corner.
  CTriObject near = o;
  near.VertexFrames[0][3].x += 5e-6f;
  near.VertexFrames[0].push_back({1.000001f, 0, 0});
  near.Faces[1].Vertices = {2, 9, 3};
  EXPECT_EQ(FindAdjacentFace(near, 0, 1), 1);
  EXPECT_TRUE(SameScenePosition({1, 2, 3}, {1.000007f, 2, 3}));
  EXPECT_FALSE(SameScenePosition({1, 2, 3}, {1, 2.0001f, 3}));
}

TEST(SceneGeometry, CollisionPolygonsCarryDoublePlanes) {
  const CTriObject o = QuadAndPentagon();
  CPoly* list = BuildCollisionPolyList(o);
  ASSERT_EQ(CountPolygons(list), 3);
  EXPECT_EQ(CountPolyListVertices(list), 11);
  const CPoly* pentagon = PolygonAt(list, 2);
  EXPECT_EQ(pentagon->VertexCount, 5);
  EXPECT_EQ(CountVertices(pentagon->Vertices), 5);
  EXPECT_DOUBLE_EQ(pentagon->Plane[2], 1.0);
  EXPECT_DOUBLE_EQ(pentagon->Plane[3], 0.0);
  EXPECT_DOUBLE_EQ(pentagon->Vertices->Next->Next->x, 6.0);
  FreePolyList(&list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(BuildCollisionPolyList(CTriObject()), nullptr);
}

}  // namespace
