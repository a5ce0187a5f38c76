#include "world/objects/environment_hlo_world.h"

#include "foundation/time/timer.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/world_hit.h"

CEnvironment* CEnvironmentHLOWorld::Env() const { return environment_ != nullptr ? environment_ : g_Environment; }

CEnvObject* CEnvironmentHLOWorld::LoadObject(int templateKind, const char* name) {
  CEnvironment* env = Env();
  if (env == nullptr || name == nullptr) return nullptr;
  if (CEnvObject* found = env->FindObjectByName(name)) return found;
  return EnvFileLoadObjectByKind(env, templateKind, name);
}

int CEnvironmentHLOWorld::TemplateType(const CEnvObject* templ) { return templ != nullptr ? templ->TemplateKind : -1; }

CEnvInstance* CEnvironmentHLOWorld::CreateInstance(const char* name, CEnvObject* templ, bool animated,
                                                   const CVector3& rotation, const CVector3& position,
                                                   const CVector3& scale, std::uint32_t flags) {
  CEnvironment* env = Env();
  if (env == nullptr || templ == nullptr) return nullptr;
  CEnvInstance* instance = nullptr;
  if (animated && GetEnvAnimatedInstanceMaker() != nullptr) {
    instance = GetEnvAnimatedInstanceMaker()(env, name, templ, position, rotation, scale);
    if (instance != nullptr) instance->Flags |= flags;
  } else {
    instance = env->CreateInstance(name, templ, position, rotation, &scale,
                                   templ->TemplateKind == OTYPE_VERTEXANIM ? 5 : 0, flags);
  }
  return instance;
}

void CEnvironmentHLOWorld::ApplyRenderInfo(CEnvInstance* instance, const RenderInfoBlock& block) {
  EnvFileApplyRenderInfo(instance, block);
}

std::uint32_t CEnvironmentHLOWorld::GetTexture(const char* name) {
  CEnvironment* env = Env();
  if (env == nullptr || env->Textures == nullptr || name == nullptr || name[0] == '\0') return 0;
  CTexture* texture = env->Textures->GetTexture(name, 0);
  return texture != nullptr ? texture->Id : 0;
}

void CEnvironmentHLOWorld::RegisterLadders(CEnvInstance* instance) {
  if (instance != nullptr && GetEnvLadderRegistrar() != nullptr) GetEnvLadderRegistrar()(instance);
}

bool CEnvironmentHLOWorld::ProbeDown(float x, float z, HLOGroundHit* hit) {
  CEnvironment* env = Env();
  if (env == nullptr) return false;
  WorldHit w{};
  if (!env->ProbeDown(x, z, &w) || !w.Hit) return false;
  if (hit != nullptr) *hit = {w.Point, w.Instance};
  return true;
}

bool CEnvironmentHLOWorld::FindGround(const CVector3& point, HLOGroundHit* hit) {
  CEnvironment* env = Env();
  if (env == nullptr) return false;
  CVector3 ground{};
  CEnvInstance* instance = env->FindGround(point, &ground);
  if (instance == nullptr) return false;
  if (hit != nullptr) *hit = {ground, instance};
  return true;
}

bool CEnvironmentHLOWorld::FindGroundBelow(const CVector3& point, float length, HLOGroundHit* hit) {
  CEnvironment* env = Env();
  if (env == nullptr || length <= 0.0f) return false;
  // The vertical from the point down to point - length, the first surface from the top.
  const float half = length * 0.5f;
  WorldHit w{};
  if (!env->ProbeVertical({point.x, point.y - half, point.z}, half, &w, false) || !w.Hit) return false;
  if (hit != nullptr) *hit = {w.Point, w.Instance};
  return true;
}

CEnvInstance* CEnvironmentHLOWorld::FirstLandscapeInstance() {
  CEnvironment* env = Env();
  if (env == nullptr) return nullptr;
  for (CEnvInstance* i = env->InstanceList; i != nullptr; i = i->EnvLink)
    if (i->Template != nullptr && i->Template->TemplateKind == OTYPE_LANDSCAPE) return i;
  return nullptr;
}

void CEnvironmentHLOWorld::GetWorldBounds(CVector3* min, CVector3* max) {
  CEnvironment* env = Env();
  if (env == nullptr) return;
  if (min != nullptr) *min = {env->WorldBounds[0], env->WorldBounds[1], env->WorldBounds[2]};
  if (max != nullptr) *max = {env->WorldBounds[3], env->WorldBounds[4], env->WorldBounds[5]};
}

std::uint32_t CEnvironmentHLOWorld::SetInstanceLineQuery(std::uint32_t on) {
  CEnvironment* env = Env();
  if (env == nullptr) return 0;
  const std::uint32_t was = env->UseZones;
  env->UseZones = on;
  return was;
}

std::uint32_t CEnvironmentHLOWorld::GetInstanceLineQuery() {
  CEnvironment* env = Env();
  return env != nullptr ? env->UseZones : 0;
}

std::uint32_t CEnvironmentHLOWorld::GameTime() {
  CEnvironment* env = Env();
  return env != nullptr && env->GameClock != nullptr ? env->GameClock->GetGameTime() : 0;
}

void InstallEnvironmentHLOWorld(CEnvironment* environment) {
  static CEnvironmentHLOWorld world;
  world.SetEnvironment(environment);
  SetHLOWorld(&world);
}
