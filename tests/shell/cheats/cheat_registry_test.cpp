// Cheat words typed through the game window (real key events through the
// window stand-in and the input object), and the front end's unlock
// sequences.
#include "shell/cheats/cheat_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/input/input.h"
#include "control/input/input_window_fixture.h"
#include "menus/screens/screen_manager.h"
#include "platform/win32/event_injection.h"
#include "platform/win32/keyboard_layout.h"
#include "shell/program/command_line.h"

namespace {

int gPlums = 0;
int gCrimsons = 0;
void Plum() { ++gPlums; }
void Crimson() { ++gCrimsons; }

class CheatTyping : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    Win32ResetKeyboardState();
    gPlums = gCrimsons = 0;
    ASSERT_EQ(registry_.Register("plum", Plum), 1);
    ASSERT_EQ(registry_.Register("crimson", Crimson), 1);
    registry_.SetTyping(1);
  }
  void TearDown() override {
    Win32ResetKeyboardState();
    InputWindowTest::TearDown();
  }
  // One frame in which the keys go down (in order); the registry's key step
  // runs; the keys go up before the next frame unless held.
  void Frame(std::vector<const char*> keys, bool release = true) {
    for (const char* k : keys) Win32InjectKey(window_, k, true);
    BeginFrame();
    registry_.KeyStep();
    EndFrame();
    if (release)
      for (const char* k : keys) Win32InjectKey(window_, k, false);
  }
  // Types a text one character a frame; capitals with left Shift.
  void Type(const std::string& text) {
    for (char c : text) {
      const std::string key(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
      const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
      if (upper) Win32InjectKey(window_, "Left Shift", true);
      Frame({key.c_str()});
      if (upper) Win32InjectKey(window_, "Left Shift", false);
    }
  }
  std::string RingText() const {
    std::string out;
    for (std::uint32_t i = 0; i < registry_.WritePosition(); ++i) out += registry_.Ring()[i];
    return out;
  }
  bool RingEmpty() const {
    for (int i = 0; i < CheatRegistry::kRingSize; ++i)
      if (registry_.Ring()[i] != 0) return false;
    return registry_.WritePosition() == 0;
  }
  CheatRegistry registry_;
};

TEST_F(CheatTyping, AWordInAnyCaseMatchesOnItsLastLetterAndEmptiesTheRing) {
  Type("xxPlU");
  EXPECT_EQ(RingText(), "xxPlU");  // Shift gives capitals
  EXPECT_EQ(gPlums, 0);
  Type("m");
  EXPECT_EQ(gPlums, 1);
  EXPECT_EQ(gCrimsons, 0);
  EXPECT_TRUE(RingEmpty());
  // The longer word after other text, in capitals.
  Type("plCRIMSON");
  EXPECT_EQ(gCrimsons, 1);
  EXPECT_EQ(gPlums, 1);
  EXPECT_TRUE(RingEmpty());
}

TEST_F(CheatTyping, OnlyTheLowestCharacterKeyPressedThisFrameIsTypedAndHeldKeysTypeOnce) {
  // Q (16) and P (25) together: Q is typed.  Tab, Left and the Shift keys type nothing.
  Frame({"P", "Q"});
  EXPECT_EQ(RingText(), "q");
  Frame({"Tab"});
  Frame({"Left"});
  Frame({"Left Shift"});
  EXPECT_EQ(RingText(), "q");
  // A held key types once however many frames it stays down.
  Frame({"L"}, false);
  Frame({});
  Frame({});
  Win32InjectKey(window_, "L", false);
  Frame({});
  EXPECT_EQ(RingText(), "ql");
  // Digits and keypad digits.
  Frame({"7"});
  Frame({"Keypad 3"});
  EXPECT_EQ(RingText(), "ql73");
}

TEST_F(CheatTyping, KeypadEnterEndsTypingOnALaterPressNotOnTheReleaseOfTheFirst) {
  // Typing went on with keypad Enter held (the key map's press); its release
  // does not end typing.
  Win32InjectKey(window_, "Keypad Enter", true);
  BeginFrame();
  EndFrame();
  Type("cr");
  Win32InjectKey(window_, "Keypad Enter", false);
  Frame({});
  EXPECT_EQ(registry_.IsTyping(), 1u);
  Type("i");
  EXPECT_EQ(RingText(), "cri");
  // The next press ends it and empties the ring.
  Frame({"Keypad Enter"});
  EXPECT_EQ(registry_.IsTyping(), 0u);
  EXPECT_TRUE(RingEmpty());
  // Not typing: keys go nowhere.
  Type("plum");
  EXPECT_EQ(gPlums, 0);
  EXPECT_TRUE(RingEmpty());
}

