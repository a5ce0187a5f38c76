// The "--input FILE" run option: a recorded input script replayed into the
// game, each frame's events pushed and delivered to the game window before
// the frame runs (see platform/dinput8/input_script.h for the format).
#pragma once

#include <cstddef>
#include <string>

// Loads the script and makes the message loop run each frame through it;
// false with a message when the script cannot be read.
bool StartInputScript(const char* path, std::string* error);
// Stops replaying (the loop runs plain frames again); the script's pads go.
void StopInputScript();
// Events of the script loaded (0 without one).
std::size_t InputScriptEvents();
// With a script running, the clocks can follow the script instead of the real
// time: every scripted frame moves them on by `milliseconds` and every wait
// (Sleep) by its length, without waiting.  A replay then meets the same timed
// screens, fades and loading shows at the same frames on any machine, however
// fast it draws.  0 gives the real clocks back.  Call after StartInputScript;
// StopInputScript also gives them back.
void SetInputScriptFrameTime(unsigned milliseconds);
