// Keyboard codes of the window messages.  A key message carries in bits 16..23
// of its second parameter the key's set-1 scan code and in bit 24 the
// extended-key flag, so bits 16..24 read as one 9-bit key code (scan code,
// plus 256 for extended keys: right Ctrl 285, keypad Enter 284, keypad divide
// 309, right Alt 312, the Home .. Delete block 327..339).  The stand-in takes
// the code from SDL's physical key (scan code), so it does not depend on the
// keyboard layout; key names come from a fixed English table.
#pragma once

#include "platform/win32/win_types.h"

// The 9-bit key code of an SDL scan code (SDL_Scancode value), 0 for a key
// with no code here.
int Win32KeyCodeFromSdlScancode(int sdlScancode);
// The virtual key of a key code (0 when it has none), as WM_KEYDOWN's first
// parameter carries it: letters and digits as their upper-case characters,
// the editing block as VK_PRIOR .. VK_DOWN, VK_INSERT, VK_DELETE.
WPARAM Win32VirtualKeyFromKeyCode(int keyCode);

// The name of the key whose message parameter is `lParam` (bits 16..24: the
// key code), copied into `buffer` (at most size - 1 characters, always
// terminated); answers the length copied, 0 for a code with no name.
int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size);
