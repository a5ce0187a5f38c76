// The stance key over frames of a press (tap, long press, release, the wait
// for a release, the order key) and the speed step over its table of states.
#include "control/commands/stance_key.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A press of `held` ms from a stance, frame by frame (16 ms frames): the
// requests made, in order.  The stance follows each request at once.
std::vector<int> Press(int stance, std::uint32_t held, bool inVehicle = false, StanceKeyState state = {}) {
  std::vector<int> requests;
  StanceKeyInput in;
  in.DownTime = 1000;
  in.InVehicle = inVehicle;
  for (std::uint32_t t = 1000; t <= 1000 + held + 16; t += 16) {
    in.Now = t;
    in.Down = t <= 1000 + held;
    in.Released = !in.Down;
    in.Stance = stance;
    const int r = StanceKeyStep(in, &state);
    if (r != kNoStanceRequest) {
      requests.push_back(r);
      stance = r;
    }
  }
  return requests;
}

TEST(StanceKey, TapsAndLongPresses) {
  struct Case {
    const char* what;
    int stance;
    std::uint32_t held;
    bool inVehicle;
    std::vector<int> requests;
  } cases[] = {
      {"a tap from lying kneels at once", 0, 32, false, {1}},
      {"a long press from lying kneels and stays", 0, 600, false, {1}},
      {"a tap while walking kneels on release", 2, 32, false, {1}},
      {"a tap while running kneels on release", 3, 32, false, {1}},
      {"a tap while kneeling gets up running", 1, 32, false, {3}},
      {"a tap while running crouched gets up running", 5, 32, false, {3}},
      {"a press held 250 ms is still a tap", 2, 240, false, {1}},
      {"a press held over 250 ms lies down, the release does nothing", 2, 400, false, {0}},
      {"kneeling: a long press lies down", 1, 400, false, {0}},
      {"in a vehicle a long press does nothing", 2, 400, true, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Press(c.stance, c.held, c.inVehicle), c.requests) << c.what;
}

TEST(StanceKey, AHeldPressFromAMenuWaitsForItsReleaseAndTheOrderKeyTakesIt) {
  StanceKeyState waiting;
  waiting.WaitForRelease = 1;
  EXPECT_TRUE(Press(2, 400, false, waiting).empty());
  // The next press after the release works again.
  StanceKeyState state;
  state.WaitForRelease = 1;
  StanceKeyInput in;
  in.Stance = 2;
  in.Down = false;
  in.Released = true;
  EXPECT_EQ(StanceKeyStep(in, &state), kNoStanceRequest);
  EXPECT_EQ(state.WaitForRelease, 0);
  EXPECT_EQ(StanceKeyStep(in, &state), kNoStanceRequest) << "the release that ended the wait is spent";
  EXPECT_EQ(state.Consumed, 0);
  EXPECT_EQ(Press(2, 32, false, state), std::vector<int>{1}) << "the next tap works";
  // With ORDER held the key is the order pop-up's.
  StanceKeyState order;
  in.OrderDown = true;
  EXPECT_EQ(StanceKeyStep(in, &order), kNoStanceRequest);
}

TEST(StanceKey, SpeedStepOverItsStates) {
  struct Case {
    int stance;
    float strafe, forward;
    bool ctrl, aimable;
    int request;
  } cases[] = {
      {3, 0.0f, 0.5f, false, false, 2},   // a small deflection slows a run
      {5, 0.3f, 0.3f, false, false, 1},   // and a crouched run
      {3, 0.0f, 1.0f, false, false, kNoStanceRequest},  // full deflection: running stays
      {2, 0.0f, 1.0f, false, false, 3},   // full deflection: a walk becomes a run
      {1, 0.0f, 1.0f, false, false, 1},   // kneeling is asked for again
      {3, 0.0f, 0.0f, false, false, kNoStanceRequest},  // standing still: no slow step
      {2, 0.0f, 0.0f, false, false, 3},
      {3, 0.0f, 1.0f, true, false, 2},    // Ctrl on the keyboard
      {3, 0.0f, 1.0f, false, true, 2},    // an aimable weapon
      {0, 0.0f, 0.5f, false, false, kNoStanceRequest},  // lying is left alone
      {3, 0.0f, 0.8f, false, false, kNoStanceRequest},  // 0.8 is not slow
  };
  for (const Case& c : cases)
    EXPECT_EQ(StanceSpeedStep(c.stance, c.strafe, c.forward, c.ctrl, c.aimable), c.request)
        << c.stance << " " << c.strafe << " " << c.forward << " " << c.ctrl << c.aimable;
}

}  // namespace
