// The context prompt on the offscreen device with the game's own font and
// string table: drawn right-aligned at the action hint anchor of the
// player's view in the second half of each 500 ms, blank in the first; the
// exchange prompt's sound once per blink.
#include "control/commands/context_prompt.h"

#include <gtest/gtest.h>

#include <vector>

#include "control/layout/hud_layout.h"
#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "render/2d/font.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "shell/frame/run_frame.h"
#include "shell/level/level_root_fixture.h"
#include "shell/program/game_objects.h"
#include "world/engine.h"

namespace {

std::vector<int> g_sounds;
void RecordSound(int event) { g_sounds.push_back(event); }

class ContextPrompt : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_TRUE(StartLevel("Demo.loa"));
    SetScreen(14);
    g_GameClock->SetRunning(0);
    ApplySplitOption(0);
    while (g_LocalPlayers.Count() < 2) ASSERT_NE(g_LocalPlayers.Add(), nullptr);
    RenderFrame(1);  // the view records of the split screen
    g_sounds.clear();
  }
  // Draws the prompt on black (2D states as the overlay pass sets them) and
  // counts the light pixels in the box left of and below the anchor.
  int LitPixels(int player, int code, std::uint32_t time, ContextPromptBlink* blink, bool* drawn) {
    g_Render->SetClearColour(0xFF000000u);
    g_Render->Clear(1);
    g_Render->BeginScene();
    g_Render->SetZEnable(0);
    g_Render->SetLighting(0);
    g_Render->SetFogEnable(0);
    g_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    g_FontSprites->SetBlendMode(3);
    *drawn = DrawContextPrompt(player, code, false, time, blink, RecordSound);
    g_Render->EndScene();
    g_Render->SetZEnable(1);
    float x = 0, y = 0;
    EXPECT_TRUE(GetHudPosition(player, HUD_ACTION_HINT, &x, &y));
    int lit = 0;
    for (int py = static_cast<int>(y) - 4; py < static_cast<int>(y) + 40; ++py)
      for (int px = static_cast<int>(x) - 200; px < static_cast<int>(x) + 4; ++px) {
        const D3DCOLOR c = D3D8TestReadPixel(g_Render->GetDevice(), px, py);
        if (((c >> 8) & 0xFF) > 128) ++lit;
      }
    return lit;
  }
};

TEST_F(ContextPrompt, TheStringsHoldEveryPrompt) {
  for (int code = 0; code <= 26; ++code) {
    const std::uint32_t id = ContextPromptTextId(code, false);
    EXPECT_EQ(id == 0, code < 2 || code == 19 || code > 24) << code;
    if (id != 0) {
      EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
    }
  }
  EXPECT_NE(ContextPromptTextId(14, true), ContextPromptTextId(14, false));
  EXPECT_NE(g_Locale->GetString(ContextPromptTextId(14, true)), nullptr);
  EXPECT_EQ(ContextPromptTextId(-1, false), 0u);
}

TEST_F(ContextPrompt, ItBlinksAtTheActionHintOfThePlayersView) {
  float x = 0, y = 0;
  ASSERT_TRUE(GetHudPosition(1, HUD_ACTION_HINT, &x, &y));
  EXPECT_GT(x, g_Render->GetModeWidth() / 2.0f) << "player 1's view is the right half";
  ContextPromptBlink blink;
  bool drawn = false;
  struct Case {
    std::uint32_t time;
    bool shown;
  } cases[] = {{100, false}, {249, false}, {250, true}, {499, true}, {500, false}, {7300, true}};
  for (const Case& c : cases) {
    const int lit = LitPixels(1, 7, c.time, &blink, &drawn);
    EXPECT_EQ(drawn, c.shown) << c.time;
    if (c.shown)
      EXPECT_GT(lit, 20) << c.time;
    else
      EXPECT_EQ(lit, 0) << c.time;
  }
  // No prompt for code 19 or a plug-in's own code.
  for (int code : {0, 19, 31}) {
    EXPECT_EQ(LitPixels(1, code, 300, &blink, &drawn), 0) << code;
    EXPECT_FALSE(drawn);
  }
  EXPECT_TRUE(g_sounds.empty());
}

TEST_F(ContextPrompt, TheExchangePromptSoundsOncePerBlink) {
  ContextPromptBlink blink;
  bool drawn = false;
  for (std::uint32_t t : {100u, 300u, 350u, 400u, 600u, 800u, 900u}) LitPixels(0, 17, t, &blink, &drawn);
  EXPECT_EQ(g_sounds, (std::vector<int>{kExchangePromptSound, kExchangePromptSound}));
}

}  // namespace
