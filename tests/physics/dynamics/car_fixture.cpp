#include "car_fixture.h"

#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/util/me_math.h"

namespace mdt_test {

Car::Car(Scene& s, float x, float y, float z) {
  chassis = s.Box(2, 0.5f, 4, 100, x, y, z);
  MdtBody* c = McdModelGetBody(chassis);
  const float wx[4] = {-1.2f, 1.2f, -1.2f, 1.2f};
  const float wz[4] = {1.4f, 1.4f, -1.4f, -1.4f};
  for (int i = 0; i < 4; ++i) {
    const float px = x + wx[i], py = y - 0.5f, pz = z + wz[i];
    wheels[i] = s.Sphere(wheelRadius, 10, px, py, pz);
    McdSpaceDisablePair(chassis, wheels[i]);
    MdtWheelJoint* j = MdtWheelJointCreate(s.world);
    MdtConstraintSetBodies(j, c, McdModelGetBody(wheels[i]));
    MdtWheelJointSetPosition(j, px, py, pz);
    MdtWheelJointSetSteeringAxis(j, 0, 1, 0);
    MdtWheelJointSetSpinAxis(j, 1, 0, 0);
    MdtWheelJointSetSuspension(j, 8000, 400, 0, -0.2f, 0.2f, 0);
    // The rear wheels do not steer: the lock holds their angle at zero (the
    // steering motor alone holds only the rate, and the angle creeps).
    if (i >= 2) MdtWheelJointSetSteeringLock(j, 1);
    MdtConstraintEnable(j);
    joints[i] = j;
  }
}

void Car::Drive(float speed, float torque) {
  for (int i = 2; i < 4; ++i) MdtWheelJointSetDrive(joints[i], speed / wheelRadius, torque);
}

void Car::Steer(float rate) {
  for (int i = 0; i < 2; ++i) MdtWheelJointSetSteeringMotor(joints[i], rate, 1e9f);
}

void Car::Step(Scene& s, float h) {
  for (int i = 0; i < 4; ++i) {
    float a[3];
    MdtWheelJointGetSpinAxis(joints[i], a);
    MdtBodySetFastRotationAxis(McdModelGetBody(wheels[i]), a[0], a[1], a[2]);
  }
  s.Step(h);
}

void Car::SteerTo(float angle) {
  // The steering angle getter measures a turn about +y as negative.
  for (int i = 0; i < 2; ++i)
    MdtWheelJointSetSteeringMotor(joints[i], 8 * (angle + MdtWheelJointGetSteeringAngle(joints[i])), 1e9f);
}

MdtBody* Car::Body() const { return McdModelGetBody(chassis); }

void Car::Forward(float* out) const { MeVector3Copy(out, Body()->transform + 8); }

Terrain::Terrain(float slopeDegrees, float rampStart, float rampEnd)
    : slope_(std::tan(slopeDegrees * 3.14159265f / 180)), start_(rampStart), end_(rampEnd) {
  // One quad per flat or sloped stretch: seams only where the slope changes.
  const float xs[2] = {-12, 12};
  const float zs[4] = {-20, rampStart, rampEnd, 80};
  for (float zz : zs)
    for (float xx : xs) vertices_.insert(vertices_.end(), {xx, Height(zz), zz});
  for (int j = 0; j < 3; ++j) {
    const int a = 2 * j, b = a + 1, c = a + 2, d = a + 3;
    indices_.insert(indices_.end(), {a, c, b, b, c, d});
  }
  for (size_t t = 0; t < indices_.size(); t += 3) {
    const float* p0 = &vertices_[3 * indices_[t]];
    const float* p1 = &vertices_[3 * indices_[t + 1]];
    const float* p2 = &vertices_[3 * indices_[t + 2]];
    float e1[3], e2[3], n[3];
    MeVector3Subtract(e1, p1, p0);
    MeVector3Subtract(e2, p2, p0);
    MeVector3Cross(n, e1, e2);
    MeVector3Scale(n, 1.0f / std::sqrt(MeVector3Dot(n, n)));
    if (n[1] < 0) MeVector3Scale(n, -1);
    normals_.insert(normals_.end(), {n[0], n[1], n[2]});
  }
  out_.resize(128);
  // The list's frame is the world's; its box spans the whole grid.
  geometry = McdTriangleListCreate(60, 2 * (Height(1e9f) + 2), 200, &Terrain::Generate);
  McdTriangleListSetUserData(geometry, reinterpret_cast<MeUserWord>(this));
  McdTriangleListSetTriangles(geometry, out_.data(), static_cast<int>(out_.size()));
  MeMatrix4TMMakeIdentity(transform);
}

Terrain::~Terrain() { McdGeometryDestroy(geometry); }

float Terrain::Height(float z) const {
  if (z <= start_) return 0;
  if (z >= end_) return (end_ - start_) * slope_;
  return (z - start_) * slope_;
}

int Terrain::Generate(McdModelPair* pair, const MeReal* centre, MeReal radius) {
  McdModel* list = pair->model2;
  if (McdGeometryGetType(list->geometry) != McdTriangleListGetTypeId()) list = pair->model1;
  auto* self = reinterpret_cast<Terrain*>(McdTriangleListGetUserData(list->geometry));
  const float* c = centre;
  int n = 0;
  for (size_t t = 0; t < self->indices_.size() && n < static_cast<int>(self->out_.size()); t += 3) {
    float lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      lo[k] = hi[k] = self->vertices_[3 * self->indices_[t] + k];
      for (int v = 1; v < 3; ++v) {
        const float x = self->vertices_[3 * self->indices_[t + v] + k];
        lo[k] = std::min(lo[k], x);
        hi[k] = std::max(hi[k], x);
      }
    }
    bool near = true;
    for (int k = 0; k < 3; ++k) near = near && c[k] + radius >= lo[k] && c[k] - radius <= hi[k];
    if (!near) continue;
    McdUserTriangle& u = self->out_[n++];
    for (int v = 0; v < 3; ++v) u.vertices[v] = &self->vertices_[3 * self->indices_[t + v]];
    u.normal = &self->normals_[t];
    u.element1 = t / 3;
    u.element2 = 0;
  }
  return n;
}

}  // namespace mdt_test
