#include "render/geometry/poly_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/memory/memory_manager.h"

namespace {

struct P2 {
  double x, y;
};

// A polygon in the plane z = 0 (normal +z) through the corners in order.
CPoly* MakePolygon(std::initializer_list<P2> corners, std::uint32_t flags = 0) {
  CPoly* p = NewPolygon();
  p->Flags = flags;
  p->Plane[2] = 1.0;
  for (const P2& c : corners) {
    CDRVertex* v = NewVertex();
    v->x = c.x;
    v->y = c.y;
    v->nz = 1.0;
    v->Colour = 0xFF808080;
    AppendVertex(v, &p->Vertices);
    ++p->VertexCount;
  }
  return p;
}

// A bare vertex list through the points in order (x and y only).
CDRVertex* VertexList(const std::vector<P2>& points) {
  CDRVertex* vertices = nullptr;
  for (const P2& p : points) {
    CDRVertex* v = NewVertex();
    v->x = p.x;
    v->y = p.y;
    AppendVertex(v, &vertices);
  }
  return vertices;
}

std::vector<P2> Corners(const CPoly* p) {
  std::vector<P2> out;
  for (const CDRVertex* v = p->Vertices; v != nullptr; v = v->Next) out.push_back({v->x, v->y});
  return out;
}

class PolyListTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreePolyList(&list);
    ResetAppendCursor();
  }
  CPoly* list = nullptr;
};

TEST_F(PolyListTest, TwoSquaresWithOppositeEdgesMergeIntoARectangle) {
  AppendPolygon(MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), &list);
  AppendPolygon(MakePolygon({{1, 0}, {2, 0}, {2, 1}, {1, 1}}), &list);
  MergePolygons(&list);
  ASSERT_EQ(CountPolygons(list), 1);
  EXPECT_EQ(list->VertexCount, 4);
  const auto corners = Corners(list);
  ASSERT_EQ(corners.size(), 4u);
  double minX = 9, maxX = -9;
  for (const P2& c : corners) {
    minX = std::min(minX, c.x);
    maxX = std::max(maxX, c.x);
    EXPECT_NE(c.x, 1.0);  // the shared edge's ends became collinear and went
  }
  EXPECT_EQ(minX, 0.0);
  EXPECT_EQ(maxX, 2.0);
  EXPECT_TRUE(IsConvexPlanar(list->Vertices));
}

TEST_F(PolyListTest, PolygonsThatMustNotMerge) {
  struct Case {
    const char* name;
    std::uint32_t flagsA, flagsB;
    bool sameDirection;
  } cases[] = {{"same direction", 0, 0, true},
               {"first flagged", kPolyNoMerge, 0, false},
               {"second flagged", 0, kPolyNoMerge, false}};
  for (const Case& c : cases) {
    FreePolyList(&list);
    AppendPolygon(MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, c.flagsA), &list);
    if (c.sameDirection)  // shares the edge (1,0)-(1,1) running the same way
      AppendPolygon(MakePolygon({{1, 0}, {1, 1}, {2, 1}, {2, 0}}, c.flagsB), &list);
    else
      AppendPolygon(MakePolygon({{1, 0}, {2, 0}, {2, 1}, {1, 1}}, c.flagsB), &list);
    MergePolygons(&list);
    EXPECT_EQ(CountPolygons(list), 2) << c.name;
    EXPECT_EQ(CountPolyListVertices(list), 8) << c.name;
  }
  // A merge that would leave a concave polygon is not done: an L of three squares.
  FreePolyList(&list);
  AppendPolygon(MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}}), &list);
  AppendPolygon(MakePolygon({{1, 0}, {2, 0}, {2, 1}, {1, 1}}), &list);
  AppendPolygon(MakePolygon({{0, 1}, {1, 1}, {1, 2}, {0, 2}}), &list);
  MergePolygons(&list);
  EXPECT_EQ(CountPolygons(list), 2);
}

