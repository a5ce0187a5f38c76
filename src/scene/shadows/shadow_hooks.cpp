#include "scene/shadows/shadow_hooks.h"

#include "render/device/render.h"
#include "render/volumes/sphere.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/shadows/shadows.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/animation/anim_object.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/evo_file.h"

namespace {

// A weaker shadow light at an instance casts no shadow (as for animated objects).
constexpr float kInstanceMinLightStrength = 0.1f;

void BuildNodeShadow(CEnvObject* node) { CShadowMesh::Build(node, 1); }

void BuildSkinVolume(CSkin* skin, const CVector3& lightVector) {
  if (skin == nullptr || !ShadowsSupported(g_Render)) return;
  const RenderVertex* vertices = skin->LockCurrent();
  ShadowsBuildSkinVolume(skin, lightVector, vertices);
  if (vertices != nullptr) skin->UnlockCurrent();
}

bool InstanceLightDirection(const CEnvInstance* instance, int light, CVector3* out) {
  return instance != nullptr && ShadowsLocalLightDirection(light, out, instance->GetInverseWorldMatrix()) == 1;
}

// The strength of the instance's shadow light at its sphere (0 without one).
float InstanceLightStrength(const CEnvInstance* instance) {
  const CLightTable* table = CLightTable::Current();
  if (instance == nullptr || table == nullptr || instance->ShadowIndex < 0) return 0.0f;
  const CSphere& sphere = instance->GetWorldSphere();
  return table->LightStrength(instance->ShadowIndex, sphere.Centre, sphere.Radius);
}

void DrawSkinShadow(CEnvObject* skinNode) { ShadowsDrawSkinVolume(SkinOfNode(skinNode)); }

// A plain instance casts as an animated one does: its shadow light strong
// enough at its sphere, and the light's direction in its own space.
int SetInstanceShadowLight(const CEnvInstance* instance) {
  CVector3 light{};
  if (InstanceLightStrength(instance) <= kInstanceMinLightStrength ||
      !InstanceLightDirection(instance, instance->ShadowIndex, &light))
    return 0;
  ShadowsSetLightPosition(light);
  return 1;
}

}  // namespace

void InstallShadowHooks() {
  SetEvoShadowBuilder(BuildNodeShadow);
  SetMeshShadowFree(CShadowMesh::Free);
  SetSkinShadowBuilder(BuildSkinVolume);
  AnimShadowHooks hooks;
  hooks.LocalLightDirection = InstanceLightDirection;
  hooks.SetLightPosition = ShadowsSetLightPosition;
  hooks.LightStrength = InstanceLightStrength;
  hooks.DrawSkinShadow = DrawSkinShadow;
  SetAnimShadowHooks(hooks);
  EnvDrawHooks draw = GetEnvDrawHooks();
  draw.SetInstanceShadowLight = SetInstanceShadowLight;
  SetEnvDrawHooks(draw);
}

void InstallShadowQueueHook(DepthSortQueue* queue) {
  if (queue == nullptr) return;
  DepthSortDrawHooks hooks = queue->GetDrawHooks();
  hooks.DrawShadowVolume = ShadowsDrawVolumes;
  queue->SetDrawHooks(hooks);
}
void RemoveShadowQueueHook(DepthSortQueue* queue) {
  if (queue == nullptr) return;
  DepthSortDrawHooks hooks = queue->GetDrawHooks();
  if (hooks.DrawShadowVolume == ShadowsDrawVolumes) hooks.DrawShadowVolume = nullptr;
  queue->SetDrawHooks(hooks);
}

void ShadowsFreeSkinFaces(CSkin* skin) {
  if (skin != nullptr) skin->Data.ShadowFaces.clear();
}
