// The demo's sound files, as the sound tool made them in the build's data
// folder: every cache and bank loads through the game's readers with no
// message box, each cache holds every sample of the banks its level loads,
// and the mission's speech and environment sounds are found by name.
#include <gtest/gtest.h>

#include "foundation/files/file_locator.h"
#include "make_level/level_description.h"
#include "sound/environment_sound_section.h"
#include "sound/sound_fixture.h"
#include "world/environment/env_text_cursor.h"

namespace {

class DemoSoundsTest : public sound_test::SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    folders_[0] = HALBERD_SOUND_DATA;
    folders_[1] = nullptr;
    SetSearchFolders(folders_);
  }
  const char* folders_[2];
};

TEST_F(DemoSoundsTest, TheLevelsCachesAndBanksLoadWithNoMessageBox) {
  struct Level {
    const char* cache;
    std::vector<const char*> banks;
    std::vector<const char*> samples;
  };
  const Level levels[] = {
      {"FrontEnd.sch", {"Interface.sbk", "Explosion.sbk", "Impact.sbk"}, {}},
      {"Mission1.sch",
       {"Interface.sbk", "Explosion.sbk", "Impact.sbk", "Boid.sbk", "CellDoor.sbk", "Pistol.sbk", "Rifle.sbk",
        "Sniper.sbk", "LAW.sbk", "Grenade.sbk", "C4.sbk", "Boat.sbk", "Jeep.sbk", "Mission1.sbk"},
       {"OBJ_M1_1A.wav", "OBJ_M1_1C.wav", "OBJ_M1_1D.wav", "OBJ_M1_2A.wav", "OBJ_M1_3A.wav", "OBJ_M1_4A.wav",
        "CS_M01_S01.psf", "CS_M01_S02.psf", "Siren", "River", "Hum"}},
      {"DEMO.sch", {"Explosion.sbk", "Impact.sbk"}, {"Siren", "River", "Hum"}},
  };
  ASSERT_TRUE(Start({}));
  for (const Level& level : levels) {
    SCOPED_TRACE(level.cache);
    ASSERT_TRUE(manager_.LoadCache(level.cache));
    for (const char* name : level.banks) EXPECT_NE(manager_.LoadBank(name, 1), nullptr) << name;
    for (const char* name : level.samples) EXPECT_NE(manager_.FindSample(name), 0u) << name;
    EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0].text);
    manager_.ReleaseLevel();
  }
  // The mission's bank holds exactly the events the mission plays.
  ASSERT_TRUE(manager_.LoadCache("Mission1.sch"));
  const CSoundBank* mission = manager_.LoadBank("Mission1.sbk", 1);
  ASSERT_NE(mission, nullptr);
  EXPECT_EQ(mission->EventIds, (std::vector<std::uint16_t>{1151, 1732, 2030, 2069, 3093, 3166, 3438}));
  EXPECT_TRUE(exits_.empty());
}

// The demo level's environment sounds, read as the level file has them, find
// their samples in the level's cache, and play.
TEST_F(DemoSoundsTest, TheDemoLevelsEnvironmentSoundsPlay) {
  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(manager_.LoadCache("DEMO.sch"));
  const std::string text =
      "Hum\r\nsounds\\Hum.wav\r\nhum\r\n600 100 450 \r\n1 300 1 1 1 0 0 1\r\n"
      "River\r\nsounds\\River.wav\r\nriver\r\n0 0 0 \r\n0 1000 0.5 1 1 0 0 1\r\nENDENVS\r\n";
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  EXPECT_TRUE(boxes_.empty());
  // Far from the hum (beyond its range of 300): the river alone, heard
  // everywhere, at its own pitch (300 Hz).
  Frames(5);
  EXPECT_GT(Level(0, 300.0, 4 * sound_test::kFrameSamples), 0.005);
  EXPECT_LT(Level(0, 100.0, 4 * sound_test::kFrameSamples), 0.002);
  // Close by, the hum (100 Hz) as well.
  manager_.SetListener(0, CVector3{600.0f, 100.0f, 300.0f}, CVector3{0.0f, 0.0f, 1.0f}, CVector3{0.0f, 1.0f, 0.0f});
  Frames(5);
  EXPECT_GT(Level(0, 100.0, 4 * sound_test::kFrameSamples), 0.01);
}

// The first mission's environment sounds, read from the text its level
// includes through the level tool's reader and written as the level file has
// them: the script's entries 0, 1 and 2 are the siren, the river and the
// generator, each finds its sample in the mission's cache, and each is heard
// where it stands: the hum at the dump only, the siren at the prison until
// the script switches entry 0 off, the river everywhere.
TEST_F(DemoSoundsTest, TheMissionsEnvironmentSoundsPlayOnTheScriptsEntries) {
  LevelDescription level;
  std::string error;
  ASSERT_TRUE(ReadLevelDescriptionText(std::string("level Mission1\ninclude ") + MISSION1_SOUNDS + "\n", "t.txt", ".",
                                       &level, &error))
      << error;
  ASSERT_EQ(level.Sounds.size(), 3u);
  const char* names[] = {"Siren", "River", "Hum"};
  for (int i = 0; i < 3; ++i) EXPECT_STREQ(level.Sounds[static_cast<std::size_t>(i)].name, names[i]);

  ASSERT_TRUE(Start({}));
  ASSERT_TRUE(manager_.LoadCache("Mission1.sch"));
  const std::string text = WriteEnvironmentSoundSection(level.Sounds);
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(manager_.ReadEnvironmentSounds(cursor));
  EXPECT_TRUE(boxes_.empty()) << (boxes_.empty() ? "" : boxes_[0].text);
  ASSERT_EQ(manager_.EnvironmentSoundCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_NE(manager_.GetEnvironmentSound(i)->sample, 0u) << names[i];

  const auto listenAt = [&](const CVector3& at) {
    manager_.SetListener(0, at, CVector3{0.0f, 0.0f, 1.0f}, CVector3{0.0f, 1.0f, 0.0f});
  };
  const std::size_t window = 8 * sound_test::kFrameSamples;
  // At the dump, beside the generator: its hum (100 Hz) over the river
  // (300 Hz).
  listenAt(CVector3{-3500.0f, 1100.0f, 55800.0f});
  Frames(10);
  EXPECT_GT(Level(0, 100.0, window), 0.01);
  EXPECT_GT(Level(0, 300.0, window), 0.002);
  // At the prison, out of the hum's range: the siren; switched off by the
  // script, the prison keeps only the river.
  listenAt(CVector3{-6584.0f, 1100.0f, 58000.0f});
  Frames(10);
  EXPECT_LT(Level(0, 100.0, window), 0.002);
  const double withSiren = audio_test::Rms(out_, 0, Mixed() - window, window);
  manager_.SetEnvironmentSoundEnabled(0, 0);
  Frames(10);
  const double withoutSiren = audio_test::Rms(out_, 0, Mixed() - window, window);
  EXPECT_GT(withSiren, 2.0 * withoutSiren);
  EXPECT_GT(Level(0, 300.0, window), 0.002);
}

}  // namespace
