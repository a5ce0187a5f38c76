#include "units/units_level_fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/local_player.h"
#include "foundation/files/file_locator.h"
#include "foundation/time/timer.h"
#include "platform/win32/message_box.h"
#include "platform/win32/window.h"
#include "render/textures/texture_manager.h"
#include "shell/engine_life_cycle.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "shell/level_load.h"
#include "shell/level_pools.h"
#include "shell/stats/stats_tables.h"
#include "units/base/anim_slot_ids.h"
#include "units/base/hlo_scheduler.h"
#include "units/base/state_rule_tables.h"
#include "units/base/units_level.h"
#include "units/factory/hlo_factory.h"
#include "units/soldier/grunt.h"
#include "world/animation/anim_set.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"

#ifndef UNITS_DATA_DIR
#define UNITS_DATA_DIR "data/"
#endif

namespace {

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<std::string>* g_boxes = nullptr;
int CaptureBox(HWND, const char* text, const char* caption, UINT, void*) {
  if (g_boxes != nullptr) g_boxes->push_back(std::string(caption != nullptr ? caption : "") + ": " + (text ? text : ""));
  return IDOK;
}

const std::string& LevelFolder() {
  static const std::string folder = std::string(UNITS_DATA_DIR) + "levels/Units";
  return folder;
}

// The ANIM lines of the load list: each slot takes its file (until the shell
// reads load lists itself).
int FillSlotsFromLoadList(const std::string& path) {
  std::ifstream in(path);
  int filled = 0;
  for (std::string word; in >> word;) {
    if (word != "ANIM") continue;
    std::string slot, file;
    in >> slot >> file;
    const int index = FindAnimSlot(slot.c_str());
    AnimSet* set = g_AnimSetManager.GetAnimSet(file.c_str());
    if (index >= 0 && set != nullptr) {
      SetAnimSlot(index, set);
      ++filled;
    }
  }
  return filled;
}

// Made hidden, the level's active world objects now take their places.
void ActivateLevelObjects() {
  std::vector<CHLO*> active;
  for (int side = 0; side < g_HLOManager->Sides(); ++side)
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
      for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr; o = o->Next) active.push_back(o);
  for (CHLO* o : active) g_HLOManager->ActivateObject(o);
}

}  // namespace

const char* UnitsDataFolder() { return UNITS_DATA_DIR; }

void UnitsLevelTest::SetUp() {
  RegistryFolderTest::SetUp();
  SetWorkDirectory();
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = "HalberdUnitsLevelTest";
  RegisterClassA(&wc);
  window_ = CreateWindowExA(0, "HalberdUnitsLevelTest", "units level", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                            480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window_, nullptr);
  ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
  ASSERT_TRUE(StartGameModules());
  SetupHLOCallbacks();
  g_boxes = &boxes_;
  SetMessageBoxEcho(false);
  SetMessageBoxHook(CaptureBox, nullptr);

  const std::string data = UNITS_DATA_DIR;
  const std::string stats = data + "stats";
  static std::string folders[3];
  folders[0] = LevelFolder();
  folders[1] = stats;
  folders[2] = data.substr(0, data.size() - 1);  // without its last '/'
  const char* const search[] = {folders[0].c_str(), folders[1].c_str(), folders[2].c_str(), nullptr};
  SetSearchFolders(search);
  // The stats load through the game's own search folders ("@\data\stats"
  // ...), from the folder that holds the data folder.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(folders[2]).parent_path());
  const bool statsLoaded = LoadAllStats();
  std::filesystem::current_path(before);
  SetWorkDirectory();
  SetSearchFolders(search);
  ASSERT_TRUE(statsLoaded);
  ASSERT_TRUE(boxes_.empty()) << boxes_.front();
  ASSERT_TRUE(LoadStateRuleTables()) << (boxes_.empty() ? std::string("no box") : boxes_.back());
  g_LocalPlayers.RemoveAll();
  g_LocalPlayers.Add();
  ASSERT_TRUE(CreateLevelPools());

  UnitsLevelBeforeObjects();
  slotsFilled_ = FillSlotsFromLoadList(LevelFolder() + "/Units.loa");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(LevelFolder());
  SetWorkDirectory();
  SetSearchFolders(search);
  LevelLoadReport report;
  loaded_ = LoadLevelEnvironment(g_Environment, "Units.env", CreateObjectFromRecord, &report);
  levelBoxes_ = report.messageBoxes;
  SetMessageBoxHook(CaptureBox, nullptr);  // the load put its own back
  std::filesystem::current_path(previous);
  SetWorkDirectory();
  ActivateLevelObjects();
  ASSERT_TRUE(UnitsLevelAfterObjects());
  UnitsLevelSwitchAIOn();
  if (g_LevelTextures != nullptr) g_LevelTextures->LoadTextures(nullptr);
  for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
  EngineRunClocks(1);
}

void UnitsLevelTest::TearDown() {
  UnitsLevelShutdown();
  if (g_HLOManager != nullptr) g_HLOManager->ClearAll();
  FreeLevelPools();
  ClearAnimSlots();
  FreeStateRuleTables();
  FreeAllStats();
  g_LocalPlayers.RemoveAll();
  SetSearchFolders(nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  g_boxes = nullptr;
  StopGameModules();
  EngineShutdown();
  if (window_ != nullptr) DestroyWindow(window_);
  RegistryFolderTest::TearDown();
}

void UnitsLevelTest::RunFrames(int frames) {
  for (int f = 0; f < frames; ++f) {
    EngineFrameStep();
    if (g_HLOScheduler != nullptr) g_HLOScheduler->Update();
  }
}

std::vector<CHLOGrunt*> UnitsLevelTest::Soldiers(int side) const {
  std::vector<CHLOGrunt*> out;
  if (g_HLOManager == nullptr) return out;
  for (int s = 0; s < g_HLOManager->Sides(); ++s) {
    if (side >= 0 && s != side) continue;
    for (CHLO* list : {g_HLOManager->FirstActive(s, HLO_GRUNT), g_HLOManager->FirstInactive(s, HLO_GRUNT)})
      for (CHLO* o = list; o != nullptr; o = o->Next) out.push_back(static_cast<CHLOGrunt*>(o));
  }
  return out;
}
