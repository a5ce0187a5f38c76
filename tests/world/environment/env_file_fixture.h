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

}  // namespace env_file_fixture
