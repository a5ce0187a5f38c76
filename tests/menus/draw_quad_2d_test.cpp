// The screen-space primitives as pixels: filled quads and one-pixel
// outlines, additive quads, translucent colours, lines, quad pairs and the
// stacked list counters; every state they change is put back.
#include "menus/draw_quad_2d.h"

#include "menus/draw_line_2d.h"
#include "menus/list_counter.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screen_2d.h"
#include "render/2d/font.h"
#include "render/device/render.h"
#include "shell/program/game_objects.h"

namespace {

using ScreenPrimitives = MenuFrameTest;

TEST_F(ScreenPrimitives, FilledQuadsAndOutlinesCoverTheirRectangle) {
  BeginFrame();
  DrawQuad2D(100, 100, 50, 20, 255, 0, 0, 255, 1, 0);
  DrawQuad2D(QuadRect{300, 100, 360, 140}, 0, 255, 0, 255, 0, 0);  // outline only
  DrawQuad2D(500, 100, 0, 30, 0, 0, 255, 255, 1, 0);                // zero width: nothing
  EndFrame();
  const PixelBox red = BoundsOf(0xFFFF0000);
  EXPECT_EQ(red.x1, 100);
  EXPECT_EQ(red.y1, 100);
  EXPECT_EQ(red.Width(), 50);
  EXPECT_EQ(red.Height(), 20);
  EXPECT_EQ(CountOf(0xFFFF0000), 50 * 20);
  // The outline: its four edges and an empty inside.
  const PixelBox green = BoundsOf(0xFF00FF00);
  EXPECT_NEAR(green.x1, 300, 1);
  EXPECT_NEAR(green.x2, 360, 1);
  EXPECT_NEAR(green.y1, 100, 1);
  EXPECT_NEAR(green.y2, 140, 1);
  EXPECT_EQ(CountOf(0xFF00FF00, 6, {303, 103, 357, 137}), 0);
  EXPECT_GT(CountOf(0xFF00FF00), 2 * 60 + 2 * 40 - 8);
  EXPECT_EQ(CountOf(0xFF0000FF), 0);
}

TEST_F(ScreenPrimitives, TranslucentAndAdditiveColoursBlendAndStatesArePutBack) {
  BeginFrame();
  g_Render->SetBlendMode(6);
  g_Render->SetLighting(1);
  g_Render->SetFogEnable(1);
  g_Render->SetTexturing(1);
  DrawQuad2D(100, 100, 40, 40, 200, 100, 0, 255, 1, 0);
  DrawQuad2D(100, 100, 40, 40, 0, 0, 255, 128, 1, 0);  // half over the first
  DrawQuad2D(200, 100, 40, 40, 100, 0, 0, 255, 1, 0);
  DrawQuad2D(200, 100, 40, 40, 100, 50, 0, 255, 1, 1);  // added
  EXPECT_EQ(g_Render->GetBlendMode(), 6);
  EXPECT_EQ(g_Render->GetLighting(), 1u);
  EXPECT_EQ(g_Render->GetFogEnable(), 1u);
  EXPECT_EQ(g_Render->GetTexturing(), 1u);
  g_Render->SetLighting(0);
  g_Render->SetFogEnable(0);
  EndFrame();
  EXPECT_TRUE(Near(At(120, 120), Blend(0xFF0000FF, 128, 0xFFC86400), 3)) << std::hex << At(120, 120);
  EXPECT_TRUE(Near(At(220, 120), 0xFFC83200, 3)) << std::hex << At(220, 120);
}

TEST_F(ScreenPrimitives, LinesAndQuadPairs) {
  BeginFrame();
  DrawLine2D(50, 300, 250, 300, 255, 255, 255, 255);
  CScreen2D::DrawQuadPair(400, 300, 100, 40, 20, 40, 60, 255, 250, 250, 0, 255, 0);
  CScreen2D::DrawQuadPair(600, 300, 0, 40, 250, 0, 0, 255, 250, 0, 0, 255, 0);  // nothing
  EndFrame();
  const PixelBox line = BoundsOf(0xFFFFFFFF);
  EXPECT_NEAR(line.x1, 50, 1);
  EXPECT_NEAR(line.x2, 250, 1);
  EXPECT_EQ(line.Height(), 1);
  // The pair: the first colour fills, the second outlines.
  EXPECT_TRUE(Near(At(450, 320), 0xFF14283C, 2));
  const PixelBox rim = BoundsOf(0xFFFAFA00);
  EXPECT_NEAR(rim.x1, 400, 1);
  EXPECT_NEAR(rim.x2, 500, 1);
  EXPECT_EQ(CountOf(0xFFFA0000), 0);
}

TEST_F(ScreenPrimitives, ListCountersStackAndClampTheirCurrentToTheTotal) {
  SetUpListCounter(20, 40, 30, 200, 16, g_MainFont);
  BeginFrame();
  DrawListCounter(10, 5, "USED");
  DrawListCounter(4, 9, nullptr);  // above the total: a full bar
  DrawListCounter(0, 0, nullptr);  // no total: an empty bar
  EndFrame();
  EXPECT_EQ(GetListCounter().Y, 40 + 3 * 30);
  const std::uint32_t fill = 0xFF28A028;
  const PixelBox first = BoundsOf(fill, 4, {20, 40, 400, 56});
  EXPECT_NEAR(first.Width(), 100, 2);  // half of 200
  const PixelBox second = BoundsOf(fill, 4, {20, 70, 400, 86});
  EXPECT_NEAR(second.Width(), 200, 2);
  EXPECT_EQ(CountOf(fill, 4, {20, 100, 400, 116}), 0);
  // Every bar's white outline spans the whole width.
  EXPECT_NEAR(BoundsOf(0xFFFFFFFF, 4, {0, 95, 300, 120}).Width(), 201, 2);
  // The caption "USED [5/10]" stands right of the first bar.
  const PixelBox caption = InkBounds({222, 30, 799, 60});
  EXPECT_FALSE(caption.Empty());
  EXPECT_NEAR(caption.x1, 226, 1);
  EXPECT_NEAR(caption.Width(), g_MainFont->GetStringWidth("USED [5/10]"), 3);
}

}  // namespace
