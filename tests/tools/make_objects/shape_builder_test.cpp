#include "make_objects/shape_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "make_objects/object_description.h"

namespace {

struct V {
  double x, y, z;
};
V Pos(const RenderVertex& v) { return {v.x, v.y, v.z}; }
V Sub(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Twice the face's area times its facing (Newell), so that a closed surface sums to zero.
V AreaVector(const ShapeFace& f) {
  V n{0, 0, 0};
  for (std::size_t i = 0; i < f.Corners.size(); ++i) {
    V a = Pos(f.Corners[i]), b = Pos(f.Corners[(i + 1) % f.Corners.size()]);
    V c = Cross(a, b);
    n = {n.x + c.x, n.y + c.y, n.z + c.z};
  }
  return {n.x / 2, n.y / 2, n.z / 2};
}

// The volume a closed surface of outward faces bounds: Σ (p·n) A / 3 (the divergence theorem).
double Volume(const std::vector<ShapeFace>& faces) {
  double v = 0;
  for (const ShapeFace& f : faces) v += Dot(Pos(f.Corners[0]), AreaVector(f)) / 3;
  return v;
}

ShapeSource Read(const std::string& shape) {
  ObjectDescription d;
  std::string error;
  EXPECT_TRUE(ReadObjectDescription("object o " + shape + " end", &d, &error)) << error;
  return d.Objects.empty() ? ShapeSource{} : d.Objects[0].Nodes[0].Shapes[0];
}

std::vector<ShapeFace> Faces(const std::string& shape) {
  std::vector<ShapeFace> faces;
  BuildShapeFaces(Read(shape), &faces);
  return faces;
}

TEST(ShapeBuilder, SolidsAreClosedFaceOutAndHoldTheirVolume) {
  const double pi = 3.14159265358979;
  struct Case {
    const char* shape;
    std::size_t faces;
    double volume;
    V open;  // area vector of the faces that do not close (a room's floor)
  };
  const Case cases[] = {
      {"box 100 50 20", 6, 100.0 * 50 * 20, {0, 0, 0}},
      {"box 100 50 20 at 30 -40 7", 6, 100.0 * 50 * 20, {0, 0, 0}},
      {"cylinder 10 30 12", 14, 0.5 * 12 * 100 * std::sin(2 * pi / 12) * 30, {0, 0, 0}},
      {"ramp 40 30 60", 5, 40.0 * 30 * 60 / 2, {0, 0, 0}},
      // Walls: outer box less the inside, and the floor quad facing up.
      {"room 400 300 250 10", 1 + 4 * 6, 400.0 * 300 * 250 - 380.0 * 280 * 250, {0, 380.0 * 280, 0}},
      // The doorway takes its opening out of the wall; its wall is three boxes.
      {"room 400 300 250 10 door north 100 200", 1 + 6 * 6, 400.0 * 300 * 250 - 380.0 * 280 * 250 - 100.0 * 200 * 10,
       {0, 380.0 * 280, 0}},
      {"room 400 300 250 10 door west 100 200 at 5 5 5", 1 + 6 * 6,
       400.0 * 300 * 250 - 380.0 * 280 * 250 - 100.0 * 200 * 10, {0, 380.0 * 280, 0}},
  };
  for (const Case& c : cases) {
    std::vector<ShapeFace> faces = Faces(c.shape);
    ASSERT_EQ(faces.size(), c.faces) << c.shape;
    V sum{0, 0, 0};
    for (const ShapeFace& f : faces) {
      V a = AreaVector(f);
      sum = {sum.x + a.x, sum.y + a.y, sum.z + a.z};
    }
    EXPECT_NEAR(sum.x, c.open.x, 1e-2) << c.shape;
    EXPECT_NEAR(sum.y, c.open.y, 1e-2) << c.shape;
    EXPECT_NEAR(sum.z, c.open.z, 1e-2) << c.shape;
    // The floor faces up at y = 0 of the shape: it adds p·n A = y A, which the position shifts.
    ShapeSource s = Read(c.shape);
    double expected = c.volume + s.At.y * c.open.y / 3;
    EXPECT_NEAR(Volume(faces), expected, 1e-5 * std::fabs(c.volume)) << c.shape;
  }
}

// Every face flat, convex, wound to face the way its vertex normals point,
// with unit normals; a face's vertices lie on its plane.
TEST(ShapeBuilder, FacesAreFlatConvexAndAgreeWithTheirNormals) {
  const char* shapes[] = {"box 10 20 30",       "cylinder 5 10 7",  "ramp 10 5 20",
                          "room 300 200 100 10 door south 50 80",
                          "crossed 60 80 3",    "terrain 3 2 50 heights 0 10 40 0 5 -10 20 0 0 30 60 10"};
  for (const char* shape : shapes) {
    for (const ShapeFace& f : Faces(shape)) {
      ASSERT_GE(f.Corners.size(), 3u) << shape;
      V a = AreaVector(f);
      double len = std::sqrt(Dot(a, a));
      ASSERT_GT(len, 0) << shape;
      V n{a.x / len, a.y / len, a.z / len};
      std::size_t k = f.Corners.size();
      for (std::size_t i = 0; i < k; ++i) {
        const RenderVertex& c = f.Corners[i];
        V vn{c.nx, c.ny, c.nz};
        EXPECT_NEAR(Dot(vn, vn), 1.0, 1e-5) << shape;
        EXPECT_GT(Dot(vn, n), 0.5) << shape;  // smooth normals lean, but never away
        EXPECT_NEAR(Dot(Sub(Pos(c), Pos(f.Corners[0])), n), 0.0, 1e-3) << shape;
        // Convex: every turn goes the same way as the face.
        V e1 = Sub(Pos(f.Corners[(i + 1) % k]), Pos(c)), e2 = Sub(Pos(f.Corners[(i + 2) % k]), Pos(f.Corners[(i + 1) % k]));
        EXPECT_GE(Dot(Cross(e1, e2), n), -1e-6) << shape;
        EXPECT_EQ(c.Colour, 0xFFFFFFFFu) << shape;
      }
    }
  }
}

TEST(ShapeBuilder, TextureCoordinatesSpanAFaceOrFollowTheTile) {
  // Without a tile each face holds one whole repeat.
  for (const ShapeFace& f : Faces("box 200 100 50")) {
    float u0 = 1e9f, u1 = -1e9f, v0 = 1e9f, v1 = -1e9f;
    for (const RenderVertex& c : f.Corners) {
      u0 = std::min(u0, c.u), u1 = std::max(u1, c.u), v0 = std::min(v0, c.v), v1 = std::max(v1, c.v);
    }
    EXPECT_FLOAT_EQ(u0, 0);
    EXPECT_FLOAT_EQ(u1, 1);
    EXPECT_FLOAT_EQ(v0, 0);
    EXPECT_FLOAT_EQ(v1, 1);
  }
  // With a tile of 50, a 200-wide face spans 4 repeats and a 100-high one 2;
  // upright faces have v growing downwards.
  for (const ShapeFace& f : Faces("box 200 100 50 tile 50")) {
    if (std::fabs(f.Corners[0].nz) < 0.5f) continue;  // the two faces looking along z
    float u0 = 1e9f, u1 = -1e9f;
    for (const RenderVertex& c : f.Corners) u0 = std::min(u0, c.u), u1 = std::max(u1, c.u);
    EXPECT_FLOAT_EQ(u1 - u0, 4);
    for (const RenderVertex& c : f.Corners) EXPECT_FLOAT_EQ(c.v, c.y > 50 ? -2.0f : 0.0f);
  }
  // The cylinder's side wraps once around: u from 0 to 1 with the seam doubled.
  std::vector<ShapeFace> cyl = Faces("cylinder 10 20 8");
  EXPECT_FLOAT_EQ(cyl[0].Corners[0].u, 0);
  EXPECT_FLOAT_EQ(cyl[7].Corners[2].u, 1);
  EXPECT_FLOAT_EQ(cyl[0].Corners[1].v, 0);  // top
  EXPECT_FLOAT_EQ(cyl[0].Corners[0].v, 1);  // bottom
}

TEST(ShapeBuilder, TerrainFollowsItsHeights) {
  // 2 x 1 cells of 100: x from -100 to 100, z from -50 to 50; rows of 3 heights, -z first.
  std::vector<ShapeFace> faces = Faces("terrain 2 1 100 heights 0 0 40 10 10 50 at 0 5 0");
  ASSERT_EQ(faces.size(), 4u);
  for (const ShapeFace& f : faces) {
    ASSERT_EQ(f.Corners.size(), 3u);
    EXPECT_GT(AreaVector(f).y, 0);  // faces up
    for (const RenderVertex& c : f.Corners) {
      int i = static_cast<int>(std::lround((c.x + 100) / 100)), j = static_cast<int>(std::lround((c.z + 50) / 100));
      const float heights[2][3] = {{0, 0, 40}, {10, 10, 50}};
      EXPECT_FLOAT_EQ(c.y, heights[j][i] + 5);
      EXPECT_FLOAT_EQ(c.u, (c.x + 100) / 200);  // one repeat over the whole grid
    }
  }
  // At (0, -50): slope along x (40 - 0) / 200 by central difference, along z 10 / 100.
  for (const ShapeFace& f : faces)
    for (const RenderVertex& c : f.Corners)
      if (c.x == 0 && c.z == -50) {
        float nx = -0.2f, nz = -0.1f, l = std::sqrt(nx * nx + 1 + nz * nz);
        EXPECT_NEAR(c.nx, nx / l, 1e-6);
        EXPECT_NEAR(c.ny, 1 / l, 1e-6);
        EXPECT_NEAR(c.nz, nz / l, 1e-6);
      }
}

TEST(ShapeBuilder, CrossedQuadsAreSeenFromBothSides) {
  std::vector<ShapeFace> faces = Faces("crossed 100 80 2 at 0 10 0 colour 336699");
  ASSERT_EQ(faces.size(), 4u);
  for (std::size_t k = 0; k < 4; k += 2) {
    V front = AreaVector(faces[k]), back = AreaVector(faces[k + 1]);
    EXPECT_NEAR(Dot(front, back), -Dot(front, front), 1e-3);  // same quad, facing away
    EXPECT_NEAR(std::sqrt(Dot(front, front)), 100.0 * 80, 1e-2);
    for (const RenderVertex& c : faces[k].Corners) {
      EXPECT_FLOAT_EQ(c.v, c.y > 50 ? 0.0f : 1.0f);
      EXPECT_EQ(c.Colour, 0xFF336699u);
    }
  }
  // The second pair stands at right angles to the first.
  EXPECT_NEAR(Dot(AreaVector(faces[0]), AreaVector(faces[2])), 0, 1e-5 * 8000 * 8000);
}

}  // namespace
