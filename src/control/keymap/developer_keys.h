// The developer key mappings the key map registers under switch M: each
// description with its key, modifier, trigger and whether it responds without
// debug mappings.  The developer functions themselves belong to the game
// shell, which installs them by description; a mapping whose function is not
// installed reports "not built yet" when its key is used.
#pragma once

#include "control/keymap/key_map.h"

struct DeveloperKeyRow {
  const char* description;
  int alwaysActive;
  int modifier;  // KEY_NONE: none
  int key;
  int trigger;
};

// The rows in registration order (the list runs them newest first).
const DeveloperKeyRow* DeveloperKeyRows(int* count);

// Installs the function of a description (null removes it); false for a
// description no row has.  Takes effect at the next CreateKeyMap.
bool SetDeveloperKeyHandler(const char* description, KeyMapHandler handler);
// The function CreateKeyMap gives a description's mapping: the installed one,
// or the key map's own for the words it keeps ("TOGGLE Debug Mappings"), or
// one that reports the function as not built yet.
KeyMapHandler DeveloperKeyHandler(const char* description);
