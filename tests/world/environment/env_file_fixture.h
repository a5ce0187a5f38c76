// Level-file fixtures: the object files a test level places, written into
// the working folder, and the text of level files by version.
#pragma once

#include <string>

namespace env_file_fixture {

// Writes "Block.evo" (plain, a textured floor part "wall.png" and a floor
// tree), "Tile.evo" (landscape), "Tile2.evo" (landscape), "InvisPoly.evo",
// "Rig.evo" (transform-animated, two nodes), "Wave.evo" (vertex-animated
// type) and "Debris.evo" (plain).  False when a file cannot be written.
bool WriteTemplates();

// A sky section of a file of version v: fog, two layers of the texture
// (its name as the file quotes it), and from version 33 the colour lines and
// the time of day.
std::string SkySectionText(int v, const std::string& texture);

}  // namespace env_file_fixture
