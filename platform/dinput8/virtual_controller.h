// Game controllers made in software (SDL virtual joysticks attached as game
// controllers), for tests and the recorded input script.  Each reaches the
// DirectInput stand-in like a real pad; the game's rumble on it is recorded.
// Main thread only.
#pragma once

#include <cstdint>

// The pad's axes in the joystick layout the stand-in reports: X and Y the left
// stick, Z and Rz the right stick, and the two triggers.
enum class VirtualAxis { X = 0, Y = 1, Z = 2, Rz = 3, LeftTrigger = 4, RightTrigger = 5 };

// Attaches a pad; answers its handle (above 0), or 0 when SDL cannot.
int AttachVirtualController(const char* name = "Virtual pad");
// Removes it; false for an unknown handle.
bool DetachVirtualController(int handle);
// Detaches every pad still attached.
void DetachAllVirtualControllers();
// Sets an axis: sticks -1..1 (Y positive is down), triggers 0..1; values are
// clamped.  Takes effect at the next poll.
bool SetVirtualControllerAxis(int handle, VirtualAxis axis, float value);
// Sets joystick button 0..15 of the stand-in's layout (14 and 15 pull the
// left and right trigger fully).
bool SetVirtualControllerButton(int handle, int button, bool down);

// What the game last sent to the pad's motors.
struct VirtualRumble {
  int calls = 0;            // rumble requests that reached the pad
  std::uint16_t low = 0;    // strength of the low-frequency motor, 0..65535
  std::uint16_t high = 0;   // strength of the high-frequency motor
};
VirtualRumble GetVirtualControllerRumble(int handle);
