// The shrubbery section of the level file: records by version, the writer
// and reader side by side, and damaged or cut sections.
#include <gtest/gtest.h>

#include <string>

#include "world/environment/env_text_cursor.h"
#include "world/shrubbery/shrubbery_section.h"

namespace {

ShrubFileRecord Record(float x, float az, float ax, float ay, float size, std::uint32_t flags, int index) {
  ShrubFileRecord r;
  r.Position = {x, 2.5f, -x};
  r.AngleZ = az;
  r.AngleX = ax;
  r.AngleY = ay;
  r.Size = size;
  r.Flags = flags;
  r.TemplateIndex = index;
  return r;
}

ShrubberySectionData TwoGardens() {
  ShrubberySectionData data;
  data.AddTemplate("bush");
  data.AddTemplate("grass tuft");
  data.Gardens.push_back({Record(10, 5, 10, 45, 1.5f, 0x80000000u, 0), Record(-20, 0, 0, 90, 2.0f, 0x40000003u, 1)});
  data.Gardens.push_back({});
  data.Gardens.push_back({Record(300, 1, 2, 3, 0.5f, 0u, 1)});
  return data;
}

}  // namespace

TEST(ShrubberySection, WritesAndReadsBackAtEachVersion) {
  const ShrubberySectionData data = TwoGardens();
  for (int version : {52, 54, 55, 56, 72}) {
    SCOPED_TRACE(version);
    std::string text;
    WriteShrubberySection(&text, data, version);
    text += "NEXT";
    EnvTextCursor cursor(text.c_str());
    ShrubberySectionData back;
    int line = 0;
    ASSERT_TRUE(ReadShrubberySection(cursor, version, &back, &line));
    char next[16];
    ASSERT_TRUE(cursor.Token(next));
    EXPECT_STREQ(next, "NEXT");
    EXPECT_EQ(back.Keyword, "GARDENS");
    EXPECT_EQ(back.Templates, data.Templates);
    ASSERT_EQ(back.Gardens.size(), data.Gardens.size());
    for (std::size_t g = 0; g < data.Gardens.size(); ++g) {
      ASSERT_EQ(back.Gardens[g].size(), data.Gardens[g].size());
      for (std::size_t i = 0; i < data.Gardens[g].size(); ++i) {
        const ShrubFileRecord& w = data.Gardens[g][i];
        const ShrubFileRecord& r = back.Gardens[g][i];
        EXPECT_FLOAT_EQ(r.Position.x, w.Position.x);
        EXPECT_FLOAT_EQ(r.Position.y, w.Position.y);
        EXPECT_FLOAT_EQ(r.Position.z, w.Position.z);
        EXPECT_FLOAT_EQ(r.AngleY, w.AngleY);
        EXPECT_FLOAT_EQ(r.Size, w.Size);
        EXPECT_EQ(r.TemplateIndex, w.TemplateIndex);
        // Before version 55 only the Y angle is stored; before 56 no flags (every shrub sways).
        EXPECT_FLOAT_EQ(r.AngleZ, version >= 55 ? w.AngleZ : 0.0f);
        EXPECT_FLOAT_EQ(r.AngleX, version >= 55 ? w.AngleX : 0.0f);
        EXPECT_EQ(r.Flags, version >= 56 ? w.Flags : 0x80000000u);
      }
    }
  }
}

