#include "render/bsp/bsp_tree_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

BspTreeIndex::Box EmptyBox() { return {{kInf, kInf, kInf}, {-kInf, -kInf, -kInf}}; }
BspTreeIndex::Box WholeSpace() { return {{-kInf, -kInf, -kInf}, {kInf, kInf, kInf}}; }

void Widen(BspTreeIndex::Box* box, const BspTreeIndex::Box& add) {
  for (int a = 0; a < 3; ++a) {
    box->Min[a] = std::min(box->Min[a], add.Min[a]);
    box->Max[a] = std::max(box->Max[a], add.Max[a]);
  }
}

// The projection axes of the point-in-polygon test for a plane: the dominant
// normal component z gives (x, y), y gives (x, z), x gives (y, z); w is the
// axis left out.  The same rule as the test's own (geom::DominantAxis).
struct Axes {
  std::uint8_t u, v, w;
};
Axes AxesFor(const float* plane) {
  float ax = std::fabs(plane[0]), ay = std::fabs(plane[1]), az = std::fabs(plane[2]);
  if (az > ax && az > ay) return {0, 1, 2};
  return ay > ax ? Axes{0, 2, 1} : Axes{1, 2, 0};
}

// The polygon's extent on the two axes.  A point the crossing-count test
// finds inside has a vertex strictly left of it and one not left of it on
// the first axis, and one below it and one not below it on the second, so it
// lies within this extent exactly.  Non-finite vertices give no bound.
BspTreeIndex::Polygon PolygonExtent(const BspNode* root, const BspPolygon* p, Axes axes) {
  BspTreeIndex::Polygon out{kInf, -kInf, kInf, -kInf,
                               static_cast<std::uint32_t>(reinterpret_cast<const std::uint8_t*>(p) -
                                                          reinterpret_cast<const std::uint8_t*>(root))};
  for (unsigned k = 0; k < p->VertexCount; ++k) {
    const float* v = p->Vertex(k);
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
      out.UMin = out.VMin = -kInf;
      out.UMax = out.VMax = kInf;
      return out;
    }
    out.UMin = std::min(out.UMin, v[axes.u]);
    out.UMax = std::max(out.UMax, v[axes.u]);
    out.VMin = std::min(out.VMin, v[axes.v]);
    out.VMax = std::max(out.VMax, v[axes.v]);
  }
  return out;
}

// The box of a list from its polygons' extents.  On the projection axes the
// crossing point lies within the union of the extents.  On the third axis it
// lies on the node plane, w = -(a_u u + a_v v + d) / a_w, which over the
// rectangle of the extents is bounded by its corners; the rounding of the
// crossing point and of the plane is allowed for by a margin here (relative
// to the plane's terms) and by the query's own margin (relative to the
// segment).  A plane that is not finite or whose normal is not of unit length
// (a start point taken as lying on it could then be far from it) gives no
// bound.
BspTreeIndex::Box ListBox(const float* plane, Axes axes, const BspTreeIndex::Polygon* polygons,
                             std::uint32_t count) {
  double a[3] = {plane[0], plane[1], plane[2]}, d = plane[3];
  double length = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
  if (!std::isfinite(length) || !std::isfinite(d) || std::fabs(length - 1.0) > 1e-3) return WholeSpace();
  float umin = kInf, umax = -kInf, vmin = kInf, vmax = -kInf;
  for (std::uint32_t i = 0; i < count; ++i) {
    umin = std::min(umin, polygons[i].UMin);
    umax = std::max(umax, polygons[i].UMax);
    vmin = std::min(vmin, polygons[i].VMin);
    vmax = std::max(vmax, polygons[i].VMax);
  }
  if (!(umin <= umax && vmin <= vmax)) return EmptyBox();
  if (!std::isfinite(umin) || !std::isfinite(umax) || !std::isfinite(vmin) || !std::isfinite(vmax))
    return WholeSpace();
  const double au = a[axes.u], av = a[axes.v], aw = a[axes.w];
  double wlo = std::numeric_limits<double>::infinity(), whi = -wlo;
  for (double u : {static_cast<double>(umin), static_cast<double>(umax)}) {
    for (double v : {static_cast<double>(vmin), static_cast<double>(vmax)}) {
      double w = -(au * u + av * v + d) / aw;
      wlo = std::min(wlo, w);
      whi = std::max(whi, w);
    }
  }
  const double terms = std::fabs(d) + std::max(std::fabs(umin), std::fabs(umax)) +
                       std::max(std::fabs(vmin), std::fabs(vmax));
  const double pad = 2e-5 * terms / std::fabs(aw) + 2e-5 * std::max(std::fabs(wlo), std::fabs(whi)) + 1e-4;
  BspTreeIndex::Box box;
  box.Min[axes.u] = umin;
  box.Max[axes.u] = umax;
  box.Min[axes.v] = vmin;
  box.Max[axes.v] = vmax;
  // Rounding to float moves a bound by half a unit in the last place, well within the pad.
  box.Min[axes.w] = static_cast<float>(wlo - pad);
  box.Max[axes.w] = static_cast<float>(whi + pad);
  if (!std::isfinite(box.Min[axes.w]) || !std::isfinite(box.Max[axes.w])) return WholeSpace();
  return box;
}

