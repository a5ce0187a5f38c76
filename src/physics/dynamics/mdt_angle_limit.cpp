#include "physics/dynamics/mdt_angle_limit.h"

#include <cmath>

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtAngleLimitID MdtAngleLimitCreate(MdtWorldID w) {
  auto* l = static_cast<MdtAngleLimit*>(MdtConstraintCreateBase(w, MdtTypeAngleLimit, MdtAngleLimitAddRows, 1));
  if (l) MdtAngleLimitReset(l);
  return l;
}

void MdtAngleLimitReset(MdtAngleLimitID l) {
  MdtConstraintDisable(l);
  l->bodyIndex[0] = l->bodyIndex[1] = -1;
  l->maxAngle = MePi;
  l->cosMaxAngle = -1;
  l->stiffness = MeInfinity;
  l->damping = MeInfinity;
  MdtConstraintResetBase(l);
}

MdtConstraintID MdtAngleLimitGetConstraint(MdtAngleLimitID l) { return l; }
MdtAngleLimitID MdtAngleLimitDCast(MdtConstraintID c) {
  return c && c->type == MdtTypeAngleLimit ? static_cast<MdtAngleLimit*>(c) : nullptr;
}
void MdtAngleLimitSetMaxAngle(MdtAngleLimitID l, MeReal a) {
  l->maxAngle = a;
  l->cosMaxAngle = std::cos(a);
}
void MdtAngleLimitSetAxes(MdtAngleLimitID l, MeReal x0, MeReal y0, MeReal z0, MeReal x1, MeReal y1, MeReal z1) {
  const MeReal axes[2][3] = {{x0, y0, z0}, {x1, y1, z1}};
  for (int which = 0; which < 2; ++which) {
    // Primary axis, a perpendicular second and their cross product, each
    // turned into its body's coordinates.
    MeReal a[3] = {axes[which][0], axes[which][1], axes[which][2]}, b[3], c[3];
    MdtNormalizeOrX(a);
    MdtPerpendicular(a, b);
    MeVector3Cross(c, a, b);
    MeReal* frame = which == 0 ? l->frame0 : l->frame1;
    MdtConvertToBody(l->body[which], a, frame, false);
    MdtConvertToBody(l->body[which], b, frame + 4, false);
    MdtConvertToBody(l->body[which], c, frame + 8, false);
  }
}
MeReal MdtAngleLimitGetMaxAngle(MdtAngleLimitID l) { return l->maxAngle; }
void MdtAngleLimitSetStiffness(MdtAngleLimitID l, MeReal k) { l->stiffness = k; }
MeReal MdtAngleLimitGetStiffness(MdtAngleLimitID l) { return l->stiffness; }
void MdtAngleLimitSetDamping(MdtAngleLimitID l, MeReal d) { l->damping = d; }
MeReal MdtAngleLimitGetDamping(MdtAngleLimitID l) { return l->damping; }

void MdtAngleLimitAddRows(keaConstraints* hd, MdtConstraint* base, const MeReal* transforms, keaBody* states,
                          const MdtStepParams* p) {
  MdtAngleLimit* l = static_cast<MdtAngleLimit*>(base);
  const MdtRowBodies b = MdtRowGetBodies(l, transforms, states);
  const bool two = b.s1 != nullptr;
  const MdtRowArrays a = MdtRowGetArrays(hd);
  MeReal a0[3], a1[3];
  MdtRowFrameAxis(l->frame0, b.t0, 0, a0);
  MdtRowFrameAxis(l->frame1, b.t1, 0, a1);
  MeReal c = MeVector3Dot(a0, a1);
  a.lo[0] = -MeInfinity;
  a.hi[0] = MeInfinity;
  if (c >= l->cosMaxAngle) {
    MdtRowSetJacobian(hd, 0, nullptr, nullptr, nullptr, nullptr, two);  // inactive
  } else {
    c = c > 1 ? 1 : (c < -1 ? -1 : c);
    const MeReal angle = std::acos(c);
    MeReal axis[3], naxis[3];
    MeVector3Cross(axis, a0, a1);
    const MeReal len = std::sqrt(MeVector3Dot(axis, axis));
    if (len > 0) MeVector3Scale(axis, 1.0f / len);
    MeVector3Copy(naxis, axis);
    MeVector3Scale(naxis, -1);
    MdtRowSetJacobian(hd, 0, nullptr, axis, nullptr, naxis, two);
    a.xi[0] = l->maxAngle - angle;
    a.lo[0] = 0;
    a.hi[0] = MeInfinity;
    MeReal soft = 0, erp = 0;
    if (MdtSpringRow(p->stepSize, l->stiffness, l->damping, &soft, &erp)) {
      a.softness[0] = soft;
      a.xgamma[0] = erp;
    }
  }
  MdtRowFinish(hd, l, 1);
}
