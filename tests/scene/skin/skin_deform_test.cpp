#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "render/colour/colour.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_fixture.h"

namespace {

using skin_fixture::Bone;

// Reference linear-blend skinning in double precision, the matrix taken as a
// 4x4 acting on the row vector (x, y, z, 1).
struct Reference {
  std::array<double, 3> position;
  std::array<double, 3> normal;
};

std::array<double, 4> RowTimes(const CMatrix& m, double x, double y, double z, double w) {
  std::array<double, 4> out{};
  for (int c = 0; c < 4; ++c) out[c] = x * m.m[0][c] + y * m.m[1][c] + z * m.m[2][c] + w * m.m[3][c];
  return out;
}

Reference Blend(const std::vector<SkinInfluence>& list, const std::vector<CMatrix>& bones) {
  Reference r{};
  for (std::size_t k = 0; k < list.size(); ++k) {
    const SkinInfluence& s = list[k];
    const std::array<double, 4> p = RowTimes(bones[s.Bone], s.Position.x, s.Position.y, s.Position.z, 1.0);
    const double w = list.size() == 1 ? 1.0 : s.Weight;  // a lone influence's weight does not count
    for (int i = 0; i < 3; ++i) r.position[i] += w * p[i];
  }
  const SkinInfluence& first = list[0];
  const std::array<double, 4> n = RowTimes(bones[first.Bone], first.Normal.x, first.Normal.y, first.Normal.z, 0.0);
  for (int i = 0; i < 3; ++i) r.normal[i] = n[i];
  return r;
}

// Vertices with 1 to 4 influences over 4 bones, uneven weights, varied normals.
std::vector<std::vector<SkinInfluence>> MixedVertices() {
  std::vector<std::vector<SkinInfluence>> vertices;
  for (int v = 0; v < 24; ++v) {
    std::vector<SkinInfluence> list;
    const int count = 1 + v % 4;
    for (int k = 0; k < count; ++k) {
      SkinInfluence s;
      s.Position = {static_cast<float>(v) * 1.5f - 9.0f, static_cast<float>(k) * 2.0f + 0.25f,
                    static_cast<float>((v * 7 + k * 3) % 11) - 5.0f};
      const float a = static_cast<float>(v) * 0.4f;
      s.Normal = {std::cos(a), std::sin(a) * 0.6f, std::sin(a) * 0.8f};
      s.U = static_cast<float>(v) / 24.0f;
      s.V = 1.0f - static_cast<float>(k) / 4.0f;
      s.Colour = 0x80402010u;
      s.Bone = static_cast<std::uint16_t>((v + k) % 4);
      s.Weight = count == 1 ? 0.25f : (k == 0 ? 0.55f : 0.45f / static_cast<float>(count - 1));
      list.push_back(s);
    }
    vertices.push_back(list);
  }
  return vertices;
}

std::vector<CMatrix> FourBones(float t) {
  return {Bone(10.0f * t, 0.0f, 0.0f, 1.0f, {0, 0, 0}), Bone(30.0f, 45.0f * t, -20.0f, 1.0f, {5.0f, -2.0f, 8.0f * t}),
          Bone(-60.0f * t, 15.0f, 90.0f, 1.25f, {-3.0f, 12.0f, 1.0f}),
          Bone(0.0f, 0.0f, 170.0f * t, 0.8f, {100.0f * t, 0.5f, -40.0f})};
}

SkinSource Source(const std::vector<std::vector<SkinInfluence>>& vertices) {
  SkinSource source;
  source.Vertices = vertices;
  for (std::size_t v = 0; v + 2 < vertices.size(); v += 3)
    source.ListIndices.insert(source.ListIndices.end(), {static_cast<std::uint16_t>(v), static_cast<std::uint16_t>(v + 1),
                                                         static_cast<std::uint16_t>(v + 2)});
  source.ShadowFaces = false;
  return source;
}

class SkinDeform : public ::testing::Test {
 protected:
  void SetUp() override { CSkin keep(nullptr, nullptr, nullptr, nullptr, nullptr); }
};

}  // namespace

