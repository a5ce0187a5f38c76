#include "make_objects/shape_builder.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

float Dot(CVector3 a, CVector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
CVector3 Unit(CVector3 a) {
  float l = std::sqrt(Dot(a, a));
  return l > 0 ? CVector3{a.x / l, a.y / l, a.z / l} : a;
}

RenderVertex Vertex(CVector3 p, CVector3 n, float u, float v) { return {p.x, p.y, p.z, n.x, n.y, n.z, 0, u, v}; }

class FaceWriter {
 public:
  FaceWriter(const ShapeSource& shape, std::vector<ShapeFace>* faces) : shape_(shape), faces_(faces) {}

  // A flat face through the points (in order around it), turned to face
  // `out`, with flat normals and planar texture coordinates: the face is
  // projected on the axis plane nearest to it, u along x (or z for faces
  // looking along x) and v down y (or along z for faces looking up or down).
  void Flat(std::vector<CVector3> points, CVector3 out) {
    CVector3 n{0, 0, 0};
    for (std::size_t i = 0; i < points.size(); ++i) {
      CVector3 a = points[i], b = points[(i + 1) % points.size()];
      n = {n.x + (a.y - b.y) * (a.z + b.z), n.y + (a.z - b.z) * (a.x + b.x), n.z + (a.x - b.x) * (a.y + b.y)};
    }
    if (Dot(n, out) < 0) std::reverse(points.begin(), points.end());
    n = Unit(out);
    float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    ShapeFace face;
    for (const CVector3& p : points) {
      float u, v;
      if (ay >= ax && ay >= az) {
        u = p.x, v = n.y > 0 ? -p.z : p.z;
      } else if (ax >= az) {
        u = n.x > 0 ? -p.z : p.z, v = -p.y;
      } else {
        u = n.z > 0 ? p.x : -p.x, v = -p.y;
      }
      face.Corners.push_back(Vertex(p, n, u, v));
    }
    Scale(&face);
    Add(std::move(face));
  }

  // Scales planar coordinates: by the tile size, or to one repeat across the
  // face when there is none (the face's smallest corner at 0, largest at 1).
  void Scale(ShapeFace* face) const {
    if (shape_.Tile > 0) {
      for (RenderVertex& c : face->Corners) c.u /= shape_.Tile, c.v /= shape_.Tile;
      return;
    }
    float u0 = face->Corners[0].u, u1 = u0, v0 = face->Corners[0].v, v1 = v0;
    for (const RenderVertex& c : face->Corners) {
      u0 = std::min(u0, c.u), u1 = std::max(u1, c.u), v0 = std::min(v0, c.v), v1 = std::max(v1, c.v);
    }
    for (RenderVertex& c : face->Corners) {
      c.u = u1 > u0 ? (c.u - u0) / (u1 - u0) : 0;
      c.v = v1 > v0 ? (c.v - v0) / (v1 - v0) : 0;
    }
  }

  // A face whose vertices are complete but for position offset and colour.
  void Add(ShapeFace face) {
    for (RenderVertex& c : face.Corners) {
      c.x += shape_.At.x, c.y += shape_.At.y, c.z += shape_.At.z;
      c.Colour = shape_.Colour;
    }
    faces_->push_back(std::move(face));
  }

  // The six faces of the axis-aligned box between two corners.
  void Box(CVector3 lo, CVector3 hi) {
    Flat({{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}, {0, -1, 0});
    Flat({{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, {0, 1, 0});
    Flat({{lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}}, {-1, 0, 0});
    Flat({{hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}}, {1, 0, 0});
    Flat({{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}}, {0, 0, -1});
    Flat({{lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}, {0, 0, 1});
  }

  const ShapeSource& shape_;
  std::vector<ShapeFace>* faces_;
};

void Cylinder(FaceWriter& w, float r, float h, int sides) {
  // Side k spans angles 2πk/n to 2π(k+1)/n; the point at angle a is (r cos a, y, r sin a),
  // its smooth normal (cos a, 0, sin a).  u runs once around (or by the tile size along
  // the circumference), v down the side.
  const ShapeSource& s = w.shape_;
  float around = s.Tile > 0 ? 2 * kPi * r / s.Tile : 1.0f;
  float down = s.Tile > 0 ? h / s.Tile : 1.0f;
  std::vector<CVector3> top, bottom;
  for (int k = 0; k < sides; ++k) {
    float a0 = 2 * kPi * static_cast<float>(k) / static_cast<float>(sides);
    float a1 = 2 * kPi * static_cast<float>(k + 1) / static_cast<float>(sides);
    CVector3 n0{std::cos(a0), 0, std::sin(a0)}, n1{std::cos(a1), 0, std::sin(a1)};
    float u0 = around * static_cast<float>(k) / static_cast<float>(sides);
    float u1 = around * static_cast<float>(k + 1) / static_cast<float>(sides);
    // Seen from outside, going up then across towards growing angle turns clockwise... so
    // order: bottom a0, bottom a1, top a1, top a0 faces out (checked by the tests).
    ShapeFace f;
    f.Corners = {Vertex({r * n0.x, 0, r * n0.z}, n0, u0, down), Vertex({r * n0.x, h, r * n0.z}, n0, u0, 0),
                 Vertex({r * n1.x, h, r * n1.z}, n1, u1, 0), Vertex({r * n1.x, 0, r * n1.z}, n1, u1, down)};
    w.Add(std::move(f));
    top.push_back({r * n0.x, h, r * n0.z});
    bottom.push_back({r * n0.x, 0, r * n0.z});
  }
  w.Flat(top, {0, 1, 0});
  w.Flat(bottom, {0, -1, 0});
}

void Ramp(FaceWriter& w, float width, float h, float d) {
  float x0 = -width / 2, x1 = width / 2, z0 = -d / 2, z1 = d / 2;
  w.Flat({{x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}}, {0, -1, 0});   // base
  w.Flat({{x0, 0, z1}, {x1, 0, z1}, {x1, h, z1}, {x0, h, z1}}, {0, 0, 1});    // high end
  w.Flat({{x0, 0, z0}, {x1, 0, z0}, {x1, h, z1}, {x0, h, z1}}, {0, d, -h});   // slope: normal (0, d, -h)
  w.Flat({{x0, 0, z0}, {x0, 0, z1}, {x0, h, z1}}, {-1, 0, 0});
  w.Flat({{x1, 0, z0}, {x1, 0, z1}, {x1, h, z1}}, {1, 0, 0});
}

void Terrain(FaceWriter& w) {
  const ShapeSource& s = w.shape_;
  const int nx = s.Count[0], nz = s.Count[1];
  const float c = s.Size[0];
  const float x0 = -c * static_cast<float>(nx) / 2, z0 = -c * static_cast<float>(nz) / 2;
  auto height = [&](int i, int j) { return s.Heights[static_cast<std::size_t>(j) * (nx + 1) + i]; };
  // The smooth normal of y = h(x, z) is (-dh/dx, 1, -dh/dz), the slopes by
  // central differences (one-sided at the edges).
  auto point = [&](int i, int j) {
    int il = std::max(i - 1, 0), ih = std::min(i + 1, nx), jl = std::max(j - 1, 0), jh = std::min(j + 1, nz);
    float dx = (height(ih, j) - height(il, j)) / (c * static_cast<float>(ih - il));
    float dz = (height(i, jh) - height(i, jl)) / (c * static_cast<float>(jh - jl));
    CVector3 p{x0 + c * static_cast<float>(i), height(i, j), z0 + c * static_cast<float>(j)};
    float tile = s.Tile > 0 ? s.Tile : c * static_cast<float>(std::max(nx, nz));
    return Vertex(p, Unit({-dx, 1, -dz}), (p.x - x0) / tile, (p.z - z0) / tile);
  };
  // Each cell as two triangles split along its (i, j)-(i+1, j+1) diagonal,
  // wound to face up: (i,j), (i,j+1), (i+1,j+1) has cross product along +y.
  for (int j = 0; j < nz; ++j) {
    for (int i = 0; i < nx; ++i) {
      ShapeFace a, b;
      a.Corners = {point(i, j), point(i, j + 1), point(i + 1, j + 1)};
      b.Corners = {point(i, j), point(i + 1, j + 1), point(i + 1, j)};
      w.Add(std::move(a));
      w.Add(std::move(b));
    }
  }
}

void Room(FaceWriter& w) {
  const ShapeSource& s = w.shape_;
  const float hw = s.Size[0] / 2, hd = s.Size[1] / 2, h = s.Size[2], t = s.Thickness;
  // The floor inside the walls.
  w.Flat({{-hw + t, 0, -hd + t}, {hw - t, 0, -hd + t}, {hw - t, 0, hd - t}, {-hw + t, 0, hd - t}}, {0, 1, 0});
  struct WallBox {
    RoomWall wall;
    CVector3 lo, hi;
  };
  // North and south walls run the whole width; east and west fit between them.
  const WallBox walls[4] = {{RoomWall::North, {-hw, 0, hd - t}, {hw, h, hd}},
                            {RoomWall::South, {-hw, 0, -hd}, {hw, h, -hd + t}},
                            {RoomWall::East, {hw - t, 0, -hd + t}, {hw, h, hd - t}},
                            {RoomWall::West, {-hw, 0, -hd + t}, {-hw + t, h, hd - t}}};
  for (const WallBox& wall : walls) {
    if (wall.wall != s.Door) {
      w.Box(wall.lo, wall.hi);
      continue;
    }
    // The doorway, centred in the wall: the wall either side of it and the lintel above.
    const float dw = s.DoorWidth / 2, dh = s.DoorHeight;
    if (s.Door == RoomWall::North || s.Door == RoomWall::South) {
      w.Box(wall.lo, {-dw, h, wall.hi.z});
      w.Box({dw, 0, wall.lo.z}, wall.hi);
      w.Box({-dw, dh, wall.lo.z}, {dw, h, wall.hi.z});
    } else {
      w.Box(wall.lo, {wall.hi.x, h, -dw});
      w.Box({wall.lo.x, 0, dw}, wall.hi);
      w.Box({wall.lo.x, dh, -dw}, {wall.hi.x, h, dw});
    }
  }
}

void Crossed(FaceWriter& w, float width, float h, int quads) {
  // Quad k lies in the upright plane through the y axis at angle πk/n from
  // the x axis, seen from both sides: its front looks along (-sin a, 0, cos a).
  for (int k = 0; k < quads; ++k) {
    float a = kPi * static_cast<float>(k) / static_cast<float>(quads);
    CVector3 along{std::cos(a) * width / 2, 0, std::sin(a) * width / 2};
    CVector3 n{-std::sin(a), 0, std::cos(a)};
    CVector3 l{-along.x, 0, -along.z}, r{along.x, 0, along.z};
    for (int side = 0; side < 2; ++side) {
      CVector3 out = side == 0 ? n : CVector3{-n.x, 0, -n.z};
      CVector3 left = side == 0 ? l : r, right = side == 0 ? r : l;
      ShapeFace f;
      // left bottom, right bottom, right top, left top: (right - left) x up faces `out`.
      f.Corners = {Vertex(left, out, 0, 1), Vertex(right, out, 1, 1), Vertex({right.x, h, right.z}, out, 1, 0),
                   Vertex({left.x, h, left.z}, out, 0, 0)};
      w.Add(std::move(f));
    }
  }
}

}  // namespace

void BuildShapeFaces(const ShapeSource& shape, std::vector<ShapeFace>* faces) {
  FaceWriter w(shape, faces);
  switch (shape.Kind) {
    case ShapeKind::Box:
      w.Box({-shape.Size[0] / 2, 0, -shape.Size[2] / 2}, {shape.Size[0] / 2, shape.Size[1], shape.Size[2] / 2});
      break;
    case ShapeKind::Cylinder:
      Cylinder(w, shape.Size[0], shape.Size[1], shape.Count[0]);
      break;
    case ShapeKind::Ramp:
      Ramp(w, shape.Size[0], shape.Size[1], shape.Size[2]);
      break;
    case ShapeKind::Terrain:
      Terrain(w);
      break;
    case ShapeKind::Room:
      Room(w);
      break;
    case ShapeKind::Crossed:
      Crossed(w, shape.Size[0], shape.Size[1], shape.Count[0]);
      break;
    case ShapeKind::Model:
      for (const ModelFaceSource& source : shape.ModelFaces) {
        ShapeFace face{source.Corners, source.Texture, source.Material};
        for (RenderVertex& c : face.Corners) c.x += shape.At.x, c.y += shape.At.y, c.z += shape.At.z;
        faces->push_back(std::move(face));
      }
      break;
  }
}
