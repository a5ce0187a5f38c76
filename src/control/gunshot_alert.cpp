#include "control/gunshot_alert.h"

#include "foundation/system/not_built_yet.h"
#include "world/environment/env_instance.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"

CVector3 GunshotNoisePoint{0.0f, 0.0f, 0.0f};

namespace {
HearNoiseOperation gHearNoise = nullptr;
constexpr float kEarshot = 800.0f;
}  // namespace

void SetHearNoiseOperation(HearNoiseOperation operation) { gHearNoise = operation; }

void AlertSoldiersToGunshot(const CVector3* position) {
  if (!position) return;
  GunshotNoisePoint = *position;
  if (!g_HLOManager) return;
  for (int side = 0; side < 4; ++side) {
    for (CHLO* soldier = g_HLOManager->FirstActive(side, HLO_GRUNT); soldier;) {
      CHLO* next = soldier->Next;  // the hearer may leave the list
      if (soldier->Instance) {
        CVector3 at;
        soldier->Instance->GetPosition(&at);
        // Strictly within earshot: compared squared, in world units.
        const float dx = at.x - GunshotNoisePoint.x, dy = at.y - GunshotNoisePoint.y,
                    dz = at.z - GunshotNoisePoint.z;
        if (dx * dx + dy * dy + dz * dz < kEarshot * kEarshot) {
          if (gHearNoise)
            gHearNoise(soldier, GunshotNoisePoint);
          else
            NotBuiltYet("soldier hearing a noise");
        }
      }
      soldier = next;
    }
  }
}
