#include "platform/win32/key_codes.h"

#include <SDL2/SDL_scancode.h>

#include <cstring>

#include "platform/win32/window.h"

namespace {

inline constexpr int kExtended = 256;

// One physical key: SDL's scan code, the message's 9-bit key code, the
// virtual key and the English name.
struct KeyRow {
  int sdl;
  int code;
  WPARAM vk;
  const char* name;
};

// Virtual keys of the punctuation keys (US layout).
inline constexpr WPARAM VK_NUMLOCK = 0x90;
inline constexpr WPARAM VK_SCROLL = 0x91;
inline constexpr WPARAM VK_LWIN = 0x5B;
inline constexpr WPARAM VK_RWIN = 0x5C;
inline constexpr WPARAM VK_APPS = 0x5D;
inline constexpr WPARAM VK_OEM_1 = 0xBA;       // ;
inline constexpr WPARAM VK_OEM_PLUS = 0xBB;    // =
inline constexpr WPARAM VK_OEM_COMMA = 0xBC;   // ,
inline constexpr WPARAM VK_OEM_MINUS = 0xBD;   // -
inline constexpr WPARAM VK_OEM_PERIOD = 0xBE;  // .
inline constexpr WPARAM VK_OEM_2 = 0xBF;       // /
inline constexpr WPARAM VK_OEM_3 = 0xC0;       // `
inline constexpr WPARAM VK_OEM_4 = 0xDB;       // [
inline constexpr WPARAM VK_OEM_5 = 0xDC;       // backslash
inline constexpr WPARAM VK_OEM_6 = 0xDD;       // ]
inline constexpr WPARAM VK_OEM_7 = 0xDE;       // '
inline constexpr WPARAM VK_OEM_102 = 0xE2;     // the extra key of ISO keyboards

constexpr KeyRow kKeys[] = {
    {SDL_SCANCODE_ESCAPE, 1, VK_ESCAPE, "Esc"},
    {SDL_SCANCODE_1, 2, '1', "1"},
    {SDL_SCANCODE_2, 3, '2', "2"},
    {SDL_SCANCODE_3, 4, '3', "3"},
    {SDL_SCANCODE_4, 5, '4', "4"},
    {SDL_SCANCODE_5, 6, '5', "5"},
    {SDL_SCANCODE_6, 7, '6', "6"},
    {SDL_SCANCODE_7, 8, '7', "7"},
    {SDL_SCANCODE_8, 9, '8', "8"},
    {SDL_SCANCODE_9, 10, '9', "9"},
    {SDL_SCANCODE_0, 11, '0', "0"},
    {SDL_SCANCODE_MINUS, 12, VK_OEM_MINUS, "-"},
    {SDL_SCANCODE_EQUALS, 13, VK_OEM_PLUS, "="},
    {SDL_SCANCODE_BACKSPACE, 14, VK_BACK, "Backspace"},
    {SDL_SCANCODE_TAB, 15, VK_TAB, "Tab"},
    {SDL_SCANCODE_Q, 16, 'Q', "Q"},
    {SDL_SCANCODE_W, 17, 'W', "W"},
    {SDL_SCANCODE_E, 18, 'E', "E"},
    {SDL_SCANCODE_R, 19, 'R', "R"},
    {SDL_SCANCODE_T, 20, 'T', "T"},
    {SDL_SCANCODE_Y, 21, 'Y', "Y"},
    {SDL_SCANCODE_U, 22, 'U', "U"},
    {SDL_SCANCODE_I, 23, 'I', "I"},
    {SDL_SCANCODE_O, 24, 'O', "O"},
    {SDL_SCANCODE_P, 25, 'P', "P"},
    {SDL_SCANCODE_LEFTBRACKET, 26, VK_OEM_4, "["},
    {SDL_SCANCODE_RIGHTBRACKET, 27, VK_OEM_6, "]"},
    {SDL_SCANCODE_RETURN, 28, VK_RETURN, "Enter"},
    {SDL_SCANCODE_LCTRL, 29, VK_CONTROL, "Ctrl"},
    {SDL_SCANCODE_A, 30, 'A', "A"},
    {SDL_SCANCODE_S, 31, 'S', "S"},
    {SDL_SCANCODE_D, 32, 'D', "D"},
    {SDL_SCANCODE_F, 33, 'F', "F"},
    {SDL_SCANCODE_G, 34, 'G', "G"},
    {SDL_SCANCODE_H, 35, 'H', "H"},
    {SDL_SCANCODE_J, 36, 'J', "J"},
    {SDL_SCANCODE_K, 37, 'K', "K"},
    {SDL_SCANCODE_L, 38, 'L', "L"},
    {SDL_SCANCODE_SEMICOLON, 39, VK_OEM_1, ";"},
    {SDL_SCANCODE_APOSTROPHE, 40, VK_OEM_7, "'"},
    {SDL_SCANCODE_GRAVE, 41, VK_OEM_3, "`"},
    {SDL_SCANCODE_LSHIFT, 42, VK_SHIFT, "Shift"},
    {SDL_SCANCODE_BACKSLASH, 43, VK_OEM_5, "\\"},
    {SDL_SCANCODE_NONUSHASH, 43, VK_OEM_5, "\\"},
    {SDL_SCANCODE_Z, 44, 'Z', "Z"},
    {SDL_SCANCODE_X, 45, 'X', "X"},
    {SDL_SCANCODE_C, 46, 'C', "C"},
    {SDL_SCANCODE_V, 47, 'V', "V"},
    {SDL_SCANCODE_B, 48, 'B', "B"},
    {SDL_SCANCODE_N, 49, 'N', "N"},
    {SDL_SCANCODE_M, 50, 'M', "M"},
    {SDL_SCANCODE_COMMA, 51, VK_OEM_COMMA, ","},
    {SDL_SCANCODE_PERIOD, 52, VK_OEM_PERIOD, "."},
    {SDL_SCANCODE_SLASH, 53, VK_OEM_2, "/"},
    {SDL_SCANCODE_RSHIFT, 54, VK_SHIFT, "Right Shift"},
    {SDL_SCANCODE_KP_MULTIPLY, 55, VK_MULTIPLY, "Num *"},
    {SDL_SCANCODE_LALT, 56, VK_MENU, "Alt"},
    {SDL_SCANCODE_SPACE, 57, VK_SPACE, "Space"},
    {SDL_SCANCODE_CAPSLOCK, 58, VK_CAPITAL, "Caps Lock"},
    {SDL_SCANCODE_F1, 59, VK_F1 + 0, "F1"},
    {SDL_SCANCODE_F2, 60, VK_F1 + 1, "F2"},
    {SDL_SCANCODE_F3, 61, VK_F1 + 2, "F3"},
    {SDL_SCANCODE_F4, 62, VK_F1 + 3, "F4"},
    {SDL_SCANCODE_F5, 63, VK_F1 + 4, "F5"},
    {SDL_SCANCODE_F6, 64, VK_F1 + 5, "F6"},
    {SDL_SCANCODE_F7, 65, VK_F1 + 6, "F7"},
    {SDL_SCANCODE_F8, 66, VK_F1 + 7, "F8"},
    {SDL_SCANCODE_F9, 67, VK_F1 + 8, "F9"},
    {SDL_SCANCODE_F10, 68, VK_F1 + 9, "F10"},
    {SDL_SCANCODE_NUMLOCKCLEAR, 69, VK_NUMLOCK, "Num Lock"},
    {SDL_SCANCODE_SCROLLLOCK, 70, VK_SCROLL, "Scroll Lock"},
    {SDL_SCANCODE_KP_7, 71, VK_NUMPAD0 + 7, "Num 7"},
    {SDL_SCANCODE_KP_8, 72, VK_NUMPAD0 + 8, "Num 8"},
    {SDL_SCANCODE_KP_9, 73, VK_NUMPAD0 + 9, "Num 9"},
    {SDL_SCANCODE_KP_MINUS, 74, VK_SUBTRACT, "Num -"},
    {SDL_SCANCODE_KP_4, 75, VK_NUMPAD0 + 4, "Num 4"},
    {SDL_SCANCODE_KP_5, 76, VK_NUMPAD0 + 5, "Num 5"},
    {SDL_SCANCODE_KP_6, 77, VK_NUMPAD0 + 6, "Num 6"},
    {SDL_SCANCODE_KP_PLUS, 78, VK_ADD, "Num +"},
    {SDL_SCANCODE_KP_1, 79, VK_NUMPAD0 + 1, "Num 1"},
    {SDL_SCANCODE_KP_2, 80, VK_NUMPAD0 + 2, "Num 2"},
    {SDL_SCANCODE_KP_3, 81, VK_NUMPAD0 + 3, "Num 3"},
    {SDL_SCANCODE_KP_0, 82, VK_NUMPAD0, "Num 0"},
    {SDL_SCANCODE_KP_PERIOD, 83, VK_DECIMAL, "Num Del"},
    {SDL_SCANCODE_NONUSBACKSLASH, 86, VK_OEM_102, "\\"},
    {SDL_SCANCODE_F11, 87, VK_F1 + 10, "F11"},
    {SDL_SCANCODE_F12, 88, VK_F1 + 11, "F12"},
    {SDL_SCANCODE_KP_ENTER, kExtended + 28, VK_RETURN, "Num Enter"},
    {SDL_SCANCODE_RCTRL, kExtended + 29, VK_CONTROL, "Right Ctrl"},
    {SDL_SCANCODE_KP_DIVIDE, kExtended + 53, VK_DIVIDE, "Num /"},
    {SDL_SCANCODE_PRINTSCREEN, kExtended + 55, VK_SNAPSHOT, "Prnt Scrn"},
    {SDL_SCANCODE_RALT, kExtended + 56, VK_MENU, "Right Alt"},
    {SDL_SCANCODE_PAUSE, kExtended + 69, VK_PAUSE, "Pause"},
    {SDL_SCANCODE_HOME, kExtended + 71, VK_HOME, "Home"},
    {SDL_SCANCODE_UP, kExtended + 72, VK_UP, "Up"},
    {SDL_SCANCODE_PAGEUP, kExtended + 73, VK_PRIOR, "Page Up"},
    {SDL_SCANCODE_LEFT, kExtended + 75, VK_LEFT, "Left"},
    {SDL_SCANCODE_RIGHT, kExtended + 77, VK_RIGHT, "Right"},
    {SDL_SCANCODE_END, kExtended + 79, VK_END, "End"},
    {SDL_SCANCODE_DOWN, kExtended + 80, VK_DOWN, "Down"},
    {SDL_SCANCODE_PAGEDOWN, kExtended + 81, VK_NEXT, "Page Down"},
    {SDL_SCANCODE_INSERT, kExtended + 82, VK_INSERT, "Insert"},
    {SDL_SCANCODE_DELETE, kExtended + 83, VK_DELETE, "Delete"},
    {SDL_SCANCODE_LGUI, kExtended + 91, VK_LWIN, "Left Windows"},
    {SDL_SCANCODE_RGUI, kExtended + 92, VK_RWIN, "Right Windows"},
    {SDL_SCANCODE_APPLICATION, kExtended + 93, VK_APPS, "Application"},
};

const KeyRow* RowOfCode(int code) {
  for (const KeyRow& row : kKeys)
    if (row.code == code) return &row;
  return nullptr;
}

}  // namespace

int Win32KeyCodeFromSdlScancode(int sdlScancode) {
  for (const KeyRow& row : kKeys)
    if (row.sdl == sdlScancode) return row.code;
  return 0;
}

WPARAM Win32VirtualKeyFromKeyCode(int keyCode) {
  const KeyRow* row = RowOfCode(keyCode);
  return row ? row->vk : 0;
}

int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  const KeyRow* row = RowOfCode((static_cast<std::uint32_t>(lParam) >> 16) & 0x1FF);
  if (!row) return 0;
  int n = static_cast<int>(std::strlen(row->name));
  if (n > size - 1) n = size - 1;
  std::memcpy(buffer, row->name, static_cast<std::size_t>(n));
  buffer[n] = 0;
  return n;
}
