// Compiled binary space partitioning tree of a level's or solid object's
// collision polygons.  The tree is built off line and stored in the object
// file as the section "BSPT"; here it is only loaded, counted, measured,
// skipped and written back (the queries live in bsp_query.h).
//
// The whole tree is one contiguous block, root node first, and the in-memory
// form is the on-disk form: links are byte offsets from the block start (0 for
// none; nothing links to the root).  Keeping offsets in memory, instead of the
// 32-bit addresses the block once held, makes the tree position independent on
// a 64-bit build and turns writing back into a plain copy.  Any function that
// is handed the root can resolve a link, since the root is the block start.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

class BufferedFile;
class ByteReader;
class ByteWriter;

static_assert(std::endian::native == std::endian::little,
              "the tree block is used in place and is little-endian on disk");

// A node: 32 bytes in the block.
struct BspNode {
  float Plane[4];                // a, b, c, d: signed distance a·x + b·y + c·z + d
  std::uint32_t PositiveList;    // polygons in the plane facing its positive side, or 0
  std::uint32_t NegativeList;    // polygons in the plane facing its negative side, or 0
  std::uint32_t Back;            // subtree on the negative side, or 0
  std::uint32_t Front;           // subtree on the positive side, or 0
};
static_assert(sizeof(BspNode) == 32);

// A BSP polygon record: 20 bytes of header followed by its vertices
// (3 floats each, in order around the polygon).  Records of a list lie end to
// end and the list is closed by a 32-bit zero word.
struct BspPolygon {
  std::uint16_t VertexCount;     // greater than 0; 0 marks the end of a list
  std::uint16_t SurfaceId;       // resolved by the surface list (id & 0x3FF)
  float Centre[3];               // mean of the vertices
  float RadiusSq;                // 1.25 x the largest squared vertex distance from the centre

  const float* Vertex(unsigned k) const { return reinterpret_cast<const float*>(this + 1) + 3 * k; }
  float* Vertex(unsigned k) { return reinterpret_cast<float*>(this + 1) + 3 * k; }
  // Bytes of this record: 20 + 12 x vertex count.
  std::size_t RecordSize() const { return sizeof(BspPolygon) + 12u * VertexCount; }
};
static_assert(sizeof(BspPolygon) == 20);

// Filled by GetBspStatistics.
struct BspStatistics {
  std::int32_t Nodes;
  std::int32_t Polygons;
  std::int32_t Vertices;
  std::int32_t BlockSize;
};

// The deepest tree the loader accepts; the walks recurse once per level, so
// this bounds their stack use (compiled trees are a few dozen levels deep).
inline constexpr std::uint32_t kBspMaxDepth = 1024;

// The node at a link of the tree whose root is given; null for link 0.
inline const BspNode* BspNodeAt(const BspNode* root, std::uint32_t link) {
  return link ? reinterpret_cast<const BspNode*>(reinterpret_cast<const std::uint8_t*>(root) + link) : nullptr;
}
// The first polygon of a list link of the tree whose root is given; null for link 0.
inline const BspPolygon* BspListAt(const BspNode* root, std::uint32_t link) {
  return link ? reinterpret_cast<const BspPolygon*>(reinterpret_cast<const std::uint8_t*>(root) + link) : nullptr;
}

// Releases a tree returned by LoadBspTree or MakeBspTree; null is allowed.
void FreeBspTree(BspNode* root);

struct BspTreeDeleter {
  void operator()(BspNode* root) const { FreeBspTree(root); }
};
// Owner of a loaded tree block.
using BspTreePtr = std::unique_ptr<BspNode, BspTreeDeleter>;

// Reads a "BSPT" section body (tag word, u32 block size, block) and checks
// the block before anything follows a link: every link must lie inside the
// block, 4-byte aligned, with its whole node or list inside; lists must hold
// at least one polygon and end within the block; no node may be reached twice (cycles, shared subtrees);
// the items must tile the block exactly (sizes add up to the stated size,
// nothing overlaps); the tree may be at most kBspMaxDepth deep.  The tag word
// is not compared.  Answers the root, or null for a short or damaged section
// (the reader is then marked failed or left past what was read).
BspTreePtr LoadBspTree(ByteReader& in);

// The same, reading the section from the open file handle.
BspTreePtr LoadBspTree(BufferedFile* file);

// Checks a bare tree block (as above) and copies it into a new tree; null
// when it is damaged.
BspTreePtr MakeBspTree(const void* block, std::size_t size);

// Reads the tag word and the block size and skips the block; false when the
// section is shorter than it says.
bool SkipBspTree(ByteReader& in);
bool SkipBspTree(BufferedFile* file);

// Writes the section "BSPT", size, block; writes nothing for a null root.
void WriteBspTree(const BspNode* root, ByteWriter& out);

// Counts nodes, polygons and vertices into the record (zeroed first) and
// answers the block size; a null root gives all zeros.
std::int32_t GetBspStatistics(const BspNode* root, BspStatistics* stats);

// Block size: over all nodes, 32 plus the sizes of its two lists; 0 for null.
std::uint32_t GetBspTreeSize(const BspNode* root);

// Bytes a list occupies: its records and 4-byte terminator, rounded up to a
// multiple of 16; 0 for no list.
std::uint32_t GetBspListSize(const BspPolygon* list);

// The polygon after this one in its list, or null at the end of the list.
const BspPolygon* NextBspPolygon(const BspPolygon* polygon);

// Number of records in a list (0 for none).
int CountBspPolygons(const BspPolygon* list);

// Sum of the vertex counts of a list (0 for none).
int CountBspVertices(const BspPolygon* list);

// Sets the bounding centre (vertex mean) and radius squared (1.25 x the
// largest squared vertex distance from it); a polygon of no vertices is left alone.
void ComputeBspPolygonBounds(BspPolygon* polygon);
