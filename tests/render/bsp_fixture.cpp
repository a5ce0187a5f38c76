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

// Newell's normal of a polygon (unnormalised): which way it faces.
V3 NormalOf(const std::vector<V3>& v) {
  V3 n{0, 0, 0};
  for (std::size_t i = 0; i < v.size(); ++i) {
    V3 a = v[i], b = v[(i + 1) % v.size()];
    n.x += (a.y - b.y) * (a.z + b.z);
    n.y += (a.z - b.z) * (a.x + b.x);
    n.z += (a.x - b.x) * (a.y + b.y);
  }
  return n;
}

// A quad wound so that its normal points along `facing`.
BspSourcePolygon Quad(V3 a, V3 b, V3 c, V3 d, std::uint16_t surface, V3 facing) {
  BspSourcePolygon p{{a, b, c, d}, surface};
  if (Dot(NormalOf(p.Vertices), facing) < 0) std::reverse(p.Vertices.begin(), p.Vertices.end());
  return p;
}

}  // namespace

std::vector<std::uint8_t> CompileBlock(const Soup& soup) {
  std::vector<std::uint8_t> block;
  BspCompileReport report;
  if (!CompileBspBlock(soup, &block, &report)) {
    // Every soup of the tests is valid: nothing after this is meaningful.
    std::fprintf(stderr, "bsp_fixture: the compiler refused the soup: %s\n", report.Error.c_str());
    std::abort();
  }
  return block;
}

std::vector<std::uint8_t> CompileSection(const Soup& soup) {
  ByteWriter w;
  BspCompileReport report;
  if (!WriteBspSection(soup, w, &report)) {
    std::fprintf(stderr, "bsp_fixture: the compiler refused the soup: %s\n", report.Error.c_str());
    std::abort();
  }
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
    BspSourcePolygon p;
    p.SurfaceId = static_cast<std::uint16_t>(surf(rng));
    for (float a : angles) p.Vertices.push_back(Add(c, Add(Scale(u, r * std::cos(a)), Scale(v, r * std::sin(a)))));
    // Reject slivers: every vertex at least a little apart from the next.
    bool sliver = false;
    for (int i = 0; i < k; ++i) {
      V3 e = Sub(p.Vertices[(i + 1) % k], p.Vertices[i]);
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
