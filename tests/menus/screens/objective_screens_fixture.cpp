#include "menus/screens/objective_screens_fixture.h"

#include <fstream>

#include "control/input/input.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/locale_table.h"
#include "make_sprites/sprite_sheet.h"
#include "menus/drawing/menu_backdrop.h"
#include "menus/screens/menu_input_checks.h"
#include "menus/screens/objective_view_screen.h"
#include "menus/screens/screen_manager.h"
#include "render/2d/sprite_render.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "shell/level/mission_plugin.h"
#include "shell/mission/mission.h"
#include "foundation/time/timer.h"
#include "world/effects/effects_hooks.h"
#include "world/engine.h"
#include "world/effects/explosions.h"
#include "make_strings/string_table.h"

std::filesystem::path ObjectiveScreensTest::s_Folder;
std::string ObjectiveScreensTest::s_LayerPath;

namespace {

std::string g_folderText;
const char* g_searchFolders[2] = {nullptr, nullptr};

std::int32_t RecordEvent(std::uint32_t code, MissionEventWord* words) {
  ObjectiveScreensTest::RaisedEvents().push_back({code, words == nullptr ? 0 : 1});
  return 0;
}

MissionCallbackTable g_table = {nullptr, nullptr, RecordEvent, nullptr, nullptr, nullptr};

SheetCell Quadrants(int width, int height) {
  SheetCell cell{0, width, height, static_cast<std::int16_t>(-(width / 2)), static_cast<std::int16_t>(-(height / 2)),
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width * height))};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      cell.pixels[static_cast<std::size_t>(y * width + x)] =
          bottom ? (right ? ObjectiveScreensTest::kBottomRight : ObjectiveScreensTest::kBottomLeft)
                 : (right ? ObjectiveScreensTest::kTopRight : ObjectiveScreensTest::kTopLeft);
    }
  return cell;
}

}  // namespace

std::vector<std::pair<std::uint32_t, int>>& ObjectiveScreensTest::RaisedEvents() {
  static std::vector<std::pair<std::uint32_t, int>> events;
  return events;
}

void ObjectiveScreensTest::SetUpTestSuite() {
  MenuFrameTest::SetUpTestSuite();
  s_Folder = std::filesystem::temp_directory_path() / "objective_screens";
  std::filesystem::create_directories(s_Folder);
  // The map pictures.
  SpriteSheet sheet;
  ASSERT_TRUE(sheet.Add(Quadrants(128, 128)));
  ASSERT_TRUE(sheet.Add(Quadrants(165, 100)));
  ASSERT_TRUE(sheet.WritePage((s_Folder / "testmap.tga").string()));
  ASSERT_TRUE(sheet.WriteSpriteFile((s_Folder / "testmap.img").string(), "testmap.tga"));
  // The paragraphs: the long one fills more than a page of the text area.
  std::string longText;
  for (int i = 0; i < 60; ++i) longText += "Word" + std::to_string(i) + " of the long paragraph. ";
  const std::vector<SourceString> strings = {
      {kTitle, "T_TITLE", "Operation Test"},   {kSubtitle, "T_SUB", "The subtitle line"},
      {kShortA, "T_A", "First paragraph."},    {kShortB, "T_B", "Second paragraph."},
      {kLong, "T_LONG", longText},             {kEmpty, "T_EMPTY", ""},
  };
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(WriteLocBytes(strings, kGameStringSetValue, &bytes, &error)) << error;
  s_LayerPath = (s_Folder / "TestStrs.loc").string();
  std::ofstream(s_LayerPath, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
  ASSERT_EQ(g_Locale->LoadLayer(s_LayerPath.c_str()), 1);

  g_folderText = s_Folder.string();
  g_searchFolders[0] = g_folderText.c_str();
  SetSearchFolders(g_searchFolders);
  g_ScriptSprites = new CSpriteRender(g_Render, nullptr, s_Textures.get());
  ASSERT_EQ(g_ScriptSprites->Load("testmap.img", TEXF_32BIT | TEXF_ALPHA, 0, 0, 0), 1);
  s_Textures->LoadTextures(nullptr);
  g_ScriptSprites->RecomputeUVs();
}

void ObjectiveScreensTest::TearDownTestSuite() {
  delete g_ScriptSprites;
  g_ScriptSprites = nullptr;
  SetSearchFolders(nullptr);
  MenuFrameTest::TearDownTestSuite();
}

void ObjectiveScreensTest::SetUp() {
  // A local player whose keys the screens read.
  ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
  mission_ = std::make_unique<CMission>();
  g_Mission = mission_.get();
  RaisedEvents().clear();
  // The world pause stops the game clock through the effects' hooks.
  g_EffectsHooks.GameClock = g_GameClock;
  g_EffectsHooks.RealClock = g_RealClock;
  SetObjectiveDetail(0);
  ObjectiveTextPage = 0;
  SetScreenLock(0);
  ResetScreenTransitions();
  ScreenId = PreviousScreenId = 0;
}

void ObjectiveScreensTest::TearDown() {
  // The pointer back to the corner, where no later suite's menu row lies.
  MouseTo(0, 0);
  BindPlugin(false);
  SetScreenObject(13, nullptr);
  SetScreenObject(20, nullptr);
  SetScreenLock(0);
  ResetScreenTransitions();
  ScreenId = PreviousScreenId = 0;
  SetObjectiveDetail(0);
  SetGamePaused(0, 0);
  g_EffectsHooks.GameClock = g_EffectsHooks.RealClock = nullptr;
  g_Mission = nullptr;
  mission_.reset();
  ScreenWalkTest::TearDown();
}

void ObjectiveScreensTest::BindPlugin(bool bound) { MissionCallbacks = bound ? &g_table : nullptr; }
