#include "control/viewport_config.h"

#include <cstring>

// Offsets, view rectangles {flag, x, y, width, height}, HUD layout numbers.
const ViewportLayout kOneViewLayout = {
    {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
    {{1, 0.0f, 0.0f, 1.0f, 1.0f}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
    {0, kNoHudLayout, kNoHudLayout, kNoHudLayout}};

const ViewportLayout kStackedLayout = {
    {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
    {{1, 0.0f, 0.0f, 1.0f, 0.5f}, {1, 0.0f, 0.5f, 1.0f, 0.5f}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
    {1, 1, kNoHudLayout, kNoHudLayout}};

const ViewportLayout kSideBySideLayout = {
    {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
    {{1, 0.0f, 0.0f, 0.5f, 1.0f}, {1, 0.5f, 0.0f, 0.5f, 1.0f}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
    {2, 2, kNoHudLayout, kNoHudLayout}};

CViewportConfig::CViewportConfig() {
  for (int i = 0; i < 4; ++i) FirstIndex[i] = SecondIndex[i] = i;
}

void CViewportConfig::SetCounts(int n) {
  ViewCount = n;
  PlayerCount = n;
  SelectLayout(ViewCount);
}

void CViewportConfig::SetOrientation(int word) {
  Orientation = word;
  SelectLayout(ViewCount);
}

void CViewportConfig::SelectLayout(int n) {
  if (n == 1)
    CurrentLayout = &kOneViewLayout;
  else if (n == 2)
    CurrentLayout = Orientation == 0 ? &kSideBySideLayout : &kStackedLayout;
}

bool CViewportConfig::HasFullHeightViewports() const {
  return SplitScreen == 0 || (PlayerCount == 2 && Orientation == 0);
}

bool CViewportConfig::IsSideBySide() const { return SplitScreen != 0 && PlayerCount == 2 && Orientation == 0; }

namespace {
bool ValidPlayer(int p) { return p >= 0 && p < 4; }
}  // namespace

int CViewportConfig::GetFirstIndex(int player) const { return ValidPlayer(player) ? FirstIndex[player] : 0; }
void CViewportConfig::SetFirstIndex(int player, int index) {
  if (ValidPlayer(player)) FirstIndex[player] = index;
}
int CViewportConfig::GetSecondIndex(int player) const { return ValidPlayer(player) ? SecondIndex[player] : 0; }
void CViewportConfig::SetSecondIndex(int player, int index) {
  if (ValidPlayer(player)) SecondIndex[player] = index;
}

void CViewportConfig::GetHudOffset(int player, float* x, float* y) const {
  const int p = ValidPlayer(player) ? player : 0;
  if (x != nullptr) *x = CurrentLayout->HudOffset[p][0];
  if (y != nullptr) *y = CurrentLayout->HudOffset[p][1];
}

CViewportConfig g_ViewportConfig;

int ParseSplitOrientation(const char* text) {
  if (text == nullptr) return -1;
  if (std::strcmp(text, "side") == 0) return 0;
  if (std::strcmp(text, "stacked") == 0) return 1;
  return -1;
}

void ApplySplitOption(int orientation) {
  g_ViewportConfig.SplitScreen = 1;
  g_ViewportConfig.SetCounts(2);
  g_ViewportConfig.SetOrientation(orientation);
}
