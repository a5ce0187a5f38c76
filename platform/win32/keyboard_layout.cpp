#include "platform/win32/keyboard_layout.h"

#include <cstring>

#include "platform/win32/key_codes.h"
#include "platform/win32/window.h"

namespace {

BYTE gState[256] = {};

// Characters of the punctuation keys, unshifted and shifted (US layout).
struct Punctuation {
  WPARAM vk;
  char plain, shifted;
};
constexpr Punctuation kPunctuation[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'},  {0xBE, '.', '>'},
    {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'},
    {0xDE, '\'', '"'}, {0xE2, '\\', '|'},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

BOOL GetKeyboardState(BYTE* state) {
  if (!state) return FALSE;
  std::memcpy(state, gState, sizeof gState);
  return TRUE;
}

UINT MapVirtualKeyA(UINT code, UINT mapType) {
  if (mapType == MAPVK_VSC_TO_VK) return code < 512 ? static_cast<UINT>(Win32VirtualKeyFromKeyCode(static_cast<int>(code))) : 0;
  if (mapType == MAPVK_VK_TO_VSC) {
    for (UINT c = 1; c < 512; ++c)
      if (Win32VirtualKeyFromKeyCode(static_cast<int>(c)) == code) return c;
  }
  return 0;
}

int ToAscii(UINT vk, UINT, const BYTE* state, WORD* out, UINT) {
  if (!out) return 0;
  const bool shift = state && (state[VK_SHIFT] & 0x80);
  const bool caps = state && (state[VK_CAPITAL] & 0x01);
  char c = 0;
  if (vk >= 'A' && vk <= 'Z') {
    c = static_cast<char>(shift != caps ? vk : vk + ('a' - 'A'));
  } else if (vk >= '0' && vk <= '9') {
    c = shift ? kShiftedDigits[vk - '0'] : static_cast<char>(vk);
  } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
    c = static_cast<char>('0' + (vk - VK_NUMPAD0));
  } else if (vk == VK_SPACE) {
    c = ' ';
  } else if (vk == VK_MULTIPLY) {
    c = '*';
  } else if (vk == VK_ADD) {
    c = '+';
  } else if (vk == VK_SUBTRACT) {
    c = '-';
  } else if (vk == VK_DECIMAL) {
    c = '.';
  } else if (vk == VK_DIVIDE) {
    c = '/';
  } else {
    for (const Punctuation& p : kPunctuation)
      if (p.vk == vk) c = shift ? p.shifted : p.plain;
  }
  if (c == 0) return 0;
  out[0] = static_cast<WORD>(static_cast<unsigned char>(c));
  return 1;
}

void Win32NoteKeyState(WPARAM vk, bool down) {
  if (vk == 0 || vk > 255) return;
  const bool wasDown = (gState[vk] & 0x80) != 0;
  if (down && !wasDown && vk == VK_CAPITAL) gState[vk] ^= 0x01;
  gState[vk] = static_cast<BYTE>((gState[vk] & 0x01) | (down ? 0x80 : 0));
}

void Win32ResetKeyboardState() { std::memset(gState, 0, sizeof gState); }
