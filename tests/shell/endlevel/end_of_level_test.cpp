// The end-of-level sequence over a squad of four stand-in soldiers: the
// order and spacing of the captions' sounds, the texts from the built
// string table, the fast fade of a soldier with nothing to tell, the ring
// walk, and the picture tables of both nations.
#include "shell/endlevel/end_of_level.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "effects_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/files/catalog.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "render/2d/sprite_render.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"
#include "world/engine.h"

namespace {

// The squad: a soldier per slot, shown while alive.  The sequence only
// passes the pointers back to these operations.
struct SquadMember {
  bool present = false;
  bool alive = true;
  bool placeable = true;
  EndOfLevelSoldierRecord record;
};
SquadMember g_squad[kEndOfLevelSquadSlots];
std::vector<CHLO*> g_cameraTargets;

CHLO* Handle(int slot) { return reinterpret_cast<CHLO*>(&g_squad[slot]); }
SquadMember& Member(CHLO* soldier) { return *reinterpret_cast<SquadMember*>(soldier); }

EndOfLevelSoldierOps SquadOps() {
  EndOfLevelSoldierOps ops;
  ops.SquadSoldier = [](int slot) { return g_squad[slot].present ? Handle(slot) : nullptr; };
  ops.CanBeShown = [](CHLO* s) { return Member(s).alive; };
  ops.Describe = [](CHLO* s, EndOfLevelSoldierRecord* out) { *out = Member(s).record; };
  ops.PlaceForShow = [](CHLO* s) { return Member(s).placeable; };
  ops.SwitchAIOff = [] {};
  ops.AttachCameras = [](CHLO* s) { g_cameraTargets.push_back(s); };
  return ops;
}

struct Told {
  int event;
  std::uint32_t time;
  std::string caption;
};

class EndOfLevel : public ::testing::Test {
 protected:
  void SetUp() override {
    for (SquadMember& m : g_squad) m = SquadMember{};
    g_cameraTargets.clear();
    g_EndOfLevel = &state_;
    previousClock_ = g_GameClock;
    g_GameClock = &clock_;
    effects_test::SetClock(clock_, now_, 0.02f);
    sound_.SetPlayLog(true);
    g_SoundManager = &sound_;
    previousLocale_ = g_Locale;
    SetWorkDirectory();
    SetSearchFolders(nullptr);
    CatalogStartup();
    const int loaded = locale_.Load(HALBERD_DATA_DIR "/strings/GenStrs.loc");
    CatalogShutdown();
    ASSERT_EQ(loaded, 1);
    g_Locale = &locale_;
    previousNation_ = PlayerNation;
    SetEndOfLevelSoldierOps(SquadOps());
  }
  void TearDown() override {
    EndOfLevelReset();
    SetEndOfLevelSoldierOps(EndOfLevelSoldierOps{});
    g_EndOfLevel = nullptr;
    g_GameClock = previousClock_;
    g_SoundManager = nullptr;
    g_Locale = previousLocale_;
    PlayerNation = previousNation_;
  }
  // Steps 20 ms frames until the sequence finishes (at most the limit),
  // noting each sound with its time and the caption then shown.
  std::uint32_t RunToEnd(std::vector<Told>* told, std::uint32_t limitMs = 60000) {
    const std::uint32_t start = now_;
    std::size_t seen = sound_.PlayLog().size();
    while (now_ - start < limitMs) {
      now_ += 20;
      effects_test::SetClock(clock_, now_, 0.02f);
      const int finished = EndOfLevelStep();
      for (; seen < sound_.PlayLog().size(); ++seen)
        if (told != nullptr) told->push_back({sound_.PlayLog()[seen].event, now_, EndOfLevelCaption()});
      if (finished) return now_ - start;
    }
    return limitMs;
  }

