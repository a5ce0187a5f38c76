#include "units/base/side_hostility.h"

// As a level starts: sides 0 and 1 hostile.
std::uint32_t SideHostilityTable[kHostilitySides * kHostilitySides] = {0, 1, 0, 0, 0, 0, 0, 0, 1};

namespace {
bool InTable(int side) { return side >= 0 && side < kHostilitySides; }
}  // namespace

std::uint32_t SideHostility(int a, int b) {
  return InTable(a) && InTable(b) ? SideHostilityTable[a * kHostilitySides + b] : 0u;
}

bool SidesHostile(int a, int b) { return SideHostility(a, b) != 0; }

void SetSidesHostile(int a, int b, bool hostile) {
  if (!InTable(a) || !InTable(b)) return;
  SideHostilityTable[a * kHostilitySides + b] = hostile ? 1u : 0u;
  SideHostilityTable[b * kHostilitySides + a] = hostile ? 1u : 0u;
}

void ResetSideHostility() {
  for (std::uint32_t& entry : SideHostilityTable) entry = 0;
  SetSidesHostile(0, 1, true);
}
