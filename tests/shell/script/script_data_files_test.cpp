// The script's ".sky" data files through slots 460 and 461: records are
// reserved, filled in order from the level tool's form of a sky, left empty
// for damaged, cut or over-long texts, and refused beyond the reservation
// (or with none); the reader alone over a table of texts.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "shell/mission/mission_fixture.h"
#include "shell/script/script_data_files.h"
#include "shell/script/script_function_table.h"
#include "shell/script/script_state.h"
#include "world/sky/sky_section.h"

namespace {

const ScriptFunctionTable& Data = g_ScriptFunctionTable;

// A sky unlike the default one, in the level tool's text form.
SkySettings AfternoonSky() {
  SkySettings s = DefaultSkySettings();
  s.TimeOfDay = 14.0f;
  s.FogStart = 4000.0f;
  s.FogStop = 10000.0f;
  s.Layers[0].TextureName = "clouds";
  s.Layers[0].TileFactor = 3.0f;
  return s;
}

void WriteText(const std::string& name, const std::string& text) {
  std::ofstream(name, std::ios::binary) << text;
}

class ScriptDataFiles : public ::testing::Test {
 protected:
  void TearDown() override { FreeScriptDataRecords(); }
};

TEST_F(ScriptDataFiles, RecordsFillInOrderAndNoneIsGivenBeyondTheReservation) {
  mission_test::ScratchFolder folder("sky_files");
  const std::string good = WriteSkySection(AfternoonSky());
  WriteText("Good.sky", good);
  WriteText("Cut.sky", good.substr(0, good.size() / 2));
  ScriptDataRecord* record = reinterpret_cast<ScriptDataRecord*>(0x1);
  Data.ScriptLoadDataFile("Good.sky", &record);
  EXPECT_EQ(record, nullptr) << "nothing reserved";

  Data.ScriptDataFilesCreate(3);
  ScriptDataRecord* a = nullptr;
  ScriptDataRecord* b = nullptr;
  ScriptDataRecord* c = nullptr;
  Data.ScriptLoadDataFile("Good.sky", &a);
  Data.ScriptLoadDataFile("Cut.sky", &b);
  Data.ScriptLoadDataFile("Missing.sky", &c);
  ASSERT_TRUE(a && b && c);
  EXPECT_TRUE(a->loaded);
  EXPECT_EQ(a->sky.TimeOfDay, 14.0f);
  EXPECT_EQ(a->sky.Layers[0].TextureName, "clouds");
  EXPECT_EQ(WriteSkySection(a->sky), good);
  EXPECT_FALSE(b->loaded) << "a cut text leaves its record empty";
  EXPECT_EQ(b->sky.TimeOfDay, 0.0f);
  EXPECT_FALSE(c->loaded);
  ScriptDataRecord* d = reinterpret_cast<ScriptDataRecord*>(0x1);
  Data.ScriptLoadDataFile("Good.sky", &d);
  EXPECT_EQ(d, nullptr) << "a fourth file with three reserved";
  EXPECT_EQ(ScriptDataRecordsUsed(), 3);
  Data.ScriptLoadDataFile("Good.sky", nullptr);

  // A new reservation frees the old records; bad counts reserve none.
  Data.ScriptDataFilesCreate(0);
  EXPECT_EQ(ScriptDataRecordsReserved(), 0);
  Data.ScriptDataFilesCreate(-4);
  Data.ScriptDataFilesCreate(kScriptDataRecordLimit + 1);
  EXPECT_EQ(ScriptDataRecordsReserved(), 0);
  Data.ScriptDataFilesCreate(1);
  Data.ScriptLoadDataFile("Good.sky", &a);
  EXPECT_TRUE(IsScriptDataRecord(a));
  EXPECT_FALSE(IsScriptDataRecord(reinterpret_cast<const ScriptDataRecord*>(&folder)));
  Data.EnvironmentApplySettings(reinterpret_cast<const ScriptDataRecord*>(&folder));  // not a record: nothing
  Data.EnvironmentApplySettings(nullptr);
  FreeScriptState();  // level shut-down
  EXPECT_EQ(ScriptDataRecordsReserved(), 0);
}

TEST(SkyDataText, DamagedCutAndOverLongTextsAreRefusedWithABlankRecord) {
  const std::string good = WriteSkySection(AfternoonSky());
  std::string withNul = good;
  withNul[10] = '\0';
  std::string notANumber = good;
  const std::size_t at = notANumber.find("14");
  ASSERT_NE(at, std::string::npos);
  notANumber.replace(at, 2, "nan");
  const std::string longText = good + std::string(kSkyDataTextLimit, ' ');
  std::string quotedName = good;
  const std::size_t quote = quotedName.find("\"clouds\"");
  ASSERT_NE(quote, std::string::npos);
  quotedName[quote] = '2';  // a bare word ending in a quote
  struct Case {
    const char* what;
    std::string text;
    bool ok;
  };
  const Case cases[] = {
      {"the tool's text", good, true},
      {"empty", "", false},
      {"cut in half", good.substr(0, good.size() / 2), false},
      {"a NUL inside", withNul, false},
      {"a value that is not a number", notANumber, false},
      {"longer than the limit", longText, false},
      {"words only", "the quick brown fox", false},
      {"a texture name with a quote in it", quotedName, false},
  };
  for (const Case& c : cases) {
    SkySettings sky = AfternoonSky();
    EXPECT_EQ(ParseSkyDataText(c.text.data(), c.text.size(), &sky), c.ok) << c.what;
    if (!c.ok) {
      EXPECT_EQ(sky.TimeOfDay, 0.0f) << c.what;
      EXPECT_EQ(sky.FogStop, 0.0f) << c.what;
    }
  }
}

}  // namespace
