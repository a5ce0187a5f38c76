// Time per constraint solve against row count for three kinds of scene:
// stacks of boxes and pyramids of boxes resting on contacts (normal row plus
// two box-bounded friction rows per contact point), and chains of hinged
// links (five rows per hinge).  Each step packs the rows, solves and
// integrates, with the x86 kernel and with the SSE kernel; where ODE is
// installed, the same scene (same bodies, contact points, hinges, step,
// friction bounds, error reduction and softness) is stepped with its
// dWorldStep in the same process.  A table of ratios is printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/physics_bench_common.h"
#include "physics/solver/kea_constraints.h"
#include "physics/solver/kea_integrate.h"
#include "physics/solver/kea_solve.h"
#include "physics/util/me_message.h"


namespace {

constexpr float kStep = 1.0f / 60.0f;
constexpr float kEpsilon = 0.0001f;  // the engine's world setting
constexpr float kGamma = 0.2f;
constexpr float kFriction = 2.0f;  // box friction bound, newtons
constexpr float kGravity = -9.81f;

struct BodyDef {
  float pos[3];
  float size[3];
  float mass;
};

// A contact point: body a pushed along +n away from body b (b = -1 the world).
struct ContactDef {
  int a, b;
  float pos[3];
};

// A hinge about z at an anchor between body a and body b (-1 the world).
struct HingeDef {
  int a, b;
  float anchor[3];
};

struct Scene {
  std::vector<BodyDef> bodies;
  std::vector<ContactDef> contacts;
  std::vector<HingeDef> hinges;
  int rows() const { return 3 * static_cast<int>(contacts.size()) + 5 * static_cast<int>(hinges.size()); }
};

void addBoxContacts(Scene& s, int upper, int lower, float x0, float x1, float y) {
  for (float x : {x0, x1})
    for (float z : {-0.45f, 0.45f}) s.contacts.push_back({upper, lower, {x, y, z}});
}

Scene stack(int n) {
  Scene s;
  for (int i = 0; i < n; ++i) {
    s.bodies.push_back({{0, 0.5f + i, 0}, {1, 1, 1}, 1});
    addBoxContacts(s, i, i - 1, -0.45f, 0.45f, static_cast<float>(i));
  }
  return s;
}

Scene pyramid(int base) {
  Scene s;
  std::vector<std::vector<int>> rowsOf;
  for (int j = 0; j < base; ++j) {
    std::vector<int> ids;
    for (int i = 0; i < base - j; ++i) {
      const float x = i * 1.0f + 0.5f * j;
      ids.push_back(static_cast<int>(s.bodies.size()));
      s.bodies.push_back({{x, 0.5f + j, 0}, {1, 1, 1}, 1});
      if (j == 0) {
        addBoxContacts(s, ids.back(), -1, x - 0.45f, x + 0.45f, 0);
      } else {
        // Resting on the two boxes below, each under half of it.
        addBoxContacts(s, ids.back(), rowsOf[j - 1][i], x - 0.45f, x - 0.05f, static_cast<float>(j));
        addBoxContacts(s, ids.back(), rowsOf[j - 1][i + 1], x + 0.05f, x + 0.45f, static_cast<float>(j));
      }
    }
    rowsOf.push_back(ids);
  }
  return s;
}

Scene chain(int n) {
  Scene s;
  for (int i = 0; i < n; ++i) {
    s.bodies.push_back({{i + 0.5f, 10, 0}, {1, 0.1f, 0.1f}, 1});
    s.hinges.push_back({i, i - 1, {static_cast<float>(i), 10, 0}});
  }
  return s;
}

// ---- this library -------------------------------------------------------

struct Aligned {
  std::vector<float> raw;
  float* p = nullptr;
  void resize(size_t n) {
    raw.assign(n + 16, 0);
    p = reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(raw.data()) + 15) & ~uintptr_t{15});
  }
};

