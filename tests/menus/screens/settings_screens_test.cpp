// The settings screens driven by injected keys through the screen manager:
// the options screen's volume sliders set the sound manager's volume words
// and their bars, the remembered row, back to where the options were entered
// from; the cheat row only with cheat mode; the cheat screen's skill bonus
// and enemy skill flag; the mouse screen's divisors, inversion and squared
// response on local player 0; the controls screen's two ways on.
#include <initializer_list>
#include <string>

#include "control/players/local_player_table.h"
#include "foundation/text/locale_table.h"
#include "menus/screens/cheat_menu.h"
#include "menus/screens/controller_menu.h"
#include "menus/screens/front_end_shared.h"
#include "menus/screens/mouse_menu.h"
#include "menus/screens/options_menu.h"
#include "menus/screens/options_text_ids.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/widgets/menu_slider_item.h"
#include "platform/win32/event_injection.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/program/command_line.h"
#include "sound/sound_manager.h"

namespace {

class SettingsScreens : public ScreenWalkTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    g_SoundManager = &sound_;
    SetPlayerSkillBonus(0);
    SetEnemySkillZero(0);
    OptionsReturnScreen = 1;
    Make(0);
  }
  void TearDown() override {
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    CheatMode = 0;
    SetPlayerSkillBonus(0);
    SetEnemySkillZero(0);
    g_SoundManager = nullptr;
    ScreenWalkTest::TearDown();
  }
  // The screens made again with cheat mode on or off, laid out as the front end does.
  void Make(unsigned cheatMode) {
    DestroyScreens();
    CheatMode = cheatMode;
    ASSERT_EQ(CreateScreens(), 1);
    PopulateFrontEndScreens();
  }
  CMenuScreen* Current() { return ScreenFromId(ScreenId); }
  std::uint16_t Selected() { return Current()->Menu->SelectedId; }
  // The width of a slider's filled bar (opaque yellow) in the row of an item.
  int FilledWidth(std::uint16_t id) {
    CScreenMenu* menu = Current()->Menu;
    for (int r = 0; r < menu->RowsShown(); ++r) {
      int index = 0, x = 0, y = 0;
      if (!menu->RowPosition(r, &index, &x, &y) || menu->Items[index]->Id != id) continue;
      const PixelBox row{0, y, s_Width - 1, y + menu->ItemHeight - 1};
      const PixelBox bar = BoundsOf(0xFFFFFF00, 2, row);
      return bar.Empty() ? 0 : bar.Width();
    }
    ADD_FAILURE() << "row " << id << " is not drawn";
    return -1;
  }
  CSoundManager sound_;
};

TEST_F(SettingsScreens, VolumeSlidersSetTheSoundManagersWordsAndTheirBars) {
  sound_.SetEffectsVolume(1.0f);
  sound_.SetMusicVolume(0.75f);
  OpenLong(4);
  Frame();
  ASSERT_EQ(Selected(), COptionsMenu::kEffectsRow) << "without cheat mode the effects slider is first";
  const int full = FilledWidth(COptionsMenu::kEffectsRow);
  EXPECT_GT(full, 100);
  // The music slider shows 15 of 20.
  EXPECT_NEAR(FilledWidth(COptionsMenu::kMusicRow), full * 15 / 20, 1);
  PressLong("Left");
  EXPECT_FLOAT_EQ(sound_.GetEffectsVolume(), 0.95f);
  EXPECT_NEAR(FilledWidth(COptionsMenu::kEffectsRow), full * 19 / 20, 1);
  EXPECT_FLOAT_EQ(sound_.GetMusicVolume(), 0.75f) << "the other slider is untouched";
  PressLong("Down");
  ASSERT_EQ(Selected(), COptionsMenu::kMusicRow);
  for (int i = 0; i < 18; ++i) PressLong("Left");
  EXPECT_FLOAT_EQ(sound_.GetMusicVolume(), 0.0f) << "the slider stops at 0";
  EXPECT_EQ(FilledWidth(COptionsMenu::kMusicRow), 0);
  for (int i = 0; i < 25; ++i) PressLong("Right");
  EXPECT_FLOAT_EQ(sound_.GetMusicVolume(), 1.0f) << "and at 20";
  // The sliders show the words again after a populate.
  sound_.SetEffectsVolume(0.35f);
  Current()->Populate();
  Frame();
  EXPECT_NEAR(FilledWidth(COptionsMenu::kEffectsRow), full * 7 / 20, 1);
}

TEST_F(SettingsScreens, TheRowLeadingAwayIsRememberedAndBackForgetsIt) {
  OptionsReturnScreen = 15;
  OpenLong(4);
  PressLong("Down");
  PressLong("Down");
  ASSERT_EQ(Selected(), COptionsMenu::kControlsRow);
  PressLong("Return");
  ASSERT_EQ(ScreenId, 31);
  auto* options = static_cast<COptionsMenu*>(ScreenFromId(4));
  EXPECT_EQ(options->RememberedRow, 2);
  PressLong("Escape");
  ASSERT_EQ(ScreenId, 4) << "back from the controls screen";
  EXPECT_EQ(Selected(), COptionsMenu::kControlsRow) << "the selection is restored";
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 15) << "back to where the options were entered from";
  EXPECT_EQ(options->RememberedRow, -1);
  OpenLong(4);
  EXPECT_EQ(Selected(), COptionsMenu::kEffectsRow);
}

