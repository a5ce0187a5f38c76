// What the menus read of the controls: the input checks handed to every
// menu (accept, back, and the auto-repeating directions of one local
// player), and a few small flag queries.  Each check takes one 32-bit word
// (a local player's index for the directions; ignored by the others) and
// answers non-zero when its action fired this frame.  Main thread only.
//
// A held direction fires at once, again on the first frame more than 349 ms
// later (real clock), then on the first frame more than 125 ms after each
// repeat; a frame without it restarts the wait.  Each player keeps one repeat
// byte per direction (the inventory checks share the up and down bytes) and
// one next-repeat time shared by the four.
#pragma once

#include <cstdint>

// Any local player's MENU_BACK went down this frame; it also makes the next
// transition go backward.  In a network game false while the right mouse
// button is held on screens 42, 55 and 58.
int BackPressed(std::uint32_t ignored);
// Any local player's MENU_FORWARD went down this frame.
int AcceptPressed(std::uint32_t ignored);
int AcceptPressedInMenu(std::uint32_t ignored);
// MENU_UP down, or FORWARD down unless the screen is 10, 50 or 58.
int UpPressed(std::uint32_t player);
// MENU_DOWN down, or BACKWARD under the same rule.
int DownPressed(std::uint32_t player);
// MENU_LEFT or TURN_LEFT down, or STRAFE_LEFT under the same rule.
int LeftPressed(std::uint32_t player);
// MENU_RIGHT or TURN_RIGHT down, or STRAFE_RIGHT under the same rule.
int RightPressed(std::uint32_t player);
// INVENTORY_UP down or the mouse wheel turned up (at least 1); the up byte.
int InventoryUpPressed(std::uint32_t player);
// INVENTORY_DOWN down or the wheel turned down; the down byte.
int InventoryDownPressed(std::uint32_t player);

// The objective view's detail flag, set by the player control.
int ObjectiveDetailActive();
void SetObjectiveDetail(int on);
// The text page of the briefing and objective screens back to 0.
void ClearObjectiveTextPage();
// The word that lets the script text functions show their timed lines (always 1).
int SubtitlesEnabled();

// The first repeat and the later ones, in ms.
inline constexpr std::uint32_t kMenuFirstRepeatMs = 349;
inline constexpr std::uint32_t kMenuRepeatMs = 125;
