// Tracer batteries: invisible guns of a level that fire bursts of tracer
// effects into the sky, sweeping their aim about.  Read from the level's
// tracer-battery section.  Main thread only.
//
// Frame: world units, y up; the aim offset is relative to the battery.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/geometry/vector3.h"

class EnvTextCursor;

struct TracerBattery {
  float BurstTimer = 0.0f;   // seconds to the next shot
  std::int32_t ShotsLeft = 0;
  CVector3 Position{};
  CVector3 AimOffset{};
  CVector3 AimVelocity{};    // units per second
};

// Most batteries one section may declare; a larger count is taken as damage.
constexpr int kMaxTracerBatteries = 256;

class TracerBatteries {
 public:
  // The section: a keyword, the count, then x y z per battery.  Replaces the
  // batteries held.  False, with none kept, when a value is missing or the
  // count is negative or above the limit.
  bool Read(EnvTextCursor& text, int version);
  // The section as the level editor writes it.
  static void Write(std::string* out, const std::vector<CVector3>& positions);
  // Once a frame while the game clock runs: aims sweep, bursts fire.
  void Update(float dt);
  void Free() { batteries_.clear(); }

  int GetCount() const { return static_cast<int>(batteries_.size()); }
  TracerBattery* Get(int i) { return i >= 0 && i < GetCount() ? &batteries_[static_cast<std::size_t>(i)] : nullptr; }

 private:
  std::vector<TracerBattery> batteries_;
};

extern TracerBatteries* g_TracerBatteries;
