// Time per call of the triangle-list and cylinder pair tests.
//   BoxTriList/N:  a box resting on a gently waved patch of N triangles
//                  (N = 2, 20, 200), every triangle handed to the test;
//   SphereTriList: a sphere resting on the 200-triangle patch;
//   CylCyl/<case>: two cylinders side by side, crossed, stacked, tilted
//                  rim on rim, and apart.
// Each call asks for at most 8 (box) or 4 contacts.  Where ODE is
// installed, dCollide runs on the same placements (a trimesh built from the
// same triangles, ODE's cylinders) in the same process; the contact counts
// and the time ratios (ours / ODE) are printed at the end.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/physics_bench_common.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/collision/mcd_triangle_list.h"

namespace {

using Transform = std::array<float, 16>;

Transform Make(float x, float y, float z, float ax = 0, float ay = 0, float az = 1, float angle = 0) {
  const float axis[3] = {ax, ay, az};
  Transform m{};
  physics_bench::AxisAngleRows(m.data(), axis, angle);
  m[12] = x;
  m[13] = y;
  m[14] = z;
  m[15] = 1;
  return m;
}

// A waved patch over [-0.9, 0.9]^2 split into cx x cy cells of two triangles.
struct Patch {
  std::vector<float> vertices;  // x, y, z
  std::vector<int> indices;     // three per triangle
  std::vector<std::array<float, 3>> normals;
  std::vector<std::array<float, 6>> boxes;  // per triangle: x, y, z min then max
  std::vector<McdUserTriangle> out;
};

float Height(float x, float y) { return 0.02f * std::sin(3 * x) * std::cos(2 * y); }

Patch MakePatch(int cx, int cy) {
  Patch p;
  for (int j = 0; j <= cy; ++j)
    for (int i = 0; i <= cx; ++i) {
      const float x = -0.9f + 1.8f * i / cx, y = -0.9f + 1.8f * j / cy;
      p.vertices.insert(p.vertices.end(), {x, y, Height(x, y)});
    }
  auto at = [&](int i, int j) { return j * (cx + 1) + i; };
  for (int j = 0; j < cy; ++j)
    for (int i = 0; i < cx; ++i) {
      p.indices.insert(p.indices.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      p.indices.insert(p.indices.end(), {at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  for (size_t t = 0; t < p.indices.size(); t += 3) {
    const float* a = &p.vertices[3 * p.indices[t]];
    const float* b = &p.vertices[3 * p.indices[t + 1]];
    const float* c = &p.vertices[3 * p.indices[t + 2]];
    const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                  e1[0] * e2[1] - e1[1] * e2[0]};
    const float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    p.normals.push_back({n[0] / len, n[1] / len, n[2] / len});
    std::array<float, 6> box;
    for (int k = 0; k < 3; ++k) {
      box[k] = std::fmin(a[k], std::fmin(b[k], c[k]));
      box[3 + k] = std::fmax(a[k], std::fmax(b[k], c[k]));
    }
    p.boxes.push_back(box);
  }
  p.out.resize(p.normals.size());
  return p;
}

Patch* g_patch = nullptr;

// Hands out the triangles whose boxes meet the query sphere's box (a linear
// scan over precomputed boxes).
int Generator(McdModelPair* pair, const MeReal* centre, MeReal radius) {
  Patch& p = *g_patch;
  int n = 0;
  for (size_t t = 0; t < p.normals.size(); ++t) {
    const std::array<float, 6>& box = p.boxes[t];
    bool near = true;
    for (int k = 0; k < 3 && near; ++k)
      near = centre[k] + radius >= box[k] && centre[k] - radius <= box[3 + k];
    if (!near) continue;
    McdUserTriangle& u = p.out[n++];
    for (int v = 0; v < 3; ++v) u.vertices[v] = &p.vertices[3 * p.indices[3 * t + v]];
    u.normal = p.normals[t].data();
    u.element1 = t;
    u.element2 = 0;
  }
  reinterpret_cast<McdTriangleList*>(pair->model2->geometry)->triangleCount = n;
  return n;
}

enum class Kind { kBoxList, kSphereList, kCylCyl };

struct Case {
  std::string name;
  Kind kind;
  int cellsX = 0, cellsY = 0;
  Transform t1, t2;
};

std::vector<Case> Cases() {
  const Transform box = Make(0.05f, -0.03f, 0.49f, 0, 0, 1, 0.2f);
  const Transform sphere = Make(0.1f, 0.05f, 0.39f);
  const float h = 1.0f;  // cylinders: radius 0.5, height 2
  return {
      {"BoxTriList/2", Kind::kBoxList, 1, 1, box, Make(0, 0, 0)},
      {"BoxTriList/20", Kind::kBoxList, 5, 2, box, Make(0, 0, 0)},
      {"BoxTriList/200", Kind::kBoxList, 10, 10, box, Make(0, 0, 0)},
      {"SphereTriList/200", Kind::kSphereList, 10, 10, sphere, Make(0, 0, 0)},
      {"CylCyl/parallel", Kind::kCylCyl, 0, 0, Make(0, 0, 0), Make(0.97f, 0, 0.2f)},
      {"CylCyl/crossed", Kind::kCylCyl, 0, 0, Make(0, 0, 0), Make(0, 0.97f, 0, 0, 1, 0, 1.5707963f)},
      {"CylCyl/stacked", Kind::kCylCyl, 0, 0, Make(0, 0, 0), Make(0.3f, 0, 2 * h - 0.03f)},
      {"CylCyl/rim", Kind::kCylCyl, 0, 0, Make(0, 0, 0), Make(0.9625f, 0.05f, 2.0033f, 0, 1, 0, 0.9f)},
      {"CylCyl/apart", Kind::kCylCyl, 0, 0, Make(0, 0, 0), Make(1.6f, 0.4f, 0.3f, 1, 1, 0, 0.7f)},
  };
}

std::map<std::string, int> g_contacts;

class OurPair {
 public:
  explicit OurPair(const Case& c) : t1_(c.t1), t2_(c.t2) {
    int max = 4;
    McdGeometryID g1, g2;
    if (c.kind == Kind::kCylCyl) {
      g1 = McdCylinderCreate(0.5f, 2.0f);
      g2 = McdCylinderCreate(0.5f, 2.0f);
    } else {
      patch_ = MakePatch(c.cellsX, c.cellsY);
      g_patch = &patch_;
      if (c.kind == Kind::kBoxList) {
        g1 = McdBoxCreate(1.0f, 1.0f, 1.0f);
        max = 8;
      } else {
        g1 = McdSphereCreate(0.4f);
      }
      g2 = McdTriangleListCreate(4, 4, 4, Generator);
      McdTriangleListSetTriangles(g2, patch_.out.data(), static_cast<int>(patch_.out.size()));
    }
    bench_.Open(g1, g2, t1_.data(), t2_.data(), {max, 1});
  }
  ~OurPair() { g_patch = nullptr; }
  int Run() { return bench_.Run(); }

 private:
  Transform t1_, t2_;
  Patch patch_;  // outlives bench_, whose triangle list points into it
  physics_bench::McdPairBench bench_;
};

void BM_Ours(benchmark::State& state, Case c, std::string key) {
  OurPair pair(c);
  physics_bench::TimeContactCalls(state, [&] { return pair.Run(); }, g_contacts, key);
}

#ifdef HALBERD_BENCH_ODE

void BM_Ode(benchmark::State& state, Case c, std::string key) {
  dGeomID a, b;
  dTriMeshDataID data = nullptr;
  Patch patch;
  std::vector<dTriIndex> indices;
  int max = 4;
  if (c.kind == Kind::kCylCyl) {
    a = dCreateCylinder(nullptr, 0.5, 2.0);
    b = dCreateCylinder(nullptr, 0.5, 2.0);
    physics_bench::OdePlace(b, c.t2.data());
  } else {
    patch = MakePatch(c.cellsX, c.cellsY);
    indices.assign(patch.indices.begin(), patch.indices.end());
    data = dGeomTriMeshDataCreate();
    dGeomTriMeshDataBuildSingle(data, patch.vertices.data(), 3 * sizeof(float),
                                static_cast<int>(patch.vertices.size() / 3), indices.data(),
                                static_cast<int>(indices.size()), 3 * sizeof(dTriIndex));
    b = dCreateTriMesh(nullptr, data, nullptr, nullptr, nullptr);
    if (c.kind == Kind::kBoxList) {
      a = dCreateBox(nullptr, 1.0, 1.0, 1.0);
      max = 8;
    } else {
      a = dCreateSphere(nullptr, 0.4);
    }
  }
  physics_bench::OdePlace(a, c.t1.data());
  dContactGeom contacts[8];
  physics_bench::TimeContactCalls(
      state, [&] { return dCollide(a, b, max, contacts, sizeof(dContactGeom)); }, g_contacts, key);
  dGeomDestroy(a);
  dGeomDestroy(b);
  if (data) dGeomTriMeshDataDestroy(data);
}
#endif

std::string Key(const Case& c, const char* side) {
  const size_t slash = c.name.find('/');
  return c.name.substr(0, slash) + "/" + side + c.name.substr(slash);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<Case> cases = Cases();
  for (const Case& c : cases) {
    const std::string ours = Key(c, "halberd");
    benchmark::RegisterBenchmark(ours.c_str(), BM_Ours, c, ours);
#ifdef HALBERD_BENCH_ODE
    const std::string ode = Key(c, "ode");
    benchmark::RegisterBenchmark(ode.c_str(), BM_Ode, c, ode);
#endif
  }
  physics_bench::RatioReporter reporter;
  physics_bench::RunWithRatios(&argc, argv, &reporter);

#ifdef HALBERD_BENCH_ODE
  std::printf("\n%-20s %10s %10s %9s %9s %8s\n", "case", "ours ns", "ODE ns", "ours cts",
              "ODE cts", "ratio");
  for (const Case& c : cases) {
    char label[64];
    std::snprintf(label, sizeof label, "%-20s", c.name.c_str());
    physics_bench::PrintContactRatioRow(label, reporter, g_contacts, Key(c, "halberd"), Key(c, "ode"));
  }
#else
  std::printf("\nODE is not installed: no ratios.\n");
#endif
  physics_bench::OdeClose();
  benchmark::Shutdown();
  return 0;
}
