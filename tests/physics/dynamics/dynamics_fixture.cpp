#include "dynamics_fixture.h"

#include <cstring>

#include "physics/util/me_math.h"

namespace mdt_test {

WorldPtr EngineWorld(unsigned maxBodies, unsigned maxConstraints, bool autoDisable) {
  WorldPtr w(MdtWorldCreate(maxBodies, maxConstraints));
  MdtWorldSetGravity(w.get(), 0, -9.81f, 0);
  MdtWorldSetEpsilon(w.get(), 0.0001f);
  MdtWorldSetAutoDisable(w.get(), autoDisable ? 1 : 0);
  MdtWorldSetAutoDisableAliveSteps(w.get(), 10);
  MdtWorldSetAutoDisableVelocityThreshold(w.get(), 0.02f);
  MdtWorldSetAutoDisableAngularVelocityThreshold(w.get(), 0.001f);
  MdtWorldSetAutoDisableAccelerationThreshold(w.get(), 0.05f);
  MdtWorldSetAutoDisableAngularAccelerationThreshold(w.get(), 0.002f);
  return w;
}

namespace {

struct alignas(16) Aligned {
  float v[4096];
};

}  // namespace

BuiltRows BuildRows(MdtConstraint* c, float h, float epsilon, float gamma) {
  constexpr int kRows = 64;
  auto store = std::make_unique<Aligned>();
  std::memset(store->v, 0, sizeof(store->v));
  float* p = store->v;
  auto next = [&p](int n) {
    float* r = p;
    p += (n + 3) & ~3;
    return r;
  };
  int groupRows[2] = {}, groupJ[2] = {}, groupC[2] = {}, rowsPer[4] = {}, firstRow[4] = {}, bodies[8] = {};
  keaConstraints set{};
  set.groupRows = groupRows;
  set.groupJacobianRows = groupJ;
  set.groupConstraints = groupC;
  set.jacobian = next(keaJacobianRowFloats * (kRows + 16));
  set.xi = next(kRows);
  set.c = next(kRows);
  set.lo = next(kRows);
  set.hi = next(kRows);
  set.lambda = next(kRows);
  set.softness = next(kRows);
  set.xgamma = next(kRows);
  set.force = next(64);
  set.rowsPerConstraint = rowsPer;
  set.firstRow = firstRow;
  set.bodies = bodies;
  keaConstraintsReset(&set);
  keaConstraintsZero(&set, kRows + 16, kRows, 4);

  BuiltRows out;
  std::vector<float> transforms(32, 0.0f);
  out.states.resize(2);
  c->bodyIndex[0] = c->body[0] ? 0 : -1;
  c->bodyIndex[1] = c->body[1] ? 1 : -1;
  for (int k = 0; k < 2; ++k) {
    if (!c->body[k]) continue;
    std::memcpy(&transforms[16 * k], c->body[k]->comTransform, sizeof(MeMatrix4));
    out.states[k] = c->body[k]->state;
  }
  const MdtStepParams params{h, epsilon, gamma};
  c->builder(&set, c, transforms.data(), out.states.data(), &params);
  out.rows = set.constraints > 0 ? set.rowsPerConstraint[0] : 0;
  if (out.rows > 0) {
    out.body0 = set.bodies[0];
    out.body1 = set.bodies[1];
  }
  for (int r = 0; r < out.rows; ++r) {
    out.xi.push_back(set.xi[r]);
    out.c.push_back(set.c[r]);
    out.lo.push_back(set.lo[r]);
    out.hi.push_back(set.hi[r]);
    out.softness.push_back(set.softness[r]);
    out.xgamma.push_back(set.xgamma[r]);
    // The first constraint of a group starts at J-block 0; row r sits in
    // block r / 4 at lane r % 4.
    const float* block = set.jacobian + keaJBlockFloats * (r / 4);
    for (int col = 0; col < 6; ++col) {
      out.j0.push_back(block[col * 4 + r % 4]);
      out.j1.push_back(block[24 + col * 4 + r % 4]);
    }
  }
  return out;
}

}  // namespace mdt_test
