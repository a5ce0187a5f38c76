// Triangle meshes made in code for the stripifier's tests and benchmark:
// 16-bit index lists, every triangle counter-clockwise seen from outside.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace test_meshes {

using Mesh = std::vector<std::uint16_t>;

inline void AddTri(Mesh* m, int a, int b, int c) {
  m->push_back(static_cast<std::uint16_t>(a));
  m->push_back(static_cast<std::uint16_t>(b));
  m->push_back(static_cast<std::uint16_t>(c));
}

// w x h quads of two triangles over (w + 1) x (h + 1) vertices, row by row.
inline Mesh Grid(int w, int h) {
  Mesh m;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = y * (w + 1) + x;
      AddTri(&m, v, v + 1, v + w + 1);
      AddTri(&m, v + 1, v + w + 2, v + w + 1);
    }
  return m;
}

// n triangles around vertex 0, closed.
inline Mesh Fan(int n) {
  Mesh m;
  for (int i = 0; i < n; ++i) AddTri(&m, 0, 1 + i, 1 + (i + 1) % n);
  return m;
}

// A closed latitude-longitude sphere: two pole fans and rings - 2 bands of
// quads; 2 x segments x (rings - 1) triangles.
inline Mesh Sphere(int rings, int segments) {
  Mesh m;
  const int top = 0;
  const int bottom = 1 + (rings - 1) * segments;
  auto at = [&](int ring, int seg) { return 1 + ring * segments + seg % segments; };
  for (int s = 0; s < segments; ++s) AddTri(&m, top, at(0, s + 1), at(0, s));
  for (int r = 0; r + 1 < rings - 1; ++r)
    for (int s = 0; s < segments; ++s) {
      AddTri(&m, at(r, s), at(r, s + 1), at(r + 1, s));
      AddTri(&m, at(r, s + 1), at(r + 1, s + 1), at(r + 1, s));
    }
  for (int s = 0; s < segments; ++s) AddTri(&m, bottom, at(rings - 2, s), at(rings - 2, s + 1));
  return m;
}

// The triangles in random order, each started at a random corner (same
// winding).
inline Mesh Shuffled(Mesh m, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::array<int, 3>> tris;
  for (std::size_t i = 0; i + 2 < m.size(); i += 3) tris.push_back({m[i], m[i + 1], m[i + 2]});
  std::shuffle(tris.begin(), tris.end(), rng);
  Mesh out;
  for (auto t : tris) {
    std::rotate(t.begin(), t.begin() + rng() % 3, t.end());
    AddTri(&out, t[0], t[1], t[2]);
  }
  return out;
}

inline int VertexCount(const Mesh& m) { return m.empty() ? 0 : *std::max_element(m.begin(), m.end()) + 1; }

}  // namespace test_meshes
