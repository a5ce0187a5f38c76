#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/collision/mcd_triangle_list.h"
#include "physics/collision/collision_fixture.h"

#include <cmath>
#include <functional>

namespace {

class PrimitivesTest : public CollisionTest {
 protected:
  McdGeometryID Keep(McdGeometryID g) {
    geometries_.push_back(g);
    return g;
  }
};

int NoTriangles(McdModelPair*, const MeReal*, MeReal) { return 0; }

constexpr MeReal kInf = MeInfinity;

}  // namespace

TEST_F(PrimitivesTest, BoundingBoxes) {
  struct Case {
    const char* name;
    std::function<McdGeometryID()> make;
    MeVector3 axis;
    MeReal angle;
    MeVector3 position;
    MeVector3 min, max;
  } cases[] = {
      {"plane identity", [] { return McdPlaneCreate(); }, {0, 0, 1}, 0, {0, 0, 0},
       {-kInf, -kInf, -kInf}, {kInf, kInf, 0}},
      {"plane raised", [] { return McdPlaneCreate(); }, {0, 0, 1}, 0, {0, 0, 2},
       {-kInf, -kInf, -kInf}, {kInf, kInf, 2}},
      {"plane facing +y", [] { return McdPlaneCreate(); }, {1, 0, 0}, -MePi / 2, {0, 3, 0},
       {-kInf, -kInf, -kInf}, {kInf, 3, kInf}},
      {"plane 45 degrees", [] { return McdPlaneCreate(); }, {1, 0, 0}, MePi / 4, {0, 0, 0},
       {-kInf, -kInf, -kInf}, {kInf, kInf, kInf}},
      {"plane upside down", [] { return McdPlaneCreate(); }, {1, 0, 0}, MePi, {0, 0, 1},
       {-kInf, -kInf, 1}, {kInf, kInf, kInf}},
      {"sphere", [] { return McdSphereCreate(0.5f); }, {0, 0, 1}, 1.0f, {1, 2, 3},
       {0.5f, 1.5f, 2.5f}, {1.5f, 2.5f, 3.5f}},
      {"box", [] { return McdBoxCreate(2, 4, 6); }, {0, 0, 1}, 0, {1, 1, 1},
       {0, -1, -2}, {2, 3, 4}},
      {"box quarter turn", [] { return McdBoxCreate(2, 4, 6); }, {0, 0, 1}, MePi / 2, {0, 0, 0},
       {-2, -1, -3}, {2, 1, 3}},
      {"cylinder upright", [] { return McdCylinderCreate(1, 2); }, {0, 0, 1}, 0, {5, 0, 0},
       {4, -1, -1}, {6, 1, 1}},
      {"cylinder lying", [] { return McdCylinderCreate(1, 4); }, {1, 0, 0}, MePi / 2, {0, 0, 0},
       {-1, -2, -1}, {1, 2, 1}},
      {"cone upright", [] { return McdConeCreateSimple(4, 1); }, {0, 0, 1}, 0, {0, 0, 0},
       {-1, -1, -1}, {1, 1, 3}},
      {"triangle list", [] { return McdTriangleListCreate(10, 20, 2, NoTriangles); }, {0, 0, 1},
       0, {0, 0, -1}, {-5, -10, -2}, {5, 10, 0}},
  };
  for (const Case& c : cases) {
    McdGeometryID g = Keep(c.make());
    ASSERT_NE(g, nullptr) << c.name;
    TestTransform t;
    t.Rotate(c.axis, c.angle);
    t.Place(c.position[0], c.position[1], c.position[2]);
    MeVector3 min, max;
    McdGeometryGetAABB(g, t.m, min, max);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(min[k], c.min[k], 1e-5f * std::fmax(1.f, std::fabs(c.min[k]))) << c.name << k;
      EXPECT_NEAR(max[k], c.max[k], 1e-5f * std::fmax(1.f, std::fabs(c.max[k]))) << c.name << k;
      EXPECT_EQ(g->aabb[2 * k], min[k]);  // the cache holds the same box
      EXPECT_EQ(g->aabb[2 * k + 1], max[k]);
    }
  }
  McdGeometryID plane = Keep(McdPlaneCreate());
  MeVector3 min, max;
  McdPlaneGetAABB(plane, nullptr, min, max);
  EXPECT_EQ(max[2], 0);
  EXPECT_EQ(max[0], kInf);
}

