#include "scene/skin/object_mesh_hooks.h"

#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "world/environment/env_object.h"
#include "world/environment/evo_file.h"

bool ReadSkinnedMesh(CEnvObject* node, ByteReader& in, int /*meshParam1*/, int /*meshParam2*/) {
  const EnvLoadContext& c = node->Context();
  auto* skin = new CSkin(c.Render, c.Textures, c.Materials, c.QueueAllocator, c.Queue);
  node->OtherMesh = skin;  // freed with the node, whatever happens next
  return skin->Read(in) && skin->BonesWithin(node->NamedValues.size());
}

bool ReadVertexAnimMesh(CEnvObject* node, ByteReader& in, int /*meshParam1*/, int /*meshParam2*/) {
  const EnvLoadContext& c = node->Context();
  auto* anim = new CVertexAnim(c.Render, c.Textures, c.Materials, c.QueueAllocator, c.Queue);
  node->OtherMesh = anim;
  if (!anim->Read(in)) return false;
  node->VertexAnimFrames = static_cast<std::uint32_t>(anim->FrameCount);
  return true;
}

void FreeObjectMesh(int meshKind, void* mesh) {
  if (meshKind == MESHKIND_SKINNED)
    delete static_cast<CSkin*>(mesh);
  else if (meshKind == MESHKIND_VERTEXANIM)
    delete static_cast<CVertexAnim*>(mesh);
}

void InstallObjectMeshHooks() {
  SetEvoMeshReader(MESHKIND_SKINNED, ReadSkinnedMesh);
  SetEvoMeshReader(MESHKIND_VERTEXANIM, ReadVertexAnimMesh);
  SetEnvMeshFree(FreeObjectMesh);
  SetEvoSkinPoser(SkinPoseTemplateAtRest);
}
