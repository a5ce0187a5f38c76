// The gunshot noise alert: when a weapon fires, every soldier of every side
// strictly within 800 units of the shot hears a noise there (whether it reacts
// is the soldier's own rule).  Main thread only.
#pragma once

#include "render/geometry/vector3.h"

class CHLO;

// The last shot reported (the origin at program start).
extern CVector3 GunshotNoisePoint;
// Called by the weapon code with the shot's position.
void AlertSoldiersToGunshot(const CVector3* position);

// The soldier's hear-noise operation; the units install it.  Until they do,
// a soldier in earshot is reported as not built yet.
using HearNoiseOperation = void (*)(CHLO* soldier, const CVector3& point);
void SetHearNoiseOperation(HearNoiseOperation operation);
