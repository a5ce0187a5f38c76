#include "shape_fixture.h"

#include <algorithm>
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_sphere.h"

namespace {

void ToLocal(const float* p, const Transform& t, float* out) {
  const float d[3] = {p[0] - t[12], p[1] - t[13], p[2] - t[14]};
  for (int k = 0; k < 3; ++k) out[k] = d[0] * t[4 * k] + d[1] * t[4 * k + 1] + d[2] * t[4 * k + 2];
}

Vec3 ToWorld(const Transform& t, float x, float y, float z) {
  Vec3 w;
  for (int i = 0; i < 3; ++i) w[i] = x * t[i] + y * t[4 + i] + z * t[8 + i] + t[12 + i];
  return w;
}

// Unit normal of the triangle a, b, c (counter-clockwise seen from its front).
Vec3 UnitNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
  const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  Vec3 n = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
  const float len = Length(n.data());
  for (float& v : n) v /= len;
  return n;
}

// Distance from (px, pz) to the 2-D segment a-b.
float SegmentDistance2D(float px, float pz, float ax, float az, float bx, float bz) {
  const float dx = bx - ax, dz = bz - az;
  float u = ((px - ax) * dx + (pz - az) * dz) / (dx * dx + dz * dz);
  u = std::clamp(u, 0.0f, 1.0f);
  const float ex = px - (ax + u * dx), ez = pz - (az + u * dz);
  return std::sqrt(ex * ex + ez * ez);
}

ShapePairTest* g_current = nullptr;
std::vector<std::pair<McdGeometryID, Terrain*>> g_terrains;

int TerrainGenerator(McdModelPair* pair, const MeReal* centre, MeReal radius) {
  for (auto& [g, terrain] : g_terrains)
    if (g == pair->model2->geometry) {
      McdTriangleList* list = reinterpret_cast<McdTriangleList*>(g);
      const int n = terrain->Generate(centre, radius);
      list->triangleCount = n;
      return n;
    }
  return 0;
}

}  // namespace

float SignedDistance(const ShapeRef& s, const float* world) {
  float p[3];
  ToLocal(world, s.t, p);
  switch (s.kind) {
    case ShapeRef::kSphere:
      return std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]) - s.size[0];
    case ShapeRef::kBox: {
      float q[3], out2 = 0.0f, in = -1e30f;
      for (int i = 0; i < 3; ++i) {
        q[i] = std::fabs(p[i]) - s.size[i];
        out2 += q[i] > 0 ? q[i] * q[i] : 0.0f;
        in = std::max(in, q[i]);
      }
      return out2 > 0 ? std::sqrt(out2) : std::min(in, 0.0f);
    }
    case ShapeRef::kCylinder: {
      const float dx = std::sqrt(p[0] * p[0] + p[1] * p[1]) - s.size[0];
      const float dz = std::fabs(p[2]) - s.size[1];
      const float ox = std::max(dx, 0.0f), oz = std::max(dz, 0.0f);
      return std::min(std::max(dx, dz), 0.0f) + std::sqrt(ox * ox + oz * oz);
    }
    case ShapeRef::kCone: {
      const float R = s.size[0], A = s.size[1], B = s.size[2];
      const float rho = std::sqrt(p[0] * p[0] + p[1] * p[1]), z = p[2];
      const float slant = std::sqrt(R * R + (A + B) * (A + B));
      const float side = ((rho - R) * (A + B) + (z + B) * R) / slant;  // outward signed
      const float base = -B - z;
      if (side <= 0 && base <= 0) return std::max(side, base);
      return std::min(SegmentDistance2D(rho, z, 0, -B, R, -B),
                      SegmentDistance2D(rho, z, R, -B, 0, A));
    }
  }
  return 0.0f;
}

