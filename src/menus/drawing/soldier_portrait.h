// A soldier's portrait and level on the screens and soldier cards, and the
// rows of the squad-name editor.  The soldier is read through the record
// below (filled from the units' soldier where it is drawn).  Main thread only.
#pragma once

#include <cstdint>

class CMenu;
class CTexture;

struct SoldierLook {
  CTexture* faceTexture = nullptr;  // the character record's face, if any
  int portraitCell = -1;            // else this cell of the interface set
  int experienceLevel = 0;          // the effective level digit
};

// The face texture as a quad from (x + p(5), y + p(5)) of 40 x 40 (scaled),
// texture rectangle (0, 0)-(0.625, 0.625), white at the alpha; without a face
// the portrait cell at (x + p(5), y + p(5)).
void DrawSoldierPortrait(const SoldierLook& soldier, int x, int y, int alpha);
// "(n)" in white with the menu's font.
void DrawSoldierLevel(const CMenu* menu, const SoldierLook& soldier, int x, int y);