TEST_F(SkinDeform, MatchesAReferenceLinearBlendOfTheSameBonesAndWeights) {
  const std::vector<std::vector<SkinInfluence>> vertices = MixedVertices();
  CSkin skin;
  ASSERT_TRUE(skin.Build(Source(vertices)));
  // Build renumbers the vertices in strip order: match them back by their first influence.
  for (float t : {0.0f, 0.37f, 1.0f}) {
    SCOPED_TRACE(t);
    const std::vector<CMatrix> bones = FourBones(t);
    skin.Deform(bones.data(), static_cast<int>(bones.size()));
    RenderVertex* out = skin.LockCurrent();
    ASSERT_NE(out, nullptr);
    for (int v = 0; v < skin.VertexCount(); ++v) {
      const std::uint32_t first = skin.Data.FirstInfluence[static_cast<std::size_t>(v)];
      const std::uint32_t end = skin.Data.FirstInfluence[static_cast<std::size_t>(v) + 1];
      const std::vector<SkinInfluence> list(skin.Data.Influences.begin() + first, skin.Data.Influences.begin() + end);
      const Reference r = Blend(list, bones);
      EXPECT_NEAR(out[v].x, r.position[0], 1e-3) << v;
      EXPECT_NEAR(out[v].y, r.position[1], 1e-3) << v;
      EXPECT_NEAR(out[v].z, r.position[2], 1e-3) << v;
      EXPECT_NEAR(out[v].nx, r.normal[0], 1e-4) << v;
      EXPECT_NEAR(out[v].ny, r.normal[1], 1e-4) << v;
      EXPECT_NEAR(out[v].nz, r.normal[2], 1e-4) << v;
      EXPECT_EQ(out[v].Colour, 0xFFFFFFFFu) << "deformation resets colours to white";
      EXPECT_EQ(out[v].u, list[0].U);
      EXPECT_EQ(out[v].v, list[0].V);
    }
    skin.UnlockCurrent();
  }
  // Every source vertex is still there, once.
  std::multiset<float> before, after;
  for (const auto& list : vertices) before.insert(list[0].Position.x * 1000.0f + list[0].Position.z);
  for (int v = 0; v < skin.VertexCount(); ++v) {
    const SkinInfluence& s = skin.Data.FirstOf(v);
    after.insert(s.Position.x * 1000.0f + s.Position.z);
  }
  EXPECT_EQ(before, after);
}

TEST_F(SkinDeform, EachPoseGoesToTheOtherBufferAndLeavesThePreviousOne) {
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(4)));
  const std::vector<CMatrix> a = {Bone(0, 0, 0, 1, {0, 0, 0}), Bone(0, 0, 0, 1, {0, 0, 0})};
  const std::vector<CMatrix> b = {Bone(0, 0, 0, 1, {0, 100, 0}), Bone(0, 0, 0, 1, {0, 100, 0})};
  skin.Deform(a.data(), 2);
  const int first = skin.CurrentBuffer();
  const float y0 = skin.LockCurrent()[0].y;
  skin.UnlockCurrent();
  skin.Deform(b.data(), 2);
  EXPECT_NE(skin.CurrentBuffer(), first);
  EXPECT_FLOAT_EQ(skin.LockCurrent()[0].y, y0 + 100.0f);
  skin.UnlockCurrent();
  skin.Deform(a.data(), 2);
  EXPECT_EQ(skin.CurrentBuffer(), first);
}

