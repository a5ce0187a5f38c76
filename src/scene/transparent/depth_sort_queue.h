// The transparent queue: everything drawn with blending or alpha testing is
// written as a small item into a per-frame block and sorted coarsely by
// distance from the camera into buckets; at the end of the environment's
// render pass the queue draws the buckets farthest first.  One queue,
// created at engine start-up; its memory comes with each level's pools.
// Main thread only.
#pragma once

#include <cstdint>

#include "scene/transparent/depth_sort_items.h"

class CCamera;
class CLightTable;
class CLinearBuffer;
class CRender;
class CSpriteRender;

// The block was sized as 65,536 bytes of items of a 32-bit layout (kind 0
// 40 bytes, 1 40, 2 44, 5 36, 7 60, 8 44, 9 24, 10 28, 11 40): a frame
// holds at least 65,536 / that size items of any one kind.
constexpr std::uint32_t kDepthSortReferenceBlock = 65536;
constexpr std::uint32_t DepthSortCapacity(std::uint32_t referenceItemBytes) {
  return kDepthSortReferenceBlock / referenceItemBytes;
}
// Bytes of the per-frame block: items here hold 64-bit pointers and whole
// matrices, and are 8-byte aligned, so the block is as large as the largest
// of those capacities needs (a mesh part counts its light selection too).
constexpr std::uint32_t kDepthSortBlockBytes = [] {
  const std::uint32_t need[] = {
      DepthSortCapacity(40) * static_cast<std::uint32_t>(sizeof(GlowSpriteItem)),
      DepthSortCapacity(40) * static_cast<std::uint32_t>(sizeof(BillboardItem)),
      DepthSortCapacity(44) * static_cast<std::uint32_t>(sizeof(RotatedBillboardItem)),
      DepthSortCapacity(36) * static_cast<std::uint32_t>(sizeof(FlatPolygonItem)),
      DepthSortCapacity(60) * static_cast<std::uint32_t>(sizeof(MeshPartItem) + sizeof(PixelLightSelection)),
      DepthSortCapacity(44) * static_cast<std::uint32_t>(sizeof(TrailPointItem)),
      DepthSortCapacity(24) * static_cast<std::uint32_t>(sizeof(ShrubBatchItem)),
      DepthSortCapacity(28) * static_cast<std::uint32_t>(sizeof(ShadowVolumeItem)),
      DepthSortCapacity(40) * static_cast<std::uint32_t>(sizeof(VertexAnimItem))};
  std::uint32_t bytes = 0;
  for (std::uint32_t n : need) bytes = n > bytes ? n : bytes;
  return (bytes + 4095u) & ~4095u;
}();
constexpr std::uint32_t kDepthSortBuckets = 1000;
// Alpha reference of alpha-tested queue items.
constexpr std::uint32_t kDepthSortAlphaRef = 31;

// Draws of item kinds owned elsewhere (shrubbery, shadows); a null entry
// skips those items.  Mesh parts and vertex-animated meshes the queue draws
// itself.
struct DepthSortDrawHooks {
  void (*DrawShrubBatch)(void* shrub, float fade) = nullptr;
  void (*DrawShadowVolume)(CVertexBuffer* part, const CVector3& lightPosition) = nullptr;
};

class DepthSortQueue {
 public:
  DepthSortQueue() = default;
  ~DepthSortQueue() = default;
  DepthSortQueue(const DepthSortQueue&) = delete;
  DepthSortQueue& operator=(const DepthSortQueue&) = delete;

  // Engine start-up: the block size, the bucket count and the modules
  // items are drawn with.  No memory is taken yet.
  void Create(CRender* render, CCamera* camera, CLightTable* lights, std::uint32_t blockBytes = kDepthSortBlockBytes,
              std::uint32_t bucketCount = kDepthSortBuckets);
  // With the level's pools: the frame block and the zero-filled bucket
  // array from the level buffer.  False, with the queue left without
  // memory, when the buffer has no room.
  bool CreatePools(CLinearBuffer* level);
  // Forgets the bucket array and the block (the level buffer gives them back).
  void FreePools();

  // `bytes` from the frame block (8-byte aligned), or null when they do not fit.
  void* Alloc(std::uint32_t bytes);
  template <typename Item>
  Item* AllocItem(DepthSortKind kind) {
    auto* item = static_cast<Item*>(Alloc(sizeof(Item)));
    if (item != nullptr) {
      item->Kind = kind;
      item->Next = nullptr;
    }
    return item;
  }
  // Bucket of a world position: distance from the camera (fast inverse
  // square root, one Newton step) over the far distance times the bucket
  // count, truncated.  0 without a camera.
  std::uint32_t BucketOf(const CVector3& position) const;
  // Puts the item at the head of the bucket (clamped to the last bucket,
  // as unsigned, so negative indices land there too); answers the bucket
  // used.  Nothing without a bucket array.
  std::uint32_t Insert(std::uint32_t bucket, DepthSortItem* item);
  // Projects and inserts a strip of trail points linked through NextPoint.
  void InsertChain(TrailPointItem* first);
  // Once a frame before anything is queued: empties the used buckets and
  // moves the block's cursor back to its base.
  void Clear();
  // Once a frame: every item, farthest bucket first (within a bucket, the
  // last inserted first).  Nothing at all when no item was inserted.
  void Draw();

  void SetDrawHooks(const DepthSortDrawHooks& hooks) { m_Hooks = hooks; }
  // The hooks now set (each owner changes only its own entry).
  const DepthSortDrawHooks& GetDrawHooks() const { return m_Hooks; }
  void SetCamera(CCamera* camera) { m_Camera = camera; }
  CCamera* GetCamera() const { return m_Camera; }
  CRender* GetRender() const { return m_Render; }

  // The item kinds' shared state.
  std::uint32_t LightingSwitch = 1;  // mesh items select their own lights
  std::int32_t TrailFrame = -1;      // sprite frame of every trail quad
  CSpriteRender* ParticleSprites = nullptr;
  bool NightVisionView = false;      // the current view adds the NightVision light
  std::uint32_t FixedLight = 0;      // the light shrub batches without a list use

  std::uint32_t BucketCount = kDepthSortBuckets;
  float InvBucketCount = 1.0f / kDepthSortBuckets;
  std::uint32_t Lowest = kDepthSortBuckets;
  std::uint32_t Highest = 0;
  DepthSortItem** Buckets = nullptr;
  std::uint32_t Drawing = 0;

  // The frame block.
  std::uint32_t BlockBytes = kDepthSortBlockBytes;
  std::uint8_t* Base = nullptr;
  std::uint8_t* End = nullptr;
  std::uint8_t* Cursor = nullptr;
  // Items refused this frame because the block was full.
  std::uint32_t Dropped = 0;

 private:
  void DrawItem(DepthSortItem* item);
  void DrawSprite(DepthSortItem* item);
  void DrawFlatPolygon(const FlatPolygonItem& item);
  void DrawMesh(MeshPartItem& item);
  void DrawTrailQuad(const TrailPointItem& point);
  bool SelectLights(const DepthSortLights& lights);

  CRender* m_Render = nullptr;
  CCamera* m_Camera = nullptr;
  CLightTable* m_Lights = nullptr;
  DepthSortDrawHooks m_Hooks;
};

// The queue of the running engine (set by whoever creates it), or null.
extern DepthSortQueue* g_DepthSortQueue;
