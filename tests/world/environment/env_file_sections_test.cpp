// The built-in readers of the sections other modules own: each reads its
// section of a file of the given version exactly to its end, and fails on
// damaged text without reading past the text.
#include "world/environment/env_file_sections.h"

#include <gtest/gtest.h>

#include <string>

#include "sound/sound_manager.h"
#include "world/environment/env_file_fixture.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"

namespace {

struct Case {
  EnvSectionId id;
  int version;
  std::string text;  // the section; "NEXT" follows it
};

// Two environment sounds: one heard everywhere, one placed that plays again
// after a pause.
const char kSounds[] =
    "River\r\nsounds\\River.wav\r\nriver ambience\r\n0 0 0 \r\n0 1000 1 1 1 0 0 1\r\n"
    "Birds extra words\nsounds\\Birds.wav\nbirdsong by the well\n10 20 -30\n1 500 0.5 1.25 1 1000 2000 0\n"
    "ENDENVS";

// A texture name with a blank, which only the quoted form carries.
std::string Sky(int v) { return env_file_fixture::SkySectionText(v, "sky clouds.bmp"); }

bool Read(const Case& c, std::string* next) {
  const std::string text = c.text + " NEXT";
  EnvTextCursor cursor(text.c_str());
  EnvSectionContext context;
  context.version = c.version;
  const bool ok = GetDefaultEnvSectionReader(c.id)(cursor, context);
  char word[64];
  *next = cursor.Token(word) ? word : "<end>";
  return ok;
}

TEST(EnvFileSections, BuiltInReadersStopExactlyBehindTheirSection) {
  const std::string region0 = "BOX \"Yard\" 0 1 2 3 0 90 0 -1 -1 -1 1 1 1 ";
  const std::string region1 = "SPHERE Well 1 5 5 5 20 ";
  const Case cases[] = {
      {ENVSECTION_LIGHTS, 72, "DLGT 0 \"Sun light\" 0 1 1 1 1 0 0 0 1 0 0 0 0 0 SLGT 1 \"s\" 0 ENDL"},
      {ENVSECTION_ROUTE_MARKERS, 72, "NEWENVMARKER 0 1 2 3 0 1 0 0 -1 0 0 -1 0 0 -1 0 0 -1 0 0 a ENDMARKERS"},
      {ENVSECTION_REGIONS, 31, "2 " + region0 + region1 + "ENDREGIONS"},
      {ENVSECTION_REGIONS, 32, "2 " + region0 + "1 2 3 4 " + region1 + "1 2 3 4 ENDREGIONS"},
      {ENVSECTION_REGIONS, 52, "1 " + region0 + "1 2 3 4 ENDREGIONS"},
      {ENVSECTION_REGIONS, 53, "1 " + region0 + "ENDREGIONS"},
      {ENVSECTION_REGIONS, 72, "1 OTHER odd 7 ENDREGIONS"},
      {ENVSECTION_REGIONS, 72, "0 ENDREGIONS"},
      {ENVSECTION_SWITCHES, 72, ""},
      {ENVSECTION_SWITCHES, 61, "NUMSWITCHES 1 SW \"Lever 1\" Wall 1 2 3 4 5 6 LEVER Yard 3 4"},
      {ENVSECTION_SWITCHES, 62, "NUMSWITCHES 2 SW a b 1 2 3 4 5 6 t r 3 4 9 SW c d 1 2 3 4 5 6 t r -1 -1 -1"},
      {ENVSECTION_SKY, 32, Sky(32)},
      {ENVSECTION_SKY, 34, Sky(34)},
      {ENVSECTION_SKY, 35, Sky(35)},
      {ENVSECTION_SKY, 71, Sky(71)},
      {ENVSECTION_SKY, 72, Sky(72)},
      {ENVSECTION_SKY, 72, EnvFileEmptySection(ENVSECTION_SKY)},
      {ENVSECTION_GLASS, 72, "<GLAZIER> <PANE> 1 2 3 </PANE> </GLAZIER>"},
      {ENVSECTION_EMITTERS, 72, "<EMIT> * 1 2 3 4 5 6 -NULL_OBJECT- 1 \"\" 1 1 1 1 </EMIT>"},
      {ENVSECTION_SHRUBBERY, 72, "GARDEN 1 1 \"Tree\" 1 0 0 0 0 0 0 0 1 0 ENDGARDEN END"},
      {ENVSECTION_TRACER_BATTERIES, 72, "TRACERS 2 1 2 3 4 5 6"},
      {ENVSECTION_MOVIE_CAMERAS, 11, "PLAYER \"Room 1\" 1 2 3 4 5 6"},
      {ENVSECTION_MOVIE_CAMERAS, 12, "CAMFREE \"PLAYERVIEW\" 1 2 3 ENDC"},
      {ENVSECTION_SOUNDS, 72, kSounds},
      {ENVSECTION_SOUNDS, 72, "ENDENVS"},
      {ENVSECTION_WAYPOINTS, 72, "NEWENVWAYPT 0 0 w 1 2 3 1 2 3 0 -1 ENDWAYPTS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(EnvSectionName(c.id)) + " v" + std::to_string(c.version) + ": " + c.text.substr(0, 40));
    std::string next;
    EXPECT_TRUE(Read(c, &next));
    EXPECT_EQ(next, "NEXT");
  }
}

TEST(EnvFileSections, BuiltInReadersFailOnDamagedOrCutText) {
  const Case cases[] = {
      {ENVSECTION_SOUNDS, 72, "Birds\nsounds\\Birds.wav\nbirdsong\n1 2 3\n1 500"},
      {ENVSECTION_SOUNDS, 72, "Birds\nsounds\\Birds.wav"},
      {ENVSECTION_LIGHTS, 72, "DLGT 0 \"Sun\""},
      {ENVSECTION_REGIONS, 72, "-1 ENDREGIONS"},
      {ENVSECTION_REGIONS, 72, "2 BOX a 0 1 2"},
      {ENVSECTION_SWITCHES, 72, "NUMSWITCHES 1 SW a b 1 2 three"},
      {ENVSECTION_SKY, 72, "FOGSTART 100 FOGSTOP"},
      {ENVSECTION_GLASS, 72, "<PANE> </GLAZIER>"},
      {ENVSECTION_EMITTERS, 72, "<EMIT> * 1 2 3"},
      {ENVSECTION_TRACER_BATTERIES, 72, "TRACERS 3 1 2 3"},
      {ENVSECTION_TRACER_BATTERIES, 72, "TRACERS 999999999"},
      {ENVSECTION_SHRUBBERY, 72, "GARDEN 0 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(EnvSectionName(c.id)) + ": " + c.text);
    // Without the trailing word the text ends inside the section.
    EnvTextCursor cursor(c.text.c_str());
    EXPECT_FALSE(GetDefaultEnvSectionReader(c.id)(cursor, EnvSectionContext{nullptr, c.version, 0}));
  }
}

TEST(EnvFileSections, EnvironmentSoundsAndWaypointsGoToTheGameLists) {
  CSoundManager sounds;
  EnvWaypointList waypoints;
  g_SoundManager = &sounds;
  g_EnvWaypoints = &waypoints;
  waypoints.Add({9, 9, 9}, nullptr);
  const std::string text = std::string(kSounds) + " NEWENVWAYPT 0 0 w 1 2 3 4 5 6 7 -1 ENDWAYPTS";
  EnvTextCursor cursor(text.c_str());
  EnvSectionContext context;
  context.version = 72;
  EXPECT_TRUE(GetEnvSectionReader(ENVSECTION_SOUNDS)(cursor, context));
  EXPECT_TRUE(GetEnvSectionReader(ENVSECTION_WAYPOINTS)(cursor, context));
  ASSERT_EQ(sounds.EnvironmentSoundCount(), 2);
  const EnvironmentSound* birds = sounds.GetEnvironmentSound(1);
  EXPECT_STREQ(birds->name, "Birds");
  EXPECT_STREQ(birds->sampleFile, "sounds\\Birds.wav");
  EXPECT_STREQ(birds->description, "birdsong by the well");
  EXPECT_EQ(birds->position.z, -30.0f);
  EXPECT_EQ(birds->flags, 1);
  EXPECT_EQ(birds->range, 500.0f);
  EXPECT_EQ(birds->pitch, 1.25f);
  EXPECT_EQ(birds->minInterval, 1000);
  EXPECT_EQ(birds->maxInterval, 2000);
  EXPECT_EQ(birds->enabled, 0);
  ASSERT_EQ(waypoints.Count(), 1) << "a level's waypoints replace the last level's";
  EXPECT_EQ(waypoints.GetTag(0), 7);

  CSoundManager& s = sounds;
  s.SetEnvironmentSoundEnabled(1, 1);
  EXPECT_EQ(s.GetEnvironmentSound(1)->enabled, 1);
  s.SetEnvironmentSoundEnabled(0, 0);
  EXPECT_EQ(s.GetEnvironmentSound(0)->enabled, 0);
  s.SetEnvironmentSoundEnabled(5, 1);  // out of range: nothing
  g_SoundManager = nullptr;
  g_EnvWaypoints = nullptr;
}

TEST(EnvFileSections, TableRejectsUnknownIds) {
  EXPECT_EQ(SetEnvSectionReader(ENVSECTION_COUNT, nullptr), nullptr);
  EXPECT_EQ(GetEnvSectionReader(static_cast<EnvSectionId>(-1)), nullptr);
  EXPECT_STREQ(EnvSectionEndWord(ENVSECTION_EMITTERS), "</EMIT>");
  EXPECT_EQ(EnvSectionEndWord(ENVSECTION_SKY), nullptr);
}

}  // namespace
