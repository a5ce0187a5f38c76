#include "units/base/unit_events.h"

namespace {
UnitEventHandler g_handler = nullptr;
}  // namespace

void SetUnitEventHandler(UnitEventHandler handler) { g_handler = handler; }

bool UnitEventsBound() { return g_handler != nullptr; }

std::uint32_t RaiseUnitEvent(std::uint32_t code, std::uint32_t* block, int words) {
  if (g_handler == nullptr || block == nullptr || words <= 0) return block != nullptr && words > 0 ? block[0] : 0;
  // Blocks are sixteen words, zero beyond what the raiser fills.
  std::uint32_t full[16] = {};
  const int n = words < 16 ? words : 16;
  for (int i = 0; i < n; ++i) full[i] = block[i];
  g_handler(code, full, 16);
  for (int i = 0; i < n; ++i) block[i] = full[i];
  return block[0];
}

void RaiseUnitEvent(std::uint32_t code, std::int32_t objectId) {
  std::uint32_t block[1] = {static_cast<std::uint32_t>(objectId)};
  RaiseUnitEvent(code, block, 1);
}
