// The developer key map under switch M, and the letter keys, with keys pushed
// as SDL events through the game window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "control/keymap/developer_keys.h"
#include "control/keymap/key_map.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/not_built_yet.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/message_box.h"

namespace {

std::vector<std::string> gRan;

// Handlers that record which mapping ran.
template <int N>
void Record() {
  static const char* const kNames[] = {"lighting", "scroll up", "speed up", "collision spheres", "rendering"};
  gRan.push_back(kNames[N]);
}

class KeyMapTest : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    gRan.clear();
    ClearNotBuiltYet();
    SetDeveloperKeyHandler("Toggle Lighting", &Record<0>);
    SetDeveloperKeyHandler("Scroll Up", &Record<1>);
    SetDeveloperKeyHandler("Speed up time", &Record<2>);
    SetDeveloperKeyHandler("Toggle Player Collision Spheres", &Record<3>);
    SetDeveloperKeyHandler("Toggle Rendering", &Record<4>);
  }
  void TearDown() override {
    for (const char* d : {"Toggle Lighting", "Scroll Up", "Speed up time", "Toggle Player Collision Spheres",
                          "Toggle Rendering"})
      SetDeveloperKeyHandler(d, nullptr);
    RemoveAllKeyMappings();
    ClearCommandSwitch('M');
    InputWindowTest::TearDown();
  }
  // Keys pressed (in order) and released again within one frame; then the
  // key map's pass.
  void Frame(std::vector<const char*> hold, std::vector<const char*> tap = {}) {
    for (const char* k : hold) Win32InjectKey(nullptr, k, true);
    for (const char* k : tap) Win32InjectKey(nullptr, k, true);
    BeginFrame();
    ProcessKeyMap(0);
    EndFrame();
    for (const char* k : tap) Win32InjectKey(nullptr, k, false);
  }
  void ReleaseAll(std::vector<const char*> keys) {
    for (const char* k : keys) Win32InjectKey(nullptr, k, false);
    BeginFrame();
    EndFrame();
  }
};

TEST_F(KeyMapTest, WithoutSwitchMThereIsNoMapping) {
  CreateKeyMap();
  EXPECT_EQ(CountKeyMappings(), 0);
  SetDebugMappings(1);
  Frame({}, {"F2"});
  EXPECT_TRUE(gRan.empty());
}

TEST_F(KeyMapTest, DebugMappingsGateTheRowsThatAreNotAlwaysActive) {
  SetCommandSwitch('M');
  CreateKeyMap();
  int rows = 0;
  DeveloperKeyRows(&rows);
  EXPECT_EQ(CountKeyMappings(), rows);
  EXPECT_EQ(GetDebugMappings(), 0);
  // F2 needs debug mappings; I is always active.
  Frame({}, {"F2"});
  Frame({}, {"I"});
  EXPECT_EQ(gRan, std::vector<std::string>{"scroll up"});
  // Left Shift + slash switches debug mappings on, always.
  Frame({"Left Shift"}, {"/"});
  ReleaseAll({"Left Shift"});
  EXPECT_EQ(GetDebugMappings(), 1);
  Frame({}, {"F2"});
  EXPECT_EQ(gRan.back(), "lighting");
  // With a modifier down, F2 (a row without one) does not run.
  gRan.clear();
  Frame({"Left Shift"}, {"F2"});
  ReleaseAll({"Left Shift"});
  EXPECT_TRUE(gRan.empty());
  // Left Ctrl + F10 runs the row of that modifier; plain F10 does not reach it.
  Frame({"Left Ctrl"}, {"F10"});
  ReleaseAll({"Left Ctrl"});
  EXPECT_EQ(gRan, std::vector<std::string>{"rendering"});
  EXPECT_EQ(GetLastKeyMapModifier(), 29);
  EXPECT_EQ(GetLastKeyMapKey(), 68);
}

