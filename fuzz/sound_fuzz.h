// Shared set-up of the sound readers' fuzz targets: message boxes answered
// and kept quiet, the program's end on a corrupt cache made harmless, and a
// scratch working folder for the files a source opens.
#pragma once

#include <filesystem>

#include "foundation/system/program_exit.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"

namespace sound_fuzz {

inline void Quiet() {
  SetDebugOutputHook([](const char*, void*) {}, nullptr);
  SetMessageBoxEcho(false);
  SetMessageBoxHook([](HWND, const char*, const char*, UINT, void*) { return IDOK; }, nullptr);
  SetProgramExitHook([](int, void*) {}, nullptr);
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "halberd_fuzz_sound";
  std::filesystem::create_directories(work);
  std::filesystem::current_path(work);
}

}  // namespace sound_fuzz
