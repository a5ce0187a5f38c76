// The session browser (ScreenId 47): the hosts that answered a search, one
// row each (at most 45), with name, state, ping and players; choosing a row
// joins that host and waits at most 4,000 ms for its welcome while the
// window's events keep being handled.  Main thread only.
#pragma once

#include <cstdint>

struct MPSettings;

// The join wait's bound in ms.
inline constexpr std::uint32_t kMPJoinWaitMs = 4000;

// Empties the session list and adds one row per answering host (at most 45).
void RefreshSessionList();
// The session list's rectangle for the render target.
void LayoutSessionList();
void UpdateSessionBrowser(std::uint16_t itemId);
void DrawSessionBrowser();
void DrawSessionRow(std::uint16_t itemId, int x, int y, int menuWidth, int menuHeight, std::uint16_t flags,
                    void* owner);
// The host index of a row's record; negative when it no longer maps to a host.
int MPGetHostIndex(int row);
// The texts of a row's columns (for the draw and the tests): session name
// (clipped to 20 characters), state text id (0 none), "%dmS", "%d/%d".
struct SessionRowTexts {
  char name[21];
  std::uint32_t stateText;
  char ping[16];
  char players[16];
};
bool SessionRowTextsOf(int row, SessionRowTexts* out);
