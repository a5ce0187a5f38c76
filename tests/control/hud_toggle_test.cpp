// The per-view indicator: its on and colour words and the events it plays.
#include "control/hud_toggle.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> g_Played;

void Record(int bank, int event, int argument) {
  g_Played.push_back(bank);
  g_Played.push_back(event);
  g_Played.push_back(argument);
}

}  // namespace

TEST(HudToggle, SwitchingSetsTheWordsAndPlaysTheMatchingEvent) {
  g_Played.clear();
  SetHudToggleSoundHook(&Record);
  CHudToggle toggle;
  toggle.Set(1, 3, 10, 11, 7);
  EXPECT_EQ(toggle.GetOn(), 1u);
  EXPECT_EQ(toggle.GetColour(), 0xFF001900u);
  toggle.Set(0, 3, 10, 11, 7);
  EXPECT_EQ(toggle.GetOn(), 0u);
  // The colour word is left as it was when switching off.
  EXPECT_EQ(toggle.GetColour(), 0xFF001900u);
  SetHudToggleSoundHook(nullptr);
  EXPECT_EQ(g_Played, (std::vector<int>{3, 10, 7, 3, 11, 7}));
}

TEST(HudToggle, CurrentViewSelectsItsIndicator) {
  g_HudToggles[2].On = 1;
  g_CurrentView = 2;
  EXPECT_EQ(CurrentHudToggle().GetOn(), 1u);
  g_CurrentView = 9;  // out of range: view 0
  EXPECT_EQ(&CurrentHudToggle(), &g_HudToggles[0]);
  g_CurrentView = 0;
  g_HudToggles[2].On = 0;
}
