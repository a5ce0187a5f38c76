// The mission statistics pages the mission review (ScreenId 16) shows for
// the soldier local player 0 controls: page 1 a table of combat statistics
// (this mission beside the campaign totals of the mission record), page 2
// his profile (class, best three skills, rank, experience towards the next
// rank) and the seven medals.  Not a screen of its own: the review holds one
// and forwards its update and drawing.  Main thread only.
#pragma once

#include <cstdint>

#include "menus/screens/menu_screen.h"

class CHLOGrunt;

// One row of page 1: its line (reference units below the inner panel's top),
// its label and the two values as drawn.
struct StatisticsRow {
  int y = 0;
  std::uint32_t labelId = 0;
  char mission[32] = "";
  char campaign[32] = "";
};
inline constexpr int kStatisticsRows = 12;

// Counters 0-7 and a time in ms, of the mission or of the campaign.
struct StatisticsValues {
  std::uint32_t counter[8] = {};
  std::uint32_t timeMs = 0;
};

// The twelve rows of page 1 from the two sets of values.
void MakeStatisticsRows(const StatisticsValues& mission, const StatisticsValues& campaign,
                        StatisticsRow out[kStatisticsRows]);
// The best three skill bits of a skill word, given each bit's level: highest
// level first, ties to the lower bit; bit 1 when nothing left has a level.
template <typename LevelOf>
void BestThreeSkills(std::uint32_t skillWord, LevelOf levelOf, std::uint32_t out[3]) {
  std::uint32_t left = skillWord;
  for (int k = 0; k < 3; ++k) {
    std::uint32_t best = 0;
    int bestLevel = 0;
    for (std::uint32_t bit = 1; bit <= 1024; bit <<= 1) {
      if ((left & bit) == 0) continue;
      const int level = levelOf(bit);
      if (level > bestLevel) {
        best = bit;
        bestLevel = level;
      }
    }
    if (best == 0) {
      out[k] = 1;
    } else {
      out[k] = best;
      left &= ~best;
    }
  }
}
// How full the experience bar is (0..1) at an experience value for a level:
// from the level's threshold to the next level's; full when the two are
// equal, and at the top level, which has no level above.
float ExperienceBarFraction(float experience, int level);
// Name text ids: class 1-11 (alternative uniform when `alt`), skill bit,
// rank, medal bit 0-6; 0 for none (a rank past 9 answers 0xFFFFFFFF).
std::uint32_t ClassNameId(int classNumber, bool alt);
std::uint32_t SkillNameId(std::uint32_t skillBit);
std::uint32_t RankNameId(int rank);
std::uint32_t MedalNameId(int medalBit, bool alt);

class CStatisticsMenu : public CMenuScreen {
 public:
  bool Create() override { return true; }
  void Populate() override {}
  // Page keys and the page arrow's click; always 0.
  int Update() override;
  void Draw() override;
  std::uint32_t GetLeftHintTextId() override { return 0; }
  std::uint32_t GetRightHintTextId() override { return 0; }

  // 0 toggles between the pages, 1 or 2 chooses one, others are ignored.
  void SetPage(int n);
  int Page() const { return page_; }
  // The page arrow's box as last drawn (left, right, top, bottom).
  const float* ArrowBox() const { return arrowBox_; }

 private:
  void DrawTable(float x0, float y0, CHLOGrunt* soldier);
  void DrawProfile(float x0, float y0, CHLOGrunt* soldier);
  void DrawMedals(float x0, float y0, CHLOGrunt* soldier);
  void DrawPageArrow(float panelTop);

  int page_ = 2;
  float arrowBox_[4] = {};
};

// The string table's mode word: in mode 2 the pages only go forward and the
// arrow is not shown.
std::uint32_t StatisticsTextMode();
