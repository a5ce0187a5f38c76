// The multiplayer notices (ScreenIds 34-36, 38-42): one message each, no
// items; back does what the notice's id says.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMPInfoMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override {}
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetLeftHintTextId() override { return 0; }
};

// The message of a notice id (0 for other ids), and notice 42's line
// ("%s : %s" with the watching text and the followed player's name).
std::uint32_t MPInfoTextId(int id);
void MPWatchingLine(char* out, int capacity);
