// The mission review (16) and its statistics pages: the rows of the
// statistics table by their formulas, the best-three-skills rule, the
// experience bar's fill (full at the top level), and the review driven by
// injected keys through the screen manager: the arrows step local player 0
// through the living squad members with sound 20, up and down turn the
// pages, back goes on to 19 or, for mission 14, starts the next level.  The
// soldiers' records come from a fake of the units' access.
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "menus/records/review_soldier.h"
#include "menus/screens/mission_menu.h"
#include "menus/screens/mission_record_fixture.h"
#include "menus/screens/screen_manager.h"
#include "menus/screens/screen_walk_fixture.h"
#include "menus/screens/statistics_menu.h"
#include "shell/program/shell_state.h"
#include "shell/stats/soldier_stats.h"
#include "sound/sound_manager.h"

namespace {

TEST(StatisticsRows, EachRowFollowsItsFormulaInBothColumns) {
  StatisticsValues mission, campaign;
  // Shots, hits, two further counts, two kill counts, two more counts.
  const std::uint32_t m[8] = {40, 10, 3, 2, 4, 1, 7, 9};
  const std::uint32_t c[8] = {0, 0, 0, 5, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) {
    mission.counter[i] = m[i];
    campaign.counter[i] = c[i];
  }
  mission.timeMs = ((1 * 60 + 2) * 60 + 3) * 1000 + 999;  // 01:02:03 and a little
  campaign.timeMs = ((12 * 60 + 0) * 60 + 59) * 1000;
  StatisticsRow rows[kStatisticsRows];
  MakeStatisticsRows(mission, campaign, rows);
  const struct {
    int y;
    std::uint32_t label;
    const char* mission;
    const char* campaign;
  } expected[kStatisticsRows] = {
      {78, 0xBC2B1A19, "40", "0"},          {98, 0x1271967B, "10", "0"},
      {118, 0x7652A233, "3", "0"},          {138, 0x9BC959A0, "2", "5"},
      {158, 0x3EC3697C, "5", "-5"},         {178, 0x8C748AC2, "25 %", "0 %"},  // no shots: 0 %
      {216, 0x39996243, "5", "0"},          {236, 0x403062E2, "4", "0"},
      {256, 0xCDE54066, "1", "0"},          {296, 0xFD81DB78, "7", "0"},
      {316, 0xFD6C6D41, "9", "0"},          {356, 0x3E6C1DEF, "01:02:03", "12:00:59"},
  };
  for (int i = 0; i < kStatisticsRows; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].y, expected[i].y);
    EXPECT_EQ(rows[i].labelId, expected[i].label);
    EXPECT_STREQ(rows[i].mission, expected[i].mission);
    EXPECT_STREQ(rows[i].campaign, expected[i].campaign);
  }
}

TEST(StatisticsRows, AccuracyRoundsHalfUp) {
  const struct {
    std::uint32_t shots, hits;
    const char* shown;
  } cases[] = {{3, 1, "33 %"}, {3, 2, "67 %"}, {8, 1, "13 %"}, {1, 1, "100 %"}, {200, 1, "1 %"}, {201, 1, "0 %"}};
  for (const auto& c : cases) {
    StatisticsValues v;
    v.counter[0] = c.shots;
    v.counter[1] = c.hits;
    StatisticsRow rows[kStatisticsRows];
    MakeStatisticsRows(v, v, rows);
    EXPECT_STREQ(rows[5].mission, c.shown) << c.hits << "/" << c.shots;
  }
}

TEST(StatisticsProfile, TheBestThreeSkillsTakeTheHighestLevelsTiesToTheLowerBit) {
  const struct {
    std::uint32_t word;
    std::map<std::uint32_t, int> levels;
    std::uint32_t best[3];
  } cases[] = {
      {0x1FF, {{1, 1}, {4, 3}, {16, 3}, {256, 2}}, {4, 16, 256}},  // tie 4 and 16: the lower first
      {0x0C, {{4, 2}, {8, 1}}, {4, 8, 1}},                         // nothing left: bit 1
      {0x00, {}, {1, 1, 1}},
      {0x600, {{512, 3}, {1024, 2}}, {512, 1024, 1}},              // bits past the name table still count
      {0x30, {{16, 0}, {32, 0}}, {1, 1, 1}},                       // levels of 0 are never picked
  };
  for (const auto& c : cases) {
    std::uint32_t best[3];
    BestThreeSkills(c.word, [&](std::uint32_t bit) {
      const auto it = c.levels.find(bit);
      return it != c.levels.end() ? it->second : 0;
    }, best);
    EXPECT_EQ(best[0], c.best[0]) << std::hex << c.word;
    EXPECT_EQ(best[1], c.best[1]) << std::hex << c.word;
    EXPECT_EQ(best[2], c.best[2]) << std::hex << c.word;
  }
}