std::vector<Vec3> SampleSurface(const ShapeRef& s, int n) {
  std::vector<Vec3> out;
  const float pi = 3.14159265f;
  switch (s.kind) {
    case ShapeRef::kSphere: {
      const float golden = pi * (3.0f - std::sqrt(5.0f));
      for (int i = 0; i < n; ++i) {
        const float z = 1.0f - 2.0f * (i + 0.5f) / n, r = std::sqrt(1 - z * z);
        const float a = golden * i;
        out.push_back(ToWorld(s.t, s.size[0] * r * std::cos(a), s.size[0] * r * std::sin(a),
                              s.size[0] * z));
      }
      break;
    }
    case ShapeRef::kBox: {
      const int k = std::max(2, static_cast<int>(std::sqrt(n / 6.0f)));
      for (int axis = 0; axis < 3; ++axis)
        for (int side = -1; side <= 1; side += 2)
          for (int i = 0; i <= k; ++i)
            for (int j = 0; j <= k; ++j) {
              float p[3];
              const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
              p[axis] = side * s.size[axis];
              p[a1] = s.size[a1] * (2.0f * i / k - 1.0f);
              p[a2] = s.size[a2] * (2.0f * j / k - 1.0f);
              out.push_back(ToWorld(s.t, p[0], p[1], p[2]));
            }
      break;
    }
    case ShapeRef::kCylinder:
    case ShapeRef::kCone: {
      const bool cone = s.kind == ShapeRef::kCone;
      const float R = s.size[0];
      const float top = cone ? s.size[1] : s.size[1], bottom = cone ? -s.size[2] : -s.size[1];
      const int around = std::max(8, static_cast<int>(std::sqrt(n / 2.0f)));
      const int rings = std::max(2, around / 3);
      for (int i = 0; i < around; ++i) {
        const float a = 2 * pi * i / around, c = std::cos(a), sn = std::sin(a);
        for (int j = 0; j <= rings; ++j) {
          const float f = float(j) / rings;
          const float z = bottom + f * (top - bottom);
          const float r = cone ? R * (1 - f) : R;
          out.push_back(ToWorld(s.t, r * c, r * sn, z));           // side
          out.push_back(ToWorld(s.t, R * f * c, R * f * sn, bottom));  // lower disc
          if (!cone) out.push_back(ToWorld(s.t, R * f * c, R * f * sn, top));
        }
      }
      break;
    }
  }
  return out;
}

float SampledDistance(const ShapeRef& a, const ShapeRef& b, int n) {
  float best = 1e30f;
  for (const Vec3& p : SampleSurface(a, n)) best = std::min(best, SignedDistance(b, p.data()));
  for (const Vec3& p : SampleSurface(b, n)) best = std::min(best, SignedDistance(a, p.data()));
  return best;
}

float SampledGap(const ShapeRef& a, const ShapeRef& b, const float* n, int samples) {
  float lo = 1e30f, hi = -1e30f;
  for (const Vec3& p : SampleSurface(a, samples)) lo = std::min(lo, Dot(p.data(), n));
  for (const Vec3& p : SampleSurface(b, samples)) hi = std::max(hi, Dot(p.data(), n));
  return lo - hi;
}

void Terrain::Build(int cells, float cell, float x0, float y0,
                    const std::function<float(float, float)>& height) {
  const int base = static_cast<int>(vertices.size());
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) {
      const float x = x0 + i * cell, y = y0 + j * cell;
      vertices.push_back({x, y, height(x, y)});
    }
  auto at = [&](int i, int j) { return base + j * (cells + 1) + i; };
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  normals.clear();
  for (const auto& t : triangles) normals.push_back(UnitNormal(vertices[t[0]], vertices[t[1]], vertices[t[2]]));
  out.resize(triangles.size());
}

void Terrain::AddTriangle(Vec3 a, Vec3 b, Vec3 c) {
  const int base = static_cast<int>(vertices.size());
  vertices.push_back(a);
  vertices.push_back(b);
  vertices.push_back(c);
  triangles.push_back({base, base + 1, base + 2});
  normals.push_back(UnitNormal(a, b, c));
  out.resize(triangles.size());
}

int Terrain::Generate(const float* centre, float radius) {
  ++generatorCalls;
  lastRadius = radius;
  lastCentre = {centre[0], centre[1], centre[2]};
  int n = 0;
  for (size_t k = 0; k < triangles.size(); ++k) {
    const auto& t = triangles[k];
    bool near = true;
    for (int i = 0; i < 3 && near; ++i) {
      float lo = vertices[t[0]][i], hi = lo;
      for (int v = 1; v < 3; ++v) {
        lo = std::min(lo, vertices[t[v]][i]);
        hi = std::max(hi, vertices[t[v]][i]);
      }
      near = centre[i] + radius >= lo && centre[i] - radius <= hi;
    }
    if (!near) continue;
    McdUserTriangle& u = out[n++];
    for (int v = 0; v < 3; ++v) u.vertices[v] = vertices[t[v]].data();
    u.normal = normals[k].data();
    u.element1 = k;
    u.element2 = 1000 + k;
  }
  lastCount = n;
  return forceCount >= 0 ? forceCount : n;
}

ShapePairTest::ShapePairTest() {
  g_current = this;
  McdInit(McdPrimitivesGetTypeCount() + 1, 1024);
  McdPrimitivesRegisterTypes();
  McdPrimitivesRegisterInteractions();
}

ShapePairTest::~ShapePairTest() {
  for (McdModelPair* p : pairs_) {
    McdGoodbye(p);
    McdModelPairDestroy(p);
  }
  for (auto& o : owned_) {
    McdGeometryID g = McdModelGetGeometry(o->model);
    McdModelDestroy(o->model);
    McdGeometryDestroy(g);
  }
  g_terrains.clear();
  McdTerm();
  g_current = nullptr;
}

McdModel* ShapePairTest::Keep(McdGeometryID g, const Transform& t, float padding) {
  auto owned = std::make_unique<Owned>();
  owned->t = t;
  owned->model = McdModelCreate(g);
  McdModelSetTransformPtr(owned->model, owned->t.data());
  McdModelSetPadding(owned->model, padding);
  McdModel* m = owned->model;
  owned_.push_back(std::move(owned));
  return m;
}

