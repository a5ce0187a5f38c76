// Soups the tree tests compile (a room, a stair, random convex polygons), a
// compile step that stops the test run when the compiler refuses a soup, and a
// flat view of a loaded tree for brute-force answers.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "render/bsp/bsp_compiler.h"
#include "render/bsp/bsp_tree.h"
#include "render/bsp/swept_sphere.h"

namespace bsp_fixture {

using V3 = CVector3;
using Soup = BspSource;

// The compiled block of a soup (aborts if the compiler refuses it).
std::vector<std::uint8_t> CompileBlock(const Soup& soup);
// The block wrapped as a section body: "BSPT", size, block.
std::vector<std::uint8_t> CompileSection(const Soup& soup);
// Compiles and loads the soup (aborts if the compiler or the loader refuses it).
BspTreePtr CompileTree(const Soup& soup);

// An axis-aligned room (six inward-facing walls) of the given half size.
Soup Room(float half, std::uint16_t surface = 0);
// A stair of `steps` steps (treads facing up, risers facing -z), 1 wide.
Soup Stair(int steps, float rise, float run);
// `count` random convex polygons (3 to 8 vertices) with centres inside a cube
// of the given half size and radii in [rmin, rmax]; surfaces in [0, surfaces).
Soup RandomConvex(std::mt19937& rng, int count, float half, float rmin, float rmax, int surfaces = 1);

// One polygon of a loaded tree as a brute-force walk sees it.
struct FlatPolygon {
  const BspPolygon* polygon;
  float node_plane[4];
  float plane_used[4];  // node plane, negated for the negative-side list
  bool positive;        // lies in the node's positive-side list
};
std::vector<FlatPolygon> Flatten(const BspNode* root);

// A lone polygon record of four vertices (x, y, z each, in order around the
// quad) with its bounds computed, in storage of its own.
std::vector<std::uint8_t> QuadRecord(const float (&vertices)[12]);

// A cleared sweep record for a sphere moving by `motion`, its bounds the
// sphere around the whole sweep.
CSweptSphere MakeSweep(CVector3 start, float radius, CVector3 motion);

}  // namespace bsp_fixture