class KeaScene {
 public:
  KeaScene(const Scene& scene, int kernel) : scene_(scene), kernel_(kernel) {
    const int maxRows = scene.rows() + 8;
    const int constraints = static_cast<int>(scene.contacts.size() + scene.hinges.size());
    jacobian_.resize(static_cast<size_t>(maxRows + 4 * constraints) * keaJacobianRowFloats);
    for (Aligned* a : {&xi_, &c_, &lo_, &hi_, &lambda_, &softness_, &xgamma_}) a->resize(maxRows);
    force_.resize(16 * static_cast<size_t>(constraints));
    groupRows_.assign(2, 0);
    groupJ_.assign(2, 0);
    groupC_.assign(2, 0);
    rowsPer_.assign(constraints, 0);
    firstRow_.assign(constraints, 0);
    pairs_.assign(2 * constraints, 0);
    set_ = keaConstraints{0, 0, groupRows_.data(), groupJ_.data(), groupC_.data(), 0, 0, 0, 0, 0,
                          jacobian_.p, xi_.p, c_.p, lo_.p, hi_.p, lambda_.p, force_.p, softness_.p, xgamma_.p,
                          rowsPer_.data(), firstRow_.data(), pairs_.data()};
    for (const BodyDef& d : scene.bodies) {
      keaBody b{};
      b.tag = keaBodyTagValid;
      b.size = sizeof(keaBody);
      b.invMass = 1.0f / d.mass;
      const float sx = d.size[0], sy = d.size[1], sz = d.size[2];
      b.I[0] = d.mass * (sy * sy + sz * sz) / 12;
      b.I[5] = d.mass * (sx * sx + sz * sz) / 12;
      b.I[10] = d.mass * (sx * sx + sy * sy) / 12;
      b.qrot[0] = 1;
      initial_.push_back(b);
      float t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, d.pos[0], d.pos[1], d.pos[2], 1};
      initialTransforms_.insert(initialTransforms_.end(), t, t + 16);
    }
    pool_.resize(keaMemoryRequired(scene.rows(), static_cast<int>(scene.bodies.size())));
  }

  // One world step of the scene from its initial state.
  // Largest linear acceleration left by the last solve (a resting stack or
  // pyramid should be near 0).
  float largestAcceleration() const {
    float m = 0;
    for (const keaBody& b : bodies_)
      for (int k = 0; k < 3; ++k) m = std::max(m, std::fabs(b.accel[k]));
    return m;
  }

  void step() {
    bodies_ = initial_;
    transforms_ = initialTransforms_;
    for (keaBody& b : bodies_) b.force[1] = kGravity / b.invMass;
    pack();
    keaParameters params{kStep, kEpsilon, kGamma, 10, pool_.data(), static_cast<int>(pool_.size()), kernel_, 0};
    keaSolve(set_, bodies_.data(), transforms_.data(), static_cast<int>(bodies_.size()), params);
    keaIntegrate(bodies_.data(), transforms_.data(), static_cast<int>(bodies_.size()), &params);
  }

 private:
  const float* position(int body) const { return &transforms_[16 * body + 12]; }

  // A row of direction d at point p between bodies a and b (b may be the world).
  void pointRow(int row, int a, int b, const float* d, const float* p) {
    float j0[6], j1[6];
    const float* pa = position(a);
    const float r0[3] = {p[0] - pa[0], p[1] - pa[1], p[2] - pa[2]};
    j0[0] = d[0], j0[1] = d[1], j0[2] = d[2];
    j0[3] = r0[1] * d[2] - r0[2] * d[1];
    j0[4] = r0[2] * d[0] - r0[0] * d[2];
    j0[5] = r0[0] * d[1] - r0[1] * d[0];
    if (b >= 0) {
      const float* pb = position(b);
      const float r1[3] = {p[0] - pb[0], p[1] - pb[1], p[2] - pb[2]};
      j1[0] = -d[0], j1[1] = -d[1], j1[2] = -d[2];
      j1[3] = -(r1[1] * d[2] - r1[2] * d[1]);
      j1[4] = -(r1[2] * d[0] - r1[0] * d[2]);
      j1[5] = -(r1[0] * d[1] - r1[1] * d[0]);
    }
    keaConstraintsSetJacobianRow(&set_, row, j0, b >= 0 ? j1 : nullptr);
  }

  void angularRow(int row, int b, const float* axis) {
    const float j0[6] = {0, 0, 0, axis[0], axis[1], axis[2]};
    const float j1[6] = {0, 0, 0, -axis[0], -axis[1], -axis[2]};
    keaConstraintsSetJacobianRow(&set_, row, j0, b >= 0 ? j1 : nullptr);
  }

  void pack() {
    keaConstraintsReset(&set_);
    const int rows = scene_.rows();
    const int constraints = static_cast<int>(scene_.contacts.size() + scene_.hinges.size());
    keaConstraintsZero(&set_, rows + 4 * constraints, rows, constraints);
    static const float up[3] = {0, 1, 0}, t1[3] = {1, 0, 0}, t2[3] = {0, 0, 1};
    for (const ContactDef& c : scene_.contacts) {
      const int r = keaConstraintsCurrentRow(&set_);
      pointRow(0, c.a, c.b, up, c.pos);
      pointRow(1, c.a, c.b, t1, c.pos);
      pointRow(2, c.a, c.b, t2, c.pos);
      set_.lo[r] = 0;
      set_.hi[r] = MeInfinity;
      for (int f = 1; f < 3; ++f) {
        set_.lo[r + f] = -kFriction;
        set_.hi[r + f] = kFriction;
      }
      keaConstraintsAddConstraint(&set_, 3, c.a, c.b);
    }
    for (const HingeDef& h : scene_.hinges) {
      const int r = keaConstraintsCurrentRow(&set_);
      for (int k = 0; k < 3; ++k) {
        float e[3] = {0, 0, 0};
        e[k] = 1;
        pointRow(k, h.a, h.b, e, h.anchor);
      }
      angularRow(3, h.b, t1);  // the hinge turns about z: x and y spins match
      angularRow(4, h.b, up);
      for (int k = 0; k < 5; ++k) {
        set_.lo[r + k] = -MeInfinity;
        set_.hi[r + k] = MeInfinity;
      }
      keaConstraintsAddConstraint(&set_, 5, h.a, h.b);
    }
    keaConstraintsEndGroup(&set_);
  }

  const Scene& scene_;
  int kernel_;
  Aligned jacobian_, xi_, c_, lo_, hi_, lambda_, force_, softness_, xgamma_;
  std::vector<int> groupRows_, groupJ_, groupC_, rowsPer_, firstRow_, pairs_;
  keaConstraints set_;
  std::vector<keaBody> initial_, bodies_;
  std::vector<float> initialTransforms_, transforms_;
  std::vector<unsigned char> pool_;
};

