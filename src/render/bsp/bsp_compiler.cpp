#include "render/bsp/bsp_compiler.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/byte_reader.h"

namespace {

// Working maths in double: the stored planes and vertices are floats, but
// measuring them in double keeps the classification from adding rounding of
// its own to what the walks will see.
struct D3 {
  double x, y, z;
};
D3 ToD(const CVector3& v) { return {v.x, v.y, v.z}; }
D3 Sub(D3 a, D3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A plane a·x + b·y + c·z + d = 0 as stored in a node (floats, unit normal).
struct Plane {
  float n[3];
  float d;
  double Distance(const CVector3& p) const {
    return static_cast<double>(n[0]) * p.x + static_cast<double>(n[1]) * p.y + static_cast<double>(n[2]) * p.z + d;
  }
  double Facing(const Plane& o) const {
    return static_cast<double>(n[0]) * o.n[0] + static_cast<double>(n[1]) * o.n[1] + static_cast<double>(n[2]) * o.n[2];
  }
};

// Newell's normal of a polygon, taken about the centroid so that large
// coordinates do not swamp a small polygon's terms.  Its length is twice the
// polygon's area.  Answers false for a polygon of no area.
bool PlaneOf(const std::vector<CVector3>& v, Plane* plane) {
  std::size_t k = v.size();
  D3 c{0, 0, 0};
  for (const CVector3& p : v) c = {c.x + p.x, c.y + p.y, c.z + p.z};
  c = {c.x / static_cast<double>(k), c.y / static_cast<double>(k), c.z / static_cast<double>(k)};
  D3 n{0, 0, 0};
  double extent = 0;
  for (std::size_t i = 0; i < k; ++i) {
    D3 a = Sub(ToD(v[i]), c), b = Sub(ToD(v[(i + 1) % k]), c);
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
    extent = std::max(extent, Dot(a, a));
  }
  double length = std::sqrt(Dot(n, n));
  // No area: nothing to collide with, and no direction to face.  The bound is
  // relative to the polygon's size so that small and large objects are alike.
  if (!(length > 1e-9 * extent) || length < 1e-20) return false;
  D3 u{n.x / length, n.y / length, n.z / length};
  plane->n[0] = static_cast<float>(u.x);
  plane->n[1] = static_cast<float>(u.y);
  plane->n[2] = static_cast<float>(u.z);
  plane->d = static_cast<float>(-Dot(u, c));
  return true;
}

struct Polygon {
  std::vector<CVector3> vertices;
  std::uint16_t surface = 0;
  Plane plane{};
  // A sphere around the vertices, so that most side tests take one distance.
  CVector3 centre{};
  double radius = 0;

  void Bound() {
    D3 c{0, 0, 0};
    for (const CVector3& v : vertices) c = {c.x + v.x, c.y + v.y, c.z + v.z};
    double k = static_cast<double>(vertices.size());
    centre = {static_cast<float>(c.x / k), static_cast<float>(c.y / k), static_cast<float>(c.z / k)};
    radius = 0;
    for (const CVector3& v : vertices) {
      D3 d = Sub(ToD(v), ToD(centre));
      radius = std::max(radius, std::sqrt(Dot(d, d)));
    }
    radius += 1e-6 * radius + 1e-9;  // cover the rounding of the centre
  }
};

struct Node {
  Plane plane{};
  std::vector<Polygon> positive, negative;
  std::unique_ptr<Node> back, front;
};

// Cuts a polygon by a plane into its front and back parts (vertices within
// kBspOnPlane of the plane go to both).
void Split(const Polygon& p, const Plane& s, Polygon* front, Polygon* back) {
  front->surface = back->surface = p.surface;
  front->plane = back->plane = p.plane;
  std::size_t k = p.vertices.size();
  for (std::size_t i = 0; i < k; ++i) {
    const CVector3& a = p.vertices[i];
    const CVector3& b = p.vertices[(i + 1) % k];
    double da = s.Distance(a), db = s.Distance(b);
    if (da >= -kBspOnPlane) front->vertices.push_back(a);
    if (da <= kBspOnPlane) back->vertices.push_back(a);
    if ((da > kBspOnPlane && db < -kBspOnPlane) || (da < -kBspOnPlane && db > kBspOnPlane)) {
      // The crossing point a + t (b - a), t = da / (da - db), where the distance is 0.
      double t = da / (da - db);
      CVector3 m{static_cast<float>(a.x + (static_cast<double>(b.x) - a.x) * t),
                 static_cast<float>(a.y + (static_cast<double>(b.y) - a.y) * t),
                 static_cast<float>(a.z + (static_cast<double>(b.z) - a.z) * t)};
      front->vertices.push_back(m);
      back->vertices.push_back(m);
    }
  }
}

enum Side { kOn = 0, kFront = 1, kBack = -1, kStraddle = 2 };

Side SideOf(const Polygon& p, const Plane& s) {
  double centre = s.Distance(p.centre);
  if (centre > p.radius + kBspOnPlane) return kFront;
  if (centre < -p.radius - kBspOnPlane) return kBack;
  bool in_front = false, behind = false;
  for (const CVector3& v : p.vertices) {
    double d = s.Distance(v);
    if (d > kBspOnPlane) in_front = true;
    if (d < -kBspOnPlane) behind = true;
  }
  if (in_front && behind) return kStraddle;
  if (in_front) return kFront;
  if (behind) return kBack;
  return kOn;
}

class Compiler {
 public:
  explicit Compiler(BspCompileReport* report) : report_(report) {}

  // Checks the input and turns it into working polygons.
  bool Prepare(const BspSource& source, std::vector<Polygon>* out) {
    for (std::size_t i = 0; i < source.size(); ++i) {
      const BspSourcePolygon& in = source[i];
      for (const CVector3& v : in.Vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
          return Fail("polygon " + std::to_string(i) + " has a coordinate that is not a finite number");
      }
      if (in.Vertices.size() > 0xFFFF)
        return Fail("polygon " + std::to_string(i) + " has " + std::to_string(in.Vertices.size()) +
                    " vertices; a record holds at most 65535");
      Polygon p;
      p.surface = in.SurfaceId;
      // Repeated vertices add nothing and would give zero-length edges.
      for (const CVector3& v : in.Vertices) {
        if (!p.vertices.empty() && std::memcmp(&p.vertices.back(), &v, sizeof v) == 0) continue;
        p.vertices.push_back(v);
      }
      while (p.vertices.size() > 1 && std::memcmp(&p.vertices.back(), &p.vertices.front(), sizeof(CVector3)) == 0)
        p.vertices.pop_back();
      if (p.vertices.size() < 3 || !PlaneOf(p.vertices, &p.plane)) {
        ++report_->Dropped;
        continue;
      }
      if (p.vertices.size() > 3 && !Flat(p)) {
        // Not one plane: store it as a fan of triangles, each flat by construction.
        ++report_->Triangulated;
        for (std::size_t k = 1; k + 1 < p.vertices.size(); ++k) {
          Polygon t;
          t.surface = p.surface;
          t.vertices = {p.vertices[0], p.vertices[k], p.vertices[k + 1]};
          if (PlaneOf(t.vertices, &t.plane)) {
            t.Bound();
            out->push_back(std::move(t));
          }
        }
        continue;
      }
      p.Bound();
      out->push_back(std::move(p));
    }
    return true;
  }

  std::unique_ptr<Node> Build(std::vector<Polygon> items, int depth) {
    if (items.empty() || failed_) return nullptr;
    if (depth > static_cast<int>(kBspMaxDepth)) {
      Fail("the tree would be deeper than " + std::to_string(kBspMaxDepth) + " levels");
      return nullptr;
    }
    report_->Depth = std::max(report_->Depth, depth);
    ++report_->Nodes;
    std::size_t best = ChooseSplitter(items);
    auto node = std::make_unique<Node>();
    node->plane = items[best].plane;
    std::vector<Side> sides(items.size());
    std::size_t fronts = 0, backs = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      // The splitter lies in its own plane whatever rounding says, so every level consumes it.
      sides[i] = i == best ? kOn : SideOf(items[i], node->plane);
      fronts += sides[i] == kFront || sides[i] == kStraddle;
      backs += sides[i] == kBack || sides[i] == kStraddle;
    }
    // The larger side keeps the storage of `items` (compacted in place), the
    // smaller one gets a vector of its own: a lopsided soup, such as the walls
    // of a convex solid, then costs no allocation per level.
    const Side big = fronts >= backs ? kFront : kBack;
    std::vector<Polygon> small, big_pieces;
    small.reserve(big == kFront ? backs : fronts);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
      Polygon& it = items[i];
      switch (sides[i]) {
        case kOn:
          ++report_->Polygons;
          (it.plane.Facing(node->plane) > 0 ? node->positive : node->negative).push_back(std::move(it));
          break;
        case kFront:
        case kBack:
          if (sides[i] != big) {
            small.push_back(std::move(it));
          } else if (kept != i) {
            items[kept++] = std::move(it);
          } else {
            ++kept;
          }
          break;
        case kStraddle: {
          ++report_->Cuts;
          Polygon f, b;
          Split(it, node->plane, &f, &b);
          for (auto [piece, side] : {std::pair{&f, kFront}, std::pair{&b, kBack}}) {
            if (piece->vertices.size() < 3) continue;
            piece->Bound();
            (side == big ? big_pieces : small).push_back(std::move(*piece));
          }
        }
      }
    }
    items.resize(kept);
    for (Polygon& p : big_pieces) items.push_back(std::move(p));
    std::vector<Polygon>& front = big == kFront ? items : small;
    std::vector<Polygon>& back = big == kFront ? small : items;
    node->back = Build(std::move(back), depth + 1);
    node->front = Build(std::move(front), depth + 1);
    return node;
  }

