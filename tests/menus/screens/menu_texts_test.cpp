// Every string id the menus ask for on the front end's path is in the
// game's string file (the test's table is the one the build makes from
// "GenStrs.txt"), and a missing id draws nothing and changes nothing else.
#include <set>

#include "foundation/text/locale_table.h"
#include "menus/drawing/indexed_text.h"
#include "menus/drawing/paused_banner.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/menu_screen.h"
#include "menus/screens/menu_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/widgets/menu.h"

namespace {

std::set<std::uint32_t> g_asked;
void Note(std::uint32_t id) { g_asked.insert(id); }

using MenuTexts = MenuFrameTest;

TEST_F(MenuTexts, EveryIdAskedOnTheFrontEndPathIsInTheStringFile) {
  g_asked.clear();
  CMenu::SetTextObserver(Note);
  // Start-up, the front end's level, frames of the front end, the squad-name
  // editor, the pause banner and the indexed texts.
  ASSERT_EQ(CreateScreens(), 1);
  PopulateFrontEndScreens();
  ResetScreenTransitions();
  for (int id : {1, 11, 4}) {
    SetScreen(id);
    for (int i = 0; i < 20; ++i) {
      BeginFrame(40);
      UpdateCurrentScreen();
      DrawMenus();
      EndFrame();
    }
  }
  BeginFrame();
  DrawPausedBanner(0);
  DrawPausedBanner(1);
  EndFrame();
  for (int n = 0; n < 10; ++n) GetIndexedText(n);
  CMenu::SetTextObserver(nullptr);
  DestroyScreens();
  ScreenId = PreviousScreenId = 0;
  ASSERT_GE(g_asked.size(), 15u);
  for (std::uint32_t id : g_asked) EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
}

TEST_F(MenuTexts, AMissingTextDrawsNothingAndNothingElseChanges) {
  // The hints and the title of a screen whose texts the table lacks.
  const MenuScreenDefaults saved = g_MenuScreenDefaults;
  g_MenuScreenDefaults.leftHint = 0x0BADF00D;
  g_MenuScreenDefaults.rightHint = 0x0BADF00E;
  ASSERT_EQ(g_Locale->GetString(0x0BADF00D), nullptr);
  ScreenId = 1;
  ResetScreenTransitions();
  BeginFrame();
  DrawMenus();
  EXPECT_EQ(DrawTextIdCentred(0x0BADF00D, 0, 800, 100, 1), 0.0f);
  EndFrame();
  EXPECT_TRUE(InkBounds().Empty());
  g_MenuScreenDefaults = saved;
  ScreenId = 0;
}

}  // namespace
