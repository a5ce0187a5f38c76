// The end of a won mission: the world is frozen and cleared of all but the
// squad, and each surviving squad member is shown in turn while a caption
// tells of his promotion, his new skill, his medal and his improved skills,
// each with its own sound, 1500 ms apart.  The success screens start the
// sequence, step it each frame and draw the medal and rank pictures from the
// nation's medal sprite set.  Main thread only.
#pragma once

#include <cstdint>

class CHLO;
class CSpriteRender;

enum EndOfLevelStepValue : std::int32_t {
  EOL_IDLE = 99,
  EOL_SOLDIER = 100,      // a soldier prepared, nothing told yet
  EOL_PROMOTION = 101,
  EOL_SKILL = 102,
  EOL_MEDAL = 103,
  EOL_IMPROVEMENT = 104,
  EOL_FADE = 105,         // waits for the caption's fade
  EOL_FINISHED = 106,
};

inline constexpr int kEndOfLevelSquadSlots = 4;
inline constexpr int kSoldierSkills = 11;
inline constexpr std::uint32_t kEndOfLevelGapMs = 1500;
// The sounds of the four captions, in the order they are told.
inline constexpr int kPromotionSound = 4062;
inline constexpr int kSkillSound = 1237;
inline constexpr int kMedalSound = 468;
inline constexpr int kImprovementSound = 2583;
// Caption texts (string ids).
inline constexpr std::uint32_t kPromotionCaption = 0xF979CDF5;
inline constexpr std::uint32_t kSkillCaption = 0xAA50E971;
inline constexpr std::uint32_t kMedalCaption = 0xEF58FF24;
inline constexpr std::uint32_t kImprovementCaption = 0x55B6806C;
// Names of ranks 1..11, skills 0..10 and medals (bit numbers 0..6).
inline constexpr std::uint32_t kRankNameBase = 0xE0D1A000;
inline constexpr std::uint32_t kSkillNameBase = 0xE0D1B000;
inline constexpr std::uint32_t kMedalNameBase = 0xE0D1C000;

struct EndOfLevelState {
  std::int32_t Step = EOL_IDLE;
  std::uint32_t StartTime = 0;     // game clock ms when the sequence began
  std::uint32_t NextTime = 0;      // the current step waits until then
  CHLO* CurrentSoldier = nullptr;
  CHLO* FirstSoldier = nullptr;    // the walk ends when it comes back to him
  CSpriteRender* MedalSprites = nullptr;
  std::uint32_t Fast = 0;          // nothing to tell: the fade runs at 1/2 a second, else 1/5
  std::uint32_t MedalShown = 0;
  std::uint32_t Medal = 0;         // the current soldier's medal bit
  float PictureX = 0.0f, PictureY = 0.0f;
  float Fade = 0.0f;               // caption fade, 1 down to 0
};

// Made by game initialise, freed at shut-down.
extern EndOfLevelState* g_EndOfLevel;

// What the sequence asks of a soldier.
struct EndOfLevelSoldierRecord {
  bool Promoted = false;
  int Rank = 0;                    // 1..11
  int NewSkill = -1;               // the skill gained this level, -1 none
  std::uint32_t Medal = 0;         // one of 1, 2, 4 ... 64, or 0
  bool Improved[kSoldierSkills] = {};
  const char* Name = "";
};

// The soldier operations the sequence calls; the soldier code installs them.
// Each one left null reports "not built yet" where it is reached (and the
// sequence then finds no soldier to show).
struct EndOfLevelSoldierOps {
  // The squad's soldier in a slot (0..3), null when none.
  CHLO* (*SquadSoldier)(int slot) = nullptr;
  // Alive and not out of action; checking also makes him stand still,
  // clears his orders and puts his weapon away.
  bool (*CanBeShown)(CHLO* soldier) = nullptr;
  void (*Describe)(CHLO* soldier, EndOfLevelSoldierRecord* out) = nullptr;
  // Places him at his marker point, or a random point of the object table
  // within 1000 units; settles his pose.  False when no point was found.
  bool (*PlaceForShow)(CHLO* soldier) = nullptr;
  // Every soldier's AI and the scheduler's enemy and friendly AI off.
  void (*SwitchAIOff)() = nullptr;
  // The local players' cameras watch the soldier (null: the first local
  // player's own soldier again).
  void (*AttachCameras)(CHLO* soldier) = nullptr;
};
void SetEndOfLevelSoldierOps(const EndOfLevelSoldierOps& ops);

// Starts the sequence; non-zero when a soldier is shown.
int EndOfLevelStart();
// Advances it (each frame); 1 once it has finished.  Escape or a menu
// confirmation skips to the next soldier.
int EndOfLevelStep();
// The next (previous) squad soldier that can be shown after (before) the
// given one, walking the slots 0..3 as a ring; null when none.
CHLO* EndOfLevelNextSoldier(CHLO* soldier);
CHLO* EndOfLevelPreviousSoldier(CHLO* soldier);
// Loads the nation's medal sprite set ("USMedals.img" for nation 1, else
// "UKMedals.img"); 1 when loaded.
int EndOfLevelLoadMedals();
// Idle again and the sprite set freed (level shut-down).
void EndOfLevelReset();

// Sprite numbers of the medal sprite set; -1 for a value not in the tables.
int MedalPicture(std::uint32_t medal, bool large);
int RankPicture(int rank, bool large);
// Draw one picture of the medal sprite set with bilinear filtering; the
// rank picture may blink (alpha from a 3000 ms cycle of the real clock).
void DrawMedal(std::uint32_t medal, int x, int y, bool large);
void DrawRank(int rank, int x, int y, bool large, bool blink);

// The caption now shown (empty when none) and its colour's alpha (0..255).
const char* EndOfLevelCaption();
// Draws the caption at (0.125, 0.875) of the screen (the success screens call it).
void DrawEndOfLevelCaption();
