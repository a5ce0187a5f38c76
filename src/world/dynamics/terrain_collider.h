// The terrain collider's triangle source: the collision library asks it, per
// near pair and step, for the environment polygons around a model's bounding
// sphere; it fans them into triangles in fixed buffers (vertices shared
// between consecutive triangles of a fan) and hands them over in world
// space, physics units.  Main thread only; one query at a time.
#pragma once

#include <cstdint>

#include "physics/collision/mcd_triangle_list.h"

class CEnvInstance;
class CLinearBuffer;
class CSurfaces;

inline constexpr int kTerrainMaxTriangles = 500;
inline constexpr int kTerrainMaxVertices = 1500;
inline constexpr int kTerrainMaxNormals = 500;

// Instance flag bits that make a moving object ignore kinds of surface.
enum TerrainIgnoreFlags : std::uint32_t {
  TERRAIN_IGNORE_SURFACE_0x10 = 1u << 7,
  TERRAIN_IGNORE_SURFACE_0x20 = 1u << 8,
  TERRAIN_IGNORE_SURFACE_0x40 = 1u << 9,
};

// Counters of the gathering, for tuning and benchmarks.
struct TerrainGatherStats {
  std::uint64_t Queries = 0;
  std::uint64_t Triangles = 0;
  std::uint64_t Nanoseconds = 0;  // only while timing is on
  bool Timing = false;
};

// The triangle generator installed on the terrain collider.
int TerrainTriangleCallback(McdModelPair* pair, const float* centre, float radius);

// Gathers the polygons around the sphere (world units) for the object whose
// instance is `current`, with its root as the query zone; the triangles land
// in the terrain's buffer.  Answers the triangle count.
int GatherTerrainTriangles(CEnvInstance* current, const float* centreWorld, float radiusWorld);

// The triangle buffer (kTerrainMaxTriangles records) and the buffers' use by
// the last query.
McdUserTriangle* TerrainTriangleBuffer();
int TerrainVerticesUsed();
int TerrainNormalsUsed();

void SetTerrainSurfaces(const CSurfaces* surfaces);
TerrainGatherStats& TerrainStats();

// Instances moved by dynamics objects are no terrain for anyone: their
// bodies collide through their own models.
void RegisterMovedInstance(CEnvInstance* instance);
void UnregisterMovedInstance(CEnvInstance* instance);
void ClearMovedInstances();

void UseTerrainBuffers(CLinearBuffer* buffer);
void ForgetTerrainBuffers();
