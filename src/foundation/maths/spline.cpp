#include "foundation/maths/spline.h"

void CatmullRomInterpolate(const Vector3& p0, const Vector3& p1, const Vector3& p2, const Vector3& p3, float t,
                           Vector3* out) {
  if (t == 0.0f) {
    *out = p1;
    return;
  }
  if (t == 1.0f) {
    *out = p2;
    return;
  }
  float t2 = t * t;
  float t3 = t2 * t;
  float w0 = -0.5f * t3 + t2 - 0.5f * t;
  float w1 = 1.5f * t3 - 2.5f * t2 + 1.0f;
  float w2 = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
  float w3 = 0.5f * t3 - 0.5f * t2;
  out->x = w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x;
  out->y = w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y;
  out->z = w0 * p0.z + w1 * p1.z + w2 * p2.z + w3 * p3.z;
}

void SpringStep3D(float dt, const Vector3& target, Vector3* position, Vector3* acceleration, Vector3* velocity,
                  float stiffness, float damping) {
  acceleration->x = (target.x - position->x) * stiffness - velocity->x * damping;
  acceleration->y = (target.y - position->y) * stiffness - velocity->y * damping;
  acceleration->z = (target.z - position->z) * stiffness - velocity->z * damping;
  velocity->x += acceleration->x * dt;
  velocity->y += acceleration->y * dt;
  velocity->z += acceleration->z * dt;
  position->x += velocity->x * dt;
  position->y += velocity->y * dt;
  position->z += velocity->z * dt;
}

void SpringStep2D(float dt, const Vector2& target, Vector2* position, Vector2* acceleration, Vector2* velocity,
                  float stiffness, float damping) {
  acceleration->x = (target.x - position->x) * stiffness - velocity->x * damping;
  acceleration->y = (target.y - position->y) * stiffness - velocity->y * damping;
  velocity->x += acceleration->x * dt;
  velocity->y += acceleration->y * dt;
  position->x += velocity->x * dt;
  position->y += velocity->y * dt;
}
