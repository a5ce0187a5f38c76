// The developer key rows against the table the key map must register, and
// their actions run through the key map with keys pushed through the game
// window.
#include "shell/devkeys/developer_key_actions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "control/keymap/developer_keys.h"
#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/event_injection.h"
#include "shell/cheats/cheat_registry.h"
#include "shell/cheats/cheat_settings.h"
#include "shell/script/script_state.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/engine.h"

namespace {

// description | key map | modifier (- none) | key | once per press (1) or while held (0)
constexpr const char* kGolden = R"(Toggle Lighting|0|-|60|1
Increasing Field of View|0|-|61|1
Decreasing Field of View|0|-|62|1
Toggle senses display|0|-|63|1
Toggle enemy sense display|0|-|64|1
Toggle player sense display|0|-|65|1
Toggle Time Steps|0|-|66|1
Toggle Interface|0|-|67|1
Toggle WireFrame|0|-|68|1
Toggle Rendering|0|29|68|1
Write player state|0|29|87|1
Read player state|0|29|88|1
Toggle Shadows|0|-|30|1
Toggle EnemyAI|0|-|48|1
Toggle Camera State|0|-|46|1
Scroll Up|1|-|23|1
Correct Zones|1|-|36|1
Toggle Player damage|1|-|37|1
Scroll Down|1|-|50|0
Toggle Widescreen|0|29|49|1
Increase Experience|0|-|24|1
Decrease Experience|0|-|25|1
Toggle RouteMarkerDisplay|0|-|20|1
Toggle Interface scaling|0|-|22|1
Toggle Unlimited Ammo|0|-|47|1
Toggle Time|1|-|45|1
Toggle targetting reverse|1|-|21|1
Toggle Grunt state info|0|-|44|1
Jump to next local player|0|29|44|1
Scroll In|1|-|328|0
Scroll Out|1|-|336|0
Scroll Left|1|-|331|0
Scroll Right|1|-|333|0
Toggle Terminal|1|-|41|1
Change Skin Texture|0|-|55|1
shadow short|0|-|80|0
Toggle vehicle state info|0|-|81|1
graphic flag|0|-|76|1
torso left|0|-|75|0
torso right|0|-|77|0
Resurrect people|0|-|71|1
shadows long|0|-|72|0
Speed up time|0|-|338|0
Slow down time|0|-|339|0
Change grunt data display|0|-|11|1
Toggle Player Collision Spheres|1|285|46|1
Toggle Octree Nodes Display|1|285|24|1
Toggle Health Bars Display|1|285|36|1
Toggle Quad Tree Display|1|285|16|1
Quad Tree Display - Zoom In|1|-|329|0
Quad Tree Display - Zoom Out|1|-|337|0
Toggle Bar Graphs Display|1|285|48|1
Set Screen Mode to Briefing|0|312|48|1
Increase selected Grunts experience points|0|312|18|1
Toggle Filter for Interface|1|312|23|1
Kill the selected Grunt|1|312|37|1
Successful completion of mission|1|312|50|1
Fire vehicle weapon|0|56|33|1
Toggle server debug output|0|29|31|1
Toggle client debug output|0|29|18|1
Toggle multiplayer ghost highlight|0|29|34|1
Toggle multiplayer ghost trail|0|29|20|1
Toggle freeze on ghost trail|0|29|33|1
Toggle grunt switching mode|0|29|30|1
Enable new sound samples|0|29|16|1
Disable new sound samples|0|29|17|1
Zero Ammo|1|29|44|1
Reset Ammo|1|29|19|1
Toggle language|1|42|38|1
Toggles the control for PC from keyboard/mouse to joypad|0|42|45|1
Toggles MP Logging|0|42|32|1
Toggles routing debug mode on/off|0|42|19|1
Toggle Cheat Input On|1|-|284|1
TOGGLE Debug Mappings|1|42|53|1
)";

TEST(DeveloperKeys, TheSeventyFourRowsEqualTheGoldenTable) {
  int count = 0;
  const DeveloperKeyRow* rows = DeveloperKeyRows(&count);
  ASSERT_EQ(count, 74);
  std::istringstream in(kGolden);
  std::string line;
  int i = 0;
  while (std::getline(in, line)) {
    ASSERT_LT(i, count);
    std::istringstream fields(line);
    std::string description, map, modifier, key, once;
    std::getline(fields, description, '|');
    std::getline(fields, map, '|');
    std::getline(fields, modifier, '|');
    std::getline(fields, key, '|');
    std::getline(fields, once, '|');
    const DeveloperKeyRow& r = rows[i];
    EXPECT_STREQ(r.description, description.c_str()) << i;
    EXPECT_EQ(r.alwaysActive, std::stoi(map)) << description;
    EXPECT_EQ(r.modifier, modifier == "-" ? KEY_NONE : std::stoi(modifier)) << description;
    EXPECT_EQ(r.key, std::stoi(key)) << description;
    EXPECT_EQ(r.trigger, once == "1" ? KEYMAP_PRESSED : KEYMAP_HELD) << description;
    ++i;
  }
  EXPECT_EQ(i, 74);
  // Every action installed names a row.
  int installed = 0;
  const char* const* names = InstalledDeveloperKeyActions(&installed);
  for (int k = 0; k < installed; ++k) {
    bool found = false;
    for (int r = 0; r < count && !found; ++r) found = std::strcmp(rows[r].description, names[k]) == 0;
    EXPECT_TRUE(found) << names[k];
  }
}

