// Trails: ribbons drawn behind moving things (tracer rounds, burning debris,
// broken pieces).  A trail is a ring of the thing's last positions, drawn as
// a strip that is thin and transparent at the tail and full width and opaque
// at the head.  A fixed pool of 32 records: effect instances take a trail
// when they launch, feed it a point per frame and release it when they
// finish; a released trail fades by losing its oldest points before its
// record is free again.  Main thread only.
//
// Frame: world units, y up.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CLinearBuffer;

enum TrailState : std::uint32_t {
  TRAIL_LIVE = 99,    // points are added
  TRAIL_FADING = 100,
  TRAIL_FREE = 101,
};

enum TrailFlags : std::uint32_t {
  TRAILF_HOLD = 0x1,           // no points while the game clock is stopped
  TRAILF_DOUBLE_RING = 0x2,
  TRAILF_RANDOM_RING = 0x4,
  TRAILF_ADDITIVE = 0x8,
  TRAILF_AMBIENT = 0x10,       // colour taken through the scene's ambient light
  TRAILF_FAR_PLANE = 0x20,
};

constexpr int kTrailRingPoints = 64;
constexpr std::uint32_t kTrailRecordBytes = 844;
// Time between two points lost by a fading trail (ms).
constexpr std::uint32_t kTrailFadeStepMs = 9;

struct CTrail {
  std::uint32_t State = TRAIL_FREE;
  CVector3 Points[kTrailRingPoints] = {};
  std::uint32_t Flags = 0;
  std::uint32_t Count = 0;         // ring entries holding points
  std::uint32_t RingLength = 32;   // at most kTrailRingPoints
  std::uint32_t FirstVisible = 0;  // a running point number
  std::uint32_t NextFadeTime = 0;  // ms
  CVector3 BoxMin{}, BoxMax{};
  float Colour[4] = {};            // r, g, b, a
  float Width = 100.0f;
  std::uint32_t LastTime = 0;      // game-clock time of the last point added
  std::uint32_t Dropped = 0;       // points dropped off the ring so far

  // Adds a point to the ring (see the source for when it is not taken).
  void AddPoint(const CVector3& point);
  // A live trail starts fading.
  void Release();
};

class Trails {
 public:
  static constexpr int kDefaultCount = 32;
  explicit Trails(int count = kDefaultCount) : count_(count > 0 ? count : 0) {}
  Trails(const Trails&) = delete;
  Trails& operator=(const Trails&) = delete;

  // Takes the records from the buffer and frees them; false when it has no room.
  bool CreatePools(CLinearBuffer* buffer);
  void FreePools() { records_ = nullptr; }
  // Every record free, search index 0.
  void Clear();
  // Begins a trail (see trails.cpp); null when every record is in use.
  CTrail* Add(std::uint32_t flags, float red, float green, float blue, float alpha, const CVector3* start);
  // Once a frame: fading trails lose their oldest point every 9 ms.
  void Update();
  // Hands every trail of three or more visible points to the transparent queue.
  void Render();

  // Saved game: every record (a free one as its state alone); answers the count.
  std::uint32_t SaveAll(ByteWriter& out) const;
  // Clears, then reads count records into records 0, 1, ...; a record of an
  // unknown state or with a ring that does not fit is refused and the load
  // fails (what was read before stays).  False also when the input is cut.
  bool LoadAll(ByteReader& in, std::uint32_t count);
  int IndexOf(const CTrail* trail) const;
  CTrail* Get(int i) { return records_ && i >= 0 && i < count_ ? &records_[i] : nullptr; }
  int GetCount() const { return count_; }

 private:
  CTrail* records_ = nullptr;
  int count_;
  int next_ = 0;
};

// The game's trail pool (null when none).
extern Trails* g_Trails;

// The pool's entry points by their old names.
CTrail* TrailsAdd(std::uint32_t flags, float red, float green, float blue, float alpha, const CVector3* start);
void TrailsClear();
