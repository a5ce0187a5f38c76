// Start-up through the launch dialog, answered by scripted clicks: OK starts
// the game with the stored choices, Settings changes them, Cancel ends the
// start-up without a message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/dialog.h"
#include "render/device/render.h"
#include "shell/program/device_dialogs.h"
#include "shell/program/game_objects.h"
#include "shell/program/game_start_fixture.h"
#include "shell/program/startup_trace.h"

namespace {

class LaunchDialogStart : public GameStart {
 protected:
  void TearDown() override {
    ClearDialogActions();
    GameStart::TearDown();
  }
  static void Answer(const char* script) {
    std::vector<DialogAction> actions;
    std::string error;
    ASSERT_TRUE(ParseDialogScript(script, &actions, &error)) << error;
    QueueDialogActions(actions);
  }
};

TEST_F(LaunchDialogStart, OkStartsTheGameWithTheDefaultsAndStoresThem) {
  Answer("106 click 1\n");
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(Count(TracedSteps(), "select device: launch dialog"), 1);
  EXPECT_EQ(PendingDialogActions(), 0u);
  EXPECT_EQ(g_Render->GetModeWidth(), 800u);
  EXPECT_EQ(g_Render->GetModeHeight(), 600u);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(LaunchDialogStart, SettingsChosenInTheDialogAreUsedAndKeptForTheNextStart) {
  // The 640 x 480 mode is the first 4:3 entry of the chosen depth.
  Answer("106 click 1029\n108 choose 1020 0\n108 click 1040\n106 click 1\n");
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(g_Render->GetModeWidth(), 640u);
  EXPECT_EQ(g_Render->GetModeHeight(), 480u);
  Stop();
  // The next start without a dialog takes the stored choice.
  ASSERT_EQ(Start(), 1);
  EXPECT_EQ(g_Render->GetModeWidth(), 640u);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(LaunchDialogStart, CancelEndsTheStartUpSilently) {
  Answer("106 click 2\n");
  EXPECT_EQ(Start(), 0);
  EXPECT_EQ(StartupCancelled, 1u);
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
