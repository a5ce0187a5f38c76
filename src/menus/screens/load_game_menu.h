// The load screen (ScreenId 9): the saved games newest first with their
// dates; choosing one loads it and plays its level.  A load that fails
// shows the load-failed screen.
#pragma once

#include "menus/screens/save_slot_menu.h"

class CLoadGameMenu : public CSaveSlotMenu {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnLeave(int nextId) override;
  // A row of the list (its item's draw callback).
  void DrawLoadRowAt(std::uint16_t id, int x, int y, const char* fileName) { DrawRow(id, x, y, fileName, nullptr); }
};
