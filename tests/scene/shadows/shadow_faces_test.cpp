// Face connectivity: closed shapes link every edge both ways (a box whose
// faces have vertices of their own links by position), open edges link to
// nothing, ends within 0.01 on every axis coincide, and the part's face
// table and position copy are built from its buffers and freed with it.
#include "scene/shadows/shadow_faces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "foundation/maths/packed_direction.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/skin/skin_chunk.h"
#include "scene/shadows/shadow_shapes.h"

namespace {

using namespace shadow_test;

std::vector<std::uint16_t> Neighbours(const Shape& s) {
  std::vector<CVector3> positions;
  for (std::uint16_t i = 0; i < s.Vertices.size(); ++i) positions.push_back(At(s, i));
  std::vector<std::uint16_t> n(s.Indices.size());
  FindShadowNeighbours(positions.data(), s.Indices.data(), static_cast<int>(s.Indices.size() / 3), false,
                       reinterpret_cast<std::uint16_t(*)[3]>(n.data()));
  return n;
}

// Every link is returned: face j lists face i across the same edge.
void ExpectSymmetric(const Shape& s, const std::vector<std::uint16_t>& n) {
  const int faces = static_cast<int>(s.Indices.size() / 3);
  for (int i = 0; i < faces; ++i)
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t j = n[i * 3 + e];
      if (j == kShadowNoNeighbour) continue;
      ASSERT_LT(j, faces);
      int back = 0;
      for (int k = 0; k < 3; ++k) back += n[j * 3 + k] == i ? 1 : 0;
      EXPECT_EQ(back, 1) << "face " << j << " lists face " << i << " once";
    }
}

TEST(ShadowFaces, ClosedShapesLinkEveryEdgeBothWays) {
  for (const Shape& s : {Tetrahedron({0, 0, 0}, 10, 20), Box({-1, -2, -3}, {4, 5, 6})}) {
    const std::vector<std::uint16_t> n = Neighbours(s);
    for (std::size_t k = 0; k < n.size(); ++k) EXPECT_NE(n[k], kShadowNoNeighbour) << "edge " << k;
    ExpectSymmetric(s, n);
  }
  // The box's two triangles of a face share their diagonal.
  const std::vector<std::uint16_t> n = Neighbours(Box({0, 0, 0}, {1, 1, 1}));
  EXPECT_EQ(std::count(n.begin(), n.begin() + 3, 1), 1);
}

TEST(ShadowFaces, OpenEdgesHaveNoNeighbour) {
  const Shape quad = Ground(5.0f);
  const std::vector<std::uint16_t> n = Neighbours(quad);
  EXPECT_EQ(std::count(n.begin(), n.end(), kShadowNoNeighbour), 4) << "the square's border";
  ExpectSymmetric(quad, n);
}

TEST(ShadowFaces, EndsCoincideWithinOneHundredthOnEveryAxis) {
  // Two triangles whose shared edge is given twice with the second copy moved.
  const struct {
    float dx, dy;
    bool linked;
  } cases[] = {{0.0f, 0.0f, true}, {0.0078125f, -0.0078125f, true}, {0.0101f, 0.0f, false}, {0.0f, -0.02f, false}};
  for (const auto& c : cases) {
    const CVector3 positions[6] = {{0, 0, 0}, {0, 10, 0}, {10, 0, 0},
                                   {c.dx, 10 + c.dy, 0}, {c.dx, c.dy, 0}, {-10, 0, 0}};
    const std::uint16_t indices[6] = {0, 1, 2, 3, 4, 5};
    std::uint16_t n[2][3];
    FindShadowNeighbours(positions, indices, 2, false, n);
    EXPECT_EQ(n[0][0], c.linked ? 1 : kShadowNoNeighbour) << c.dx << " " << c.dy;
    EXPECT_EQ(n[1][0], c.linked ? 0 : kShadowNoNeighbour) << c.dx << " " << c.dy;
  }
}

