// The container's transparent pass: the queue's per-frame reset, the pass
// that draws it (with the particles queued first), and flat polygons queued
// by distance.
#include "render/device/render.h"
#include "render/textures/material_list.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "world/effects/particle_pool.h"
#include "world/environment/environment.h"

namespace {
// Flat polygons queued by the container: blended as mode 2, culled as mode 1.
constexpr std::int32_t kDepthItemBlendMode = 2;
constexpr std::uint32_t kDepthItemCullMode = 1;
// Blend mode the pass leaves behind.
constexpr int kTransparentPassEndBlend = 2;
}  // namespace

void CEnvironment::ResetDepthQueue() {
  if (Queue != nullptr) Queue->Clear();
}

void CEnvironment::DrawTransparent() {
  if (Render != nullptr) {
    Render->SetLighting(0);
    Render->SetZWrite(0);
  }
  if (ParticleSystem != nullptr) ParticleSystem->Render();
  const DWORD specular = Render != nullptr ? Render->SetSpecular(0) : 0;
  if (Queue != nullptr) Queue->Draw();
  if (Render != nullptr) {
    Render->SetSpecular(specular);
    Render->SetBlendMode(kTransparentPassEndBlend);
    Render->SetZWrite(1);
  }
  // Lights enabled from here on belong to the next frame.
  ++CLightTable::FrameNumber;
}

bool CEnvironment::QueueDepthItem(const FlatPolygon* polygon, const CVector3& position, std::uint32_t colour) {
  if (Queue == nullptr) return false;
  const std::uint32_t bucket = Queue->BucketOf(position);
  if (bucket >= Queue->BucketCount) return false;
  auto* item = Queue->AllocItem<FlatPolygonItem>(DSK_FLAT_POLYGON);
  if (item == nullptr) return false;
  item->BlendMode = kDepthItemBlendMode;
  item->Polygon = polygon;
  item->Material = Materials != nullptr ? Materials->GetByIndex(0) : nullptr;
  item->Texture = nullptr;
  item->Colour = colour;
  item->CullMode = kDepthItemCullMode;
  Queue->Insert(bucket, item);
  return true;
}
