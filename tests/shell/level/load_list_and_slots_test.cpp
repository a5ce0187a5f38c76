// Load lists and the animation slots, on a started game over the level
// test root.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "shell/level/anim_slots.h"
#include "shell/level/level_root_fixture.h"
#include "shell/level/load_environment.h"
#include "shell/level/load_list.h"
#include "shell/program/game_objects.h"
#include "sound/sound_manager.h"
#include "units/base/anim_slot_ids.h"
#include "world/environment/environment.h"

namespace {

class LoadLists : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_EQ(Start(""), 1);
    // The environment's sounds take their samples from the level's cache, as level initialise loads it.
    g_SoundManager->LoadCache("DEMO.sch");
    boxes_.clear();
  }
  void TearDown() override {
    for (const std::string& name : written_) std::filesystem::remove(LevelTestRoot() / name);
    AnimSlotClearAll();
    LevelStart::TearDown();
  }
  void WriteList(const std::string& name, const std::string& text) {
    std::ofstream(LevelTestRoot() / name, std::ios::binary) << text;
    written_.push_back(name);
  }
  std::vector<std::string> written_;
};

TEST_F(LoadLists, KeywordsCommentsSoundsAndIncludesWorkAsTheTableSays) {
  const struct {
    const char* name;
    const char* text;
    int result;
    bool environment;
    std::uint32_t error;  // the context's error word afterwards
  } cases[] = {
      {"ok.loa", "BEGIN\r\n// the demo level, ENVIRONMENT nothing.env END\r\nENVIRONMENT DEMO.env\r\nEND\r\n", 1, true, 0},
      // A lower-case "end" is a plain word: the list runs out without END.
      {"lower.loa", "BEGIN\nENVIRONMENT DEMO.env\nend\n", 0, true, 0},
      {"sound.loa", "BEGIN\nSOUND river loop 1.0 2.0 3.0 4\nEND\n", 1, false, 0},
      {"words.loa", "BEGIN lots of other words here END", 1, false, 0},
      {"parent.loa", "BEGIN\nINCLUDE ok.loa\nEND\n", 1, true, 0},
      {"badparent.loa", "BEGIN\nINCLUDE lower.loa\nEND\n", 0, true, 1},
      {"noend.loa", "BEGIN\nSOUND a b 1 2 3 4\n", 0, false, 0},
  };
  for (const auto& c : cases) WriteList(c.name, c.text);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClearCurrentEnvironmentName();
    ClearLevelEnvironmentName();
    boxes_.clear();
    EXPECT_EQ(ReadLoadList(g_LoadListContext, c.name), c.result);
    EXPECT_EQ(std::string(LevelEnvironmentName()) == "DEMO.env", c.environment);
    EXPECT_EQ(g_LoadListContext->Error, c.error);
    EXPECT_TRUE(boxes_.empty()) << boxes_.front().text;
  }
}

TEST_F(LoadLists, BadListsFailWithAMessageAndNothingIsReadPastTheText) {
  const std::string longWord(200, 'x');
  const struct {
    const char* name;
    std::string text;
    const char* box;
  } cases[] = {
      {"self.loa", "BEGIN\nINCLUDE self.loa\nEND\n", "Load list \"self.loa\" includes itself"},
      {"cut.loa", "BEGIN\nENVIRONMENT", "Load list \"cut.loa\": the environment file name is missing at the end of the list"},
      {"cutanim.loa", "BEGIN\nANIM STRETCH", "Load list \"cutanim.loa\": the animation file name is missing at the end of the list"},
      {"long.loa", "BEGIN " + longWord + " END", nullptr},
      {"longfile.loa", "BEGIN\nENVIRONMENT abcdefghijklmnopqrstuvwxyz123.env\nEND\n", nullptr},
      {"nul.loa", std::string("BEGIN\0END\n", 10), nullptr},
  };
  for (const auto& c : cases) WriteList(c.name, c.text);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    boxes_.clear();
    const int result = ReadLoadList(g_LoadListContext, c.name);
    if (std::string(c.name) == "nul.loa") {
      // NUL bytes separate words like blanks.
      EXPECT_EQ(result, 1);
      continue;
    }
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(boxes_.empty());
    if (c.box != nullptr) {
      EXPECT_EQ(boxes_.back().text, c.box);
    }
  }
  boxes_.clear();
  EXPECT_EQ(ReadLoadList(g_LoadListContext, "nosuch.loa"), 0);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "For some reason I can't open file \"nosuch.loa\"");
}