class DeveloperKeyActions : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    g_GameClock = gameClock_.get();
    g_RealClock = realClock_.get();
    // The world pause works on the clocks the effects were given.
    previousHooks_ = g_EffectsHooks;
    g_EffectsHooks.GameClock = gameClock_.get();
    g_EffectsHooks.RealClock = realClock_.get();
    ClearNotBuiltYet();
    ResetCheatSettings();
    ResetDeveloperKeyState();
    SetCommandSwitch('M');
    InstallDeveloperKeyActions();
    CreateKeyMap();
    SetDebugMappings(1);
  }
  void TearDown() override {
    int installed = 0;
    const char* const* names = InstalledDeveloperKeyActions(&installed);
    for (int k = 0; k < installed; ++k) SetDeveloperKeyHandler(names[k], nullptr);
    RemoveAllKeyMappings();
    ClearCommandSwitch('M');
    g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_IDLE;
    if (IsGamePaused()) SetGamePaused(0, 2);
    g_EffectsHooks = previousHooks_;
    g_GameClock = nullptr;
    g_RealClock = nullptr;
    InputWindowTest::TearDown();
  }
  // Keys down in order, one frame of the key map, keys up unless held.
  void Frame(std::vector<const char*> keys, bool release = true) {
    for (const char* k : keys) Win32InjectKey(window_, k, true);
    BeginFrame();
    gameClock_->Update();
    realClock_->Update();
    ProcessKeyMap(0);
    EndFrame();
    if (release)
      for (const char* k : keys) Win32InjectKey(window_, k, false);
  }
  EffectsHooks previousHooks_;
};

TEST_F(DeveloperKeyActions, HeldInsertAndDeleteStepTheTimeScaleWithinItsLimits) {
  gameClock_->SetTimeScale(1.0f);
  Frame({"Insert"}, false);
  const float afterOne = gameClock_->GetTimeScale();
  EXPECT_GT(afterOne, 1.0f);
  for (int i = 0; i < 2000; ++i) Frame({}, false);
  EXPECT_FLOAT_EQ(gameClock_->GetTimeScale(), kMaxTimeScale);
  Win32InjectKey(window_, "Insert", false);
  Frame({"Delete"}, false);
  for (int i = 0; i < 2000; ++i) Frame({}, false);
  EXPECT_FLOAT_EQ(gameClock_->GetTimeScale(), kMinTimeScale);
  Win32InjectKey(window_, "Delete", false);
}

TEST_F(DeveloperKeyActions, ToggleTimePausesAndResumesButNotDuringACutScene) {
  Frame({"X"});
  EXPECT_TRUE(IsGamePaused());
  Frame({"X"});
  EXPECT_FALSE(IsGamePaused());
  // The state the script's cut-scene start sets.
  g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_RUNNING;
  Frame({"X"});
  EXPECT_FALSE(IsGamePaused());
  g_ScriptState.cutsceneState = SCRIPT_CUTSCENE_IDLE;
  Frame({"X"});
  EXPECT_TRUE(IsGamePaused());
}

TEST_F(DeveloperKeyActions, SoldierAndMissionActionsWithoutTheirSubject) {
  // No soldier under the debug player: the kill does nothing at all.
  Win32InjectKey(window_, "Right Alt", true);
  Frame({"K"});
  EXPECT_EQ(NotBuiltYetNames(), 0);
  // No plug-in: the mission result is the mission record's, not built yet.
  Frame({"M"});
  Win32InjectKey(window_, "Right Alt", false);
  EXPECT_TRUE(WasReportedNotBuiltYet("mission record result"));
}

TEST_F(DeveloperKeyActions, KeypadEnterStartsCheatTypingAndPlayerDamageToggles) {
  CheatRegistry registry;
  g_CheatRegistry = &registry;
  Frame({"Keypad Enter"});
  EXPECT_EQ(registry.IsTyping(), 1u);
  g_CheatRegistry = nullptr;
  EXPECT_EQ(PlayerDamage, 1u);
  Frame({"K"});
  EXPECT_EQ(PlayerDamage, 0u);
  Frame({"K"});
  EXPECT_EQ(PlayerDamage, 1u);
  // B: enemy AI off (the units' reset is not built yet), then on again.
  Frame({"B"});
  EXPECT_EQ(EnemyAI, 0u);
  EXPECT_TRUE(WasReportedNotBuiltYet("unit reset when enemy AI goes off"));
  Frame({"B"});
  EXPECT_EQ(EnemyAI, 1u);
}

}  // namespace
