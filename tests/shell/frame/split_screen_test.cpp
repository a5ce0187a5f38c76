// Two local players on a split screen, side by side and stacked, in the
// demo level on the offscreen device: each view is drawn inside its layout
// rectangle from its own camera, so moving one view's camera changes pixels
// of that view only.
#include <gtest/gtest.h>

#include <vector>

#include "control/layout/hud_layout.h"
#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "render/device/render.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_root_fixture.h"
#include "world/cameras/movie_camera.h"
#include "world/cameras/movie_camera_record.h"
#include "world/engine.h"

namespace {

class SplitScreen : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_TRUE(StartLevel("Demo.loa"));
    SetScreen(14);
    g_GameClock->SetRunning(0);
  }
  // Every pixel of the back buffer, row by row.
  static std::vector<D3DCOLOR> Picture() {
    const int w = static_cast<int>(g_Render->GetModeWidth()), h = static_cast<int>(g_Render->GetModeHeight());
    std::vector<D3DCOLOR> p;
    p.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) / 4);
    for (int y = 0; y < h; y += 2)
      for (int x = 0; x < w; x += 2) p.push_back(D3D8TestReadPixel(g_Render->GetDevice(), x, y) & 0xFFFFFF);
    return p;
  }
};

TEST_F(SplitScreen, EachViewIsDrawnInItsRectangleFromItsOwnCamera) {
  for (int orientation : {0, 1}) {
    SCOPED_TRACE(orientation == 0 ? "side by side" : "stacked");
    ApplySplitOption(orientation);
    while (g_LocalPlayers.Count() < 2) ASSERT_NE(g_LocalPlayers.Add(), nullptr);
    // View 1 shows its own camera, placed where view 0's camera is.
    const int view0 = g_MovieCamera->GetViewportCamera(0);
    ASSERT_GE(view0, 0);
    const int view1 = g_MovieCamera->GetViewCamera(1);
    ASSERT_GE(view1, 0);
    ASSERT_NE(view1, view0);
    const MovieCameraRecord* first = g_MovieCamera->GetCameraRecord(view0);
    // Both look down at the ground before them (nothing there moves).
    CVector3 down = first->Angles;
    down.x = 60.0f;
    g_MovieCamera->SetAngles(view0, down);
    g_MovieCamera->SetPosition(view1, first->Position);
    g_MovieCamera->SetAngles(view1, down);
    g_MovieCamera->StartCamera(1, view1);
    ASSERT_EQ(g_MovieCamera->GetViewportCamera(1), view1);

    RenderFrame(1);
    RenderFrame(1);
    ASSERT_EQ(LastFrameViews(), 2);
    const int w = static_cast<int>(g_Render->GetModeWidth()), h = static_cast<int>(g_Render->GetModeHeight());
    // The device's per-view records are the layout's rectangles.
    const D3DVIEWPORT8* r1 = g_Render->GetViewportRecord(1);
    EXPECT_EQ(r1->X, orientation == 0 ? static_cast<DWORD>(w / 2) : 0u);
    EXPECT_EQ(r1->Y, orientation == 0 ? 0u : static_cast<DWORD>(h / 2));
    const std::vector<D3DCOLOR> before = Picture();
    RenderFrame(1);
    ASSERT_TRUE(Picture() == before) << "the same cameras draw the same picture";

    // View 1's camera turns round: only pixels of view 1 change.
    CVector3 turned = first->Angles;
    turned.y += 180.0f;
    g_MovieCamera->SetAngles(view1, turned);
    RenderFrame(1);
    const std::vector<D3DCOLOR> after = Picture();
    int changedInView1 = 0, changedElsewhere = 0;
    const int cols = (w + 1) / 2;
    for (std::size_t i = 0; i < after.size(); ++i) {
      if (after[i] == before[i]) continue;
      const int x = static_cast<int>(i % static_cast<std::size_t>(cols)) * 2;
      const int y = static_cast<int>(i / static_cast<std::size_t>(cols)) * 2;
      const bool inView1 = orientation == 0 ? x >= w / 2 : y >= h / 2;
      (inView1 ? changedInView1 : changedElsewhere) += 1;
    }
    EXPECT_GT(changedInView1, static_cast<int>(after.size()) / 20);
    EXPECT_EQ(changedElsewhere, 0);
    // The HUD anchors follow the layout: player 1's inventory pop-up.
    float x = 0, y = 0;
    ASSERT_TRUE(GetHudPosition(1, HUD_INVENTORY_POPUP, &x, &y));
    if (orientation == 0) {
      EXPECT_FLOAT_EQ(x, w / 2 + 0.5f * (w / 2));
      EXPECT_FLOAT_EQ(y, 0.31f * h);
    } else {
      EXPECT_FLOAT_EQ(x, 0.67f * w);
      EXPECT_FLOAT_EQ(y, h / 2 + 0.07f * (h / 2));
    }
  }
}

