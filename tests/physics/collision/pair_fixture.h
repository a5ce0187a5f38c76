// Shared set-up for the narrow-phase tests: a started collision framework
// with the primitive types and pair tests registered, models placed by
// transforms built from a position and an axis-angle turn, and pairs opened
// the way the space would open them.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"

using Vec3 = std::array<float, 3>;

// A 4x4 transform (axis rows, position row) turned by `angle` radians about
// `axis` (need not be unit), then placed at `position`.
std::array<float, 16> MakeTransform(Vec3 position, Vec3 axis = {0, 0, 1}, float angle = 0.0f);
// Turn `first`, then `second` (both axis-angle), placed at `position`.
std::array<float, 16> MakeTransform2(Vec3 position, Vec3 axis1, float angle1, Vec3 axis2,
                                     float angle2);

float Dot(const float* a, const float* b);
float Length(const float* v);
// Distance from p to the box (half-extents h) placed by transform t; 0 inside.
float DistanceToBox(const float* p, const float* t, const float* h);
// Depth of p inside the box (distance to its nearest face); 0 outside.
float DepthInBox(const float* p, const float* t, const float* h);

class PairFixture : public ::testing::Test {
 protected:
  PairFixture();
  ~PairFixture() override;

  // Models own their transform and velocities in the fixture.
  McdModel* AddSphere(float radius, const std::array<float, 16>& transform, float padding = 0.0f);
  McdModel* AddBox(Vec3 sides, const std::array<float, 16>& transform, float padding = 0.0f);
  // A plane with its own transform; `noTransform` leaves it null (z = 0).
  McdModel* AddPlane(const std::array<float, 16>& transform, float padding = 0.0f,
                     bool noTransform = false);
  // Gives the model velocity pointers.
  void SetVelocity(McdModel* model, Vec3 linear, Vec3 angular = {0, 0, 0});

  // Creates and opens a pair (the framework may exchange the models).
  McdModelPair* Open(McdModel* first, McdModel* second);
  // Runs the pair's intersect function into a fresh result of `capacity`.
  int Intersect(McdModelPair* pair, int capacity = 16);

  McdIntersectResult result_{};
  std::vector<McdContact> contacts_;

 private:
  struct Owned {
    std::array<float, 16> transform;
    Vec3 linear{}, angular{};
  };
  std::vector<std::unique_ptr<Owned>> owned_;
  std::vector<McdModel*> models_;
  std::vector<McdModelPair*> pairs_;
  McdModel* Keep(McdGeometryID geometry, const std::array<float, 16>& transform, float padding,
                 bool noTransform);
};
