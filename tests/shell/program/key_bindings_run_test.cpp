// The whole program headless on the units level, driven by recorded input
// scripts, started over a "current.key" that gives FORWARD the key Q (as the
// key-binding screen leaves it): the run reads the file, Q walks the
// player's soldier and W no longer does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "control/bindings/control_mapper.h"
#include "control/bindings/input_action.h"
#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
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
  InputBindingCode forward = kNoBinding;
  CVector3 soldier{};
  bool hasSoldier = false;
};
BindingRunSeen g_bindingRunSeen;

void LookAtTheBindingRun() {
  BindingRunSeen& s = g_bindingRunSeen;
  s.seen = true;
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

}  // namespace
