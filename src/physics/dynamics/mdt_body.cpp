#include "physics/dynamics/mdt_body.h"

#include <cmath>
#include <cstring>

#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/util/me_math.h"
#include "physics/util/me_message.h"

namespace {

constexpr MeU32 kAllOnes = 0xFFFFFFFFu;

// out = a * b for rigid 4x4 transforms (row vectors: a applied first).
void multiply(MeReal* out, const MeReal* a, const MeReal* b) {
  MeMatrix4 r;
  MeMatrix4MultiplyRigid(r, a, b);
  std::memcpy(out, r, sizeof(MeMatrix4));
}

void invertRigid(MeReal* out, const MeReal* m) {
  std::memcpy(out, m, sizeof(MeMatrix4));
  MeMatrix4InvertRigid(out);
}

// The centre-of-mass frame and the quaternion from the reference frame.
void refresh(MdtBody* b) {
  if (b->comOffsetSet) {
    MeMatrix4 offset;
    invertRigid(offset, b->invComOffset);
    multiply(b->comTransform, offset, b->transform);
  } else {
    std::memcpy(b->comTransform, b->transform, sizeof(MeMatrix4));
  }
  MeMatrixToQuaternion(b->state.qrot, b->comTransform);
}

void setInverseInertia(MdtBody* b, const MeReal* m3) {
  MeReal inv[9];
  std::memcpy(inv, m3, sizeof(inv));
  if (!MeMatrix3Invert(inv)) {
    MeWarning(0, "MdtBodySetInertiaTensor: singular inertia tensor ignored.\n");
    return;
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      b->state.I[4 * r + c] = m3[3 * r + c];
      b->state.invI[4 * r + c] = inv[3 * r + c];
    }
}

void defaults(MdtBody* b) {
  MeMatrix4TMMakeIdentity(b->comTransform);
  MeMatrix4TMMakeIdentity(b->transform);
  MeMatrix4TMMakeIdentity(b->invComOffset);
  std::memset(b->impulseLinear, 0, sizeof(b->impulseLinear));
  std::memset(b->impulseAngular, 0, sizeof(b->impulseAngular));
  keaBody& s = b->state;
  const MeU32 tag = s.tag;
  std::memset(&s, 0, sizeof(s));
  s.tag = tag;
  s.size = sizeof(keaBody);
  s.invMass = 1;
  s.I[0] = s.I[5] = s.I[10] = 0.4f;
  s.invI[0] = s.invI[5] = s.invI[10] = 2.5f;
  s.qrot[0] = 1;
  s.fastRotAxis[1] = 1;
  b->comOffsetSet = 0;
  b->impulsePending = 0;
  b->mass = 1;
  b->linearDamping = 0;
  b->angularDamping = 0;
  b->safeTime = MeInfinity;
}

void normalizeOrX(MeReal* v) {
  const MeReal l2 = MeVector3Dot(v, v);
  if (l2 <= 0) {
    MeVector3Set(v, 1, 0, 0);
    return;
  }
  if (std::fabs(l2 - 1) < 0.001f) return;
  MeVector3Scale(v, 1.0f / std::sqrt(l2));
}

}  // namespace

MdtBodyID MdtBodyCreate(MdtWorldID w) {
  MdtBody* b = static_cast<MdtBody*>(MeBlockPoolTake(&w->bodyPool));
  if (!b) return nullptr;
  std::memset(b, 0, sizeof(MdtBody));
  b->state.tag = keaBodyTagValid;
  b->state.size = sizeof(keaBody);
  b->world = w;
  b->enabledSteps = kAllOnes;
  b->partition = -1;
  b->packedIndex = -1;
  b->partitionIndex = -1;
  MdtBodyReset(b);
  b->next = w->bodies;
  if (w->bodies) w->bodies->prev = b;
  w->bodies = b;
  w->bodyCount += 1;
  return b;
}

void MdtBodyDestroy(MdtBodyID b) {
  if (!b || b->state.tag != keaBodyTagValid) return;
  MdtWorld* w = b->world;
  // Constraints and a bound model would keep pointing at the pooled record,
  // which the next MdtBodyCreate hands out again.
  MdtBodyDestroyConstraints(b);
  if (b->model) {
    McdModelSetBody(b->model, nullptr);
  }
  MdtBodyDisable(b);
  if (b->prev) b->prev->next = b->next;
  else w->bodies = b->next;
  if (b->next) b->next->prev = b->prev;
  b->next = b->prev = nullptr;
  b->state.tag = keaBodyTagDestroyed;
  w->bodyCount -= 1;
  MeBlockPoolGive(&w->bodyPool, b);
}

