// The front end's level: loaded through the level life cycle, seen from its
// player camera, its three blocks stand in the picture in their colours.
#include <gtest/gtest.h>

#include "platform/d3d8/d3d8_test_hooks.h"
#include "render/device/render.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_cycle.h"
#include "shell/level/level_root_fixture.h"
#include "shell/level/loading_screens.h"

namespace {

using FrontEndLevel = LevelStart;

// Whether a pixel is close to a colour, allowing for light and fog.
bool Reddish(D3DCOLOR c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return r > 90 && r > 2 * g && r > 2 * b;
}
bool Yellowish(D3DCOLOR c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return r > 90 && g > 70 && b * 2 < g;
}
bool Bluish(D3DCOLOR c) {
  const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
  return b > 90 && b > r + 40 && b > g + 20;
}

TEST_F(FrontEndLevel, ItsCameraSeesTheThreeBlocksInTheirColours) {
  ASSERT_TRUE(StartLevel("Backdrop.loa"));
  EXPECT_TRUE(boxes_.empty()) << boxes_.front().caption << ": " << boxes_.front().text;
  g_Render->SetClearColour(0xFF000000u);
  g_Render->Clear(1);
  g_Render->BeginScene();
  DrawViewport(0);
  IDirect3DDevice8* device = g_Render->GetDevice();
  int red = 0, yellow = 0, blue = 0;
  for (int y = 0; y < 600; y += 4)
    for (int x = 0; x < 800; x += 4) {
      const D3DCOLOR c = D3D8TestReadPixel(device, x, y);
      red += Reddish(c) ? 1 : 0;
      yellow += Yellowish(c) ? 1 : 0;
      blue += Bluish(c) ? 1 : 0;
    }
  g_Render->EndScene();
  EXPECT_GT(red, 50);
  EXPECT_GT(yellow, 50);
  EXPECT_GT(blue, 50);
  // The second logo panel is hidden in a menu level; the first stays.
  HideIntroLogo();
}

}  // namespace
