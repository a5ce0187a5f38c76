#include "scene/transparent/queue_effects_hooks.h"

#include "scene/transparent/depth_sort_queue.h"
#include "world/effects/effects_hooks.h"

namespace {

DepthSortQueue* g_HookedQueue = nullptr;

int BucketOf(const CVector3& point) {
  return g_HookedQueue != nullptr ? static_cast<int>(g_HookedQueue->BucketOf(point)) : 0;
}

void QueueSprite(const ParticleSprite& s) {
  DepthSortQueue* q = g_HookedQueue;
  if (q == nullptr || q->ParticleSprites == nullptr || s.Bucket < 0) return;
  if (s.Kind == static_cast<int>(DSK_ROTATED_BILLBOARD)) {
    auto* item = q->AllocItem<RotatedBillboardItem>(DSK_ROTATED_BILLBOARD);
    if (item == nullptr) return;
    item->Sheet = q->ParticleSprites;
    item->Frame = s.Frame;
    item->BlendMode = s.BlendMode;
    item->Position = s.Position;
    item->Angle = s.Angle;
    item->SizePercent = s.Size;
    item->Colour = s.Colour;
    q->Insert(static_cast<std::uint32_t>(s.Bucket), item);
    return;
  }
  auto* item = q->AllocItem<BillboardItem>(DSK_BILLBOARD);
  if (item == nullptr) return;
  item->Sheet = q->ParticleSprites;
  item->Frame = s.Frame;
  item->BlendMode = s.BlendMode;
  item->Position = s.Position;
  item->SizePercent = s.Size;
  item->Colour = s.Colour;
  q->Insert(static_cast<std::uint32_t>(s.Bucket), item);
}

// The strip's points as a chain of trail-point items, tail first; the queue
// projects them and files each in its bucket.
bool QueueTrailStrip(const TrailStripPoint* points, int n) {
  DepthSortQueue* q = g_HookedQueue;
  if (q == nullptr || points == nullptr || n < 2) return q != nullptr;
  TrailPointItem* first = nullptr;
  TrailPointItem* last = nullptr;
  for (int i = 0; i < n; ++i) {
    auto* item = q->AllocItem<TrailPointItem>(DSK_TRAIL_POINT);
    if (item == nullptr) return false;
    item->Flags = points[i].Flags;
    item->Colour = points[i].Colour;
    item->Position = points[i].Position;
    item->HalfWidth = points[i].HalfWidth;
    item->OffsetX = item->OffsetY = 0.0f;
    item->NextPoint = nullptr;
    if (last != nullptr)
      last->NextPoint = item;
    else
      first = item;
    last = item;
  }
  q->InsertChain(first);
  return true;
}

}  // namespace

void InstallQueueEffectsHooks(DepthSortQueue* queue, CSpriteRender* particleSprites, int trailFrame) {
  g_HookedQueue = queue;
  EffectsHooks& h = g_EffectsHooks;
  if (queue == nullptr) {
    h.BucketOf = nullptr;
    h.QueueSprite = nullptr;
    h.QueueTrailStrip = nullptr;
    return;
  }
  queue->ParticleSprites = particleSprites;
  queue->TrailFrame = trailFrame;
  h.BucketOf = BucketOf;
  h.BucketCount = static_cast<int>(queue->BucketCount);
  h.QueueSprite = QueueSprite;
  h.QueueTrailStrip = QueueTrailStrip;
}
