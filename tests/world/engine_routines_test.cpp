// The engine's small geometric tests, by tables of cases.
#include "world/engine_routines.h"

#include <gtest/gtest.h>

namespace {

TEST(EngineRoutines, DistanceAndViewCone) {
  EXPECT_TRUE(VecWithinDistance({0, 0, 0}, {3, 4, 0}, 5.01f));
  EXPECT_FALSE(VecWithinDistance({0, 0, 0}, {3, 4, 0}, 5.0f)) << "at the distance is not within";
  struct Case {
    float yaw;
    CVector3 target;
    float cone;
    bool inside;
  } cases[] = {
      {0, {0, 0, 100}, 10, true},     // straight ahead along +z
      {0, {0, 0, -100}, 361, true},   // straight behind is 180 degrees off
      {0, {0, 0, -100}, 359, false},
      {90, {100, 0, 0}, 10, true},    // yaw 90 faces +x
      {90, {0, 0, 100}, 170, false},  // 90 degrees off needs more than 180
      {90, {0, 0, 100}, 181, true},
      {0, {0, 500, 0}, 179, false},   // straight above: 90 degrees off
      {0, {0, 500, 0}, 181, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInViewCone({0, 0, 0}, c.yaw, c.target, c.cone), c.inside) << c.yaw << " " << c.cone;
}

TEST(EngineRoutines, VerticalConeMeasuresTheElevationAngle) {
  struct Case {
    CVector3 target;
    float cone;
    int acceptBelow;
    bool inside;
  } cases[] = {
      {{100, 100, 0}, 91, 0, true},    // 45 degrees up
      {{100, 100, 0}, 89, 0, false},
      {{10, 1, 0}, 12, 0, true},       // 5.7 degrees up
      {{10, 1, 0}, 11, 0, false},
      {{100, -100, 0}, 91, 0, false},  // below, not accepted
      {{100, -100, 0}, 91, 1, true},
      {{0, 10, 0}, 179, 1, false},     // straight up: 90 degrees
  };
  for (const Case& c : cases)
    EXPECT_EQ(PointInVerticalCone({0, 0, 0}, c.target, c.cone, c.acceptBelow), c.inside)
        << c.target.x << "," << c.target.y << " cone " << c.cone;
}

TEST(EngineRoutines, SteepnessAndTimeOfDay) {
  EXPECT_TRUE(IsSteepOrShort({1, 0, 0}, 2, 0.5f));      // short
  EXPECT_FALSE(IsSteepOrShort({100, 10, 0}, 50, 0.5f)); // long and flat
  EXPECT_TRUE(IsSteepOrShort({30, 60, 0}, 40, 0.5f));   // 67 less 60 is below 40; y share 0.89
  EXPECT_FALSE(IsSteepOrShort({30, 60, 0}, 40, 0.95f));
  static float hour = 12.0f;
  SetTimeOfDaySource([] { return hour; });
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
  hour = 16.0f;
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
  hour = 18.0f;  // 1 - (6 - 4) / 4 = 0.5
  EXPECT_FLOAT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 5.0f);
  hour = 0.0f;  // 1 - 8 / 4 = -1: the floor
  EXPECT_FLOAT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 2.0f);
  SetTimeOfDaySource(nullptr);
  EXPECT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 10.0f);
}

}  // namespace
