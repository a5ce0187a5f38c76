// Debug helpers that paint polygons of a polygon list in random colours, so
// that a mesh's polygons can be told apart on screen.
#pragma once

struct CPoly;

// One random colour (each channel 0..127) for every vertex of the polygon; alpha kept.
void RandomisePolygonColour(CPoly* polygon);
// One random colour, drawn once, for every vertex of every polygon; alpha kept.
void RandomisePolyListColour(CPoly* list);