MdtBodyID MdtBodyCopy(MdtBodyID, MdtWorldID) {
  MeFatalError(0, "MdtBodyCopy: NOT YET IMPLEMENTED.\n");
  return nullptr;
}

void MdtBodyReset(MdtBodyID b) {
  MdtBodyDisable(b);
  defaults(b);
}

void MdtBodyEnable(MdtBodyID b) {
  if (b->enabledSteps != kAllOnes) return;
  MdtWorld* w = b->world;
  b->enabledPrev = nullptr;
  b->enabledNext = w->enabledBodies;
  if (w->enabledBodies) w->enabledBodies->enabledPrev = b;
  w->enabledBodies = b;
  b->enabledSteps = 0;
  w->enabledBodyCount += 1;
  if (w->bodyEnabled) w->bodyEnabled(b);
}

void MdtBodyDisable(MdtBodyID b) {
  if (b->enabledSteps == kAllOnes) return;
  MdtWorld* w = b->world;
  if (b->enabledPrev) b->enabledPrev->enabledNext = b->enabledNext;
  else w->enabledBodies = b->enabledNext;
  if (b->enabledNext) b->enabledNext->enabledPrev = b->enabledPrev;
  b->enabledNext = b->enabledPrev = nullptr;
  b->enabledSteps = kAllOnes;
  b->partition = -1;
  w->enabledBodyCount -= 1;
  if (w->bodyDisabled) w->bodyDisabled(b);
}

bool MdtBodyIsEnabled(MdtBodyID b) { return b->enabledSteps != kAllOnes; }
MeU32 MdtBodyGetEnabledSteps(MdtBodyID b) { return b->enabledSteps; }

void MdtBodySetTransform(MdtBodyID b, const MeReal* m) {
  std::memcpy(b->transform, m, sizeof(MeMatrix4));
  refresh(b);
}

void MdtBodySetPosition(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  MeVector3Set(b->transform + 12, x, y, z);
  refresh(b);
}

void MdtBodySetOrientation(MdtBodyID b, const MeReal* m3) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) b->transform[4 * r + c] = m3[3 * r + c];
  refresh(b);
}

void MdtBodySetQuaternion(MdtBodyID b, MeReal w, MeReal x, MeReal y, MeReal z) {
  MeReal q[4] = {w, x, y, z};
  const MeReal l2 = w * w + x * x + y * y + z * z;
  if (l2 < 0.001f || !std::isfinite(l2)) {
    // A zero quaternion is no rotation at all; the identity is the nearest
    // sound reading.
    q[0] = 1;
    q[1] = q[2] = q[3] = 0;
  } else if (std::fabs(l2 - 1) >= 0.001f) {
    const MeReal s = 1.0f / std::sqrt(l2);
    for (MeReal& v : q) v *= s;
  }
  MeReal* t = b->transform;
  t[0] = q[0] * q[0] + q[1] * q[1] - q[2] * q[2] - q[3] * q[3];
  t[1] = 2 * (q[1] * q[2] + q[0] * q[3]);
  t[2] = 2 * (q[1] * q[3] - q[0] * q[2]);
  t[4] = 2 * (q[1] * q[2] - q[0] * q[3]);
  t[5] = q[0] * q[0] - q[1] * q[1] + q[2] * q[2] - q[3] * q[3];
  t[6] = 2 * (q[2] * q[3] + q[0] * q[1]);
  t[8] = 2 * (q[1] * q[3] + q[0] * q[2]);
  t[9] = 2 * (q[2] * q[3] - q[0] * q[1]);
  t[10] = q[0] * q[0] - q[1] * q[1] - q[2] * q[2] + q[3] * q[3];
  refresh(b);
}

void MdtBodySetLinearVelocity(MdtBodyID b, MeReal x, MeReal y, MeReal z) { MeVector3Set(b->state.vel, x, y, z); }
void MdtBodySetAngularVelocity(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  MeVector3Set(b->state.velrot, x, y, z);
}
void MdtBodySetLinearVelocityDamping(MdtBodyID b, MeReal d) { b->linearDamping = d; }
void MdtBodySetAngularVelocityDamping(MdtBodyID b, MeReal d) { b->angularDamping = d; }

