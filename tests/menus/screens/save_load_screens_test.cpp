// The mission list and the load and save screens through the screen manager
// with injected keys, in a folder of saved games the test writes: the slot
// table orders files newest first (equal times in scan order, 44 of 50
// kept, names too long for a slot skipped), the load screen lists them and
// loads the chosen one, a failed load shows the load-failed screen; the
// save screen saves a new name at once, asks before overwriting, and stays
// with a message when the save cannot be written.
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/bindings/control_mapper.h"
#include "control/players/local_player_table.h"
#include "menus/menu_frame_fixture.h"
#include "menus/screens/load_game_menu.h"
#include "menus/screens/mission_record_fixture.h"
#include "menus/screens/save_game_menu.h"
#include "menus/screens/saved_games_link.h"
#include "menus/screens/screen_manager.h"
#include "menus/widgets/screen_menu.h"
#include "platform/win32/event_injection.h"
#include "shell/program/shell_state.h"

namespace {

std::vector<std::string> g_calls;
bool g_answer = true;
bool SaveHook(const char* name, int) {
  g_calls.push_back(std::string("save ") + name);
  return g_answer;
}
bool LoadHook(const char* name) {
  g_calls.push_back(std::string("load ") + name);
  return g_answer;
}

class SaveLoadScreens : public MenuFrameTest {
 protected:
  void SetUp() override {
    MenuFrameTest::SetUp();
    previous_ = std::filesystem::current_path();
    folder_ = std::filesystem::temp_directory_path() / "saves";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
    g_ControlMapper = new CControlMapper;
    ASSERT_TRUE(g_ControlMapper->Init(4, 3, 80));
    ASSERT_TRUE(g_ControlMapper->LoadBindings(DEMO_KEY_FILE, 0));
    g_LocalPlayers.RemoveAll();
    ASSERT_NE(g_LocalPlayers.Add(), nullptr);
    ASSERT_EQ(CreateScreens(), 1);
    PopulateGameScreens();
    ResetScreenTransitions();
    ScreenId = PreviousScreenId = 15;
    LevelName[0] = '\0';
    mission_ = std::make_unique<TestMissionRecord>("Mission1.dll", nullptr);
    g_calls.clear();
    g_answer = true;
    SetSavedGameFunctions(SaveHook, LoadHook);
  }
  void TearDown() override {
    SetSavedGameFunctions(nullptr, nullptr);
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    g_LocalPlayers.RemoveAll();
    delete g_ControlMapper;
    g_ControlMapper = nullptr;
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(folder_);
    mission_.reset();
    MenuFrameTest::TearDown();
  }
  // A saved game written `age` minutes before a fixed time.
  void Save(const std::string& name, int age) {
    std::ofstream(folder_ / name) << "game";
    std::filesystem::last_write_time(folder_ / name, base_ - std::chrono::minutes(age));
  }
  int Frame() {
    BeginFrame(40);
    g_LocalPlayers.UpdateAll();
    const int result = UpdateCurrentScreen();
    DrawMenus();
    EndFrame();
    return result;
  }
  void Go(int id) {
    SetScreen(id);
    for (int i = 0; i < 25; ++i) Frame();
  }
  int Press(const char* key) {
    EXPECT_TRUE(Win32InjectKey(s_Window, key, true));
    const int result = Frame();
    EXPECT_TRUE(Win32InjectKey(s_Window, key, false));
    Frame();
    Frame();
    return result;
  }
  std::vector<std::string> Slots() const {
    std::vector<std::string> names;
    for (int i = 1; i < g_SaveSlots.Count; ++i) names.push_back(g_SaveSlots.Names[i]);
    return names;
  }
  std::unique_ptr<TestMissionRecord> mission_;
  std::filesystem::path previous_, folder_;
  std::filesystem::file_time_type base_ = std::filesystem::file_time_type::clock::now();
};

TEST_F(SaveLoadScreens, TheSlotTableKeepsThe44NewestFilesNewestFirst) {
  for (int i = 0; i < 50; ++i) Save("game" + std::to_string(i) + ".sav", 100 - i);  // game49 newest
  CSaveSlotMenu::ScanSaves();
  ASSERT_EQ(g_SaveSlots.Count, 45);
  EXPECT_EQ(g_SaveSlots.Names[0][0], '\0') << "slot 0 is the new-save row";
  const std::vector<std::string> slots = Slots();
  ASSERT_EQ(slots.size(), 44u);
  for (int i = 0; i < 44; ++i) EXPECT_EQ(slots[i], "game" + std::to_string(49 - i) + ".sav");
}

TEST_F(SaveLoadScreens, EqualTimesKeepScanOrderAndNamesThatDoNotFitAreSkipped) {
  Save("a.sav", 5);
  Save("b.sav", 5);
  Save("c.sav", 1);
  g_SaveSlots = SaveSlotTable{};
  for (const char* name : {"b.sav", "a.sav", "c.sav"}) CSaveSlotMenu::OnFileFound(name, nullptr);
  EXPECT_EQ(Slots(), (std::vector<std::string>{"c.sav", "b.sav", "a.sav"}));
  // A name of 255 characters leaves no room for its end in a slot.
  const std::string longName = std::string(251, 'x') + ".sav";
  CSaveSlotMenu::OnFileFound(longName.c_str(), nullptr);
  EXPECT_EQ(Slots().size(), 3u);
  // A file that cannot be found is never later than another: it goes last.
  CSaveSlotMenu::OnFileFound("gone.sav", nullptr);
  EXPECT_EQ(Slots().back(), "gone.sav");
}

TEST_F(SaveLoadScreens, TheLoadScreenListsTheGamesAndLoadsTheChosenOne) {
  Save("older.sav", 30);
  Save("newer.sav", 10);
  Go(9);
  ASSERT_EQ(ScreenId, 9);
  CScreenMenu* menu = ScreenFromId(9)->Menu;
  ASSERT_EQ(menu->Count, 2);
  EXPECT_EQ(menu->SelectedId, 5101);
  // The rows' text ink lies inside the list.
  int index = 0, x = 0, y = 0;
  ASSERT_TRUE(menu->RowPosition(0, &index, &x, &y));
  EXPECT_FALSE(InkBounds({x, y, x + menu->ItemWidth - 1, y + menu->ItemHeight - 1}).Empty());
  Press("Down");
  EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"load older.sav"}));
  EXPECT_EQ(ScreenId, 14);
  EXPECT_STREQ(LevelName, "Mission1.dll");
}

