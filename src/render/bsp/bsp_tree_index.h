// Bounds kept beside a compiled BSP tree so that its walks can pass over
// what a query cannot touch.
//
// Segments: every polygon list of the tree gets a box that holds every
// crossing point the segment walk could find inside one of its polygons, and
// the lists' boxes are gathered in a 4-wide bounding-volume hierarchy.  A
// segment query first marks the nodes whose lists' boxes the segment meets,
// with their ancestors; the walk then keeps its order and its rules but goes
// only down marked subtrees (an unmarked one holds no list that could accept
// the segment), and tests a polygon only when the crossing point lies within
// its extent on the test's two projection axes.  An any-hit query judges the
// met lists' nodes directly, as the walk would, without the walk.
//
// Spheres: every list and every subtree gets the box of its polygons'
// bounding spheres, so that the sphere and sweep walks pass over subtrees
// whose every polygon they would cull by its bounding sphere.
//
// An index is made with every tree made by MakeBspTree (and so by the loaders
// and the compiler, which use it) and dropped by FreeBspTree; a tree block
// held anywhere else is walked without one.  Tree space, the tree's units.
// Main thread only, like the walks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/bsp/bsp_tree.h"
#include "render/geometry/segment_box_screen.h"
#include "render/geometry/vector3.h"

class BspTreeIndex {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // An axis-aligned box; Min[0] > Max[0] when empty, infinite bounds when
  // nothing can be proved about what it holds.
  struct Box {
    float Min[3];
    float Max[3];
  };

  // A node of the tree; the root is node 0 and children are numbered after
  // their parent.
  struct Node {
    float Plane[4];             // the tree node's plane
    std::uint32_t Front, Back;  // node numbers, or kNone
    std::uint32_t Parent;       // kNone for the root
    std::uint32_t Lists[2];     // positive-side and negative-side list numbers, or kNone
    Box Spheres;                // the bounding spheres of every polygon of the subtree
  };

  // A polygon list: a crossing point that lies in one of its polygons lies
  // in Reach, up to the rounding a query allows for.  What a segment query
  // reads of a list and its node fills one cache line.
  struct alignas(64) List {
    float Plane[4];              // its node's plane (as the node keeps it)
    Box Reach;
    std::uint32_t Node;          // the node holding it
    std::uint32_t First, Count;  // its polygons in Polygons, in list order
    std::uint32_t Sibling;       // the node's list on the other side, or kNone
    std::uint8_t U, V;           // the axes the node plane projects on
    std::uint8_t Side;           // 0: the node's positive-side list, 1: its negative-side one
    std::uint32_t Offset;        // block offset of the first record
  };

  // A polygon: its vertices' extent on the list's two projection axes (a
  // point outside it is never inside the polygon) and its block offset.
  struct Polygon {
    float UMin, UMax, VMin, VMax;
    std::uint32_t Offset;
  };

  // A node of the hierarchy over the lists' boxes: up to four children, their
  // boxes kept axis by axis so that a probe meets all four at once.  A child
  // is a volume number, kLeaf | a list number, or kNone for an empty slot.
  static constexpr std::uint32_t kLeaf = 0x80000000u;
  struct Volume {
    float Min[3][4];
    float Max[3][4];
    std::uint32_t Child[4];
  };

  // A segment as the boxes are tested against it (the conservative screen
  // with no padding): a box is refused only when
  // no point within a margin of the segment, taken a little beyond its ends,
  // lies in it.  The margin covers the rounding of a crossing point (a few
  // units in the last place of the coordinates involved) many times over.
  // The slab test over t in [-1e-5, 1 + 1e-5]: along axis k the segment is
  // inside [min - margin, max + margin] for t between (min - margin - s) / d
  // and (max + margin - s) / d.  An axis along which the segment does not
  // move takes 1 / d = ±1e30, which keeps a box it lies within and refuses
  // one it lies clear of (by far more than the margin's rounding).
  struct Probe {
    SegmentBoxScreen Screen;

    // False when an end is not a finite point (no box proves anything then).
    bool Set(const CVector3& start, const CVector3& end) {
      return Screen.Set(start, {end.x - start.x, end.y - start.y, end.z - start.z}, 0.0f);
    }
    // Whether the segment may meet the box (never an empty one).
    bool MayMeet(const Box& box) const {
      if (box.Min[0] > box.Max[0]) return false;  // empty
      return Screen.MayMeet(box.Min, box.Max);
    }
    // Bit i set when the segment may meet the box of child i (empty slots included).
    unsigned MeetMask(const Volume& v) const {
      static_assert(offsetof(Volume, Max) == 12 * sizeof(float), "a volume's boxes are one group of four");
      return Screen.MayMeetFour(&v.Min[0][0]);
    }
  };


