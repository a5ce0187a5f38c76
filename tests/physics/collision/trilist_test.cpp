// Triangle-list pair tests: the generator contract, user words, faces
// behind the sphere, budgets, the result normal, agreement with brute-force
// distances, and steady contacts on a terrain.
#include <cmath>
#include <random>

#include "physics/collision/mcd_triangle_list.h"
#include "physics/collision/mcd_triangle_list_pairs.h"
#include "physics/util/me_math.h"
#include "shape_fixture.h"

namespace {

// Distance from p to the triangle a b c (closest point by region tests).
float PointTriangleDistance(const float* p, const Vec3& a, const Vec3& b, const Vec3& c) {
  // Dense barycentric sampling plus the edges, fine enough for the checks.
  float best = 1e30f;
  const int n = 60;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; i + j <= n; ++j) {
      const float u = float(i) / n, v = float(j) / n;
      float q[3];
      for (int k = 0; k < 3; ++k) q[k] = a[k] + u * (b[k] - a[k]) + v * (c[k] - a[k]) - p[k];
      best = std::min(best, Length(q));
    }
  return best;
}

float TerrainDistance(const Terrain& t, const float* p) {
  float best = 1e30f;
  for (const auto& tri : t.triangles)
    best = std::min(best, PointTriangleDistance(p, t.vertices[tri[0]], t.vertices[tri[1]],
                                                t.vertices[tri[2]]));
  return best;
}

