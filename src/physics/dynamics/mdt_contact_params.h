// Contact parameters: friction, restitution, softness and adhesion of a
// contact.  Setters of an optional value also switch its option bit on.
#pragma once

#include "physics/dynamics/mdt_types.h"

// Frictionless, no restitution (threshold 0.001), no softness or adhesion,
// friction bounds MeInfinity, no slip or slide.
void MdtContactParamsReset(MdtContactParams* p);
// 0, 1 or 2; anything else warns (code 12) and stores 0.
void MdtContactParamsSetType(MdtContactParams* p, unsigned type);
// Only box friction (0); anything else warns (code 12); 0 is stored.
void MdtContactParamsSetPrimaryFrictionModel(MdtContactParams* p, unsigned model);
void MdtContactParamsSetSecondaryFrictionModel(MdtContactParams* p, unsigned model);
void MdtContactParamsSetRestitution(MdtContactParams* p, MeReal v);
void MdtContactParamsSetRestitutionThreshold(MdtContactParams* p, MeReal v);
void MdtContactParamsSetSoftness(MdtContactParams* p, MeReal v);
void MdtContactParamsSetMaxAdhesiveForce(MdtContactParams* p, MeReal v);
void MdtContactParamsSetPrimaryFriction(MdtContactParams* p, MeReal v);
void MdtContactParamsSetPrimarySlip(MdtContactParams* p, MeReal v);
void MdtContactParamsSetPrimarySlide(MdtContactParams* p, MeReal v);
void MdtContactParamsSetSecondaryFriction(MdtContactParams* p, MeReal v);
void MdtContactParamsSetSecondarySlip(MdtContactParams* p, MeReal v);
void MdtContactParamsSetSecondarySlide(MdtContactParams* p, MeReal v);
// Both friction bounds.
void MdtContactParamsSetFriction(MdtContactParams* p, MeReal v);

unsigned MdtContactParamsGetType(const MdtContactParams* p);
unsigned MdtContactParamsGetPrimaryFrictionModel(const MdtContactParams* p);
unsigned MdtContactParamsGetSecondaryFrictionModel(const MdtContactParams* p);
MeReal MdtContactParamsGetRestitution(const MdtContactParams* p);
MeReal MdtContactParamsGetRestitutionThreshold(const MdtContactParams* p);
MeReal MdtContactParamsGetSoftness(const MdtContactParams* p);
MeReal MdtContactParamsGetMaxAdhesiveForce(const MdtContactParams* p);
MeReal MdtContactParamsGetPrimaryFriction(const MdtContactParams* p);
MeReal MdtContactParamsGetPrimarySlip(const MdtContactParams* p);
MeReal MdtContactParamsGetPrimarySlide(const MdtContactParams* p);
MeReal MdtContactParamsGetSecondaryFriction(const MdtContactParams* p);
MeReal MdtContactParamsGetSecondarySlip(const MdtContactParams* p);
MeReal MdtContactParamsGetSecondarySlide(const MdtContactParams* p);
