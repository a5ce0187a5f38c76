// The keyboard state and the translation of keys into characters, over a
// fixed US layout.  Key codes are this system's 9-bit set-1 scan codes (256
// added for the extended keys), as key messages carry them in lParam bits
// 16..24.  The state follows the key messages the window stand-in made
// (real or injected keys alike).  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

inline constexpr UINT MAPVK_VK_TO_VSC = 0;
inline constexpr UINT MAPVK_VSC_TO_VK = 1;

// 256 bytes, one a virtual key: bit 0x80 down, bit 0x01 toggled (Caps Lock).
BOOL GetKeyboardState(BYTE* state);
// MAPVK_VSC_TO_VK: the virtual key of a key code (0 for none);
// MAPVK_VK_TO_VSC: the first key code of a virtual key (0 for none).
UINT MapVirtualKeyA(UINT code, UINT mapType);
// The character a virtual key gives with the state (Shift and Caps Lock):
// 1 and the character in out[0], or 0 for a key that types nothing.
int ToAscii(UINT virtualKey, UINT scanCode, const BYTE* state, WORD* out, UINT flags);

// For the window stand-in: a key went down or up.
void Win32NoteKeyState(WPARAM virtualKey, bool down);
// Every key up and Caps Lock off (tests).
void Win32ResetKeyboardState();
