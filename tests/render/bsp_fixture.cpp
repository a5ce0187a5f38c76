#include "render/bsp_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <memory>

#include "foundation/byte_reader.h"

namespace bsp_fixture {
namespace {

V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 Scale(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Unit(V3 a) {
  float l = std::sqrt(Dot(a, a));
  return l > 0 ? Scale(a, 1.0f / l) : a;
}

struct Plane {
  V3 n;
  float d;
  float Distance(V3 p) const { return Dot(n, p) + d; }
};

// Newell's normal, taken about the centroid so that large coordinates do not
// swamp a small polygon's terms.
Plane PlaneOf(const SoupPolygon& p) {
  std::size_t k = p.vertices.size();
  V3 c{0, 0, 0};
  for (V3 v : p.vertices) c = Add(c, v);
  c = Scale(c, 1.0f / static_cast<float>(k));
  V3 n{0, 0, 0};
  for (std::size_t i = 0; i < k; ++i) {
    V3 a = Sub(p.vertices[i], c), b = Sub(p.vertices[(i + 1) % k], c);
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  n = Unit(n);
  return {n, -Dot(n, c)};
}

// Within the walks' 0.0001 allowance, so a polygon never strays across its node's planes by more.
constexpr float kOnPlane = 5e-5f;

struct Item {
  SoupPolygon polygon;
  Plane plane;
};

struct Node {
  Plane plane;
  std::vector<SoupPolygon> positive, negative;
  std::unique_ptr<Node> back, front;
};

// Cuts a polygon by a plane into its front and back parts (vertices within
// kOnPlane go to both).
void Split(const SoupPolygon& p, const Plane& s, SoupPolygon* front, SoupPolygon* back) {
  front->surface = back->surface = p.surface;
  std::size_t k = p.vertices.size();
  for (std::size_t i = 0; i < k; ++i) {
    V3 a = p.vertices[i], b = p.vertices[(i + 1) % k];
    float da = s.Distance(a), db = s.Distance(b);
    if (da >= -kOnPlane) front->vertices.push_back(a);
    if (da <= kOnPlane) back->vertices.push_back(a);
    if ((da > kOnPlane && db < -kOnPlane) || (da < -kOnPlane && db > kOnPlane)) {
      V3 m = Add(a, Scale(Sub(b, a), da / (da - db)));
      front->vertices.push_back(m);
      back->vertices.push_back(m);
    }
  }
}

int Side(const Item& item, const Plane& s) {
  bool in_front = false, behind = false;
  for (V3 v : item.polygon.vertices) {
    float d = s.Distance(v);
    if (d > kOnPlane) in_front = true;
    if (d < -kOnPlane) behind = true;
  }
  if (in_front && behind) return 2;
  if (in_front) return 1;
  if (behind) return -1;
  return 0;
}

std::unique_ptr<Node> Build(std::vector<Item> items) {
  if (items.empty()) return nullptr;
  // Pick the splitter among a few candidates: fewest cuts, then best balance.
  std::size_t best = 0;
  long best_score = -1;
  std::size_t step = std::max<std::size_t>(1, items.size() / 8);
  for (std::size_t c = 0; c < items.size(); c += step) {
    long cuts = 0, fronts = 0, backs = 0;
    for (const Item& it : items) {
      int side = Side(it, items[c].plane);
      cuts += side == 2;
      fronts += side == 1;
      backs += side == -1;
    }
    long score = cuts * 8 + std::labs(fronts - backs);
    if (best_score < 0 || score < best_score) best_score = score, best = c;
  }
  auto node = std::make_unique<Node>();
  node->plane = items[best].plane;
  std::vector<Item> front, back;
  for (std::size_t i = 0; i < items.size(); ++i) {
    Item& it = items[i];
    // The splitter always lies in its own plane, whatever rounding says, so every level consumes it.
    switch (i == best ? 0 : Side(it, node->plane)) {
      case 0:
        (Dot(it.plane.n, node->plane.n) > 0 ? node->positive : node->negative).push_back(std::move(it.polygon));
        break;
      case 1:
        front.push_back(std::move(it));
        break;
      case -1:
        back.push_back(std::move(it));
        break;
      default: {
        SoupPolygon f, b;
        Split(it.polygon, node->plane, &f, &b);
        if (f.vertices.size() >= 3) front.push_back({f, it.plane});
        if (b.vertices.size() >= 3) back.push_back({b, it.plane});
      }
    }
  }
  node->back = Build(std::move(back));
  node->front = Build(std::move(front));
  return node;
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutF32(std::vector<std::uint8_t>& out, std::size_t at, float f) {
  std::uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutU32(out, at, bits);
}

std::uint32_t EmitList(std::vector<std::uint8_t>& out, const std::vector<SoupPolygon>& list) {
  if (list.empty()) return 0;
  std::size_t start = out.size();
  for (const SoupPolygon& p : list) {
    std::size_t at = out.size();
    out.resize(at + 20 + 12 * p.vertices.size());
    out[at] = static_cast<std::uint8_t>(p.vertices.size());
    out[at + 1] = static_cast<std::uint8_t>(p.vertices.size() >> 8);
    out[at + 2] = static_cast<std::uint8_t>(p.surface);
    out[at + 3] = static_cast<std::uint8_t>(p.surface >> 8);
    for (std::size_t k = 0; k < p.vertices.size(); ++k) {
      PutF32(out, at + 20 + 12 * k, p.vertices[k].x);
      PutF32(out, at + 24 + 12 * k, p.vertices[k].y);
      PutF32(out, at + 28 + 12 * k, p.vertices[k].z);
    }
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
  out.resize(at + 32, 0);
  PutF32(out, at, node->plane.n.x);
  PutF32(out, at + 4, node->plane.n.y);
  PutF32(out, at + 8, node->plane.n.z);
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

// A quad wound so that its normal points along `facing`.
SoupPolygon Quad(V3 a, V3 b, V3 c, V3 d, std::uint16_t surface, V3 facing) {
  SoupPolygon p{{a, b, c, d}, surface};
  if (Dot(PlaneOf(p).n, facing) < 0) std::reverse(p.vertices.begin(), p.vertices.end());
  return p;
}

}  // namespace

std::vector<std::uint8_t> CompileBlock(const Soup& soup) {
  std::vector<Item> items;
  for (const SoupPolygon& p : soup) items.push_back({p, PlaneOf(p)});
  std::unique_ptr<Node> root = Build(std::move(items));
  std::vector<std::uint8_t> out;
  if (!root) {
    out.resize(32, 0);  // a lone node with no lists
    return out;
  }
  Emit(out, root.get());
  return out;
}

std::vector<std::uint8_t> CompileSection(const Soup& soup) {
  std::vector<std::uint8_t> block = CompileBlock(soup);
  ByteWriter w;
  w.Tag("BSPT");
  w.U32(static_cast<std::uint32_t>(block.size()));
  w.Bytes(block.data(), block.size());
  return w.Data();
}

BspTreePtr CompileTree(const Soup& soup) {
  std::vector<std::uint8_t> block = CompileBlock(soup);
  BspTreePtr tree = MakeBspTree(block.data(), block.size());
  if (!tree) {
    // The compiler and the loader disagree about the layout: nothing after this is meaningful.
    std::fprintf(stderr, "bsp_fixture: the compiled block of %zu bytes was refused\n", block.size());
    std::abort();
  }
  return tree;
}

Soup Room(float h, std::uint16_t surface) {
  return {
      Quad({-h, -h, -h}, {h, -h, -h}, {h, -h, h}, {-h, -h, h}, surface, {0, 1, 0}),   // floor
      Quad({-h, h, -h}, {-h, h, h}, {h, h, h}, {h, h, -h}, surface, {0, -1, 0}),      // ceiling
      Quad({-h, -h, -h}, {-h, -h, h}, {-h, h, h}, {-h, h, -h}, surface, {1, 0, 0}),   // x = -h
      Quad({h, -h, -h}, {h, h, -h}, {h, h, h}, {h, -h, h}, surface, {-1, 0, 0}),      // x = +h
      Quad({-h, -h, -h}, {-h, h, -h}, {h, h, -h}, {h, -h, -h}, surface, {0, 0, 1}),   // z = -h
      Quad({-h, -h, h}, {h, -h, h}, {h, h, h}, {-h, h, h}, surface, {0, 0, -1}),      // z = +h
  };
}

Soup Stair(int steps, float rise, float run) {
  Soup s;
  for (int i = 0; i < steps; ++i) {
    float y0 = rise * static_cast<float>(i), y1 = y0 + rise;
    float z0 = run * static_cast<float>(i), z1 = z0 + run;
    s.push_back(Quad({0, y0, z0}, {0, y1, z0}, {1, y1, z0}, {1, y0, z0}, 1, {0, 0, -1}));  // riser
    s.push_back(Quad({0, y1, z0}, {0, y1, z1}, {1, y1, z1}, {1, y1, z0}, 2, {0, 1, 0}));  // tread
  }
  return s;
}

Soup RandomConvex(std::mt19937& rng, int count, float half, float rmin, float rmax, int surfaces) {
  std::uniform_real_distribution<float> pos(-half, half), unit(-1, 1), rad(rmin, rmax), ang(0, 6.2831853f);
  std::uniform_int_distribution<int> sides(3, 8), surf(0, surfaces - 1);
  Soup soup;
  while (static_cast<int>(soup.size()) < count) {
    V3 n{unit(rng), unit(rng), unit(rng)};
    if (Dot(n, n) < 0.05f) continue;
    n = Unit(n);
    V3 helper = std::fabs(n.x) < 0.9f ? V3{1, 0, 0} : V3{0, 1, 0};
    V3 u = Unit(Cross(n, helper)), v = Cross(n, u);
    V3 c{pos(rng), pos(rng), pos(rng)};
    float r = rad(rng);
    int k = sides(rng);
    std::vector<float> angles(k);
    for (float& a : angles) a = ang(rng);
    std::sort(angles.begin(), angles.end());
    SoupPolygon p;
    p.surface = static_cast<std::uint16_t>(surf(rng));
    for (float a : angles) p.vertices.push_back(Add(c, Add(Scale(u, r * std::cos(a)), Scale(v, r * std::sin(a)))));
    // Reject slivers: every vertex at least a little apart from the next.
    bool sliver = false;
    for (int i = 0; i < k; ++i) {
      V3 e = Sub(p.vertices[(i + 1) % k], p.vertices[i]);
      if (Dot(e, e) < 1e-4f * r * r) sliver = true;
    }
    if (!sliver) soup.push_back(std::move(p));
  }
  return soup;
}

std::vector<FlatPolygon> Flatten(const BspNode* root) {
  std::vector<FlatPolygon> out;
  std::vector<const BspNode*> pending{root};
  while (!pending.empty()) {
    const BspNode* node = pending.back();
    pending.pop_back();
    if (!node) continue;
    for (int side = 0; side < 2; ++side) {
      const BspPolygon* list = BspListAt(root, side == 0 ? node->PositiveList : node->NegativeList);
      for (const BspPolygon* p = list; p; p = NextBspPolygon(p)) {
        FlatPolygon f{p, {}, {}, side == 0};
        for (int i = 0; i < 4; ++i) {
          f.node_plane[i] = node->Plane[i];
          f.plane_used[i] = side == 0 ? node->Plane[i] : -node->Plane[i];
        }
        out.push_back(f);
      }
    }
    pending.push_back(BspNodeAt(root, node->Back));
    pending.push_back(BspNodeAt(root, node->Front));
  }
  return out;
}

std::vector<std::uint8_t> QuadRecord(const float (&vertices)[12]) {
  std::vector<std::uint8_t> bytes(sizeof(BspPolygon) + sizeof vertices, 0);
  auto* quad = reinterpret_cast<BspPolygon*>(bytes.data());
  quad->VertexCount = 4;
  std::memcpy(quad->Vertex(0), vertices, sizeof vertices);
  ComputeBspPolygonBounds(quad);
  return bytes;
}

CSweptSphere MakeSweep(CVector3 start, float radius, CVector3 motion) {
  CSweptSphere r{};
  r.Sphere.Set(start, radius);
  r.Motion = motion;
  r.Length = std::sqrt(motion.x * motion.x + motion.y * motion.y + motion.z * motion.z);
  float inv = r.Length > 0 ? 1.0f / r.Length : 0.0f;
  r.Direction = {motion.x * inv, motion.y * inv, motion.z * inv};
  r.Bounds.Set({start.x + motion.x * 0.5f, start.y + motion.y * 0.5f, start.z + motion.z * 0.5f},
               r.Length * 0.5f + radius);
  return r;
}

}  // namespace bsp_fixture
