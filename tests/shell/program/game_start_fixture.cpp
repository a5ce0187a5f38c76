#include "shell/program/game_start_fixture.h"

#include <algorithm>

#include "control/players/local_player_table.h"
#include "control/viewport_config.h"
#include "foundation/files/catalog.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "platform/win32/library.h"
#include "platform/win32/message_box.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "shell/game_device_callback.h"
#include "shell/program/command_line.h"
#include "shell/program/game_initialise.h"
#include "shell/program/main_window.h"
#include "shell/program/shell_state.h"
#include "shell/program/startup_trace.h"
#include "sound/sound_manager.h"
#include "world/engine.h"

#ifndef HALBERD_GAME_DATA_DIR
#define HALBERD_GAME_DATA_DIR "data/game"
#endif

namespace {

int CaptureBox(HWND, const char* text, const char* caption, UINT type, void* context) {
  static_cast<std::vector<CapturedBox>*>(context)->push_back(CapturedBox{text, caption, type});
  return (type & MB_TYPEMASK) == MB_ABORTRETRYIGNORE ? IDIGNORE : IDOK;
}

void ResetShellWords() {
  ClearAllCommandSwitches();
  // The catalog layer keeps the mode the last start-up read from the letters.
  SetCatalogMode(0);
  g_ViewportConfig = CViewportConfig{};
  g_LocalPlayers.RemoveAll();
  CheatMode = NoTexturePreload = ScriptQueryWord = 0;
  QuitRequested = WindowActive = 0;
  FrameMode = FRAME_LEVEL_CHANGE;
}

// The build's game data root, copied once per test program into its own
// temporary folder: the game writes into the folder it runs in
// ("current.key", a level's octree and pool-size files), and the build's
// folder is read by every test program running at the same time.
const std::filesystem::path& GameDataCopy() {
  static const std::filesystem::path root = [] {
    const std::filesystem::path copy = std::filesystem::temp_directory_path() / "halberd_game_data";
    std::error_code ec;
    std::filesystem::remove_all(copy, ec);
    std::filesystem::copy(HALBERD_GAME_DATA_DIR, copy, std::filesystem::copy_options::recursive, ec);
    EXPECT_FALSE(ec) << "copying " << HALBERD_GAME_DATA_DIR << " into " << copy << ": " << ec.message();
    return copy;
  }();
  return root;
}

}  // namespace

void GameStart::SetUp() {
  RegistryFolderTest::SetUp();
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(root_.empty() ? GameDataCopy() : root_);
  SetMessageBoxEcho(false);
  SetMessageBoxHook(CaptureBox, &boxes_);
  ResetShellWords();
}

void GameStart::TearDown() {
  Stop();
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
  Win32SetLibraryPresent("dpnhpast.dll", true);
  SoundManagerFailInitialise(false);
  GameFailObjectAllocation(0);
  EngineFailModuleAllocation(0);
  ResetShellWords();
  std::filesystem::current_path(previous_);
  RegistryFolderTest::TearDown();
}

int GameStart::Start(const char* commandLine) {
  ClearTracedSteps();
  ClearNotBuiltYet();
  boxes_.clear();
  if (!CreateMainWindow(nullptr, 0)) return -1;
  DirectStart = 0;
  ParseCommandLine(commandLine);
  return GameInitialise();
}

int GameStart::Stop() {
  if (MainWindow != nullptr && IsWindow(MainWindow)) DestroyWindow(MainWindow);
  MainWindow = nullptr;
  int code = -1;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) code = static_cast<int>(msg.wParam);
  return code;
}

void GameStart::StoreDeviceSetting(const char* name, unsigned value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDeviceSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const DWORD v = value;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  RegCloseKey(key);
}

int GameStart::Count(const std::vector<std::string>& steps, const std::string& step) {
  return static_cast<int>(std::count(steps.begin(), steps.end(), step));
}