  // A sphere as the sphere walks cull polygons by it: a polygon is passed
  // over when its bounding sphere and this one are apart by more than
  // 0.0001 in squared distance.  A box of bounding spheres is refused only
  // when the sphere is clear of it by a margin well beyond the rounding of
  // that test, so that every polygon in it would be passed over.
  struct SphereProbe {
    float Centre[3];
    float Radius;
    float Margin;

    // False when the sphere is not finite or its radius is negative (no box
    // proves anything then).
    bool Set(const CVector3& centre, float radius);
    // Squared distance from the centre to the box against the reach widened
    // by the margin and by a share of the box's size (the polygons' own radii
    // enter the test's rounding).  An infinite box gives no gap and no limit.
    bool MayReach(const Box& box) const {
      if (box.Min[0] > box.Max[0]) return false;  // empty
      float gap = 0, size = 0;
      for (int k = 0; k < 3; ++k) {
        const float below = box.Min[k] - Centre[k], above = Centre[k] - box.Max[k];
        const float e = below > above ? (below > 0 ? below : 0.0f) : (above > 0 ? above : 0.0f);
        gap += e * e;
        const float extent = box.Max[k] - box.Min[k];
        size = size > extent ? size : extent;
      }
      const float reach = Radius + Margin + 1e-5f * size;
      return gap <= reach * reach;
    }
  };

  // Calls visit(list number) for every list whose box the probe may meet
  // (and every list whose box bounds nothing), in no particular order, until
  // a call answers true; true when one did.
  template <typename Visit>
  bool ForEachListMet(const Probe& probe, Visit visit) const {
    for (std::uint32_t l : Always)
      if (visit(l)) return true;
    if (Volumes.empty()) return false;
    // Every level of the hierarchy splits its lists in four or fewer parts
    // of at least half of a quarter each: 64 entries are more than a
    // hierarchy over 2^32 lists needs.
    std::uint32_t stack[64];
    int depth = 0;
    stack[depth++] = 0;
    while (depth > 0) {
      const std::uint32_t number = stack[--depth];
      const Volume& v = number < kTop ? Top[number] : Volumes[number];
      unsigned mask = probe.MeetMask(v);
      while (mask) {
        const int i = __builtin_ctz(mask);
        mask &= mask - 1;
        const std::uint32_t child = v.Child[i];
        if (child == kNone) continue;
        if (child & kLeaf) {
          if (visit(child & ~kLeaf)) return true;
        } else {
          stack[depth++] = child;
        }
      }
    }
    return false;
  }

  // Builds the index of a tree that passed the loader's checks; never null.
  static std::unique_ptr<BspTreeIndex> Build(const BspNode* root);

  // Marks the nodes holding a list whose box the probe may meet, and their
  // ancestors, for this query (unmarking those of the last one); false when
  // none is marked.
  bool Mark(const Probe& probe) const;
  bool Marked(std::uint32_t node) const { return Marks[node] == Stamp; }
  // Starts a new query's marks (unmarking every node) and marks the node
  // alone, answering whether it was unmarked.
  void ClearMarks() const;
  bool MarkOnce(std::uint32_t node) const {
    if (Marks[node] == Stamp) return false;
    Marks[node] = Stamp;
    return true;
  }

  std::vector<Node> Nodes;
  std::vector<List> Lists;
  std::vector<Box> ListSpheres;       // per list: the bounding spheres of its polygons (as the records store them)
  std::vector<Polygon> Polygons;
  std::vector<Volume> Volumes;        // root first; empty when no list has a bounded box
  // Copies of the first volumes (the root and its children, numbered level
  // by level), kept beside the other fields so that they load with them.
  static constexpr std::uint32_t kTop = 5;
  Volume Top[kTop]{};
  std::vector<std::uint32_t> Always;  // lists whose boxes bound nothing, met by every segment

 private:
  void MarkFrom(std::uint32_t node) const;
  mutable std::vector<std::uint32_t> Marks;  // per node: the stamp of the last query that marked it
  mutable std::uint32_t Stamp = 0;
};

// The index of a tree made by MakeBspTree; null for a null root or a block
// that was not made there.
const BspTreeIndex* FindBspTreeIndex(const BspNode* root);

// Starts loading the index of a tree, ahead of a query.
void PrefetchBspTreeIndex(const BspNode* root);

// Bookkeeping of the tree module: a tree was made (its index is built), or is
// being freed (its index goes).
void NoteBspTreeMade(const BspNode* root);
void NoteBspTreeFreed(const BspNode* root);