TEST_F(SplitScreen, OnePlayerIsDrawnFullScreen) {
  ApplySplitOption(0);
  g_ViewportConfig.SplitScreen = 0;
  g_ViewportConfig.SetCounts(1);
  RenderFrame(1);
  EXPECT_EQ(LastFrameViews(), 1);
  const D3DVIEWPORT8* r0 = g_Render->GetViewportRecord(0);
  EXPECT_EQ(r0->Width, g_Render->GetModeWidth());
  EXPECT_EQ(r0->Height, g_Render->GetModeHeight());
}

// The backdrop level's coloured blocks: a red one at x -500 and a blue one at
// x 500, both before the player view at z -900.
class SplitScreenColours : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_TRUE(StartLevel("Backdrop.loa"));
    SetScreen(14);
    g_GameClock->SetRunning(0);
  }
  static bool RedDominant(D3DCOLOR c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 90 && r > 2 * g && r > 2 * b;
  }
  static bool BlueDominant(D3DCOLOR c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return b > 90 && b > r + 40 && b > g + 20;
  }
  // The colour at the centre of view v's record.
  static D3DCOLOR ViewCentre(int v) {
    const D3DVIEWPORT8* r = g_Render->GetViewportRecord(static_cast<DWORD>(v));
    return D3D8TestReadPixel(g_Render->GetDevice(), static_cast<int>(r->X + r->Width / 2),
                             static_cast<int>(r->Y + r->Height / 2));
  }
  // Camera n stands 300 before the block at x, looking at it.
  static void Facing(int n, float x, float y) {
    g_MovieCamera->MakeFree(n);
    g_MovieCamera->SetPosition(n, {x, y, 250.0f});
    g_MovieCamera->SetAngles(n, {0.0f, 0.0f, 0.0f});
  }
};

TEST_F(SplitScreenColours, EachViewsCentreShowsTheBlockBeforeItsCamera) {
  for (int orientation : {0, 1}) {
    SCOPED_TRACE(orientation == 0 ? "side by side" : "stacked");
    ApplySplitOption(orientation);
    while (g_LocalPlayers.Count() < 2) ASSERT_NE(g_LocalPlayers.Add(), nullptr);
    const int view0 = g_MovieCamera->GetViewportCamera(0);
    const int view1 = g_MovieCamera->GetViewCamera(1);
    ASSERT_GE(view0, 0);
    ASSERT_GE(view1, 0);
    g_MovieCamera->StartCamera(1, view1);
    Facing(view0, -500.0f, 100.0f);
    Facing(view1, 500.0f, 300.0f);
    RenderFrame(1);
    ASSERT_EQ(LastFrameViews(), 2);
    EXPECT_TRUE(RedDominant(ViewCentre(0))) << std::hex << ViewCentre(0);
    EXPECT_TRUE(BlueDominant(ViewCentre(1))) << std::hex << ViewCentre(1);
    // View 1's camera turns to the red block: view 1 is red now, view 0 stays.
    Facing(view1, -500.0f, 100.0f);
    RenderFrame(1);
    EXPECT_TRUE(RedDominant(ViewCentre(1))) << std::hex << ViewCentre(1);
    EXPECT_TRUE(RedDominant(ViewCentre(0))) << std::hex << ViewCentre(0);
    // And view 0's to the blue one.
    Facing(view0, 500.0f, 300.0f);
    RenderFrame(1);
    EXPECT_TRUE(BlueDominant(ViewCentre(0))) << std::hex << ViewCentre(0);
    EXPECT_TRUE(RedDominant(ViewCentre(1))) << std::hex << ViewCentre(1);
  }
}

}  // namespace
