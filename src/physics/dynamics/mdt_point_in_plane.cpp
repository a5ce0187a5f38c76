#include "physics/dynamics/mdt_point_in_plane.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtPointInPlaneID MdtPointInPlaneCreate(MdtWorldID w) {
  return static_cast<MdtPointInPlane*>(MdtConstraintCreateBase(w, MdtTypePointInPlane, MdtPointInPlaneAddRows, 1));
}

void MdtPointInPlaneAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                            const MdtStepParams*) {
  MdtPointInPlane* j = static_cast<MdtPointInPlane*>(c);
  const MdtRowBodies b = MdtRowGetBodies(c, transforms, states);
  const bool two = b.s1 != nullptr;
  const MdtRowArrays a = MdtRowGetArrays(hd);
  MeReal n[3], s[3], nn[3], ns[3];
  if (two) {
    MeMatrix4TMRotate(n, b.t1, j->normal);
    MeVector3Subtract(s, b.t0 + 12, b.t1 + 12);
  } else {
    MeVector3Copy(n, j->normal);
    MeVector3Copy(s, b.t0 + 12);
  }
  MdtNegate(n, nn);
  MeVector3Cross(ns, n, s);
  MdtRowSetJacobian(hd, 0, n, nullptr, nn, ns, two);
  a.xi[0] = MeVector3Dot(n, s) - j->offset;
  a.lo[0] = -MeInfinity;
  a.hi[0] = MeInfinity;
  MdtRowFinish(hd, c, 1);
}
