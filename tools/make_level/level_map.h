// A top-down map picture of a built level, for the objective map: the level's
// file is loaded as the game loads it and each scenery instance's world box
// is drawn from above, lower ones first, over the world box a mission script
// gives its map picture.  The picture reads the way the objective map reads
// it: x runs from the box's minimum x at the left, z from the box's maximum
// z at the top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The script's two corners: a the maximum, b the minimum (only x and z count).
struct LevelMapBox {
  float maxX = 0.0f, maxZ = 0.0f;
  float minX = 0.0f, minZ = 0.0f;
};

struct LevelMapPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // ARGB, rows top first
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// One footprint: a world box seen from above.
struct LevelMapShape {
  float minX, minZ, maxX, maxZ;
  float top;     // the box's highest y
  float height;  // the box's extent in y
  bool ground;   // a landscape tile: drawn as ground whatever its height
};

// Colours of the picture.
inline constexpr std::uint32_t kMapBackground = 0xFF1E3420;  // nothing drawn there
inline constexpr std::uint32_t kMapGround = 0xFF4E7A3C;      // landscape tiles
inline constexpr std::uint32_t kMapFlat = 0xFFA89A70;        // flat pieces (under 60 units): roads, water, piers
inline constexpr std::uint32_t kMapStructure = 0xFF9A948A;   // everything standing up, darker when low

// The picture's pixel column and row of a world point (may lie outside).
float LevelMapColumn(const LevelMapBox& box, int width, float x);
float LevelMapRow(const LevelMapBox& box, int height, float z);

// Draws the shapes over the background: ground first, then the rest by their
// tops, lowest first; structures are shaded by their height against the
// tallest (darker when low).
LevelMapPicture DrawLevelMap(std::vector<LevelMapShape> shapes, const LevelMapBox& box, int width, int height);

// Loads "<name>.env" of the level folder (and the object files beside it)
// and answers the world boxes of its instances that have a template and of
// its game objects (their templates' boxes where the records place them;
// nothing of them is made).  The
// current folder is the level folder while it loads.  False with a message
// when the folder or the level cannot be read.
bool GatherLevelShapes(const std::string& folder, const std::string& name, std::vector<LevelMapShape>* shapes,
                       std::string* error);

// Writes the picture as cell 0 of a sprite file (e.g. "GWMission1.img") and
// its page (the same name with ".tga") beside it.  The picture must fit the
// 256 x 256 page.  False with a message on a write error.
bool WriteLevelMap(const LevelMapPicture& picture, const std::string& spritePath, std::string* error);
