#include "scene/mesh/strip_builder.h"

#include <algorithm>
#include <cstdio>
#include <queue>
#include <utility>

namespace {

constexpr int kSamplesPerPass = 10;
constexpr int kExperimentsPerSample = 6;


// Key of a triangle that is the same for its three rotations (same cyclic
// order), so that a repeated triangle is found whichever corner it starts at.
std::uint64_t CyclicKey(int a, int b, int c) {
  auto key = [](int x, int y, int z) {
    return (static_cast<std::uint64_t>(x) << 32) | (static_cast<std::uint64_t>(y) << 16) | static_cast<std::uint64_t>(z);
  };
  return std::min({key(a, b, c), key(b, c, a), key(c, a, b)});
}

}  // namespace

bool StripVertexCache::Contains(int vertex) const {
  return std::find(entries_.begin(), entries_.end(), vertex) != entries_.end();
}

int StripVertexCache::Add(int vertex) {
  int dropped = entries_.back();
  for (std::size_t i = entries_.size() - 1; i > 0; --i) entries_[i] = entries_[i - 1];
  entries_[0] = vertex;
  return dropped;
}

bool StripBuilder::HasDirectedEdge(const StripFace& f, int p, int q) {
  return (f.a == p && f.b == q) || (f.b == p && f.c == q) || (f.c == p && f.a == q);
}

StripBuilder::StripBuilder(const std::uint16_t* indices, std::uint32_t count, int maxIndex) {
  vertexCount_ = maxIndex + 1;
  heads_.assign(static_cast<std::size_t>(vertexCount_), -1);
  seen_.assign(static_cast<std::size_t>(vertexCount_), 0);
  faces_.reserve(count / 3);
  faceEdges_.reserve(count / 3);
  edges_.reserve(count);
  // A triangle that repeats an earlier one (same cyclic order) is dropped:
  // sort the triangles by key, and mark every one after the first of a key.
  const std::uint32_t triangles = count / 3;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keys(triangles);
  for (std::uint32_t t = 0; t < triangles; ++t)
    keys[t] = {CyclicKey(indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]), t};
  std::sort(keys.begin(), keys.end());
  std::vector<char> repeated(triangles, 0);
  for (std::size_t k = 1; k < keys.size(); ++k)
    if (keys[k].first == keys[k - 1].first) repeated[keys[k].second] = 1;
  for (std::uint32_t t = 0; t < triangles; ++t)
    if (!repeated[t]) AddFace(indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]);
}

void StripBuilder::AddFace(int a, int b, int c) {
  const int face = static_cast<int>(faces_.size());
  StripFace f;
  f.a = a;
  f.b = b;
  f.c = c;
  faces_.push_back(f);
  const int pairs[3][2] = {{a, b}, {b, c}, {c, a}};
  std::array<int, 3> own{};
  for (int k = 0; k < 3; ++k) {
    const int v0 = pairs[k][0], v1 = pairs[k][1];
    int e = FindEdge(v0, v1);
    own[static_cast<std::size_t>(k)] = e < 0 ? static_cast<int>(edges_.size()) : e;
    if (e < 0) {
      StripEdge edge;
      edge.a = v0;
      edge.b = v1;
      edge.face0 = face;
      edge.nextA = heads_[static_cast<std::size_t>(v0)];
      e = static_cast<int>(edges_.size());
      heads_[static_cast<std::size_t>(v0)] = e;
      if (v1 != v0) {
        edge.nextB = heads_[static_cast<std::size_t>(v1)];
        heads_[static_cast<std::size_t>(v1)] = e;
      }
      edges_.push_back(edge);
    } else if (edges_[static_cast<std::size_t>(e)].face1 < 0) {
      edges_[static_cast<std::size_t>(e)].face1 = face;
    } else {
      // A third face on one edge: it is simply not linked to that edge.
      std::fputs("BuildStripifyInfo: > 2 triangles on an edge... uncertain consequences\n", stdout);
    }
  }
  faceEdges_.push_back(own);
}

int StripBuilder::FaceEdge(int face, int p, int q) const {
  for (int e : faceEdges_[static_cast<std::size_t>(face)]) {
    const StripEdge& edge = edges_[static_cast<std::size_t>(e)];
    if ((edge.a == p && edge.b == q) || (edge.a == q && edge.b == p)) return e;
  }
  return FindEdge(p, q);
}

int StripBuilder::NextInList(int edge, int vertex) const {
  const StripEdge& e = edges_[static_cast<std::size_t>(edge)];
  return e.a == vertex ? e.nextA : e.nextB;
}

