// Command-line switch flags: 32 byte flags indexed by (letter & 31), so an
// upper- and a lower-case letter share one flag.  The game shell's
// command-line parser sets them.
#pragma once

// Non-zero when the switch of `letter` is set.
int IsCommandSwitchSet(char letter);
// Sets the switch of `letter`.
void SetCommandSwitch(char letter);
// Clears the switch of `letter`.
void ClearCommandSwitch(char letter);
// Clears every switch.
void ClearAllCommandSwitches();
