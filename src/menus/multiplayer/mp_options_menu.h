// The multiplayer options screen (ScreenId 49): time limit and four on/off
// rules (host only).  Back returns to the set-up, or to the round-over menu
// when entered from it.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CMPOptionsMenu : public CMenuScreen {
 public:
  enum : std::uint16_t { kTimeRow = 3601, kCacheRow = 3602, kSupportRow = 3603, kRespawnRow = 3604, kFireRow = 3605 };
  bool Create() override;
  void Populate() override;
  int Update() override;
  void Draw() override;
  void OnEnter() override;
  std::uint32_t GetLeftHintTextId() override;
  void DrawItemText(CMenuItem* item, const ScreenRect& rect, CFont* font, int highlighted) override;
};

// The time option's text: "%d minutes" for (value + 1) x 5, the no-limit
// text alone for 25 minutes (value 4).
void TimeOptionText(int value, char* out, int capacity);
