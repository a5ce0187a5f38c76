#include "units/base/unit_stats.h"

#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/vehicle_stats.h"

std::uint32_t StatsKindOf(const void* stats) {
  return stats != nullptr ? *static_cast<const std::uint32_t*>(stats) : 0u;
}

const HumanStats* AsHumanStats(const void* stats) {
  return StatsKindOf(stats) == STATS_HUMAN ? static_cast<const HumanStats*>(stats) : nullptr;
}

const VehicleStats* AsVehicleStats(const void* stats) {
  return StatsKindOf(stats) == STATS_MACHINE ? static_cast<const VehicleStats*>(stats) : nullptr;
}

float StatsBaseHealth(const void* stats) {
  if (const HumanStats* h = AsHumanStats(stats)) return h->Base != nullptr ? static_cast<float>(h->Base->Values[0]) : 0.0f;
  if (const VehicleStats* v = AsVehicleStats(stats))
    return v->Base != nullptr ? static_cast<float>(v->Base->Values2To6[0]) : 0.0f;
  return 0.0f;
}

std::int32_t StatsScore(const void* stats) {
  if (const HumanStats* h = AsHumanStats(stats)) return static_cast<std::int16_t>(h->Value9);
  if (const VehicleStats* v = AsVehicleStats(stats)) return static_cast<std::int16_t>(v->Value6);
  return 0;
}

std::int32_t StatsCharacterType(const void* stats) {
  const HumanStats* h = AsHumanStats(stats);
  return h != nullptr ? static_cast<std::int32_t>(h->CharacterType) : -1;
}
