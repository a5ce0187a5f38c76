// Closed and open triangle shapes for the shadow tests, made in code: every
// triangle clockwise seen from its front (its normal (p0 - p1) x (p0 - p2)
// points out), each face of a box with vertices of its own (as a lit mesh
// has them), and the loading of a shape as a mesh part.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "foundation/byte_reader.h"
#include "render/geometry/render_vertex.h"
#include "scene/mesh/mesh_section_writer.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/shadows/shadow_faces.h"

namespace shadow_test {

struct Shape {
  std::vector<RenderVertex> Vertices;
  std::vector<std::uint16_t> Indices;
};

inline CVector3 At(const Shape& s, std::uint16_t i) { return {s.Vertices[i].x, s.Vertices[i].y, s.Vertices[i].z}; }

// A triangle turned so that its normal points along `out`.
inline void AddTriangle(Shape* s, std::uint16_t a, std::uint16_t b, std::uint16_t c, const CVector3& out) {
  const CVector3 n = ShadowFaceNormal(At(*s, a), At(*s, b), At(*s, c));
  if (n.x * out.x + n.y * out.y + n.z * out.z < 0.0f) std::swap(b, c);
  s->Indices.insert(s->Indices.end(), {a, b, c});
}

inline void AddVertex(Shape* s, const CVector3& p, const CVector3& n, std::uint32_t colour) {
  s->Vertices.push_back({p.x, p.y, p.z, n.x, n.y, n.z, colour, 0.0f, 0.0f});
}

// A box from lo to hi: six faces of four vertices and two triangles.
inline Shape Box(const CVector3& lo, const CVector3& hi, std::uint32_t colour = 0xFFFFFFFF) {
  Shape s;
  const float x[2] = {lo.x, hi.x}, y[2] = {lo.y, hi.y}, z[2] = {lo.z, hi.z};
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      CVector3 n{};
      (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = side == 0 ? -1.0f : 1.0f;
      const auto base = static_cast<std::uint16_t>(s.Vertices.size());
      // The four corners of the face in order round it.
      const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      for (const auto& c : corners) {
        CVector3 p{};
        if (axis == 0) p = {x[side], y[c[0]], z[c[1]]};
        if (axis == 1) p = {x[c[0]], y[side], z[c[1]]};
        if (axis == 2) p = {x[c[0]], y[c[1]], z[side]};
        AddVertex(&s, p, n, colour);
      }
      AddTriangle(&s, base, static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2), n);
      AddTriangle(&s, base, static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 3), n);
    }
  }
  return s;
}

// A flat square at height y from -h to h on x and z, facing up.
inline Shape Ground(float h, float y = 0.0f, std::uint32_t colour = 0xFFFFFFFF) {
  Shape s;
  const CVector3 up{0.0f, 1.0f, 0.0f};
  AddVertex(&s, {-h, y, -h}, up, colour);
  AddVertex(&s, {h, y, -h}, up, colour);
  AddVertex(&s, {h, y, h}, up, colour);
  AddVertex(&s, {-h, y, h}, up, colour);
  AddTriangle(&s, 0, 1, 2, up);
  AddTriangle(&s, 0, 2, 3, up);
  return s;
}

// A tetrahedron standing on its base (y = base) with its apex above at `top`.
inline Shape Tetrahedron(const CVector3& centre, float r, float top) {
  Shape s;
  const CVector3 p[4] = {{centre.x - r, centre.y, centre.z - r},
                         {centre.x + r, centre.y, centre.z - r},
                         {centre.x, centre.y, centre.z + r},
                         {centre.x, centre.y + top, centre.z}};
  for (const CVector3& q : p) AddVertex(&s, q, {0.0f, 1.0f, 0.0f}, 0xFFFFFFFF);
  const CVector3 middle{centre.x, centre.y + top * 0.25f, centre.z};
  const int faces[4][3] = {{0, 1, 2}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
  for (const auto& f : faces) {
    const CVector3 a = p[f[0]], b = p[f[1]], c = p[f[2]];
    const CVector3 out{(a.x + b.x + c.x) / 3 - middle.x, (a.y + b.y + c.y) / 3 - middle.y,
                       (a.z + b.z + c.z) / 3 - middle.z};
    AddTriangle(&s, static_cast<std::uint16_t>(f[0]), static_cast<std::uint16_t>(f[1]),
                static_cast<std::uint16_t>(f[2]), out);
  }
  return s;
}

// Several shapes as one.
inline Shape Joined(const std::vector<Shape>& shapes) {
  Shape out;
  for (const Shape& s : shapes) {
    const auto base = static_cast<std::uint16_t>(out.Vertices.size());
    out.Vertices.insert(out.Vertices.end(), s.Vertices.begin(), s.Vertices.end());
    for (std::uint16_t i : s.Indices) out.Indices.push_back(static_cast<std::uint16_t>(base + i));
  }
  return out;
}

// The shape as one listed mesh part (through the part's own reader).
inline void LoadPart(CVertexBuffer& part, const Shape& s, std::uint32_t textureId = 0) {
  MeshPartSource source;
  source.TextureId = textureId;
  source.Vertices = s.Vertices;
  source.ListIndices = s.Indices;
  ByteWriter out;
  WriteMeshPart(out, source);
  ByteReader in(out.Data().data(), out.Data().size());
  ASSERT_TRUE(part.Load(in, 0));
}

}  // namespace shadow_test
