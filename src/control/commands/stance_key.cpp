#include "control/commands/stance_key.h"

#include <cmath>

namespace {

// The soldier's stance numbers.
constexpr int kLying = 0;
constexpr int kKneeling = 1;
constexpr int kWalking = 2;
constexpr int kRunning = 3;
constexpr int kKneelRunning = 5;

int SteppedStance(int stance) {
  switch (stance) {
    case kLying:
      return kKneeling;
    case kKneeling:
    case kKneelRunning:
      return kRunning;
    default:
      return kKneeling;
  }
}

}  // namespace

int StanceKeyStep(const StanceKeyInput& in, StanceKeyState* state) {
  if (state->WaitForRelease != 0) {
    state->Consumed = 1;
    if (!in.Down) state->WaitForRelease = 0;
    return kNoStanceRequest;
  }
  if (in.OrderDown) return kNoStanceRequest;
  int request = kNoStanceRequest;
  if (state->Consumed == 0) {
    if (in.Down && in.Stance == kLying) {
      request = kKneeling;
      state->Consumed = 1;
    } else if (in.Down && in.DownTime + kStanceLongPressMs < in.Now) {
      if (!in.InVehicle) request = kLying;
      state->Consumed = 1;
    } else if (in.Released) {
      request = SteppedStance(in.Stance);
      state->Consumed = 0;
    }
  }
  if (state->Consumed != 0 && !in.Down) state->Consumed = 0;
  return request;
}

int StanceSpeedStep(int stance, float strafe, float forward, bool keyboardCtrl, bool aimableWeapon) {
  const float m = std::sqrt(strafe * strafe + forward * forward);
  const bool slow = (m > 0.0f && m < kStanceSlowDeflection) || keyboardCtrl || aimableWeapon;
  if (slow) {
    if (stance == kRunning) return kWalking;
    if (stance == kKneelRunning) return kKneeling;
    return kNoStanceRequest;
  }
  if (stance == kKneeling) return kKneeling;
  if (stance == kWalking) return kRunning;
  return kNoStanceRequest;
}