TEST_F(SkinDeform, OneInfluenceIgnoresItsWeightAndTwoBlendWithTheFirstBonesNormal) {
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(4)));
  // Bone 0 stays, bone 1 (the right half, its origin at the middle column)
  // turns half round about x: (0, y, 0) -> (20, -y, 0), normal (0, 0, -1) -> (0, 0, 1).
  const std::vector<CMatrix> bones = {Bone(0, 0, 0, 1, {0, 0, 0}), Bone(0, 180, 0, 1, {20, 0, 0})};
  skin.Deform(bones.data(), 2);
  const RenderVertex* out = skin.LockCurrent();
  int lone = 0, blended = 0;
  for (int v = 0; v < skin.VertexCount(); ++v) {
    const SkinInfluence& s = skin.Data.FirstOf(v);
    if (skin.Data.InfluenceCount(v) == 1 && s.Bone == 0) {
      // Weight 0.3 stored; the vertex still sits where bone 0 puts it.
      EXPECT_FLOAT_EQ(out[v].x, s.Position.x);
      EXPECT_FLOAT_EQ(out[v].y, s.Position.y);
      ++lone;
    } else if (skin.Data.InfluenceCount(v) == 2) {
      // Middle column x = 20: bone 0 keeps (20, y), bone 1 gives (20, -y): halfway is (20, 0).
      EXPECT_NEAR(out[v].x, 20.0f, 1e-4f);
      EXPECT_NEAR(out[v].y, 0.0f, 1e-4f);
      EXPECT_FLOAT_EQ(out[v].nz, -1.0f) << "the normal comes from the first influence's bone alone";
      ++blended;
    }
  }
  skin.UnlockCurrent();
  EXPECT_EQ(lone, 4);
  EXPECT_EQ(blended, 2);
}

TEST_F(SkinDeform, RenderTakesTheBonesFromTheModelMatricesOfTheirNodes) {
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(2)));
  std::vector<CMatrix> model(5);
  for (int i = 0; i < 5; ++i) model[static_cast<std::size_t>(i)] = Bone(0, 0, 0, 1, {0, 0, 1000.0f * static_cast<float>(i)});
  struct Case {
    std::vector<std::int32_t> nodes;
    float z0, z1;  // expected z of a vertex on bone 0 and one on bone 1
  } cases[] = {
      {{3, 1}, 3000.0f, 1000.0f},
      {{-1, 4}, 0.0f, 4000.0f},   // an unbound bone is the identity
      {{9, 2}, 0.0f, 2000.0f},    // a node beyond the matrices too
      {{2}, 2000.0f, 0.0f},       // a bone beyond the table too
  };
  for (const Case& c : cases) {
    skin.Render(model.data(), 5, c.nodes, nullptr, 0);
    const RenderVertex* out = skin.LockCurrent();
    for (int v = 0; v < skin.VertexCount(); ++v) {
      if (skin.Data.InfluenceCount(v) != 1) continue;
      EXPECT_FLOAT_EQ(out[v].z, skin.Data.FirstOf(v).Bone == 0 ? c.z0 : c.z1) << v;
    }
    skin.UnlockCurrent();
  }
}

TEST_F(SkinDeform, BuildStitchesOneStripThatDrawsTheSameTriangles) {
  const SkinSource source = skin_fixture::TwoBoneStrip(6);
  CSkin skin;
  ASSERT_TRUE(skin.Build(source));
  EXPECT_EQ(skin.StripFlag, 1);
  EXPECT_EQ(skin.Data.StripIndexCount, static_cast<std::int32_t>(skin.Data.StripIndices.size()));
  EXPECT_FALSE(skin.Data.StripData.empty());
  // Renumbered in strip order: the strip starts 0, 1, 2 and its first use of each vertex counts up.
  int next = 0;
  for (std::uint16_t i : skin.Data.StripIndices) {
    ASSERT_LE(i, next);
    if (i == next) ++next;
  }
  // The triangles (as position triples, either rotation) are those of the source.
  auto key = [](const SkinInfluence& a, const SkinInfluence& b, const SkinInfluence& c) {
    std::array<std::pair<float, float>, 3> t = {{{a.Position.x + a.Bone * 50.0f, a.Position.y},
                                                 {b.Position.x + b.Bone * 50.0f, b.Position.y},
                                                 {c.Position.x + c.Bone * 50.0f, c.Position.y}}};
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
  };
  std::set<std::array<std::pair<float, float>, 3>> want, got;
  for (std::size_t i = 0; i < source.ListIndices.size(); i += 3)
    want.insert(key(source.Vertices[source.ListIndices[i]][0], source.Vertices[source.ListIndices[i + 1]][0],
                    source.Vertices[source.ListIndices[i + 2]][0]));
  for (std::size_t i = 0; i < skin.Data.ListIndices.size(); i += 3)
    got.insert(key(skin.Data.FirstOf(skin.Data.ListIndices[i]), skin.Data.FirstOf(skin.Data.ListIndices[i + 1]),
                   skin.Data.FirstOf(skin.Data.ListIndices[i + 2])));
  EXPECT_EQ(want, got);
}

