// Test helpers for the collision layer: a framework set up as the engine
// does it, and models with transforms the helper owns.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_error.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/util/me_math.h"

// A transform the test owns: rotation about a unit axis and a position.
struct TestTransform {
  MeMatrix4 m;
  TestTransform(MeReal x = 0, MeReal y = 0, MeReal z = 0) {
    MeMatrix4TMMakeIdentity(m);
    Place(x, y, z);
  }
  void Place(MeReal x, MeReal y, MeReal z) {
    m[12] = x;
    m[13] = y;
    m[14] = z;
  }
  // Rows are the local axes turned by `angle` about the world axis u.
  void Rotate(const MeReal* u, MeReal angle) {
    MeReal c = std::cos(angle), s = std::sin(angle);
    for (int row = 0; row < 3; ++row) {
      MeVector3 r = {row == 0 ? 1.f : 0.f, row == 1 ? 1.f : 0.f, row == 2 ? 1.f : 0.f};
      MeVector3 uxr;
      MeVector3Cross(uxr, u, r);
      MeReal ur = MeVector3Dot(u, r);
      for (int k = 0; k < 3; ++k) m[4 * row + k] = r[k] * c + uxr[k] * s + u[k] * ur * (1 - c);
    }
  }
};

// McdInit with the primitive types, torn down at the end of the test.
class CollisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    McdErrorResetCounts(McdErrorTable);
    McdInit(McdPrimitivesGetTypeCount() + 1, 500);
    McdPrimitivesRegisterTypes();
  }
  void TearDown() override {
    for (McdModelID m : models_) McdModelDestroy(m);
    for (McdGeometryID g : geometries_) McdGeometryDestroy(g);
    McdTerm();
    McdErrorResetCounts(McdErrorTable);
  }
  // A box model of the given full sizes at (x, y, z).
  McdModelID Box(MeReal sx, MeReal sy, MeReal sz, MeReal x, MeReal y, MeReal z) {
    McdGeometryID g = McdBoxCreate(sx, sy, sz);
    geometries_.push_back(g);
    return Model(g, x, y, z);
  }
  McdModelID Model(McdGeometryID g, MeReal x, MeReal y, MeReal z) {
    transforms_.push_back(std::make_unique<TestTransform>(x, y, z));
    McdModelID m = McdModelCreate(g);
    McdModelSetTransformPtr(m, transforms_.back()->m);
    models_.push_back(m);
    return m;
  }
  TestTransform& TransformOf(McdModelID m) {
    for (size_t i = 0; i < models_.size(); ++i)
      if (models_[i] == m) return *transforms_[i];
    throw std::logic_error("unknown model");
  }
  std::vector<McdModelID> models_;
  std::vector<McdGeometryID> geometries_;
  std::vector<std::unique_ptr<TestTransform>> transforms_;  // parallel to models_
};
