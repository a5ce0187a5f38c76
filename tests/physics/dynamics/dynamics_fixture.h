// Shared helpers of the dynamics tests: an owned world, row packing for a
// single constraint, and readers of the packed rows.
#pragma once

#include <memory>
#include <vector>

#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_world.h"
#include "physics/solver/kea_body.h"
#include "physics/solver/kea_constraints.h"

namespace mdt_test {

struct WorldDeleter {
  void operator()(MdtWorld* w) const { MdtWorldDestroy(w); }
};
using WorldPtr = std::unique_ptr<MdtWorld, WorldDeleter>;

// A world with the game's settings: epsilon 0.0001, gravity -9.81 on y,
// automatic disabling on (alive steps 10, thresholds 0.02, 0.001, 0.05,
// 0.002) unless `autoDisable` is false.
WorldPtr EngineWorld(unsigned maxBodies = 200, unsigned maxConstraints = 500, bool autoDisable = true);

// One constraint's rows built by its own builder on packed copies of its
// bodies (body 0 at index 0, body 1 at index 1).
struct BuiltRows {
  int rows = 0;                 // registered rows (0 when none)
  std::vector<float> xi, c, lo, hi, softness, xgamma;
  std::vector<float> j0, j1;    // 6 per row: linear then angular
  int body0 = -2, body1 = -2;   // registered partition indices
  std::vector<keaBody> states;  // the packed states after the builder
};
BuiltRows BuildRows(MdtConstraint* c, float h = 0.02f, float epsilon = 0.01f, float gamma = 0.2f);

}  // namespace mdt_test
