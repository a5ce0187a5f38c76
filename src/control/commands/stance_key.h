// The stance key and the speed step of a local player's soldier, as pure
// steps over the key's state and the soldier's stance.  Stance numbers are
// the soldier's own: 0 lying (crawl), 1 kneeling, 2 walking, 3 running,
// 5 running crouched.  A tap kneels from lying or upright (and stands a
// kneeling soldier up), a press held over 250 ms lies down (not in a
// vehicle); the speed step slows an upright or crouched run for a small
// stick deflection, Ctrl on the keyboard, or a weapon the soldier can aim.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kStanceLongPressMs = 250;
inline constexpr float kStanceSlowDeflection = 0.8f;
inline constexpr int kNoStanceRequest = -1;

// Per player: the wait-for-release byte (set when play returns to the game
// screen, so a press made on a menu does nothing) and the consumed word.
struct StanceKeyState {
  std::uint8_t WaitForRelease = 0;
  std::uint8_t Consumed = 0;
};

struct StanceKeyInput {
  bool Down = false;          // STANCE held
  bool Released = false;      // STANCE released this frame
  std::uint32_t DownTime = 0; // game time the press began (ms)
  std::uint32_t Now = 0;
  bool OrderDown = false;     // ORDER held: the key belongs to the orders
  int Stance = 2;
  bool InVehicle = false;
};

// One frame of the stance key: the stance to request (forced), or
// kNoStanceRequest.
int StanceKeyStep(const StanceKeyInput& in, StanceKeyState* state);

// The speed step: the stance to request, or kNoStanceRequest.
int StanceSpeedStep(int stance, float strafe, float forward, bool keyboardCtrl, bool aimableWeapon);
