#include "physics/dynamics/mdt_point_on_line.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtPointOnLineID MdtPointOnLineCreate(MdtWorldID w) {
  return static_cast<MdtPointOnLine*>(MdtConstraintCreateBase(w, MdtTypePointOnLine, MdtPointOnLineAddRows, 2));
}

void MdtPointOnLineAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                           const MdtStepParams*) {
  MdtPointOnLine* j = static_cast<MdtPointOnLine*>(c);
  const MdtRowBodies b = MdtRowGetBodies(c, transforms, states);
  const bool two = b.s1 != nullptr;
  const MdtRowArrays a = MdtRowGetArrays(hd);
  MeReal P0[3], P1[3], n[2][3], D[3], r0[3], r1[3], x1[3] = {0, 0, 0};
  MeMatrix4TMTransform(P0, b.t0, j->point);
  if (two) {
    MeMatrix4TMTransform(P1, b.t1, j->linePoint);
    MeMatrix4TMRotate(n[0], b.t1, j->normal0);
    MeMatrix4TMRotate(n[1], b.t1, j->normal1);
    MeVector3Copy(x1, b.t1 + 12);
  } else {
    MeVector3Copy(P1, j->linePoint);
    MeVector3Copy(n[0], j->normal0);
    MeVector3Copy(n[1], j->normal1);
  }
  MeVector3Subtract(D, P0, P1);
  MeVector3Subtract(r0, P0, b.t0 + 12);
  MeVector3Subtract(r1, P0, x1);
  for (int r = 0; r < 2; ++r) {
    MeReal u[3], nn[3], v[3];
    MeVector3Cross(u, r0, n[r]);
    MdtNegate(n[r], nn);
    MeVector3Cross(v, n[r], r1);
    MdtRowSetJacobian(hd, r, n[r], u, nn, v, two);
    a.xi[r] = MeVector3Dot(n[r], D);
    a.lo[r] = -MeInfinity;
    a.hi[r] = MeInfinity;
  }
  MdtRowFinish(hd, c, 2);
}
