#include "pair_fixture.h"

#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_sphere.h"

namespace {

// Rodrigues: rows are the images of the local axes (row vectors).
void Rotation(float* m, Vec3 axis, float angle) {
  float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  float x = axis[0] / len, y = axis[1] / len, z = axis[2] / len;
  float c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  // Column-vector matrix R; rows of the transform are R's columns.
  float R[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                   {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                   {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) m[4 * r + k] = R[k][r];
}

}  // namespace

std::array<float, 16> MakeTransform(Vec3 position, Vec3 axis, float angle) {
  std::array<float, 16> m{};
  Rotation(m.data(), axis, angle);
  m[12] = position[0];
  m[13] = position[1];
  m[14] = position[2];
  m[15] = 1.0f;
  return m;
}

std::array<float, 16> MakeTransform2(Vec3 position, Vec3 axis1, float angle1, Vec3 axis2,
                                     float angle2) {
  float a[16] = {}, b[16] = {};
  Rotation(a, axis1, angle1);
  Rotation(b, axis2, angle2);
  std::array<float, 16> m{};
  // Row vectors: first a, then b.
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      m[4 * r + k] = a[4 * r] * b[k] + a[4 * r + 1] * b[4 + k] + a[4 * r + 2] * b[8 + k];
  m[12] = position[0];
  m[13] = position[1];
  m[14] = position[2];
  m[15] = 1.0f;
  return m;
}

float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
float Length(const float* v) { return std::sqrt(Dot(v, v)); }

static void ToLocal(const float* p, const float* t, float* local) {
  float d[3] = {p[0] - t[12], p[1] - t[13], p[2] - t[14]};
  for (int k = 0; k < 3; ++k) local[k] = Dot(d, t + 4 * k);
}

float DistanceToBox(const float* p, const float* t, const float* h) {
  float l[3];
  ToLocal(p, t, l);
  float sum = 0;
  for (int k = 0; k < 3; ++k) {
    float out = std::fabs(l[k]) - h[k];
    if (out > 0) sum += out * out;
  }
  return std::sqrt(sum);
}

float DepthInBox(const float* p, const float* t, const float* h) {
  float l[3];
  ToLocal(p, t, l);
  float depth = 1e30f;
  for (int k = 0; k < 3; ++k) depth = std::fmin(depth, h[k] - std::fabs(l[k]));
  return depth > 0 ? depth : 0;
}

PairFixture::PairFixture() {
  McdInit(McdPrimitivesGetTypeCount() + 1, 1024);
  McdPrimitivesRegisterTypes();
  McdPrimitivesRegisterInteractions();
}

PairFixture::~PairFixture() {
  for (McdModelPair* p : pairs_) McdModelPairDestroy(p);
  for (McdModel* m : models_) {
    McdGeometryDestroy(McdModelGetGeometry(m));
    McdModelDestroy(m);
  }
  McdTerm();
}

McdModel* PairFixture::Keep(McdGeometryID geometry, const std::array<float, 16>& transform,
                            float padding, bool noTransform) {
  auto owned = std::make_unique<Owned>();
  owned->transform = transform;
  McdModel* model = McdModelCreate(geometry);
  if (!noTransform) McdModelSetTransformPtr(model, owned->transform.data());
  McdModelSetPadding(model, padding);
  owned_.push_back(std::move(owned));
  models_.push_back(model);
  return model;
}

McdModel* PairFixture::AddSphere(float radius, const std::array<float, 16>& transform,
                                 float padding) {
  return Keep(McdSphereCreate(radius), transform, padding, false);
}

McdModel* PairFixture::AddBox(Vec3 sides, const std::array<float, 16>& transform, float padding) {
  return Keep(McdBoxCreate(sides[0], sides[1], sides[2]), transform, padding, false);
}

McdModel* PairFixture::AddPlane(const std::array<float, 16>& transform, float padding,
                                bool noTransform) {
  return Keep(McdPlaneCreate(), transform, padding, noTransform);
}

void PairFixture::SetVelocity(McdModel* model, Vec3 linear, Vec3 angular) {
  for (size_t i = 0; i < models_.size(); ++i)
    if (models_[i] == model) {
      owned_[i]->linear = linear;
      owned_[i]->angular = angular;
      McdModelSetLinearVelocityPtr(model, owned_[i]->linear.data());
      McdModelSetAngularVelocityPtr(model, owned_[i]->angular.data());
    }
}

McdModelPair* PairFixture::Open(McdModel* first, McdModel* second) {
  McdModelPair* pair = McdModelPairCreate(first, second);
  McdHello(pair);
  pairs_.push_back(pair);
  return pair;
}

int PairFixture::Intersect(McdModelPair* pair, int capacity) {
  contacts_.assign(capacity > 0 ? capacity : 1, McdContact{});
  result_ = McdIntersectResult{};
  result_.contacts = contacts_.data();
  result_.contactMaxCount = capacity;
  result_.contactCount = -1;
  McdIntersect(pair, &result_);
  return result_.touch;
}
