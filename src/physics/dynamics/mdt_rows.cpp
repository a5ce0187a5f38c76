#include "physics/dynamics/mdt_rows.h"

#include "physics/util/me_math.h"

namespace {

// The world where body 0 is missing: at the origin, unturned and at rest, so
// that every builder can read body 0's pose and velocity as usual.  Its
// Jacobian entries are written but the solver drops them (no body index),
// and whatever a builder pushes onto it is thrown away with the next call.
const MeReal kWorldTransform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
keaBody g_worldState;

}  // namespace

MdtRowBodies MdtRowGetBodies(const MdtConstraint* c, const MeReal* transforms, keaBody* states) {
  MdtRowBodies b{};
  if (c->bodyIndex[0] >= 0) {
    b.t0 = transforms + 16 * c->bodyIndex[0];
    b.s0 = states + c->bodyIndex[0];
  } else {
    g_worldState = keaBody{};
    g_worldState.qrot[0] = 1;
    b.t0 = kWorldTransform;
    b.s0 = &g_worldState;
  }
  if (c->bodyIndex[1] >= 0) {
    b.t1 = transforms + 16 * c->bodyIndex[1];
    b.s1 = states + c->bodyIndex[1];
  }
  return b;
}

MdtRowArrays MdtRowGetArrays(keaConstraints* h) {
  const int r = keaConstraintsCurrentRow(h);
  return MdtRowArrays{h->xi + r, h->c + r, h->lo + r, h->hi + r, h->softness + r, h->xgamma + r};
}

void MdtRowSetJacobian(keaConstraints* h, int r, const MeReal* l0, const MeReal* a0, const MeReal* l1,
                       const MeReal* a1, bool twoBodies) {
  MeReal j0[6] = {}, j1[6] = {};
  for (int k = 0; k < 3; ++k) {
    if (l0) j0[k] = l0[k];
    if (a0) j0[3 + k] = a0[k];
    if (l1) j1[k] = l1[k];
    if (a1) j1[3 + k] = a1[k];
  }
  keaConstraintsSetJacobianRow(h, r, j0, twoBodies ? j1 : nullptr);
}

void MdtRowFinish(keaConstraints* h, const MdtConstraint* c, int rows) {
  keaConstraintsAddConstraint(h, rows, c->bodyIndex[0] >= 0 ? c->bodyIndex[0] : keaNoBody,
                              c->bodyIndex[1] >= 0 ? c->bodyIndex[1] : keaNoBody);
}

void MdtPointRows(keaConstraints* h, const MeReal* com0, const MeReal* com1, const MeReal* p0, const MeReal* p1,
                  bool body1Present) {
  MdtRowArrays a = MdtRowGetArrays(h);
  // r1 is read only when body 1 is present, which is also when it is set;
  // zeroed so that the compiler can see it too.
  MeReal r0[3], r1[3] = {0, 0, 0};
  MeVector3Subtract(r0, p0, com0);
  if (body1Present) MeVector3Subtract(r1, p1, com1);
  for (int i = 0; i < 3; ++i) {
    MeReal e[3] = {0, 0, 0}, ne[3] = {0, 0, 0}, x0[3], x1[3];
    e[i] = 1;
    ne[i] = -1;
    MeVector3Cross(x0, r0, e);
    if (body1Present) {
      MeVector3Cross(x1, r1, e);
      MeVector3Scale(x1, -1);
    }
    MdtRowSetJacobian(h, i, e, x0, ne, x1, body1Present);
    a.xi[i] = p0[i] - p1[i];
    a.lo[i] = -MeInfinity;
    a.hi[i] = MeInfinity;
  }
}

void MdtRowFrameAxis(const MeReal* frame, const MeReal* t, int row, MeReal* out) {
  if (t) MeMatrix4TMRotate(out, t, frame + 4 * row);
  else MeVector3Copy(out, frame + 4 * row);
}

void MdtRowFramePoint(const MeReal* frame, const MeReal* t, MeReal* out) {
  if (t) MeMatrix4TMTransform(out, t, frame + 12);
  else MeVector3Copy(out, frame + 12);
}

void MdtQuaternionMultiply(MeReal* out, const MeReal* a, const MeReal* b) {
  const MeReal w = a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3];
  const MeReal x = a[0] * b[1] + b[0] * a[1] + a[2] * b[3] - a[3] * b[2];
  const MeReal y = a[0] * b[2] + b[0] * a[2] + a[3] * b[1] - a[1] * b[3];
  const MeReal z = a[0] * b[3] + b[0] * a[3] + a[1] * b[2] - a[2] * b[1];
  out[0] = w;
  out[1] = x;
  out[2] = y;
  out[3] = z;
}

void MdtQuaternionConjugate(MeReal* out, const MeReal* q) {
  out[0] = q[0];
  out[1] = -q[1];
  out[2] = -q[2];
  out[3] = -q[3];
}

void MdtQuaternionE(const MeReal* q, MeReal* m) {
  const MeReal w = q[0], x = q[1], y = q[2], z = q[3];
  const MeReal v[12] = {-x, w, -z, y, -y, z, w, -x, -z, -y, x, w};
  for (int i = 0; i < 12; ++i) m[i] = v[i];
}

void MdtQuaternionG(const MeReal* q, MeReal* m) {
  const MeReal w = q[0], x = q[1], y = q[2], z = q[3];
  const MeReal v[12] = {-x, w, z, -y, -y, -z, w, x, -z, y, -x, w};
  for (int i = 0; i < 12; ++i) m[i] = v[i];
}

void MdtMultiplyABt(const MeReal* a, const MeReal* b, MeReal s, MeReal* out) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      MeReal sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[4 * i + k] * b[4 * j + k];
      out[3 * i + j] = s * sum;
    }
}

void MdtRowGetFrames(const MdtConstraint* c, const MdtRowBodies& b, MdtJointFrames* f) {
  MdtRowFrameAxis(c->frame0, b.t0, 0, f->a0);
  MdtRowFrameAxis(c->frame0, b.t0, 1, f->b0);
  MdtRowFrameAxis(c->frame0, b.t0, 2, f->c0);
  MdtRowFramePoint(c->frame0, b.t0, f->p0);
  MdtRowFrameAxis(c->frame1, b.t1, 0, f->a1);
  MdtRowFrameAxis(c->frame1, b.t1, 1, f->b1);
  MdtRowFrameAxis(c->frame1, b.t1, 2, f->c1);
  MdtRowFramePoint(c->frame1, b.t1, f->p1);
  MeVector3Copy(f->x0, b.t0 + 12);
  if (b.t1) MeVector3Copy(f->x1, b.t1 + 12);
  else MeVector3Set(f->x1, 0, 0, 0);
}

MdtJointRows MdtJointRowsBegin(keaConstraints* h, const MdtConstraint* c, const MeReal* transforms, keaBody* states,
                               bool pointRows) {
  MdtJointRows r{};
  r.b = MdtRowGetBodies(c, transforms, states);
  r.two = r.b.s1 != nullptr;
  r.a = MdtRowGetArrays(h);
  MdtRowGetFrames(c, r.b, &r.f);
  if (pointRows) MdtPointRows(h, r.f.x0, r.f.x1, r.f.p0, r.f.p1, r.two);
  return r;
}

void MdtNegate(const MeReal* v, MeReal* out) { MeVector3Set(out, -v[0], -v[1], -v[2]); }
