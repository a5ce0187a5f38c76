#include "render/geometry/tangent_frames.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "render/device/render_utils.h"

namespace {

RenderVertex V(float x, float y, float z, float u, float v, CVector3 n = {0, 0, 1}) {
  return {x, y, z, n.x, n.y, n.z, 0xFFFFFFFF, u, v};
}

void ExpectVector(const CVector3& got, float x, float y, float z, const char* what, int vertex) {
  EXPECT_NEAR(got.x, x, 1e-5f) << what << " of vertex " << vertex;
  EXPECT_NEAR(got.y, y, 1e-5f) << what << " of vertex " << vertex;
  EXPECT_NEAR(got.z, z, 1e-5f) << what << " of vertex " << vertex;
}

struct Frames {
  TangentFrame* data;
  ~Frames() { MEM_DELETE_ARRAY data; }
};

TEST(TangentFramesTest, FramesFollowTheTextureDirections) {
  // u along x, v along y; and a mirrored copy with u along -x whose frame
  // normal is turned back to the vertex normal's side.
  const RenderVertex vertices[6] = {V(0, 0, 0, 0, 0), V(1, 0, 0, 1, 0),  V(0, 1, 0, 0, 1),
                                    V(5, 0, 0, 0, 0), V(6, 0, 0, -1, 0), V(5, 1, 0, 0, 1)};
  Frames f{BuildTangentFrames(vertices, 6, nullptr, 6, false, nullptr)};
  ASSERT_NE(f.data, nullptr);
  for (int i = 0; i < 3; ++i) {
    ExpectVector(f.data[i].T, 1, 0, 0, "T", i);
    ExpectVector(f.data[i].B, 0, 1, 0, "B", i);
    ExpectVector(f.data[i].N, 0, 0, 1, "N", i);
  }
  for (int i = 3; i < 6; ++i) {
    ExpectVector(f.data[i].T, -1, 0, 0, "T", i);
    ExpectVector(f.data[i].N, 0, 0, 1, "N", i);
  }
}

TEST(TangentFramesTest, DegenerateMappingsAndRepeatedIndicesAddNothing) {
  const RenderVertex flat[3] = {V(0, 0, 0, 0.5f, 0.5f), V(1, 0, 0, 0.5f, 0.5f), V(0, 1, 0, 0.5f, 0.5f)};
  Frames equalUv{BuildTangentFrames(flat, 3, nullptr, 3, false, nullptr)};
  const RenderVertex mapped[3] = {V(0, 0, 0, 0, 0), V(1, 0, 0, 1, 0), V(0, 1, 0, 0, 1)};
  const std::uint16_t strip[4] = {0, 1, 1, 2};
  Frames repeated{BuildTangentFrames(mapped, 3, strip, 4, true, nullptr)};
  const std::uint16_t beyond[3] = {0, 1, 7};
  Frames outside{BuildTangentFrames(mapped, 3, beyond, 3, false, nullptr)};
  for (const Frames* f : {&equalUv, &repeated, &outside})
    for (int i = 0; i < 3; ++i) {
      ExpectVector(f->data[i].T, 0, 0, 0, "T", i);
      ExpectVector(f->data[i].B, 0, 0, 0, "B", i);
      ExpectVector(f->data[i].N, 0, 0, 0, "N", i);
    }
  // The same strip without the repeat accumulates both windows.
  const std::uint16_t good[4] = {0, 1, 2, 0};
  Frames both{BuildTangentFrames(mapped, 3, good, 4, true, nullptr)};
  ExpectVector(both.data[0].T, 1, 0, 0, "T", 0);
  EXPECT_EQ(BuildTangentFrames(mapped, 0, nullptr, 0, false, nullptr), nullptr);
}

TEST(TangentFramesTest, SeamsShareAFrameAndHardEdgesDoNot) {
  // Triangle one maps u along x; triangle two, starting at vertex 1's
  // position, maps u along y.  Vertex 3 is vertex 1's copy.
  auto mesh = [](CVector3 copyNormal) {
    std::vector<RenderVertex> v = {V(0, 0, 0, 0, 0), V(1, 0, 0, 1, 0), V(0, 1, 0, 0, 1), V(1, 0, 0, 0, 0, copyNormal),
                                   V(2, 0, 0, 0, 1), V(1, 1, 0, 1, 0)};
    return v;
  };
  const auto seam = mesh({0, 0, 1});
  Frames shared{BuildTangentFrames(seam.data(), 6, nullptr, 6, false, nullptr)};
  const float h = std::sqrt(0.5f);
  for (int i : {1, 3}) {
    ExpectVector(shared.data[i].T, h, h, 0, "T", i);
    ExpectVector(shared.data[i].B, h, h, 0, "B", i);
    ExpectVector(shared.data[i].N, 0, 0, 1, "N", i);
  }
  ExpectVector(shared.data[0].T, 1, 0, 0, "T", 0);

  const auto hard = mesh({1, 0, 0});  // 90 degrees from vertex 1's normal
  Frames separate{BuildTangentFrames(hard.data(), 6, nullptr, 6, false, nullptr)};
  ExpectVector(separate.data[1].T, 1, 0, 0, "T", 1);
  ExpectVector(separate.data[3].T, 0, 1, 0, "T", 3);
  ExpectVector(separate.data[3].B, 1, 0, 0, "B", 3);
}

TEST(TangentFramesTest, LinearBufferSupply) {
  const RenderVertex vertices[3] = {V(0, 0, 0, 0, 0), V(1, 0, 0, 1, 0), V(0, 1, 0, 0, 1)};
  CLinearBuffer buffer(256, "tangents");
  TangentFrame* frames = BuildTangentFrames(vertices, 3, nullptr, 3, false, &buffer);
  ASSERT_NE(frames, nullptr);
  EXPECT_GE(reinterpret_cast<std::uintptr_t>(frames), reinterpret_cast<std::uintptr_t>(buffer.GetMemory()));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(frames) % 4, 0u);
  EXPECT_GE(buffer.GetUsed(), 3 * sizeof(TangentFrame));
  ExpectVector(frames[2].B, 0, 1, 0, "B", 2);
  CLinearBuffer tiny(64, "tiny");
  EXPECT_EQ(BuildTangentFrames(vertices, 3, nullptr, 3, false, &tiny), nullptr);
}

