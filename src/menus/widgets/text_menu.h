// A menu of text rows: each row is its frame cell, its owner-drawn
// background or a plain box, the highlight behind the selection, and the
// item's text aligned, coloured and pulsing when highlighted.
#pragma once

#include "menus/widgets/menu.h"

class CTextMenu : public CMenu {
 public:
  CTextMenu(CFont* font, CSpriteRender* sprites, int mouseEnabled) : CMenu(font, sprites, mouseEnabled) {}

  // Counts the item; with no frame cell, the visible rows follow the current pitch.
  void OnItemAdded(CMenuItem* item) override;
  void DrawItem(CMenuItem* item, int x, int y) override;

  // The pulsing alpha of highlighted text: int(sin(phase x 0.005 x 2 pi) x 96
  // + 160), at most 255, with the real clock's phase over 1000 ms in 0..200.
  static int PulseAlpha();
};
