// Skins for the skinned-mesh tests: a fully filled skin record, and a strip
// of quads along x bound to two bones with blended weights in the middle.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/matrix.h"
#include "scene/skin/skin.h"

namespace skin_fixture {

// Every field set: 5 vertices with 1, 2, 3, 1 and 4 influences (bones 0-3),
// strip flag 1 with its strip, 2 triangles, strip data bytes and shadow faces.
SkinData FilledData();
// The chunk of FilledData (strip flag 1).
std::vector<std::uint8_t> FilledChunk();

// A strip of `quads` quads along x (x = 0, 10, 20 ..., y 0 and 10), the left
// half on bone 0, the right half on bone 1, the middle column weighted 0.5/0.5.
SkinSource TwoBoneStrip(int quads);

// A bone matrix: rotation (degrees about z, x, y), uniform scale, translation.
CMatrix Bone(float z, float x, float y, float scale, const CVector3& translation);

}  // namespace skin_fixture
