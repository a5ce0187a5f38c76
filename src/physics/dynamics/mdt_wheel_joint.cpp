#include "physics/dynamics/mdt_wheel_joint.h"

#include <cmath>

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtWheelJoint) <= MdtConstraintRecordSize, "wheel joint fits a constraint record");

namespace {

const MeReal* chassisT(const MdtWheelJoint* j) { return j->body[0] ? j->body[0]->comTransform : nullptr; }
const MeReal* wheelT(const MdtWheelJoint* j) { return j->body[1] ? j->body[1]->comTransform : nullptr; }

void rotate(const MeReal* t, const MeReal* local, MeReal* out) {
  if (t) MeMatrix4TMRotate(out, t, local);
  else MeVector3Copy(out, local);
}

MeReal dot(const MeReal* a, const MeReal* b) { return MeVector3Dot(a, b); }

void angularVelocity(const MdtBody* b, MeReal* w) {
  if (b) MeVector3Copy(w, b->state.velrot);
  else MeVector3Set(w, 0, 0, 0);
}

// The wheel's angular velocity relative to the chassis, along a world axis.
MeReal relativeRate(const MdtWheelJoint* j, const MeReal* axis) {
  MeReal a[3], b[3];
  angularVelocity(j->body[1], a);
  angularVelocity(j->body[0], b);
  MeVector3Subtract(a, a, b);
  return dot(a, axis);
}

}  // namespace

MdtWheelJointID MdtWheelJointCreate(MdtWorldID w) {
  auto* j = static_cast<MdtWheelJoint*>(MdtConstraintCreateBase(w, MdtTypeWheelJoint, MdtWheelJointAddRows, 6));
  if (j) MdtWheelJointReset(j);
  return j;
}

void MdtWheelJointReset(MdtWheelJointID j) {
  MdtConstraintDisable(j);
  j->bodyIndex[0] = j->bodyIndex[1] = -1;
  MeVector3Set(j->point, 0, 0, 0);
  MeVector3Set(j->steering, 0, 0, 1);
  MeVector3Set(j->spin0, 0, 1, 0);
  MeVector3Set(j->spin1, 0, 1, 0);
  j->stiffness = 0;
  j->damping = 0;
  j->steerVelocity = 0;
  j->steerForce = 1e9f;
  j->driveVelocity = 0;
  j->driveForce = 0;
  j->steeringLock = 0;
  j->highStop = 1e9f;
  j->lowStop = -1e9f;
  j->reference = 0;
  j->stopSoftness = 0;
  MdtConstraintResetBase(j);
}

MdtWheelJointID MdtWheelJointDCast(MdtConstraintID c) {
  return c && c->type == MdtTypeWheelJoint ? static_cast<MdtWheelJoint*>(c) : nullptr;
}
MdtConstraintID MdtWheelJointGetConstraint(MdtWheelJointID j) { return j; }

void MdtWheelJointSetPosition(MdtWheelJointID j, MeReal x, MeReal y, MeReal z) {
  const MeReal p[3] = {x, y, z};
  MdtConvertToBody(j->body[0], p, j->point, true);
}

void MdtWheelJointSetSteeringAxis(MdtWheelJointID j, MeReal x, MeReal y, MeReal z) {
  MeReal a[3] = {x, y, z};
  MdtNormalizeOrX(a);
  MdtConvertToBody(j->body[0], a, j->steering, false);
}

void MdtWheelJointSetSpinAxis(MdtWheelJointID j, MeReal x, MeReal y, MeReal z) {
  MeReal a[3] = {x, y, z};
  MdtNormalizeOrX(a);
  MdtConvertToBody(j->body[0], a, j->spin0, false);
  MdtConvertToBody(j->body[1], a, j->spin1, false);
}

void MdtWheelJointSetSuspension(MdtWheelJointID j, MeReal k, MeReal d, MeReal soft, MeReal lo, MeReal hi, MeReal ref) {
  j->stiffness = k;
  j->damping = d;
  j->stopSoftness = soft;
  j->lowStop = lo;
  j->highStop = hi;
  j->reference = ref;
}

void MdtWheelJointSetSteeringMotor(MdtWheelJointID j, MeReal v, MeReal f) {
  j->steerVelocity = v;
  j->steerForce = f;
}
void MdtWheelJointSetDrive(MdtWheelJointID j, MeReal v, MeReal f) {
  j->driveVelocity = v;
  j->driveForce = f;
}
void MdtWheelJointSetSteeringLock(MdtWheelJointID j, unsigned on) { j->steeringLock = on; }

