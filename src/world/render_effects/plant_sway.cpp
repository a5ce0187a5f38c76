#include "world/render_effects/plant_sway.h"

#include "foundation/maths/random_tables.h"
#include "foundation/time/timer.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

namespace {

// The sway direction in world space, before it is turned into an instance's frame.
constexpr CVector3 kSwayDirection{0.5f, 0.0f, 0.5f};

}  // namespace

int AttachPlantSway(CEnvironment* environment, CEnvObject* object, float scaleMin, float scaleMax, float rateMin,
                    float rateMax) {
  if (environment == nullptr || object == nullptr) return 0;
  int attached = 0;
  for (CEnvInstance* i = environment->InstanceList; i != nullptr; i = i->EnvLink) {
    if (i->Template != object) continue;
    SwayRecord record;
    record.Amplitude = RandomFloatRange(scaleMin, scaleMax);
    record.Speed = RandomFloatRange(rateMin, rateMax);
    record.Phase = RandomFloat(360.0f);
    if (record.Phase >= 360.0f) record.Phase = 0.0f;
    // World direction to local: through the inverse world matrix's rotation.
    i->GetInverseWorldMatrix().RotateVector(kSwayDirection, &record.Weights);
    environment->PlantSways.push_back(record);
    i->PreDrawHook = &PlantSwayHook;
    i->HookData = &environment->PlantSways.back();
    ++attached;
  }
  return attached;
}

void PlantSwayHook(CEnvInstance*, void* record) {
  if (record == nullptr) return;
  const CTimer* clock = g_Environment != nullptr ? g_Environment->GameClock : nullptr;
  SwayStep(static_cast<SwayRecord*>(record), clock != nullptr ? clock->GetFrameTime() : 0.0f);
}