TEST_F(CheatTyping, TheRingWrapsAndLongTextsReadNothingPastIt) {
  // 300 characters: the write position wraps; a word still matches across the end.
  Type(std::string(254, 'z'));
  Type("crimson");
  EXPECT_EQ(gCrimsons, 1);
  Type(std::string(300, 'k'));
  EXPECT_EQ(registry_.WritePosition(), 300u % 256u);
  EXPECT_EQ(gPlums + gCrimsons, 1);
}

TEST(CheatRegistry, RegistrationsAreLimitedToSixtyFourWordsOfAtMost255Characters) {
  CheatRegistry r;
  EXPECT_EQ(r.Register(std::string(256, 'a').c_str(), Plum), 0);
  EXPECT_EQ(r.Register("", Plum), 0);
  EXPECT_EQ(r.Register(nullptr, Plum), 0);
  EXPECT_EQ(r.Register("word", nullptr), 0);
  EXPECT_EQ(r.Register(std::string(255, 'a').c_str(), Plum), 1);
  EXPECT_EQ(r.Longest(), 255u);
  for (int i = 1; i < CheatRegistry::kMaxWords; ++i) EXPECT_EQ(r.Register(("w" + std::to_string(i)).c_str(), Plum), 1);
  EXPECT_EQ(r.Count(), 64u);
  EXPECT_EQ(r.Register("sixtyfifth", Plum), 0);
  EXPECT_EQ(r.Count(), 64u);
  // The words are copies.
  CheatRegistry s;
  char word[] = "plum";
  s.Register(word, Plum);
  word[0] = 'g';
  RegisterStartupCheatWords(&s);
  EXPECT_EQ(s.Count(), 3u);
}

class UnlockSequences : public InputWindowTest {
 protected:
  void SetUp() override {
    InputWindowTest::SetUp();
    CheatMode = 0;
    ScreenId = 1;
    ResetUnlockSequences();
  }
  void TearDown() override {
    CheatMode = 0;
    ScreenId = 0;
    ResetUnlockSequences();
    InputWindowTest::TearDown();
  }
  void Frame(const char* key) {
    if (key) Win32InjectKey(window_, key, true);
    BeginFrame();
    WatchUnlockSequences();
    EndFrame();
    if (key) Win32InjectKey(window_, key, false);
  }
  void TypeSequence(const std::string& letters) {
    for (char c : letters) Frame(std::string(1, c).c_str());
  }
};

TEST_F(UnlockSequences, TheKeyboardSequenceWithLeftShiftHeldSwitchesCheatModeOn) {
  int count = 0;
  const int* keys = KeyboardUnlockSequence(&count);
  ASSERT_EQ(count, 11);
  EXPECT_EQ(keys[0], 35);  // H
  Win32InjectKey(window_, "Left Shift", true);
  TypeSequence("HALBERDKEY");
  EXPECT_EQ(CheatMode, 0u);
  TypeSequence("S");
  EXPECT_EQ(CheatMode, 1u);
}

TEST_F(UnlockSequences, WrongKeysWaitAndLettingGoOfShiftRestarts) {
  Win32InjectKey(window_, "Left Shift", true);
  TypeSequence("HALQBERZDKEY");  // Q and Z change nothing
  Win32InjectKey(window_, "Left Shift", false);
  Frame(nullptr);
  Win32InjectKey(window_, "Left Shift", true);
  TypeSequence("S");
  EXPECT_EQ(CheatMode, 0u);  // restarted: S is not the first key
  TypeSequence("HALBERDKEYS");
  EXPECT_EQ(CheatMode, 1u);
}

TEST_F(UnlockSequences, NothingHappensOffTheFrontEndOrWithoutShift) {
  struct Case {
    int screen;
    bool shift;
  } cases[] = {{14, true}, {0, true}, {1, false}};
  for (const Case& c : cases) {
    ResetUnlockSequences();
    ScreenId = c.screen;
    if (c.shift) Win32InjectKey(window_, "Left Shift", true);
    TypeSequence("HALBERDKEYS");
    if (c.shift) Win32InjectKey(window_, "Left Shift", false);
    Frame(nullptr);
    EXPECT_EQ(CheatMode, 0u) << c.screen << " " << c.shift;
  }
  // Once on, cheat mode stays on and the unlock does nothing more.
  UnlockCheatMode();
  UnlockCheatMode();
  EXPECT_EQ(CheatMode, 1u);
}

}  // namespace
