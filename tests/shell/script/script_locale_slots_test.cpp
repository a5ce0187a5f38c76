// Slot 22: a mission's string file layered over the game's tables, as the
// first mission's set-up loads its titles and briefing paragraphs.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/text/locale_table.h"
#include "make_strings/string_table.h"
#include "shell/mission/mission_fixture.h"
#include "shell/script/script_function_table.h"

namespace {

const ScriptFunctionTable& Text = g_ScriptFunctionTable;

// Writes a string file into the working folder.
void WriteStrings(const char* name, const std::vector<SourceString>& strings) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(WriteLocBytes(strings, kGameStringSetValue, &bytes, &error)) << error;
  std::ofstream(name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(LocaleSlots, AMissionsStringFileIsLayeredOverTheGamesOwn) {
  mission_test::ScratchFolder folder("halberd_locale_slots");
  WriteStrings("Base.loc", {{0x100, "GAME_A", "Game text"}, {0x200, "GAME_B", "Old"}});
  WriteStrings("M01Strs.loc", {{0xF14BF290u, "M_TITLE", "River Camp"}, {0x200, "M_B", "New"}});
  std::ofstream("Junk.loc", std::ios::binary) << "not a string file";
  CLocale locale;
  CLocale* previous = g_Locale;
  g_Locale = &locale;
  ASSERT_EQ(locale.Load("Base.loc"), 1);
  Text.LocaleLoadLayer("M01Strs.loc");
  EXPECT_STREQ(locale.GetString(0xF14BF290u), "River Camp");
  EXPECT_STREQ(locale.GetString(0x200), "New") << "the layer's text wins";
  EXPECT_STREQ(locale.GetString(0x100), "Game text") << "the game's own stay";
  // A file that is missing or no string file adds nothing and keeps the rest.
  const std::uint32_t strings = locale.GetStringCount();
  Text.LocaleLoadLayer("NoSuchStrs.loc");
  Text.LocaleLoadLayer("Junk.loc");
  Text.LocaleLoadLayer(nullptr);
  EXPECT_EQ(locale.GetStringCount(), strings);
  EXPECT_STREQ(locale.GetString(0xF14BF290u), "River Camp");
  // Without a table the call does nothing.
  g_Locale = nullptr;
  Text.LocaleLoadLayer("M01Strs.loc");
  g_Locale = previous;
}

}  // namespace
