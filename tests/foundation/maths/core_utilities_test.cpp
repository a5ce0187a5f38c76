#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/system/assert_dialog.h"
#include "foundation/maths/bit_utils.h"
#include "foundation/system/command_switches.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/developer_user.h"
#include "foundation/system/fpu_control.h"
#include "foundation/text/hash.h"
#include "foundation/text/lookup_table.h"
#include "foundation/system/message_box.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/float_control.h"
#include "platform/win32/message_box.h"
#include "platform/win32/user_name.h"

namespace {

// Shift-register hash written bit by bit from its definition, to check the
// library against on arbitrary texts.
std::uint32_t ReferenceHash(const std::string& s) {
  std::uint32_t h = 1;
  for (unsigned char c : s) {
    for (int i = 0; i < 8; ++i) {
      std::uint32_t b = (c >> i) & 1;
      std::uint32_t t = h >> 31;
      std::uint32_t f = b ^ (h & 1) ^ ((h >> 1) & 1) ^ ((h >> 21) & 1);
      h <<= 1;
      if (f != t) h |= 1;
    }
  }
  return h;
}

TEST(Hashes, KnownValues) {
  EXPECT_EQ(HashString(""), 1u);
  EXPECT_EQ(HashString("abc"), 0x016868B4u);
  EXPECT_EQ(HashStringNoCase("ABC"), 0x016868B4u);
  EXPECT_EQ(HashStringElf("abc"), 0x6783u);
  EXPECT_EQ(HashStringElfNoCase("AbC"), 0x6783u);
  EXPECT_NE(HashString("A"), HashString("a"));
  EXPECT_EQ(HashStringNoCase("A"), HashStringNoCase("a"));
  EXPECT_EQ(HashBytes("abc", 3), 0x6783u);
  EXPECT_EQ(HashMemory("abc", 3), 0x016868B4u);
}

TEST(Hashes, AgreeWithTheDefinitionOnFileNames) {
  const char* names[] = {"catalog.dat", "DATA\\TEXTURES\\WALL01.PNG", "mission.dat", "x", "a longer name with spaces"};
  for (const char* n : names) {
    EXPECT_EQ(HashString(n), ReferenceHash(n)) << n;
    EXPECT_EQ(HashName(n), HashString(n));
    std::string lower(n);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(HashStringNoCase(n), ReferenceHash(lower)) << n;
    EXPECT_EQ(HashNameNoCase(n), HashStringNoCase(n));
  }
  // The ELF hash folds the top nibble back in: long texts stay in 28 bits.
  EXPECT_LT(HashStringElf("abcdefghijklmnopqrstuvwxyz"), 0x10000000u);
}

TEST(CommandSwitches, LettersOfBothCasesShareAFlag) {
  ClearAllCommandSwitches();
  EXPECT_FALSE(IsCommandSwitchSet('d'));
  SetCommandSwitch('d');
  EXPECT_TRUE(IsCommandSwitchSet('d'));
  EXPECT_TRUE(IsCommandSwitchSet('D'));
  EXPECT_FALSE(IsCommandSwitchSet('e'));
  ClearCommandSwitch('D');
  EXPECT_FALSE(IsCommandSwitchSet('d'));
}

TEST(LookupTables, FindFirstMatchOrAnswerTheMissValue) {
  const KeyValuePair byKey[] = {{1, 10}, {2, 20}, {2, 21}, {3, 0}, {4, 40}};
  EXPECT_EQ(LookupValueByKey(byKey, 2), 20u);
  EXPECT_EQ(LookupValueByKey(byKey, 9), 0u);
  EXPECT_EQ(LookupValueByKey(byKey, 4), 0u);  // past the end marker
  const NameValuePair byName[] = {{5, "five"}, {6, "six"}, {7, nullptr}};
  EXPECT_EQ(LookupValueByName(byName, "six"), 6);
  EXPECT_EQ(LookupValueByName(byName, "SIX"), -1);
  EXPECT_EQ(LookupValueByName(byName, "seven"), -1);
}

TEST(Bits, PowersOfTwo) {
  struct Case {
    std::uint32_t v;
    bool pow;
    std::uint32_t next;
  };
  const Case cases[] = {{0, false, 1}, {1, true, 1}, {5, false, 8}, {8, true, 8}, {9, false, 16},
                        {0x80000000u, true, 0x80000000u}, {0x80000001u, false, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(IsPowerOfTwo(c.v), c.pow) << c.v;
    EXPECT_EQ(NextPowerOfTwo(c.v), c.next) << c.v;
  }
}

struct SeenBox {
  std::string text;
  std::string caption;
  UINT type = 0;
  int answer = IDOK;
  int calls = 0;
};

int RecordBox(HWND, const char* text, const char* caption, UINT type, void* ctx) {
  auto* s = static_cast<SeenBox*>(ctx);
  s->text = text;
  s->caption = caption;
  s->type = type;
  ++s->calls;
  return s->answer;
}

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetMessageBoxEcho(false);
    SetMessageBoxHook(RecordBox, &seen_);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
  }
  SeenBox seen_;
};

