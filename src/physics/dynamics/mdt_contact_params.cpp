#include "physics/dynamics/mdt_contact_params.h"

#include "physics/util/me_message.h"

namespace {

// Only box friction exists: any other model is refused with a warning and
// box friction (0) is kept.
unsigned BoxFrictionOnly(unsigned model) {
  if (model != MdtFrictionModelBox) MeWarning(12, "Unknown Friction Model, defaulting to box friction.\n");
  return 0;
}

// Stores a value whose setting also switches its option on.
void SetWithOption(MdtContactParams* p, MeReal MdtContactParams::*field, MeReal v, MeU32 option) {
  p->*field = v;
  p->options |= option;
}

}  // namespace

void MdtContactParamsReset(MdtContactParams* p) {
  *p = MdtContactParams{0, 0, 0, 0, 0, 0.001f, 0, 0, MeInfinity, 0, MeInfinity, 0, 0, 0};
}

void MdtContactParamsSetType(MdtContactParams* p, unsigned type) {
  if (type > 2) {
    MeWarning(12, "Unknown Contact Type, defaulting to zero friction.\n");
    type = 0;
  }
  p->type = type;
}

void MdtContactParamsSetPrimaryFrictionModel(MdtContactParams* p, unsigned model) {
  p->primaryModel = BoxFrictionOnly(model);
}

void MdtContactParamsSetSecondaryFrictionModel(MdtContactParams* p, unsigned model) {
  p->secondaryModel = BoxFrictionOnly(model);
}

void MdtContactParamsSetRestitution(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::restitution, v, MdtBclContactOptionBounce);
}
void MdtContactParamsSetRestitutionThreshold(MdtContactParams* p, MeReal v) { p->restitutionThreshold = v; }
void MdtContactParamsSetSoftness(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::softness, v, MdtBclContactOptionSoft);
}
void MdtContactParamsSetMaxAdhesiveForce(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::maxAdhesiveForce, v, MdtBclContactOptionAdhesive);
}
void MdtContactParamsSetPrimaryFriction(MdtContactParams* p, MeReal v) { p->primaryFriction = v; }
void MdtContactParamsSetPrimarySlip(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::primarySlip, v, MdtBclContactOptionSlip1);
}
void MdtContactParamsSetPrimarySlide(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::primarySlide, v, MdtBclContactOptionSlide1);
}
void MdtContactParamsSetSecondaryFriction(MdtContactParams* p, MeReal v) { p->secondaryFriction = v; }
void MdtContactParamsSetSecondarySlip(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::secondarySlip, v, MdtBclContactOptionSlip2);
}
void MdtContactParamsSetSecondarySlide(MdtContactParams* p, MeReal v) {
  SetWithOption(p, &MdtContactParams::secondarySlide, v, MdtBclContactOptionSlide2);
}
void MdtContactParamsSetFriction(MdtContactParams* p, MeReal v) {
  p->primaryFriction = v;
  p->secondaryFriction = v;
}

unsigned MdtContactParamsGetType(const MdtContactParams* p) { return p->type; }
unsigned MdtContactParamsGetPrimaryFrictionModel(const MdtContactParams* p) { return p->primaryModel; }
unsigned MdtContactParamsGetSecondaryFrictionModel(const MdtContactParams* p) { return p->secondaryModel; }
MeReal MdtContactParamsGetRestitution(const MdtContactParams* p) { return p->restitution; }
MeReal MdtContactParamsGetRestitutionThreshold(const MdtContactParams* p) { return p->restitutionThreshold; }
MeReal MdtContactParamsGetSoftness(const MdtContactParams* p) { return p->softness; }
MeReal MdtContactParamsGetMaxAdhesiveForce(const MdtContactParams* p) { return p->maxAdhesiveForce; }
MeReal MdtContactParamsGetPrimaryFriction(const MdtContactParams* p) { return p->primaryFriction; }
MeReal MdtContactParamsGetPrimarySlip(const MdtContactParams* p) { return p->primarySlip; }
MeReal MdtContactParamsGetPrimarySlide(const MdtContactParams* p) { return p->primarySlide; }
MeReal MdtContactParamsGetSecondaryFriction(const MdtContactParams* p) { return p->secondaryFriction; }
MeReal MdtContactParamsGetSecondarySlip(const MdtContactParams* p) { return p->secondarySlip; }
MeReal MdtContactParamsGetSecondarySlide(const MdtContactParams* p) { return p->secondarySlide; }
