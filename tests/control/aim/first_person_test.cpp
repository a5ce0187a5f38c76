// The first-person arithmetic: response curves, pitch and yaw rates at a
// field of view, zoom stepping with its wrap and fog offset, and the advance
// heading of the order pop-up.
#include "control/aim/first_person.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FirstPerson, PitchRateAtFullDeflectionHalvesWithTheFieldOfView) {
  struct Case {
    float input, fov;
    bool mouse, squaredMouse;
    float degreesPerSecond;
  } cases[] = {
      {1.0f, 70.0f, false, false, 84.5f},       // full deflection, normal view
      {1.0f, 35.0f, false, false, 42.25f},      // zoomed to 35: half
      {0.5f, 70.0f, false, false, 84.5f / 4},   // a half-deflected stick: the square
      {-0.5f, 70.0f, false, false, -84.5f / 4}, // the sign is kept
      {0.5f, 70.0f, true, false, 84.5f / 2},    // the mouse: linear
      {0.5f, 70.0f, true, true, 84.5f / 4},     // unless its squared response is on
      {3.0f, 70.0f, false, false, 84.5f},       // out of range: saturates
      {-7.0f, 70.0f, true, false, -84.5f},
  };
  for (const Case& c : cases) {
    const float r = AimResponse(c.input, c.mouse, c.squaredMouse);
    EXPECT_NEAR(FirstPersonPitchStep(r, c.fov, 1.0f), c.degreesPerSecond, 1e-3f) << c.input << " " << c.fov;
    EXPECT_NEAR(FirstPersonPitchStep(r, c.fov, 0.25f), c.degreesPerSecond / 4, 1e-3f);
  }
  EXPECT_EQ(AimResponse(std::numeric_limits<float>::quiet_NaN(), false, false), 0.0f);
  EXPECT_NEAR(FirstPersonYawRate(-0.2f, 70.0f, 0.5f), -32.5f, 1e-4f) << "the dial reads the sign only";
  EXPECT_EQ(FirstPersonYawRate(0.0f, 70.0f, 0.5f), 0.0f);
}

TEST(FirstPerson, ZoomStepsWrapAndPushTheFogOutAtTheNarrowestTwoLevelView) {
  const ZoomRange stepped{20.0f, 60.0f, false}, twoLevel{10.0f, 50.0f, true};
  struct Case {
    const char* what;
    ZoomRange range;
    float fov;
    ZoomInput input;
    bool changed;
    float result, fog;
    int sound;
  } cases[] = {
      {"in by 10", stepped, 60, ZOOM_IN, true, 50, 0, 2887},
      {"in, clamped to the narrowest", stepped, 25, ZOOM_IN, true, 20, 0, 2887},
      {"in at the narrowest: nothing", stepped, 20, ZOOM_IN, false, 20, 0, 0},
      {"next at the narrowest wraps to the widest", stepped, 20, ZOOM_NEXT, true, 60, 0, 2887},
      {"out by 10", stepped, 30, ZOOM_OUT, true, 40, 0, 2887},
      {"out at the widest: nothing", stepped, 60, ZOOM_OUT, false, 60, 0, 0},
      {"a view wider than the range is clamped first", stepped, 70, ZOOM_IN, true, 50, 0, 2887},
      {"two-level in: the narrowest, fog pushed out", twoLevel, 50, ZOOM_IN, true, 10, 1000, 4},
      {"two-level next at the narrowest: back out", twoLevel, 10, ZOOM_NEXT, true, 50, 0, 4},
      {"no key", stepped, 40, ZOOM_NONE, false, 40, 0, 0},
      {"an empty range", ZoomRange{40, 40, false}, 40, ZOOM_NEXT, false, 40, 0, 0},
      {"a range beyond 1..70 is cut to it", ZoomRange{-5, 500, false}, 70, ZOOM_OUT, false, 70, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ZoomStepResult r = StepZoom(c.range, c.fov, c.input);
    EXPECT_EQ(r.Changed, c.changed);
    EXPECT_FLOAT_EQ(r.FieldOfView, c.result);
    EXPECT_FLOAT_EQ(r.FogOffset, c.fog);
    EXPECT_EQ(r.SoundEvent, c.sound);
  }
}

TEST(FirstPerson, AdvanceHeadingFromTheDirectionOrTurnedAt150DegreesASecond) {
  struct Case {
    float heading, x, y;
    bool left, right;
    float seconds, result;
  } cases[] = {
      {0, 0, 1, false, false, 0.1f, 0},       // straight ahead
      {0, 1, 0, false, false, 0.1f, 90},      // right
      {0, -1, 0, false, false, 0.1f, 270},    // left: mirrored
      {0, 0, -2, false, false, 0.1f, 180},    // behind, any length
      {0, -1, 1, false, false, 0.1f, 315},
      {10, 0, 0, false, true, 0.1f, 25},      // rotating right
      {10, 0, 0, true, false, 0.1f, 355},     // left past 0 wraps
      {355, 0, 0, false, true, 0.1f, 10},     // right past 360 wraps
      {100, 0, 0, true, true, 0.5f, 100},     // both: no turn
  };
  for (const Case& c : cases)
    EXPECT_NEAR(AdvanceHeading(c.heading, c.x, c.y, c.left, c.right, c.seconds), c.result, 1e-3f)
        << c.heading << " " << c.x << " " << c.y;
}

}  // namespace