// ---- ODE ----------------------------------------------------------------

#ifdef HALBERD_BENCH_ODE
class OdeScene {
 public:
  explicit OdeScene(const Scene& scene) : scene_(scene) {
    world_ = dWorldCreate();
    dWorldSetGravity(world_, 0, kGravity, 0);
    dWorldSetERP(world_, kGamma);
    // ODE's CFM is per unit of impulse; epsilon is per unit of force.
    dWorldSetCFM(world_, kEpsilon * kStep);
    group_ = dJointGroupCreate(0);
    for (const BodyDef& d : scene.bodies) {
      dBodyID b = dBodyCreate(world_);
      dMass m;
      dMassSetBoxTotal(&m, d.mass, d.size[0], d.size[1], d.size[2]);
      dBodySetMass(b, &m);
      bodies_.push_back(b);
    }
    for (const ContactDef& c : scene.contacts) {
      dContact contact{};
      contact.surface.mode = 0;  // box friction: mu is the force bound
      contact.surface.mu = kFriction;
      contact.geom.pos[0] = c.pos[0];
      contact.geom.pos[1] = c.pos[1];
      contact.geom.pos[2] = c.pos[2];
      contact.geom.normal[1] = 1;
      contact.geom.depth = 0;
      dJointID j = dJointCreateContact(world_, group_, &contact);
      dJointAttach(j, bodies_[c.a], c.b >= 0 ? bodies_[c.b] : nullptr);
    }
    for (const HingeDef& h : scene.hinges) {
      dJointID j = dJointCreateHinge(world_, nullptr);
      reset();
      dJointAttach(j, bodies_[h.a], h.b >= 0 ? bodies_[h.b] : nullptr);
      dJointSetHingeAnchor(j, h.anchor[0], h.anchor[1], h.anchor[2]);
      dJointSetHingeAxis(j, 0, 0, 1);
    }
    reset();
  }
  ~OdeScene() {
    dJointGroupDestroy(group_);
    dWorldDestroy(world_);
  }
  void reset() {
    for (size_t i = 0; i < bodies_.size(); ++i) {
      const BodyDef& d = scene_.bodies[i];
      dBodySetPosition(bodies_[i], d.pos[0], d.pos[1], d.pos[2]);
      dQuaternion q = {1, 0, 0, 0};
      dBodySetQuaternion(bodies_[i], q);
      dBodySetLinearVel(bodies_[i], 0, 0, 0);
      dBodySetAngularVel(bodies_[i], 0, 0, 0);
    }
  }
  void step() {
    reset();
    dWorldStep(world_, kStep);
  }

