#include "physics/dynamics/mdt_limit.h"

#include <cmath>

#include "physics/util/me_math.h"

namespace {

void recompute(MdtLimit* l) { l->active = (l->limited || l->motor || l->lock) ? 1 : 0; }

// The stop part of the row; false when the stop yields no row.
bool stopRow(MdtLimit* l, const MdtLimitStop& s, const MdtRowArrays& a, int row, const MdtStepParams* p) {
  const MeReal o = l->overshoot, v = l->velocity, h = p->stepSize;
  if (s.stiffness < l->hardStopThreshold) {
    MeReal soft = 0, erp = 0;
    if (!MdtSpringRow(h, s.stiffness, s.damping, &soft, &erp)) return false;
    a.softness[row] = soft - p->epsilon;
    a.xgamma[row] = erp - p->gamma;
    a.xi[row] = o;
    return true;
  }
  const MeReal bounce = -s.restitution * v;
  const MeReal correction = p->gamma * o;
  l->bounce = (correction != 0 && std::fabs(bounce * h / correction) < 1) ? 1 : 0;
  if (v * o >= 0) a.c[row] = bounce;
  else if (!l->bounce) return false;  // already leaving the stop quickly
  if (l->bounce) {
    a.c[row] = 0;
    a.xi[row] = o;
  }
  return true;
}

}  // namespace

bool MdtSpringRow(MeReal h, MeReal k, MeReal d, MeReal* softness, MeReal* errorReduction) {
  const MeReal hk = h * k;
  const MeReal sum = hk + d;
  if (!(sum > 0)) return false;
  if (!std::isfinite(sum)) {
    *softness = 0;
    *errorReduction = 0;
    return true;
  }
  *softness = 1.0f / sum;
  *errorReduction = hk / sum;
  return true;
}

void MdtLimitReset(MdtLimit* l) {
  *l = MdtLimit{};
  l->hardStopThreshold = MeInfinity;
  l->lower = MdtLimitStop{0, MeInfinity, 0, 1};
  l->upper = MdtLimitStop{0, MeInfinity, 0, 1};
}

void MdtLimitSetLowerStop(MdtLimit* l, const MdtLimitStop* s) {
  l->lower.position = s->position;
  l->lower.stiffness = std::fabs(s->stiffness);
  l->lower.damping = std::fabs(s->damping);
  l->lower.restitution = s->restitution < 0 ? 0 : (s->restitution > 1 ? 1 : s->restitution);
  if (l->upper.position < l->lower.position) l->upper.position = l->lower.position;
}

MdtLimitStop* MdtLimitGetLowerStop(MdtLimit* l) { return &l->lower; }
MdtLimitStop* MdtLimitGetUpperStop(MdtLimit* l) { return &l->upper; }

void MdtLimitSetLimited(MdtLimit* l, unsigned on) {
  l->limited = on ? 1 : 0;
  recompute(l);
}
unsigned MdtLimitIsLimited(const MdtLimit* l) { return l->limited; }
unsigned MdtLimitIsActive(const MdtLimit* l) { return l->active; }

void MdtLimitSetMotor(MdtLimit* l, MeReal velocity, MeReal maxForce) {
  l->motor = maxForce != 0 ? 1 : 0;
  l->lock = 0;
  l->desiredVelocity = velocity;
  l->maxForce = std::fabs(maxForce);
  recompute(l);
}

void MdtLimitSetLock(MdtLimit* l, MeReal position, MeReal maxForce) {
  l->lock = maxForce != 0 ? 1 : 0;
  l->lockPosition = position;
  l->motor = 0;
  l->desiredVelocity = 0;
  l->maxForce = std::fabs(maxForce);
  recompute(l);
}

void MdtLimitSetMotorOn(MdtLimit* l, unsigned on) {
  l->motor = on ? 1 : 0;
  if (on) l->lock = 0;
  recompute(l);
}

void MdtLimitSetLockOn(MdtLimit* l, unsigned on) {
  l->lock = on ? 1 : 0;
  if (on) l->motor = 0;
  recompute(l);
}

unsigned MdtLimitIsMotorOn(const MdtLimit* l) { return l->motor; }
unsigned MdtLimitIsLockOn(const MdtLimit* l) { return l->lock; }