  bool Failed() const { return failed_; }

  bool Fail(std::string why) {
    failed_ = true;
    report_->Error = std::move(why);
    return false;
  }

 private:
  // Every vertex within kBspOnPlane of the polygon's plane.
  static bool Flat(const Polygon& p) {
    for (const CVector3& v : p.vertices)
      if (std::fabs(p.plane.Distance(v)) > kBspOnPlane) return false;
    return true;
  }

  // The splitter among up to eight evenly spread candidates: fewest cuts
  // first (each cut adds a polygon), then the best balance of the two sides
  // (which keeps the tree shallow).
  static std::size_t ChooseSplitter(const std::vector<Polygon>& items) {
    std::size_t best = 0;
    long best_score = -1;
    std::size_t step = std::max<std::size_t>(1, items.size() / 8);
    for (std::size_t c = 0; c < items.size(); c += step) {
      long cuts = 0, fronts = 0, backs = 0;
      for (const Polygon& it : items) {
        Side side = SideOf(it, items[c].plane);
        cuts += side == kStraddle;
        fronts += side == kFront;
        backs += side == kBack;
      }
      long score = cuts * 8 + std::labs(fronts - backs);
      if (best_score < 0 || score < best_score) best_score = score, best = c;
    }
    return best;
  }

  BspCompileReport* report_;
  bool failed_ = false;
};

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutF32(std::vector<std::uint8_t>& out, std::size_t at, float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(out, at, bits);
}

