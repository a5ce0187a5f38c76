// Time per call of the box-box and box-plane pair tests on a few placements
// (face, edge and vertex contact, a turned overlap, and apart), each asking
// for at most 4 contacts.  Where ODE is installed, its dCollide runs on the
// same placements with the same contact limit in the same process; the
// contact counts and the time ratio (ours / ODE) are printed at the end.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/physics_bench_common.h"
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_primitives.h"

namespace {

using physics_bench::AxisAngleRows;

using Transform = std::array<float, 16>;

// Axis-angle turn (rows are the turned local axes), then a second turn,
// then the position.
Transform Make(float x, float y, float z, const float* axis1 = nullptr, float angle1 = 0,
               const float* axis2 = nullptr, float angle2 = 0) {
  const float none[3] = {0, 0, 1};
  float a[16] = {}, b[16] = {};
  AxisAngleRows(a, axis1 ? axis1 : none, angle1);
  AxisAngleRows(b, axis2 ? axis2 : none, angle2);
  Transform m{};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      m[4 * r + k] = a[4 * r] * b[k] + a[4 * r + 1] * b[4 + k] + a[4 * r + 2] * b[8 + k];
  m[12] = x;
  m[13] = y;
  m[14] = z;
  m[15] = 1;
  return m;
}

const float kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0}, kZ[3] = {0, 0, 1}, kSkew[3] = {1, 2, 3};

struct Placement {
  const char* name;
  std::array<float, 3> sides1;
  Transform t1;
  std::array<float, 3> sides2;  // unused for box-plane (the plane is z = 0)
  Transform t2;
};

std::vector<Placement> BoxBoxPlacements() {
  const float r2 = std::sqrt(2.0f), r3 = std::sqrt(3.0f);
  return {
      {"face", {1, 1, 1}, Make(0.3f, -0.2f, 2.45f), {4, 4, 4}, Make(0, 0, 0)},
      {"edge", {2, 2, 2}, Make(0, 0, 2 * r2 - 0.02f, kX, 0.785398f), {2, 2, 2}, Make(0, 0, 0, kY, 0.785398f)},
      {"vertex", {2, 2, 2}, Make(0, 0, r3 - 0.05f, kX, 0.785398f, kY, 0.615480f), {4, 4, 2}, Make(0, 0, -1)},
      {"turned", {2, 1, 1.5f}, Make(0.4f, 0.9f, 0.7f, kSkew, 0.9f), {1.5f, 2, 1}, Make(0, 0, 0, kZ, 0.3f)},
      {"apart", {1, 1, 1}, Make(3, 0.5f, 0.2f, kSkew, 0.4f), {2, 2, 2}, Make(0, 0, 0)},
  };
}

std::vector<Placement> BoxPlanePlacements() {
  const float r2 = std::sqrt(2.0f), r3 = std::sqrt(3.0f);
  return {
      {"face", {2, 2, 2}, Make(0, 0, 0.95f), {}, Make(0, 0, 0)},
      {"edge", {2, 2, 2}, Make(0, 0, r2 - 0.05f, kX, 0.785398f), {}, Make(0, 0, 0)},
      {"vertex", {2, 2, 2}, Make(0, 0, r3 - 0.05f, kX, 0.785398f, kY, 0.615480f), {}, Make(0, 0, 0)},
      {"turned", {2, 1, 1.5f}, Make(0.4f, 0.9f, 0.5f, kSkew, 0.9f), {}, Make(0, 0, 0)},
      {"apart", {2, 2, 2}, Make(0, 0, 3), {}, Make(0, 0, 0)},
  };
}

std::map<std::string, int> g_contacts;

// Our side: models opened as the space would, run through McdIntersect.
class OurPair {
 public:
  OurPair(const Placement& p, bool plane) : t1_(p.t1), t2_(p.t2) {
    McdGeometryID g1 = McdBoxCreate(p.sides1[0], p.sides1[1], p.sides1[2]);
    McdGeometryID g2 = plane ? McdPlaneCreate() : McdBoxCreate(p.sides2[0], p.sides2[1], p.sides2[2]);
    bench_.Open(g1, g2, t1_.data(), t2_.data(), {4, 0});
  }
  int Run() { return bench_.Run(); }

 private:
  Transform t1_, t2_;
  physics_bench::McdPairBench bench_;
};

void BM_Ours(benchmark::State& state, Placement p, bool plane, std::string key) {
  OurPair pair(p, plane);
  physics_bench::TimeContactCalls(state, [&] { return pair.Run(); }, g_contacts, key);
}

#ifdef HALBERD_BENCH_ODE
void BM_Ode(benchmark::State& state, Placement p, bool plane, std::string key) {
  dGeomID a = dCreateBox(nullptr, p.sides1[0], p.sides1[1], p.sides1[2]);
  physics_bench::OdePlace(a, p.t1.data());
  dGeomID b;
  if (plane) {
    const float* n = p.t2.data() + 8;
    const float* o = p.t2.data() + 12;
    b = dCreatePlane(nullptr, n[0], n[1], n[2], n[0] * o[0] + n[1] * o[1] + n[2] * o[2]);
  } else {
    b = dCreateBox(nullptr, p.sides2[0], p.sides2[1], p.sides2[2]);
    physics_bench::OdePlace(b, p.t2.data());
  }
  dContactGeom contacts[4];
  physics_bench::TimeContactCalls(
      state, [&] { return dCollide(a, b, 4, contacts, sizeof(dContactGeom)); }, g_contacts, key);
  dGeomDestroy(a);
  dGeomDestroy(b);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  struct Family {
    const char* name;
    std::vector<Placement> placements;
    bool plane;
  };
  const Family families[] = {{"BoxBox", BoxBoxPlacements(), false},
                             {"BoxPlane", BoxPlanePlacements(), true}};
  for (const Family& f : families)
    for (const Placement& p : f.placements) {
      std::string ours = std::string(f.name) + "/halberd/" + p.name;
      benchmark::RegisterBenchmark(ours.c_str(), BM_Ours, p, f.plane, ours);
#ifdef HALBERD_BENCH_ODE
      std::string ode = std::string(f.name) + "/ode/" + p.name;
      benchmark::RegisterBenchmark(ode.c_str(), BM_Ode, p, f.plane, ode);
#endif
    }
  physics_bench::RatioReporter reporter;
  physics_bench::RunWithRatios(&argc, argv, &reporter);

#ifdef HALBERD_BENCH_ODE
  std::printf("\n%-10s %-8s %10s %10s %9s %9s %8s\n", "pair", "case", "ours ns", "ODE ns",
              "ours cts", "ODE cts", "ratio");
  for (const Family& f : families)
    for (const Placement& p : f.placements) {
      std::string ours = std::string(f.name) + "/halberd/" + p.name;
      std::string ode = std::string(f.name) + "/ode/" + p.name;
      char label[64];
      std::snprintf(label, sizeof label, "%-10s %-8s", f.name, p.name);
      physics_bench::PrintContactRatioRow(label, reporter, g_contacts, ours, ode);
    }
#else
  std::printf("\nODE is not installed: no ratios.\n");
#endif
  physics_bench::OdeClose();
  benchmark::Shutdown();
  return 0;
}
