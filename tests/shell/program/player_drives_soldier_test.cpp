// The whole program headless on the units level, driven by a recorded input
// script: the first local player takes squad member 1, walks it with the
// forward key, kneels it with the stance key and switches to member 2 with
// the number key.  What the player steers is read back just before the last
// frame is presented.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/players/squad_order.h"
#include "shell/frame/run_frame.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/input_script_run.h"
#include "shell/program/program_entry.h"
#include "units/soldier/grunt.h"

namespace {

// What the last frame showed of the squad.
struct SquadSeen {
  bool seen = false;
  int playerSquadPosition = -1;
  CVector3 playerPosition{};
  int playerStance = -1;
  CVector3 member2Position{};
  int member1Stance = -1;
  int soldiersSteered = 0;
};
SquadSeen g_seen;

void LookAtTheSquad() {
  g_seen.seen = true;
  CLocalPlayer* p = g_LocalPlayers.Get(0);
  if (p != nullptr && p->Soldier != nullptr) {
    g_seen.playerSquadPosition = SquadPositionOf(p->Soldier);
    g_seen.playerPosition = p->Soldier->GetPosition();
    g_seen.playerStance = p->Soldier->stance;
  }
  if (CHLOGrunt* s = SquadSoldierAt(2)) g_seen.member2Position = s->GetPosition();
  if (CHLOGrunt* s = SquadSoldierAt(1)) g_seen.member1Stance = s->stance;
  for (CHLOGrunt* s : SquadSoldiers())
    if (s->player != nullptr) ++g_seen.soldiersSteered;
}

class PlayerDrivesSoldier : public GameStart {
 protected:
  // Runs the units level for `frames` frames with the script's lines.
  void Run(const std::string& script, int frames) {
    g_seen = SquadSeen{};
    setenv("HALBERD_COMMAND_LINE", "-d Units.loa", 1);
    const auto path = std::filesystem::temp_directory_path() / "drive_script.txt";
    std::ofstream(path) << script;
    std::string error;
    ASSERT_TRUE(StartInputScript(path.string().c_str(), &error)) << error;
    SetFrameLimit(frames, nullptr);
    SetLastFrameHook(&LookAtTheSquad);
    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    SetLastFrameHook(nullptr);
    SetFrameLimit(0, nullptr);
    StopInputScript();
    unsetenv("HALBERD_COMMAND_LINE");
    for (const CapturedBox& box : boxes_) ADD_FAILURE() << box.caption << ": " << box.text;
    ASSERT_TRUE(g_seen.seen);
  }
};

// The squad as the level places it: member 1 at (-300, 0, -1000), member 2
// at (-100, 0, -1000), both standing (stance 2, walking).
constexpr float kMember1X = -300.0f, kMember2X = -100.0f, kSquadZ = -1000.0f;

float Distance(const CVector3& p, float x, float z) { return std::hypot(p.x - x, p.z - z); }

TEST_F(PlayerDrivesSoldier, WithoutInputThePlayerHoldsMemberOneWhereItStands) {
  Run("# nothing pressed\n", 40);
  EXPECT_EQ(g_seen.playerSquadPosition, 0);
  EXPECT_EQ(g_seen.soldiersSteered, 1);
  EXPECT_LT(Distance(g_seen.playerPosition, kMember1X, kSquadZ), 1.0f);
  // The speed step runs an upright soldier the player steers (no slow
  // deflection, no Ctrl, no aimable weapon).
  EXPECT_EQ(g_seen.playerStance, 3);
}

TEST_F(PlayerDrivesSoldier, TheForwardKeyWalksThePlayersSoldierAndNoOther) {
  Run("5 keydown W\n", 60);
  EXPECT_EQ(g_seen.playerSquadPosition, 0);
  // Fifty-odd frames of walking at the state's speed carry it well away.
  EXPECT_GT(Distance(g_seen.playerPosition, kMember1X, kSquadZ), 50.0f);
  EXPECT_LT(Distance(g_seen.member2Position, kMember2X, kSquadZ), 1.0f);
}

TEST_F(PlayerDrivesSoldier, TheStanceKeyKneelsAndTheNumberKeySwitchesToThatMember) {
  // C tapped kneels member 1 (on release); 2 tapped switches to member 2,
  // which keeps standing while member 1 stays down.
  Run("5 keydown C\n7 keyup C\n15 keydown 2\n17 keyup 2\n", 40);
  EXPECT_EQ(g_seen.playerSquadPosition, 1);
  EXPECT_EQ(g_seen.soldiersSteered, 1);
  EXPECT_EQ(g_seen.member1Stance, 1);
  EXPECT_EQ(g_seen.playerStance, 2);
}

}  // namespace
