#include "physics/dynamics/mdt_contact.h"

#include <cmath>

#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/dynamics/mdt_rows.h"
#include "physics/util/me_math.h"

static_assert(sizeof(MdtContact) <= MdtConstraintRecordSize, "contact fits a constraint record");

MdtContactID MdtContactCreate(MdtWorldID w) {
  auto* c = static_cast<MdtContact*>(MdtConstraintCreateBase(w, MdtTypeContact, MdtContactAddRows, 3));
  if (c) MdtContactReset(c);
  return c;
}

void MdtContactReset(MdtContactID c) {
  MdtConstraintDisable(c);
  if (c->pair) McdDtBridgeForgetContact(c);
  c->bodyIndex[0] = c->bodyIndex[1] = -1;
  MeVector3Set(c->position, 0, 0, 0);
  c->penetration = 0;
  MeVector3Set(c->normal, 0, 1, 0);
  MeVector3Set(c->direction, 1, 0, 0);
  c->nextContact = nullptr;
  c->pair = nullptr;
  MdtContactParamsReset(&c->params);
  MdtConstraintResetBase(c);
}

MdtConstraintID MdtContactGetConstraint(MdtContactID c) { return c; }
MdtContactID MdtConstraintDCastContact(MdtConstraintID c) {
  return c && c->type == MdtTypeContact ? static_cast<MdtContact*>(c) : nullptr;
}

void MdtContactSetPosition(MdtContactID c, MeReal x, MeReal y, MeReal z) { MeVector3Set(c->position, x, y, z); }
void MdtContactSetNormal(MdtContactID c, MeReal x, MeReal y, MeReal z) { MeVector3Set(c->normal, x, y, z); }
void MdtContactSetPenetration(MdtContactID c, MeReal d) { c->penetration = d; }
void MdtContactSetPrimaryDirection(MdtContactID c, MeReal x, MeReal y, MeReal z) {
  MeVector3Set(c->direction, x, y, z);
  c->params.options |= MdtBclContactOptionUseDirection;
}
void MdtContactSetParams(MdtContactID c, const MdtContactParams* p) { c->params = *p; }
void MdtContactSetNext(MdtContactID c, MdtContactID next) { c->nextContact = next; }
MdtContactID MdtContactGetNext(MdtContactID c) { return c->nextContact; }
void MdtContactGetPosition(MdtContactID c, MeReal* v) { MeVector3Copy(v, c->position); }
void MdtContactGetNormal(MdtContactID c, MeReal* v) { MeVector3Copy(v, c->normal); }
MeReal MdtContactGetPenetration(MdtContactID c) { return c->penetration; }
void MdtContactGetPrimaryDirection(MdtContactID c, MeReal* v) { MeVector3Copy(v, c->direction); }
MdtContactParams* MdtContactGetParams(MdtContactID c) { return &c->params; }

void MdtContactAddRows(keaConstraints* h, MdtConstraint* base, const MeReal* transforms, keaBody* states,
                       const MdtStepParams*) {
  MdtContact* c = static_cast<MdtContact*>(base);
  const MdtContactParams& P = c->params;
  const int rows = P.type == 2 ? 3 : (P.type == 1 ? 2 : 1);
  const MdtRowBodies b = MdtRowGetBodies(c, transforms, states);
  const bool two = b.s1 != nullptr;
  MdtRowArrays a = MdtRowGetArrays(h);
  const MeReal* n = c->normal;

  MeReal dirs[3][3];
  MeVector3Copy(dirs[0], n);
  if (rows == 2) {
    MeReal t[3];
    MeVector3Copy(t, c->direction);
    MeVector3MultiplyAdd(t, -MeVector3Dot(t, n), n);
    const MeReal l2 = MeVector3Dot(t, t);
    if (l2 > 0) MeVector3Scale(t, 1.0f / std::sqrt(l2));
    else MeVector3Set(t, 1, 0, 0);
    MeVector3Copy(dirs[1], t);
  } else if (rows == 3) {
    if (P.options & MdtBclContactOptionUseDirection) {
      MeVector3Cross(dirs[2], c->direction, n);
      MeVector3Cross(dirs[1], n, dirs[2]);
    } else {
      MdtPerpendicular(n, dirs[1]);
      MeVector3Cross(dirs[2], n, dirs[1]);
    }
  }

  // r1 is read only when body 1 is present, which is also when it is set;
  // zeroed so that the compiler can see it too.
  MeReal r0[3], r1[3] = {0, 0, 0};
  MeVector3Subtract(r0, c->position, b.t0 + 12);
  if (two) MeVector3Subtract(r1, c->position, b.t1 + 12);
  for (int i = 0; i < rows; ++i) {
    MeReal x0[3], x1[3] = {0, 0, 0}, nd[3];
    MeVector3Cross(x0, r0, dirs[i]);
    MeVector3Copy(nd, dirs[i]);
    MeVector3Scale(nd, -1);
    if (two) {
      MeVector3Cross(x1, r1, dirs[i]);
      MeVector3Scale(x1, -1);
    }
    MdtRowSetJacobian(h, i, dirs[i], x0, nd, x1, two);
    if (i == 0) {
      // Restitution: the normal approach speed from the packed velocities.
      if (P.options & MdtBclContactOptionBounce) {
        MeReal vn = MeVector3Dot(dirs[0], b.s0->vel) + MeVector3Dot(x0, b.s0->velrot);
        if (two) vn += MeVector3Dot(nd, b.s1->vel) + MeVector3Dot(x1, b.s1->velrot);
        if (vn < -P.restitutionThreshold) a.c[0] = -P.restitution * vn;
      }
    }
  }
  a.xi[0] = -c->penetration;
  if (P.options & MdtBclContactOptionSoft) a.softness[0] = P.softness;
  a.lo[0] = (P.options & MdtBclContactOptionAdhesive) ? -P.maxAdhesiveForce : 0;
  a.hi[0] = MeInfinity;
  if (rows >= 2) {
    if (P.options & MdtBclContactOptionSlip1) a.softness[1] = P.primarySlip;
    if (P.options & MdtBclContactOptionSlide1) a.c[1] = P.primarySlide;
    const MeReal f = P.primaryModel == MdtFrictionModelBox ? P.primaryFriction : MeInfinity;
    a.lo[1] = -f;
    a.hi[1] = f;
  }
  if (rows == 3) {
    if (P.options & MdtBclContactOptionSlip2) a.softness[2] = P.secondarySlip;
    if (P.options & MdtBclContactOptionSlide2) a.c[2] = P.secondarySlide;
    const MeReal f = P.secondaryModel == MdtFrictionModelBox ? P.secondaryFriction : MeInfinity;
    a.lo[2] = -f;
    a.hi[2] = f;
  }
  MdtRowFinish(h, c, rows);
}
