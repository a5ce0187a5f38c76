#include "physics/dynamics/mdt_constraint.h"

#include <cmath>
#include <cstring>

#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/util/me_math.h"
#include "physics/util/me_message.h"

void MdtNormalizeOrX(MeReal* v) {
  const MeReal l2 = MeVector3Dot(v, v);
  if (!(l2 > 0)) {
    MeVector3Set(v, 1, 0, 0);
    return;
  }
  if (std::fabs(l2 - 1) < 0.001f) return;
  MeVector3Scale(v, 1.0f / std::sqrt(l2));
}

void MdtPerpendicular(const MeReal* a, MeReal* b) {
  if (std::fabs(a[1]) >= std::fabs(a[0])) {
    const MeReal s = 1.0f / std::sqrt(a[1] * a[1] + a[2] * a[2]);
    MeVector3Set(b, 0, -a[2] * s, a[1] * s);
  } else {
    const MeReal s = 1.0f / std::sqrt(a[0] * a[0] + a[2] * a[2]);
    MeVector3Set(b, a[2] * s, 0, -a[0] * s);
  }
}

void MdtConvertToBody(const MdtBody* b, const MeReal* world, MeReal* local, bool point) {
  if (!b) {
    MeVector3Copy(local, world);
    return;
  }
  MeReal v[3];
  MeVector3Copy(v, world);
  if (point) MeVector3Subtract(v, v, b->comTransform + 12);
  MeMatrix4TMInverseRotate(local, b->comTransform, v);
}

void MdtConvertFromBody(const MdtBody* b, const MeReal* local, MeReal* world, bool point) {
  if (!b) {
    MeVector3Copy(world, local);
    return;
  }
  MeReal v[3];
  MeMatrix4TMRotate(v, b->comTransform, local);
  if (point) MeVector3Add(v, v, b->comTransform + 12);
  MeVector3Copy(world, v);
}

void MdtConstraintClearResults(MdtConstraintID c) {
  std::memset(c->force0, 0, sizeof(c->force0));
  std::memset(c->force1, 0, sizeof(c->force1));
  std::memset(c->torque0, 0, sizeof(c->torque0));
  std::memset(c->torque1, 0, sizeof(c->torque1));
}

MdtConstraint* MdtConstraintCreateBase(MdtWorldID w, int type, MdtRowBuilderFn builder, unsigned maxRows) {
  MdtConstraint* c = static_cast<MdtConstraint*>(MeBlockPoolTake(&w->constraintPool));
  if (!c) return nullptr;
  std::memset(c, 0, MdtConstraintRecordSize);
  c->world = w;
  c->type = type;
  c->builder = builder;
  c->maxRows = maxRows;
  c->setBodies = MdtConstraintDefaultSetBodies;
  c->setAxis = MdtConstraintDefaultSetAxis;
  c->bodyIndex[0] = c->bodyIndex[1] = -1;
  c->packedIndex = -1;
  MdtConstraintResetBase(c);
  return c;
}

void MdtConstraintResetBase(MdtConstraintID c) {
  MdtConstraintClearResults(c);
  MeMatrix4TMMakeIdentity(c->frame0);
  MeMatrix4TMMakeIdentity(c->frame1);
  c->visited = 0;
}

void MdtConstraintEnable(MdtConstraintID c) {
  if (c->enabled || (!c->body[0] && !c->body[1])) return;
  MdtWorld* w = c->world;
  MdtBodyLink* nodes[2] = {nullptr, nullptr};
  for (int k = 0; k < 2; ++k) {
    if (!c->body[k]) continue;
    nodes[k] = static_cast<MdtBodyLink*>(MeBlockPoolTake(&w->linkPool));
    if (!nodes[k]) {
      if (nodes[0] && k == 1) MeBlockPoolGive(&w->linkPool, nodes[0]);
      MeWarning(0, "MdtConstraintEnable: no free body links; the constraint stays disabled.\n");
      return;
    }
  }
  c->enabled = 1;
  c->prev = nullptr;
  c->next = w->constraints;
  if (w->constraints) w->constraints->prev = c;
  w->constraints = c;
  w->enabledConstraintCount += 1;
  for (int k = 0; k < 2; ++k) {
    MdtBodyLink* l = nodes[k];
    c->link[k] = l;
    if (!l) continue;
    MdtBody* b = c->body[k];
    l->constraint = c;
    l->prev = nullptr;
    l->next = b->constraints;
    if (b->constraints) b->constraints->prev = l;
    b->constraints = l;
  }
}

void MdtConstraintDisable(MdtConstraintID c) {
  if (!c->enabled) return;
  MdtWorld* w = c->world;
  if (c->prev) c->prev->next = c->next;
  else w->constraints = c->next;
  if (c->next) c->next->prev = c->prev;
  c->next = c->prev = nullptr;
  c->enabled = 0;
  w->enabledConstraintCount -= 1;
  for (int k = 0; k < 2; ++k) {
    MdtBodyLink* l = c->link[k];
    if (!l) continue;
    MdtBody* b = c->body[k];
    if (l->prev) l->prev->next = l->next;
    else b->constraints = l->next;
    if (l->next) l->next->prev = l->prev;
    MeBlockPoolGive(&w->linkPool, l);
    c->link[k] = nullptr;
  }
}

bool MdtConstraintIsEnabled(MdtConstraintID c) { return c->enabled != 0; }