int StripBuilder::FindEdge(int v0, int v1) const {
  if (v0 < 0 || v1 < 0 || v0 >= vertexCount_ || v1 >= vertexCount_) return -1;
  for (int e = heads_[static_cast<std::size_t>(v0)]; e >= 0; e = NextInList(e, v0)) {
    const StripEdge& edge = edges_[static_cast<std::size_t>(e)];
    if ((edge.a == v0 && edge.b == v1) || (edge.a == v1 && edge.b == v0)) return e;
  }
  return -1;
}

int StripBuilder::OtherFace(int edge, int face) const {
  const StripEdge& e = edges_[static_cast<std::size_t>(edge)];
  return e.face0 == face ? e.face1 : e.face0;
}

// The face across the edge (p, q) from `face`, when a strip can carry on into
// it.  A strip draws its triangles with alternating order, so two neighbours
// keep their windings only when they run along their shared edge in opposite
// directions; a neighbour wound the other way (and a face with a repeated
// vertex, which has no winding) ends the strip instead of being drawn
// flipped.
int StripBuilder::Neighbour(int face, int p, int q) const {
  if (p < 0 || q < 0) return -1;
  const int e = FaceEdge(face, p, q);
  if (e < 0) return -1;
  const int other = OtherFace(e, face);
  if (other < 0 || other == face) return -1;
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  const StripFace& g = faces_[static_cast<std::size_t>(other)];
  if (IsDegenerate(f) || IsDegenerate(g)) return -1;
  if (HasDirectedEdge(f, p, q) == HasDirectedEdge(g, p, q)) return -1;
  return other;
}

bool StripBuilder::IsMarked(int face, const StripRun& run) const {
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  return f.stripId >= 0 || (run.experimentId >= 0 && f.experimentId == run.experimentId);
}

bool StripBuilder::InRun(int face, const StripRun& run) const {
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  return run.experimentId >= 0 ? f.testStripId == run.stripId : f.stripId == run.stripId;
}

void StripBuilder::Mark(int face, const StripRun& run) {
  StripFace& f = faces_[static_cast<std::size_t>(face)];
  if (run.experimentId >= 0) {
    f.experimentId = run.experimentId;
    f.testStripId = run.stripId;
  } else {
    f.stripId = run.stripId;
    f.experimentId = -1;
  }
}

bool StripBuilder::SharesEdge(int face, const StripRun& run) const {
  for (int e : faceEdges_[static_cast<std::size_t>(face)]) {
    const StripEdge& edge = edges_[static_cast<std::size_t>(e)];
    if ((edge.face0 >= 0 && InRun(edge.face0, run)) || (edge.face1 >= 0 && InRun(edge.face1, run))) return true;
  }
  return false;
}

// The vertex of `face` that is neither a nor b (the last two of the strip
// so far): the index the strip goes on with.
int StripBuilder::GetNextIndex(int a, int b, int face) const {
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  const int v[3] = {f.a, f.b, f.c};
  int count = 0;
  int first = -1;
  for (int x : v) {
    if (x != a && x != b) {
      if (count == 0) first = x;
      ++count;
    }
  }
  if (count == 1) return first;
  if (count > 1) {
    std::fputs("GetNextIndex: Triangle doesn't have all of its vertices\n", stdout);
    std::fputs("GetNextIndex: Duplicate triangle probably got us derailed\n", stdout);
    return first;
  }
  std::fputs("GetNextIndex: Duplicate triangle sent\n", stdout);
  return -1;
}

// Unique: not all three vertices already occur in the faces of the run.
bool StripBuilder::IsUnique(int face) const {
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  return seen_[static_cast<std::size_t>(f.a)] != seenStamp_ || seen_[static_cast<std::size_t>(f.b)] != seenStamp_ ||
         seen_[static_cast<std::size_t>(f.c)] != seenStamp_;
}

void StripBuilder::NoteSeen(int face) {
  const StripFace& f = faces_[static_cast<std::size_t>(face)];
  seen_[static_cast<std::size_t>(f.a)] = seenStamp_;
  seen_[static_cast<std::size_t>(f.b)] = seenStamp_;
  seen_[static_cast<std::size_t>(f.c)] = seenStamp_;
}

