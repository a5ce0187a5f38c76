#include "physics/solver/kea_integrate.h"

#include <cmath>

#include "physics/util/me_math.h"
#include "physics/util/me_profile.h"

void keaIntegrate(keaBody* bodies, MeReal* transforms, int count, const keaParameters* parameters) {
  if (count <= 0) return;
  MeProfileStartSection("Integrate", 0);
  const MeReal h = parameters->stepSize;

  for (int i = 0; i < count; ++i) {
    keaBody& b = bodies[i];
    for (int k = 0; k < 3; ++k) {
      b.vel[k] += h * b.accel[k];
      b.velrot[k] += h * b.accelrot[k];
    }
  }

  for (int i = 0; i < count; ++i) {
    keaBody& b = bodies[i];
    MeReal* tm = transforms + 16 * i;
    // Position is row 3 of the row-vector transform.
    for (int k = 0; k < 3; ++k) tm[12 + k] += h * b.vel[k];
    tm[15] = 1.0f;

    MeReal w[3] = {b.velrot[0], b.velrot[1], b.velrot[2]};
    MeReal* q = b.qrot;
    if (b.flags & keaBodyFlagFastRotation) {
      // Spin about the fast axis is applied as an exact finite rotation, so
      // a fast wheel does not drift; only the remainder goes through the
      // first-order update below.
      const MeReal* a = b.fastRotAxis;
      const MeReal s = w[0] * a[0] + w[1] * a[1] + w[2] * a[2];
      const MeReal spin[3] = {s * a[0], s * a[1], s * a[2]};
      MeQuaternionFiniteRotation(q, spin, h);
      for (int k = 0; k < 3; ++k) w[k] -= spin[k];
    }

    // dq/dt = 0.5 * (0, w) * q, all from the old q.
    const MeReal q0 = q[0], q1 = q[1], q2 = q[2], q3 = q[3];
    const MeReal hh = 0.5f * h;
    q[0] = q0 + hh * (-w[0] * q1 - w[1] * q2 - w[2] * q3);
    q[1] = q1 + hh * (w[0] * q0 + w[1] * q3 - w[2] * q2);
    q[2] = q2 + hh * (w[2] * q1 - w[0] * q3 + w[1] * q0);
    q[3] = q3 + hh * (w[0] * q2 - w[1] * q1 + w[2] * q0);

    const MeReal len2 = q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
    const MeReal inv = 1.0f / std::sqrt(len2);
    for (int k = 0; k < 4; ++k) q[k] *= inv;

    // Rows 0-2: the body's x, y, z axes in world coordinates.
    const MeReal a0 = q[0], a1 = q[1], a2 = q[2], a3 = q[3];
    tm[0] = a0 * a0 + a1 * a1 - a2 * a2 - a3 * a3;
    tm[1] = 2 * (a1 * a2 + a0 * a3);
    tm[2] = 2 * (a1 * a3 - a0 * a2);
    tm[3] = 0;
    tm[4] = 2 * (a1 * a2 - a0 * a3);
    tm[5] = a0 * a0 - a1 * a1 + a2 * a2 - a3 * a3;
    tm[6] = 2 * (a2 * a3 + a0 * a1);
    tm[7] = 0;
    tm[8] = 2 * (a1 * a3 + a0 * a2);
    tm[9] = 2 * (a2 * a3 - a0 * a1);
    tm[10] = a0 * a0 - a1 * a1 - a2 * a2 + a3 * a3;
    tm[11] = 0;
  }
  MeProfileEndSectionFn("Integrate");
}
