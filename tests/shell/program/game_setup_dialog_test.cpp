// The level chooser's dialog, answered by scripted clicks on the offscreen
// display.
#include "shell/program/game_setup_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/dialog.h"
#include "platform/win32/message_box.h"
#include "shell/level/level_cycle.h"
#include "shell/program/shell_state.h"

namespace {

void AnswerSetup(const char* script) {
  std::vector<DialogAction> actions;
  std::string error;
  ASSERT_TRUE(ParseDialogScript(script, &actions, &error)) << error;
  QueueDialogActions(actions);
}

struct ListReader {
  std::vector<std::string> entries;
  static void Read(HWND dialog, int, void* self) {
    auto* r = static_cast<ListReader*>(self);
    r->entries.clear();
    const LRESULT n = SendDlgItemMessageA(dialog, GameSetupDialog::kList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char text[300] = {};
      SendDlgItemMessageA(dialog, GameSetupDialog::kList, LB_GETTEXT, static_cast<WPARAM>(i),
                          reinterpret_cast<LPARAM>(text));
      r->entries.emplace_back(text);
    }
  }
};

class GameSetup : public ::testing::Test {
 protected:
  void TearDown() override {
    ClearDialogActions();
    SetDialogFrameHook(nullptr, nullptr);
  }
};

TEST_F(GameSetup, OkCancelAndEnterWithTheirChoice) {
  const char entries[3][8] = {"alpha", "beta", "gamma"};
  struct Case {
    const char* script;
    bool result;
    int choice;
  } cases[] = {
      {"103 click 1\n", true, 0},                     // the first entry is selected
      {"103 choose 1000 2\n103 click 1\n", true, 2},  // a changed selection
      {"103 choose 1000 1\n103 key Return\n", true, 1},
      {"103 choose 1000 1\n103 click 2\n", false, 1},  // Cancel
  };
  for (const Case& c : cases) {
    GameSetupDialog dialog(3, 8, entries[0]);
    AnswerSetup(c.script);
    EXPECT_EQ(dialog.Open(nullptr), c.result) << c.script;
    EXPECT_EQ(dialog.GetChoice(), c.choice) << c.script;
    EXPECT_EQ(PendingDialogActions(), 0u) << c.script;
  }
}

TEST_F(GameSetup, OkOnAnEmptyListIsNoChoice) {
  GameSetupDialog dialog(0, 8, nullptr);
  AnswerSetup("103 click 1\n");
  EXPECT_FALSE(dialog.Open(nullptr));
  EXPECT_EQ(dialog.GetChoice(), -1);
}

TEST_F(GameSetup, ADialogThatCannotBeShownSaysSoAndChoosesNothing) {
  std::vector<std::string> boxes;
  SetMessageBoxEcho(false);
  SetMessageBoxHook(
      [](HWND, const char* text, const char* caption, UINT, void* self) {
        static_cast<std::vector<std::string>*>(self)->push_back(std::string(caption) + ": " + text);
        return static_cast<int>(IDOK);
      },
      &boxes);
  const char entries[1][4] = {"one"};
  GameSetupDialog dialog(1, 4, entries[0]);
  EXPECT_FALSE(dialog.Open(nullptr));  // offscreen, nothing queued
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  EXPECT_EQ(boxes, std::vector<std::string>{"Error: Failed to open game setup dialog"});
}

TEST_F(GameSetup, TheLevelChooserOffersThePlugInsAndLoadListsOfTheFolder) {
  const auto folder = std::filesystem::temp_directory_path() / "halberd_choose_level";
  std::filesystem::create_directories(folder);
  for (const char* name : {"Units.loa", "FrontEnd.dll", "notes.txt", "Demo.loa", "UnitsDemo.dll"})
    std::ofstream(folder / name) << "x";
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  ListReader reader;
  SetDialogFrameHook(&ListReader::Read, &reader);
  DirectStart = 0;
  AnswerSetup("103 choose 1000 1\n103 click 1\n");
  const std::string chosen = ChooseLevel();
  std::filesystem::current_path(previous);
  const std::vector<std::string> offered = {"FrontEnd.dll", "UnitsDemo.dll", "Demo.loa", "Units.loa"};
  EXPECT_EQ(reader.entries, offered);
  EXPECT_EQ(chosen, "UnitsDemo.dll");
  EXPECT_EQ(DirectStart, 1u);
  DirectStart = 0;
  std::filesystem::remove_all(folder);
}

}  // namespace
