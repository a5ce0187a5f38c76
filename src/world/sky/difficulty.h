// The difficulty record: the chosen level (0, 1 or 2) and a damage factor
// for each, times a global factor, which the game consults to scale damage.
// One record for the program.  Main thread only.
#pragma once

#include <cstdint>

constexpr int kDifficultyLevels = 3;
// The level argument that stands for the current level.
constexpr int kDifficultyCurrent = 3;

class CDifficulty {
 public:
  void SetLevel(std::uint32_t level) { Level = level; }
  std::uint32_t GetLevel() const { return Level; }
  // Nothing for a level outside 0 to 2.
  void SetDamageFactor(int level, float factor);
  void SetGlobalFactor(float factor) { GlobalFactor = factor; }
  void SetEnabled(bool on) { Enabled = on ? 1 : 0; }
  // 1.0 when the record is off; otherwise the factor of the level (the
  // current level for kDifficultyCurrent) times the global factor.  A level
  // outside 0 to 2 has the factor 1.0.
  float GetDamageFactor(int level) const;
  // What the level start sets: factors 0.2, 0.7 and 1.3, global 1.0, on.
  void SetLevelStartFactors();

  std::uint32_t Enabled = 1;
  std::uint32_t Level = 1;
  float DamageFactors[kDifficultyLevels] = {1.0f, 1.0f, 1.0f};
  float GlobalFactor = 1.0f;
};

extern CDifficulty g_Difficulty;
