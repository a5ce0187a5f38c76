// The standard menu of every screen: each item draws itself through its draw
// callback (the standard item looks of the screen base); the menu adds the
// scroll arrows.
#pragma once

#include "menus/widgets/menu.h"

class CScreenMenu : public CMenu {
 public:
  CScreenMenu(CFont* font, CSpriteRender* sprites, int mouseEnabled) : CMenu(font, sprites, mouseEnabled) {}

  // As an icon menu's: items without a size become 50 x 50 (scaled).
  void OnItemAdded(CMenuItem* item) override;
  // The rows, then the scroll arrows (when the arrow cell is 1 or more and the
  // menu is not sliding along its orientation).
  void Draw() override;
  // Only the item's draw callback (nothing without one).
  void DrawItem(CMenuItem* item, int x, int y) override;
};