  EndOfLevelState state_;
  CTimer clock_;
  CTimer* previousClock_ = nullptr;
  std::uint32_t now_ = 10000;
  CSoundManager sound_;
  CLocale locale_;
  CLocale* previousLocale_ = nullptr;
  std::uint32_t previousNation_ = 0;
};

TEST_F(EndOfLevel, PromotionSkillMedalAndImprovementAreToldInOrder1500msApartWithTheirCaptions) {
  g_squad[1].present = true;
  EndOfLevelSoldierRecord& r = g_squad[1].record;
  r.Promoted = true;
  r.Rank = 4;
  r.NewSkill = 2;
  r.Medal = 8;
  r.Improved[5] = true;
  r.Name = "hollis";
  ASSERT_EQ(EndOfLevelStart(), 1);
  EXPECT_EQ(state_.CurrentSoldier, Handle(1));
  EXPECT_EQ(state_.Fast, 0u);
  EXPECT_EQ(state_.MedalShown, 1u);
  EXPECT_EQ(state_.Medal, 8u);
  EXPECT_FLOAT_EQ(state_.PictureX, -128.0f);
  std::vector<Told> told;
  RunToEnd(&told);
  ASSERT_EQ(told.size(), 4u);
  const int events[] = {kPromotionSound, kSkillSound, kMedalSound, kImprovementSound};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(told[i].event, events[i]);
    if (i > 0) {
      EXPECT_EQ(told[i].time - told[i - 1].time, kEndOfLevelGapMs) << "caption " << i;
    }
  }
  EXPECT_EQ(told[0].caption, "Promoted to Sergeant");
  EXPECT_EQ(told[1].caption, "Hollis has learned Stamina");
  EXPECT_EQ(told[2].caption, "Awarded the Field Star");
  EXPECT_EQ(told[3].caption, "Skills improved");
  EXPECT_FLOAT_EQ(sound_.PlayLog()[0].range, 1000.0f);
  EXPECT_EQ(state_.Step, EOL_FINISHED);
}

TEST_F(EndOfLevel, ASoldierWithNothingToTellPassesAtTheFastFadeWithNoCaption) {
  g_squad[0].present = true;
  g_squad[2].present = true;
  g_squad[2].record.Improved[0] = true;  // slow: 1/5 a second
  ASSERT_EQ(EndOfLevelStart(), 1);
  EXPECT_EQ(state_.Fast, 1u);
  std::vector<Told> told;
  std::uint32_t quietEnd = 0;
  const std::uint32_t start = now_;
  while (state_.CurrentSoldier == Handle(0) && now_ - start < 10000) {
    now_ += 20;
    effects_test::SetClock(clock_, now_, 0.02f);
    EndOfLevelStep();
    EXPECT_STREQ(EndOfLevelCaption(), "");
    quietEnd = now_ - start;
  }
  EXPECT_TRUE(sound_.PlayLog().empty());
  EXPECT_GE(quietEnd, 2000u);
  EXPECT_LE(quietEnd, 2100u);
  // The next soldier fades at 1/5 a second after his one caption.
  const std::uint32_t slow = RunToEnd(&told);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].event, kImprovementSound);
  EXPECT_GE(slow, 5000u);
  EXPECT_EQ(g_cameraTargets.back(), nullptr) << "the first local player is given back his view";
}

TEST_F(EndOfLevel, WithNoSoldierToShowTheSequenceFinishesAtOnce) {
  g_squad[0].present = true;
  g_squad[0].alive = false;
  g_squad[3].present = true;
  g_squad[3].placeable = false;
  EXPECT_EQ(EndOfLevelStart(), 0);
  EXPECT_EQ(state_.Step, EOL_FINISHED);
  EXPECT_EQ(EndOfLevelStep(), 1);
  EXPECT_TRUE(sound_.PlayLog().empty());
}

TEST_F(EndOfLevel, WithoutTheSoldierCodeTheSequenceSaysSoAndFinishes) {
  SetEndOfLevelSoldierOps(EndOfLevelSoldierOps{});
  ClearNotBuiltYet();
  EXPECT_EQ(EndOfLevelStart(), 0);
  EXPECT_EQ(EndOfLevelStep(), 1);
  EXPECT_TRUE(WasReportedNotBuiltYet("end of level: the squad's soldiers"));
}