TEST(RenderUtilsTest, ComparisonsAndGlossState) {
  EXPECT_TRUE(FloatsNearlyEqual(1.0f, 1.0f + 7e-6f));
  EXPECT_FALSE(FloatsNearlyEqual(1.0f, 1.0f + 2e-5f));
  const float p[4] = {1, 2, 3, 4}, q[4] = {1, 2, 3, 4.000005f}, r[4] = {1, 2.001f, 3, 4};
  EXPECT_TRUE(Vector4NearlyEqual(p, q));
  EXPECT_FALSE(Vector4NearlyEqual(p, r));
  EXPECT_TRUE(FloatsExactlyEqual(0.5f, 0.5f));
  EXPECT_FALSE(FloatsExactlyEqual(0.5f, 0.5f + 1e-7f));
  struct Case {
    int c;
    bool letter, digit;
  } cases[] = {{'a', true, false},  {'z', true, false},  {'A', true, false},   {'Z', true, false},  {'0', false, true},
               {'9', false, true},  {'@', false, false}, {'[', false, false},  {'`', false, false}, {'{', false, false},
               {'/', false, false}, {':', false, false}, {0xE9, false, false}, {0, false, false}};
  for (const Case& k : cases) {
    EXPECT_EQ(IsLetter(k.c), k.letter) << k.c;
    EXPECT_EQ(IsDigit(k.c), k.digit) << k.c;
  }
  EXPECT_EQ(g_GlossMapState.Texture, nullptr);
  auto* fake = reinterpret_cast<IDirect3DBaseTexture8*>(&g_GlossMapState);
  g_GlossMapState.SetTexture(fake);
  g_GlossMapState.SetParameters(0.25f, 4.0f);
  EXPECT_EQ(g_GlossMapState.Texture, fake);
  EXPECT_FLOAT_EQ(g_GlossMapState.B, 4.0f);
  g_GlossMapState.Clear();
  EXPECT_EQ(g_GlossMapState.Texture, nullptr);
  EXPECT_EQ(g_GlossMapState.A, 0.0f);
}

}  // namespace
