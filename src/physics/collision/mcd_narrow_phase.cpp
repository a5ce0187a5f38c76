// Shared helpers of the pair tests.
#include "physics/collision/mcd_narrow_phase.h"

#include <cmath>

namespace {
const MeReal kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

const MeReal* McdModelTransformOrIdentity(const McdModel* model) {
  return model->transform ? model->transform : kIdentity;
}

const MeReal* McdModelVelocityOrZero(const McdModel* model) {
  static const MeReal zero[3] = {0, 0, 0};
  return model->linearVelocity ? model->linearVelocity : zero;
}

int McdPairSingleContact(const McdModelPair* pair, McdIntersectResult* result, const MeReal* position,
                         const MeReal* normal, MeReal separation, int dims) {
  if (separation > McdPairMargin(pair)) {
    result->contactCount = 0;
    return 0;
  }
  if (result->contactMaxCount < 1) {
    result->contactCount = 0;
    return 1;
  }
  McdContact* c = &result->contacts[0];
  MeVector3Copy(c->position, position);
  MeVector3Copy(c->normal, normal);
  c->separation = separation;
  c->dims = dims;
  c->element1 = c->element2 = 0;
  MeVector3Copy(result->normal, normal);
  result->contactCount = 1;
  return 1;
}

int McdPairLocalContact(McdIntersectResult* result, const MeReal* t, const MeReal* local,
                        const MeReal* normal, MeReal separation, int dims) {
  MeReal world[3];
  MeMatrix4TMRotate(world, t, normal);
  MeVector3Copy(result->normal, world);
  if (result->contactMaxCount < 1) return 1;
  McdContact* contact = &result->contacts[0];
  MeMatrix4TMTransform(contact->position, t, local);
  MeVector3Copy(contact->normal, world);
  contact->separation = separation;
  contact->dims = dims;
  contact->element1 = contact->element2 = 0;
  result->contactCount = 1;
  return 1;
}

void McdRelativeTransform(MeReal* out, const MeReal* a, const MeReal* b) {
  MeReal tmp[16];
  // Row j of the result is b's axis j expressed in a's axes: (b_j . a_k).
  for (int j = 0; j < 3; ++j) {
    for (int k = 0; k < 3; ++k) tmp[4 * j + k] = MeVector3Dot(b + 4 * j, a + 4 * k);
    tmp[4 * j + 3] = 0.0f;
  }
  MeReal d[3];
  MeVector3Subtract(d, b + 12, a + 12);
  for (int k = 0; k < 3; ++k) tmp[12 + k] = MeVector3Dot(d, a + 4 * k);
  tmp[15] = 1.0f;
  for (int i = 0; i < 16; ++i) out[i] = tmp[i];
}

MeReal McdVec3NormalizeLength(MeReal* v) {
  MeReal len = std::sqrt(MeVector3Dot(v, v));
  if (len > 0.0f) MeVector3Scale(v, 1.0f / len);
  return len;
}

void McdVec3Print(const char* label, const MeReal* v) {
  std::printf("%s: %f %f %f \n", label, v[0], v[1], v[2]);
}