TEST(ShadowFaces, AnEdgeSharedByThreeFacesLinksOnePairOnly) {
  // Three fins on one edge: the first two link; the third keeps its edge open
  // rather than taking the first's partner from it.
  const CVector3 p[5] = {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}, {-10, 0, 0}, {0, 0, 10}};
  const std::uint16_t indices[9] = {0, 1, 2, 1, 0, 3, 0, 1, 4};
  std::uint16_t n[3][3];
  FindShadowNeighbours(p, indices, 3, false, n);
  EXPECT_EQ(n[0][0], 1);
  EXPECT_EQ(n[1][0], 0);
  EXPECT_EQ(n[2][0], kShadowNoNeighbour);
}

// The plain search: every other face in order for every free edge.
void ReferenceNeighbours(const CVector3* p, const std::uint16_t* indices, int faces, bool matchIndices,
                         std::uint16_t (*n)[3]) {
  auto same = [&](std::uint16_t a, std::uint16_t b) {
    return (matchIndices && a == b) ||
           (std::fabs(p[a].x - p[b].x) <= 0.01f && std::fabs(p[a].y - p[b].y) <= 0.01f &&
            std::fabs(p[a].z - p[b].z) <= 0.01f);
  };
  for (int f = 0; f < faces; ++f)
    for (int e = 0; e < 3; ++e) n[f][e] = kShadowNoNeighbour;
  for (int i = 0; i < faces; ++i)
    for (int ei = 0; ei < 3; ++ei) {
      if (n[i][ei] != kShadowNoNeighbour) continue;
      const std::uint16_t a0 = indices[i * 3 + ei], a1 = indices[i * 3 + (ei + 1) % 3];
      bool found = false;
      for (int j = 0; j < faces && !found; ++j) {
        if (j == i) continue;
        for (int ej = 0; ej < 3 && !found; ++ej) {
          if (n[j][ej] != kShadowNoNeighbour) continue;
          const std::uint16_t b0 = indices[j * 3 + ej], b1 = indices[j * 3 + (ej + 1) % 3];
          if ((same(a0, b0) && same(a1, b1)) || (same(a0, b1) && same(a1, b0))) {
            n[i][ei] = static_cast<std::uint16_t>(j);
            n[j][ej] = static_cast<std::uint16_t>(i);
            found = true;
          }
        }
      }
    }
}

TEST(ShadowFaces, TheGridSearchLinksWhatTryingEveryFaceWould) {
  // Triangle soups over a few points, each copied with jitter around the
  // tolerance, so that edges coincide, nearly coincide and are shared by
  // three faces or more; some points lie on cell borders, one is not a number.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, 11);
  std::uniform_real_distribution<float> jitter(-0.012f, 0.012f);
  for (int round = 0; round < 20; ++round) {
    std::vector<CVector3> points;
    for (int k = 0; k < 12; ++k) {
      const CVector3 base{(k % 3) * 0.02f, (k / 3) * 1.0f, k == 5 ? 0.03f : 0.0f};
      for (int copy = 0; copy < 4; ++copy)
        points.push_back({base.x + jitter(random), base.y + jitter(random), base.z + jitter(random)});
    }
    points[7].y = NAN;
    std::vector<std::uint16_t> indices;
    for (int f = 0; f < 120; ++f) {
      const int a = pick(random), b = (a + 1 + pick(random) % 11) % 12, c = (b + 1 + pick(random) % 10) % 12;
      for (int k : {a, b, c}) indices.push_back(static_cast<std::uint16_t>(k * 4 + pick(random) % 4));
    }
    const int faces = static_cast<int>(indices.size() / 3);
    for (bool matchIndices : {false, true}) {
      std::vector<std::uint16_t> got(indices.size()), want(indices.size());
      FindShadowNeighbours(points.data(), indices.data(), faces, matchIndices,
                           reinterpret_cast<std::uint16_t(*)[3]>(got.data()));
      ReferenceNeighbours(points.data(), indices.data(), faces, matchIndices,
                          reinterpret_cast<std::uint16_t(*)[3]>(want.data()));
      ASSERT_EQ(got, want) << "round " << round << (matchIndices ? " by index too" : "");
    }
  }
}

