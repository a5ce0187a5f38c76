#include "units/base/side_hostility.h"

#include "world/effects/explosions.h"

namespace {
bool InTable(int side) { return side >= 0 && side < kSides; }
}  // namespace

std::uint32_t SideHostility(int a, int b) { return InTable(a) && InTable(b) ? g_SideHostility[a][b] : 0u; }

bool SidesHostile(int a, int b) { return SideHostility(a, b) != 0; }

void SetSidesHostile(int a, int b, bool hostile) {
  if (!InTable(a) || !InTable(b)) return;
  g_SideHostility[a][b] = hostile ? 1u : 0u;
  g_SideHostility[b][a] = hostile ? 1u : 0u;
}
