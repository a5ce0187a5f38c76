// Generated mazes for the route tests and benchmarks, built through the
// engine's own environment, templates and instances: a landscape floor (the
// ground, which never blocks) and upright wall blocks of one cell each on a
// square grid of 250-unit cells, aligned with the route quadtree's smallest
// leaves.  Walls are where the grid says; the rest is open floor.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/time/timer.h"
#include "render/geometry/vector3.h"

class CEnvironment;
class CEnvInstance;

namespace route_fixture {

inline constexpr float kCell = 250.0f;
inline constexpr float kWallHeight = 200.0f;

struct MazeOptions {
  int halfCells = 6;          // the maze is (2n+1) cells a side, plus a wall row and column
  unsigned seed = 1;
  int extraOpenings = 10;     // walls knocked out of the perfect maze, making loops
  bool sealedPocket = false;  // wall in a 1-cell pocket near the far corner
};

struct Maze {
  std::unique_ptr<CEnvironment> env;
  int grid = 0;                  // cells a side
  std::vector<std::uint8_t> wall;  // grid x grid, row-major by z then x
  CEnvInstance* zone = nullptr;   // the zone root everything hangs from
  CEnvInstance* floor = nullptr;
  int pocketX = -1, pocketZ = -1;  // the sealed cell, when asked for
  bool IsWall(int x, int z) const { return x < 0 || z < 0 || x >= grid || z >= grid || wall[z * grid + x] != 0; }
  static CVector3 Centre(int x, int z) { return {(x + 0.5f) * kCell, 0, (z + 0.5f) * kCell}; }
  ~Maze();
};

// A perfect maze by depth-first carving, loosened by extra openings.
std::unique_ptr<Maze> MakeMaze(const MazeOptions& options);
// A world from an explicit grid ('#' wall, anything else open), rows by z.
std::unique_ptr<Maze> MakeGridWorld(const std::vector<const char*>& rows);

// Sets the timer's game time (ms) and frame time (s).
void SetClock(CTimer* timer, std::uint32_t gameTimeMs, float frameTime);

}  // namespace route_fixture
