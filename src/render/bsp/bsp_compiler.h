// The tree compiler: turns the collision polygons of an object (a "soup" of
// convex polygons in object space, each with a surface id) into the tree block
// that bsp_tree.h loads and bsp_query.h walks.  Used by the data tools that
// write object files, and by tests and benchmarks that need trees.
//
// Each node's plane is taken from one of the polygons (the splitter); the
// polygons lying in that plane go to the node's positive-side list when they
// face the same way as the plane and to its negative-side list otherwise;
// the others go to the back subtree (negative side) or front subtree (positive
// side), and those that straddle the plane are cut in two.  A polygon counts as
// lying in a plane when every vertex is within kBspOnPlane of it, which keeps
// every stored polygon inside the 0.0001 allowance of the walks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/vector3.h"

class ByteWriter;

// Distance (object units) within which a vertex counts as lying in a plane.
inline constexpr float kBspOnPlane = 5e-5f;

// One input polygon: convex, in order around the polygon (either winding: the
// winding decides which way it faces, by the right-hand rule).
struct BspSourcePolygon {
  std::vector<CVector3> Vertices;
  std::uint16_t SurfaceId = 0;
};
using BspSource = std::vector<BspSourcePolygon>;

// What a compilation did.
struct BspCompileReport {
  int Nodes = 0;
  int Polygons = 0;      // polygon records stored (cut pieces count singly)
  int Depth = 0;         // levels of the deepest branch (1 for a lone node)
  int Cuts = 0;          // polygons cut in two by a splitting plane
  int Dropped = 0;       // input polygons of fewer than 3 vertices or of no area, left out
  int Triangulated = 0;  // input polygons not flat enough for one plane, stored as a fan of triangles
  std::string Error;     // why the compilation failed; empty on success
};

// Compiles the polygons into a tree block (root first, links as byte offsets).
// An empty soup gives a lone node with no lists.  Answers false, with the
// block emptied and the reason in the report, when a coordinate is not finite,
// a polygon has more vertices than a record holds (65535), or the tree would
// be deeper than the loader accepts (kBspMaxDepth).
bool CompileBspBlock(const BspSource& source, std::vector<std::uint8_t>* block, BspCompileReport* report = nullptr);

// Compiles the polygons and appends the section "BSPT", block size, block.
// Answers false and writes nothing when the compilation fails.
bool WriteBspSection(const BspSource& source, ByteWriter& out, BspCompileReport* report = nullptr);

// Compiles the polygons into a loaded tree; null when the compilation fails.
BspTreePtr CompileBspTree(const BspSource& source, BspCompileReport* report = nullptr);