unsigned MdtWheelJointGetSteeringLock(MdtWheelJointID j) { return j->steeringLock; }
MeReal MdtWheelJointGetSteeringMotorDesiredVelocity(MdtWheelJointID j) { return j->steerVelocity; }
MeReal MdtWheelJointGetSteeringMotorMaxForce(MdtWheelJointID j) { return j->steerForce; }
MeReal MdtWheelJointGetDriveDesiredVelocity(MdtWheelJointID j) { return j->driveVelocity; }
MeReal MdtWheelJointGetDriveMaxForce(MdtWheelJointID j) { return j->driveForce; }
MeReal MdtWheelJointGetSuspensionHighStop(MdtWheelJointID j) { return j->highStop; }
MeReal MdtWheelJointGetSuspensionLowStop(MdtWheelJointID j) { return j->lowStop; }
MeReal MdtWheelJointGetSuspensionStopSoftness(MdtWheelJointID j) { return j->stopSoftness; }
MeReal MdtWheelJointGetSuspensionReference(MdtWheelJointID j) { return j->reference; }
MeReal MdtWheelJointGetSuspensionStiffness(MdtWheelJointID j) { return j->stiffness; }
MeReal MdtWheelJointGetSuspensionDamping(MdtWheelJointID j) { return j->damping; }

void MdtWheelJointGetPosition(MdtWheelJointID j, MeReal* v) { MdtConvertFromBody(j->body[0], j->point, v, true); }
void MdtWheelJointGetSteeringAxis(MdtWheelJointID j, MeReal* v) { rotate(chassisT(j), j->steering, v); }
void MdtWheelJointGetSpinAxis(MdtWheelJointID j, MeReal* v) { rotate(wheelT(j), j->spin1, v); }

MeReal MdtWheelJointGetSteeringAngle(MdtWheelJointID j) {
  MeReal h[3], w[3], w0[3], x[3];
  rotate(chassisT(j), j->steering, h);
  rotate(wheelT(j), j->spin1, w);
  rotate(chassisT(j), j->spin0, w0);
  MeVector3Cross(x, w, w0);
  return std::atan2(dot(h, x), dot(w0, w));
}

MeReal MdtWheelJointGetSteeringRate(MdtWheelJointID j) {
  MeReal h[3];
  rotate(chassisT(j), j->steering, h);
  return relativeRate(j, h);
}

MeReal MdtWheelJointGetSpinRate(MdtWheelJointID j) {
  MeReal w[3];
  rotate(wheelT(j), j->spin1, w);
  return relativeRate(j, w);
}

MeReal MdtWheelJointGetSteeringAxisAngle(MdtWheelJointID j) {
  MeReal h0[3], h1[3];
  rotate(chassisT(j), j->steering, h0);
  rotate(wheelT(j), j->steering, h1);
  MeReal c = dot(h0, h1);
  c = c > 1 ? 1 : (c < -1 ? -1 : c);  // rounding may push the product past 1
  return std::acos(c);
}

MeReal MdtWheelJointGetSuspensionHeight(MdtWheelJointID j) {
  MeReal h[3], d[3], x1[3] = {0, 0, 0};
  rotate(chassisT(j), j->steering, h);
  if (j->body[1]) MeVector3Copy(x1, j->body[1]->comTransform + 12);
  MeVector3Subtract(d, j->body[0]->comTransform + 12, x1);
  return dot(d, h);
}

MeReal MdtWheelJointGetSuspensionRate(MdtWheelJointID j) {
  MeReal h[3], d[3], x1[3] = {0, 0, 0}, v1[3] = {0, 0, 0}, dv[3], wh[3];
  const MdtBody* c = j->body[0];
  rotate(chassisT(j), j->steering, h);
  if (j->body[1]) {
    MeVector3Copy(x1, j->body[1]->comTransform + 12);
    MeVector3Copy(v1, j->body[1]->state.vel);
  }
  MeVector3Subtract(d, c->comTransform + 12, x1);
  MeVector3Subtract(dv, c->state.vel, v1);
  // The steering axis turns with the chassis.
  MeVector3Cross(wh, c->state.velrot, h);
  return dot(dv, h) + dot(d, wh);
}

