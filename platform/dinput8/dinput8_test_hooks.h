// Test hooks of the DirectInput 8 stand-in: a log of the calls made, and
// calls made to fail.  Calls are named "<object>.<method>", the object being
// "DirectInput", "Keyboard", "Mouse", "Joystick" or "Effect"
// ("Joystick.SetDataFormat", "Effect.SetParameters" ...), and
// "DirectInput8Create" for the entry.
#pragma once

#include <string>
#include <vector>

// Switches the call log on or off (off at start); switching clears it.
void DInputSetCallLog(bool on);
// The calls logged, each "<name>" or "<name> <detail>" (a magnitude, a
// property value ...).
const std::vector<std::string>& DInputCallLog();
// Makes the next `count` calls of that name fail (DIERR_GENERIC, or null from
// the entry); 0 removes the failure.
void DInputFailNext(const char* call, int count = 1);
// Removes every planned failure.
void DInputClearFailures();
