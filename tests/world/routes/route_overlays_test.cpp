// The route modules' developer overlays on the device: the marker graph
// (links with arrow heads and runners, labels in the marker's colour,
// markers beyond 5000 units left out, states put back), the quadtree map,
// a unit's collision spheres and the repulsion spheres.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "foundation/time/timer.h"
#include "menus/world_to_screen.h"
#include "world/overlay_fixture.h"
#include "world/routes/move_controller.h"
#include "world/routes/quad_tree.h"
#include "world/routes/repulsion.h"
#include "world/routes/route_clock.h"
#include "world/routes/route_marker.h"
#include "world/text/text_fixture.h"

namespace {

using overlay_test::Draw;
using overlay_test::Near;

class RouteOverlays : public overlay_test::OverlayDeviceTest {
 protected:
  void TearDown() override {
    SetRouteClocks(nullptr, nullptr);
    OverlayDeviceTest::TearDown();
  }
  // The glyph quads (4 screen vertices each) drawn since Record().
  std::vector<Draw> Glyphs() const {
    std::vector<Draw> glyphs;
    for (const Draw& d : Draws())
      if (d.screenVertices.size() == 4) glyphs.push_back(d);
    return glyphs;
  }
};

// Four markers seen from the origin looking along +z: 0 (a leaf) and 1 ahead
// and linked both ways, 2 just beyond 5000 units and linked to 0, 3 behind
// the eye with a link to 1.
void MakeGraph(CRouteMarkerList& list) {
  list.Init(4);
  list.SetPosition(0, {0, 0, 1000});
  list.SetPosition(1, {100, 0, 1000});
  list.SetPosition(2, {0, 0, 5001});
  list.SetPosition(3, {0, 0, -1000});
  list.GetMarker(0)->SetLeafMarker(true);
  list.GetMarker(0)->Component = 1;
  list.GetMarker(0)->Weight = 1.25f;
  list.GetMarker(1)->Component = 2;
  CRouteMarkerList* previous = g_RouteMarkerList;
  g_RouteMarkerList = &list;  // AddLink checks against the current list's count
  list.GetMarker(0)->AddLink(1);
  list.GetMarker(1)->AddLink(0);
  list.GetMarker(2)->AddLink(0);
  list.GetMarker(3)->AddLink(1);
  g_RouteMarkerList = previous;
}

TEST_F(RouteOverlays, MarkerLinksAreDrawnRaisedWithArrowHeadsAndRunners) {
  CRouteMarkerList list;
  MakeGraph(list);
  CTimer clock;
  text_test::SetClock(clock, 9000, 0.0f);  // one quarter into the 4-second run
  SetRouteClocks(&clock, nullptr);
  CMatrix world;
  world.SetIdentity();
  world.SetTranslationXYZ(1, 2, 3);
  s_Render->SetWorldMatrix(world);

  Record();
  list.DebugDraw(nullptr);
  const auto lines = WorldLines();
  // Three links (0->1, 1->0, 3->1): the line, two arrow strokes and the runner each.
  ASSERT_EQ(lines.size(), 12u);
  const CVector3 raised0{0, 25, 1000}, raised1{100, 25, 1000}, raised3{0, 25, -1000};
  struct Link {
    CVector3 from, to;
  } links[] = {{raised0, raised1}, {raised1, raised0}, {raised3, raised1}};
  for (int k = 0; k < 3; ++k) {
    const Link& l = links[k];
    const Draw& line = lines[4 * k];
    EXPECT_TRUE(Near(line.vertices[0], l.from)) << k;
    EXPECT_TRUE(Near(line.vertices[1], l.to)) << k;
    // Both arrow strokes start at the target and end 20 units back along the link.
    const CVector3 d{l.to.x - l.from.x, l.to.y - l.from.y, l.to.z - l.from.z};
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    for (int s = 1; s <= 2; ++s) {
      const Draw& stroke = lines[4 * k + s];
      EXPECT_TRUE(Near(stroke.vertices[0], l.to)) << k;
      const CVector3 e{stroke.vertices[1].x - l.to.x, stroke.vertices[1].y - l.to.y, stroke.vertices[1].z - l.to.z};
      EXPECT_NEAR(-(e.x * d.x + e.y * d.y + e.z * d.z) / length, 20.0f, 0.01f) << k;
    }
    // The runner (a small cross) a quarter of the way along.
    const Draw& runner = lines[4 * k + 3];
    EXPECT_EQ(runner.count, 3u);
    const CVector3 at{l.from.x + d.x / 4, l.from.y + d.y / 4, l.from.z + d.z / 4};
    EXPECT_NEAR((runner.vertices[0].x + runner.vertices[1].x) / 2, at.x, 0.01f) << k;
    EXPECT_NEAR((runner.vertices[0].z + runner.vertices[1].z) / 2, at.z, 0.01f) << k;
  }
  for (const Draw& line : lines)
    for (const DebugVertex& v : line.vertices) EXPECT_LT(v.z, 5000.0f) << "the far marker's link is left out";
  EXPECT_TRUE(Glyphs().empty()) << "no labels without a font";
  EXPECT_EQ(s_Render->GetWorldMatrix().m[3][1], 2.0f) << "the world matrix is put back";
}

TEST_F(RouteOverlays, MarkersOnScreenAreLabelledInTheirColour) {
  CRouteMarkerList list;
  MakeGraph(list);
  text_test::FixedFont f(s_Render);
  f.font.SetColour(0xFF123456);
  Record();
  list.DebugDraw(&f.font);
  const auto glyphs = Glyphs();
  // "0 (1) [1.25]" and "1 (2) [1.00]": ten glyphs each; marker 2 is too far
  // and marker 3 behind the eye.
  ASSERT_EQ(glyphs.size(), 20u);
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  ASSERT_TRUE(WorldToScreen({0, 0, 1000}, &x0, &y0));
  ASSERT_TRUE(WorldToScreen({100, 0, 1000}, &x1, &y1));
  EXPECT_EQ(glyphs[0].screenVertices[0].x, std::floor(x0));
  EXPECT_EQ(glyphs[10].screenVertices[0].x, std::floor(x1));
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(glyphs[k].screenVertices[0].Diffuse, 0xFFFF0000u) << "a leaf marker's label is red";
    EXPECT_EQ(glyphs[10 + k].screenVertices[0].Diffuse, 0xFF00FF00u) << "others are green";
  }
  // Glyphs and blanks advance one width each: "0 (1) [1.25]" puts the bracket 6 advances on.
  EXPECT_NEAR(glyphs[4].screenVertices[0].x - glyphs[0].screenVertices[0].x, 6.0f * text_test::kGlyphWidth, 0.5f);
  EXPECT_EQ(f.sprites.DrawColour, 0xFF123456u) << "the font's colour is put back";

