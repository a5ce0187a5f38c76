// Impact pieces: when an instance breaks or an object is destroyed it throws
// solid pieces of itself, small spinning copies of its mesh that fly out
// along arcs with a trail, bounce on the ground and lie there until they are
// recycled.  Each piece is a mesh particle carried by a thrown effect
// instance.  The pool keeps 15 slots, recycled by lowest priority, with at
// most 8 pieces still bouncing; pieces thrown together share a throw number
// and never evict each other.  Main thread only.
#pragma once

#include <cstdint>

#include "world/space/world_hit.h"

class ByteReader;
class ByteWriter;
class CEffectInstance;
class CEnvInstance;
class CEnvObject;
class CLinearBuffer;

// A caller's record that is told when its piece goes.
struct ImpactPieceLink {
  void (*OnPieceGone)(ImpactPieceLink* link) = nullptr;
};

struct ImpactPieceSlot {
  std::uint32_t Priority = 0;  // higher survives
  CEffectInstance* Effect = nullptr;
  ImpactPieceLink* Link = nullptr;
  std::uint32_t Owner = 0;     // index in the game's table of owner callbacks
  std::uint32_t Throw = 0;
  std::uint32_t Bouncing = 0;
  std::uint32_t InUse = 0;
  std::uint32_t Releasable = 0;
};

constexpr std::uint32_t kImpactPieceRecordBytes = 8;
// Priority of pieces thrown when nothing else is asked for.
constexpr std::uint32_t kImpactThrowPriority = 5;
// Priorities (masks) of debris: breaking scenery, a world object, and a world
// object with the second debris mask.  Objects' pieces outlive scenery's.
constexpr std::uint32_t kInstanceDebrisMask = 0x2FFFFFFF;
constexpr std::uint32_t kObjectDebrisMask = 0x3FFFFFFF;
constexpr std::uint32_t kObjectDebrisMask2 = 0x4FFFFFFF;
// Bounces a piece makes at most before it settles.
constexpr std::uint32_t kImpactMaxBounces = 8;

class ImpactPieces {
 public:
  explicit ImpactPieces(int capacity = 15, int bounceLimit = 8)
      : capacity_(capacity > 0 ? capacity : 0), bounceLimit_(bounceLimit) {}
  ImpactPieces(const ImpactPieces&) = delete;
  ImpactPieces& operator=(const ImpactPieces&) = delete;

  bool CreatePools(CLinearBuffer* buffer);
  void FreePools() { slots_ = nullptr; }
  // All slots free, counts 0.
  void Reset();

  // Throws count pieces of the mesh (null: the instance's own template) from
  // the instance's box; answers how many flew.  Stops early when no slot can
  // be taken.
  int Throw(CEnvInstance* instance, ImpactPieceLink* link, int count, std::uint32_t owner, bool burning,
            std::uint32_t priority = kImpactThrowPriority, CEnvObject* mesh = nullptr);
  // One slot, evicting the lowest-priority releasable piece of another throw
  // when all are in use; null when refused (then *priority is one higher
  // for the next attempt when the lowest piece was not below it).
  ImpactPieceSlot* Take(std::uint32_t* priority, ImpactPieceLink* link);
  // Frees a slot (the effect pool calls it when an effect holding a piece is freed).
  void Release(ImpactPieceSlot* slot);
  // The throw number the next Take belongs to; Throw moves it on.
  void NextThrow() { ++throw_; }

  // Finish and per-frame callbacks of the pieces' effects.
  static void OnPieceLanded(CEffectInstance* effect, const WorldHit* hit);
  static void OnPieceMoved(CEffectInstance* effect);

  int GetBounceLimit() const { return bounceLimit_; }
  int GetInUse() const { return inUse_; }
  int GetBouncing() const { return bouncing_; }
  int GetCapacity() const { return capacity_; }
  int IndexOf(const ImpactPieceSlot* slot) const;
  ImpactPieceSlot* SlotAt(int i) { return slots_ && i >= 0 && i < capacity_ ? &slots_[i] : nullptr; }

  // Saved game: 8 bytes a slot (priority, effect index, link, owner, state bits).
  void SaveAll(ByteWriter& out) const;
  // Rebuilds the slots and counts; effects are found in the effect pool by
  // index.  False when the input is cut.
  bool LoadAll(ByteReader& in);

 private:
  void StopBouncing(ImpactPieceSlot& slot);
  friend class CEffectPool;

  ImpactPieceSlot* slots_ = nullptr;
  int capacity_;
  int bounceLimit_;
  int inUse_ = 0;
  int bouncing_ = 0;
  int next_ = 0;
  std::uint32_t throw_ = 0;
};

extern ImpactPieces* g_ImpactPieces;
