// The first mission's plug-in bound by the program's own loader and run on
// the program's own script function table, as far as the program builds it
// today: every slot it does not build answers its failure value, and the
// plug-in must carry on through set-up, frames and events without a fault.
// Set-up registers its animation aliases through the program's slot, which
// loads each file from the tools' data folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/library.h"
#include "shell/level/anim_slots.h"
#include "shell/level/mission_plugin.h"
#include "shell/script/script_function_table.h"
#include "shell/stats/stats_fixture.h"

namespace {

const char* const kMissionFolders[] = {"@mission1", nullptr};

class Mission1InProgram : public ::testing::Test {
 protected:
  // In the tools' data folder, where the animation files lie loose.
  void SetUp() override {
    Win32AddLibraryFolder(HALBERD_MISSION1_FOLDER);
    ClearUnbuiltScriptSlotReports();
    folder_ = std::filesystem::current_path();
    std::filesystem::current_path(HALBERD_DATA_DIR);
    SetWorkDirectory();
    // The mission's script data files (its two skies) lie in the mission's folder.
    SetSearchFolders(kMissionFolders);
    CatalogStartup();
  }
  void TearDown() override {
    FreeMissionPlugin();
    AnimSlotClearAll();  // the aliases set-up registered, as a level's shut-down clears them
    Win32AddLibraryFolder(nullptr);
    CatalogShutdown();
    SetSearchFolders(nullptr);
    std::filesystem::current_path(folder_);
    SetWorkDirectory();
  }
  std::filesystem::path folder_;
};

TEST_F(Mission1InProgram, BindsForItsWindowsNameAndPlaysOnTheProgramsTable) {
  stats_test::BoxRecorder boxes;
  ASSERT_EQ(LoadMissionPlugin("Mission1.dll"), 1) << boxes.Joined();
  ASSERT_TRUE(MissionPluginBound());
  EXPECT_EQ(MissionCallbacks->GetStateSize(), 136u);
  EXPECT_GT(UnbuiltScriptSlotsReported(), 0) << "the slots the program lacks say so";

  // Frames of the intro, then the events of a play-through, each raised
  // through the program's raiser.
  for (int frame = 0; frame < 600; ++frame) MissionPerFrameUpdate();
  struct Raise {
    std::uint32_t code;
    std::vector<std::int32_t> block;
  };
  const std::vector<Raise> raises = {
      {MEV_CUTSCENE_ENDED, {}},           {MEV_BRIEFING_DONE, {}},           {MEV_CUTSCENE_ENDED, {}},
      {MEV_DOOR_CHANGED, {37, 0}},        {MEV_DOOR_CHANGED, {37, 2}},       {MEV_ITEM_TAKEN, {0, 71, 1}},
      {MEV_ITEM_TAKEN, {0, 72, 1}},       {MEV_CHARGE_USE_QUERY, {0, 0}},    {MEV_BUILDING_DESTROYED, {47, 0}},
      {MEV_WAYPOINT_REACHED, {76, 55}},   {MEV_PICK_UP_QUERY, {1, 33, 0}},   {MEV_VEHICLE_DESTROYED, {76, -1}},
  };
  for (const Raise& r : raises) {
    std::vector<std::int32_t> block = r.block;
    RaiseMissionEvent(r.code, block.empty() ? nullptr : block.data(), static_cast<int>(block.size()));
    for (int frame = 0; frame < 30; ++frame) MissionPerFrameUpdate();
  }
  // The saved state goes out and comes back whole.
  std::vector<std::uint8_t> saved(MissionCallbacks->GetStateSize() + 8, 0xAB);
  EXPECT_EQ(MissionCallbacks->Save(saved.data()), saved.data() + 136);
  EXPECT_EQ(saved[136], 0xAB) << "nothing written past the state";
  EXPECT_EQ(MissionCallbacks->Load(saved.data()), saved.data() + 136);
  std::vector<std::uint8_t> again(136);
  MissionCallbacks->Save(again.data());
  EXPECT_TRUE(std::equal(again.begin(), again.end(), saved.begin()));
  for (int frame = 0; frame < 60; ++frame) MissionPerFrameUpdate();

  FreeMissionPlugin();
  EXPECT_FALSE(MissionPluginBound());
  // The only boxes on the way: the goat's four animations, which the demo
  // data does not make yet; every soldier alias finds its file.
  for (const std::string& box : boxes.texts)
    EXPECT_NE(box.find("goat_"), std::string::npos) << box;
  std::printf("%d unbuilt script slots reached, %d calls of them\n", UnbuiltScriptSlotsReported(),
              UnbuiltScriptSlotCalls());
}

}  // namespace