TEST_F(SettingsScreens, TheCheatRowIsThereOnlyWhenCheatModeWasOnWhenTheScreensWereMade) {
  OpenLong(4);
  EXPECT_EQ(Current()->Menu->FindItem(COptionsMenu::kCheatsRow), nullptr);
  EXPECT_EQ(Current()->Menu->Count, 3);
  CheatMode = 1;
  OpenLong(4);
  EXPECT_EQ(Current()->Menu->FindItem(COptionsMenu::kCheatsRow), nullptr) << "not until the screens are made again";
  Make(1);
  OpenLong(4);
  EXPECT_EQ(Current()->Menu->Count, 4);
  ASSERT_EQ(Selected(), COptionsMenu::kCheatsRow);
  PressLong("Return");
  EXPECT_EQ(ScreenId, 7);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 4);
}

TEST_F(SettingsScreens, TheCheatScreenSetsTheSkillBonusUpToNineAndTheEnemySkillFlag) {
  Make(1);
  OpenLong(7);
  ASSERT_EQ(Selected(), CCheatMenu::kSkillBonusRow);
  EXPECT_EQ(Current()->GetLeftHintTextId(), 0u) << "no select hint on a slider";
  PressLong("Right");
  EXPECT_EQ(GetPlayerSkillBonus(), 1);
  for (int i = 0; i < 12; ++i) PressLong("Right");
  EXPECT_EQ(GetPlayerSkillBonus(), 9);
  PressLong("Down");
  PressLong("Right");
  EXPECT_EQ(GetEnemySkillZero(), 1u);
  PressLong("Left");
  EXPECT_EQ(GetEnemySkillZero(), 0u);
  PressLong("Down");
  EXPECT_EQ(Current()->GetLeftHintTextId(), g_MenuScreenDefaults.leftHint);
  PressLong("Return");
  EXPECT_EQ(ScreenId, 8) << "the mission list";
  // Entering shows the settings as they stand.
  SetPlayerSkillBonus(4);
  OpenLong(7);
  EXPECT_EQ(static_cast<CMenuSliderItem*>(Current()->Menu->FindItem(CCheatMenu::kSkillBonusRow))->SliderValue, 4);
}

TEST_F(SettingsScreens, TheMouseScreenSetsPlayerZerosDivisorsInversionAndSquaring) {
  CLocalPlayer* player = g_LocalPlayers.Get(0);
  OpenLong(31);
  PressLong("Down");
  ASSERT_EQ(Selected(), CControllerMenu::kMouseRow);
  PressLong("Return");
  ASSERT_EQ(ScreenId, 32);
  ASSERT_EQ(Selected(), CMouseMenu::kSpeedXRow);
  const int half = FilledWidth(CMouseMenu::kSpeedXRow);
  EXPECT_GT(half, 50) << "the starting divisor 200 shows 50 of 100";
  PressLong("Right");
  EXPECT_FLOAT_EQ(player->mouseXDivisor, 198.0f) << "a higher position is a quicker response";
  EXPECT_FLOAT_EQ(player->mouseYDivisor, 200.0f);
  PressLong("Down");
  PressLong("Left");
  PressLong("Left");
  EXPECT_FLOAT_EQ(player->mouseYDivisor, 204.0f);
  PressLong("Down");
  PressLong("Right");
  EXPECT_EQ(player->invertMouse, 1);
  PressLong("Down");
  ASSERT_EQ(player->mouseSquaredResponse, 1);
  PressLong("Left");
  EXPECT_EQ(player->mouseSquaredResponse, 0);
  PressLong("Escape");
  EXPECT_EQ(ScreenId, 31);
  PressLong("Up");
  PressLong("Return");
  EXPECT_EQ(ScreenId, 33) << "the key bindings row";
}

TEST(SettingsConversions, SliderPositionsReadBackAsTheSettingsTheySet) {
  struct Case {
    float divisor;
    int position;
  };
  for (const Case& c : {Case{200.0f, 50}, Case{100.0f, 100}, Case{300.0f, 0}, Case{198.0f, 51}})
    EXPECT_EQ(MouseDivisorToSlider(c.divisor), c.position) << c.divisor;
  for (int v = 0; v <= 100; ++v) EXPECT_EQ(MouseDivisorToSlider(SliderToMouseDivisor(v)), v) << v;
  for (int v = 0; v <= 20; ++v) EXPECT_EQ(VolumeToSlider(SliderToVolume(v)), v) << v;
  EXPECT_FLOAT_EQ(SliderToVolume(20), 1.0f);
  EXPECT_EQ(VolumeToSlider(0.75f), 15);
}

using SettingsTexts = MenuFrameTest;

TEST_F(SettingsTexts, EveryTextTheSettingsScreensShowIsInTheStringFile) {
  ASSERT_NE(g_Locale, nullptr);
  for (std::uint32_t id : kSettingsScreenTextIds) EXPECT_NE(g_Locale->GetString(id), nullptr) << std::hex << id;
}

}  // namespace