// A list: the records end to end, a zero word, padding to a multiple of 16.
std::uint32_t EmitList(std::vector<std::uint8_t>& out, const std::vector<Polygon>& list) {
  if (list.empty()) return 0;
  std::size_t start = out.size();
  for (const Polygon& p : list) {
    std::size_t at = out.size();
    out.resize(at + sizeof(BspPolygon) + 12 * p.vertices.size(), 0);
    out[at] = static_cast<std::uint8_t>(p.vertices.size());
    out[at + 1] = static_cast<std::uint8_t>(p.vertices.size() >> 8);
    out[at + 2] = static_cast<std::uint8_t>(p.surface);
    out[at + 3] = static_cast<std::uint8_t>(p.surface >> 8);
    for (std::size_t k = 0; k < p.vertices.size(); ++k) {
      PutF32(out, at + 20 + 12 * k, p.vertices[k].x);
      PutF32(out, at + 24 + 12 * k, p.vertices[k].y);
      PutF32(out, at + 28 + 12 * k, p.vertices[k].z);
    }
    // The bounds exactly as the engine computes them, from the stored floats.
    ComputeBspPolygonBounds(reinterpret_cast<BspPolygon*>(out.data() + at));
  }
  std::size_t bytes = out.size() - start;
  out.resize(start + ((bytes + 4 + 15) / 16) * 16, 0);
  return static_cast<std::uint32_t>(start);
}

// Pre-order: node, its lists, back subtree, front subtree.
std::uint32_t Emit(std::vector<std::uint8_t>& out, const Node* node) {
  if (!node) return 0;
  std::size_t at = out.size();
  out.resize(at + sizeof(BspNode), 0);
  for (int i = 0; i < 3; ++i) PutF32(out, at + 4 * i, node->plane.n[i]);
  PutF32(out, at + 12, node->plane.d);
  std::uint32_t pos = EmitList(out, node->positive);
  std::uint32_t neg = EmitList(out, node->negative);
  std::uint32_t back = Emit(out, node->back.get());
  std::uint32_t front = Emit(out, node->front.get());
  PutU32(out, at + 16, pos);
  PutU32(out, at + 20, neg);
  PutU32(out, at + 24, back);
  PutU32(out, at + 28, front);
  return static_cast<std::uint32_t>(at);
}

}  // namespace

bool CompileBspBlock(const BspSource& source, std::vector<std::uint8_t>* block, BspCompileReport* report) {
  BspCompileReport local;
  if (!report) report = &local;
  *report = {};
  block->clear();
  Compiler compiler(report);
  std::vector<Polygon> items;
  if (!compiler.Prepare(source, &items)) return false;
  if (items.empty()) {
    block->resize(sizeof(BspNode), 0);  // a lone node with no lists
    report->Nodes = report->Depth = 1;
    return true;
  }
  std::unique_ptr<Node> root = compiler.Build(std::move(items), 1);
  if (compiler.Failed()) {
    *report = {.Error = report->Error};
    return false;
  }
  Emit(*block, root.get());
  if (block->size() > 0xFFFFFFFFu) {
    block->clear();
    return compiler.Fail("the tree is larger than a block's 32-bit links can reach");
  }
  return true;
}

bool WriteBspSection(const BspSource& source, ByteWriter& out, BspCompileReport* report) {
  std::vector<std::uint8_t> block;
  if (!CompileBspBlock(source, &block, report)) return false;
  out.Tag("BSPT");
  out.U32(static_cast<std::uint32_t>(block.size()));
  out.Bytes(block.data(), block.size());
  return true;
}

BspTreePtr CompileBspTree(const BspSource& source, BspCompileReport* report) {
  BspCompileReport local;
  if (!report) report = &local;
  std::vector<std::uint8_t> block;
  if (!CompileBspBlock(source, &block, report)) return nullptr;
  BspTreePtr tree = MakeBspTree(block.data(), block.size());
  if (!tree) report->Error = "the compiled block was refused by the loader";
  return tree;
}
