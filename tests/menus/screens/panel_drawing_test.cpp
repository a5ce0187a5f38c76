// The chrome of the panel set read back as pixels: each frame style puts its
// corner, edge and fill cells where they belong, each bar its ends and
// middle, the arrow points its way, and item backgrounds layer their bars.
#include "menus/screens/panel_drawing.h"

#include "menus/menu_frame_fixture.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"

namespace {

using PanelDrawing = MenuFrameTest;

std::uint32_t Cell(int cell) { return MenuFrameTest::CellColour("8060.img", cell); }

TEST_F(PanelDrawing, EachFrameStylePutsItsNineCells) {
  // A 16-pixel set: corners 16 x 16, edges 16 high.
  struct Style {
    void (*draw)(float, float, float, float);
    int corner, edge, fill;
  } styles[] = {{DrawFrameA, 5, 6, 4}, {DrawFrameB, 2, 3, 1}, {DrawFrameC, 9, 11, 10}, {DrawFrameD, 18, 19, -1}};
  for (const Style& s : styles) {
    BeginFrame();
    s.draw(100.4f, 100.6f, 299.2f, 199.9f);  // rounded out to (100, 100)-(300, 200)
    EndFrame();
    // Corners (inside their rims), the four edges and the inside.
    for (auto [x, y] : {std::pair{110, 110}, {290, 110}, {290, 190}, {110, 190}})
      EXPECT_TRUE(Near(At(x, y), Cell(s.corner), 2)) << s.corner << " at " << x << "," << y;
    for (auto [x, y] : {std::pair{200, 108}, {200, 192}, {108, 150}, {292, 150}})
      EXPECT_TRUE(Near(At(x, y), Cell(s.edge), 2)) << s.edge << " at " << x << "," << y;
    if (s.fill >= 0)
      EXPECT_TRUE(Near(At(200, 150), Cell(s.fill), 2)) << s.fill;
    else
      EXPECT_EQ(At(200, 150), kBackground) << "no fill";
    const PixelBox ink = InkBounds();
    EXPECT_EQ(ink.x1, 100);
    EXPECT_EQ(ink.y1, 100);
    EXPECT_EQ(ink.x2, 299);
    EXPECT_EQ(ink.y2, 199);
    // The corners are turned: each corner's rim lies on the frame's outside.
    EXPECT_FALSE(Near(At(101, 110), Cell(s.corner), 2)) << "left rim at the top left";
    EXPECT_FALSE(Near(At(299, 110), Cell(s.corner), 2)) << "right rim at the top right";
    EXPECT_FALSE(Near(At(290, 199), Cell(s.corner), 2)) << "bottom rim at the bottom right";
    EXPECT_TRUE(Near(At(290, 190), Cell(s.corner), 2));
  }
}

TEST_F(PanelDrawing, FrameEGrowsAndFrameFHasItsDivider) {
  BeginFrame();
  DrawFrameE(100, 100, 300, 200);
  DrawFrameF(400, 100, 600, 200, 1);
  EndFrame();
  const PixelBox e = InkBounds({0, 0, 350, 599});
  EXPECT_EQ(e.x1, 100 - 16);  // grown by the height of cell 21
  EXPECT_EQ(e.y2, 200 + 16 - 1);
  // The divider of cell 17 stands 2 x the height of cell 0 in from the right.
  const int dividerX = 600 - 2 * 12 + 8;
  EXPECT_TRUE(Near(At(dividerX, 150), Cell(17), 2));
  EXPECT_EQ(At(500, 150), kBackground);
}

TEST_F(PanelDrawing, BarsPutTheirEndsAndMiddleAndItemBackgroundsLayer) {
  BeginFrame();
  DrawBarA(100, 300, 300);  // 32 high by default
  DrawItemBackground(400, 300, 200, 1, 0);
  DrawItemBackground(400, 400, 200, 0, 1);
  EndFrame();
  EXPECT_EQ(At(100, 300), kBackground);  // the rounded end's cut corner
  EXPECT_TRUE(Near(At(108, 310), Cell(12), 2));
  EXPECT_TRUE(Near(At(108, 322), Cell(12), 2));  // the lower end, turned
  EXPECT_TRUE(Near(At(292, 310), Cell(12), 2));
  EXPECT_TRUE(Near(At(200, 310), Cell(14), 2));  // the middle, upper half
  EXPECT_TRUE(Near(At(200, 324), Cell(14), 2));  // and lower half
  const PixelBox bar = InkBounds({0, 250, 350, 380});
  EXPECT_EQ(bar.x1, 100);
  EXPECT_EQ(bar.x2, 299);
  EXPECT_EQ(bar.y1, 300);
  EXPECT_EQ(bar.y2, 331);
  // Highlighted: bar C over bar A, 4 pixels in on every side.
  EXPECT_TRUE(Near(At(500, 314), Cell(15), 2));
  EXPECT_EQ(BoundsOf(Cell(15), 2, {350, 250, 799, 380}).y1, 304 + 2);
  // Plain: bar B only (24 high).
  const PixelBox plain = InkBounds({350, 390, 799, 450});
  EXPECT_EQ(plain.Height(), 24);
  EXPECT_TRUE(Near(At(500, 412), Cell(8), 2));
}

TEST_F(PanelDrawing, ArrowsPointTheWayOfTheirCode) {
  BeginFrame();
  DrawArrow(100, 100, 3);  // left
  DrawArrow(200, 100, 1);  // right
  DrawArrow(300, 100, 0);  // up
  DrawArrow(400, 100, 2);  // down
  EndFrame();
  const std::uint32_t white = 0xFFF0F0F0;
  // Each arrow is centred on its point; its tip is on the side it points to,
  // where the ink is thinnest.
  auto widthAt = [&](int x) { return BoundsOf(white, 4, {x, 80, x, 120}).Height(); };
  auto heightAt = [&](int y, int cx) { return BoundsOf(white, 4, {cx - 10, y, cx + 10, y}).Width(); };
  EXPECT_LT(widthAt(95), widthAt(105));
  EXPECT_GT(widthAt(195), widthAt(205));
  EXPECT_LT(heightAt(95, 300), heightAt(105, 300));
  EXPECT_GT(heightAt(95, 400), heightAt(105, 400));
  const PixelBox left = BoundsOf(white, 4, {80, 80, 120, 120});
  EXPECT_NEAR((left.x1 + left.x2) / 2, 100, 1);
  EXPECT_NEAR((left.y1 + left.y2) / 2, 100, 1);
}

TEST_F(PanelDrawing, NothingIsDrawnWithoutThePanelSet) {
  CSpriteRender* set = g_PanelSprites;
  g_PanelSprites = nullptr;
  BeginFrame();
  DrawFrameA(100, 100, 300, 200);
  DrawBarB(100, 300, 300);
  DrawArrow(100, 100, 1);
  EndFrame();
  g_PanelSprites = set;
  EXPECT_TRUE(InkBounds().Empty());
}

}  // namespace
