// The game's engine as the benchmarks that run a level start it: a scratch
// registry folder, the working directory, a window of the given size on the
// offscreen video driver, the engine through the game's device callback and
// the game's modules.  What a benchmark loads into it, and the clocks' step,
// are its own.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/files/file_locator.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "shell/engine_life_cycle.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "world/engine.h"

namespace bench {

class GameEngine {
 public:
  // `name` names the scratch folder (under the temporary folder) and the
  // window class.  False when the window, the engine or the modules would not
  // start; Close() undoes whatever did.
  bool Open(const char* name, int width, int height) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    folder_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(folder_);
    SetRegistryFolder(folder_.c_str());
    SetWorkDirectory();
    className_ = name;
    WNDCLASSA wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); };
    wc.lpszClassName = className_.c_str();
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, className_.c_str(), "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height,
                              nullptr, nullptr, nullptr, nullptr);
    if (window_ == nullptr || !EngineInitialise(nullptr, window_, GameDeviceCallback, 1)) return false;
    engine_ = true;
    return StartGameModules();
  }

  void Close() {
    if (engine_) {
      StopGameModules();
      EngineShutdown();
      engine_ = false;
    }
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
    SetRegistryFolder(nullptr);
    std::filesystem::remove_all(folder_);
  }

 private:
  std::filesystem::path folder_;
  std::string className_;
  HWND window_ = nullptr;
  bool engine_ = false;
};

}  // namespace bench
