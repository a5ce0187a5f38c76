#include "shell/program/command_line.h"

#include <cstdlib>
#include <cstring>

#include "control/viewport_config.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/message_box.h"
#include "menus/screens/screen_manager.h"
#include "shell/program/shell_state.h"

unsigned int NoTexturePreload = 0;
unsigned int ScriptQueryWord = 0;
unsigned int CheatMode = 0;

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool EndsWord(char c) { return c == '\0' || c == ' ' || c == '\r' || c == '\n'; }

}  // namespace

const char* GameCommandLine() {
  const char* over = std::getenv("HALBERD_COMMAND_LINE");
  return over != nullptr ? over : kBuiltInCommandLine;
}

int ParseCommandLine(const char* commandLine) {
  const char* text = commandLine != nullptr ? commandLine : GameCommandLine();
  LevelName[0] = '\0';
  std::size_t used = 0;
  bool refused = false;
  for (char c = 'a'; c <= 'z'; ++c) ClearCommandSwitch(c);

  const char* p = text;
  while (*p != '\0' && *p != '\r' && *p != '\n') {
    if (*p == ' ') {
      ++p;
    } else if (*p == '-') {
      // A run of letters; anything but a letter sets nothing (so that "-1"
      // cannot stand for a letter sharing its low five bits).
      for (++p; !EndsWord(*p); ++p)
        if (IsLetter(*p)) SetCommandSwitch(*p);
      if (*p == '\n') break;
    } else {
      // A bare word, appended to the level name when it fits.
      const char* start = p;
      while (!EndsWord(*p)) ++p;
      const std::size_t length = static_cast<std::size_t>(p - start);
      if (refused || used + length >= static_cast<std::size_t>(kLevelNameSize)) {
        refused = true;
        continue;
      }
      std::memcpy(LevelName + used, start, length);
      used += length;
      LevelName[used] = '\0';
      DirectStart = 1;
    }
  }
  if (refused) {
    LevelName[0] = '\0';
    DirectStart = 0;
    ErrorBoxEx(0, "The level name on the command line is longer than %d characters; it is ignored.",
               kLevelNameSize - 1);
  }
  ReturnToFrontEnd = 0;

  if (IsCommandSwitchSet('p') == 1) g_ViewportConfig.SplitScreen = 1;
  if (IsCommandSwitchSet('n') == 1) g_ViewportConfig.NoEnemies = 1;
  if (IsCommandSwitchSet('t') == 1) NoTexturePreload = 1;
  if (IsCommandSwitchSet('i') == 1) ScriptQueryWord = 1;
  if (IsCommandSwitchSet('x') == 1) CheatMode = 1;

  FrameMode = FRAME_LEVEL_CHANGE;
  if (IsCommandSwitchSet('f') == 1) {
    ScreenId = 1;
    std::strcpy(LevelName, "FrontEnd.dll");
    DirectStart = 0;
  } else {
    ScreenId = 14;
  }
  return refused ? 0 : 1;
}
