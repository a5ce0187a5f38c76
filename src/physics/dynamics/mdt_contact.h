// Contact constraints: one point where two bodies (or a body and the world)
// touch, with its normal, penetration and parameters.
#pragma once

#include "physics/dynamics/mdt_types.h"

struct MdtContact : MdtConstraint {
  MeReal position[3];
  MeReal normal[3];      // unit, pointing toward body 0
  MeReal penetration;
  MeReal direction[3];   // primary friction direction
  MdtContactParams params;
  MdtContact* nextContact;  // next contact of the same collision pair
  void* pair;               // the collision pair whose list holds it, or null
};
using MdtContactID = MdtContact*;

// A contact from the world's constraint pool (disabled, defaults); null when
// the pool is exhausted.
MdtContactID MdtContactCreate(MdtWorldID world);
// Disables it and restores the defaults: normal (0, 1, 0), direction
// (1, 0, 0), parameters reset.
void MdtContactReset(MdtContactID contact);
MdtConstraintID MdtContactGetConstraint(MdtContactID contact);
// The contact when c is one, else null.
MdtContactID MdtConstraintDCastContact(MdtConstraintID c);

void MdtContactSetPosition(MdtContactID contact, MeReal x, MeReal y, MeReal z);
void MdtContactSetNormal(MdtContactID contact, MeReal x, MeReal y, MeReal z);
void MdtContactSetPenetration(MdtContactID contact, MeReal depth);
// Also switches the primary-direction option on.
void MdtContactSetPrimaryDirection(MdtContactID contact, MeReal x, MeReal y, MeReal z);
void MdtContactSetParams(MdtContactID contact, const MdtContactParams* params);
void MdtContactSetNext(MdtContactID contact, MdtContactID next);
MdtContactID MdtContactGetNext(MdtContactID contact);
void MdtContactGetPosition(MdtContactID contact, MeReal* v);
void MdtContactGetNormal(MdtContactID contact, MeReal* v);
MeReal MdtContactGetPenetration(MdtContactID contact);
void MdtContactGetPrimaryDirection(MdtContactID contact, MeReal* v);
// The contact's own record, to be changed in place.
MdtContactParams* MdtContactGetParams(MdtContactID contact);

// The contact's row builder (1 to 3 rows).
void MdtContactAddRows(keaConstraints* header, MdtConstraint* c, const MeReal* transforms, keaBody* states,
                       const MdtStepParams* params);
