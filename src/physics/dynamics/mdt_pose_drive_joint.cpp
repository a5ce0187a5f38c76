#include "physics/dynamics/mdt_pose_drive_joint.h"

#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtPoseDriveJoint) <= MdtConstraintRecordSize, "pose drive fits a constraint record");

MdtPoseDriveJointID MdtPoseDriveJointCreate(MdtWorldID w) {
  auto* j = static_cast<MdtPoseDriveJoint*>(
      MdtConstraintCreateBase(w, MdtTypePoseDriveJoint, MdtPoseDriveJointAddRows, 6));
  if (j) {
    j->targetOrientation[0] = 1;
    j->offset0[0] = 1;
    j->offset1[0] = 1;
  }
  return j;
}

void MdtPoseDriveJointAddRows(keaConstraints* hd, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                              const MdtStepParams*) {
  MdtPoseDriveJoint* j = static_cast<MdtPoseDriveJoint*>(c);
  const auto [b, two, a, f] = MdtJointRowsBegin(hd, c, transforms, states, true);

  const MeReal identity[4] = {1, 0, 0, 0};
  MeReal Q0[4], Q1[4], Q1c[4], r[4], Q1t[4];
  const MeReal* q1 = two ? b.s1->qrot : identity;
  if (j->useOffset0) MdtQuaternionMultiply(Q0, b.s0->qrot, j->offset0);
  else for (int k = 0; k < 4; ++k) Q0[k] = b.s0->qrot[k];
  if (j->useOffset1 && two) MdtQuaternionMultiply(Q1, q1, j->offset1);
  else for (int k = 0; k < 4; ++k) Q1[k] = q1[k];
  MdtQuaternionConjugate(Q1c, Q1);
  MdtQuaternionMultiply(r, Q1c, Q0);
  MdtQuaternionMultiply(Q1t, Q1, j->targetOrientation);

  MeReal G[12], E[12], C[9], Gt[12], Er[12], T[9];
  MdtQuaternionG(Q1t, G);
  MdtQuaternionE(Q0, E);
  MdtMultiplyABt(G, E, 0.5f, C);
  MdtQuaternionG(j->targetOrientation, Gt);
  MdtQuaternionE(r, Er);
  MdtMultiplyABt(Gt, Er, 0.5f, T);
  for (int i = 0; i < 3; ++i) {
    MeReal nc[3];
    MdtNegate(C + 3 * i, nc);
    MdtRowSetJacobian(hd, 3 + i, nullptr, C + 3 * i, nullptr, nc, two);
    MeReal e = 0;
    for (int k = 0; k < 4; ++k) e += Gt[4 * i + k] * r[k];
    a.xi[3 + i] = e;
    a.c[3 + i] = MeVector3Dot(T + 3 * i, j->targetAngularVelocity);
  }
  for (int i = 0; i < 3; ++i) {
    a.lo[i] = -j->maxForce[i];
    a.hi[i] = j->maxForce[i];
    a.lo[3 + i] = -j->maxTorque[i];
    a.hi[3 + i] = j->maxTorque[i];
  }
  // A row whose maximum is exactly 0 is switched off.
  const MeReal zero[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (j->maxForce[i] == 0) {
      a.xi[i] = 0;
      MeReal r0[3], r1[3], e[3] = {0, 0, 0};
      e[i] = 1;
      MeVector3Subtract(r0, f.p0, f.x0);
      MeVector3Subtract(r1, f.p1, f.x1);
      MeReal x0[3], x1[3];
      MeVector3Cross(x0, r0, e);
      MeVector3Cross(x1, r1, e);
      MeVector3Scale(x1, -1);
      MdtRowSetJacobian(hd, i, zero, x0, zero, x1, two);
    }
    if (j->maxTorque[i] == 0) {
      a.xi[3 + i] = 0;
      a.c[3 + i] = 0;
      MdtRowSetJacobian(hd, 3 + i, nullptr, nullptr, nullptr, nullptr, two);
    }
  }
  MdtRowFinish(hd, c, 6);
}
