#include "control/keymap/key_map.h"

#include <cstring>

#include "control/input/input.h"
#include "control/keymap/developer_keys.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/message_box.h"
#include "foundation/time/timer.h"
#include "world/engine.h"

namespace {

KeyMapping* gHead = nullptr;
int gCount = 0;
int gEnabled = 1;
int gDebugMappings = 0;
int gLastKey = 0;
int gLastModifier = 0;
std::uint32_t gLetters[26][4] = {};

// The modifier keys: both Ctrl, both Alt, both Shift.
constexpr int kModifierKeys[6] = {29, 285, 56, 312, 42, 54};

bool AnyModifierDown() {
  for (int key : kModifierKeys)
    if (IsKeyDown(key)) return true;
  return false;
}

void Run(KeyMapping* m) {
  if (m->handler) m->handler();
}

}  // namespace

void CreateKeyMap() {
  RemoveAllKeyMappings();
  gEnabled = 1;
  gDebugMappings = 0;
  std::memset(gLetters, 0, sizeof gLetters);
  if (!IsCommandSwitchSet('M')) return;
  int count = 0;
  const DeveloperKeyRow* rows = DeveloperKeyRows(&count);
  for (int i = 0; i < count; ++i)
    AddKeyMapping(rows[i].alwaysActive, rows[i].modifier, rows[i].key, rows[i].trigger,
                  DeveloperKeyHandler(rows[i].description), rows[i].description);
}

KeyMapping* AddKeyMapping(int alwaysActive, int modifier, int key, int trigger, KeyMapHandler handler,
                          const char* description) {
  auto* m = new KeyMapping();
  const char* text = description ? description : "";
  m->description = new char[std::strlen(text) + 1];
  std::strcpy(m->description, text);
  m->handler = handler;
  m->active = 1;
  m->alwaysActive = alwaysActive;
  m->creationTime = g_GameClock ? g_GameClock->GetGameTime() : 0;
  m->modifier = modifier;
  m->secondModifier = KEY_NONE;
  m->key = key;
  m->trigger = trigger;
  m->next = gHead;
  gHead = m;
  ++gCount;
  return m;
}

KeyMapping* FindKeyMapping(int modifier, int key) {
  for (KeyMapping* m = gHead; m; m = m->next)
    if (m->modifier == modifier && m->key == key) return m;
  return nullptr;
}

bool RemoveKeyMapping(KeyMapping* mapping) {
  for (KeyMapping** link = &gHead; *link; link = &(*link)->next) {
    if (*link != mapping) continue;
    *link = mapping->next;
    delete[] mapping->description;
    delete mapping;
    --gCount;
    return true;
  }
  return false;
}

void RemoveKeyMappingByKey(int modifier, int key) {
  while (KeyMapping* m = FindKeyMapping(modifier, key)) RemoveKeyMapping(m);
}

void RemoveAllKeyMappings() {
  while (gHead) RemoveKeyMapping(gHead);
}

int CountKeyMappings() { return gCount; }

const KeyMapping* FirstKeyMapping() { return gHead; }

void ProcessKeyMap(int held) {
  if (!IsCommandSwitchSet('M') || !gHead || gCount == 0 || !gEnabled) return;
  const bool modifierDown = AnyModifierDown();
  for (KeyMapping* m = gHead; m; m = m->next) {
    if (m->active == 0 || held) return;
    if (m->key == kKeyCodeNone) continue;
    if (!m->alwaysActive && !gDebugMappings) continue;
    if (m->modifier == KEY_NONE) {
      if (modifierDown) continue;
      bool run = false;
      switch (m->trigger) {
        case KEYMAP_HELD: run = IsKeyDown(m->key); break;
        case KEYMAP_PRESSED: run = WasKeyPressed(m->key); break;
        case KEYMAP_RELEASED: run = WasKeyReleased(m->key); break;
        default:
          ErrorBox("Weirdy action on keymap processing");
          continue;
      }
      if (run) {
        gLastKey = m->key;
        Run(m);
      }
    } else if (modifierDown) {
      const bool first = IsKeyDown(m->modifier) && WasKeyPressed(m->key);
      const bool second = m->secondModifier != KEY_NONE && IsKeyDown(m->secondModifier) && WasKeyPressed(m->key);
      if (first || second) {
        gLastModifier = m->modifier;
        gLastKey = m->key;
        Run(m);
      }
    }
  }
}

void EnableKeyMap(int on) { gEnabled = on; }
int IsKeyMapEnabled() { return gEnabled; }

void DeactivateAllKeyMappings() {
  for (KeyMapping* m = gHead; m; m = m->next) m->active = 0;
}

void ActivateAllKeyMappings() {
  for (KeyMapping* m = gHead; m; m = m->next) m->active = 1;
}

void SetDebugMappings(int on) { gDebugMappings = on; }
int GetDebugMappings() { return gDebugMappings; }
int GetLastKeyMapModifier() { return gLastModifier; }
int GetLastKeyMapKey() { return gLastKey; }

int GetPressedLetterKey() {
  for (int code = 16; code <= 25; ++code)
    if (WasKeyPressed(code)) return code;
  for (int code = 30; code <= 38; ++code)
    if (WasKeyPressed(code)) return code;
  for (int code = 44; code <= 50; ++code)
    if (WasKeyPressed(code)) return code;
  return 0;
}

int LetterIndex(int code) {
  if (code >= 16 && code <= 25) return code - 16;
  if (code >= 26 && code <= 38) return code - 20;
  if (code >= 39 && code <= 50) return code - 25;
  return 0;
}

std::uint32_t* LetterRecord(int index) { return index >= 0 && index < 26 ? gLetters[index] : nullptr; }

std::uint32_t GetLetterWord1(int code) { return gLetters[LetterIndex(code)][1]; }
std::uint32_t GetLetterWord2(int code) { return gLetters[LetterIndex(code)][2]; }
std::uint32_t GetLetterWord3(int code) { return gLetters[LetterIndex(code)][3]; }