McdModel* ShapePairTest::AddSphere(float r, const Transform& t, float padding) {
  return Keep(McdSphereCreate(r), t, padding);
}
McdModel* ShapePairTest::AddBox(Vec3 half, const Transform& t, float padding) {
  return Keep(McdBoxCreate(2 * half[0], 2 * half[1], 2 * half[2]), t, padding);
}
McdModel* ShapePairTest::AddPlane(const Transform& t, float padding) {
  return Keep(McdPlaneCreate(), t, padding);
}
McdModel* ShapePairTest::AddCylinder(float radius, float height, const Transform& t, float padding) {
  return Keep(McdCylinderCreate(radius, height), t, padding);
}
McdModel* ShapePairTest::AddCone(float height, float radius, const Transform& t, float padding) {
  return Keep(McdConeCreateSimple(height, radius), t, padding);
}
McdModel* ShapePairTest::AddTerrain(Terrain* terrain, const Transform& t, float padding) {
  McdGeometryID g = McdTriangleListCreate(100, 100, 100, TerrainGenerator);
  McdTriangleListSetTriangles(g, terrain->out.data(), static_cast<int>(terrain->out.size()));
  g_terrains.push_back({g, terrain});
  return Keep(g, t, padding);
}

ShapeRef ShapePairTest::Ref(const McdModel* model) const {
  McdGeometryID g = model->geometry;
  const int type = g->type;
  ShapeRef s{};
  for (auto& o : owned_)
    if (o->model == model) s.t = o->t;
  if (type == McdSphereGetTypeId()) {
    s.kind = ShapeRef::kSphere;
    s.size = {McdSphereGetRadius(g), 0, 0};
  } else if (type == McdBoxGetTypeId()) {
    s.kind = ShapeRef::kBox;
    const float* e = McdBoxGetRadii(g);
    s.size = {e[0], e[1], e[2]};
  } else if (type == McdCylinderGetTypeId()) {
    s.kind = ShapeRef::kCylinder;
    s.size = {McdCylinderGetRadius(g), McdCylinderGetHalfHeight(g), 0};
  } else {
    s.kind = ShapeRef::kCone;
    s.size = {McdConeGetRadius(g), McdConeGetApexDistance(g), McdConeGetBaseDistance(g)};
  }
  return s;
}

Transform& ShapePairTest::TransformOf(McdModel* model) {
  for (auto& o : owned_)
    if (o->model == model) return o->t;
  throw std::logic_error("unknown model");
}

McdModelPair* ShapePairTest::Open(McdModel* first, McdModel* second) {
  McdModelPair* p = McdModelPairCreate(first, second);
  McdHello(p);
  pairs_.push_back(p);
  return p;
}

int ShapePairTest::Intersect(McdModelPair* pair, int capacity) {
  contacts_.assign(capacity > 0 ? capacity : 1, McdContact{});
  result_ = McdIntersectResult{};
  result_.pair = pair;
  result_.contacts = contacts_.data();
  result_.contactMaxCount = capacity;
  McdIntersect(pair, &result_);
  return result_.touch;
}

float ShapePairTest::ExpectConsistent(McdModelPair* pair, int budget, float tol) {
  const ShapeRef a = Ref(pair->model1), b = Ref(pair->model2);
  const float margin = pair->model1->padding + pair->model2->padding;
  const float distance = SampledDistance(a, b);
  if (distance > margin + tol) {
    EXPECT_EQ(result_.touch, 0) << "apart by " << distance;
  }
  if (distance < -tol) {
    EXPECT_EQ(result_.touch, 1) << "overlapping by " << -distance;
  }
  if (!result_.touch) return distance;
  EXPECT_NEAR(Length(result_.normal), 1.0f, 1e-4f);
  EXPECT_LE(result_.contactCount, budget);
  EXPECT_GE(result_.contactCount, 1);
  float best = 1e30f;
  for (int i = 0; i < result_.contactCount; ++i) {
    const McdContact& c = result_.contacts[i];
    best = std::min(best, c.separation);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(c.normal[k], result_.normal[k], 1e-5f);
    EXPECT_LE(SignedDistance(a, c.position), margin + tol) << "contact " << i;
    EXPECT_LE(SignedDistance(b, c.position), margin + tol) << "contact " << i;
  }
  const float gap = SampledGap(a, b, result_.normal);
  // The reduction keeps the hull of the contact region; for shallow contacts
  // that holds the deepest point, for deep overlaps it need not.
  EXPECT_GE(best, gap - tol) << "no contact deeper than the sampled gap along the normal";
  if (gap > -0.1f) {
    EXPECT_NEAR(best, gap, tol) << "deepest contact against the sampled gap";
  }
  EXPECT_LE(best, std::max(distance, 0.0f) + tol);
  return distance;
}
