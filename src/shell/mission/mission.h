// The game's one record of the mission being played and of the squad carried
// from mission to mission: the mission's id and result, the texts that name
// it, the objectives with their map markers, the award thresholds the
// mission script sets, and for five squad slots the soldier's state and
// campaign statistics.  Game initialise makes it; a level change resets its
// per-mission part; level start copies the squad onto the level's soldiers
// (Start); a successful end copies the soldiers back (StoreSquad); saved
// games keep it as a 4980-byte block (mission_block.h).  Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/mission/mission_objective.h"
#include "shell/mission/mission_units.h"

class CHLO;

// The result word: the mission runs, has failed or has succeeded.
enum MissionResultValue : std::int32_t {
  MISSION_RUNNING = 0,
  MISSION_FAILED = 1,
  MISSION_SUCCEEDED = 2,
};

inline constexpr int kMissionNameField = 35;      // level and next-level names, with their NUL
inline constexpr int kMissionAwardThresholds = 7;
inline constexpr int kMissionTexts = 9;           // kinds 0-2, then six of kind 3
inline constexpr int kMissionSaveAllowances = 3;  // one per difficulty
// Objectives a mission may have: a saved game keeps the status of six.
inline constexpr int kMissionObjectiveLimit = 6;
// The save-name search gives up after this many taken names.
inline constexpr int kSaveNameTries = 45;
// The id a level without a plug-in runs as.
inline constexpr std::int32_t kNoPluginMissionId = 20;
// Ids of this and above (outside training) do not carry the squad over.
inline constexpr std::int32_t kFirstStandaloneMissionId = 15;
// The localised word appended to a finished mission's save name.
inline constexpr std::uint32_t kSaveNameFinishedWord = 0x76C0DC40u;

// Game-wide words the record reads and its reset clears.
extern std::uint32_t g_MissionEndFlag;      // the global mission-end flag (slot 295 sets it)
extern std::uint32_t g_MissionTraining;     // training is on
extern std::uint32_t g_CampaignBranchFlag;  // the campaign branches
extern std::uint32_t g_CampaignBranchValue;
// The game record's loading-a-saved-game flag (set while a saved game is
// restored; set result 2 clears it).
extern std::uint32_t g_LoadingSavedGame;

class CMission {
 public:
  // Empty objective list, save allowances 2, reset, squad reset.
  CMission();
  // Frees the objectives.
  ~CMission();
  CMission(const CMission&) = delete;
  CMission& operator=(const CMission&) = delete;

  // The per-mission part: id -1, result 0, name texts, start time, score 0,
  // names empty, saves made 0, thresholds and promotion words 0,
  // objectives freed, the nine texts -1, the spare words 0 and the global
  // mission-end flag 0.  The squad table and statistics are untouched.
  void Reset();
  // The squad part: every slot free (template id 0, rank 1, health -1.0,
  // selected item -1, everything else 0).
  void ResetCampaignRecords();

  // Stores the result; 2 also stores the squad and clears the
  // loading-a-saved-game flag.
  void SetResult(std::int32_t result);
  // Level start: the squad onto the level's soldiers, the level name (a
  // name that does not fit its field is refused, leaving it empty) and the
  // start time.
  void Start(const char* levelName);
  // Once a frame: switches to the end screens when the result is set.
  void EndTest();
  // The soldiers of the local side back into the squad slots (see the source).
  void StoreSquad();

  // The next-level name (refused, with a debug line, when it does not fit
  // its 35-byte field); false when refused.
  bool SetNextLevel(const char* name);
  // The running level's name, refused the same way (Start sets it).
  bool SetLevelName(const char* name);
  const char* GetLevelName() const { return levelName_; }
  const char* GetNextLevel() const { return nextLevel_; }

  // Objectives.  Add: the next number, or -1 when the mission has six
  // already (with the message "Add Mission Objective:Too many objectives")
  // or memory runs out ("Add Mission Objective:Out of memory").
  std::int32_t AddObjective(std::int32_t firstTarget);
  MissionObjective* FindObjective(std::int32_t number) const;
  MissionObjective* FirstObjective() const { return objectives_; }
  int ObjectiveCount() const { return objectiveCount_; }
  // The current marker of objective `number` (false, out zeroed, when none).
  bool GetObjectiveMarker(std::int32_t number, CVector3* out) const;