void MdtBodySetMass(MdtBodyID b, MeReal m) {
  if (!(m > 0) || !std::isfinite(m)) {
    MeWarning(0, "MdtBodySetMass: mass %g refused, it must be above 0.\n", static_cast<double>(m));
    return;
  }
  b->mass = m;
  b->state.invMass = 1.0f / m;
}

void MdtBodySetInertiaTensor(MdtBodyID b, const MeReal* m3) { setInverseInertia(b, m3); }

void MdtBodySetSphericalInertia(MdtBodyID b, MeReal i) {
  const MeReal m[9] = {i, 0, 0, 0, i, 0, 0, 0, i};
  setInverseInertia(b, m);
}

void MdtBodySetCenterOfMassRelativeTransform(MdtBodyID b, const MeReal* m) {
  if (b->constraints) return;
  invertRigid(b->invComOffset, m);
  b->comOffsetSet = 1;
  refresh(b);
}

void MdtBodyGetCenterOfMassRelativeTransform(MdtBodyID b, MeReal* m) { invertRigid(m, b->invComOffset); }

void MdtBodySetFastRotationAxis(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  MeReal* a = b->state.fastRotAxis;
  MeVector3Set(a, x, y, z);
  normalizeOrX(a);
  b->state.flags |= keaBodyFlagFastRotation;
}

void MdtBodyClearFastRotationAxis(MdtBodyID b) { b->state.flags &= ~keaBodyFlagFastRotation; }
void MdtBodySetSafeTime(MdtBodyID b, MeReal t) { b->safeTime = t; }
void MdtBodySetUserData(MdtBodyID b, MeUserWord d) { b->userData = d; }

void MdtBodyAddForce(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  b->state.force[0] += x;
  b->state.force[1] += y;
  b->state.force[2] += z;
}

void MdtBodyAddTorque(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  b->state.torque[0] += x;
  b->state.torque[1] += y;
  b->state.torque[2] += z;
}

void MdtBodyAddForceAtPosition(MdtBodyID b, MeReal fx, MeReal fy, MeReal fz, MeReal px, MeReal py, MeReal pz) {
  const MeReal f[3] = {fx, fy, fz};
  MeReal r[3] = {px, py, pz}, t[3];
  MeVector3Subtract(r, r, b->comTransform + 12);
  MeVector3Cross(t, r, f);
  MdtBodyAddForce(b, fx, fy, fz);
  MdtBodyAddTorque(b, t[0], t[1], t[2]);
}

void MdtBodyAddImpulse(MdtBodyID b, MeReal x, MeReal y, MeReal z) {
  b->impulseLinear[0] += x;
  b->impulseLinear[1] += y;
  b->impulseLinear[2] += z;
  b->impulsePending = 1;
}

void MdtBodyAddImpulseAtPosition(MdtBodyID b, MeReal ix, MeReal iy, MeReal iz, MeReal px, MeReal py, MeReal pz) {
  const MeReal f[3] = {ix, iy, iz};
  MeReal r[3] = {px, py, pz}, t[3];
  MeVector3Subtract(r, r, b->comTransform + 12);
  MeVector3Cross(t, r, f);
  MdtBodyAddImpulse(b, ix, iy, iz);
  for (int k = 0; k < 3; ++k) b->impulseAngular[k] += t[k];
}

MeReal* MdtBodyGetTransformPtr(MdtBodyID b) { return b->transform; }
void MdtBodyGetTransform(MdtBodyID b, MeReal* m) { std::memcpy(m, b->transform, sizeof(MeMatrix4)); }
void MdtBodyGetInertiaTensor(MdtBodyID b, MeReal* m3) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m3[3 * r + c] = b->state.I[4 * r + c];
}
void MdtBodyGetFastRotationAxis(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.fastRotAxis); }
void MdtBodyGetPosition(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->transform + 12); }
void MdtBodyGetCenterOfMassPosition(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->comTransform + 12); }
void MdtBodyGetQuaternion(MdtBodyID b, MeReal* q) { std::memcpy(q, b->state.qrot, 4 * sizeof(MeReal)); }
void MdtBodyGetOrientation(MdtBodyID b, MeReal* m3) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m3[3 * r + c] = b->transform[4 * r + c];
}
void MdtBodyGetLinearVelocity(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.vel); }
void MdtBodyGetAngularVelocity(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.velrot); }
MeReal* MdtBodyGetLinearVelocityPtr(MdtBodyID b) { return b->state.vel; }
MeReal* MdtBodyGetAngularVelocityPtr(MdtBodyID b) { return b->state.velrot; }