// The indexes by tree: an open-addressed table of tree roots (linear
// probing, at most half full), so that a lookup is one probe of one slot in
// the common case however many trees the level holds.
class Registry {
 public:
  const BspTreeIndex* Find(const BspNode* root) const {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = Slot(root, mask);; at = (at + 1) & mask) {
      const Entry& e = slots_[at];
      if (e.root == root) return e.index;
      if (!e.root) return nullptr;
    }
  }
  // The slot a lookup of the root reads first.
  const void* FirstSlot(const BspNode* root) const {
    return slots_.empty() ? nullptr : &slots_[Slot(root, slots_.size() - 1)];
  }
  void Put(const BspNode* root, std::unique_ptr<BspTreeIndex> index) {
    Remove(root);
    if (2 * (count_ + 1) > slots_.size()) Grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Slot(root, mask);
    while (slots_[at].root) at = (at + 1) & mask;
    slots_[at] = {root, index.release()};
    ++count_;
  }
  void Remove(const BspNode* root) {
    if (slots_.empty()) return;
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Slot(root, mask);
    while (slots_[at].root != root) {
      if (!slots_[at].root) return;
      at = (at + 1) & mask;
    }
    delete slots_[at].index;
    slots_[at] = {};
    --count_;
    // Moves back the entries after the hole that could no longer be found
    // past it (deletion without tombstones).
    for (std::size_t next = (at + 1) & mask; slots_[next].root; next = (next + 1) & mask) {
      const std::size_t home = Slot(slots_[next].root, mask);
      // The entry stays when its home lies cyclically in (at, next].
      const bool stays = at <= next ? (home > at && home <= next) : (home > at || home <= next);
      if (stays) continue;
      slots_[at] = slots_[next];
      slots_[next] = {};
      at = next;
    }
  }

 private:
  struct Entry {
    const BspNode* root;
    BspTreeIndex* index;
  };
  static std::size_t Slot(const BspNode* root, std::size_t mask) {
    const auto v = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(root)) * 0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(v ^ (v >> 31)) & mask;
  }
  void Grow() {
    std::vector<Entry> old(std::max<std::size_t>(1024, 2 * slots_.size()), Entry{});
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Entry& e : old) {
      if (!e.root) continue;
      std::size_t at = Slot(e.root, mask);
      while (slots_[at].root) at = (at + 1) & mask;
      slots_[at] = e;
    }
  }
  std::vector<Entry> slots_;
  std::size_t count_ = 0;
};

// Never destroyed, so that a tree freed during the program's exit still finds it.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

