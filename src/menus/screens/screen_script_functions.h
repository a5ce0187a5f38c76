// The screen functions of the script table (slots 19, 20, 21, 284, 285):
// loading the script sprite set, the objective screen's map picture and
// world box, the screen lock and SetScreen (declared with the manager).
// Main thread only.
#pragma once

#include "render/geometry/vector3.h"

// Loads a sprite file into the script sprite set when that set exists.
void SpriteSheetLoad(const char* file);
// The objective screen's map picture cell and the world box its map shows.
void ObjectiveMenuSetObjective(int cell);
void ObjectiveMenuSetMapBox(const CVector3* cornerA, const CVector3* cornerB);
