#include "world/dynamics/body_pose.h"

#include "physics/dynamics/mdt_body.h"
#include "physics/util/me_math.h"
#include "world/dynamics/physics_state.h"
#include "world/environment/env_instance.h"

namespace {
constexpr float kDegrees = 3.14159265f / 180.0f;
}

void RecordToBody(const Vector3& v, float* out) {
  out[0] = v.z * 0.01f;
  out[1] = v.y * 0.01f;
  out[2] = v.x * 0.01f;
}

void BodyQuaternionFromAngles(const float* angles, float rollSign, float* q) {
  float r[9];
  MeMatrixFromEulerAngles(r, angles[0] * kDegrees, (angles[1] - 90.0f) * kDegrees, rollSign * angles[2] * kDegrees);
  float m[16];
  MeMatrix4TMMakeIdentity(m);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) m[4 * i + j] = r[3 * i + j];
  MeMatrixToQuaternion(q, m);
}

void RotateByBody(const float* t, const float* v, float* out) {
  for (int c = 0; c < 3; ++c) out[c] = v[0] * t[c] + v[1] * t[4 + c] + v[2] * t[8 + c];
}

void PlaceInstanceAtTransform(CEnvInstance* instance, const float* t, const float* comOffset) {
  if (!instance) return;
  const float* turn = g_Physics.AxisTurn;
  float rows[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      rows[r][c] = t[4 * r] * turn[c] + t[4 * r + 1] * turn[4 + c] + t[4 * r + 2] * turn[8 + c];
  instance->SetMatrixRotation(rows);
  float offset[3] = {0, 0, 0};
  if (comOffset) RotateByBody(t, comOffset, offset);
  instance->SetPosition({(t[12] - offset[0]) * 100.0f, (t[13] - offset[1]) * 100.0f, (t[14] - offset[2]) * 100.0f},
                        false);
}

void PlaceInstanceAtBody(CEnvInstance* instance, MdtBodyID body, const float* comOffset) {
  if (!instance || !body) return;
  float t[16];
  MdtBodyGetTransform(body, t);
  PlaceInstanceAtTransform(instance, t, comOffset);
}
