// The whole program headless, driven by recorded input scripts: from the
// front screen through the options and controls screens to the key bindings,
// where FORWARD is captured as Q and leaving writes "current.key"; the next
// run on the units level reads the file back: Q walks the player's soldier
// and W no longer does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/library.h"
#include "menus/screens/key_bind_actions.h"
#include "shell/frame/run_frame.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/input_script_run.h"
#include "shell/program/program_entry.h"
#include "units/soldier/grunt.h"

namespace {

// What the last frame showed.
struct BindingRunSeen {
  bool seen = false;
  int screen = -1;
  InputBindingCode forward = kNoBinding;
  CVector3 soldier{};
  bool hasSoldier = false;
};
BindingRunSeen g_bindingRunSeen;

void LookAtTheBindingRun() {
  BindingRunSeen& s = g_bindingRunSeen;
  s.seen = true;
  s.screen = ScreenId;
  if (g_ControlMapper != nullptr) s.forward = g_ControlMapper->GetBinding(0, 0, FORWARD);
  CLocalPlayer* p = g_LocalPlayers.Get(0);
  if (p != nullptr && p->Soldier != nullptr) {
    s.hasSoldier = true;
    s.soldier = p->Soldier->GetPosition();
  }
}

// Where the player's soldier stands when the level starts.
constexpr float kBindRunSoldierX = -300.0f, kBindRunSoldierZ = -1000.0f;
float DistanceFromStart(const CVector3& p) { return std::hypot(p.x - kBindRunSoldierX, p.z - kBindRunSoldierZ); }

class KeyBindingsRun : public GameStart {
 protected:
  void SetUp() override {
    GameStart::SetUp();
    std::filesystem::remove("current.key");
  }
  void TearDown() override {
    // The data folder is shared by the program's tests: the defaults again.
    std::filesystem::remove("current.key");
    GameStart::TearDown();
  }
  void Run(const char* commandLine, const std::string& script, int frames) {
    g_bindingRunSeen = BindingRunSeen{};
    setenv("HALBERD_COMMAND_LINE", commandLine, 1);
    const auto path = std::filesystem::temp_directory_path() / "key_bindings_script.txt";
    std::ofstream(path) << script;
    std::string error;
    ASSERT_TRUE(StartInputScript(path.string().c_str(), &error)) << error;
    SetFrameLimit(frames, nullptr);
    SetLastFrameHook(&LookAtTheBindingRun);
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    SetLastFrameHook(nullptr);
    SetFrameLimit(0, nullptr);
    StopInputScript();
    unsetenv("HALBERD_COMMAND_LINE");
    for (const CapturedBox& box : boxes_) ADD_FAILURE() << box.caption << ": " << box.text;
    ASSERT_TRUE(g_bindingRunSeen.seen);
  }
};

constexpr InputBindingCode kBindRunKeyQ = MakeBinding(BINDING_KEY, 16);

// "current.key" as the key-binding screen leaves it after FORWARD was given Q
// (the screen's own rule for a captured key, and the mapper's save).
void WriteCurrentKeyWithForwardOnQ() {
  CControlMapper mapper;
  ASSERT_TRUE(mapper.Init(1, kBindingSlots, kInputActionCount));
  ASSERT_TRUE(mapper.LoadBindings("default.key", 0));
  ApplyCapturedCode(mapper, 0, 0, kBindRunKeyQ);
  ASSERT_EQ(mapper.GetBinding(0, 0, FORWARD), kBindRunKeyQ);
  ASSERT_TRUE(mapper.SaveBindings("current.key", 0));
}

TEST_F(KeyBindingsRun, TheNextRunReadsCurrentKeyAndQWalksTheSoldier) {
  ASSERT_NO_FATAL_FAILURE(WriteCurrentKeyWithForwardOnQ());
  Run("-d Units.loa", "5 keydown Q\n", 60);
  EXPECT_EQ(g_bindingRunSeen.forward, kBindRunKeyQ);
  ASSERT_TRUE(g_bindingRunSeen.hasSoldier);
  EXPECT_GT(DistanceFromStart(g_bindingRunSeen.soldier), 50.0f);
}

TEST_F(KeyBindingsRun, TheNextRunReadsCurrentKeyAndWNoLongerWalksTheSoldier) {
  ASSERT_NO_FATAL_FAILURE(WriteCurrentKeyWithForwardOnQ());
  Run("-d Units.loa", "5 keydown W\n", 60);
  EXPECT_EQ(g_bindingRunSeen.forward, kBindRunKeyQ);
  ASSERT_TRUE(g_bindingRunSeen.hasSoldier);
  EXPECT_LT(DistanceFromStart(g_bindingRunSeen.soldier), 1.0f);
}

// The front end's keys, one every 80 frames (each screen change has played
// out by then): Down to the options (multiplayer is disabled), Enter; Down,
// Down to the controls, Enter; Enter on the key bindings; Enter captures for
// FORWARD, Q; Escape goes back, writing the file.
std::string FrontEndToKeyBindingsScript() {
  std::string script;
  int frame = 10;
  for (const char* key : {"Down", "Return", "Down", "Down", "Return", "Return", "Return", "Q", "Escape"}) {
    script += std::to_string(frame) + " keydown " + key + "\n" + std::to_string(frame + 2) + " keyup " + key + "\n";
    frame += 80;
  }
  return script;
}

TEST_F(KeyBindingsRun, TheScreenReachedFromTheFrontEndWritesQForForwardAndTheNextRunWalksWithIt) {
  Win32AddLibraryFolder(HALBERD_PROGRAM_DIR);
  Run("-f -d", FrontEndToKeyBindingsScript(), 740);
  Win32AddLibraryFolder(nullptr);
  EXPECT_EQ(g_bindingRunSeen.screen, 31);
  EXPECT_EQ(g_bindingRunSeen.forward, kBindRunKeyQ);
  std::ifstream file("current.key", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("FORWARD,0=KEY_Q\r\n"), std::string::npos);
  Run("-d Units.loa", "5 keydown Q\n", 60);
  EXPECT_EQ(g_bindingRunSeen.forward, kBindRunKeyQ);
  ASSERT_TRUE(g_bindingRunSeen.hasSoldier);
  EXPECT_GT(DistanceFromStart(g_bindingRunSeen.soldier), 50.0f);
}

}  // namespace
