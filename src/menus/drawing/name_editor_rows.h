// The rows of the squad-name editor's two columns (the draw callbacks of
// their items).  Main thread only.
#pragma once

#include <cstdint>

// A names row: cell 61 at the row at alpha 178 when it is the selection of
// screen 11 (or the same row while 12 is current), else 127; the soldier's
// portrait; the name beside them, in the menu's text colour, or its highlight
// colour with the blinking cursor while the row is edited on screen 11.
void DrawNameEditorRow(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                       void* owner);
// A second-field row: its text at the row's foot, in the text colour, or the
// highlight colour with the cursor while edited on screen 12.
void DrawSecondNameRow(std::uint16_t id, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                       void* owner);