TEST_F(ShapePairTest, TriangleListGeneratorContract) {
  Terrain terrain;
  terrain.AddTriangle({-1, -1, 0}, {1, -1, 0}, {1, 1, 0});
  terrain.AddTriangle({-1, -1, 0}, {1, 1, 0}, {-1, 1, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  McdModel* sphere = AddSphere(0.5f, MakeTransform({0.2f, 0.1f, 0.45f}), 0.01f);
  McdModelPair* pair = Open(list, sphere);
  ASSERT_EQ(pair->model1, sphere);

  // The generator is asked around the sphere's centre (list frame) with the
  // radius plus the margin.
  ASSERT_EQ(Intersect(pair), 1);
  EXPECT_NEAR(terrain.lastRadius, 0.51f, 1e-6f);
  EXPECT_NEAR(terrain.lastCentre[2], 0.45f, 1e-6f);
  for (int i = 0; i < result_.contactCount; ++i) {
    const McdContact& c = result_.contacts[i];
    EXPECT_EQ(c.element2, 1000 + c.element1) << "the triangle's user words";
  }

  terrain.forceCount = 0;
  terrain.out.assign(terrain.out.size(), McdUserTriangle{});
  // No triangles: nothing is read.
  McdTriangleList* geometry = reinterpret_cast<McdTriangleList*>(list->geometry);
  auto quiet = [](McdModelPair*, const MeReal*, MeReal) { return 0; };
  geometry->generator = quiet;
  EXPECT_EQ(Intersect(pair), 0);
  EXPECT_EQ(result_.contactCount, 0);
}

TEST_F(ShapePairTest, TriangleListReadsNoMoreThanTheCapacity) {
  Terrain terrain;
  terrain.AddTriangle({-1, -1, 0}, {1, -1, 0}, {1, 1, 0});
  terrain.AddTriangle({-1, -1, 0}, {1, 1, 0}, {-1, 1, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  // Lend only one record but let the generator claim 50.
  McdTriangleListSetTriangles(list->geometry, terrain.out.data(), 1);
  terrain.forceCount = 50;
  McdModel* sphere = AddSphere(0.5f, MakeTransform({0.0f, 0.0f, 0.45f}));
  McdModelPair* pair = Open(sphere, list);
  ASSERT_EQ(Intersect(pair), 1);
  for (int i = 0; i < result_.contactCount; ++i) EXPECT_EQ(result_.contacts[i].element1, 0u);
}

TEST_F(ShapePairTest, CylinderAndTriangleListHaveNoPairTest) {
  // As the table stands a cylinder is not collided with a triangle list.
  Terrain terrain;
  terrain.AddTriangle({-2, -2, 0}, {2, -2, 0}, {0, 2, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  McdModel* cyl = AddCylinder(0.5f, 1.0f, MakeTransform({0, 0, 0.4f}));
  McdModelPair* pair = Open(cyl, list);
  EXPECT_EQ(Intersect(pair), 0);
  EXPECT_EQ(result_.contactCount, 0);
  EXPECT_EQ(terrain.generatorCalls, 0);
}

TEST_F(ShapePairTest, SphereSunkBehindAFaceIsPushedBackOut) {
  Terrain terrain;
  terrain.AddTriangle({-2, -2, 0}, {2, -2, 0}, {0, 2, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  McdModel* sphere = AddSphere(0.5f, MakeTransform({0.1f, 0.0f, -0.1f}));
  McdModelPair* pair = Open(sphere, list);
  ASSERT_EQ(Intersect(pair), 1);
  ASSERT_EQ(result_.contactCount, 1);
  const McdContact& c = result_.contacts[0];
  EXPECT_EQ(c.dims >> 8, 2);
  // d = 0.1 - 0.5 on the back side; pushed out through the front: -2r - d.
  EXPECT_NEAR(c.separation, -1.0f + 0.4f, 1e-5f);
  EXPECT_NEAR(c.normal[2], 1.0f, 1e-6f);
}

TEST_F(ShapePairTest, SphereNearAnObtuseCornerMeasuresTheNearestEdge) {
  // Vertex angle 150 degrees at the origin; the centre lies outside both
  // edges near the corner, where the nearest edge line is not the nearest
  // edge segment.
  const float a = 150.0f * 3.14159265f / 180.0f;
  Terrain terrain;
  terrain.AddTriangle({0, 0, 0}, {3, 0, 0}, {3 * std::cos(a), 3 * std::sin(a), 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  const float b = 300.0f * 3.14159265f / 180.0f;
  const Vec3 centre = {2 * std::cos(b), 2 * std::sin(b), 0.3f};
  McdModel* sphere = AddSphere(2.2f, MakeTransform(centre));
  McdModelPair* pair = Open(sphere, list);
  ASSERT_EQ(Intersect(pair), 1);
  const float truth = TerrainDistance(terrain, centre.data()) - 2.2f;
  EXPECT_NEAR(result_.contacts[0].separation, truth, 0.01f);
}

TEST_F(ShapePairTest, BoxFlatOnTwoTrianglesKeepsEightFaceContactsFirst) {
  Terrain terrain;
  terrain.AddTriangle({-3, -3, 0}, {3, -3, 0}, {3, 3, 0});
  terrain.AddTriangle({-3, -3, 0}, {3, 3, 0}, {-3, 3, 0});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  // Rotated about z so its bottom face spans the shared diagonal.
  McdModel* box = AddBox({0.6f, 0.4f, 0.3f}, MakeTransform({0.1f, 0.0f, 0.29f}, {0, 0, 1}, 0.3f));
  McdModelPair* pair = Open(list, box);
  ASSERT_EQ(pair->model1, box);
  ASSERT_EQ(Intersect(pair, 32), 1);
  EXPECT_LE(result_.contactCount, 8);
  EXPECT_GE(result_.contactCount, 4);
  bool sawOther = false;
  for (int i = 0; i < result_.contactCount; ++i) {
    const bool face = (result_.contacts[i].dims >> 8) == 2 || (result_.contacts[i].dims & 0xff) == 2;
    if (!face) {
      sawOther = true;
    } else {
      EXPECT_FALSE(sawOther) << "face contacts come first";
    }
    EXPECT_NEAR(result_.contacts[i].separation, -0.01f, 1e-4f);
  }
  EXPECT_NEAR(result_.normal[2], 1.0f, 1e-5f);
}

TEST_F(ShapePairTest, OpposingTrianglesGiveAUnitNormalAndKeepTheirSpread) {
  // A box wedged between a floor and a ceiling facing each other: the
  // triangles' normals cancel in the sum.
  Terrain terrain;
  terrain.AddTriangle({-3, -3, 0}, {3, -3, 0}, {0, 3, 0});
  terrain.AddTriangle({-3, -3, 0.58f}, {0, 3, 0.58f}, {3, -3, 0.58f});
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  McdModel* box = AddBox({0.5f, 0.5f, 0.3f}, MakeTransform({0, 0, 0.29f}));
  McdModelPair* pair = Open(box, list);
  ASSERT_EQ(Intersect(pair, 32), 1);
  EXPECT_NEAR(Length(result_.normal), 1.0f, 1e-5f);
  EXPECT_GT(result_.contactCount, 2) << "the reduction works on a unit normal";
}

TEST_F(ShapePairTest, SphereOnTerrainAgreesWithBruteForceDistance) {
  Terrain terrain;
  terrain.Build(8, 0.5f, -2, -2, [](float x, float y) { return 0.3f * std::sin(1.3f * x) * std::cos(0.9f * y); });
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> u(-1.2f, 1.2f);
  int touching = 0;
  for (int trial = 0; trial < 25; ++trial) {
    const float x = u(rng), y = u(rng);
    const float ground = 0.3f * std::sin(1.3f * x) * std::cos(0.9f * y);
    const Vec3 centre = {x, y, ground + 0.3f + 0.15f * u(rng)};
    McdModel* sphere = AddSphere(0.4f, MakeTransform(centre), 0.02f);
    McdModelPair* pair = Open(sphere, list);
    const int touch = Intersect(pair);
    const float truth = TerrainDistance(terrain, centre.data()) - 0.4f;
    SCOPED_TRACE(trial);
    if (truth > 0.02f + 0.01f) {
      EXPECT_EQ(touch, 0);
    }
    if (truth < 0.02f - 0.01f) {
      EXPECT_EQ(touch, 1);
    }
    if (!touch) continue;
    ++touching;
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& c = result_.contacts[i];
      // On the sphere's surface toward the terrain, with a unit normal, its
      // separation the distance to its own triangle less the radius, none
      // deeper than the nearest triangle allows.
      float rel[3];
      MeVector3Subtract(rel, c.position, centre.data());
      EXPECT_NEAR(Length(rel), 0.4f, 1e-4f);
      EXPECT_NEAR(Length(c.normal), 1.0f, 1e-5f);
      ASSERT_LT(c.element1, terrain.triangles.size());
      const auto& tri = terrain.triangles[c.element1];
      const float own = PointTriangleDistance(centre.data(), terrain.vertices[tri[0]],
                                              terrain.vertices[tri[1]], terrain.vertices[tri[2]]);
      EXPECT_NEAR(c.separation, own - 0.4f, 0.01f);
      EXPECT_GE(c.separation, truth - 0.01f);
    }
  }
  EXPECT_GT(touching, 5);
}

TEST_F(ShapePairTest, BoxOnTerrainContactsLieOnTheBoxNearTheGround) {
  Terrain terrain;
  auto height = [](float x, float y) { return 0.25f * std::sin(1.1f * x + 0.4f) * std::cos(0.7f * y); };
  terrain.Build(10, 0.4f, -2, -2, height);
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}));
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  int touching = 0;
  for (int trial = 0; trial < 20; ++trial) {
    const float x = u(rng), y = u(rng);
    const Transform t = MakeTransform({x, y, height(x, y) + 0.3f + 0.1f * u(rng)}, {u(rng), u(rng), 1}, 0.4f * u(rng));
    McdModel* box = AddBox({0.4f, 0.3f, 0.2f}, t);
    McdModelPair* pair = Open(box, list);
    const ShapeRef ref = Ref(box);
    // Deepest point of the box below the ground, measured vertically (at
    // least the depth along any normal of these gentle slopes).
    float depth = -1e9f;
    for (const Vec3& p : SampleSurface(ref, 2000)) depth = std::max(depth, height(p[0], p[1]) - p[2]);
    const int touch = Intersect(pair, 32);
    SCOPED_TRACE(trial);
    if (depth > 0.02f) {
      EXPECT_EQ(touch, 1) << "sunk " << depth;
    }
    if (!touch) continue;
    ++touching;
    float best = 1e9f;
    for (int i = 0; i < result_.contactCount; ++i) best = std::min(best, result_.contacts[i].separation);
    EXPECT_GE(best, -depth - 0.02f) << "no deeper than the box reaches";
    if (depth > 0.02f) {
      EXPECT_LT(best, 0.0f);
    }
    EXPECT_LE(result_.contactCount, 8);
    EXPECT_NEAR(Length(result_.normal), 1.0f, 1e-5f);
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& c = result_.contacts[i];
      EXPECT_LE(SignedDistance(ref, c.position), 1e-3f) << "on or in the box";
      EXPECT_LE(TerrainDistance(terrain, c.position), std::fabs(c.separation) + 0.02f)
          << "near the ground by its separation";
    }
  }
  EXPECT_GT(touching, 3);
}

TEST_F(ShapePairTest, BoxAndSphereRestSteadilyOnATerrain) {
  // 16 x 16 cells, 512 triangles: a gentle slope with bumps away from the
  // resting places.
  Terrain terrain;
  auto height = [](float x, float y) {
    float z = 0.1f * x + 0.05f * y;
    if (x > 1.5f) z += 0.3f * std::sin(2 * x) * std::sin(2 * y);
    return z;
  };
  terrain.Build(16, 0.5f, -4, -4, height);
  ASSERT_EQ(terrain.triangles.size(), 512u);
  McdModel* list = AddTerrain(&terrain, MakeTransform({0, 0, 0}), 0.005f);
  // The slope's normal and a box sitting on it, 2 mm into the ground.
  Vec3 n = {-0.1f, -0.05f, 1.0f};
  const float len = Length(n.data());
  for (float& v : n) v /= len;
  const Vec3 up = {0, 0, 1};
  Vec3 axis;
  MeVector3Cross(axis.data(), up.data(), n.data());
  const float angle = std::acos(n[2]);
  const Vec3 foot = {-1.0f, 0.5f, height(-1.0f, 0.5f)};
  const float e = 0.25f;
  Vec3 boxCentre;
  for (int i = 0; i < 3; ++i) boxCentre[i] = foot[i] + (e - 0.002f) * n[i];
  McdModel* box = AddBox({0.4f, 0.3f, e}, MakeTransform(boxCentre, axis, angle), 0.005f);
  Vec3 sphereCentre;
  const Vec3 spot = {2.3f, -2.0f, height(2.3f, -2.0f)};
  for (int i = 0; i < 3; ++i) sphereCentre[i] = spot[i] + 0.6f * up[i];
  McdModel* sphere = AddSphere(0.35f, MakeTransform(sphereCentre), 0.005f);
  McdModelPair* boxPair = Open(box, list);
  McdModelPair* spherePair = Open(sphere, list);

  std::mt19937 rng(9);
  std::uniform_real_distribution<float> jitter(-2e-4f, 2e-4f);
  int boxCount = -1;
  std::vector<McdContact> previous;
  // The sphere settles where the generator's triangles hold it: drop it onto
  // the ground first.
  for (int k = 0; k < 200; ++k) {
    Transform& ts = TransformOf(sphere);
    if (Intersect(spherePair) && result_.contacts[0].separation < 0.0f) break;
    ts[14] -= 0.005f;
  }
  const float restZ = TransformOf(sphere)[14];
  for (int frame = 0; frame < 120; ++frame) {
    Transform& tb = TransformOf(box);
    for (int i = 0; i < 3; ++i) tb[12 + i] = boxCentre[i] + jitter(rng);
    ASSERT_EQ(Intersect(boxPair, 32), 1) << "frame " << frame;
    if (boxCount < 0) boxCount = result_.contactCount;
    EXPECT_EQ(result_.contactCount, boxCount) << "frame " << frame;
    EXPECT_EQ(boxCount, 4);
    for (int i = 0; i < result_.contactCount; ++i) {
      const McdContact& c = result_.contacts[i];
      EXPECT_GT(c.separation, -0.004f);
      EXPECT_LT(c.separation, 0.0f);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(c.normal[k], n[k], 1e-4f);
      if (previous.size() == size_t(result_.contactCount)) {
        float nearest = 1e9f;
        for (const McdContact& p : previous) {
          float d[3];
          MeVector3Subtract(d, p.position, c.position);
          nearest = std::min(nearest, Length(d));
        }
        EXPECT_LT(nearest, 2e-3f) << "contacts stay put, frame " << frame;
      }
    }
    previous.assign(result_.contacts, result_.contacts + result_.contactCount);

    Transform& ts = TransformOf(sphere);
    ts[12] = sphereCentre[0] + jitter(rng);
    ts[13] = sphereCentre[1] + jitter(rng);
    ts[14] = restZ + jitter(rng);
    ASSERT_EQ(Intersect(spherePair), 1) << "frame " << frame;
    EXPECT_GE(result_.contactCount, 1);
    for (int i = 0; i < result_.contactCount; ++i)
      EXPECT_LT(result_.contacts[i].separation, 0.012f);
  }
}

}  // namespace