bool BspTreeIndex::SphereProbe::Set(const CVector3& centre, float radius) {
  const float c[3] = {centre.x, centre.y, centre.z};
  float extent = std::fabs(radius);
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(c[k])) return false;
    Centre[k] = c[k];
    extent = std::max(extent, std::fabs(c[k]));
  }
  if (!std::isfinite(radius) || !(radius >= 0)) return false;
  Radius = radius;
  Margin = 1e-3f + 1e-5f * extent;
  return true;
}

namespace {

// The box of the bounding spheres of a list's polygons, as the records
// store them; a centre or radius that is not a number (or a negative
// squared radius, whose root is none) gives no bound, as the walks never
// cull such a polygon.
BspTreeIndex::Box SphereBox(const BspPolygon* list) {
  BspTreeIndex::Box box = EmptyBox();
  for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) {
    const double r2 = p->RadiusSq;
    if (!std::isfinite(p->Centre[0]) || !std::isfinite(p->Centre[1]) || !std::isfinite(p->Centre[2]) ||
        !std::isfinite(r2) || r2 < 0)
      return WholeSpace();
    const double r = std::sqrt(r2) * (1 + 1e-6) + 1e-6;
    for (int a = 0; a < 3; ++a) {
      box.Min[a] = std::min(box.Min[a], static_cast<float>(p->Centre[a] - r));
      box.Max[a] = std::max(box.Max[a], static_cast<float>(p->Centre[a] + r));
    }
  }
  return box;
}

struct Range {
  std::uint32_t first, count;
};

// Halves order[first, first + count) at the median of the boxes' centres
// along the axis where the centres spread most.
std::pair<Range, Range> Halve(BspTreeIndex* index, std::vector<std::uint32_t>& order, Range r) {
  const auto& lists = index->Lists;
  float lo[3] = {kInf, kInf, kInf}, hi[3] = {-kInf, -kInf, -kInf};
  for (std::uint32_t k = r.first; k < r.first + r.count; ++k) {
    const BspTreeIndex::Box& b = lists[order[k]].Reach;
    for (int a = 0; a < 3; ++a) {
      const float c = 0.5f * (b.Min[a] + b.Max[a]);
      lo[a] = std::min(lo[a], c);
      hi[a] = std::max(hi[a], c);
    }
  }
  int axis = 0;
  for (int a = 1; a < 3; ++a)
    if (hi[a] - lo[a] > hi[axis] - lo[axis]) axis = a;
  const std::uint32_t half = r.count / 2;
  auto begin = order.begin() + r.first;
  std::nth_element(begin, begin + half, begin + r.count, [&](std::uint32_t x, std::uint32_t y) {
    return lists[x].Reach.Min[axis] + lists[x].Reach.Max[axis] < lists[y].Reach.Min[axis] + lists[y].Reach.Max[axis];
  });
  return {{r.first, half}, {r.first + half, r.count - half}};
}

// Builds the volume over order[r] (two lists or more) and answers its number:
// the lists are halved twice into up to four parts, a part of one list being
// a leaf and a larger one a volume of its own.
std::uint32_t BuildVolume(BspTreeIndex* index, std::vector<std::uint32_t>& order, Range r) {
  Range parts[4];
  int n = 0;
  if (r.count <= 4) {
    for (std::uint32_t k = 0; k < r.count; ++k) parts[n++] = {r.first + k, 1};
  } else {
    auto [left, right] = Halve(index, order, r);
    for (Range half : {left, right}) {
      auto [a, b] = Halve(index, order, half);
      parts[n++] = a;
      parts[n++] = b;
    }
  }
  const auto number = static_cast<std::uint32_t>(index->Volumes.size());
  index->Volumes.emplace_back();
  for (int i = 0; i < 4; ++i) {
    BspTreeIndex::Box box = EmptyBox();
    std::uint32_t child = BspTreeIndex::kNone;
    if (i < n) {
      for (std::uint32_t k = parts[i].first; k < parts[i].first + parts[i].count; ++k)
        Widen(&box, index->Lists[order[k]].Reach);
      child = parts[i].count == 1 ? (BspTreeIndex::kLeaf | order[parts[i].first]) : BuildVolume(index, order, parts[i]);
    }
    BspTreeIndex::Volume& v = index->Volumes[number];
    for (int a = 0; a < 3; ++a) {
      v.Min[a][i] = box.Min[a];
      v.Max[a][i] = box.Max[a];
    }
    v.Child[i] = child;
  }
  return number;
}