void MdtBodyGetVelocityAtPoint(MdtBodyID b, const MeReal* p, MeReal* v) {
  MeReal r[3], t[3];
  MeVector3Subtract(r, p, b->comTransform + 12);
  MeVector3Cross(t, b->state.velrot, r);
  MeVector3Add(v, b->state.vel, t);
}

void MdtBodyGetForce(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.force); }
void MdtBodyGetTorque(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.torque); }
void MdtBodyGetLinearAcceleration(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.accel); }
void MdtBodyGetAngularAcceleration(MdtBodyID b, MeReal* v) { MeVector3Copy(v, b->state.accelrot); }
MeReal MdtBodyGetMass(MdtBodyID b) { return b->mass; }
MeReal MdtBodyGetLinearVelocityDamping(MdtBodyID b) { return b->linearDamping; }
MeReal MdtBodyGetAngularVelocityDamping(MdtBodyID b) { return b->angularDamping; }
MeReal MdtBodyGetSafeTime(MdtBodyID b) { return b->safeTime; }
MeUserWord MdtBodyGetUserData(MdtBodyID b) { return b->userData; }
MdtWorldID MdtBodyGetWorld(MdtBodyID b) { return b->world; }
MdtBodyID MdtBodyGetNext(MdtBodyID b) { return b->next; }
int MdtBodyGetPartition(MdtBodyID b) { return b->partition; }

MeReal MdtBodyGetKineticEnergy(MdtBodyID b) {
  const keaBody& s = b->state;
  MeReal iw[3];
  for (int r = 0; r < 3; ++r) iw[r] = s.I[4 * r] * s.velrot[0] + s.I[4 * r + 1] * s.velrot[1] + s.I[4 * r + 2] * s.velrot[2];
  return 0.5f * (b->mass * MeVector3Dot(s.vel, s.vel) + MeVector3Dot(s.velrot, iw));
}

void MdtBodyForAllConstraints(MdtBodyID b, MdtConstraintFn fn, void* argument) {
  for (MdtBodyLink* l = b->constraints; l;) {
    MdtBodyLink* next = l->next;
    fn(l->constraint, argument);
    l = next;
  }
}

void MdtBodyDisableConstraints(MdtBodyID b) {
  while (b->constraints) MdtConstraintDisable(b->constraints->constraint);
}

void MdtBodyDestroyConstraints(MdtBodyID b) {
  while (b->constraints) MdtConstraintDestroy(b->constraints->constraint);
}

void MdtMakeSphereInertiaTensor(MeReal mass, MeReal radius, MeReal* m) {
  std::memset(m, 0, 9 * sizeof(MeReal));
  m[0] = m[4] = m[8] = 0.4f * mass * radius * radius;
}

void MdtMakeBoxInertiaTensor(MeReal mass, MeReal x, MeReal y, MeReal z, MeReal* m) {
  const MeReal k = 0.083333336f * mass;
  std::memset(m, 0, 9 * sizeof(MeReal));
  m[0] = k * (y * y + z * z);
  m[4] = k * (x * x + z * z);
  m[8] = k * (x * x + y * y);
}

void MdtBodyPreStep(MdtBodyID b, MeReal h) {
  keaBody& s = b->state;
  if (b->constraints) s.flags |= keaBodyFlagHasConstraints;
  else s.flags &= ~keaBodyFlagHasConstraints;
  const MeReal* g = b->world->gravity;
  for (int k = 0; k < 3; ++k) {
    s.torque[k] -= s.velrot[k] * b->angularDamping;
    s.force[k] += b->mass * g[k] - s.vel[k] * b->linearDamping;
  }
  if (b->enabledSteps != kAllOnes) b->enabledSteps += 1;
  if (b->impulsePending) {
    for (int k = 0; k < 3; ++k) {
      s.force[k] += b->impulseLinear[k] / h;
      s.torque[k] += b->impulseAngular[k] / h;
    }
    std::memset(b->impulseLinear, 0, sizeof(b->impulseLinear));
    std::memset(b->impulseAngular, 0, sizeof(b->impulseAngular));
    b->impulsePending = 0;
  }
}

void MdtBodyUpdateReferenceFromCom(MdtBodyID b) {
  if (b->comOffsetSet) multiply(b->transform, b->invComOffset, b->comTransform);
  else std::memcpy(b->transform, b->comTransform, sizeof(MeMatrix4));
}