// Grows a run from its start face both ways.  Forward the strip is
// (A, B, C, ...), each new face lying across the last two indices; backward
// it is (C, B, A, ...) in the same way.  The run's faces are the backward
// ones reversed, then the forward ones.
void StripBuilder::BuildRun(StripRun* run) {
  if (++seenStamp_ == 0) {  // the stamp wrapped: forget every old mark
    std::fill(seen_.begin(), seen_.end(), 0u);
    seenStamp_ = 1;
  }
  const StripEdge& edge = edges_[static_cast<std::size_t>(run->startEdge)];
  const int a = run->toB ? edge.a : edge.b;
  const int b = run->toB ? edge.b : edge.a;

  std::vector<int>& forward = forward_;
  forward.clear();
  forward.push_back(run->startFace);
  Mark(run->startFace, *run);
  NoteSeen(run->startFace);
  const int c = GetNextIndex(a, b, run->startFace);

  int p = b, q = c;
  int next = Neighbour(run->startFace, p, q);
  while (next >= 0 && !IsMarked(next, *run) && IsUnique(next)) {
    forward.push_back(next);
    Mark(next, *run);
    NoteSeen(next);
    const int r = GetNextIndex(p, q, next);
    p = q;
    q = r;
    next = Neighbour(next, p, q);
  }

  std::vector<int>& backward = backward_;
  backward.clear();
  p = b;
  q = a;
  next = Neighbour(run->startFace, p, q);
  while (next >= 0 && !IsMarked(next, *run) && IsUnique(next)) {
    backward.push_back(next);
    Mark(next, *run);
    NoteSeen(next);
    const int r = GetNextIndex(p, q, next);
    p = q;
    q = r;
    next = Neighbour(next, p, q);
  }

  run->faces.reserve(backward.size() + forward.size());
  run->faces.assign(backward.rbegin(), backward.rend());
  run->faces.insert(run->faces.end(), forward.begin(), forward.end());
}

// A start for the next run of an experiment: around the vertex where the
// last run left its start edge, the first edge with a face outside the run
// on one side and a free face on the other.
bool StripBuilder::FindTraversal(const StripRun& run, StripRun* next) {
  const StripEdge& start = edges_[static_cast<std::size_t>(run.startEdge)];
  const int v = run.toB ? start.b : start.a;
  int found = -1;
  int face = -1;
  for (int e = heads_[static_cast<std::size_t>(v)]; e >= 0; e = NextInList(e, v)) {
    const StripEdge& edge = edges_[static_cast<std::size_t>(e)];
    if (edge.face0 >= 0 && !InRun(edge.face0, run) && edge.face1 >= 0 && !IsMarked(edge.face1, run)) {
      found = e;
      face = edge.face1;
      break;
    }
    if (edge.face1 >= 0 && !InRun(edge.face1, run) && edge.face0 >= 0 && !IsMarked(edge.face0, run)) {
      found = e;
      face = edge.face0;
      break;
    }
  }
  if (found < 0) return false;
  const StripEdge& edge = edges_[static_cast<std::size_t>(found)];
  next->startFace = face;
  next->startEdge = found;
  next->toB = SharesEdge(face, run) ? edge.a == v : edge.b == v;
  return true;
}

// The first face with at least two open edges (a corner or border of the
// mesh), or -1.
int StripBuilder::FindStartFace() const {
  for (int i = 0; i < FaceCount(); ++i) {
    int open = 0;
    for (int e : faceEdges_[static_cast<std::size_t>(i)])
      if (OtherFace(e, i) < 0) ++open;
    if (open >= 2) return i;
  }
  return -1;
}

// The next face to start experiments from: first a border face, later faces
// spread over the mesh by a jump that advances a tenth of the face count each
// time; from there the first face that no committed run owns.
int StripBuilder::FindResetFace() {
  const int count = FaceCount();
  int start = -1;
  if (firstReset_) {
    start = FindStartFace();
    firstReset_ = false;
  }
  if (start < 0) start = static_cast<int>(static_cast<float>(count - 1) * meshJump_);
  start = std::clamp(start, 0, count - 1);
  int result = -1;
  for (int i = 0; i < count; ++i) {
    const int f = (start + i) % count;
    if (faces_[static_cast<std::size_t>(f)].stripId < 0) {
      result = f;
      break;
    }
  }
  meshJump_ += 0.1f;
  if (meshJump_ > 1.0f) meshJump_ = 0.05f;
  return result;
}

