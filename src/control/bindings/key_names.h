// The key names of the binding files ("KEY_" followed by one of these): 102
// pairs of name and key code (scan code, plus 256 for extended keys).
// KP_FULLSTOP is listed twice; IGNORE is the no-key code KEY_NONE.
#pragma once

#include <cstddef>

struct KeyNameEntry {
  const char* name;
  int code;
};
inline constexpr int kKeyNameCount = 102;
extern const KeyNameEntry KeyNameTable[kKeyNameCount];

// The code of a key name, matched exactly (upper case), or -1.
int KeyCodeFromName(const char* name);
int KeyCodeFromName(const char* name, std::size_t length);
// The first name of a key code, or "UnknownKey".
const char* KeyNameFromCode(int code);