TEST_F(PolyListTest, AppendCursorAndLookups) {
  CPoly* a = MakePolygon({{0, 0}, {1, 0}, {0, 1}});
  CPoly* b = MakePolygon({{5, 5}, {6, 5}, {5, 6}});
  CPoly* c = MakePolygon({{9, 9}, {10, 9}, {9, 10}});
  AppendPolygon(a, &list);
  AppendPolygon(b, &list);
  // Appending to another list without a reset must not splice the two lists.
  CPoly* other = nullptr;
  AppendPolygon(MakePolygon({{0, 0}, {2, 0}, {0, 2}}), &other);
  AppendPolygon(c, &list);
  EXPECT_EQ(CountPolygons(list), 3);
  EXPECT_EQ(CountPolygons(other), 1);
  FreePolyList(&other);
  EXPECT_EQ(PolygonAt(list, 0), a);
  EXPECT_EQ(PolygonAt(list, -3), a);
  EXPECT_EQ(PolygonAt(list, 2), c);
  EXPECT_EQ(PolygonAt(list, 3), nullptr);
  EXPECT_EQ(IndexOfPolygon(list, b), 1);
  EXPECT_EQ(IndexOfPolygon(list, other), -1);
  EXPECT_EQ(IndexOfPolygon(nullptr, a), -1);
  EXPECT_EQ(CountPolyListVertices(list), 9);

  EXPECT_EQ(FindPolyContaining(list, {5.2, 5.2, 0}), b);
  EXPECT_EQ(FindPolyContaining(list, {9.1, 9.1, 0}), c);
  EXPECT_EQ(FindPolyContaining(list, {3, 3, 0}), nullptr);

  CPoly* copy = AppendPolygonCopy(a, &list);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Next, nullptr);
  EXPECT_EQ(PolygonAt(list, 3), copy);
  copy->Vertices = nullptr;  // the copy shares a's vertex list; do not free it twice
  CPoly* front = PrependPolygonCopy(b, &list);
  EXPECT_EQ(list, front);
  front->Vertices = nullptr;
}

TEST_F(PolyListTest, PointInPolyPicksAxesFromThePlane) {
  // A square in the plane x = 3 (normal +x): only y and z decide.
  CPoly* wall = NewPolygon();
  wall->Plane[0] = 1.0;
  const double yz[4][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  for (const auto& p : yz) {
    CDRVertex* v = NewVertex();
    v->x = 3;
    v->y = p[0];
    v->z = p[1];
    AppendVertex(v, &wall->Vertices);
  }
  wall->VertexCount = 4;
  PushPolygon(wall, &list);
  EXPECT_TRUE(PointInPoly({3, 1, 1}, wall));
  EXPECT_FALSE(PointInPoly({3, 3, 1}, wall));
  EXPECT_FALSE(PointInPoly({3, 1, -0.5}, wall));
}

TEST_F(PolyListTest, DuplicateAndCollinearRemoval) {
  struct Case {
    std::vector<P2> in;
    bool collinear;  // else duplicates
    std::vector<P2> out;
  } cases[] = {
      {{{0, 0}, {0, 0}, {0, 0}, {1, 0}, {1, 1}}, false, {{0, 0}, {0, 0}, {1, 0}, {1, 1}}},  // a run of three keeps two
      {{{0, 0}, {1, 0}, {1, 1}, {0, 0}}, false, {{1, 0}, {1, 1}, {0, 0}}},                  // the head equals the last
      {{{0, 0}, {1, 0}, {2, 0}, {2, 2}}, true, {{0, 0}, {2, 0}, {2, 2}}},
      {{{1, 0}, {2, 0}, {2, 2}, {0, 0}}, true, {{2, 0}, {2, 2}, {0, 0}}},  // the head lies between the last two
      {{{0, 0}, {1, 0}, {1, 1}}, true, {{0, 0}, {1, 0}, {1, 1}}},
  };
  for (const Case& c : cases) {
    CDRVertex* vertices = VertexList(c.in);
    if (c.collinear)
      RemoveCollinearVertices(&vertices);
    else
      RemoveDuplicateVertices(&vertices);
    std::vector<P2> got;
    for (const CDRVertex* v = vertices; v != nullptr; v = v->Next) got.push_back({v->x, v->y});
    ASSERT_EQ(got.size(), c.out.size());
    for (std::size_t k = 0; k < got.size(); ++k) {
      EXPECT_EQ(got[k].x, c.out[k].x) << k;
      EXPECT_EQ(got[k].y, c.out[k].y) << k;
    }
    FreeVertexList(&vertices);
    EXPECT_EQ(vertices, nullptr);
  }
}

TEST_F(PolyListTest, ConvexPlanarCheck) {
  struct Case {
    std::vector<P2> corners;
    bool convex;
  } cases[] = {{{}, true},
               {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}, true},
               {{{0, 0}, {2, 0}, {1, 0.5}, {2, 2}, {0, 2}}, false},
               {{{0, 0}, {1, 0}, {2, 0}}, true}};
  for (const Case& c : cases) {
    CDRVertex* vertices = VertexList(c.corners);
    EXPECT_EQ(IsConvexPlanar(vertices), c.convex) << c.corners.size();
    FreeVertexList(&vertices);
  }
  // Not planar: one corner lifted out of the plane.
  CPoly* bent = MakePolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  PushPolygon(bent, &list);
  bent->Vertices->Next->Next->z = 0.5;
  EXPECT_FALSE(IsConvexPlanar(bent->Vertices));
}