  // Mission texts: kinds 0-2 the fixed ones; kind 3 into the first free of
  // the six extra ones (a seventh is dropped); other kinds ignored.
  void SetText(std::int32_t textId, std::int32_t kind);
  // The localised text of kind 0-2 (index ignored) or kind 3 index 3-8;
  // null for an unset entry or anything else.
  const char* GetText(std::int32_t kind, std::int32_t index) const;
  std::int32_t GetTextId(int entry) const { return entry >= 0 && entry < kMissionTexts ? texts_[entry] : -1; }

  // Award threshold `index` 0-6 (others ignored).
  void SetAwardThreshold(std::uint32_t value, std::int32_t index);
  std::uint32_t GetAwardThreshold(int index) const {
    return index >= 0 && index < kMissionAwardThresholds ? awardThresholds_[index] : 0;
  }

  // Saves remaining at the current difficulty: 1 with no plug-in bound; 0
  // at difficulty 3 or more.
  int GetSavesRemaining() const;
  // The name offered for a save, ".sav" included (see the source); false,
  // buffer emptied, when the 45 tries all found taken names or the name
  // does not fit.
  bool MakeDefaultSaveName(char* out, std::size_t size) const;

  // The id of the mission that follows, and whether mission `number` may be played.
  std::int32_t GetNextMissionId() const;
  int IsMissionAvailable(std::int32_t number) const;

  // Statistics of a soldier, by its squad slot (0 for an object that is not
  // a soldier or vehicle, or has no slot).
  std::uint32_t GetStatistic(CHLO* soldier, MissionStatistic which) const;
  std::int32_t GetMisses(CHLO* soldier) const;
  float GetAccuracy(CHLO* soldier) const;
  std::uint32_t GetTotalKills(CHLO* soldier) const;
  std::uint32_t GetMissionsSurvived(CHLO* soldier) const;
  void AddTime(CHLO* soldier, std::uint32_t ms);
  // The slot whose template id is the soldier's, or -1.
  int FindSlot(CHLO* soldier) const;

  MissionSquadSlot& Slot(int n) { return slots_[n]; }
  const MissionSquadSlot& Slot(int n) const { return slots_[n]; }

  // The record's words (names as the other parts read them).
  std::int32_t MissionId = -1;
  std::int32_t MissionResult = MISSION_RUNNING;  // MissionResultValue
  std::uint32_t NameTextA = 0;   // names the save of a mission in progress
  std::uint32_t NameTextB = 0;   // names the save of a finished mission
  std::uint32_t StartTime = 0;   // game clock, ms
  std::uint8_t SavesMade = 0;
  std::uint8_t SavesAllowed[kMissionSaveAllowances] = {2, 2, 2};
  std::uint32_t Score = 0;
  std::uint32_t PromoteBest = 0;
  std::uint32_t PromotionThreshold = 0;
  std::uint32_t RankStep = 0;
  std::uint32_t SpareWords[2] = {};
  std::uint8_t SpareByte = 0;
  // The retry flag: the failed screen sets it when the level is played
  // again; Reset leaves it.
  std::uint32_t Retry = 0;

 private:
  friend class MissionBlock;
  void FreeObjectives();
  void ApplySquadToUnits();
  // Whether an object is one of the two unit kinds the squad keeps.
  static bool IsSquadKind(const CHLO* object);

  char levelName_[kMissionNameField] = {};
  char nextLevel_[kMissionNameField] = {};
  std::uint32_t awardThresholds_[kMissionAwardThresholds] = {};
  MissionObjective* objectives_ = nullptr;
  std::uint8_t objectiveCount_ = 0;
  std::int32_t texts_[kMissionTexts];
  MissionSquadSlot slots_[kSquadSlots];
};

// The game's mission record; null outside game initialise .. shut-down.
extern CMission* g_Mission;

// The result word, MISSION_RUNNING without a record.
std::int32_t CurrentMissionResult();
// The mission id, -1 without a record.
std::int32_t CurrentMissionId();
