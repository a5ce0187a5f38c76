// The single-player screen (ScreenId 2): training (not offered), a new
// campaign, load (not offered); back to the front screen.
#pragma once

#include "menus/screens/menu_screen.h"

class CSinglePlayerMenu : public CMenuScreen {
 public:
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override { Populate(); }
};

// Makes a screen's menu with n plain items; false when it cannot.
bool MakePlainItems(CMenuScreen* screen, int n);
// The standard drawing: panel frame at fade step 6, the menu, the large title.
void DrawStandardScreen(CMenuScreen* screen, std::uint32_t titleId);
