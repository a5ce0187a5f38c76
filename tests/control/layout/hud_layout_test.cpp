// The split-screen layout records and the HUD anchors they give each player.
#include "control/layout/hud_layout.h"

#include <gtest/gtest.h>

#include "render/device/render.h"

namespace {

D3DVIEWPORT8 View(DWORD x, DWORD y, DWORD w, DWORD h) {
  D3DVIEWPORT8 v;
  MakeViewport(&v, x, y, w, h, 0.0f, 1.0f);
  return v;
}

CViewportConfig Config(int split, int count, int orientation) {
  CViewportConfig c;
  c.SplitScreen = split;
  c.SetOrientation(orientation);
  c.SetCounts(count);
  return c;
}

TEST(HudLayout, AnchorsPerLayoutInThePlayersOwnView) {
  const D3DVIEWPORT8 full = View(0, 0, 800, 600), top = View(0, 0, 800, 300), bottom = View(0, 300, 800, 300),
                     left = View(0, 0, 400, 600), right = View(400, 0, 400, 600);
  struct Case {
    const char* what;
    int split, count, orientation, player, element;
    D3DVIEWPORT8 view;
    float x, y;
  } cases[] = {
      {"unsplit: layout 0", 0, 1, 0, 0, HUD_INVENTORY_POPUP, full, 0.79375f * 800, 0.35f * 600},
      // Unsplit, every player reads layout 0, but from its own view's origin.
      {"unsplit, player 1's own view", 0, 1, 0, 1, HUD_INVENTORY_POPUP, bottom, 0.79375f * 800, 300 + 0.35f * 300},
      {"stacked, player 0", 1, 2, 1, 0, HUD_ACTION_HINT, top, 0.85f * 800, 0.6f * 300},
      {"stacked, player 1's inventory", 1, 2, 1, 1, HUD_INVENTORY_POPUP, bottom, 0.67f * 800, 600 * (0.5f + 0.5f * 0.07f)},
      {"side by side, player 1's hint", 1, 2, 0, 1, HUD_ACTION_HINT, right, 400 + 0.84f * 400, 0.72f * 600},
      {"side by side, player 0's radar", 1, 2, 0, 0, HUD_RADAR, left, 0.142f * 400, 0.075f * 600},
      // A player without a view (layout number 4): layout 0's anchor in view 0.
      {"no view", 1, 2, 0, 2, HUD_SOLDIER_MENU, View(0, 0, 0, 0), 0.055f * 400, 0.79f * 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const CViewportConfig config = Config(c.split, c.count, c.orientation);
    const D3DVIEWPORT8 view0 = c.count == 1 ? full : c.orientation == 0 ? left : top;
    float x = -1, y = -1;
    ASSERT_TRUE(ComputeHudPosition(config, c.player, c.element, c.view, view0, 800, 600, &x, &y));
    EXPECT_FLOAT_EQ(x, c.x);
    EXPECT_FLOAT_EQ(y, c.y);
  }
}

TEST(HudLayout, TheScreenShiftIsAppliedAndBadArgumentsAnswerFalse) {
  // The three records shift nothing; a record that does shows the term is there.
  ViewportLayout shifted = kSideBySideLayout;
  shifted.HudOffset[1][0] = 0.1f;
  shifted.HudOffset[1][1] = -0.05f;
  CViewportConfig config = Config(1, 2, 0);
  config.CurrentLayout = &shifted;
  const D3DVIEWPORT8 right = View(400, 0, 400, 600);
  float x = 0, y = 0;
  ASSERT_TRUE(ComputeHudPosition(config, 1, HUD_VEHICLE_POPUP, right, right, 800, 600, &x, &y));
  EXPECT_FLOAT_EQ(x, 400 + 0.5f * 400 + 80);
  EXPECT_FLOAT_EQ(y, 0.31f * 600 - 30);
  for (auto [player, element] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, HUD_ELEMENT_COUNT}}) {
    x = y = 7;
    EXPECT_FALSE(ComputeHudPosition(config, player, element, right, right, 800, 600, &x, &y));
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
  }
}

