// Two small level-wide tables: the climbable ladders of the level (every
// instance whose template has a ladder-bottom and a ladder-top connector)
// and the pool of repulsion spheres the game fills.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "render/geometry/vector3.h"

class CEnvInstance;

inline constexpr int kMaxLadders = 20;
inline constexpr std::uint32_t kLadderDisabled = 0x1;
// The top end is measured this far above the top connector.
inline constexpr float kLadderTopRaise = 193.1f;
inline constexpr std::uint32_t kRepulsionPoolCapacity = 225;

struct LadderEntry {
  CVector3 Bottom{0, 0, 0};
  CVector3 Top{0, 0, 0};
  // Yaw in degrees from the top point to the bottom point.
  float Heading = 0;
  CEnvInstance* Instance = nullptr;
  std::uint32_t Flags = 0;
};

struct LadderEnd {
  std::int32_t Ladder = -1;
  std::int32_t End = 0;  // 0 bottom, 1 top
};

class CLadderTable {
 public:
  CLadderTable() = default;
  // Appends the entry; 0 when 20 are held.
  int Add(const LadderEntry& entry);
  // 1 when the instance's template has no ladder-bottom connector (nothing
  // added) or its ladder was added; 0 when it has no top connector or the
  // table is full.
  int AddFromInstance(CEnvInstance* instance);
  // The nearest end of an enabled ladder (ties keep the earlier); distance 0
  // and ladder -1 when there is none.
  float FindNearestEnd(const CVector3& point, LadderEnd* out) const;
  void DisableForInstance(const CEnvInstance* instance);
  void Clear() { Count = 0; }

  LadderEntry Entries[kMaxLadders];
  std::uint32_t Count = 0;
};

struct RepulsionSphere {
  std::uint32_t Flags = 0;  // bit 0: active
  CVector3 Centre{0, 0, 0};
  float Radius = 0;

  void SetActive(bool on) { Flags = on ? (Flags | 1u) : (Flags & ~1u); }
  bool IsActive() const { return (Flags & 1u) != 0; }
};

// The ladder table of the game (made at game start, emptied at every level
// shut-down); null outside the game's life.
extern CLadderTable* g_LadderTable;

class CRepulsionPool {
 public:
  explicit CRepulsionPool(std::uint32_t capacity);
  // Entry at the count: the centre, radius x 1.5, active; answers the new
  // count (unchanged when the pool is full).
  std::uint32_t Add(const CVector3& centre, float radius);
  // Every used entry inactive; count 0.
  void Reset();
  void Free();
  // Developer overlay: each active sphere as 8 rings of 8 segments in
  // translucent yellow.
  void DebugDraw() const;

  std::uint32_t Count = 0;
  std::uint32_t Capacity = 0;
  std::unique_ptr<RepulsionSphere[]> Entries;
};

// The repulsion pool of the game (capacity 225, made at game start, reset at
// every level shut-down); null outside the game's life.
extern CRepulsionPool* g_RepulsionPool;
