// The save screen (ScreenId 10): a new-save row under a default name, then
// the saved games newest first as editable names.  A new name saves at
// once; an existing file, or a renamed save, asks first (ScreenId 23).  A
// save that cannot be written keeps the screen up with a message.
#pragma once

#include "menus/screens/save_slot_menu.h"

class CMenuEditItem;

class CSaveGameMenu : public CSaveSlotMenu {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;

  // A row of the list (its item's draw callback).
  void DrawSaveRowAt(std::uint16_t id, int x, int y, int slot);

  // The edit buffers, one per slot (shown without the extension).
  char Buffers[kSaveSlots][kSaveSlotBytes] = {};
  // Set when the last save could not be written (cleared at each populate).
  bool SaveFailed = false;

 private:
  CMenuEditItem* edits_[kSaveSlots] = {};
};

// The default save name of the running mission: its title and a number,
// made unique against the saved games on disk (without extension).
void MakeDefaultSaveName(char* out, int size);
// The mission record's own name maker (it writes the name with ".sav", or
// answers false); null: "Save <n>", counting "not built yet".
using DefaultSaveNameFn = bool (*)(char* out, int size);
void SetDefaultSaveNameFunction(DefaultSaveNameFn fn);