void StripBuilder::FindAllRuns(std::vector<StripRun>* committed) {
  // The experiments of a pass, kept from pass to pass with their runs and
  // face lists so that their memory is reused; `used` counts the live runs.
  struct Experiment {
    std::vector<StripRun> runs;
    std::size_t used = 0;
  };
  std::vector<Experiment> experiments(kSamplesPerPass * kExperimentsPerSample);
  auto nextRun = [](Experiment& x) -> StripRun& {
    if (x.used == x.runs.size()) x.runs.emplace_back();
    StripRun& run = x.runs[x.used++];
    run.faces.clear();
    return run;
  };

  std::vector<int> takenInPass(faces_.size(), -1);
  bool done = false;
  for (int pass = 0; !done; ++pass) {
    std::size_t count = 0;
    for (int sample = 0; sample < kSamplesPerPass; ++sample) {
      const int face = FindResetFace();
      if (face < 0) {
        done = true;
        break;
      }
      if (takenInPass[static_cast<std::size_t>(face)] == pass) continue;
      takenInPass[static_cast<std::size_t>(face)] = pass;
      for (int k = 0; k < kExperimentsPerSample; ++k) {
        Experiment& x = experiments[count++];
        x.used = 0;
        StripRun& run = nextRun(x);
        run.startFace = face;
        run.startEdge = faceEdges_[static_cast<std::size_t>(face)][static_cast<std::size_t>(k / 2)];
        run.toB = (k % 2) == 0;
        run.stripId = nextStripId_++;
        run.experimentId = nextExperimentId_++;
        BuildRun(&run);
        StripRun follow;
        while (FindTraversal(x.runs[x.used - 1], &follow)) {
          const int experimentId = x.runs[x.used - 1].experimentId;
          StripRun& next = nextRun(x);  // may move the earlier runs
          next.startFace = follow.startFace;
          next.startEdge = follow.startEdge;
          next.toB = follow.toB;
          next.stripId = nextStripId_++;
          next.experimentId = experimentId;
          BuildRun(&next);
        }
      }
    }
    if (count == 0) break;

    // Score: average faces per run x (runs + 1); the first best wins.
    std::size_t best = 0;
    float bestScore = 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
      std::size_t faces = 0;
      for (std::size_t r = 0; r < experiments[i].used; ++r) faces += experiments[i].runs[r].faces.size();
      const float runs = static_cast<float>(experiments[i].used);
      const float score = static_cast<float>(faces) / runs * (runs + 1.0f);
      if (score > bestScore) {
        bestScore = score;
        best = i;
      }
    }
    for (std::size_t r = 0; r < experiments[best].used; ++r) {
      StripRun& run = experiments[best].runs[r];
      run.experimentId = -1;
      for (int face : run.faces) Mark(face, run);
      committed->push_back(run);
    }
  }
}

int StripBuilder::NeighbourCount(int face) const {
  int n = 0;
  for (int e : faceEdges_[static_cast<std::size_t>(face)])
    if (OtherFace(e, face) >= 0) ++n;
  return n;
}

