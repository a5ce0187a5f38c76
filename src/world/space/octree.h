// The per-zone octree: a cube tree over the static instances of one zone, so
// that line, box, view and plane queries visit only the instances near them.
//
// A zone's tree is held in one flat array of nodes, root first, the eight
// children of every node side by side in one block.  Every node, inner or
// leaf, lists the static instances whose world boxes overlap its cube.
// World units (centimetres), y up; a box is min x, y, z then max x, y, z.
//
// Child numbering: child i lies on the +x side of its parent's centre when
// bit 0 of i is set (−x when clear), +y for bit 1, +z for bit 2; its centre is
// offset by half the parent's half size along each axis.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CEnvInstance;

// Allocation category of the spatial structures (lists, node arrays).
inline constexpr int kOctreeMemoryCategory = 17;
// Smallest half size that is still split, and the root's starting half size.
inline constexpr float kOctreeCellHalfSize = 800.0f;
// A node is split when at least this many instances overlap its cube.
inline constexpr int kOctreeSplitCount = 4;

// Instances overlapping one node's cube, with a copy of each one's boxes.
//
// The copies let a segment walk refuse an entry without reading the
// instance's record (scattered in memory).  Entry k's copy is one box holding
// both the instance's stored world box and the box its current world matrix
// and template give (CEnvInstance::ComputeWorldBox): whichever of the two a
// line test uses (the stored one for a static instance, the computed one for
// a dynamic one), a segment that misses the copy misses it too.  A copy with
// a coordinate that is not finite in either box is all NaN, which no test
// refuses.  Copies are kept in
// groups of four entries, axis by axis (min x, y, z then max x, y, z, four
// floats each), so that four are tested at once; the lanes past Count are
// NaN.
//
// The copies are taken lazily, tree by tree (OctreeRenewBoxCopies), before a
// segment walk uses them; the tree remembers the g_CopiedBoxChanges count
// they were taken at, and every instance whose boxes are copied raises that
// count whenever its stored box, world matrix or template changes, so a tree
// whose count differs takes them again.  Refilling the lists drops them.
struct OctreeInstanceList {
  std::int32_t Count;
  CEnvInstance** Instances;
  float* Boxes;  // (Count + 3) / 4 groups of 24 floats
};
inline constexpr int kOctreeBoxGroupFloats = 24;

// Makes a list of count entries (not yet filled) in one block: the count,
// the box copies, then the entries, so that a walk loading the one loads the
// others; and frees such a list (null: nothing).
OctreeInstanceList* OctreeNewList(std::int32_t count);
void OctreeFreeList(OctreeInstanceList* list);

struct OctreeNode {
  OctreeInstanceList* List;   // null when no instance overlaps the cube
  OctreeNode* Children;       // block of 8 nodes, null for a leaf
  float HalfSize;             // half the cube's edge
  CVector3 Centre;
};

// A zone's tree: Count nodes in one block, Nodes[0] the root.  Owns the nodes
// and their lists.
class OctreeArray {
 public:
  // Makes count nodes with no lists and no children (count may be 0).
  explicit OctreeArray(std::uint32_t count);
  ~OctreeArray();
  OctreeArray(const OctreeArray&) = delete;
  OctreeArray& operator=(const OctreeArray&) = delete;

  std::uint32_t Count() const { return count_; }
  OctreeNode* Root() { return count_ ? nodes_ : nullptr; }
  const OctreeNode* Root() const { return count_ ? nodes_ : nullptr; }
  OctreeNode* Nodes() { return nodes_; }
  const OctreeNode* Nodes() const { return nodes_; }
  // Index of a node of this array.
  std::uint32_t IndexOf(const OctreeNode* node) const { return static_cast<std::uint32_t>(node - nodes_); }
  // Frees every node's list (the nodes stay).
  void FreeLists();

  // Whether the lists' box copies were taken at the current count of
  // changes; forgetting them makes the next walk take them again.
  bool BoxCopiesCurrent() const;
  void ForgetBoxCopies() { boxCopiesTakenAt_ = 0; }
  void NoteBoxCopiesTaken();

 private:
  std::uint32_t count_;
  OctreeNode* nodes_;
  std::uint64_t boxCopiesTakenAt_ = 0;  // 0: never taken
};

// Takes the box copies of every list of the tree anew (see
// OctreeInstanceList) and marks their instances as copied.
void OctreeRenewBoxCopies(OctreeArray& tree);
// Renews them when they are not current.
inline void OctreeEnsureBoxCopies(OctreeArray& tree) {
  if (!tree.BoxCopiesCurrent()) OctreeRenewBoxCopies(tree);
}

// One static instance of a zone as the build sees it: the instance, its
// number in the environment's instance table (written to files), and its
// world box.  A zone's items come in subtree order (each instance before its
// children, children in sibling order).
struct OctreeItem {
  CEnvInstance* Instance;
  std::uint32_t Number;
  float Box[6];
};

