#include "world/effects/effects_hooks.h"

#include <vector>

#include "foundation/time/timer.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"
#include "world/space/world_queries.h"

EffectsHooks g_EffectsHooks;

std::uint32_t EffectsNow() {
  return g_EffectsHooks.GameClock != nullptr ? g_EffectsHooks.GameClock->GetGameTime() : 0u;
}

float EffectsFrameTime() {
  return g_EffectsHooks.GameClock != nullptr ? g_EffectsHooks.GameClock->GetFrameTime() : 0.0f;
}

bool EffectsClockRunning() {
  return g_EffectsHooks.GameClock != nullptr && g_EffectsHooks.GameClock->IsRunning();
}

int EffectsLineOfSight(CEnvInstance* zone, const CVector3& from, const CVector3& to, std::uint32_t mask,
                       WorldHit* hit, CVector3* point) {
  if (g_EffectsHooks.LineOfSight != nullptr) return g_EffectsHooks.LineOfSight(zone, from, to, mask, hit, point);
  if (g_Environment == nullptr) return 1;
  WorldHit* found = nullptr;
  CVector3 at{};
  const int clear = g_Environment->LineOfSight(zone, from, to, &at, &found, mask, nullptr);
  if (!clear) {
    if (hit != nullptr && found != nullptr) *hit = *found;
    if (point != nullptr) *point = at;
  }
  return clear;
}

namespace {

struct InstanceCollector {
  std::vector<CEnvInstance*> instances;
};

void CollectPolygonOwner(PolygonQuery* query, const BspPolygon*, const float*) {
  auto* collector = static_cast<InstanceCollector*>(query->Context);
  CEnvInstance* instance = query->Instance;
  if (instance == nullptr) return;
  for (CEnvInstance* seen : collector->instances)
    if (seen == instance) return;
  collector->instances.push_back(instance);
}

}  // namespace

void EffectsForEachInstanceInSphere(CEnvInstance* zone, const CVector3& centre, float radius,
                                    void (*visit)(CEnvInstance* instance, void* context), void* context) {
  if (g_EffectsHooks.ForEachInstanceInSphere != nullptr) {
    g_EffectsHooks.ForEachInstanceInSphere(zone, centre, radius, visit, context);
    return;
  }
  if (g_Environment == nullptr) return;
  // The query must not be re-entered from its callback: collect first, visit after.
  InstanceCollector collector;
  PolygonQuery query;
  query.Flags = 0;
  query.Callback = &CollectPolygonOwner;
  query.Context = &collector;
  CSphere sphere;
  sphere.Set(centre, radius);
  g_Environment->ForEachPolygonInSphere(zone, sphere, &query);
  for (CEnvInstance* instance : collector.instances) visit(instance, context);
}
