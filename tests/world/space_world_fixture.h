// A generated world for the world-query tests and benchmarks, built through
// the engine's own environment, templates and instances: a bumpy terrain of
// tiles, two walled rooms joined by a doorway portal (each room its own zone),
// crates and trees outside and inside.  Every collision polygon is also kept
// in world space for brute-force answers.
#pragma once

#include <memory>
#include <random>
#include <vector>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CEnvironment;
struct Portal;

namespace space_fixture {

// A convex polygon in world space, facing by the right-hand rule.
struct WorldPolygon {
  std::vector<CVector3> vertices;
  CVector3 normal;
  float d;  // plane n·p + d = 0
  CEnvInstance* instance;
};

struct Options {
  int terrainTiles = 6;        // tiles per side, 1000 units each
  int cellsPerTile = 5;        // cells per tile side (2 triangles each)
  int outdoorCrates = 40;
  int trees = 12;
  int cratesPerRoom = 3;
  unsigned seed = 1;
};

struct World {
  std::unique_ptr<CEnvironment> env;
  CEnvInstance* land = nullptr;    // zone root of the outdoors
  CEnvInstance* roomA = nullptr;   // x 0..400, z 0..400, y 0..300
  CEnvInstance* roomB = nullptr;   // x 400..800
  Portal* doorAB = nullptr;        // x = 400, z 150..250, y 0..200, facing room A
  Portal* doorBA = nullptr;
  CEnvInstance* crateInB = nullptr;
  std::vector<WorldPolygon> polygons;
  int triangles = 0;
  ~World();
};

// Builds the world and its octrees (not written to a file).
std::unique_ptr<World> MakeWorld(const Options& options);

// Terrain height at (x, z): flat (0) around the rooms, bumpy elsewhere.
float TerrainHeight(float x, float z);

// The room box a point lies in: 1 for room A, 2 for room B, 0 outside both.
int RoomOf(const CVector3& p);

// Brute force: whether the segment crosses a polygon from its front side at
// a point inside it.  `ambiguous` is set when a crossing lies within `margin`
// of a polygon's edge or of the segment's ends (rounding may go either way).
bool SegmentBlocked(const std::vector<WorldPolygon>& polygons, const CVector3& a, const CVector3& b, float margin,
                    bool* ambiguous, float* nearest = nullptr);

// Distance from a point to a polygon.
float DistanceToPolygon(const WorldPolygon& polygon, const CVector3& p);

}  // namespace space_fixture