TEST_F(PrimitivesTest, SupportPoints) {
  McdGeometryID box = Keep(McdBoxCreate(2, 4, 6));
  McdGeometryID sphere = Keep(McdSphereCreate(2));
  McdGeometryID cyl = Keep(McdCylinderCreate(1, 2));
  McdGeometryID cone = Keep(McdConeCreateSimple(4, 1));
  McdGeometryID plane = Keep(McdPlaneCreate());
  MeReal s = std::sqrt(0.5f);
  struct Case {
    const char* name;
    McdGeometryID g;
    MeVector3 d;
    MeVector3 p;
  } cases[] = {
      {"box corner", box, {1, -1, 1}, {1, -2, 3}},
      {"box face, zero components", box, {0, 0, -1}, {0, 0, -3}},
      {"box edge", box, {1, 1, 0}, {1, 2, 0}},
      {"sphere", sphere, {0, s, s}, {0, 2 * s, 2 * s}},
      {"cylinder cap centre", cyl, {0, 0, 1}, {0, 0, 1}},
      {"cylinder rim", cyl, {s, 0, -s}, {1, 0, -1}},
      {"cone apex", cone, {0, 0, 1}, {0, 0, 3}},
      {"cone base centre", cone, {0, 0, -1}, {0, 0, -1}},
      {"cone rim", cone, {1, 0, 0}, {1, 0, -1}},
      {"plane along normal", plane, {0, 0, 1}, {0, 0, 0}},
  };
  TestTransform t;
  for (const Case& c : cases) {
    MeVector3 p;
    McdGeometryGetMaxPoint(c.g, t.m, c.d, p);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], c.p[k], 1e-5f) << c.name << k;
  }
  MeVector3 sideways = {1, 0, 0}, p;
  McdGeometryGetMaxPoint(plane, t.m, sideways, p);
  EXPECT_EQ(p[0], kInf);
  // Placed and turned: the box's support follows its axes.
  TestTransform moved(10, 0, 0);
  MeVector3 zAxis = {0, 0, 1};
  moved.Rotate(zAxis, MePi / 2);
  MeVector3 d = {1, 1, 1};
  McdGeometryGetMaxPoint(box, moved.m, d, p);
  EXPECT_NEAR(p[0], 12, 1e-5f);
  EXPECT_NEAR(p[1], 1, 1e-5f);
  EXPECT_NEAR(p[2], 3, 1e-5f);
  MeVector3 local;
  MeVector3 dLocal = {0, -2, 5};
  McdBoxMaximumPointLocal(box, dLocal, local);
  EXPECT_EQ(local[0], 0);
  EXPECT_EQ(local[1], -2);
  MeVector3 down = {0, 0, -1};
  McdCylinderMaximumPointLocal(cyl, down, local);
  EXPECT_EQ(local[2], -1);
  EXPECT_EQ(local[0], 0);
}

TEST_F(PrimitivesTest, MassPropertiesAndBoundingSpheres) {
  struct Case {
    const char* name;
    McdGeometryID g;
    MeVector3 inertia;
    MeReal volume;
    MeReal radius;
  } cases[] = {
      {"sphere", Keep(McdSphereCreate(2)), {1.6f, 1.6f, 1.6f}, 4.1887903f * 8, 2},
      {"box", Keep(McdBoxCreate(2, 4, 6)), {13 / 3.f, 10 / 3.f, 5 / 3.f}, 48, std::sqrt(14.f)},
      {"cylinder", Keep(McdCylinderCreate(1, 2)), {1 / 3.f + 0.25f, 1 / 3.f + 0.25f, 0.5f},
       2 * MePi, std::sqrt(2.f)},
      {"cone", Keep(McdConeCreateSimple(4, 1)), {0.75f, 0.75f, 0.3f}, MePi * 4 / 3, 0},
      {"triangle list", Keep(McdTriangleListCreate(2, 4, 6, NoTriangles)),
       {13 / 3.f, 10 / 3.f, 5 / 3.f}, 6, std::sqrt(14.f)},
      {"plane", Keep(McdPlaneCreate()), {1, 1, 1}, 0, kInf},
  };
  for (const Case& c : cases) {
    MeMatrix4 rel;
    MeMatrix3 inertia;
    MeReal volume = -1;
    EXPECT_EQ(McdGeometryGetMassProperties(c.g, rel, inertia, &volume), 0) << c.name;
    EXPECT_EQ(MeMatrix4IsIdentity(rel, 1e-6f), 1) << c.name;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(inertia[4 * k], c.inertia[k], 1e-5f) << c.name;
    EXPECT_EQ(inertia[1], 0);
    EXPECT_NEAR(volume, c.volume, 1e-4f) << c.name;
    if (c.radius > 0) {
      MeVector3 centre;
      MeReal radius;
      McdGeometryGetBSphere(c.g, centre, &radius);
      EXPECT_NEAR(radius, c.radius, 1e-5f * std::fmax(1.f, c.radius)) << c.name;
      EXPECT_EQ(centre[2], 0) << c.name;
    }
  }
  // The cone's sphere passes through the apex and the base rim.
  McdGeometryID cone = cases[3].g;
  MeVector3 centre;
  MeReal radius;
  McdGeometryGetBSphere(cone, centre, &radius);
  EXPECT_NEAR(3 - centre[2], radius, 1e-5f);
  EXPECT_NEAR(std::sqrt(1 + (centre[2] + 1) * (centre[2] + 1)), radius, 1e-5f);
  // The model's sphere is placed at the model's position.
  McdModelID m = Model(cases[0].g, 1, 2, 3);
  McdModelGetBSphere(m, centre, &radius);
  EXPECT_FLOAT_EQ(centre[2], 3);
}