 private:
  const Scene& scene_;
  dWorldID world_;
  dJointGroupID group_;
  std::vector<dBodyID> bodies_;
};
#endif

// ---- benchmarks -----------------------------------------------------------

struct SceneKind {
  const char* name;
  Scene (*make)(int);
  std::vector<int> sizes;
};

const std::vector<SceneKind>& kinds() {
  static const std::vector<SceneKind> k = {
      {"stack", stack, {3, 10, 25, 50, 125}},        // 12 rows per box: 36 .. 1500
      {"pyramid", pyramid, {2, 4, 7, 10}},           // 12 rows a bottom box, 24 above: 48 .. 1200
      {"chain", chain, {6, 24, 60, 150, 300}},       // 5 rows per link: 30 .. 1500
  };
  return k;
}

std::map<std::string, Scene>& scenes() {
  static std::map<std::string, Scene> s;
  return s;
}

void runKea(benchmark::State& state, const Scene* scene, int kernel) {
  KeaScene k(*scene, kernel);
  for (auto _ : state) {
    k.step();
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = scene->rows();
  state.counters["maxAccel"] = k.largestAcceleration();
}

#ifdef HALBERD_BENCH_ODE
void runOde(benchmark::State& state, const Scene* scene) {
  OdeScene o(*scene);
  for (auto _ : state) {
    o.step();
    benchmark::ClobberMemory();
  }
  state.counters["rows"] = scene->rows();
}
#endif

}  // namespace

int main(int argc, char** argv) {
  MeSetInfoOutput(MeOutputNull);
  std::vector<std::string> labels;
  for (const SceneKind& kind : kinds()) {
    for (int size : kind.sizes) {
      const std::string label = std::string(kind.name) + "/" + std::to_string(size);
      Scene& scene = scenes()[label] = kind.make(size);
      labels.push_back(label);
      benchmark::RegisterBenchmark(("kea_x86/" + label).c_str(), runKea, &scene, keaKernelX86)
          ->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("kea_sse/" + label).c_str(), runKea, &scene, keaKernelSse)
          ->Unit(benchmark::kMicrosecond);
#ifdef HALBERD_BENCH_ODE
      benchmark::RegisterBenchmark(("ode_dWorldStep/" + label).c_str(), runOde, &scene)
          ->Unit(benchmark::kMicrosecond);
#endif
    }
  }
  physics_bench::RatioReporter reporter;
  physics_bench::RunWithRatios(&argc, argv, &reporter);

  std::printf("\n%-14s %6s %12s %12s %12s %9s %9s\n", "scene", "rows", "x86 us", "sse us", "ode us", "x86/sse",
              "ode/sse");
  for (const std::string& label : labels) {
    auto get = [&](const char* prefix) { return reporter.Time(std::string(prefix) + "/" + label); };
    const double x86 = get("kea_x86"), sse = get("kea_sse"), ode = get("ode_dWorldStep");
    if (x86 == 0 && sse == 0 && ode == 0) continue;
    std::printf("%-14s %6d %12.1f %12.1f %12.1f %9.2f %9.2f\n", label.c_str(), scenes()[label].rows(), x86, sse,
                ode, sse > 0 ? x86 / sse : 0.0, sse > 0 ? ode / sse : 0.0);
  }
  physics_bench::OdeClose();
  benchmark::Shutdown();
  return 0;
}