TEST(StatisticsProfile, NameTablesAnswerTheirIdsAndNothingOutsideThem) {
  EXPECT_EQ(ClassNameId(2, false), 0xB936FD5Cu);
  EXPECT_EQ(ClassNameId(2, true), 0x166B9745u);
  EXPECT_EQ(ClassNameId(1, true), 0xAA6D25ABu) << "no alternative: the first column";
  EXPECT_EQ(ClassNameId(0, false), 0u);
  EXPECT_EQ(ClassNameId(12, false), 0u);
  EXPECT_EQ(SkillNameId(256), 0xFAEBD42Du);
  EXPECT_EQ(SkillNameId(512), 0u);
  EXPECT_EQ(SkillNameId(3), 0u);
  EXPECT_EQ(RankNameId(9), 0x84CE49FEu);
  EXPECT_EQ(RankNameId(10), 0xFFFFFFFFu);
  EXPECT_EQ(MedalNameId(6, true), 0x2009DBB6u);
  EXPECT_EQ(MedalNameId(7, false), 0u);
}

class ExperienceBar : public ::testing::Test {
 protected:
  void SetUp() override {
    // The ten levels' starting points: 0, 100, 200, 400 ... 25600.
    static const char* const kNames[10] = {"Rookie",       "Green", "Trained", "Regular", "Veteran",
                                           "Expert",       "Professional", "Guard", "Crack", "Elite"};
    std::string text;
    int points = 0;
    for (int i = 0; i < 10; ++i) {
      text += std::string(kNames[i]) + "," + std::to_string(points);
      for (int k = 0; k < 16; ++k) text += ",1.0";
      text += "\n";
      points = points == 0 ? 100 : points * 2;
    }
    ASSERT_TRUE(loadExperienceModifiers(text.c_str(), static_cast<std::uint32_t>(text.size())));
  }
  void TearDown() override { FreeSoldierStats(); }
};

