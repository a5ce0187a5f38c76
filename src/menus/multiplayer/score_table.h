// The score table (53 from the lobby, 54 at a round's end, the overlay of
// 55 during play), the in-game multiplayer menu (55) and the plain wait
// screen (37).  Rows stand in slot order 0-7.  Main thread only.
#pragma once

#include <cstdint>

// Lays out the score table for a screen (55 in-game, 54 round over, else the
// lobby's) and adds its eight rows.
void LayoutScoreTable(int screen);
void BuildScoreMenu();
void DrawScoreScreen();
void DrawScoreRow(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                  void* owner);
void UpdateScoreScreen(std::uint16_t itemId);

// The in-game menu's rectangle and its two items.
void LayoutInGameMPMenu();
void UpdateInGameMPMenu(std::uint16_t itemId);
void DrawInGameMPMenuItem(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                          void* owner);

void UpdateWaitScreen();
void DrawWaitScreen();

// What a score row shows (for the draw and the tests): nothing for an empty
// slot; whether it is the leader (a highest score above 0 among ready players).
struct ScoreRowFacts {
  bool shown;
  bool leader;
  bool ready;
};
ScoreRowFacts ScoreRowFactsOf(int slot);