// Renumbers the volumes level by level (the root's children next after it,
// then theirs), so that the top levels, which every query reads, lie
// together and can be loaded at once.
void LevelOrder(std::vector<BspTreeIndex::Volume>* volumes) {
  std::vector<std::uint32_t> order{0};
  order.reserve(volumes->size());
  for (std::size_t k = 0; k < order.size(); ++k)
    for (std::uint32_t child : (*volumes)[order[k]].Child)
      if (child != BspTreeIndex::kNone && !(child & BspTreeIndex::kLeaf)) order.push_back(child);
  std::vector<std::uint32_t> number(volumes->size(), BspTreeIndex::kNone);
  for (std::uint32_t k = 0; k < order.size(); ++k) number[order[k]] = k;
  std::vector<BspTreeIndex::Volume> out;
  out.reserve(order.size());
  for (std::uint32_t old : order) {
    out.push_back((*volumes)[old]);
    for (std::uint32_t& child : out.back().Child)
      if (child != BspTreeIndex::kNone && !(child & BspTreeIndex::kLeaf)) child = number[child];
  }
  volumes->swap(out);
}

bool Unbounded(const BspTreeIndex::Box& b) {
  for (int a = 0; a < 3; ++a)
    if (!std::isfinite(b.Min[a]) || !std::isfinite(b.Max[a])) return true;
  return false;
}

}  // namespace