TEST_F(BoxTest, EachBoxHasItsCaptionButtonsAndIcon) {
  struct Case {
    int (*show)();
    const char* caption;
    UINT type;
  };
  const Case cases[] = {
      {[] { return ErrorBox("n=%d", 3); }, "Error", MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION},
      {[] { return ErrorBoxFor(nullptr, "n=%d", 3); }, "Error", MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION},
      {[] { return WarningBox("n=%d", 3); }, "Warning", MB_OK | MB_ICONEXCLAMATION},
      {[] { return WarningBoxFor(nullptr, "n=%d", 3); }, "Warning", MB_OK | MB_ICONEXCLAMATION},
      {[] { return ErrorBoxEx(MB_YESNO, "n=%d", 3); }, "Error", MB_YESNO | MB_ICONEXCLAMATION},
      {[] { return WarningBoxEx(MB_OKCANCEL, "n=%d", 3); }, "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION},
      {[] { return InfoBox("n=%d", 3); }, "", MB_OK | MB_ICONINFORMATION},
  };
  seen_.answer = IDRETRY;
  for (const Case& c : cases) {
    EXPECT_EQ(c.show(), IDRETRY);
    EXPECT_EQ(seen_.text, "n=3");
    EXPECT_EQ(seen_.caption, c.caption);
    EXPECT_EQ(seen_.type, c.type);
  }
}

TEST_F(BoxTest, ALongMessageIsCutAndTerminated) {
  std::string longText(5000, 'q');
  ErrorBox("%s", longText.c_str());
  EXPECT_EQ(seen_.text.size(), 4095u);
}

TEST(MessageBoxDefault, WithoutAHookTheBoxLetsTheProgramGoOn) {
  SetMessageBoxEcho(false);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_ABORTRETRYIGNORE), IDIGNORE);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), IDOK);
  SetMessageBoxEcho(true);
}

TEST_F(BoxTest, AssertDialogRetryIgnoreAndSilence) {
  bool ignore = false;
  seen_.answer = IDRETRY;
  EXPECT_TRUE(AssertFailed("x > 0", "a.cpp", 12, &ignore, "bad x"));
  EXPECT_EQ(seen_.text, "Error \"x > 0\"\n File: a.cpp, Line: 12\n\nbad x");
  EXPECT_EQ(seen_.caption, "Assert failed - Retry Debugs");
  EXPECT_EQ(seen_.type, MB_ABORTRETRYIGNORE | MB_ICONWARNING | MB_TOPMOST);
  EXPECT_FALSE(ignore);
  seen_.answer = IDIGNORE;
  EXPECT_FALSE(AssertFailed("x > 0", "a.cpp", 12, &ignore, "bad x"));
  EXPECT_TRUE(ignore);
  int calls = seen_.calls;
  EXPECT_FALSE(AssertFailed("x > 0", "a.cpp", 12, &ignore, "bad x"));
  EXPECT_EQ(seen_.calls, calls);
}

TEST(AssertDialogDeathTest, AbortEndsTheProgram) {
  EXPECT_DEATH(
      {
        SetMessageBoxEcho(false);
        SetMessageBoxHook([](HWND, const char*, const char*, UINT, void*) { return IDABORT; }, nullptr);
        bool ignore = false;
        AssertFailed("e", "f", 1, &ignore, "m");
      },
      "");
}

TEST(DebugOutput, TracesReachTheDebugChannelCut) {
  static std::vector<std::string> got;
  got.clear();
  SetDebugOutputHook([](const char* t, void*) { got.emplace_back(t); }, nullptr);
  DebugTrace("START : %s\n", "levelInitialise");
  std::string big(6000, 'z');
  DebugTrace("%s", big.c_str());
  DebugTraceShort("%s", big.c_str());
  DebugTraceNull("%s", "dropped");
  SetDebugOutputHook(nullptr, nullptr);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "START : levelInitialise\n");
  EXPECT_EQ(got[1].size(), 4095u);
  EXPECT_EQ(got[2].size(), 511u);
}

TEST(DeveloperUser, NoUserIsADeveloperWithoutAListedName) {
  const char* names[] = {"NOMORE", "someone", ""};
  for (const char* n : names) {
    SetUserNameOverride(n);
    EXPECT_EQ(IsDeveloperUser(), 0) << n;
  }
  SetUserNameOverride(nullptr);
}

TEST(UserName, BufferTooSmallReportsTheSizeNeeded) {
  SetUserNameOverride("tester");
  char buffer[16];
  DWORD size = 3;
  EXPECT_FALSE(GetUserNameA(buffer, &size));
  EXPECT_EQ(size, 7u);
  size = sizeof buffer;
  EXPECT_TRUE(GetUserNameA(buffer, &size));
  EXPECT_STREQ(buffer, "tester");
  EXPECT_EQ(size, 7u);
  SetUserNameOverride(nullptr);
}

TEST(FpuControl, SaveChangeRestoreRoundTrips) {
  std::uint32_t original = GetFpuControl();
  SaveFpuControl();
  EXPECT_EQ(GetSavedFpuControl(), original);
  SetFpuControl((original & ~_MCW_RC) | _RC_CHOP);
  EXPECT_EQ(GetFpuControl() & _MCW_RC, _RC_CHOP);
  volatile float a = 1.0f, b = 3.0f;
  float chopped = a / b;
  RestoreFpuControl();
  EXPECT_EQ(GetFpuControl(), original);
  float nearest = a / b;
  EXPECT_LT(chopped, nearest);  // truncation rounds 1/3 down, nearest rounds it up
}

}  // namespace