  // A heavier weight shows with two decimals.
  list.GetMarker(1)->Weight = 12.5f;  // "1 (2) [12.50]"
  Record();
  list.DebugDraw(&f.font);
  EXPECT_EQ(Glyphs().size(), 21u);
}

TEST_F(RouteOverlays, NothingWithoutACameraOrMarkers) {
  CRouteMarkerList list;
  MakeGraph(list);
  CCamera::SetCurrentCamera(nullptr);
  Record();
  list.DebugDraw(nullptr);
  CRouteMarkerList empty;
  CCamera::SetCurrentCamera(&camera_);
  empty.DebugDraw(nullptr);
  EXPECT_TRUE(Draws().empty());
}

// A root of half size 250 at the origin split into four leaves; only the
// south-west leaf (child 0) is open.
std::unique_ptr<CQuadTree> FourLeaves() {
  auto tree = std::make_unique<CQuadTree>();
  tree->Root = new CQuadTreeNode;
  tree->Root->Half = 250;
  tree->Root->Children = new CQuadTreeNode[4];
  for (int i = 0; i < 4; ++i) {
    CQuadTreeNode& c = tree->Root->Children[i];
    c.Half = 125;
    c.CentreX = (i & 1) ? 125.0f : -125.0f;
    c.CentreZ = (i & 2) ? 125.0f : -125.0f;
    c.Flags = i == 0 ? QTF_OPEN | QTF_GROUND : 0;
  }
  tree->SetBounds();
  return tree;
}

