// A menu of icons: each item shows the interface sprite cell kept in its
// text-id word, centred in a translucent box (or its frame cell); while it
// slides sideways the neighbours of the rows shown are drawn partly.
#pragma once

#include "menus/widgets/menu.h"

class CIconMenu : public CMenu {
 public:
  CIconMenu(CFont* font, CSpriteRender* sprites, int mouseEnabled) : CMenu(font, sprites, mouseEnabled) {}

  // Counts the item; with no frame cell and no item width yet, items become
  // 50 x 50 (scaled) and the pitch, centring offset and rows follow.
  void OnItemAdded(CMenuItem* item) override;
  void Draw() override;
  void DrawItem(CMenuItem* item, int x, int y) override;
  // The frame cell at (x, y) when there is one, then the cell centred in the item box.
  void DrawCentredSprite(int cell, int x, int y);
};

// The item sizing of icon and screen menus (shared).
void SizeItemsAsIcons(CMenu* menu);