TEST(ViewportConfig, RecordSelectionByCountAndOrientation) {
  CViewportConfig c;
  EXPECT_EQ(c.CurrentLayout, &kSideBySideLayout);
  EXPECT_EQ(c.ViewCount, 2);
  EXPECT_EQ(c.PlayerCount, 2);
  c.SetOrientation(1);
  EXPECT_EQ(c.CurrentLayout, &kStackedLayout);
  c.SetCounts(1);
  EXPECT_EQ(c.CurrentLayout, &kOneViewLayout);
  EXPECT_EQ(c.PlayerCount, 1);
  c.SetCounts(2);
  EXPECT_EQ(c.CurrentLayout, &kStackedLayout);
  // Three or four views have no record: the previous one stays.
  for (int n : {3, 4, 0}) {
    c.SetCounts(n);
    EXPECT_EQ(c.CurrentLayout, &kStackedLayout) << n;
    EXPECT_EQ(c.ViewCount, n);
  }
  // Reselecting for a count does not store it.
  c.SetCounts(2);
  c.SelectLayout(1);
  EXPECT_EQ(c.CurrentLayout, &kOneViewLayout);
  EXPECT_EQ(c.ViewCount, 2);
}

TEST(ViewportConfig, FullHeightAndSideBySideAnswers) {
  struct Case {
    int split, players, orientation;
    bool fullHeight, sideBySide;
  } cases[] = {
      {0, 1, 0, true, false}, {0, 2, 1, true, false}, {1, 2, 0, true, true},
      {1, 2, 1, false, false}, {1, 3, 0, false, false}, {1, 4, 5, false, false},
  };
  for (const Case& k : cases) {
    CViewportConfig c;
    c.SplitScreen = k.split;
    c.SetCounts(k.players);
    c.SetOrientation(k.orientation);
    EXPECT_EQ(c.HasFullHeightViewports(), k.fullHeight) << k.split << k.players << k.orientation;
    EXPECT_EQ(c.IsSideBySide(), k.sideBySide) << k.split << k.players << k.orientation;
  }
}

TEST(ViewportConfig, IndexTablesStartAsThePlayerNumberAndRefuseOthers) {
  CViewportConfig c;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(c.GetFirstIndex(i), i);
    EXPECT_EQ(c.GetSecondIndex(i), i);
  }
  c.SetFirstIndex(2, 0);
  c.SetSecondIndex(3, 1);
  c.SetFirstIndex(4, 9);
  c.SetSecondIndex(-1, 9);
  EXPECT_EQ(c.GetFirstIndex(2), 0);
  EXPECT_EQ(c.GetSecondIndex(3), 1);
  EXPECT_EQ(c.GetFirstIndex(4), 0);
  EXPECT_EQ(c.GetSecondIndex(-1), 0);
  EXPECT_EQ(c.ConfigWords[0], 2);
  EXPECT_EQ(c.ConfigWords[4], 1);
}

TEST(ViewportConfig, ViewPixelsOfEachRecordTileTheScreen) {
  struct Case {
    const ViewportLayout* layout;
    int view;
    bool used;
    DWORD x, y, w, h;
  } cases[] = {
      {&kOneViewLayout, 0, true, 0, 0, 640, 480},   {&kOneViewLayout, 1, false, 0, 0, 0, 0},
      {&kStackedLayout, 0, true, 0, 0, 640, 240},   {&kStackedLayout, 1, true, 0, 240, 640, 240},
      {&kSideBySideLayout, 0, true, 0, 0, 320, 480}, {&kSideBySideLayout, 1, true, 320, 0, 320, 480},
      {&kSideBySideLayout, 2, false, 0, 0, 0, 0},   {&kSideBySideLayout, 4, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    D3DVIEWPORT8 v = View(1, 1, 1, 1);
    ASSERT_EQ(ViewportPixels(*c.layout, c.view, 640, 480, &v), c.used) << c.view;
    if (!c.used) continue;
    EXPECT_EQ(v.X, c.x);
    EXPECT_EQ(v.Y, c.y);
    EXPECT_EQ(v.Width, c.w);
    EXPECT_EQ(v.Height, c.h);
  }
}

TEST(ViewportConfig, SplitOptionWords) {
  EXPECT_EQ(ParseSplitOrientation("side"), 0);
  EXPECT_EQ(ParseSplitOrientation("stacked"), 1);
  for (const char* bad : {"", "Side", "stack", "sidestacked"}) EXPECT_EQ(ParseSplitOrientation(bad), -1) << bad;
  EXPECT_EQ(ParseSplitOrientation(nullptr), -1);
  const CViewportConfig saved = g_ViewportConfig;
  ApplySplitOption(1);
  EXPECT_EQ(g_ViewportConfig.SplitScreen, 1);
  EXPECT_EQ(g_ViewportConfig.PlayerCount, 2);
  EXPECT_EQ(g_ViewportConfig.CurrentLayout, &kStackedLayout);
  ApplySplitOption(0);
  EXPECT_EQ(g_ViewportConfig.CurrentLayout, &kSideBySideLayout);
  g_ViewportConfig = saved;
}

}  // namespace
