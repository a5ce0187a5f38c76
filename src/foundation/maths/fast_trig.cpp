#include "foundation/maths/fast_trig.h"

#include <cmath>
#include <mutex>

#include "foundation/memory/memory_manager.h"

namespace {

struct Table {
  float* entries = nullptr;
  std::uint32_t size = 0;
  std::uint32_t quarter = 0;
  float scale = 0.0f;
};

constinit Table gTable;
constinit std::mutex gTableLock;

void EnsureTable() {
  if (gTable.entries) return;
  FastTrig(kFastTrigDefaultResolution);
}

float Lookup(float radians, std::uint32_t offset) {
  EnsureTable();
  float scaled = gTable.scale * radians;
  // Out of the int range (or not a number) the truncation is meaningless:
  // bring such angles into one turn first.
  if (!(std::fabs(scaled) < 2.0e9f)) {
    if (!std::isfinite(scaled)) return gTable.entries[offset % gTable.size];
    scaled = std::fmod(scaled, static_cast<float>(gTable.size));
  }
  auto i = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
  return gTable.entries[(i + 16u * gTable.size + offset) % gTable.size];
}

}  // namespace

int FastTrig(std::uint32_t resolution) {
  if (resolution > 0x10000) return 0;
  std::uint32_t perDegree = resolution / 1440;
  std::uint32_t n = perDegree * 360;
  if (n == 0) return 0;
  std::lock_guard<std::mutex> lock(gTableLock);
  MemSetOwner("GAMELIB/Core/FastTrig", __LINE__, "??");
  auto* entries = new (MEMCAT_GAME) float[n];
  const double step = 2.0 * 3.14159265358979323846 / n;
  for (std::uint32_t i = 0; i < n; ++i) entries[i] = static_cast<float>(std::sin(i * step));
  if (gTable.entries) {
    MemSetOwner("GAMELIB/Core/FastTrig", __LINE__, "??");
    delete[] gTable.entries;
  }
  gTable.entries = entries;
  gTable.size = n;
  gTable.quarter = n / 4;
  // The scale is the float reciprocal of the float step, so that exact
  // fractions of a turn land on their entry.
  float floatStep = static_cast<float>(2.0 * 3.14159265358979323846 / n);
  gTable.scale = 1.0f / floatStep;
  return 1;
}

void FastTrigRelease() {
  std::lock_guard<std::mutex> lock(gTableLock);
  if (gTable.entries) {
    MemSetOwner("GAMELIB/Core/FastTrig", __LINE__, "??");
    delete[] gTable.entries;
  }
  gTable = Table{};
}

std::uint32_t FastTrigTableSize() {
  EnsureTable();
  return gTable.size;
}

float FastTrigEntry(std::uint32_t i) {
  EnsureTable();
  return i < gTable.size ? gTable.entries[i] : 0.0f;
}

float FastSin(float radians) { return Lookup(radians, 0); }
float FastCos(float radians) {
  EnsureTable();
  return Lookup(radians, gTable.quarter);
}