TEST_F(RouteOverlays, QuadTreeMapOutlinesEveryLeafAndMarksThePoint) {
  auto tree = FourLeaves();
  CQuadTree* previous = g_QuadTree;
  g_QuadTree = tree.get();
  s_Render->SetZEnable(1);
  s_Render->SetFogEnable(1);
  Record();
  QuadTreeDebugDraw({100, 0, -200});
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 5u);
  const float scale = kQuadMapSize / 500.0f;
  int open = 0, closed = 0;
  for (int i = 0; i < 4; ++i) {
    const Draw& d = draws[i];
    EXPECT_EQ(d.type, static_cast<std::uint64_t>(D3DPT_LINESTRIP));
    ASSERT_EQ(d.screenVertices.size(), 5u);
    const CQuadTreeNode& leaf = tree->Root->Children[i];
    // North up: the leaf's west edge and north edge.
    EXPECT_NEAR(d.screenVertices[0].x, kQuadMapOrigin + (leaf.CentreX - 125 + 250) * scale, 0.01f) << i;
    EXPECT_NEAR(d.screenVertices[0].y, kQuadMapOrigin + (250 - (leaf.CentreZ + 125)) * scale, 0.01f) << i;
    EXPECT_NEAR(d.screenVertices[2].x - d.screenVertices[0].x, 250 * scale, 0.01f) << i;
    open += d.screenVertices[0].Diffuse == 0xFF00FF00;
    closed += d.screenVertices[0].Diffuse == 0xFFFF0000;
  }
  EXPECT_EQ(open, 1);
  EXPECT_EQ(closed, 3);
  EXPECT_EQ(draws[0].screenVertices[0].Diffuse, 0xFF00FF00u);
  // The mark: a filled 4 x 4 square centred on the point.
  const Draw& mark = draws[4];
  EXPECT_EQ(mark.type, static_cast<std::uint64_t>(D3DPT_TRIANGLEFAN));
  ASSERT_EQ(mark.screenVertices.size(), 4u);
  EXPECT_NEAR(mark.screenVertices[0].x, kQuadMapOrigin + 350 * scale - 2, 0.01f);
  EXPECT_NEAR(mark.screenVertices[0].y, kQuadMapOrigin + 450 * scale - 2, 0.01f);
  EXPECT_NEAR(mark.screenVertices[2].x - mark.screenVertices[0].x, 4.0f, 0.01f);
  EXPECT_EQ(StateSets(D3DRS_ZENABLE), (std::vector<std::uint64_t>{0, 1}));
  EXPECT_EQ(s_Render->GetFogEnable(), 1u);

  Record();
  QuadTreeDebugDraw({1000, 0, 0});  // outside the tree: the map without a mark
  EXPECT_EQ(Draws().size(), 4u);
  g_QuadTree = nullptr;
  Record();
  QuadTreeDebugDraw({0, 0, 0});
  EXPECT_TRUE(Draws().empty());
  g_QuadTree = previous;
}

TEST_F(RouteOverlays, CollisionSpheresAtPositionPlusOffset) {
  CMoveController controller;
  controller.Position = {100, 0, 500};
  controller.SetSphere(0, {0, 30, 0}, 30);
  controller.SetSphere(1, {0, 90, 0}, 20);
  struct Case {
    std::uint32_t count;
    std::size_t draws;
  } cases[] = {{1, 18}, {2, 36}};
  for (const Case& c : cases) {
    controller.SetSphereCount(c.count);
    Record();
    controller.DebugDraw();
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), c.draws) << c.count;
    for (std::size_t k = 0; k < draws.size(); ++k) {
      const bool second = k >= 18;
      const CVector3 centre{100, second ? 90.0f : 30.0f, 500};
      const float radius = second ? 20.0f : 30.0f;
      ASSERT_FALSE(draws[k].vertices.empty()) << k;
      for (const DebugVertex& v : draws[k].vertices)
        EXPECT_NEAR(std::hypot(v.x - centre.x, v.y - centre.y, v.z - centre.z), radius, 1e-3f);
    }
  }
}

TEST_F(RouteOverlays, ActiveRepulsionSpheresAsTranslucentYellowRings) {
  CRepulsionPool pool(4);
  pool.Add({0, 0, 500}, 10);
  pool.Add({100, 0, 500}, 20);
  pool.Add({200, 0, 500}, 30);
  pool.Entries[1].SetActive(false);
  Record();
  pool.DebugDraw();
  const auto draws = Draws();
  // Two active spheres, 8 rings (7 circles between them) of 8 segments each.
  ASSERT_EQ(draws.size(), 14u);
  for (std::size_t k = 0; k < draws.size(); ++k) {
    EXPECT_EQ(draws[k].count, 8u);
    const float cx = k < 7 ? 0.0f : 200.0f;
    const float radius = (k < 7 ? 10.0f : 30.0f) * 1.5f;  // the pool stores radius x 1.5
    ASSERT_FALSE(draws[k].vertices.empty()) << k;
    for (const DebugVertex& v : draws[k].vertices) {
      EXPECT_EQ(v.Colour, 0x80FFFF00u);
      EXPECT_LE(std::hypot(v.x - cx, v.y, v.z - 500.0f), radius + 1e-3f);
    }
  }
  CRepulsionPool none(0);
  Record();
  none.DebugDraw();
  EXPECT_TRUE(Draws().empty());
}

}  // namespace