TEST_F(EndOfLevel, TheWalkGoesRoundTheFourSlotsSkippingThoseThatCannotBeShown) {
  g_squad[0].present = g_squad[1].present = g_squad[3].present = true;
  g_squad[1].alive = false;
  EXPECT_EQ(EndOfLevelNextSoldier(Handle(0)), Handle(3));
  EXPECT_EQ(EndOfLevelNextSoldier(Handle(3)), Handle(0));
  EXPECT_EQ(EndOfLevelPreviousSoldier(Handle(0)), Handle(3));
  EXPECT_EQ(EndOfLevelPreviousSoldier(Handle(3)), Handle(0));
  g_squad[3].alive = false;
  EXPECT_EQ(EndOfLevelNextSoldier(Handle(0)), Handle(0)) << "alone, he is his own next";
  g_squad[0].alive = false;
  EXPECT_EQ(EndOfLevelNextSoldier(Handle(0)), nullptr);
}

TEST_F(EndOfLevel, MedalAndRankPicturesFollowTheNationsTables) {
  struct MedalCase {
    std::uint32_t medal;
    int smallUK, smallUS, largeUK, largeUS;
  };
  const MedalCase medals[] = {{1, 4, 0, 20, 18},   {2, 5, 3, 21, 21},   {4, 0, 1, 16, 19},  {8, 3, 2, 19, 20},
                              {16, 1, 17, 17, 24}, {32, 2, 4, 18, 22}, {64, 23, 5, 22, 23}, {0, -1, -1, -1, -1},
                              {3, -1, -1, -1, -1}, {128, -1, -1, -1, -1}};
  for (const MedalCase& c : medals) {
    SCOPED_TRACE(c.medal);
    PlayerNation = 0;
    EXPECT_EQ(MedalPicture(c.medal, false), c.smallUK);
    EXPECT_EQ(MedalPicture(c.medal, true), c.largeUK);
    PlayerNation = 1;
    EXPECT_EQ(MedalPicture(c.medal, false), c.smallUS);
    EXPECT_EQ(MedalPicture(c.medal, true), c.largeUS);
  }
  const int rankUK[] = {-1, -1, 7, 8, 9, 10, 11, 12, 13, 14, 6, 15, -1};
  const int rankUS[] = {-1, 9, 7, 10, 11, 12, 13, 14, 15, 16, 6, 8, -1};
  for (int rank = 0; rank <= 12; ++rank) {
    SCOPED_TRACE(rank);
    PlayerNation = 0;
    EXPECT_EQ(RankPicture(rank, false), rankUK[rank]);
    PlayerNation = 1;
    EXPECT_EQ(RankPicture(rank, false), rankUS[rank]);
  }
}

// Every picture the tables name is a drawn cell of the nation's built sprite set.
TEST_F(EndOfLevel, TheBuiltMedalSetsHoldEveryPictureTheTablesName) {
  for (std::uint32_t nation : {0u, 1u}) {
    SCOPED_TRACE(nation);
    PlayerNation = nation;
    const std::string file = std::string(HALBERD_DATA_DIR "/startup/") + (nation == 1 ? "USMedals.img" : "UKMedals.img");
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ByteReader reader(bytes.data(), bytes.size());
    SpriteFileData data;
    ASSERT_TRUE(ParseSpriteFile(reader, &data));
    std::vector<int> named;
    for (std::uint32_t medal = 1; medal <= 64; medal <<= 1) {
      named.push_back(MedalPicture(medal, false));
      named.push_back(MedalPicture(medal, true));
    }
    for (int rank = 1; rank <= 11; ++rank)
      if (RankPicture(rank, false) >= 0) named.push_back(RankPicture(rank, false));
    for (int sprite : named) {
      ASSERT_LT(sprite, static_cast<int>(data.Header.SpriteCount));
      EXPECT_GT(data.Sprites[sprite].Width, 1) << "cell " << sprite << " is blank";
    }
    for (int i = 0; i < data.Header.SpriteCount; ++i) MEM_DELETE_ARRAY data.Sprites[i].Name;
    MEM_DELETE_ARRAY data.Sprites;
  }
}

}  // namespace