std::unique_ptr<BspTreeIndex> BspTreeIndex::Build(const BspNode* root) {
  auto index = std::make_unique<BspTreeIndex>();
  if (!root) return index;
  // Nodes in pre-order from an explicit stack (trees may be 1024 levels deep).
  struct Pending {
    const BspNode* node;
    std::uint32_t parent;
    bool front;
  };
  std::vector<Pending> pending{{root, kNone, false}};
  // Counted first, so that every table is allocated once.
  std::size_t nodes = 0, lists = 0, polygons = 0;
  while (!pending.empty()) {
    const BspNode* node = pending.back().node;
    pending.pop_back();
    ++nodes;
    for (std::uint32_t link : {node->PositiveList, node->NegativeList}) {
      if (!link) continue;
      ++lists;
      for (const BspPolygon* p = BspListAt(root, link); p; p = NextBspPolygon(p)) ++polygons;
    }
    if (node->Back) pending.push_back({BspNodeAt(root, node->Back), kNone, false});
    if (node->Front) pending.push_back({BspNodeAt(root, node->Front), kNone, false});
  }
  index->Nodes.reserve(nodes);
  index->Lists.reserve(lists);
  index->ListSpheres.reserve(lists);
  index->Polygons.reserve(polygons);
  pending.push_back({root, kNone, false});
  while (!pending.empty()) {
    Pending at = pending.back();
    pending.pop_back();
    const auto number = static_cast<std::uint32_t>(index->Nodes.size());
    if (at.parent != kNone) (at.front ? index->Nodes[at.parent].Front : index->Nodes[at.parent].Back) = number;
    Node node{};
    std::copy(at.node->Plane, at.node->Plane + 4, node.Plane);
    node.Front = node.Back = kNone;
    node.Parent = at.parent;
    node.Spheres = EmptyBox();
    const Axes axes = AxesFor(at.node->Plane);
    const std::uint32_t links[2] = {at.node->PositiveList, at.node->NegativeList};
    for (int k = 0; k < 2; ++k) {
      node.Lists[k] = kNone;
      if (!links[k]) continue;
      List list{};
      std::copy(at.node->Plane, at.node->Plane + 4, list.Plane);
      list.Offset = links[k];
      index->ListSpheres.push_back(SphereBox(BspListAt(root, links[k])));
      Widen(&node.Spheres, index->ListSpheres.back());
      list.Node = number;
      list.Side = static_cast<std::uint8_t>(k);
      list.Sibling = kNone;
      list.First = static_cast<std::uint32_t>(index->Polygons.size());
      list.U = axes.u;
      list.V = axes.v;
      for (const BspPolygon* p = BspListAt(root, links[k]); p; p = NextBspPolygon(p))
        index->Polygons.push_back(PolygonExtent(root, p, axes));
      list.Count = static_cast<std::uint32_t>(index->Polygons.size()) - list.First;
      list.Reach = ListBox(at.node->Plane, axes, index->Polygons.data() + list.First, list.Count);
      node.Lists[k] = static_cast<std::uint32_t>(index->Lists.size());
      index->Lists.push_back(list);
    }
    if (node.Lists[0] != kNone && node.Lists[1] != kNone) {
      index->Lists[node.Lists[0]].Sibling = node.Lists[1];
      index->Lists[node.Lists[1]].Sibling = node.Lists[0];
    }
    index->Nodes.push_back(node);
    if (at.node->Back) pending.push_back({BspNodeAt(root, at.node->Back), number, false});
    if (at.node->Front) pending.push_back({BspNodeAt(root, at.node->Front), number, true});
  }
  // Children come after their parent, so one backward pass gathers the subtrees.
  for (std::size_t i = index->Nodes.size(); i-- > 0;) {
    Node& node = index->Nodes[i];
    if (node.Front != kNone) Widen(&node.Spheres, index->Nodes[node.Front].Spheres);
    if (node.Back != kNone) Widen(&node.Spheres, index->Nodes[node.Back].Spheres);
  }
  // Lists whose boxes hold nothing are never met; those that bound nothing
  // are met by every segment; the others go into the hierarchy.
  std::vector<std::uint32_t> order;
  for (std::uint32_t l = 0; l < index->Lists.size(); ++l) {
    const Box& b = index->Lists[l].Reach;
    if (b.Min[0] > b.Max[0]) continue;
    (Unbounded(b) ? index->Always : order).push_back(l);
  }
  if (!order.empty()) {
    index->Volumes.reserve(order.size() / 2 + 1);
    BuildVolume(index.get(), order, {0, static_cast<std::uint32_t>(order.size())});
    LevelOrder(&index->Volumes);
    std::copy_n(index->Volumes.begin(), std::min<std::size_t>(kTop, index->Volumes.size()), index->Top);
  }
  index->Marks.assign(index->Nodes.size(), 0);
  return index;
}

void BspTreeIndex::MarkFrom(std::uint32_t node) const {
  while (node != kNone && Marks[node] != Stamp) {
    Marks[node] = Stamp;
    node = Nodes[node].Parent;
  }
}

void BspTreeIndex::ClearMarks() const {
  if (++Stamp == 0) {
    std::fill(Marks.begin(), Marks.end(), 0u);
    Stamp = 1;
  }
}

bool BspTreeIndex::Mark(const Probe& probe) const {
  ClearMarks();
  bool any = false;
  ForEachListMet(probe, [&](std::uint32_t l) {
    MarkFrom(Lists[l].Node);
    any = true;
    return false;
  });
  return any;
}

const BspTreeIndex* FindBspTreeIndex(const BspNode* root) {
  if (!root) return nullptr;
  return TheRegistry().Find(root);
}

void PrefetchBspTreeIndex(const BspNode* root) {
  if (!root) return;
  const Registry& r = TheRegistry();
  if (const void* slot = r.FirstSlot(root)) __builtin_prefetch(slot);
  const BspTreeIndex* index = r.Find(root);
  if (!index) return;
  const auto* bytes = reinterpret_cast<const char*>(index);
  for (std::size_t line = 0; line < sizeof(BspTreeIndex); line += 64) __builtin_prefetch(bytes + line);
}

void NoteBspTreeMade(const BspNode* root) {
  if (root) TheRegistry().Put(root, BspTreeIndex::Build(root));
}

void NoteBspTreeFreed(const BspNode* root) {
  if (root) TheRegistry().Remove(root);
}