void MdtConstraintDestroy(MdtConstraintID c) {
  if (!c || c->type == MdtTypeDestroyed) return;
  MdtConstraintDisable(c);
  // A contact still listed by a collision pair leaves that list first.
  if (c->type == MdtTypeContact) McdDtBridgeForgetContact(static_cast<MdtContact*>(c));
  c->type = MdtTypeDestroyed;
  MeBlockPoolGive(&c->world->constraintPool, c);
}

void MdtConstraintDefaultSetBodies(MdtConstraint* c, MdtBody* b0, MdtBody* b1) {
  if (c->enabled) return;
  c->body[0] = b0;
  c->body[1] = b1;
}

void MdtConstraintSetBodies(MdtConstraintID c, MdtBodyID b0, MdtBodyID b1) { c->setBodies(c, b0, b1); }
MdtBodyID MdtConstraintGetBody(MdtConstraintID c, unsigned which) { return which < 2 ? c->body[which] : nullptr; }
void MdtConstraintSetUserData(MdtConstraintID c, MeUserWord d) { c->userData = d; }
MeUserWord MdtConstraintGetUserData(MdtConstraintID c) { return c->userData; }

void MdtConstraintGetForce(MdtConstraintID c, unsigned which, MeReal* v) {
  MeVector3Copy(v, which == 0 ? c->force0 : c->force1);
}
void MdtConstraintGetTorque(MdtConstraintID c, unsigned which, MeReal* v) {
  MeVector3Copy(v, which == 0 ? c->torque0 : c->torque1);
}

namespace {

void storeAxes(MdtConstraint* c, int which, const MeReal* a, const MeReal* b, const MeReal* cc, bool local) {
  MeReal* f = which == 0 ? c->frame0 : c->frame1;
  const MdtBody* body = local ? nullptr : c->body[which];
  MdtConvertToBody(body, a, f, false);
  MdtConvertToBody(body, b, f + 4, false);
  MdtConvertToBody(body, cc, f + 8, false);
}

}  // namespace

void MdtConstraintDefaultSetAxis(MdtConstraint* c, MeReal x, MeReal y, MeReal z) {
  MeReal a[3] = {x, y, z}, b[3], cc[3];
  MdtNormalizeOrX(a);
  MdtPerpendicular(a, b);
  MeVector3Cross(cc, a, b);
  storeAxes(c, 0, a, b, cc, false);
  storeAxes(c, 1, a, b, cc, false);
}

void MdtConstraintSetAxis(MdtConstraintID c, MeReal x, MeReal y, MeReal z) { c->setAxis(c, x, y, z); }

void MdtConstraintSetBodyPosition(MdtConstraintID c, unsigned which, MeReal x, MeReal y, MeReal z) {
  if (which > 1) return;
  const MeReal p[3] = {x, y, z};
  MdtConvertToBody(c->body[which], p, (which == 0 ? c->frame0 : c->frame1) + 12, true);
}

void MdtConstraintSetPosition(MdtConstraintID c, MeReal x, MeReal y, MeReal z) {
  MdtConstraintSetBodyPosition(c, 0, x, y, z);
  MdtConstraintSetBodyPosition(c, 1, x, y, z);
}

void MdtConstraintSetBothAxes(MdtConstraintID c, MeReal px, MeReal py, MeReal pz, MeReal sx, MeReal sy, MeReal sz) {
  MeReal a[3] = {px, py, pz}, b[3] = {sx, sy, sz}, cc[3];
  MdtNormalizeOrX(a);
  MdtNormalizeOrX(b);
  MeVector3Cross(cc, a, b);
  storeAxes(c, 0, a, b, cc, false);
  storeAxes(c, 1, a, b, cc, false);
}

void MdtConstraintSetLocalAxes(MdtConstraintID c, unsigned which, const MeReal* primary, const MeReal* second) {
  if (which > 1) return;
  MeReal a[3], b[3], cc[3];
  MeVector3Copy(a, primary);
  MeVector3Copy(b, second);
  MdtNormalizeOrX(a);
  MdtNormalizeOrX(b);
  MeVector3Cross(cc, a, b);
  storeAxes(c, static_cast<int>(which), a, b, cc, true);
}

void MdtConstraintGetPosition(MdtConstraintID c, MeReal* v) { MdtConvertFromBody(c->body[0], c->frame0 + 12, v, true); }
void MdtConstraintGetAxis(MdtConstraintID c, MeReal* v) { MdtConvertFromBody(c->body[0], c->frame0, v, false); }
void MdtConstraintGetAxes(MdtConstraintID c, MeReal* primary, MeReal* second) {
  MdtConvertFromBody(c->body[0], c->frame0, primary, false);
  MdtConvertFromBody(c->body[0], c->frame0 + 4, second, false);
}
void MdtConstraintGetLocalPosition(MdtConstraintID c, unsigned which, MeReal* v) {
  MeVector3Copy(v, (which == 0 ? c->frame0 : c->frame1) + 12);
}
void MdtConstraintGetLocalAxis(MdtConstraintID c, unsigned which, MeReal* v) {
  MeVector3Copy(v, which == 0 ? c->frame0 : c->frame1);
}
void MdtConstraintGetLocalAxes(MdtConstraintID c, unsigned which, MeReal* primary, MeReal* second) {
  const MeReal* f = which == 0 ? c->frame0 : c->frame1;
  MeVector3Copy(primary, f);
  MeVector3Copy(second, f + 4);
}
