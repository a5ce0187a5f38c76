#include "world/sky/difficulty.h"

CDifficulty g_Difficulty;

void CDifficulty::SetDamageFactor(int level, float factor) {
  if (level >= 0 && level < kDifficultyLevels) DamageFactors[level] = factor;
}

float CDifficulty::GetDamageFactor(int level) const {
  if (!Enabled) return 1.0f;
  const std::int64_t chosen = level == kDifficultyCurrent ? static_cast<std::int64_t>(Level) : level;
  const float factor = chosen >= 0 && chosen < kDifficultyLevels ? DamageFactors[chosen] : 1.0f;
  return factor * GlobalFactor;
}

void CDifficulty::SetLevelStartFactors() {
  SetDamageFactor(0, 0.2f);
  SetDamageFactor(1, 0.7f);
  SetDamageFactor(2, 1.3f);
  SetGlobalFactor(1.0f);
  SetEnabled(true);
}