void MdtWheelJointAddRows(keaConstraints* hd, MdtConstraint* base, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* p) {
  MdtWheelJoint* j = static_cast<MdtWheelJoint*>(base);
  const MdtRowBodies b = MdtRowGetBodies(j, transforms, states);
  const bool two = b.s1 != nullptr;
  const MdtRowArrays a = MdtRowGetArrays(hd);
  MeReal h[3], p1[3], p2[3], arm[3], s[3], w[3], w0[3], x1[3] = {0, 0, 0};
  MeMatrix4TMRotate(h, b.t0, j->steering);
  MdtPerpendicular(h, p1);
  MeVector3Cross(p2, h, p1);
  MeMatrix4TMRotate(arm, b.t0, j->point);
  if (two) MeVector3Copy(x1, b.t1 + 12);
  MeVector3Add(s, arm, b.t0 + 12);
  MeVector3Subtract(s, s, x1);
  MeMatrix4TMRotate(w0, b.t0, j->spin0);
  if (two) MeMatrix4TMRotate(w, b.t1, j->spin1);
  else MeVector3Copy(w, w0);

  // Row 0: the suspension along h.
  MeReal ah[3], nh[3];
  MeVector3Cross(ah, arm, h);
  MeVector3Copy(nh, h);
  MeVector3Scale(nh, -1);
  MdtRowSetJacobian(hd, 0, h, ah, nh, nullptr, two);
  const MeReal c = MeVector3Dot(h, s);
  const MeReal u = -c;
  a.lo[0] = -MeInfinity;
  a.hi[0] = MeInfinity;
  MeReal stop = 0;
  bool atStop = false;
  if (u < j->lowStop) {
    a.xi[0] = c + j->lowStop;
    a.hi[0] = 0;
    a.softness[0] = j->stopSoftness;
    stop = j->lowStop;
    atStop = true;
  } else if (u > j->highStop) {
    a.xi[0] = c + j->highStop;
    a.lo[0] = 0;
    a.softness[0] = j->stopSoftness;
    stop = j->highStop;
    atStop = true;
  } else {
    a.xi[0] = c + j->reference;
    MeReal soft = 0, erp = 0;
    if (MdtSpringRow(p->stepSize, j->stiffness, j->damping, &soft, &erp)) {
      a.softness[0] = soft;
      a.xgamma[0] = erp;
    } else {
      // No spring and no damper: the suspension is free and the row
      // carries no force (instead of dividing by zero).
      a.xi[0] = 0;
      a.lo[0] = 0;
      a.hi[0] = 0;
    }
  }
  if (atStop) {
    MeReal F[3], t[3];
    MeVector3Copy(F, h);
    MeVector3Scale(F, j->stiffness * (stop - j->reference));
    MeVector3Cross(t, arm, F);
    for (int k = 0; k < 3; ++k) {
      b.s0->force[k] += F[k];
      b.s0->torque[k] += t[k];
      if (two) b.s1->force[k] -= F[k];
    }
  }

  // Rows 1, 2: the wheel centre stays on the suspension line.
  const MeReal* perp[2] = {p1, p2};
  for (int r = 0; r < 2; ++r) {
    MeReal ap[3], np[3];
    MeVector3Cross(ap, arm, perp[r]);
    MeVector3Copy(np, perp[r]);
    MeVector3Scale(np, -1);
    MdtRowSetJacobian(hd, 1 + r, perp[r], ap, np, nullptr, two);
    a.xi[1 + r] = MeVector3Dot(perp[r], s);
    a.lo[1 + r] = -MeInfinity;
    a.hi[1 + r] = MeInfinity;
  }

  // Row 3: the spin axis stays perpendicular to the steering axis.
  MeReal wh[3], nwh[3];
  MeVector3Cross(wh, w, h);
  MeVector3Copy(nwh, wh);
  MeVector3Scale(nwh, -1);
  MdtRowSetJacobian(hd, 3, nullptr, nwh, nullptr, wh, two);
  a.xi[3] = MeVector3Dot(w, h);
  a.lo[3] = -MeInfinity;
  a.hi[3] = MeInfinity;

  // Row 4: the steering motor, or the lock at angle zero.
  MdtRowSetJacobian(hd, 4, nullptr, h, nullptr, nh, two);
  a.c[4] = -j->steerVelocity;
  a.lo[4] = -j->steerForce;
  a.hi[4] = j->steerForce;
  if (j->steeringLock) {
    MeReal x[3];
    MeVector3Cross(x, w, w0);
    a.xi[4] = MeVector3Dot(h, x);
  }

  int rows = 5;
  if (j->driveForce >= 0.0001f) {
    MeReal nw[3];
    MeVector3Copy(nw, w);
    MeVector3Scale(nw, -1);
    MdtRowSetJacobian(hd, 5, nullptr, w, nullptr, nw, two);
    a.c[5] = -j->driveVelocity;
    a.lo[5] = -j->driveForce;
    a.hi[5] = j->driveForce;
    rows = 6;
  }
  MdtRowFinish(hd, j, rows);
}
