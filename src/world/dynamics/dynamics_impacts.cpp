#include "world/dynamics/dynamics_impacts.h"

#include <algorithm>
#include <cmath>

#include "foundation/maths/random15.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_body.h"
#include "render/textures/surfaces.h"
#include "world/dynamics/collision_model.h"
#include "world/dynamics/dynamics_world.h"
#include "world/environment/env_instance.h"
#include "world/effects/particle_pool.h"

namespace {

float g_SimpleTimer = 0.25f;
float g_CarTimer = 0.25f;
const CSurfaces* g_Surfaces = nullptr;

float Length3(const float* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

CEnvInstance* InstanceOf(CDynamicsObject* o) { return o ? o->GetInstance() : nullptr; }

float Random01() { return static_cast<float>(Rand15()) / 32767.0f; }

// The falling rule: an impact object falling for more than a second gets a
// hit of 1000 on its own instance (no other instance).
void FallingRule(CDynamicsObject* object) {
  if (!object || !(object->HasTypeTag("CARD") || object->HasTypeTag("TNKD"))) return;
  auto* impact = static_cast<CImpactObject*>(object);
  if (g_Physics.GameTime - impact->LastNotFallingTime <= 1.0f) return;
  if (CEnvInstance* instance = impact->GetInstance())
    if (instance->HitCallback) instance->HitCallback(instance, 1000.0f, nullptr);
}

}  // namespace

float BodyImpactStrength(MdtBodyID body, float mass, float factor, float cap) {
  if (!body) return 0.0f;
  float v[3], w[3];
  MdtBodyGetLinearVelocity(body, v);
  MdtBodyGetAngularVelocity(body, w);
  const float s = (Length3(v) + Length3(w)) * mass * factor;
  if (s < 1.0f) return 0.0f;
  return std::min(s, cap);
}

CDynamicsObject* ObjectOfBody(MdtBodyID body) {
  return body ? reinterpret_cast<CDynamicsObject*>(MdtBodyGetUserData(body)) : nullptr;
}

CDynamicsObject* DynamicObjectOfPair(McdIntersectResult* result) {
  McdModel* m = GetDynamicModelOfPair(result);
  return m ? ObjectOfBody(McdModelGetBody(m)) : nullptr;
}

int TerrainImpactPair(McdIntersectResult* result, const char* tag) {
  if (!result->touch) return 1;
  CDynamicsObject* object = DynamicObjectOfPair(result);
  if (!object || !object->HasTypeTag(tag)) return 1;
  auto* impact = static_cast<CImpactObject*>(object);
  int keep = 1;
  const float strength = impact->GetImpactStrength();
  const int count = std::min(result->contactCount, result->contactMaxCount);
  for (int k = 0; k < count; ++k) {
    auto* hit = reinterpret_cast<CEnvInstance*>(result->contacts[k].element2);
    if (!hit || !hit->HitCallback || !(strength > 0.0f)) continue;
    keep = hit->HitCallback(hit, strength, impact->GetInstance());
  }
  FallingRule(object);
  return keep;
}

int TaggedImpactPair(McdIntersectResult* result, const char* tag) {
  McdModel* a = nullptr;
  McdModel* b = nullptr;
  GetDynamicModelsOfPair(result, &a, &b);
  CDynamicsObject* objects[2] = {a ? ObjectOfBody(McdModelGetBody(a)) : nullptr,
                                 b ? ObjectOfBody(McdModelGetBody(b)) : nullptr};
  int keep = 1;
  CDynamicsObject* lastOther = nullptr;
  for (int k = 0; k < 2; ++k) {
    CDynamicsObject* tagged = objects[k];
    CDynamicsObject* other = objects[1 - k];
    if (!tagged || !other || !tagged->HasTypeTag(tag)) continue;
    float strength = 0.0f;
    if (other->HasTypeTag("CARD") || other->HasTypeTag("TNKD"))
      strength = static_cast<CImpactObject*>(other)->GetImpactStrength();
    CEnvInstance* instance = InstanceOf(tagged);
    if (instance && instance->HitCallback) keep = instance->HitCallback(instance, strength, InstanceOf(other));
    lastOther = other;
  }
  FallingRule(lastOther);
  return keep;
}

void SpawnContactEffect(CEnvInstance* instance, int effectFlags, const McdIntersectResult* result,
                        MdtContactID contact, float* timer) {
  if (!effectFlags || !instance || !g_Surfaces || result->contactCount < 1) return;
  const CSurface* surface = g_Surfaces->GetSurface(static_cast<std::uint32_t>(result->contacts[0].element1));
  if (!surface || !(surface->Flags & SURF_DUST_ON_IMPACT)) return;
  if (instance->FramesSinceDrawn() >= 2) return;
  *timer -= g_Physics.StepLength;
  if (*timer > 0.0f) return;
  *timer = 0.1f + 0.4f * Random01();
  float p[3];
  MdtContactGetPosition(contact, p);
  const CVector3 at{p[0] * 100.0f, p[1] * 100.0f, p[2] * 100.0f};
  if (effectFlags & 0x02) {
    const float* n = result->contacts[0].normal;
    surface->SpawnImpactEffect(at, {n[0], n[1], n[2]}, surface);
  }
  if ((effectFlags & 0x01) && g_ParticlePool) {
    if (CParticle* particle = g_ParticlePool->Spawn(at, 9, 0)) {
      const float penetration = MdtContactGetPenetration(contact);
      particle->Velocity = {0.0f, Random01() * penetration * 3000.0f, 0.0f};
      particle->SpeedScale = 1.0f;
      particle->SetSize(100.0f);
      particle->SetTimeToLive(5000);
      particle->Flags |= 0x24 | 0x2000;
      particle->Colour = surface->Colour[0];
      particle->AlphaScale = static_cast<float>(surface->Colour[0] >> 24) / 255.0f;
    }
  }
}

float* SimpleEffectTimer() { return &g_SimpleTimer; }
float* CarEffectTimer() { return &g_CarTimer; }
void SetImpactSurfaces(const CSurfaces* surfaces) { g_Surfaces = surfaces; }
const CSurfaces* ImpactSurfaces() { return g_Surfaces; }
