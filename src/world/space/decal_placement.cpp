// Decal placement: the projector is set at the hit point looking against
// the surface normal, and every mesh part of the hit tree that its volume
// touches is clipped into the decal by the decal manager.
//
// Frame: world units, y up.  A plain template's mesh is in the instance's
// space (its world matrix carries it); a node of a transform-animated
// template is in the node's space (its current joint matrix carries it).
#include "render/geometry/frustum.h"
#include "render/volumes/sphere.h"
#include "scene/decals/decals.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/space/world_queries.h"

namespace {

// Mesh flags of nodes that take no decals: plain templates (bits 7 and 8),
// nodes of transform-animated ones (0x82 and 0x100).
constexpr std::uint32_t kPlainNoDecal = (1u << 7) | (1u << 8);
constexpr std::uint32_t kNodeNoDecal = 0x82 | 0x100;

struct Placement {
  const DecalRequest* request;
  CDecals* decals;
  int parts = 0;
};

// Clips every part of the node's mesh, carried by `world`, into the decal.
void ClipMesh(Placement& p, CEnvInstance* instance, const CEnvObject* node, const CMatrix& world) {
  if (!node->Mesh) return;
  const DecalRequest& r = *p.request;
  for (CVertexBuffer* part = node->Mesh->FirstPart; part; part = part->Next) {
    RenderVertex* vertices = part->LockVertices();
    std::uint16_t* indices = part->LockIndices();
    if (vertices && indices && part->VertexCount > 0 && part->ListIndexCount >= 3) {
      const DecalMeshSource source{vertices, static_cast<std::int32_t>(part->VertexCount), indices,
                                   static_cast<std::int32_t>(part->ListIndexCount)};
      CTexture* texture = r.Texture;
      CMaterial* material = r.Material;
      if (p.decals->AddPart(source, world, instance, texture, material, r.Colour, r.UpOnly)) ++p.parts;
    }
    if (indices) part->UnlockIndices();
    if (vertices) part->UnlockVertices();
  }
}

// Whether the sphere (centre and radius in the space of `world`) meets the
// projector's volume.
bool MeetsVolume(const DecalProjector& projector, const CMatrix& world, const EnvSphere& sphere, float scale) {
  CVector3 centre;
  world.TransformPoint(sphere.Centre, &centre);
  CSphere s;
  s.Set(centre, sphere.Radius * scale);
  return projector.Frustum().TestSphere(s, nullptr) != 0;
}

// Children first, then the instance itself.
void Visit(Placement& p, const DecalProjector& projector, CEnvInstance* instance) {
  const DecalRequest& r = *p.request;
  if (instance->Flags & kInstanceFlagNoDecals) return;
  if ((instance->Flags & kInstanceFlagBit31) && !r.IncludeBit31) return;
  for (CEnvInstance* c = instance->FirstChild; c; c = c->NextSibling) Visit(p, projector, c);
  const CEnvObject* t = instance->Template;
  if (!t) return;
  if (t->TemplateKind != OTYPE_TRANSFORMANIM) {
    if ((t->Flags & EOF_DISABLED) || (t->Flags & kPlainNoDecal)) return;
    instance->UpdateBoundingSphere();
    if (!projector.Frustum().TestSphere(instance->GetWorldSphere(), nullptr)) return;
    ClipMesh(p, instance, t, instance->GetWorldMatrix());
    return;
  }
  for (const CEnvObject* node = t; node; node = node->NextNode) {
    if (node->Flags & (kNodeNoDecal | EOF_DISABLED)) continue;
    const CMatrix* m = instance->GetNodeWorldMatrix(node->NodeIndex);
    const CMatrix& world = m ? *m : instance->GetWorldMatrix();
    if (!MeetsVolume(projector, world, node->Sphere, 1.0f)) continue;
    ClipMesh(p, instance, node, world);
  }
}

void ForgetTree(CDecals* decals, CEnvInstance* instance) {
  for (CEnvInstance* c = instance->FirstChild; c; c = c->NextSibling) ForgetTree(decals, c);
  decals->ForgetInstance(instance);
}

}  // namespace

Decal* CWorldQueries::PlaceDecal(const DecalRequest& request) {
  CDecals* decals = g_Decals;
  if (!decals || !decals->HasPools() || !decals->AreDecalsOn() || !request.Target) return nullptr;
  // The projector looks from the hit point into the surface.
  DecalProjector projector;
  const CVector3 look{-request.Normal.x, -request.Normal.y, -request.Normal.z};
  projector.Set(request.Position, look, request.Size, request.Depth, request.Roll);
  const bool spreads = request.StartSize != 0.0f;
  decals->Begin(projector, request.Size, spreads ? request.StartSize : 0.0f, spreads ? request.Growth : 1.0f);
  Placement p{&request, decals};
  Visit(p, projector, request.Target->GetRoot());
  Decal* decal = decals->Finish();
  if (decal && request.Fade) decals->SetFade(decal, request.FadeDelay, request.FadeTime);
  return decal;
}

void CWorldQueries::RemoveDecals(CEnvInstance* instance) {
  if (!g_Decals || !instance) return;
  ForgetTree(g_Decals, instance);
}