TEST(ShadowFaces, APartKeepsPackedNormalsNeighboursAndItsPositions) {
  CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  CVBufferObject mesh;
  auto* part = new CVertexBuffer;
  mesh.FirstPart = part;
  mesh.PartCount = 1;
  const Shape box = Box({-1, 0, -1}, {1, 2, 1});
  LoadPart(*part, box);
  ASSERT_TRUE(CShadowMesh::BuildPart(part));
  ASSERT_EQ(CShadowMesh::FaceCount(part), 12u);
  const ShadowFace* faces = CShadowMesh::Faces(part);
  const CVector3* positions = CShadowMesh::Positions(part);
  ASSERT_NE(faces, nullptr);
  ASSERT_NE(positions, nullptr);
  for (std::uint16_t v = 0; v < box.Vertices.size(); ++v) {
    EXPECT_EQ(positions[v].x, box.Vertices[v].x);
    EXPECT_EQ(positions[v].y, box.Vertices[v].y);
  }
  const std::vector<std::uint16_t> want = Neighbours(box);
  for (int f = 0; f < 12; ++f) {
    // The packed normal is the face's outward axis, as the vertices' normals say.
    const Vector3 n = UnpackDirection(faces[f].Normal);
    const RenderVertex& v = box.Vertices[box.Indices[f * 3]];
    EXPECT_NEAR(n.x, v.nx, 0.01f) << f;
    EXPECT_NEAR(n.y, v.ny, 0.01f) << f;
    EXPECT_NEAR(n.z, v.nz, 0.01f) << f;
    for (int e = 0; e < 3; ++e) EXPECT_EQ(faces[f].Neighbours[e], want[f * 3 + e]);
  }
  mesh.Free();
  EXPECT_EQ(mesh.FirstPart, nullptr);
}

TEST(ShadowFaces, APartWithoutTrianglesBuildsNothing) {
  CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
  CVertexBuffer part;
  Shape none;
  none.Vertices = Box({0, 0, 0}, {1, 1, 1}).Vertices;
  LoadPart(part, none);
  EXPECT_FALSE(CShadowMesh::BuildPart(&part));
  EXPECT_EQ(CShadowMesh::Faces(&part), nullptr);
}

TEST(ShadowFaces, ASkinsFacesCarryPlanesAndNeighbours) {
  const Shape box = Box({-1, 0, -1}, {1, 2, 1});
  SkinData d;
  d.VertexCount = static_cast<std::int32_t>(box.Vertices.size());
  for (std::int32_t v = 0; v < d.VertexCount; ++v) {
    d.FirstInfluence.push_back(static_cast<std::uint32_t>(d.Influences.size()));
    SkinInfluence influence;
    influence.Position = At(box, static_cast<std::uint16_t>(v));
    d.Influences.push_back(influence);
  }
  d.FirstInfluence.push_back(static_cast<std::uint32_t>(d.Influences.size()));
  d.ListIndices = box.Indices;
  d.ListIndexCount = static_cast<std::int32_t>(box.Indices.size());
  BuildSkinShadowFaces(d);
  ASSERT_EQ(d.ShadowFaces.size(), 12u);
  const std::vector<std::uint16_t> want = Neighbours(box);
  for (int f = 0; f < 12; ++f) {
    const SkinShadowFace& face = d.ShadowFaces[f];
    const RenderVertex& v = box.Vertices[face.Vertices[0]];
    EXPECT_FLOAT_EQ(face.Normal.y, v.ny) << f;
    // The plane passes through the face's vertices.
    for (std::uint16_t k : face.Vertices) {
      const CVector3 p = At(box, k);
      EXPECT_NEAR(face.Normal.x * p.x + face.Normal.y * p.y + face.Normal.z * p.z + face.Distance, 0.0f, 1e-5f);
    }
    for (int e = 0; e < 3; ++e) EXPECT_EQ(face.Neighbours[e], want[f * 3 + e]);
  }
  // Indices beyond the vertices leave the skin without faces.
  std::vector<std::uint16_t> bad = box.Indices;
  bad[4] = 99;
  BuildSkinShadowFaces(d, bad.data(), static_cast<int>(bad.size()));
  EXPECT_TRUE(d.ShadowFaces.empty());
}

}  // namespace
