// The round-over menu (ScreenId 58): play again and change the set-up (host
// only), the options, and the shared chat line; the round's result above.
// Main thread only.
#pragma once

#include <cstdint>

void BuildRoundOverMenu();
void UpdateRoundOverMenu(std::uint16_t itemId);
void DrawRoundOverMenu();
void DrawRoundOverItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                       void* owner);
// The result line's text (empty in game mode 1).
void RoundResultText(char* out, int capacity);
