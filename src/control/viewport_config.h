// The split-screen state: whether the screen is split between local players,
// how many views it shows, which way two views are arranged and the layout
// record in use (where each view sits and which HUD layout each player's
// elements follow).  One object, built at start-up.  Main thread only.
#pragma once

#include <cstdint>

// A constant layout record: per local player a HUD shift (fractions of the
// screen), a view rectangle (fractions of the screen; Flag 1 = in use) and a
// row block of the HUD layout table (kNoHudLayout: the player has no view).
struct ViewportRect {
  std::int32_t Flag;
  float X, Y, Width, Height;
};

struct ViewportLayout {
  float HudOffset[4][2];
  ViewportRect View[4];
  std::int32_t HudLayout[4];
};

inline constexpr int kNoHudLayout = 4;

// The three records: one view, two views one above the other, two views side
// by side.
extern const ViewportLayout kOneViewLayout;
extern const ViewportLayout kStackedLayout;
extern const ViewportLayout kSideBySideLayout;

class CViewportConfig {
 public:
  CViewportConfig();

  // Stores n as the view count and the player count, then reselects the layout.
  void SetCounts(int n);
  // 0 side by side, any other value one above the other; then reselects.
  void SetOrientation(int word);
  // Selects the record for count n without storing n: 1 one view, 2 by the
  // orientation word, any other count keeps the current record.
  void SelectLayout(int n);

  // True when the screen is not split, or for two players side by side.
  bool HasFullHeightViewports() const;
  // True only for a split screen of two players side by side.
  bool IsSideBySide() const;

  int GetFirstIndex(int player) const;
  void SetFirstIndex(int player, int index);
  int GetSecondIndex(int player) const;
  void SetSecondIndex(int player, int index);

  // The current record's HUD shift of player p (0..3; others read player 0's).
  void GetHudOffset(int player, float* x, float* y) const;
  const ViewportLayout& Layout() const { return *CurrentLayout; }

  // Fields in the record's order.
  int SplitScreen = 0;     // the enabled word: non-zero while the screen is split
  int ViewCount = 2;
  int PlayerCount = 2;
  int Orientation = 0;     // two views: 0 side by side, else stacked
  const ViewportLayout* CurrentLayout = &kSideBySideLayout;
  int NoEnemies = 0;       // the team word the soldiers' friend/foe checks read
  int FirstIndex[4] = {0, 1, 2, 3};
  int SecondIndex[4] = {0, 1, 2, 3};
  int ConfigWords[6] = {2, 0, 1, 2, 1, 0};
};

extern CViewportConfig g_ViewportConfig;

// Parses a "--split" value: "side" -> 0, "stacked" -> 1, anything else -1.
int ParseSplitOrientation(const char* text);
// The run option: the screen is split for two local players in the given
// orientation (0 side by side, 1 stacked).
void ApplySplitOption(int orientation);
