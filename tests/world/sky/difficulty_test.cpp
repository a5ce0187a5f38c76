// The difficulty record's damage factors.
#include "world/sky/difficulty.h"

#include <gtest/gtest.h>

namespace {

TEST(Difficulty, TheFactorIsTheLevelsTimesTheGlobalOne) {
  CDifficulty d;
  EXPECT_EQ(d.GetDamageFactor(0), 1.0f) << "all factors 1.0 at first";
  d.SetLevelStartFactors();
  d.SetGlobalFactor(2.0f);
  const struct {
    std::uint32_t level;
    int asked;
    float want;
  } cases[] = {
      {1, 0, 0.4f}, {1, 2, 2.6f}, {0, 3, 0.4f}, {2, 3, 2.6f}, {1, 3, 1.4f},
      // Levels outside 0 to 2 (asked, or current) scale by 1.0.
      {1, 5, 2.0f}, {1, -1, 2.0f}, {7, 3, 2.0f},
  };
  for (const auto& c : cases) {
    d.SetLevel(c.level);
    EXPECT_FLOAT_EQ(d.GetDamageFactor(c.asked), c.want) << "level " << c.level << " asked " << c.asked;
  }
  d.SetEnabled(false);
  EXPECT_EQ(d.GetDamageFactor(2), 1.0f) << "off: no scaling";
  d.SetDamageFactor(3, 9.0f);
  d.SetDamageFactor(-1, 9.0f);
  for (float f : d.DamageFactors) EXPECT_NE(f, 9.0f) << "a factor beyond the three is not stored";
}

}  // namespace
