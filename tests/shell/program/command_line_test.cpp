// The command line: the built-in string, the letters, bare words and the
// development override.
#include "shell/program/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "control/viewport_config.h"
#include "foundation/system/command_switches.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/message_box.h"
#include "shell/program/shell_state.h"

namespace {

std::vector<std::string> g_boxes;

int Capture(HWND, const char* text, const char*, UINT, void*) {
  g_boxes.push_back(text);
  return IDOK;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes.clear();
    SetMessageBoxEcho(false);
    SetMessageBoxHook(Capture, nullptr);
    Reset();
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    Reset();
    unsetenv("HALBERD_COMMAND_LINE");
  }
  static void Reset() {
    ClearAllCommandSwitches();
    g_ViewportConfig = CViewportConfig{};
    CheatMode = NoTexturePreload = ScriptQueryWord = 0;
    DirectStart = 0;
    FrameMode = FRAME_IN_GAME;
    ScreenId = 0;
  }
  static std::string SetLetters() {
    std::string letters;
    for (char c = 'a'; c <= 'z'; ++c)
      if (IsCommandSwitchSet(c)) letters += c;
    return letters;
  }
};

struct Case {
  const char* line;
  const char* letters;
  const char* levelName;
  std::uint32_t directStart;
  int screen;
  int split;
  unsigned cheat;
};

TEST_F(CommandLine, ParsesLettersWordsAndTheStartScreen) {
  const Case cases[] = {
      {"-f -d", "df", "FrontEnd.dll", 0, 1, 0, 0},
      {"-p -x mission2.dll", "px", "mission2.dll", 1, 14, 1, 0},
      {"mission one.dll", "", "missionone.dll", 1, 14, 0, 0},
      // Only letters after "-" set switches: "-1" would alias Q.
      {"-1 -$#", "", "", 0, 14, 0, 0},
      {"-FD", "df", "FrontEnd.dll", 0, 1, 0, 0},
      // LF ends the whole parse, even inside a run of letters.
      {"-c\n-p x.dll", "c", "", 0, 14, 0, 0},
      {"-d\r-p", "d", "", 0, 14, 0, 0},
      // F wins over a bare word: the front end starts, not the level.
      {"-f Units.loa", "f", "FrontEnd.dll", 0, 1, 0, 0},
      {"-d Units.loa", "d", "Units.loa", 1, 14, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Reset();
    EXPECT_EQ(ParseCommandLine(c.line), 1);
    EXPECT_EQ(SetLetters(), c.letters);
    EXPECT_STREQ(LevelName, c.levelName);
    EXPECT_EQ(DirectStart, c.directStart);
    EXPECT_EQ(ScreenId, c.screen);
    EXPECT_EQ(FrameMode, FRAME_LEVEL_CHANGE);
    EXPECT_EQ(ReturnToFrontEnd, 0u);
    EXPECT_EQ(g_ViewportConfig.SplitScreen, c.split);
    EXPECT_TRUE(g_boxes.empty());
  }
  Reset();
  ParseCommandLine("-x");
  EXPECT_EQ(CheatMode, 1u);
  ParseCommandLine("-tin");
  EXPECT_EQ(NoTexturePreload, 1u);
  EXPECT_EQ(ScriptQueryWord, 1u);
  EXPECT_EQ(g_ViewportConfig.NoEnemies, 1);
}

TEST_F(CommandLine, AWordLongerThanTheLevelNameIsRefusedWithAMessage) {
  const std::string longWord(300, 'w');
  EXPECT_EQ(ParseCommandLine(("-d " + longWord).c_str()), 0);
  EXPECT_STREQ(LevelName, "");
  EXPECT_EQ(DirectStart, 0u);
  EXPECT_TRUE(IsCommandSwitchSet('d'));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_NE(g_boxes[0].find("255"), std::string::npos);
  // Two words that only together overflow are refused as well; one that fits the 255 characters is taken.
  g_boxes.clear();
  EXPECT_EQ(ParseCommandLine((std::string(200, 'a') + " " + std::string(60, 'b')).c_str()), 0);
  EXPECT_STREQ(LevelName, "");
  const std::string fits(255, 'z');
  EXPECT_EQ(ParseCommandLine(fits.c_str()), 1);
  EXPECT_EQ(std::string(LevelName), fits);
}

TEST_F(CommandLine, GarbageSetsOnlyLettersAndABoundedName) {
  std::string garbage;
  for (int i = 1; i < 256; ++i) garbage += static_cast<char>(i == '\n' || i == '\r' ? 'q' : i);
  const std::string lines[] = {garbage, "-" + garbage, "\x7f\xff-\x80\x01 -Z\x02", std::string(600, '-')};
  for (const std::string& line : lines) {
    Reset();
    ParseCommandLine(line.c_str());
    EXPECT_LT(std::strlen(LevelName), static_cast<std::size_t>(kLevelNameSize));
    // The switch slots no letter owns (0 and 27..31) stay clear.
    for (char c : {'@', '[', '\\', ']', '^', '_'}) EXPECT_EQ(IsCommandSwitchSet(c), 0) << c;
  }
}

TEST_F(CommandLine, TheEnvironmentOverrideReplacesTheBuiltInString) {
  unsetenv("HALBERD_COMMAND_LINE");
  EXPECT_STREQ(GameCommandLine(), "-f -d");
  setenv("HALBERD_COMMAND_LINE", "-d Demo.loa", 1);
  EXPECT_STREQ(GameCommandLine(), "-d Demo.loa");
  ParseCommandLine(nullptr);
  EXPECT_STREQ(LevelName, "Demo.loa");
  EXPECT_EQ(DirectStart, 1u);
  EXPECT_EQ(ScreenId, 14);
}

}  // namespace
