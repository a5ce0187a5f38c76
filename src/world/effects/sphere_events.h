// Expanding-sphere events: noises and disturbances that spread from a point
// (an explosion, a gunshot, a shout).  An event is a sphere growing at 30,000
// units/s up to its maximum radius for a given time; world objects ask in
// their own update whether they perceive one, through CHLO's three virtual
// operations (accepts, hearing scale, reaction).  A fixed pool of 50: a new
// event replaces only one of the same or lower priority, except that
// priority 3 always gets in.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CHLO;
class CLinearBuffer;

enum SphereEventState : std::uint32_t {
  SPHERE_EVENT_ACTIVE = 99,
  SPHERE_EVENT_FREE = 100,
};

struct SphereEvent {
  CVector3 Centre{};
  std::uint32_t State = SPHERE_EVENT_FREE;
  std::uint32_t Kind = 0;        // read by the objects' handlers
  std::uint32_t StartTime = 0;   // ms of the game clock
  std::uint32_t Duration = 0;    // ms
  float MaxRadius = 0.0f;
  float Radius = 0.0f;
  std::uint32_t User = 0;
  CHLO* Source = nullptr;        // never perceives its own event
  std::int32_t Priority = 0;     // higher wins
};

// What a caller fills in, in the order the game's code gives it.
struct SphereEventDesc {
  CVector3 Centre{};
  std::uint32_t Kind = 0;
  std::uint32_t Duration = 0;
  float MaxRadius = 0.0f;
  CHLO* Source = nullptr;
  std::int32_t Priority = 0;
  std::uint32_t User = 0;
};

// Growth of every event's radius (units per second).
constexpr float kSphereEventGrowth = 30000.0f;
// The priority that always finds a record.
constexpr std::int32_t kSphereEventUrgent = 3;

class SphereEvents {
 public:
  static constexpr int kDefaultCapacity = 50;
  explicit SphereEvents(int capacity = kDefaultCapacity) : capacity_(capacity > 0 ? capacity : 0) {}
  SphereEvents(const SphereEvents&) = delete;
  SphereEvents& operator=(const SphereEvents&) = delete;

  bool CreatePools(CLinearBuffer* buffer);
  void FreePools() { records_ = nullptr; }
  // Every record free with no source; index and count 0.
  void Reset();
  // Places the event; false when every record met holds a higher priority
  // (a priority-3 event then takes the record reached).
  bool Add(const SphereEventDesc& desc);
  // Once a frame while the game clock runs: ends old events, grows the rest.
  void Update();
  // Lets the object react to the first event it accepts and reaches
  // (hearing scale × radius beyond its distance); false when none.
  bool Notify(CHLO* object);
  // Forgets an object that goes away: events it caused keep going without a source.
  void ForgetSource(const CHLO* object);

  SphereEvent* Get(int i) { return records_ && i >= 0 && i < capacity_ ? &records_[i] : nullptr; }
  int GetCapacity() const { return capacity_; }

 private:
  SphereEvent* records_ = nullptr;
  int capacity_;
  int next_ = 0;
  int count_ = 0;
};

extern SphereEvents* g_SphereEvents;

// Adds to the game's pool: 1 placed, 0 refused (also without a pool).
int SphereEventAdd(const SphereEventDesc& desc);
