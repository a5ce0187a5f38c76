// The program's entry on this system.  The game reads no command line of
// its own (see program/command_line.h); the development options of this
// entry are taken here and passed to the frame, and nothing else is passed
// on:
//   --frames N         close the game after N presented frames
//   --screenshot FILE  save the last of those frames (PNG for ".png", else BMP)
//   --input FILE       replay a recorded input script (keys, mouse, pads by
//                      frame number; see platform/dinput8/input_script.h)
//   --frame-ms MS      with --input: the clocks move MS per frame (and by
//                      every wait, without waiting) instead of following
//                      the real time, so a replay reaches the same screens
//                      at the same frames on any machine
//   --dialogs FILE     answer the start-up dialogs with scripted clicks and
//                      keys (see platform/win32/dialog.h).  Without a display
//                      and without this option the launch dialog is not
//                      shown and the stored device settings are taken.
//   --host, --join ADDRESS:PORT, --report FILE
//                      a multiplayer session without the session screens
//                      (see shell/multiplayer/session_run_options.h)
//   --split side|stacked  two local players on a split screen, their views
//                      side by side or one above the other
// The game runs in its data folder: HALBERD_DATA_ROOT when set, else the
// folder the build made.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <string>

#include "control/viewport_config.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win_directory.h"
#include "shell/frame/run_frame.h"
#include "shell/multiplayer/session_run_options.h"
#include "shell/program/input_script_run.h"
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

bool Flag(int argc, char** argv, const char* name) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

const char* Option(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  return nullptr;
}

// A path given relative to where the program was started, made absolute.
const char* FromStart(const char* path, const char* start, char* buffer, std::size_t size) {
  if (path == nullptr || path[0] == '/') return path;
  std::snprintf(buffer, size, "%s/%s", start, path);
  return buffer;
}

}  // namespace

int main(int argc, char** argv) {
  const char* root = std::getenv("HALBERD_DATA_ROOT");
  if (root == nullptr) root = HALBERD_GAME_DATA_DIR;
  // A screenshot named relative to where the program was started stays there.
  static char start[1024];
  GetCurrentDirectoryA(sizeof start, start);
  static char shot[2048];
  const char* screenshot = FromStart(Option(argc, argv, "--screenshot"), start, shot, sizeof shot);
  if (const char* split = Option(argc, argv, "--split"); split != nullptr) {
    const int orientation = ParseSplitOrientation(split);
    if (orientation < 0) {
      std::fprintf(stderr, "halberd: --split takes \"side\" or \"stacked\", not \"%s\"\n", split);
      return 1;
    }
    ApplySplitOption(orientation);
  }
  static char inputPath[2048];
  const char* input = FromStart(Option(argc, argv, "--input"), start, inputPath, sizeof inputPath);
  if (input != nullptr) {
    std::string error;
    if (!StartInputScript(input, &error)) {
      std::fprintf(stderr, "halberd: %s\n", error.c_str());
      return 1;
    }
    std::printf("halberd: replaying %zu input events from %s\n", InputScriptEvents(), input);
  }
  if (const char* step = Option(argc, argv, "--frame-ms"); step != nullptr) {
    const long ms = std::strtol(step, nullptr, 10);
    if (input == nullptr || ms <= 0 || ms > 1000) {
      std::fprintf(stderr, "halberd: --frame-ms takes 1 to 1000 milliseconds and needs --input\n");
      return 1;
    }
    SetInputScriptFrameTime(static_cast<unsigned>(ms));
  }
  static char dialogPath[2048];
  const char* dialogs = FromStart(Option(argc, argv, "--dialogs"), start, dialogPath, sizeof dialogPath);
  if (dialogs != nullptr) {
    std::string error;
    if (!LoadDialogScript(dialogs, &error)) {
      std::fprintf(stderr, "halberd: %s\n", error.c_str());
      return 1;
    }
    std::printf("halberd: answering dialogs with %zu scripted actions from %s\n", PendingDialogActions(), dialogs);
  }
  static char reportPath[2048];
  const char* report = FromStart(Option(argc, argv, "--report"), start, reportPath, sizeof reportPath);
  {
    std::string error;
    if (!SetSessionRunOptions(Flag(argc, argv, "--host"), Option(argc, argv, "--join"), report, &error)) {
      std::fprintf(stderr, "halberd: %s\n", error.c_str());
      return 1;
    }
  }
  if (!SetCurrentDirectoryA(root)) {
    std::fprintf(stderr, "halberd: the data folder %s does not exist\n", root);
    return 1;
  }
  std::printf("halberd: data root %s\n", root);
  SetFrameLimit(FrameCount(argc, argv), screenshot);
  return WinMain(nullptr, nullptr, nullptr, 0);
}
