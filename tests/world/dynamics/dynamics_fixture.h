// A physics world over a generated level (terrain, two rooms, optional ramp)
// for the dynamics scenario tests and benchmarks: dynamics objects get plain
// instances to move, the clock advances by whole milliseconds.
#pragma once

#include <memory>
#include <vector>

#include "world/dynamics/dynamic_records.h"
#include "world/dynamics/dynamics_world.h"
#include "world/space_world_fixture.h"

class CEnvObject;

namespace dyn_fixture {

struct Level {
  std::unique_ptr<space_fixture::World> world;
  std::unique_ptr<CDynamicsWorld> physics;
  CEnvObject* marker = nullptr;  // template without polygons, for moved instances
  std::uint32_t clockMs = 1000;
  ~Level();

  // A plain instance under the zone root (land by default).
  CEnvInstance* Instance(const CVector3& at, CEnvInstance* zone = nullptr);
  // Steps the physics world `steps` times, `ms` apart.
  void Run(int steps, std::uint32_t ms = 20);
  // Height of the highest up-facing polygon at (x, z) not above y + 5 units;
  // -1e9 when there is none.
  float GroundBelow(float x, float y, float z) const;
};

struct Options {
  int terrainTiles = 2;
  bool ramp = false;            // a 15-degree ramp up along +x at x 1200 .. 1600, z -400 .. 400, then a plateau
  bool flatTerrain = false;     // a flat 40 x 40 m ground instead of the bumpy tiles
  int capacity = 100;           // dynamics objects the physics world takes
};

std::unique_ptr<Level> MakeLevel(const Options& options);

// Records of the demo kinds, in engine units.
DynSimpleData CrateRecord(float size, float mass);
DynCarData CarRecord();
DynTankData TankRecord();

// World corners of a box body's collider of half-extents h (physics units).
std::vector<CVector3> BoxCorners(MdtBodyID body, const float* halfExtents);

}  // namespace dyn_fixture
