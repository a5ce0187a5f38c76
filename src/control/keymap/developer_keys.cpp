#include "control/keymap/developer_keys.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "control/input/input.h"
#include "foundation/system/not_built_yet.h"

namespace {

constexpr DeveloperKeyRow kRows[] = {
    {"Toggle Lighting", 0, KEY_NONE, 60, KEYMAP_PRESSED},  // F2
    {"Increasing Field of View", 0, KEY_NONE, 61, KEYMAP_PRESSED},  // F3
    {"Decreasing Field of View", 0, KEY_NONE, 62, KEYMAP_PRESSED},  // F4
    {"Toggle senses display", 0, KEY_NONE, 63, KEYMAP_PRESSED},  // F5
    {"Toggle enemy sense display", 0, KEY_NONE, 64, KEYMAP_PRESSED},  // F6
    {"Toggle player sense display", 0, KEY_NONE, 65, KEYMAP_PRESSED},  // F7
    {"Toggle Time Steps", 0, KEY_NONE, 66, KEYMAP_PRESSED},  // F8
    {"Toggle Interface", 0, KEY_NONE, 67, KEYMAP_PRESSED},  // F9
    {"Toggle WireFrame", 0, KEY_NONE, 68, KEYMAP_PRESSED},  // F10
    {"Toggle Rendering", 0, 29, 68, KEYMAP_PRESSED},  // F10
    {"Write player state", 0, 29, 87, KEYMAP_PRESSED},  // F11
    {"Read player state", 0, 29, 88, KEYMAP_PRESSED},  // F12
    {"Toggle Shadows", 0, KEY_NONE, 30, KEYMAP_PRESSED},  // A
    {"Toggle EnemyAI", 0, KEY_NONE, 48, KEYMAP_PRESSED},  // B
    {"Toggle Camera State", 0, KEY_NONE, 46, KEYMAP_PRESSED},  // C
    {"Scroll Up", 1, KEY_NONE, 23, KEYMAP_PRESSED},  // I
    {"Correct Zones", 1, KEY_NONE, 36, KEYMAP_PRESSED},  // J
    {"Toggle Player damage", 1, KEY_NONE, 37, KEYMAP_PRESSED},  // K
    {"Scroll Down", 1, KEY_NONE, 50, KEYMAP_HELD},  // M
    {"Toggle Widescreen", 0, 29, 49, KEYMAP_PRESSED},  // N
    {"Increase Experience", 0, KEY_NONE, 24, KEYMAP_PRESSED},  // O
    {"Decrease Experience", 0, KEY_NONE, 25, KEYMAP_PRESSED},  // P
    {"Toggle RouteMarkerDisplay", 0, KEY_NONE, 20, KEYMAP_PRESSED},  // T
    {"Toggle Interface scaling", 0, KEY_NONE, 22, KEYMAP_PRESSED},  // U
    {"Toggle Unlimited Ammo", 0, KEY_NONE, 47, KEYMAP_PRESSED},  // V
    {"Toggle Time", 1, KEY_NONE, 45, KEYMAP_PRESSED},  // X
    {"Toggle targetting reverse", 1, KEY_NONE, 21, KEYMAP_PRESSED},  // Y
    {"Toggle Grunt state info", 0, KEY_NONE, 44, KEYMAP_PRESSED},  // Z
    {"Jump to next local player", 0, 29, 44, KEYMAP_PRESSED},  // Z
    {"Scroll In", 1, KEY_NONE, 328, KEYMAP_HELD},  // Up
    {"Scroll Out", 1, KEY_NONE, 336, KEYMAP_HELD},  // Down
    {"Scroll Left", 1, KEY_NONE, 331, KEYMAP_HELD},  // Left
    {"Scroll Right", 1, KEY_NONE, 333, KEYMAP_HELD},  // Right
    {"Toggle Terminal", 1, KEY_NONE, 41, KEYMAP_PRESSED},  // grave accent
    {"Change Skin Texture", 0, KEY_NONE, 55, KEYMAP_PRESSED},  // keypad *
    {"shadow short", 0, KEY_NONE, 80, KEYMAP_HELD},  // keypad 2
    {"Toggle vehicle state info", 0, KEY_NONE, 81, KEYMAP_PRESSED},  // keypad 3
    {"graphic flag", 0, KEY_NONE, 76, KEYMAP_PRESSED},  // keypad 5
    {"torso left", 0, KEY_NONE, 75, KEYMAP_HELD},  // keypad 4
    {"torso right", 0, KEY_NONE, 77, KEYMAP_HELD},  // keypad 6
    {"Resurrect people", 0, KEY_NONE, 71, KEYMAP_PRESSED},  // keypad 7
    {"shadows long", 0, KEY_NONE, 72, KEYMAP_HELD},  // keypad 8
    {"Speed up time", 0, KEY_NONE, 338, KEYMAP_HELD},  // Insert
    {"Slow down time", 0, KEY_NONE, 339, KEYMAP_HELD},  // Delete
    {"Change grunt data display", 0, KEY_NONE, 11, KEYMAP_PRESSED},  // 0
    {"Toggle Player Collision Spheres", 1, 285, 46, KEYMAP_PRESSED},  // C
    {"Toggle Octree Nodes Display", 1, 285, 24, KEYMAP_PRESSED},  // O
    {"Toggle Health Bars Display", 1, 285, 36, KEYMAP_PRESSED},  // J
    {"Toggle Quad Tree Display", 1, 285, 16, KEYMAP_PRESSED},  // Q
    {"Quad Tree Display - Zoom In", 1, KEY_NONE, 329, KEYMAP_HELD},  // Page Up
    {"Quad Tree Display - Zoom Out", 1, KEY_NONE, 337, KEYMAP_HELD},  // Page Down
    {"Toggle Bar Graphs Display", 1, 285, 48, KEYMAP_PRESSED},  // B
    {"Set Screen Mode to Briefing", 0, 312, 48, KEYMAP_PRESSED},  // B
    {"Increase selected Grunts experience points", 0, 312, 18, KEYMAP_PRESSED},  // E
    {"Toggle Filter for Interface", 1, 312, 23, KEYMAP_PRESSED},  // I
    {"Kill the selected Grunt", 1, 312, 37, KEYMAP_PRESSED},  // K
    {"Successful completion of mission", 1, 312, 50, KEYMAP_PRESSED},  // M
    {"Fire vehicle weapon", 0, 56, 33, KEYMAP_PRESSED},  // F
    {"Toggle server debug output", 0, 29, 31, KEYMAP_PRESSED},  // S
    {"Toggle client debug output", 0, 29, 18, KEYMAP_PRESSED},  // E
    {"Toggle multiplayer ghost highlight", 0, 29, 34, KEYMAP_PRESSED},  // G
    {"Toggle multiplayer ghost trail", 0, 29, 20, KEYMAP_PRESSED},  // T
    {"Toggle freeze on ghost trail", 0, 29, 33, KEYMAP_PRESSED},  // F
    {"Toggle grunt switching mode", 0, 29, 30, KEYMAP_PRESSED},  // A
    {"Enable new sound samples", 0, 29, 16, KEYMAP_PRESSED},  // Q
    {"Disable new sound samples", 0, 29, 17, KEYMAP_PRESSED},  // W
    {"Zero Ammo", 1, 29, 44, KEYMAP_PRESSED},  // Z
    {"Reset Ammo", 1, 29, 19, KEYMAP_PRESSED},  // R
    {"Toggle language", 1, 42, 38, KEYMAP_PRESSED},  // L
    {"Toggles the control for PC from keyboard/mouse to joypad", 0, 42, 45, KEYMAP_PRESSED},  // X
    {"Toggles MP Logging", 0, 42, 32, KEYMAP_PRESSED},  // D
    {"Toggles routing debug mode on/off", 0, 42, 19, KEYMAP_PRESSED},  // R
    {"Toggle Cheat Input On", 1, KEY_NONE, 284, KEYMAP_PRESSED},  // keypad Enter
    {"TOGGLE Debug Mappings", 1, 42, 53, KEYMAP_PRESSED},  // slash
};
constexpr int kRowCount = static_cast<int>(sizeof kRows / sizeof kRows[0]);

KeyMapHandler gInstalled[kRowCount] = {};

int RowOf(const char* description) {
  if (!description) return -1;
  for (int i = 0; i < kRowCount; ++i)
    if (std::strcmp(kRows[i].description, description) == 0) return i;
  return -1;
}

void ToggleDebugMappings() { SetDebugMappings(GetDebugMappings() ? 0 : 1); }

// One reporting function per row, so that each names its own mapping.
template <int Row>
void NotBuilt() {
  NotBuiltYet((std::string("developer key \"") + kRows[Row].description + "\"").c_str());
}

template <int... Rows>
constexpr auto MakeReporters(std::integer_sequence<int, Rows...>) {
  return std::array<KeyMapHandler, sizeof...(Rows)>{&NotBuilt<Rows>...};
}
constexpr auto kReporters = MakeReporters(std::make_integer_sequence<int, kRowCount>{});

}  // namespace

const DeveloperKeyRow* DeveloperKeyRows(int* count) {
  if (count) *count = kRowCount;
  return kRows;
}

bool SetDeveloperKeyHandler(const char* description, KeyMapHandler handler) {
  const int row = RowOf(description);
  if (row < 0) return false;
  gInstalled[row] = handler;
  return true;
}

KeyMapHandler DeveloperKeyHandler(const char* description) {
  const int row = RowOf(description);
  if (row < 0) return nullptr;
  if (gInstalled[row]) return gInstalled[row];
  if (std::strcmp(description, "TOGGLE Debug Mappings") == 0) return &ToggleDebugMappings;
  return kReporters[static_cast<std::size_t>(row)];
}
