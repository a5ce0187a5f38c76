// The common line format, through the first-name and propulsion loaders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/text/hash.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/stats_fixture.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/vehicle_stats.h"

namespace {

using stats_test::BoxRecorder;
using stats_test::FreeStatsAfter;

struct NameCase {
  const char* label;
  std::string text;
  bool loads;
  std::vector<std::string> names;  // the records, in order, when it loads
  std::string box;                 // the one message, when it does not
};

class LineFormat : public ::testing::TestWithParam<NameCase> {};

TEST_P(LineFormat, ReadsTheFirstNameTableAsTheFormatSays) {
  const NameCase& c = GetParam();
  FreeStatsAfter free;
  BoxRecorder boxes;
  const bool ok = loadFirstNames(c.text.data(), static_cast<std::uint32_t>(c.text.size()));
  ASSERT_EQ(ok, c.loads) << boxes.Joined();
  if (!c.loads) {
    ASSERT_EQ(boxes.texts.size(), 1u) << boxes.Joined();
    EXPECT_EQ(boxes.texts[0], c.box);
    return;
  }
  EXPECT_TRUE(boxes.texts.empty()) << boxes.Joined();
  const StatsTable<StatsNameEntry>& table = FirstNameTable();
  ASSERT_EQ(table.Count, static_cast<int>(c.names.size()));
  for (int i = 0; i < table.Count; ++i) {
    EXPECT_EQ(table.Records[i].Name, c.names[static_cast<std::size_t>(i)]) << "record " << i;
    EXPECT_EQ(table.Records[i].Hash, HashString(c.names[static_cast<std::size_t>(i)].c_str()));
  }
}

const std::string k36(36, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, LineFormat,
    ::testing::Values(
        NameCase{"empty file", "", true, {}, ""},
        NameCase{"two lines", "Alan,0\nBrian,7\n", true, {"Alan", "Brian"}, ""},
        NameCase{"blank line is an empty record", "Alan,0\n\nBrian,0\n", true, {"Alan", "", "Brian"}, ""},
        NameCase{"CR LF", "Alan,0\r\nBrian,0\r\n", true, {"Alan", "Brian"}, ""},
        NameCase{"blank CR LF line", "\r\nAlan,0\r\n", true, {"", "Alan"}, ""},
        NameCase{"last line without LF is not read", "Alan,0\nBrian,0", true, {"Alan"}, ""},
        NameCase{"apostrophe cuts the name", "O'Brien,0\n", true, {"O"}, ""},
        NameCase{"leading blanks of a text are kept", " Alan,0\n", true, {" Alan"}, ""},
        NameCase{"text after the last field is ignored", "Alan,0,more,text\n", true, {"Alan"}, ""},
        NameCase{"blanks before a number", "Alan,  12\n", true, {"Alan"}, ""},
        NameCase{"35 characters fit", std::string(35, 'y') + ",0\n", true, {std::string(35, 'y')}, ""},
        NameCase{"short line", "Alan\n", false, {},
                 "fNames.txt, line 1 (Alan): column 2 is missing"},
        NameCase{"short second line", "Alan,0\nBrian\n", false, {},
                 "fNames.txt, line 2 (Brian): column 2 is missing"},
        NameCase{"line of only commas", ",,,\n", false, {}, "fNames.txt, line 1: column 2 is not a number"},
        NameCase{"over-long name", k36 + ",0\n", false, {},
                 "fNames.txt, line 1: column 1 is longer than its field of 35 characters"},
        NameCase{"not a number", "Alan,x\n", false, {}, "fNames.txt, line 1 (Alan): column 2 is not a number"},
        NameCase{"overflowing number", "Alan,99999999999\n", false, {},
                 "fNames.txt, line 1 (Alan): column 2 is out of range"},
        NameCase{"NUL byte", std::string("Al\0an,0\n", 8), false, {},
                 "fNames.txt, line 1: the line holds a NUL byte"}),
    [](const ::testing::TestParamInfo<NameCase>& info) {
      std::string s;
      for (const char* p = info.param.label; *p; ++p) s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return s;
    });

TEST(LineFormat, ALookupOfTheEmptyNameFindsTheBlankRecord) {
  FreeStatsAfter free;
  const std::string text = "Alan,0\n\n";
  ASSERT_TRUE(loadFirstNames(text.data(), static_cast<std::uint32_t>(text.size())));
  const StatsNameEntry* blank = FindFirstName(HashString(""));
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank, &FirstNameTable().Records[1]);
}

TEST(LineFormat, NothingIsReadPastTheGivenLength) {
  // The length ends inside the second line's number: that line has no line
  // feed within the text, so it is not a record, whatever follows in memory.
  FreeStatsAfter free;
  const std::string text = "Alan,0\nBrian,12\nCallum,0\n";
  ASSERT_TRUE(loadFirstNames(text.data(), 10));
  EXPECT_EQ(FirstNameTable().Count, 1);
}

TEST(LineFormat, NumbersAndTextsOfAFloatTable) {
  // Props.txt: name, type, text, ignored integer; blanks may not stand before
  // the text column, so they are kept.
  FreeStatsAfter free;
  BoxRecorder boxes;
  const std::string text = "Boat,Amphibious, Wake,1e3\nJeep,Wheels,Dust,-4\n";
  ASSERT_TRUE(loadPropulsionStats(text.data(), static_cast<std::uint32_t>(text.size()))) << boxes.Joined();
  ASSERT_EQ(PropulsionStatsTable().Count, 2);
  EXPECT_STREQ(PropulsionStatsTable().Records[0].Text3, " Wake");
  EXPECT_EQ(PropulsionStatsTable().Records[0].Type, 3u);
  EXPECT_EQ(PropulsionStatsTable().Records[1].Type, 0u);
}

TEST(LineFormat, SecondsBecomeWholeMillisecondsRoundedDown) {
  struct Case {
    float seconds;
    bool fits;
    std::uint32_t ms;
  } cases[] = {{0.0f, true, 0},      {1.5f, true, 1500},        {0.0019f, true, 1},
               {2.9999f, true, 2999}, {-0.5f, false, 0},        {5.0e6f, false, 0}};
  for (const Case& c : cases) {
    std::uint32_t ms = 77;
    EXPECT_EQ(SecondsToMs(c.seconds, &ms), c.fits) << c.seconds;
    if (c.fits) {
      EXPECT_EQ(ms, c.ms) << c.seconds;
    }
  }
}

}  // namespace
