// Shadow volumes without a device: the silhouette quads of a box for a
// light from above and from the side, no quads along open edges, the
// 800-quad cap, the skin's volume from deformed positions, the debug line,
// the strength by the time of day and the light's direction in an object's
// space.
#include "scene/shadows/shadows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "scene/lights/light_table.h"
#include "scene/mesh/mesh_draw.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/shadows/shadow_shapes.h"
#include "scene/skin/skin.h"
#include "world/sky/sky.h"

namespace {

using namespace shadow_test;

CVector3 Unit(float x, float y, float z) {
  const float l = std::sqrt(x * x + y * y + z * z);
  return {x / l, y / l, z / l};
}

class ShadowVolume : public ::testing::Test {
 protected:
  void SetUp() override {
    CVertexBuffer reset(nullptr, nullptr, nullptr, nullptr, nullptr);
    ShadowsSetOverride(false);
    ShadowsSetDebug(false);
  }
  // Builds the shape's part and its volume for the light; answers the quad count.
  int Build(const Shape& s, const CVector3& light) {
    part_ = std::make_unique<CVertexBuffer>();
    LoadPart(*part_, s);
    EXPECT_TRUE(CShadowMesh::BuildPart(part_.get()));
    ShadowsSetLightPosition(light);
    return ShadowsBuildVolume(part_.get());
  }
  // The silhouette edges of the quads built: (first end, second end) as the
  // quads give them (vertex 1, vertex 0), and checks of the extrusion.
  std::set<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>> Edges(const CVector3& light) {
    std::set<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>> out;
    const CVector3* v = ShadowsQuadVertices();
    for (int q = 0; q < ShadowsQuadCount(); ++q) {
      const CVector3* quad = v + q * 4;
      for (int k = 0; k < 2; ++k) {
        EXPECT_NEAR(quad[2 + k].x - quad[k].x, light.x * kShadowExtrusion, 1e-2f);
        EXPECT_NEAR(quad[2 + k].y - quad[k].y, light.y * kShadowExtrusion, 1e-2f);
        EXPECT_NEAR(quad[2 + k].z - quad[k].z, light.z * kShadowExtrusion, 1e-2f);
      }
      out.insert({{quad[1].x, quad[1].y, quad[1].z}, {quad[0].x, quad[0].y, quad[0].z}});
    }
    return out;
  }
  std::unique_ptr<CVertexBuffer> part_;
};

TEST_F(ShadowVolume, ABoxLitFromAboveCastsItsFourBottomEdges) {
  // Sides are edge-on (n . light = 0) and count as facing the light: the
  // silhouette runs between them and the bottom.
  const CVector3 down{0.0f, -1.0f, 0.0f};
  ASSERT_EQ(Build(Box({-1, 0, -1}, {1, 2, 1}), down), 4);
  for (const auto& [first, second] : Edges(down)) {
    EXPECT_EQ(std::get<1>(first), 0.0f);
    EXPECT_EQ(std::get<1>(second), 0.0f);
  }
  // Quad n's indices: (4n, 4n+1, 4n+2), (4n+2, 4n+1, 4n+3).
  const std::uint16_t* i = ShadowsQuadIndices();
  EXPECT_EQ(std::vector<std::uint16_t>(i + 6, i + 12), (std::vector<std::uint16_t>{4, 5, 6, 6, 5, 7}));
}

TEST_F(ShadowVolume, ASideLightCastsTheLoopBetweenLitAndUnlitFaces) {
  // Light from -x and above: the top and -x faces face it, +x and the bottom
  // face away, the z sides are edge-on (facing).  Six edges: top/+x, -x/bottom,
  // and both z sides against +x and the bottom.
  const CVector3 light = Unit(1.0f, -1.0f, 0.0f);
  ASSERT_EQ(Build(Box({-1, 0, -1}, {1, 2, 1}), light), 6);
  const auto edges = Edges(light);
  int onTop = 0, onBottom = 0, upright = 0;
  for (const auto& [a, b] : edges) {
    const float ya = std::get<1>(a), yb = std::get<1>(b);
    if (ya == 2.0f && yb == 2.0f) ++onTop;
    if (ya == 0.0f && yb == 0.0f) ++onBottom;
    if (ya != yb) ++upright;
  }
  EXPECT_EQ(onTop, 1) << "top against +x";
  EXPECT_EQ(onBottom, 3) << "-x, -z and +z against the bottom";
  EXPECT_EQ(upright, 2) << "the z sides against +x";
  // Each side quad faces out of the volume: its normal points away from the box.
  const CVector3* v = ShadowsQuadVertices();
  for (int q = 0; q < ShadowsQuadCount(); ++q) {
    const CVector3* quad = v + q * 4;
    const CVector3 n = ShadowFaceNormal(quad[0], quad[1], quad[2]);
    const CVector3 mid{(quad[0].x + quad[1].x) * 0.5f, (quad[0].y + quad[1].y) * 0.5f - 1.0f,
                       (quad[0].z + quad[1].z) * 0.5f};  // from the box's centre (0, 1, 0) to the edge
    EXPECT_GT(n.x * mid.x + n.y * mid.y + n.z * mid.z, 0.0f) << "quad " << q;
  }
}

TEST_F(ShadowVolume, OpenEdgesCastNothing) {
  EXPECT_EQ(Build(Ground(10.0f), {0.0f, -1.0f, 0.0f}), 0) << "a lit square has only open edges";
  EXPECT_EQ(Build(Ground(10.0f), {0.0f, 1.0f, 0.0f}), 0) << "lit from below as well";
}

TEST_F(ShadowVolume, AVolumeStopsAtEightHundredQuads) {
  // 320 tetrahedra lit from above: three base edges each, 960 in all.
  std::vector<Shape> many;
  for (int k = 0; k < 320; ++k) many.push_back(Tetrahedron({k * 30.0f, 0.0f, 0.0f}, 10.0f, 20.0f));
  EXPECT_EQ(Build(Joined(many), {0.0f, -1.0f, 0.0f}), kShadowMaxQuads);
  EXPECT_EQ(Build(Joined({many.begin(), many.begin() + 10}), {0.0f, -1.0f, 0.0f}), 30);
}

TEST_F(ShadowVolume, TheOverrideTakesThePlaceOfEveryLight) {
  ShadowsSetOverride(true);
  ShadowsSetLightPosition({0.0f, -1.0f, 0.0f});
  const CVector3 d = ShadowsGetLightDirection();
  EXPECT_EQ(d.x, 0.577f);
  EXPECT_EQ(d.y, -0.577f);
  EXPECT_EQ(g_ShadowLightPosition.z, 0.577f) << "queued shadows carry it";
  ShadowsSetOverride(false);
  ShadowsSetLightPosition({1.0f, 0.0f, 0.0f});
  EXPECT_EQ(ShadowsGetLightDirection().x, 1.0f);
}

TEST_F(ShadowVolume, TheDebugSwitchNamesShadowedNeighbours) {
  ShadowsSetDebug(true);
  testing::internal::CaptureStdout();
  Build(Box({-1, 0, -1}, {1, 2, 1}), {0.0f, -1.0f, 0.0f});
  const std::string out = testing::internal::GetCapturedStdout();
  ShadowsSetDebug(false);
  EXPECT_NE(out.find(" in shadow, connected face "), std::string::npos) << out;
  EXPECT_EQ(out.rfind("face ", 0), 0u) << out;
}

TEST_F(ShadowVolume, ASkinCastsFromItsDeformedPositions) {
  const Shape box = Box({-1, 0, -1}, {1, 2, 1});
  CSkin skin;
  SkinData& d = skin.Data;
  d.VertexCount = static_cast<std::int32_t>(box.Vertices.size());
  for (std::int32_t v = 0; v < d.VertexCount; ++v) {
    d.FirstInfluence.push_back(static_cast<std::uint32_t>(v));
    SkinInfluence influence;
    influence.Position = At(box, static_cast<std::uint16_t>(v));
    d.Influences.push_back(influence);
  }
  d.FirstInfluence.push_back(static_cast<std::uint32_t>(d.VertexCount));
  d.ListIndices = box.Indices;
  d.ListIndexCount = static_cast<std::int32_t>(box.Indices.size());
  BuildSkinShadowFaces(d);
  // Deformed: the box turned 90 degrees about z (x' = -y, y' = x) and lifted
  // by 10, so that its +x face is on top at y = 11.  Straight down, only that
  // face faces the light: the sides are edge-on, which a skin counts as
  // facing away (dot < 0, not <= 0).
  std::vector<RenderVertex> deformed = box.Vertices;
  for (RenderVertex& v : deformed) {
    const float x = v.x;
    v.x = -v.y;
    v.y = x + 10.0f;
  }
  ASSERT_EQ(ShadowsBuildSkinVolume(&skin, {0.0f, -1.0f, 0.0f}, deformed.data()), 4);
  int marked = 0;
  for (const SkinShadowFace& f : d.ShadowFaces) marked += f.Flag;
  EXPECT_EQ(marked, 2) << "the two triangles of the top face";
  for (int q = 0; q < 4; ++q) {
    const CVector3* quad = ShadowsQuadVertices() + q * 4;
    EXPECT_NEAR(quad[0].y, 11.0f, 1e-5f) << "from the top face's rim";
    EXPECT_NEAR(quad[1].y, 11.0f, 1e-5f);
  }
  EXPECT_EQ(ShadowsBuildSkinVolume(&skin, {0.0f, -1.0f, 0.0f}, nullptr), 0);
}

TEST(ShadowStrength, FollowsTheTimeOfDay) {
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const struct {
    float hours;
    bool pale;
    float strength;
  } cases[] = {{12.0f, false, 1.0f},  {15.0f, false, 0.5f}, {4.0f, false, 0.0f},  {5.0f, false, 0.0f},
               {8.5f, false, 0.5f},   {18.0f, false, 0.0f}, {21.0f, false, 0.0f}, {12.0f, true, 0.75f},
               {15.0f, true, 0.375f}};
  for (const auto& c : cases) {
    sky.SetTimeOfDay(c.hours);
    sky.Flags = c.pale ? kSkyFlagPaleShadows : 0;
    EXPECT_FLOAT_EQ(ShadowsGetStrength(), c.strength) << c.hours << (c.pale ? " pale" : "");
  }
}

TEST(ShadowLightDirection, IsTheLightsDirectionInTheObjectsSpace) {
  CSky sky(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  CLightTable table(8);
  // A low directional light (pitch 5, yaw 90) casts as if at 15 degrees.
  const int sun = table.CreateDirectionalLight({}, {5.0f, 90.0f, 0.0f}, CColour{1, 1, 1, 1}, CColour{}, "s", 0);
  const int lamp = table.CreatePointLight({110.0f, 200.0f, 0.0f}, CColour{1, 1, 1, 1}, CColour{}, 500.0f, "p", 1);
  CMatrix identity;
  identity.SetIdentity();
  CVector3 d{};
  ASSERT_EQ(ShadowsLocalLightDirection(sun, &d, identity), 1);
  const float c15 = std::cos(15.0f * 0.017453292f), s15 = std::sin(15.0f * 0.017453292f);
  EXPECT_NEAR(d.x, c15, 1e-5f);
  EXPECT_NEAR(d.y, -s15, 1e-5f);
  EXPECT_NEAR(d.z, 0.0f, 1e-5f);
  // The object turned 90 degrees about y: its inverse world turns the light back.
  CMatrix turned;
  turned.SetIdentity();
  turned.RotateY(90.0f);
  CMatrix inverse;
  float det = 0.0f;
  ASSERT_TRUE(turned.Invert(&inverse, &det));
  ASSERT_EQ(ShadowsLocalLightDirection(sun, &d, inverse), 1);
  CVector3 back{};
  turned.RotateVector(d, &back);
  EXPECT_NEAR(back.x, c15, 1e-5f);
  EXPECT_NEAR(back.y, -s15, 1e-5f);
  // A point light: from the light to the object's origin.
  CMatrix at;
  at.SetIdentity();
  at.SetTranslationXYZ(-10.0f, 0.0f, 0.0f);  // the inverse of an object standing at x = 10
  ASSERT_EQ(ShadowsLocalLightDirection(lamp, &d, at), 1);
  const CVector3 want = Unit(-100.0f, -200.0f, 0.0f);
  EXPECT_NEAR(d.x, want.x, 1e-5f);
  EXPECT_NEAR(d.y, want.y, 1e-5f);
  // No direction when the shadows are too weak, or for a light that is not there.
  EXPECT_EQ(ShadowsLocalLightDirection(7, &d, identity), 0);
  sky.SetTimeOfDay(4.0f);
  d = {};
  EXPECT_EQ(ShadowsLocalLightDirection(sun, &d, identity), 0);
  EXPECT_EQ(d.x, 0.0f) << "nothing written";
}

}  // namespace