TEST(ShrubberySection, FieldsStandInFileOrderByVersion) {
  struct Case {
    int version;
    const char* text;
    ShrubFileRecord expected;
  };
  const Case cases[] = {
      {54, "G 1 1 bush 1  1 2 3  45  7 0 ENDGARDEN END", Record(0, 0, 0, 45, 7, 0x80000000u, 0)},
      {55, "G 1 1 bush 1  1 2 3  10 20 30  7 0 ENDGARDEN END", Record(0, 10, 20, 30, 7, 0x80000000u, 0)},
      {56, "G 1 1 bush 1  1 2 3  0  10 20 30  7 0 ENDGARDEN END", Record(0, 10, 20, 30, 7, 0u, 0)},
      {56, "G 1 1 bush 1  1 2 3  1073741824  10 20 30  7 0 ENDGARDEN END", Record(0, 10, 20, 30, 7, 0x40000000u, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EnvTextCursor cursor(c.text);
    ShrubberySectionData data;
    int line = 0;
    ASSERT_TRUE(ReadShrubberySection(cursor, c.version, &data, &line));
    ASSERT_EQ(data.Gardens.size(), 1u);
    ASSERT_EQ(data.Gardens[0].size(), 1u);
    const ShrubFileRecord& r = data.Gardens[0][0];
    EXPECT_FLOAT_EQ(r.Position.x, 1.0f);
    EXPECT_FLOAT_EQ(r.Position.y, 2.0f);
    EXPECT_FLOAT_EQ(r.Position.z, 3.0f);
    EXPECT_FLOAT_EQ(r.AngleZ, c.expected.AngleZ);
    EXPECT_FLOAT_EQ(r.AngleX, c.expected.AngleX);
    EXPECT_FLOAT_EQ(r.AngleY, c.expected.AngleY);
    EXPECT_FLOAT_EQ(r.Size, 7.0f);
    EXPECT_EQ(r.Flags, c.expected.Flags);
  }
}

TEST(ShrubberySection, EmptySectionReadsToTheWordAfterEndGarden) {
  // The keyword is not compared, and words before "ENDGARDEN" are read past.
  for (const char* text : {"GARDENS 0 0 ENDGARDEN END NEXT", "ANYTHING 0 0 stray words ENDGARDEN x NEXT"}) {
    SCOPED_TRACE(text);
    EnvTextCursor cursor(text);
    ShrubberySectionData data;
    int line = 0;
    ASSERT_TRUE(ReadShrubberySection(cursor, 72, &data, &line));
    EXPECT_TRUE(data.Templates.empty());
    EXPECT_TRUE(data.Gardens.empty());
    char next[16];
    ASSERT_TRUE(cursor.Token(next));
    EXPECT_STREQ(next, "NEXT");
  }
}

TEST(ShrubberySection, DamagedOrCutSectionsStopWithTheWholeGardensKept) {
  struct Case {
    const char* text;
    std::size_t wholeGardens;
    int line;
  };
  const Case cases[] = {
      {"", 0, 1},
      {"GARDENS", 0, 1},
      {"GARDENS -1 0 ENDGARDEN END", 0, 1},
      {"GARDENS 0 -3 ENDGARDEN END", 0, 1},
      {"GARDENS 3 0 a b", 0, 1},                                   // fewer names than counted
      {"GARDENS 0 2000000000 0 0 0", 3, 1},                        // far more gardens than the text holds
      {"GARDENS 0 2\n1 1 2 3 0 4 5 6 1 0\n2 1 2 3 0 4 5 6 1 0", 1, 3},  // the second garden is cut
      {"GARDENS 0 1 -5 ENDGARDEN END", 0, 1},
      {"GARDENS 0 1 1 1 2 three 0 4 5 6 1 0 ENDGARDEN END", 0, 1},
      {"GARDENS 0 1 0\nno end word", 1, 2},                         // the text ends before "ENDGARDEN"
      {"GARDENS 0 1 0 ENDGARDEN", 1, 1},                           // and before the word after it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EnvTextCursor cursor(c.text);
    ShrubberySectionData data;
    int line = 0;
    EXPECT_FALSE(ReadShrubberySection(cursor, 72, &data, &line));
    EXPECT_EQ(data.Gardens.size(), c.wholeGardens);
    EXPECT_EQ(line, c.line);
    EXPECT_LE(cursor.Offset(), std::string(c.text).size());
  }
}

TEST(ShrubberySection, TemplateTableFindsOrAppends) {
  ShrubberySectionData data;
  EXPECT_EQ(data.AddTemplate("bush"), 0);
  EXPECT_EQ(data.AddTemplate("fern"), 1);
  EXPECT_EQ(data.AddTemplate("bush"), 0);
  EXPECT_EQ(data.Templates.size(), 2u);
}
