#include "physics/dynamics/mdt_orientation_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_limit.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

MdtOrientationJointID MdtOrientationJointCreate(MdtWorldID w) {
  return static_cast<MdtOrientationJoint*>(
      MdtConstraintCreateBase(w, MdtTypeOrientationJoint, MdtOrientationJointAddRows, 3));
}

void MdtOrientationJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                                const MdtStepParams* p) {
  MdtOrientationJoint* j = static_cast<MdtOrientationJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, false);
  const MeReal* pairs[3][2] = {{f.a0, f.c1}, {f.a0, f.b1}, {f.b0, f.c1}};
  const int rows = j->freeTwist ? 2 : 3;
  MeReal soft = 0, erp = 0;
  const bool spring = MdtSpringRow(p->stepSize, j->stiffness, j->damping, &soft, &erp);
  for (int r = 0; r < rows; ++r) {
    MeReal u[3], v[3];
    MeVector3Cross(u, pairs[r][0], pairs[r][1]);
    MdtNegate(u, v);
    MdtRowSetJacobian(hd, r, nullptr, u, nullptr, v, two);
    a.xi[r] = MeVector3Dot(pairs[r][0], pairs[r][1]);
    a.lo[r] = -MeInfinity;
    a.hi[r] = MeInfinity;
    if (spring) {
      a.softness[r] = soft;
      a.xgamma[r] = erp;
    }
  }
  MdtRowFinish(hd, c, rows);
}