void MdtLimitDriveToPosition(MdtLimit* l, MeReal target, MeReal band, MeReal speed, MeReal maxForce) {
  const MeReal e = MdtLimitGetPosition(l) - target;
  MeReal v;
  if (band <= 0) v = e < 0 ? speed : (e > 0 ? -speed : 0);  // no band: switch at the target
  else if (e < -band) v = speed;
  else if (e > band) v = -speed;
  else v = -speed * e / band;
  MdtLimitSetMotor(l, v, maxForce);
}

MeReal MdtLimitGetPosition(const MdtLimit* l) { return l->offset + l->position; }
MeReal MdtLimitGetVelocity(const MdtLimit* l) { return l->velocity; }
MeReal MdtLimitGetOvershoot(const MdtLimit* l) { return l->overshoot; }
MeReal MdtLimitGetDesiredVelocity(const MdtLimit* l) { return l->desiredVelocity; }
MeReal MdtLimitGetMaxForce(const MdtLimit* l) { return l->maxForce; }
void MdtLimitSetHardStopThreshold(MdtLimit* l, MeReal k) { l->hardStopThreshold = std::fabs(k); }

void MdtLimitUpdate(MdtLimit* l, bool angular) {
  if (!l->firstStep) {
    l->firstStep = 1;
    l->previousPosition = l->position;
    l->offset -= l->position;
  }
  if (std::fabs(l->velocity) < 1e-6f) {
    l->position = l->previousPosition;
  } else if (angular) {
    while (l->position > l->previousPosition + MePi) l->position -= 2 * MePi;
    while (l->position + MePi < l->previousPosition) l->position += 2 * MePi;
  }
  l->previousPosition = l->position;
  l->overshoot = 0;
  if (l->limited) {
    const MeReal pos = l->offset + l->position;
    if (pos < l->lower.position) l->overshoot = pos - l->lower.position;
    else if (pos > l->upper.position) l->overshoot = pos - l->upper.position;
    else l->bounce = 0;
  }
}

bool MdtLimitAddRow(MdtLimit* l, const MdtConstraint* c, const MeReal* linear, const MeReal* ang0,
                    const MeReal* ang1, keaBody* states, const MdtRowArrays& a, int row, keaConstraints* h,
                    const MdtStepParams* p) {
  const MeReal o = l->overshoot;
  a.lo[row] = 0;
  a.hi[row] = 0;
  if (o < 0 && l->lower.stiffness > 0) {
    if (!stopRow(l, l->lower, a, row, p)) return false;
    a.lo[row] = 0;
    a.hi[row] = MeInfinity;
  } else if (o > 0 && l->upper.stiffness > 0) {
    if (!stopRow(l, l->upper, a, row, p)) return false;
    a.lo[row] = -MeInfinity;
    a.hi[row] = 0;
  }
  const bool drive = l->motor || l->lock;
  if (o == 0 && !drive) return false;
  const bool two = c->bodyIndex[1] >= 0;
  MeReal nl[3], na[3];
  MeVector3Copy(nl, linear);
  MeVector3Scale(nl, -1);
  MeVector3Copy(na, ang1);
  MeVector3Scale(na, -1);
  MdtRowSetJacobian(h, row, linear, ang0, nl, na, two);
  if (!drive) return true;
  if (o != 0) {
    // At a stop the drive pushes with its full force on the bodies instead
    // of through the row, which keeps only the stop.
    const MeReal F = l->desiredVelocity <= l->velocity ? -l->maxForce : l->maxForce;
    if (c->bodyIndex[0] >= 0) {
      keaBody* s0 = states + c->bodyIndex[0];
      for (int k = 0; k < 3; ++k) {
        s0->force[k] += F * linear[k];
        s0->torque[k] += F * ang0[k];
      }
    }
    if (two) {
      keaBody* s1 = states + c->bodyIndex[1];
      for (int k = 0; k < 3; ++k) {
        s1->force[k] -= F * linear[k];
        s1->torque[k] -= F * ang1[k];
      }
    }
    return true;
  }
  a.lo[row] = -l->maxForce;
  a.hi[row] = l->maxForce;
  if (l->motor) a.c[row] = l->desiredVelocity;
  else a.xi[row] = l->position - l->lockPosition;
  return true;
}
