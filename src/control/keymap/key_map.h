// The developer key map: raw keys, optionally with a modifier key, bound to
// developer functions (display toggles, time control, debug views ...).  It
// exists only when the program is started with switch M; the debug-mappings
// word decides whether the mappings that are not always active respond.
// Mappings form one list, newest first, walked once a frame.  Main thread only.
#pragma once

#include <cstdint>

// A developer function: no arguments, no result.
using KeyMapHandler = void (*)();

// When a mapping without a modifier runs.
enum KeyMapTrigger : std::int32_t {
  KEYMAP_HELD = 0,      // every frame while the key is down
  KEYMAP_PRESSED = 1,   // the frame it goes down
  KEYMAP_RELEASED = 2,  // the frame it comes up
};

struct KeyMapping {
  KeyMapHandler handler = nullptr;
  std::int32_t active = 1;        // all mappings are switched together
  std::int32_t alwaysActive = 0;  // 1: responds whether or not debug mappings are on
  std::uint32_t creationTime = 0;  // game ms
  std::int32_t modifier = 0;       // key code, or KEY_NONE
  std::int32_t secondModifier = 0;  // always KEY_NONE
  std::int32_t key = 0;
  std::int32_t trigger = KEYMAP_PRESSED;
  char* description = nullptr;  // owned copy
  KeyMapping* next = nullptr;
};

// Empties the list, enables the key map, clears debug mappings and the letter
// table and, with switch M, registers the developer mappings (each with the
// handler installed for its description, see developer_keys.h).
void CreateKeyMap();
// A new mapping at the head of the list; null when it cannot be allocated.
KeyMapping* AddKeyMapping(int alwaysActive, int modifier, int key, int trigger, KeyMapHandler handler,
                          const char* description);
// The first mapping of that modifier and key, or null.
KeyMapping* FindKeyMapping(int modifier, int key);
// Unlinks and frees a mapping; false when it is not in the list.
bool RemoveKeyMapping(KeyMapping* mapping);
// Removes every mapping of that modifier and key.
void RemoveKeyMappingByKey(int modifier, int key);
void RemoveAllKeyMappings();
int CountKeyMappings();
// The list's head (newest mapping), for listings.
const KeyMapping* FirstKeyMapping();

// The frame's pass: runs the mappings whose keys act this frame.  Nothing
// without switch M, with an empty list, while the key map is disabled, or
// with `held` set.
void ProcessKeyMap(int held);

// The enabled word: menus switch the key map off while they are up.
void EnableKeyMap(int on);
int IsKeyMapEnabled();
void DeactivateAllKeyMappings();
void ActivateAllKeyMappings();
// The debug-mappings word (the developer debug-messages flag).
void SetDebugMappings(int on);
int GetDebugMappings();
// The modifier and key of the mapping run last, for handlers that read them.
int GetLastKeyMapModifier();
int GetLastKeyMapKey();

// The letter keys: the first of Q..P, A..L, Z..M pressed this frame (its key
// code), else 0; a letter's index 0..25 (Q..P 0..9, A..L 10..18, Z..M
// 19..25); and the words of the per-letter table (26 records of four words,
// cleared by CreateKeyMap).
int GetPressedLetterKey();
int LetterIndex(int code);
std::uint32_t GetLetterWord1(int code);
std::uint32_t GetLetterWord2(int code);
std::uint32_t GetLetterWord3(int code);
// The record of a letter index (0..25) for whoever fills the table; null
// outside the range.
std::uint32_t* LetterRecord(int index);
