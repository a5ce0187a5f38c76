#include "control/players/rumble_table.h"

namespace {
constexpr std::uint32_t Pair(std::uint32_t left, std::uint32_t right) { return left | (right << 16); }
}  // namespace

const RumblePattern RumbleTable[kRumblePatternCount] = {
    {Pair(0, 32767), 200, 2, 0, 0},      {Pair(0, 16384), 300, 2, 0, 0},
    {Pair(16384, 0), 200, 2, 0, 0},      {Pair(0, 16384), 300, 2, 0, 0},
    {Pair(32767, 0), 300, 2, 0, 0},      {Pair(32767, 0), 1000, 2, 2, 2000},
    {Pair(256, 0), 2000, 2, 0, 0},       {Pair(0, 1024), 1000, 2, 2, 2000},
    {Pair(32767, 0), 500, 2, 1, 0},      {Pair(0, 16384), 500, 2, 1, 0},
    {Pair(32767, 0), 300, 2, 0, 0},      {Pair(0, 1024), 1000, 2, 2, 2000},
    {Pair(0, 32767), 200, 2, 0, 0},      {Pair(0, 1024), 1000, 2, 2, 2000},
    {Pair(1024, 0), 200, 2, 0, 0},       {Pair(0, 8192), 200, 2, 0, 0},
    {Pair(8192, 16384), 300, 2, 0, 0},   {Pair(32767, 16384), 2000, 3, 1, 0},
};

bool MakeRumbleRequest(int n, float strength, JoystickEffectRequest* out) {
  if (n < 0 || n >= kRumblePatternCount) return false;
  if (!(strength >= 0.0f)) strength = 0.0f;  // below 0 (or not a number): nothing
  if (strength >= 1.0f) strength = 1.0f;
  const RumblePattern& p = RumbleTable[n];
  // magnitude / 32767 x strength x 32767, taken as magnitude x strength so
  // that full strength gives the magnitude exactly.
  auto scale = [strength](std::uint32_t magnitude) {
    return static_cast<std::int16_t>(static_cast<double>(magnitude) * static_cast<double>(strength));
  };
  out->left = scale(p.magnitudes & 0xFFFF);
  out->right = scale(p.magnitudes >> 16);
  out->duration = static_cast<std::uint16_t>(p.duration);
  out->priority = static_cast<std::int32_t>(p.priority);
  out->envelope = static_cast<std::int32_t>(p.envelope);
  out->period = static_cast<std::uint16_t>(p.period);
  return true;
}
