// The sky section as a record: each file version reads its own lines (and
// old versions get the default colours and time), the fog clamps, the
// current version's writer reads back to the same record, and damaged text
// fails at its line without reading past the text.
#include "world/sky/sky_settings.h"

#include <gtest/gtest.h>

#include <string>

#include "world/environment/env_file_sections.h"
#include "world/environment/env_text_cursor.h"
#include "world/sky/sky_section.h"

namespace {

// A colour that names its group and key: (group / 10, key / 10, 0.5, 1).
CColour Marked(int group, int key) { return CColour{group * 0.1f, key * 0.1f, 0.5f, 1.0f}; }

// A section of the version with distinct values: fog 500..8000 (far 700..9500
// from 72), layer textures "low" and "high", marked colours, time 16.25.
std::string Section(int v, float fogStart = 500.0f, float fogStop = 8000.0f) {
  std::string s;
  auto real = [](float f) { return std::to_string(f); };
  if (v < 35) s += "0.9 0.8 0.7 1\n";
  s += "FOGSTART " + real(fogStart) + "\nFOGSTOP " + real(fogStop) + "\n";
  if (v >= 72) s += "XFOGSTART 700\nXFOGSTOP 9500\n";
  const char* names[2] = {"low", "high"};
  for (int layer = 0; layer < 2; ++layer) {
    s += std::string("SKYTEXTURE \"") + names[layer] + "\"\n";
    s += "SKYTILEFACTOR " + std::to_string(2 + layer) + "\nSKYFIXEDY " + std::to_string(layer) + "\n";
    if (v < 35) s += "1 2 3 4\n";
    s += "SKYSPEED 0.5 0 " + std::to_string(0.25 * (layer + 1)) + "\nSKYCURVATURE 0.75\nSKYHEIGHT " +
         std::to_string(2000 + 500 * layer) + "\n";
  }
  if (v >= 33) {
    const int first = v >= 35 ? 0 : 3;
    if (v < 35)
      for (int k = 0; k < 4; ++k) s += "OLDCOL 0.3 0.3 0.3 1\n";
    for (int g = first; g < SKYCOLOUR_GROUPS; ++g)
      for (int k = 0; k < kSkyColourKeys; ++k) {
        const CColour c = Marked(g, k);
        s += std::string(SkyColourKeyword(static_cast<SkyColourGroup>(g))) + " " + std::to_string(c.r) + " " +
             std::to_string(c.g) + " " + std::to_string(c.b) + " 1\n";
      }
    s += "TIMEOFDAY 16.25\n";
  }
  return s;
}

bool Load(const std::string& section, int version, SkySettings* out, std::string* next, int* line = nullptr) {
  const std::string text = section + " NEXT";
  EnvTextCursor cursor(text.c_str());
  int at = 0;
  const bool ok = out->Load(cursor, version, &at);
  if (line != nullptr) *line = at;
  char word[64];
  *next = cursor.Token(word) ? word : "<end>";
  return ok;
}

void ExpectColour(const CColour& got, const CColour& want, const std::string& what) {
  EXPECT_NEAR(got.r, want.r, 1e-6f) << what;
  EXPECT_NEAR(got.g, want.g, 1e-6f) << what;
  EXPECT_NEAR(got.b, want.b, 1e-6f) << what;
  EXPECT_NEAR(got.a, want.a, 1e-6f) << what;
}

TEST(SkySettings, EachVersionReadsItsLinesAndOldLevelsTakeTheDefaults) {
  const auto& defaults = SkyDefaultColourKeys();
  for (int v : {30, 32, 33, 34, 35, 71, 72}) {
    SCOPED_TRACE("version " + std::to_string(v));
    SkySettings s;
    std::string next;
    ASSERT_TRUE(Load(Section(v), v, &s, &next));
    EXPECT_EQ(next, "NEXT") << "the reader stops exactly behind the section";
    EXPECT_EQ(s.FogStart, 500.0f);
    EXPECT_EQ(s.FogStop, 8000.0f);
    EXPECT_EQ(s.FarFogStart, v >= 72 ? 700.0f : 500.0f);
    EXPECT_EQ(s.FarFogStop, v >= 72 ? 9500.0f : 8000.0f);
    EXPECT_EQ(s.Layers[0].TextureName, "low");
    EXPECT_EQ(s.Layers[1].TextureName, "high");
    EXPECT_EQ(s.Layers[0].Texture, 0u) << "ids are resolved by the sky";
    EXPECT_EQ(s.Layers[1].TileFactor, 3.0f);
    EXPECT_EQ(s.Layers[0].FixedY, 0);
    EXPECT_EQ(s.Layers[1].FixedY, 1);
    EXPECT_EQ(s.Layers[1].Speed[2], 0.5f);
    EXPECT_EQ(s.Layers[0].Curvature, 0.75f);
    EXPECT_EQ(s.Layers[1].Height, 2500.0f);
    EXPECT_EQ(s.TimeOfDay, v >= 33 ? 16.25f : 10.0f);
    for (int g = 0; g < SKYCOLOUR_GROUPS; ++g) {
      // Before 33 nothing is stored; 33 and 34 store the later groups only.
      const bool stored = v >= 35 || (v >= 33 && g >= SKYCOLOUR_FLARE);
      for (int k = 0; k < kSkyColourKeys; ++k)
        ExpectColour(s.Colours[g][k], stored ? Marked(g, k) : defaults[g][k],
                     "group " + std::to_string(g) + " key " + std::to_string(k));
    }
  }
}

TEST(SkySettings, FogBeyondTenThousandIsBroughtBack) {
  const struct {
    float start, stop, wantStart, wantStop;
  } cases[] = {
      {11000.0f, 12000.0f, 9500.0f, 10000.0f},  // stop to 10000, then the start that reaches it to 9500
      {5000.0f, 12000.0f, 5000.0f, 10000.0f},
      {10000.0f, 10000.0f, 9500.0f, 10000.0f},
      {9999.0f, 10000.0f, 9999.0f, 10000.0f},
      {10500.0f, 9000.0f, 9500.0f, 9000.0f},
  };
  for (const auto& c : cases) {
    SkySettings s;
    std::string next;
    ASSERT_TRUE(Load(Section(72, c.start, c.stop), 72, &s, &next));
    EXPECT_EQ(s.FogStart, c.wantStart) << c.start << " " << c.stop;
    EXPECT_EQ(s.FogStop, c.wantStop) << c.start << " " << c.stop;
    EXPECT_EQ(s.FarFogStop, 9500.0f) << "the far range is not clamped";
  }
}

TEST(SkySettings, TheWriterReadsBackToTheSameRecord) {
  SkySettings written = DefaultSkySettings();
  written.FogStart = 1250.5f;
  written.FogStop = 7000.0f;
  written.FarFogStart = 3000.0f;
  written.FarFogStop = 9999.0f;
  written.TimeOfDay = 17.5f;
  written.Layers[0].TextureName = "storm clouds";
  written.Layers[0].TileFactor = 4.0f;
  written.Layers[0].Speed[0] = -0.125f;
  written.Layers[1].FixedY = 1;
  written.Layers[1].Height = 3200.0f;
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k) written.Colours[g][k] = Marked(g, k);
  const std::string text = WriteSkySection(written);
  EXPECT_EQ(text.substr(0, 20), "FOGSTART 1250.500000");
  EXPECT_NE(text.find("SKYTEXTURE \"storm clouds\"\r\nSKYTILEFACTOR 4.000000\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 21), "TIMEOFDAY 17.500000\r\n");

  SkySettings read;
  std::string next;
  ASSERT_TRUE(Load(text, 72, &read, &next));
  EXPECT_EQ(next, "NEXT");
  EXPECT_EQ(read.FogStart, written.FogStart);
  EXPECT_EQ(read.FogStop, written.FogStop);
  EXPECT_EQ(read.FarFogStart, written.FarFogStart);
  EXPECT_EQ(read.FarFogStop, written.FarFogStop);
  EXPECT_EQ(read.TimeOfDay, written.TimeOfDay);
  for (int i = 0; i < kSkyLayerCount; ++i) {
    EXPECT_EQ(read.Layers[i].TextureName, written.Layers[i].TextureName);
    EXPECT_EQ(read.Layers[i].TileFactor, written.Layers[i].TileFactor);
    EXPECT_EQ(read.Layers[i].FixedY, written.Layers[i].FixedY);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(read.Layers[i].Speed[k], written.Layers[i].Speed[k]);
    EXPECT_EQ(read.Layers[i].Curvature, written.Layers[i].Curvature);
    EXPECT_EQ(read.Layers[i].Height, written.Layers[i].Height);
  }
  for (int g = 0; g < SKYCOLOUR_GROUPS; ++g)
    for (int k = 0; k < kSkyColourKeys; ++k)
      ExpectColour(read.Colours[g][k], written.Colours[g][k], "key");
}

TEST(SkySettings, TheWrittenSectionIsWhatTheLoadersBuiltInReaderExpects) {
  const std::string text = WriteSkySection(DefaultSkySettings()) + " NEXT";
  EnvTextCursor cursor(text.c_str());
  EnvSectionContext context;
  context.version = 72;
  ASSERT_TRUE(GetDefaultEnvSectionReader(ENVSECTION_SKY)(cursor, context));
  char word[16];
  ASSERT_TRUE(cursor.Token(word));
  EXPECT_STREQ(word, "NEXT");
}

TEST(SkySettings, DamagedTextFailsAtItsLine) {
  const std::string whole = Section(72);
  const struct {
    std::string text;
    int line;
  } cases[] = {
      {"", 1},
      {whole.substr(0, whole.find("TIMEOFDAY")), 45},  // cut before the time: "NEXT" on line 45 has no value
      {"FOGSTART 100\nFOGSTOP nan\n" + whole.substr(whole.find("XFOG")), 2},  // not a number
      {"FOGSTART 100\nFOGSTOP inf\n" + whole.substr(whole.find("XFOG")), 2},
      {"FOGSTART 100\nFOGSTOP\n" + whole.substr(whole.find("XFOG")), 3},  // value missing: the next keyword stands there
      {whole.substr(0, whole.find("SKYTEXTURE")) + "SKYTEXTURE \"" + std::string(200, 'x') + "\"\n", 5},
  };
  for (const auto& c : cases) {
    SkySettings s;
    std::string next;
    int line = 0;
    EXPECT_FALSE(Load(c.text, 72, &s, &next, &line)) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
  }
}

}  // namespace