TEST_F(PrimitivesTest, CreationAndAccessors) {
  McdGeometryID box = Keep(McdBoxCreate(2, 4, 6));
  MeReal x, y, z;
  McdBoxGetDimensions(box, &x, &y, &z);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(z, 6);
  EXPECT_EQ(McdBoxGetRadii(box)[1], 2);
  EXPECT_FLOAT_EQ(McdBoxGetRadius(box), std::sqrt(14.f));
  McdBoxSetDimensions(box, 1, 1, 1);
  EXPECT_FLOAT_EQ(McdBoxGetRadius(box), std::sqrt(0.75f));

  McdGeometryID cyl = Keep(McdCylinderCreate(3, 8));
  EXPECT_EQ(McdCylinderGetHalfHeight(cyl), 4);
  EXPECT_EQ(McdCylinderGetHeight(cyl), 8);
  EXPECT_EQ(McdCylinderGetBoundingRadius(cyl), 5);
  McdCylinderSetRadius(cyl, 0);
  EXPECT_EQ(McdCylinderGetBoundingRadius(cyl), 4);  // kept in step with the radius
  McdCylinderSetHeight(cyl, 2);
  EXPECT_EQ(McdCylinderGetBoundingRadius(cyl), 1);

  McdGeometryID sphere = Keep(McdSphereCreate(1));
  McdSphereSetRadius(sphere, 3);
  EXPECT_EQ(McdSphereGetRadius(sphere), 3);
  EXPECT_EQ(sphere->type, McdSphereGetTypeId());

  McdGeometryID cone = Keep(McdConeCreate(4, 3, 77));
  EXPECT_EQ(McdConeGetApexDistance(cone), 3);
  EXPECT_EQ(McdConeGetBaseDistance(cone), 1);
  EXPECT_EQ(McdConeGetHeight(cone), 4);
  EXPECT_EQ(McdConeGetQuarterHeight(cone), 1);
  EXPECT_FLOAT_EQ(reinterpret_cast<McdCone*>(cone)->sinHalfAngle, 0.6f);
  EXPECT_EQ(McdConeCreateSimple(0, 1), nullptr);  // a flat cone has no bounding sphere

  EXPECT_EQ(McdTriangleListCreate(1, 1, 1, nullptr), nullptr);
  McdGeometryID list = Keep(McdTriangleListCreate(2, 4, 6, NoTriangles));
  McdTriangleListGetDimensions(list, &x, &y, &z);
  EXPECT_EQ(y, 4);
  EXPECT_EQ(McdTriangleListGetHalfExtents(list)[2], 3);
  McdTriangleListSetUserData(list, 42);
  EXPECT_EQ(McdTriangleListGetUserData(list), 42u);
  McdUserTriangle tris[4];
  McdTriangleListSetTriangles(list, tris, 4);
  EXPECT_EQ(reinterpret_cast<McdTriangleList*>(list)->triangleCapacity, 4);

  TestTransform t(0, 0, 5);
  MeVector3 n, point = {1, 1, 7};
  McdPlaneGetNormal(nullptr, t.m, n);
  EXPECT_EQ(n[2], 1);
  EXPECT_FLOAT_EQ(McdPlaneGetDistance(nullptr, t.m, point), 2);
  EXPECT_FLOAT_EQ(McdPlaneGetDistance(nullptr, nullptr, point), 7);

  MeReal xy[4];
  McdBoxGetXYAABB(box, t.m, xy);
  EXPECT_EQ(xy[0], -0.5f);
  EXPECT_EQ(xy[3], 0.5f);
  McdGeometryDestroy(nullptr);
}