TEST_F(PolyListTest, VertexArraysConvertAndTolerateLongCounts) {
  CPoly* p = MakePolygon({{1.5, 2.5}, {3, 4}, {5, 6}});
  p->Vertices->u = 0.25;
  PushPolygon(p, &list);
  MakeVertexArrays(list);
  ASSERT_NE(p->VertexArray, nullptr);
  EXPECT_FLOAT_EQ(p->VertexArray[0].x, 1.5f);
  EXPECT_FLOAT_EQ(p->VertexArray[0].u, 0.25f);
  EXPECT_FLOAT_EQ(p->VertexArray[0].nz, 1.0f);
  EXPECT_EQ(p->VertexArray[2].Colour, 0xFF808080u);
  // A count beyond the list converts what is there and zeroes the rest.
  RenderVertex* longer = MakeVertexArray(p->Vertices, 5);
  ASSERT_NE(longer, nullptr);
  EXPECT_FLOAT_EQ(longer[2].x, 5.0f);
  EXPECT_EQ(longer[4].Colour, 0u);
  MemRelease(__FILE__, __LINE__, "??", MEM_ALLOC_FREE, longer);
  EXPECT_EQ(MakeVertexArray(nullptr, 0), nullptr);
}

TEST_F(PolyListTest, TextDump) {
  CPoly* p = MakePolygon({{1, 2}, {3, 4}});
  p->Flags = 0x100;
  p->FirstId = 0xAB;
  p->SecondId = 0x1234;
  p->Plane[3] = -2.5;
  p->Vertices->Colour = 0x80FF0000;
  p->Vertices->v = 0.5;
  PushPolygon(p, &list);
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  WritePolyListText(f, list);
  std::rewind(f);
  std::string text;
  char buffer[512];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  const std::string expected =
      "NumPolys 1\r\nPolyList {\r\n"
      " 00000100 000000ab 00001234\r\n"
      " 0.000000 0.000000 1.000000 -2.500000\r\n"
      " nv 2\r\n"
      "  v 1.000000 2.000000 0.000000 n 0.000000 0.000000 1.000000 c 1.000000 0.000000 0.000000 0.501961 t 0.000000 "
      "0.500000\r\n"
      "  v 3.000000 4.000000 0.000000 n 0.000000 0.000000 1.000000 c 0.501961 0.501961 0.501961 1.000000 t 0.000000 "
      "0.000000\r\n"
      "}\r\n";
  EXPECT_EQ(text, expected);
}

TEST(RenderVertexTest, FindOrAddSharesNearlyEqualVertices) {
  RenderVertex array[3];
  int count = 0;
  const RenderVertex a{1, 2, 3, 0, 1, 0, 0xFF102030, 0.5f, 0.25f};
  RenderVertex near = a;
  near.x += 7e-6f;
  near.v -= 7e-6f;
  RenderVertex otherColour = a;
  otherColour.Colour = 0xFF102031;
  RenderVertex far = a;
  far.nz = 1e-4f;
  EXPECT_EQ(FindOrAddVertex(a, array, &count, 3), 0);
  EXPECT_EQ(FindOrAddVertex(near, array, &count, 3), 0);
  EXPECT_EQ(FindOrAddVertex(otherColour, array, &count, 3), 1);
  EXPECT_EQ(FindOrAddVertex(far, array, &count, 3), 2);
  EXPECT_EQ(count, 3);
  RenderVertex full = a;
  full.x = 100;
  EXPECT_EQ(FindOrAddVertex(full, array, &count, 3), -1);  // no room: refused, nothing written
  EXPECT_EQ(count, 3);
  EXPECT_EQ(FindOrAddVertex(far, array, &count, 3), 2);
}

TEST(RenderVertexTest, Interpolation) {
  struct Case {
    std::uint32_t a, b;
    float t;
    std::uint32_t expected;
  } cases[] = {{0xFF000000, 0xFFFFFFFF, 0.5f, 0xFF7F7F7F},
               {0x00000000, 0xFF000000, 1.0f, 0xFF000000},
               {0x80FF4000, 0x80FF4000, 0.3f, 0x80FF4000},  // equal ends keep their bytes
               {0xFF0000FF, 0xFFFF0000, 0.25f, 0xFF3F00BF}};
  for (const Case& c : cases) {
    const RenderVertex a{0, 0, 0, 0, 0, 1, c.a, 0, 0}, b{4, 8, -4, 1, 0, 0, c.b, 1, 2};
    RenderVertex out;
    LerpRenderVertex(a, b, &out, c.t);
    EXPECT_EQ(out.Colour, c.expected) << std::hex << c.a << " " << c.b;
    EXPECT_FLOAT_EQ(out.x, 4 * c.t);
    EXPECT_FLOAT_EQ(out.v, 2 * c.t);
    CDRVertex da{0, 0, 0, 0, 0, 1, c.a, 0, 0, nullptr}, db{4, 8, -4, 1, 0, 0, c.b, 1, 2, nullptr}, dout{};
    LerpListVertex(da, db, &dout, c.t);
    EXPECT_DOUBLE_EQ(dout.y, 8.0 * c.t);
    EXPECT_EQ(dout.Colour >> 24, c.expected >> 24);
  }
}

}  // namespace