TEST_F(SaveLoadScreens, AFailedLoadShowsTheLoadFailedScreenAndBackReturnsToTheList) {
  Save("broken.sav", 10);
  g_answer = false;
  Go(9);
  EXPECT_EQ(Press("Return"), 0);
  EXPECT_EQ(ScreenId, 60);
  EXPECT_EQ(LevelName[0], '\0') << "no level change";
  for (int i = 0; i < 25; ++i) Frame();
  Press("Escape");
  for (int i = 0; i < 25; ++i) Frame();
  EXPECT_EQ(ScreenId, 9);
  EXPECT_EQ(ScreenFromId(9)->Menu->Count, 1) << "the list is as it was";
}

TEST_F(SaveLoadScreens, SavingANewNameWritesAtOnceAndAnExistingNameAsksFirst) {
  Save("Alpha.sav", 10);
  Go(10);
  ASSERT_EQ(ScreenId, 10);
  auto* save = static_cast<CSaveGameMenu*>(ScreenFromId(10));
  EXPECT_STREQ(save->Buffers[0], "Save 1");
  EXPECT_STREQ(save->Buffers[1], "Alpha");
  EXPECT_EQ(Press("Return"), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"save Save 1.sav"}));
  EXPECT_EQ(g_Mission->SavesMade, 1);
  EXPECT_EQ(ScreenId, 15);
  // The existing save's row asks for confirmation, "no" preselected.
  g_calls.clear();
  Go(10);
  Press("Down");
  Press("Return");
  for (int i = 0; i < 25; ++i) Frame();
  EXPECT_EQ(ScreenId, 23);
  EXPECT_STREQ(SelectedSaveName(), "Alpha.sav");
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(ScreenFromId(23)->Menu->SelectedId, 5302);
}

TEST_F(SaveLoadScreens, ASaveThatCannotBeWrittenStaysOnTheScreenWithItsMessage) {
  g_answer = false;
  Go(10);
  EXPECT_EQ(Press("Return"), 0);
  EXPECT_EQ(ScreenId, 10);
  auto* save = static_cast<CSaveGameMenu*>(ScreenFromId(10));
  EXPECT_TRUE(save->SaveFailed);
  EXPECT_EQ(g_Mission->SavesMade, 0);
}

TEST_F(SaveLoadScreens, TheMissionListStartsTheChosenMissionsPlugIn) {
  const struct {
    int row;
    const char* level;
  } cases[] = {{0, "Mission1.dll"}, {5, "Mission6.dll"}, {11, "Mission12A.dll"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    Go(8);
    ASSERT_EQ(ScreenId, 8);
    for (int i = 0; i < c.row; ++i) Press("Down");
    EXPECT_EQ(Press("Return"), SCREEN_RESULT_LEVEL_CHANGE);
    EXPECT_STREQ(LevelName, c.level);
    EXPECT_EQ(DirectStart, 1u);
  }
  Go(8);
  Press("Escape");
  EXPECT_EQ(ScreenId, 7);
}

}  // namespace