TEST_F(SkinDeform, ShadowFacesLinkExactlyTheFacesThatShareAnEdge) {
  // A closed tetrahedron: every edge shared, every neighbour set.
  SkinSource tetra;
  const float p[4][3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
  for (const auto& q : p) {
    SkinInfluence s;
    s.Position = {q[0], q[1], q[2]};
    tetra.Vertices.push_back({s});
  }
  tetra.ListIndices = {0, 2, 1, 0, 1, 3, 1, 2, 3, 0, 3, 2};
  CSkin closed;
  ASSERT_TRUE(closed.Build(tetra));
  ASSERT_EQ(closed.Data.ShadowFaces.size(), 4u);
  for (const SkinShadowFace& f : closed.Data.ShadowFaces)
    for (std::uint16_t n : f.Neighbours) EXPECT_LT(n, 4);
  // An open quad: the diagonal links the two faces, the border links nothing.
  CSkin open;
  ASSERT_TRUE(open.Build(skin_fixture::TwoBoneStrip(1)));
  ASSERT_EQ(open.Data.ShadowFaces.size(), 2u);
  for (int f = 0; f < 2; ++f) {
    int linked = 0;
    for (std::uint16_t n : open.Data.ShadowFaces[static_cast<std::size_t>(f)].Neighbours) {
      if (n == kSkinNoNeighbour) continue;
      EXPECT_EQ(n, 1 - f);
      ++linked;
    }
    EXPECT_EQ(linked, 1);
    // Planes: the quad lies in z = 0.
    EXPECT_FLOAT_EQ(std::fabs(open.Data.ShadowFaces[static_cast<std::size_t>(f)].Normal.z), 1.0f);
  }
}

TEST_F(SkinDeform, BuildRefusesBadSources) {
  struct Case {
    const char* name;
    SkinSource source;
  };
  std::vector<Case> cases;
  cases.push_back({"index beyond the vertices", skin_fixture::TwoBoneStrip(1)});
  cases.back().source.ListIndices[2] = 99;
  cases.push_back({"vertex without influences", skin_fixture::TwoBoneStrip(1)});
  cases.back().source.Vertices[1].clear();
  cases.push_back({"partial triangle", skin_fixture::TwoBoneStrip(1)});
  cases.back().source.ListIndices.pop_back();
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSkin skin;
    EXPECT_FALSE(skin.Build(c.source));
    EXPECT_EQ(skin.VertexCount(), 0);
  }
}

TEST_F(SkinDeform, UVInRangeLooksAtEveryVertex) {
  CSkin skin;
  ASSERT_TRUE(skin.Build(skin_fixture::TwoBoneStrip(4)));
  EXPECT_EQ(skin.UVInRange(0.0f, 1.0f), 1);
  EXPECT_EQ(skin.UVInRange(0.0f, 0.9f), 0);
  EXPECT_EQ(skin.UVInRange(0.1f, 1.0f), 0);
}