// Statistics of the last build.
struct OctreeBuildStatistics {
  std::uint32_t Nodes;    // 1 for the root plus 8 for every split
  std::uint32_t Leaves;
  std::uint32_t Depth;    // levels below the root
  std::uint32_t ListEntries;
  std::uint32_t Reserved[2];
};
const OctreeBuildStatistics& GetOctreeBuildStatistics();

// Lookup steps of OctreeFindLeaf: 1 per call plus 1 per level descended.  The
// statistics overlay shows it as "Octree Recursions" and clears it.
extern std::uint32_t g_OctreeRecursions;

// Builds a zone's tree over its items: the root cube stands on the lowest point
// of the items' joint box, centred on it in x and z, with half size 800·2^k,
// the smallest such not below the box's largest half extent; a node is split
// while at least 4 items overlap its cube and its half size is at least 800.
// The tree is flattened depth first (root at 0, each child block taken before
// its children are flattened) and every node is given its list.  Never null.
OctreeArray* OctreeBuild(std::span<const OctreeItem> items);

// Gives every node the items whose boxes overlap its cube, in item order.
// With allocate the lists are made; otherwise existing lists are refilled in
// place (a node whose count has changed, or that has no list, is given a new
// one).
void OctreeFillLists(OctreeArray& tree, std::span<const OctreeItem> items, bool allocate);

// Writes the stored form of a zone's tree: the node count, the nodes (list word
// 0, children as byte offsets from the first node, half size, centre), then
// every node's list in pre-order as a count and instance numbers taken from
// the items.  An instance listed but not among the items is written as number
// 0xFFFFFFFF (which the reader refuses).
void OctreeWrite(const OctreeArray& tree, std::span<const OctreeItem> items, ByteWriter& out);

// Reads one zone's stored tree from the reader's position and checks all of it
// before anything is made: the node count against the bytes left, every
// children offset (a multiple of 24, its block of 8 inside the array, every
// node reached exactly once from the root), finite cubes with a positive half
// size, and every list count and instance number against the instance table
// (numbers are turned into instances at once).  Null on damage, with a message
// naming the position in *error (may be null); the reader is then left where
// the fault was found.  A number past the table also sets *pastTable (may be
// null): the file may be whole but built over a longer instance list.
OctreeArray* OctreeRead(ByteReader& in, std::span<CEnvInstance* const> instances, std::string* error,
                        bool* pastTable = nullptr);

// The leaf holding the point: descends by the child numbering (a coordinate
// equal to the centre goes to the lower side) until a node without children.
// Null for a null root.
OctreeNode* OctreeFindLeaf(OctreeNode* root, const CVector3& point);

using OctreeLeafCallback = void (*)(OctreeNode* leaf, void* context);

// Calls the callback on every leaf whose cube the segment touches, once each,
// in order along the segment from start to end.  A segment that misses the
// root cube, or a null root, calls nothing.
void OctreeWalkSegment(OctreeNode* root, const CVector3& start, const CVector3& end, OctreeLeafCallback callback,
                       void* context);

// Calls the callback on every leaf whose cube overlaps the box (touching
// counts), children in order 0 to 7.
void OctreeWalkBox(OctreeNode* node, const float* box, OctreeLeafCallback callback, void* context);

// A set of planes (normal x, y, z, distance); a point p is inside a plane when
// n·p + d is not negative.
struct OctreePlaneSet {
  std::uint32_t Count;
  const float (*Planes)[4];
};

// Calls the callback on every leaf not wholly outside one of the planes, judged
// by the cube's bounding sphere (radius half size x √3): a node with n·c + d <
// −r for some plane is skipped with its subtree.  Before each call
// g_OctreeLeafStraddles is set to 1 when the leaf's sphere crosses one of the
// planes, 0 when it lies wholly inside.  Children in order 0 to 7.
void OctreeWalkPlanes(OctreeNode* node, const OctreePlaneSet& planes, OctreeLeafCallback callback, void* context);
extern std::uint32_t g_OctreeLeafStraddles;

// The view walk: the box of the current view and the routine that draws a
// visible leaf (null: nothing is drawn).
void OctreeSetViewBox(const float* box);
void OctreeSetLeafDrawRoutine(OctreeLeafCallback routine, void* context);
// Descends into every node whose cube overlaps the current view box and calls
// the installed leaf-draw routine at each such leaf.
void OctreeWalkView(OctreeNode* node);

// Debug view: draws the cube of every leaf as a white box.
void OctreeDrawVisible(OctreeNode* root);

// Keeps a point off the lines of the 800-unit grid: the point's offset from the
// node's centre along x (and z) is measured in cells (x 0.00125); when the
// fractional part is below 0.1 in size the coordinate is moved by +0.1 units.
// True when either coordinate moved.
bool OctreeNudgeOffGridLines(const OctreeNode* node, CVector3* point);

// The node's instance list, or null.
inline OctreeInstanceList* OctreeNodeGetLeafList(const OctreeNode* node) { return node ? node->List : nullptr; }

// Whether the point lies in the node's cube (faces included).
bool OctreeIsPointInNode(const OctreeNode* node, const CVector3& point);

// Whether the node's cube and the box overlap (touching counts).
bool OctreeCubeOverlapsBox(const OctreeNode* node, const float* box);
