// The working side of the stripifier: the face and edge tables of one
// triangle list, the search for strips (runs of faces that share an edge
// each with the next), and the cutting and ordering of those runs for a
// post-transform vertex cache.  Used only by stripifier.cpp.
//
// The search works in passes.  Each pass takes up to ten start faces spread
// over the mesh; from each it tries six experiments (the face's three edges,
// each walked both ways), where an experiment grows one run and then keeps
// starting new runs next to its last one.  The experiment with the best score
// (long runs, and many of them) is committed; the others are thrown away.
// The committed runs are cut into pieces that fit the cache, and the pieces
// are ordered so that each reuses as many vertices of the cache as it can.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One triangle of the input: vertex indices in input order, and the marks
// that tell which run owns it (-1 while none does).
struct StripFace {
  int a = 0;
  int b = 0;
  int c = 0;
  int stripId = -1;       // committed run that owns the face
  int testStripId = -1;   // experiment run that last took the face
  int experimentId = -1;  // experiment that last took the face
};

// An edge between two vertices and the (at most two) faces linked to it.
// Each edge sits in the list of both its vertices.
struct StripEdge {
  int a = 0;  // the vertices as first seen
  int b = 0;
  int face0 = -1;
  int face1 = -1;  // -1 while the edge is open
  int nextA = -1;  // next edge in a's list
  int nextB = -1;  // next edge in b's list
};

// A strip being built: its start, its faces in strip order, and its ids.
struct StripRun {
  int startFace = -1;
  int startEdge = -1;
  bool toB = true;  // the run leaves the start edge from its a towards its b
  int stripId = -1;
  int experimentId = -1;  // -1 once committed
  std::vector<int> faces;
};

// A FIFO vertex cache of fixed size: entries start at -1; adding a vertex
// pushes every entry one place back (the last drops out) and writes the new
// one in front.
class StripVertexCache {
 public:
  explicit StripVertexCache(int size) : entries_(static_cast<std::size_t>(size), -1) {}
  bool Contains(int vertex) const;
  // Adds the vertex in front; answers the vertex that dropped out (-1 when
  // none did).
  int Add(int vertex);

 private:
  std::vector<int> entries_;
};

class StripBuilder {
 public:
  // Builds the face and edge tables from `count` indices (whole triangles)
  // whose values are at most `maxIndex`.  A triangle equal to an earlier one
  // in the same cyclic order is dropped.
  StripBuilder(const std::uint16_t* indices, std::uint32_t count, int maxIndex);

  // Finds the runs and cuts and orders them for a cache of `cacheSize`
  // entries.  `pieces` receives the faces of each strip in drawing order;
  // `leftovers` the faces of pieces shorter than `minStripSize`, ordered for
  // the cache too.
  void Stripify(int cacheSize, int minStripSize, std::vector<std::vector<int>>* pieces, std::vector<int>* leftovers);

  const StripFace& Face(int i) const { return faces_[static_cast<std::size_t>(i)]; }
  int FaceCount() const { return static_cast<int>(faces_.size()); }

  // True when the vertex after p in the face's cyclic order is q.
  static bool HasDirectedEdge(const StripFace& f, int p, int q);
  static bool IsDegenerate(const StripFace& f) { return f.a == f.b || f.b == f.c || f.c == f.a; }

 private:
  void AddFace(int a, int b, int c);
  int FindEdge(int v0, int v1) const;
  // The edge of `face` between p and q (its own three are kept), or -1.
  int FaceEdge(int face, int p, int q) const;
  int NextInList(int edge, int vertex) const;
  int OtherFace(int edge, int face) const;
  int Neighbour(int face, int p, int q) const;

  bool IsMarked(int face, const StripRun& run) const;
  bool InRun(int face, const StripRun& run) const;
  void Mark(int face, const StripRun& run);
  bool SharesEdge(int face, const StripRun& run) const;
  int GetNextIndex(int a, int b, int face) const;
  bool IsUnique(int face) const;
  void NoteSeen(int face);

  void BuildRun(StripRun* run);
  bool FindTraversal(const StripRun& run, StripRun* next);
  int FindStartFace() const;
  int FindResetFace();
  void FindAllRuns(std::vector<StripRun>* committed);
  void SplitAndOrder(std::vector<StripRun>& committed, int cacheSize, int minStripSize,
                     std::vector<std::vector<int>>* pieces, std::vector<int>* leftovers) const;
  int NeighbourCount(int face) const;
  std::vector<int> OrderForCache(const std::vector<std::vector<int>>& items, int first, int cacheSize) const;

  std::vector<StripFace> faces_;
  std::vector<StripEdge> edges_;
  std::vector<std::array<int, 3>> faceEdges_;  // edges (a, b), (b, c), (c, a) of each face
  std::vector<int> heads_;  // first edge of each vertex's list
  int vertexCount_ = 0;

  // Vertices of the run being built (uniqueness test), by stamp.
  std::vector<std::uint32_t> seen_;
  std::vector<int> forward_, backward_;  // scratch of BuildRun
  std::uint32_t seenStamp_ = 0;

  float meshJump_ = 0.0f;
  bool firstReset_ = true;
  int nextStripId_ = 0;
  int nextExperimentId_ = 0;
};