TEST_F(KeyMapTest, HeldRowsRunEveryFrameAndAWrongTriggerShowsTheBox) {
  SetCommandSwitch('M');
  CreateKeyMap();
  SetDebugMappings(1);
  Frame({"Insert"});
  Frame({});
  Frame({});
  ReleaseAll({"Insert"});
  EXPECT_EQ(gRan.size(), 3u);
  // A mapping of a trigger that is not 0, 1 or 2.
  static int boxes = 0;
  static std::string text;
  SetMessageBoxHook(
      [](HWND, const char* t, const char*, UINT, void*) {
        ++boxes;
        text = t;
        return IDOK;
      },
      nullptr);
  AddKeyMapping(1, KEY_NONE, 48, 3, &Record<0>, "odd");
  Frame({}, {"G"});  // the box shows whatever key is down
  SetMessageBoxHook(nullptr, nullptr);
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(text, "Weirdy action on keymap processing");
}

TEST_F(KeyMapTest, DeactivatedDisabledOrHeldPassesRunNothing) {
  SetCommandSwitch('M');
  CreateKeyMap();
  SetDebugMappings(1);
  DeactivateAllKeyMappings();
  Frame({}, {"F2"});
  EXPECT_TRUE(gRan.empty());
  ActivateAllKeyMappings();
  EnableKeyMap(0);
  Frame({}, {"F2"});
  EXPECT_TRUE(gRan.empty());
  EnableKeyMap(1);
  Win32InjectKey(nullptr, "F2", true);
  BeginFrame();
  ProcessKeyMap(1);
  EXPECT_TRUE(gRan.empty());
  ProcessKeyMap(0);
  EXPECT_EQ(gRan.size(), 1u);
}

TEST_F(KeyMapTest, AMappingWithoutItsFunctionSaysSo) {
  SetCommandSwitch('M');
  CreateKeyMap();
  SetDebugMappings(1);
  Frame({}, {"Keypad 7"});  // "Resurrect people"
  EXPECT_TRUE(WasReportedNotBuiltYet("developer key \"Resurrect people\""));
  EXPECT_FALSE(SetDeveloperKeyHandler("No such mapping", &Record<0>));
}

TEST_F(KeyMapTest, ListOperations) {
  KeyMapping* a = AddKeyMapping(1, KEY_NONE, 30, KEYMAP_PRESSED, nullptr, "a");
  KeyMapping* b = AddKeyMapping(1, 29, 30, KEYMAP_PRESSED, nullptr, "b");
  AddKeyMapping(1, KEY_NONE, 30, KEYMAP_HELD, nullptr, "a again");
  EXPECT_EQ(FirstKeyMapping()->description, std::string("a again"));
  EXPECT_EQ(FindKeyMapping(29, 30), b);
  RemoveKeyMappingByKey(KEY_NONE, 30);
  EXPECT_EQ(CountKeyMappings(), 1);
  EXPECT_FALSE(RemoveKeyMapping(a));  // already gone
  EXPECT_TRUE(RemoveKeyMapping(b));
  EXPECT_EQ(CountKeyMappings(), 0);
}

TEST_F(KeyMapTest, LetterKeysAndTheirIndices) {
  struct Case {
    int code;
    int index;
  };
  const Case cases[] = {{16, 0}, {25, 9}, {30, 10}, {38, 18}, {44, 19}, {50, 25}, {51, 0}, {2, 0}};
  for (const Case& c : cases) EXPECT_EQ(LetterIndex(c.code), c.index) << c.code;
  CreateKeyMap();
  LetterRecord(LetterIndex(46))[2] = 77;  // C
  EXPECT_EQ(GetLetterWord2(46), 77u);
  EXPECT_EQ(LetterRecord(26), nullptr);
  Win32InjectKey(nullptr, "1", true);
  Win32InjectKey(nullptr, "K", true);
  BeginFrame();
  EXPECT_EQ(GetPressedLetterKey(), 37);
}

}  // namespace