// Orders items (groups of faces) for the cache: after `first` (or, when it
// is -1, the best item for an empty cache), repeatedly the item with the most
// cached vertices per face, counted with repetition; ties go to the earlier
// item.  Each chosen item adds the vertices of its faces that are not cached
// yet, face by face, in the order a, b, c.
//
// The cache only changes a few entries per choice, so instead of scoring
// every item each time, each item keeps its count of cached vertices, updated
// when a vertex enters or leaves the cache, and a heap holds the scores
// (stale entries are skipped when they surface).
std::vector<int> StripBuilder::OrderForCache(const std::vector<std::vector<int>>& items, int first,
                                             int cacheSize) const {
  const int n = static_cast<int>(items.size());
  std::vector<int> order;
  order.reserve(items.size());
  if (n == 0) return order;

  // Which items use each vertex, and how often (CSR layout).
  std::vector<int> uses(static_cast<std::size_t>(vertexCount_) + 1, 0);
  for (const auto& item : items)
    for (int face : item) {
      const StripFace& f = faces_[static_cast<std::size_t>(face)];
      ++uses[static_cast<std::size_t>(f.a) + 1];
      ++uses[static_cast<std::size_t>(f.b) + 1];
      ++uses[static_cast<std::size_t>(f.c) + 1];
    }
  for (std::size_t v = 1; v < uses.size(); ++v) uses[v] += uses[v - 1];
  std::vector<int> fill(uses.begin(), uses.end() - 1);
  std::vector<int> users(static_cast<std::size_t>(uses.back()));
  for (int i = 0; i < n; ++i)
    for (int face : items[static_cast<std::size_t>(i)]) {
      const StripFace& f = faces_[static_cast<std::size_t>(face)];
      users[static_cast<std::size_t>(fill[static_cast<std::size_t>(f.a)]++)] = i;
      users[static_cast<std::size_t>(fill[static_cast<std::size_t>(f.b)]++)] = i;
      users[static_cast<std::size_t>(fill[static_cast<std::size_t>(f.c)]++)] = i;
    }

  struct Entry {
    int cached;
    int faces;
    int item;
  };
  // Better: a higher ratio cached / faces (compared exactly), then the
  // earlier item.  The priority queue keeps the best on top.
  auto worse = [](const Entry& x, const Entry& y) {
    const long long lx = static_cast<long long>(x.cached) * y.faces;
    const long long ly = static_cast<long long>(y.cached) * x.faces;
    if (lx != ly) return lx < ly;
    return x.item > y.item;
  };
  std::priority_queue<Entry, std::vector<Entry>, decltype(worse)> heap(worse);
  std::vector<int> cached(static_cast<std::size_t>(n), 0);
  std::vector<char> visited(static_cast<std::size_t>(n), 0);
  auto facesOf = [&](int i) { return static_cast<int>(items[static_cast<std::size_t>(i)].size()); };
  for (int i = 0; i < n; ++i) heap.push({0, facesOf(i), i});

  auto adjust = [&](int vertex, int delta) {
    for (int k = uses[static_cast<std::size_t>(vertex)]; k < uses[static_cast<std::size_t>(vertex) + 1]; ++k) {
      const int item = users[static_cast<std::size_t>(k)];
      cached[static_cast<std::size_t>(item)] += delta;
    }
    for (int k = uses[static_cast<std::size_t>(vertex)]; k < uses[static_cast<std::size_t>(vertex) + 1]; ++k) {
      const int item = users[static_cast<std::size_t>(k)];
      if (!visited[static_cast<std::size_t>(item)]) heap.push({cached[static_cast<std::size_t>(item)], facesOf(item), item});
    }
  };

  StripVertexCache cache(cacheSize);
  auto take = [&](int item) {
    visited[static_cast<std::size_t>(item)] = 1;
    order.push_back(item);
    for (int face : items[static_cast<std::size_t>(item)]) {
      const StripFace& f = faces_[static_cast<std::size_t>(face)];
      for (int v : {f.a, f.b, f.c}) {
        if (cache.Contains(v)) continue;
        const int dropped = cache.Add(v);
        if (dropped >= 0) adjust(dropped, -1);
        adjust(v, +1);
      }
    }
  };

  if (first >= 0) take(first);
  while (static_cast<int>(order.size()) < n) {
    const Entry top = heap.top();
    heap.pop();
    if (visited[static_cast<std::size_t>(top.item)] || top.cached != cached[static_cast<std::size_t>(top.item)]) continue;
    take(top.item);
  }
  return order;
}

void StripBuilder::SplitAndOrder(std::vector<StripRun>& committed, int cacheSize, int minStripSize,
                                 std::vector<std::vector<int>>* pieces, std::vector<int>* leftovers) const {
  const std::size_t threshold = static_cast<std::size_t>(cacheSize);
  std::vector<std::vector<int>> kept;
  std::vector<std::vector<int>> dropped;  // one face each
  for (StripRun& run : committed) {
    for (std::size_t at = 0; at < run.faces.size(); at += threshold) {
      const std::size_t end = std::min(run.faces.size(), at + threshold);
      std::vector<int> piece(run.faces.begin() + static_cast<std::ptrdiff_t>(at),
                             run.faces.begin() + static_cast<std::ptrdiff_t>(end));
      if (static_cast<int>(piece.size()) < minStripSize) {
        for (int face : piece) dropped.push_back({face});
      } else {
        kept.push_back(std::move(piece));
      }
    }
  }

  leftovers->clear();
  for (int i : OrderForCache(dropped, -1, cacheSize)) leftovers->push_back(dropped[static_cast<std::size_t>(i)][0]);

  // Start with the piece whose faces have the fewest neighbours on average
  // (a border of the mesh), then follow the cache.
  int first = -1;
  float fewest = 10000.0f;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    int neighbours = 0;
    for (int face : kept[i]) neighbours += NeighbourCount(face);
    const float average = static_cast<float>(neighbours) / static_cast<float>(kept[i].size());
    if (average < fewest) {
      fewest = average;
      first = static_cast<int>(i);
    }
  }
  pieces->clear();
  for (int i : OrderForCache(kept, first, cacheSize)) pieces->push_back(std::move(kept[static_cast<std::size_t>(i)]));
}

void StripBuilder::Stripify(int cacheSize, int minStripSize, std::vector<std::vector<int>>* pieces,
                            std::vector<int>* leftovers) {
  meshJump_ = 0.0f;
  firstReset_ = true;
  // The cache is taken a little smaller than the hardware's, for safety.
  const int working = std::max(1, cacheSize - 6);
  std::vector<StripRun> committed;
  if (!faces_.empty()) FindAllRuns(&committed);
  SplitAndOrder(committed, working, minStripSize, pieces, leftovers);
}
