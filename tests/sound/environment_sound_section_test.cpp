// The environment-sound section of the level text: read as written, at most
// 40 entries, long words cut rather than overrun.
#include "sound/environment_sound_section.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sound/sound_fixture.h"
#include "world/environment/env_text_cursor.h"

namespace {

class EnvironmentSoundSectionTest : public sound_test::SoundTest {};

EnvironmentSound Entry(const char* name, const char* file, int flags, float range, int minMs, int maxMs) {
  EnvironmentSound s;
  std::strcpy(s.name, name);
  std::strcpy(s.sampleFile, file);
  std::strcpy(s.description, "a sound of the level");
  s.position = CVector3{1.5f, -2.0f, 300.0f};
  s.flags = flags;
  s.range = range;
  s.volume = 0.5f;
  s.pitch = 1.25f;
  s.level = 0.75f;
  s.minInterval = minMs;
  s.maxInterval = maxMs;
  s.enabled = 0;
  return s;
}

TEST_F(EnvironmentSoundSectionTest, WrittenEntriesReadBackAndTheCursorStopsBehindTheSection) {
  const std::vector<EnvironmentSound> written = {Entry("Siren", "sounds\\Siren.wav", 1, 800.0f, 3000, 6000),
                                                 Entry("River", "River.wav", 0, 1000.0f, 0, 0)};
  const std::string text = WriteEnvironmentSoundSection(written) + "NEXT";
  EnvTextCursor cursor(text.c_str());
  std::vector<EnvironmentSound> read;
  ASSERT_TRUE(ReadEnvironmentSoundSection(cursor, &read));
  char next[8];
  ASSERT_TRUE(cursor.Token(next));
  EXPECT_STREQ(next, "NEXT");
  ASSERT_EQ(read.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_STREQ(read[i].name, written[i].name);
    EXPECT_STREQ(read[i].sampleFile, written[i].sampleFile);
    EXPECT_STREQ(read[i].description, written[i].description);
    EXPECT_EQ(read[i].position.z, 300.0f);
    EXPECT_EQ(read[i].flags, written[i].flags);
    EXPECT_EQ(read[i].range, written[i].range);
    EXPECT_EQ(read[i].level, 0.75f);
    EXPECT_EQ(read[i].minInterval, written[i].minInterval);
    EXPECT_EQ(read[i].maxInterval, written[i].maxInterval);
    EXPECT_EQ(read[i].enabled, 0);
  }
  EXPECT_TRUE(boxes_.empty());
}

// A 41st entry shows "Too many sounds!" (once) and the entries past 40 are
// dropped; the section is still read to its end.
TEST_F(EnvironmentSoundSectionTest, EntriesPastFortyAreDroppedWithAMessage) {
  std::vector<EnvironmentSound> many(45, Entry("Drip", "Drip.wav", 0, 100.0f, 0, 0));
  const std::string text = WriteEnvironmentSoundSection(many) + "NEXT";
  EnvTextCursor cursor(text.c_str());
  std::vector<EnvironmentSound> read;
  EXPECT_TRUE(ReadEnvironmentSoundSection(cursor, &read));
  EXPECT_EQ(read.size(), 40u);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "Too many sounds!");
  EXPECT_EQ(boxes_[0].caption, "Error");
  char next[8];
  ASSERT_TRUE(cursor.Token(next));
  EXPECT_STREQ(next, "NEXT");
}

// Words longer than their fields are cut to them, never written past them;
// text that ends inside an entry stops the section.
TEST_F(EnvironmentSoundSectionTest, LongWordsAreCutAndCutTextStops) {
  const std::string longName(300, 'N'), longLine(500, 'L');
  const std::string text = longName + "\n" + longLine + "\n" + longLine + "\n1 2 3\n1 10 1 1 1 0 0 1\nENDENVS";
  EnvTextCursor cursor(text.c_str());
  std::vector<EnvironmentSound> read;
  ASSERT_TRUE(ReadEnvironmentSoundSection(cursor, &read));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(std::strlen(read[0].name), sizeof read[0].name - 1);
  EXPECT_EQ(std::strlen(read[0].sampleFile), sizeof read[0].sampleFile - 1);
  EXPECT_EQ(read[0].range, 10.0f);
  for (const char* cut : {"", "Siren", "Siren\nfile\n", "Siren\nfile\ntext\n1 2", "Siren\nfile\ntext\n1 2 3 1 10 1 1 1 0 0"}) {
    EnvTextCursor c(cut);
    EXPECT_FALSE(ReadEnvironmentSoundSection(c, &read)) << cut;
  }
}

TEST(EnvironmentSampleName, IsThePartAfterTheLastBackslashWithoutItsExtension) {
  struct Case {
    const char* file;
    const char* name;
  };
  for (const Case& c : {Case{"sounds\\Siren.wav", "Siren"}, Case{"a\\b\\River.x.wav", "River.x"}, Case{"Hum", "Hum"},
                        Case{"data/sound/Drip.psf", "Drip"}, Case{"dir\\", ""}, Case{"", ""}})
    EXPECT_EQ(EnvironmentSampleName(c.file), c.name) << c.file;
}

}  // namespace