TEST_F(ExperienceBar, FillsFromTheLevelsThresholdToTheNextClampedAndFullAtTheTop) {
  const struct {
    float experience;
    int level;
    float fraction;
  } cases[] = {
      {150.0f, 1, 0.5f},      {100.0f, 1, 0.0f},    {150.0f, 0, 0.75f},  // next level from the value: 2
      {50.0f, 1, 1.0f},       // the value's next level is the soldier's own: equal thresholds
      {26000.0f, 8, 1.0f},    // past the next level's threshold: clamped
      {30000.0f, 9, 1.0f},    // the top level has no level above: full
      {0.0f, 9, 1.0f},        {5000.0f, 12, 1.0f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(ExperienceBarFraction(c.experience, c.level), c.fraction) << c.experience << " at " << c.level;
}

// Three soldiers of the local side; `alive` says who lives.
class FakeSquad : public CReviewSoldierAccess {
 public:
  CHLOGrunt* Soldier(int i) { return reinterpret_cast<CHLOGrunt*>(&storage_[i]); }
  int IndexOf(CHLOGrunt* s) {
    for (int i = 0; i < 3; ++i)
      if (Soldier(i) == s) return i;
    return -1;
  }
  CHLOGrunt* PlayerSoldier() override { return player_; }
  CHLOGrunt* StepSquad(CHLOGrunt* from, bool backwards) override {
    const int at = IndexOf(from);
    for (int k = 1; k < 3; ++k) {
      const int i = ((at + (backwards ? -k : k)) % 3 + 3) % 3;
      if (alive[i]) return Soldier(i);
    }
    return nullptr;
  }
  CHLOGrunt* FirstActiveSoldier() override {
    for (int i = 0; i < 3; ++i)
      if (alive[i]) return Soldier(i);
    return nullptr;
  }
  void AttachPlayer(CHLOGrunt* s) override { player_ = s; }
  SoldierCounters GetCounters(CHLOGrunt* s) override {
    SoldierCounters c;
    c.counters[0] = 40 + IndexOf(s);
    c.counters[1] = 10;
    c.missionTimeMs = 3723000;
    return c;
  }
  SoldierCounters GetCampaignTotals(CHLOGrunt*) override { return {}; }
  int GetCampaignCount(CHLOGrunt*) override { return 2; }
  void GetNames(CHLOGrunt* s, const char** first, const char** second) override {
    static const char* const kFirst[3] = {"Alan", "Bert", "Carl"};
    *first = kFirst[IndexOf(s)];
    *second = "Stone";
  }
  std::uint32_t GetMedals(CHLOGrunt*) override { return 0x5; }
  std::uint32_t GetNewMedals(CHLOGrunt*) override { return 0x4; }
  int GetClassNumber(CHLOGrunt*) override { return 2; }
  bool WasPromoted(CHLOGrunt*) override { return false; }
  std::uint32_t GetSkillWord(CHLOGrunt*) override { return 0x7; }
  int GetSkillLevelByMask(CHLOGrunt*, std::uint32_t mask) override { return mask == 2 ? 3 : 1; }
  bool HasGainedSkillLevel(CHLOGrunt*, std::uint32_t) override { return false; }
  float GetExperience(CHLOGrunt*) override { return 0.0f; }
  int GetEffectiveExperienceLevel(CHLOGrunt*) override { return 1; }
  bool HasGainedExperienceLevel(CHLOGrunt*) override { return false; }
  int GetRankBadgeCell(CHLOGrunt*) override { return -1; }

  bool alive[3] = {true, true, true};
  CHLOGrunt* player_ = nullptr;

 private:
  std::uint64_t storage_[3] = {};
};

class ReviewScreen : public ScreenWalkTest {
 protected:
  void SetUp() override {
    frameMs_ = 40;
    ASSERT_NO_FATAL_FAILURE(ScreenWalkTest::SetUp());
    ASSERT_EQ(CreateScreens(), 1);
    PopulateGameScreens();
    ResetScreenTransitions();
    ScreenId = PreviousScreenId = 59;
    LevelName[0] = '\0';
    mission_ = std::make_unique<TestMissionRecord>("Mission1.dll", "FrontEnd.dll");
    SetReviewSoldierAccess(&squad_);
    squad_.player_ = squad_.Soldier(0);
    sound_ = std::make_unique<CSoundManager>();
    sound_->SetPlayLog(true);
    previousSound_ = g_SoundManager;
    g_SoundManager = sound_.get();
  }
  void TearDown() override {
    g_SoundManager = previousSound_;
    SetReviewSoldierAccess(nullptr);
    DestroyScreens();
    ScreenId = PreviousScreenId = 0;
    mission_.reset();
    ScreenWalkTest::TearDown();
  }
  CMissionMenu* Review() { return static_cast<CMissionMenu*>(ScreenFromId(16)); }
  int StepSounds() const {
    int n = 0;
    for (const SoundPlayRecord& r : sound_->PlayLog()) n += r.event == 20 ? 1 : 0;
    return n;
  }
  // The statistics' value colour (0xFEFE00).
  static bool ValueYellow(std::uint32_t c) {
    const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return r > 200 && g > 200 && b < 80;
  }
  // The inner panel of the statistics, where page 1's value columns lie.
  PixelBox ValueColumns() const { return {68 + 180, 90, 68 + 370, 520}; }

  FakeSquad squad_;
  std::unique_ptr<TestMissionRecord> mission_;
  std::unique_ptr<CSoundManager> sound_;
  CSoundManager* previousSound_ = nullptr;
};

TEST_F(ReviewScreen, TheArrowsStepThroughTheLivingSquadWithSound20) {
  Go(16);
  ASSERT_EQ(ScreenId, 16);
  ASSERT_NE(Review(), nullptr);
  // The soldier's name in white in the name bar; none without a soldier.
  const PixelBox bar{58, 44, 58 + 686, 44 + 40};
  EXPECT_GT(Count(Whitish, bar), 40);
  // Both arrows are shown: another member lives either way.
  EXPECT_LT(Review()->LeftArrowBox()[0], Review()->LeftArrowBox()[1]);
  EXPECT_LT(Review()->RightArrowBox()[0], Review()->RightArrowBox()[1]);
  const struct {
    const char* key;
    int soldier;  // the soldier local player 0 then controls
  } steps[] = {{"Right", 1}, {"Right", 2}, {"Right", 0}, {"Left", 2}};
  int sounds = StepSounds();
  for (const auto& s : steps) {
    Press(s.key);
    EXPECT_EQ(squad_.IndexOf(squad_.player_), s.soldier) << s.key;
    EXPECT_EQ(StepSounds(), ++sounds) << "one step sound per change";
  }
  // The dead member is passed over.
  squad_.alive[0] = false;
  Press("Right");
  EXPECT_EQ(squad_.IndexOf(squad_.player_), 1);
  // Alone: the same soldier, no sound, no arrows.
  squad_.alive[2] = false;
  sounds = StepSounds();
  Press("Right");
  Press("Left");
  EXPECT_EQ(squad_.IndexOf(squad_.player_), 1);
  EXPECT_EQ(StepSounds(), sounds);
  Frame();
  EXPECT_EQ(Review()->LeftArrowBox()[1], 0.0f);
  EXPECT_EQ(Review()->RightArrowBox()[1], 0.0f);
  // Without a controlled soldier a step takes the first active one.
  squad_.player_ = nullptr;
  Frame();
  EXPECT_LT(Count(Whitish, bar), 10);
  Press("Right");
  EXPECT_EQ(squad_.IndexOf(squad_.player_), 1);
  EXPECT_EQ(StepSounds(), sounds + 1);
}

TEST_F(ReviewScreen, DownShowsTheTableUpTheProfileEachWithSound20) {
  Go(16);
  ASSERT_EQ(ScreenId, 16);
  CStatisticsMenu& statistics = Review()->Statistics();
  statistics.SetPage(2);
  Frame();
  const int profileInk = Count(ValueYellow, ValueColumns());
  const int sounds = StepSounds();
  Press("Down");
  EXPECT_EQ(statistics.Page(), 1);
  EXPECT_EQ(StepSounds(), sounds + 1);
  // The table's values are drawn in yellow in its two value columns.
  EXPECT_GT(Count(ValueYellow, ValueColumns()), profileInk + 50);
  Press("Down");
  EXPECT_EQ(StepSounds(), sounds + 1) << "already on the table: no sound";
  Press("Up");
  EXPECT_EQ(statistics.Page(), 2);
  EXPECT_EQ(StepSounds(), sounds + 2);
  // SetPage: 0 toggles, 1 and 2 choose, others are ignored.
  statistics.SetPage(0);
  EXPECT_EQ(statistics.Page(), 1);
  statistics.SetPage(7);
  EXPECT_EQ(statistics.Page(), 1);
  statistics.SetPage(0);
  EXPECT_EQ(statistics.Page(), 2);
}

TEST_F(ReviewScreen, WithoutASoldierTheTableShowsNoValues) {
  Go(16);
  Review()->Statistics().SetPage(1);
  Frame();
  EXPECT_GT(Count(ValueYellow, ValueColumns()), 50);
  squad_.player_ = nullptr;
  Frame();
  EXPECT_EQ(Count(ValueYellow, ValueColumns()), 0);
}

TEST_F(ReviewScreen, BackGoesOnTo19OrForMission14StartsTheNextLevel) {
  Go(16);
  EXPECT_EQ(Press("Escape"), 0);
  EXPECT_EQ(ScreenId, 19);
  EXPECT_STREQ(LevelName, "");
  (*mission_)->MissionId = 14;
  Go(16);
  ASSERT_EQ(ScreenId, 16);
  EXPECT_EQ(Press("Escape"), SCREEN_RESULT_LEVEL_CHANGE);
  EXPECT_EQ(ScreenId, 14);
  EXPECT_STREQ(LevelName, "FrontEnd.dll");
  EXPECT_EQ(g_Mission->MissionId, -1) << "the record is reset";
}

}  // namespace