TEST_F(LoadLists, IncludesDeeperThanTheLimitFail) {
  for (int i = 0; i <= kLoadListIncludeDepth; ++i)
    WriteList("deep" + std::to_string(i) + ".loa",
              "BEGIN\nINCLUDE deep" + std::to_string(i + 1) + ".loa\nEND\n");
  WriteList("deep" + std::to_string(kLoadListIncludeDepth + 1) + ".loa", "BEGIN END");
  EXPECT_EQ(ReadLoadList(g_LoadListContext, "deep0.loa"), 0);
  ASSERT_FALSE(boxes_.empty());
  EXPECT_NE(boxes_.front().text.find("included more than 8 deep"), std::string::npos);
  // Eight deep is allowed.
  boxes_.clear();
  EXPECT_EQ(ReadLoadList(g_LoadListContext, "deep2.loa"), 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(LoadLists, AnimationSlotsTakeAFileOncePerLevelByExactName) {
  EXPECT_EQ(AnimSlotLoad("STRETCH", "figure_walk.prs"), 1);
  EXPECT_NE(GetAnimSlot(ANIM_STRETCH), nullptr);
  EXPECT_TRUE(boxes_.empty());
  // A second load keeps the first.
  AnimSet* first = GetAnimSlot(ANIM_STRETCH);
  EXPECT_EQ(AnimSlotLoad("STRETCH", "figure_walk.prs"), 1);
  EXPECT_EQ(GetAnimSlot(ANIM_STRETCH), first);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].caption, "Attempt to load anim twice!");
  EXPECT_EQ(boxes_[0].text, "figure_walk.prs");
  const struct {
    const char* slot;
    const char* file;
    const char* caption;
  } bad[] = {{"stretch", "figure_walk.prs", "Anim slot name not defined in code!"},
             {nullptr, "figure_walk.prs", "Anim slot name not defined in code!"},
             {"SALUTE", "nosuch.prs", "bad anim"},
             {"WAVE_ON", "", "bad anim"}};
  for (const auto& b : bad) {
    boxes_.clear();
    EXPECT_EQ(AnimSlotLoad(b.slot, b.file), 0);
    ASSERT_FALSE(boxes_.empty());
    EXPECT_EQ(boxes_.back().caption, b.caption);
  }
  EXPECT_EQ(GetAnimSlot(ANIM_SALUTE), nullptr);
  for (int index : {-1, 222, 100000}) {
    boxes_.clear();
    EXPECT_EQ(AnimSlotLoadIndex(index, "figure_walk.prs"), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Anim slot index out of range!");
  }
  EXPECT_EQ(AnimSlotLoadIndex(ANIM_SALUTE, "figure_walk.prs"), 1);
  AnimSlotClearAll();
  for (int i = 0; i < ANIM_SLOT_COUNT; ++i) EXPECT_EQ(GetAnimSlot(i), nullptr);
  // An ANIM line of a load list fills a slot.
  WriteList("anim.loa", "BEGIN\nANIM WAVE_ON figure_walk.prs\nEND\n");
  EXPECT_EQ(ReadLoadList(g_LoadListContext, "anim.loa"), 1);
  EXPECT_NE(GetAnimSlot(ANIM_WAVE_ON), nullptr);
}

}  // namespace
