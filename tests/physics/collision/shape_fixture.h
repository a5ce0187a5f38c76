// Set-up and brute-force references for the cylinder, cone and triangle-list
// tests: a framework with every pair registered, models of all six types
// with transforms the fixture owns, a heightfield triangle generator, exact
// signed distances of each convex shape, and dense samplings of their
// surfaces.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "pair_fixture.h"
#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_triangle_list.h"

using Transform = std::array<float, 16>;

// A convex shape as the references see it.
struct ShapeRef {
  enum Kind { kSphere, kBox, kCylinder, kCone } kind;
  Vec3 size;  // sphere (r); box (half-extents); cylinder (R, h); cone (R, A, B)
  Transform t;
};
// Signed distance from the world point p to the shape (negative inside).
float SignedDistance(const ShapeRef& s, const float* p);
// About `n` world points spread over the shape's surface.
std::vector<Vec3> SampleSurface(const ShapeRef& s, int n);
// Smallest signed distance from shape a's surface samples to shape b: the
// distance when apart, minus (about) the deepest point of a in b otherwise.
float SampledDistance(const ShapeRef& a, const ShapeRef& b, int n = 6000);
// Gap along the unit n between the shapes: min over a of x.n - max over b of
// y.n, from their samples.
float SampledGap(const ShapeRef& a, const ShapeRef& b, const float* n, int samples = 6000);

// A triangulated heightfield z = height(x, y) over a square grid, handed out
// by the triangle-list generator (only the triangles whose box meets the
// query sphere, in the list's frame).  User words: element1 = triangle index,
// element2 = 1000 + index.
struct Terrain {
  std::vector<Vec3> vertices;
  std::vector<Vec3> normals;
  std::vector<std::array<int, 3>> triangles;
  std::vector<McdUserTriangle> out;  // the array lent to the list
  int generatorCalls = 0;
  int lastCount = 0;
  float lastRadius = 0.0f;
  Vec3 lastCentre{};
  int forceCount = -1;  // >= 0: report this count whatever was written
  // cells x cells squares of side `cell` starting at (x0, y0).
  void Build(int cells, float cell, float x0, float y0, const std::function<float(float, float)>& height);
  // One triangle with the given vertices (counter-clockwise seen from the
  // normal's side).
  void AddTriangle(Vec3 a, Vec3 b, Vec3 c);
  int Generate(const float* centre, float radius);
};

class ShapePairTest : public ::testing::Test {
 protected:
  ShapePairTest();
  ~ShapePairTest() override;

  McdModel* AddSphere(float r, const Transform& t, float padding = 0.0f);
  McdModel* AddBox(Vec3 half, const Transform& t, float padding = 0.0f);
  McdModel* AddPlane(const Transform& t, float padding = 0.0f);
  McdModel* AddCylinder(float radius, float height, const Transform& t, float padding = 0.0f);
  McdModel* AddCone(float height, float radius, const Transform& t, float padding = 0.0f);
  McdModel* AddTerrain(Terrain* terrain, const Transform& t, float padding = 0.0f);
  // The reference of a sphere, box, cylinder or cone model.
  ShapeRef Ref(const McdModel* model) const;
  Transform& TransformOf(McdModel* model);

  McdModelPair* Open(McdModel* first, McdModel* second);
  int Intersect(McdModelPair* pair, int capacity = 16);
  // Checks the last result of the pair (both models convex) against the
  // sampled references: no touch when the shapes are farther apart than the
  // margin, a touch when they overlap; when touching, a unit normal, at most
  // `budget` contacts lying on or in both shapes, none deeper than the
  // sampled gap along the normal, the deepest equal to it for shallow
  // contacts, and none above the true distance.  Answers the sampled
  // distance.
  float ExpectConsistent(McdModelPair* pair, int budget, float tol = 0.01f);

  McdIntersectResult result_{};
  std::vector<McdContact> contacts_;

 private:
  struct Owned {
    McdModel* model;
    Transform t;
  };
  McdModel* Keep(McdGeometryID g, const Transform& t, float padding);
  std::vector<std::unique_ptr<Owned>> owned_;
  std::vector<McdModelPair*> pairs_;
};
