// The program's entry on this system.  The game reads no command line of
// its own (see program/command_line.h); the development options of this
// entry are taken here and passed to the frame, and nothing else is passed
// on:
//   --frames N         close the game after N presented frames
//   --screenshot FILE  save the last of those frames (PNG for ".png", else BMP)
// The game runs in its data folder: HALBERD_DATA_ROOT when set, else the
// folder the build made.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win_directory.h"
#include "shell/frame/run_frame.h"
#include "shell/program/program_entry.h"

#ifndef HALBERD_GAME_DATA_DIR
#define HALBERD_GAME_DATA_DIR "data/game"
#endif

namespace {

int FrameCount(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--frames") == 0) {
      const long n = std::strtol(argv[i + 1], nullptr, 10);
      return n > 0 && n < 0x7FFFFFFF ? static_cast<int>(n) : 0;
    }
  return 0;
}

const char* Screenshot(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0) return argv[i + 1];
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const char* root = std::getenv("HALBERD_DATA_ROOT");
  if (root == nullptr) root = HALBERD_GAME_DATA_DIR;
  // A screenshot named relative to where the program was started stays there.
  static char start[1024];
  GetCurrentDirectoryA(sizeof start, start);
  static char shot[2048];
  const char* screenshot = Screenshot(argc, argv);
  if (screenshot != nullptr && screenshot[0] != '/') {
    std::snprintf(shot, sizeof shot, "%s/%s", start, screenshot);
    screenshot = shot;
  }
  if (!SetCurrentDirectoryA(root)) {
    std::fprintf(stderr, "halberd: the data folder %s does not exist\n", root);
    return 1;
  }
  std::printf("halberd: data root %s\n", root);
  SetFrameLimit(FrameCount(argc, argv), screenshot);
  return WinMain(nullptr, nullptr, nullptr, 0);
}
