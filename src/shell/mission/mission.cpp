#include "shell/mission/mission.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "foundation/memory/memory_manager.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/message_box.h"
#include "foundation/text/locale_table.h"
#include "foundation/time/timer.h"
#include "menus/screens/screen_manager.h"
#include "net/mp_layer.h"
#include "platform/win32/win_file_attributes.h"
#include "shell/level/mission_plugin.h"
#include "sound/sound_manager.h"
#include "world/engine.h"
#include "world/objects/chlo.h"
#include "world/objects/chlo_manager.h"
#include "world/sky/difficulty.h"

std::uint32_t g_MissionEndFlag = 0;
std::uint32_t g_MissionTraining = 0;
std::uint32_t g_CampaignBranchFlag = 0;
std::uint32_t g_CampaignBranchValue = 0;
std::uint32_t g_LoadingSavedGame = 0;

CMission* g_Mission = nullptr;

namespace {

constexpr int kFailedScreen = 17;
constexpr int kSuccessScreen = 18;
constexpr int kNextLevelPseudoScreen = 28;
constexpr int kTopMenuScreen = 16;
constexpr std::uint32_t kEventSuccessQuestion = 83;
constexpr std::uint32_t kHighestRank = 11;

// Screens over which the end test waits.
bool EndTestWaitsOn(int screen) {
  return screen == 9 || screen == 10 || (screen >= 16 && screen <= 19) || (screen >= 21 && screen <= 28) ||
         screen == 59 || screen == 60 || screen == 62;
}

// Missions whose squad comes from their own level (the squad is not given
// its health back, and units without a slot leave).
bool IsSquadFromLevel(std::int32_t id) { return id == 5 || id == 12 || id == 14; }

std::uint32_t GameTime() { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0; }

// Copies a name into a 35-byte field; false, with the field left as it
// was, when the name (and its NUL) does not fit.
bool CopyName(char (&field)[kMissionNameField], const char* name, const char* what) {
  if (name == nullptr) name = "";
  const std::size_t length = std::strlen(name);
  if (length >= sizeof field) {
    DebugTrace("Mission record: %s \"%.40s...\" is longer than %d characters; refused\n", what, name,
               kMissionNameField - 1);
    return false;
  }
  std::memcpy(field, name, length + 1);
  return true;
}

const char* Localised(std::uint32_t id) {
  return g_Locale != nullptr ? g_Locale->GetString(id) : nullptr;
}

bool FileTaken(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

// Calls fn on every object of the local side of the two squad kinds, active
// lists first, then inactive ones.
template <class Fn>
void ForEachLocalUnit(Fn fn) {
  if (g_HLOManager == nullptr) return;
  for (int kind : {HLO_VEHICLE, HLO_GRUNT}) {
    for (CHLO* o = g_HLOManager->FirstActive(g_HLOLocalSide, kind); o != nullptr;) {
      CHLO* next = o->Next;
      fn(o);
      o = next;
    }
    for (CHLO* o = g_HLOManager->FirstInactive(g_HLOLocalSide, kind); o != nullptr;) {
      CHLO* next = o->Next;
      fn(o);
      o = next;
    }
  }
}

}  // namespace

CMission::CMission() {
  for (std::uint8_t& allowed : SavesAllowed) allowed = 2;
  Reset();
  ResetCampaignRecords();
}

CMission::~CMission() { FreeObjectives(); }

void CMission::FreeObjectives() {
  while (objectives_ != nullptr) {
    MissionObjective* next = objectives_->Next;
    objectives_->~MissionObjective();
    MemRelease(__FILE__, __LINE__, "CMission::FreeObjectives", MEM_ALLOC_DELETE, objectives_);
    objectives_ = next;
  }
  objectiveCount_ = 0;
}

void CMission::Reset() {
  MissionId = -1;
  MissionResult = MISSION_RUNNING;
  NameTextA = NameTextB = 0;
  StartTime = 0;
  Score = 0;
  levelName_[0] = nextLevel_[0] = '\0';
  SavesMade = 0;
  for (std::uint32_t& t : awardThresholds_) t = 0;
  PromoteBest = PromotionThreshold = RankStep = 0;
  FreeObjectives();
  for (std::int32_t& text : texts_) text = -1;
  SpareWords[0] = SpareWords[1] = 0;
  SpareByte = 0;
  g_MissionEndFlag = 0;
}

void CMission::ResetCampaignRecords() {
  for (MissionSquadSlot& slot : slots_) slot = MissionSquadSlot{};
}

bool CMission::IsSquadKind(const CHLO* object) {
  return object != nullptr && (object->Kind == HLO_GRUNT || object->Kind == HLO_VEHICLE);
}

void CMission::SetResult(std::int32_t result) {
  MissionResult = result;
  if (result == MISSION_SUCCEEDED) {
    StoreSquad();
    g_LoadingSavedGame = 0;
  }
}

// --- level start ---------------------------------------------------------------------------------

void CMission::ApplySquadToUnits() {
  CMissionUnitAccess& units = MissionUnits();
  const bool fromLevel = IsSquadFromLevel(MissionId);
  // Every unit of the local side that has a slot with a stored soldier takes
  // its state; one without leaves the mission on the top menu screen and in
  // missions that bring their own squad.
  ForEachLocalUnit([&](CHLO* unit) {
    const int slot = FindSlot(unit);
    if (slot >= 0 && slots_[slot].health > 0.0f) {
      units.ApplySlotState(unit, slots_[slot], fromLevel);
    } else if (ScreenId == kTopMenuScreen || fromLevel) {
      unit->SetActive(0);
    }
  });
  if (fromLevel) return;
  // Each stored soldier finds its unit (hidden ones too), which takes the
  // slot's state and a level from its side's.
  std::int32_t level = units.GetSideLevel(g_HLOLocalSide);
  if (level > 4) level -= 4;
  if (level < 2) level = 2;
  for (MissionSquadSlot& slot : slots_) {
    if (!(slot.health > 0.0f) || slot.templateId == 0) continue;
    CHLO* found = nullptr;
    ForEachLocalUnit([&](CHLO* unit) {
      if (found == nullptr && units.GetTemplateId(unit) == slot.templateId) found = unit;
    });
    if (found == nullptr) continue;
    units.ApplySlotState(found, slot, false);
    units.SetLevel(found, level);
    slot.valueA = slot.valueC = 0;
    slot.missionsSurvived = 0;
  }
}

void CMission::Start(const char* levelName) {
  if (ScreenId == kSuccessScreen) {
    StartTime = GameTime();
    return;
  }
  if (g_LoadingSavedGame != 0) {
    ResetCampaignRecords();
  } else if (g_MissionTraining != 0 || MissionId < kFirstStandaloneMissionId) {
    ApplySquadToUnits();
  }
  if (!SetLevelName(levelName)) levelName_[0] = '\0';
  StartTime = GameTime();
}

// --- the end of the mission ----------------------------------------------------------------------

void CMission::EndTest() {
  if (MissionResult == MISSION_RUNNING) return;
  if (MissionResult == MISSION_SUCCEEDED && MPIsNetworkGame()) return;
  if (EndTestWaitsOn(ScreenId)) return;
  if (MissionResult == MISSION_FAILED) {
    if (g_SoundManager != nullptr) g_SoundManager->StopAllSounds();
    SetScreen(kFailedScreen);
  } else if (MissionResult == MISSION_SUCCEEDED) {
    if (g_MissionTraining == 0 && MissionId >= kFirstStandaloneMissionId) {
      // The plug-in may send the player on at once; with no plug-in the
      // answer is 0 and the next level follows.
      const std::int32_t answer = RaiseMissionEvent(kEventSuccessQuestion, nullptr, 0);
      SetScreen(answer != 0 ? kSuccessScreen : kNextLevelPseudoScreen);
    } else {
      SetScreen(kSuccessScreen);
    }
  }
}

void CMission::StoreSquad() {
  if (g_MissionTraining == 0 && MissionId > 14) {
    ResetCampaignRecords();
    return;
  }
  CMissionUnitAccess& units = MissionUnits();
  const auto shown = [&](CHLO* unit) { return !units.IsHidden(unit); };
  // Awards: each threshold reached sets its bit.
  ForEachLocalUnit([&](CHLO* unit) {
    if (!shown(unit)) return;
    for (int k = 0; k < kMissionAwardThresholds; ++k)
      if (awardThresholds_[k] != 0 && units.GetAwardScore(unit) >= awardThresholds_[k] && !units.HasAwardBit(unit, k))
        units.SetAwardBit(unit, k);
  });
  // Promotion of the best living soldier below the highest rank.
  if (PromoteBest != 0) {
    CHLO* best = nullptr;
    std::uint32_t bestPoints = 0, bestSecond = 0;
    ForEachLocalUnit([&](CHLO* unit) {
      if (!shown(unit) || !(units.GetHealth(unit) > 0.0f) || units.GetRank(unit) >= kHighestRank) return;
      const std::uint32_t points = units.GetPromotionPoints(unit), second = units.GetSecondScore(unit);
      if (best == nullptr || points > bestPoints || (points == bestPoints && second >= bestSecond)) {
        best = unit;
        bestPoints = points;
        bestSecond = second;
      }
    });
    if (best != nullptr && bestPoints >= PromotionThreshold && units.GetRank(best) < kHighestRank)
      units.SetRank(best, units.GetRank(best) + 1);
  }
  // The soldiers into their slots.
  const std::uint32_t missionTime = GameTime() - StartTime;
  int stored = 0;
  ForEachLocalUnit([&](CHLO* unit) {
    if (stored >= kSquadSlots || !shown(unit)) return;
    const std::uint32_t templateId = units.GetTemplateId(unit);
    int n = -1;
    for (int i = 0; i < kSquadSlots && n < 0; ++i)
      if (slots_[i].templateId == templateId && templateId != 0) n = i;
    for (int i = 0; i < kSquadSlots && n < 0; ++i)
      if (slots_[i].templateId == 0) n = i;
    if (n < 0) return;
    ++stored;
    MissionSquadSlot& slot = slots_[n];
    const bool alive = units.GetHealth(unit) > 0.0f;
    if (alive) units.ApplyMissionScore(unit, Score, RankStep);
    // The soldier's part of the slot; the campaign statistics stay the slot's.
    MissionSquadSlot state = slot;
    units.ReadSlotState(unit, &state);
    state.templateId = templateId;
    for (int s = 0; s < kSlotStatistics; ++s) state.statistics[s] = slot.statistics[s];
    state.missionsSurvived = slot.missionsSurvived;
    slot = state;
    if (alive) {
      std::uint32_t gathered[kMissionStatistics] = {};
      units.ReadMissionStatistics(unit, gathered);
      for (int s = 0; s < kMissionStatistics; ++s) slot.statistics[s] += gathered[s];
      slot.statistics[MSTAT_TIME] += missionTime;
      ++slot.missionsSurvived;
    }
  });
}

// --- names, objectives, texts ------------------------------------------------------------------------

bool CMission::SetNextLevel(const char* name) { return CopyName(nextLevel_, name, "next level"); }

bool CMission::SetLevelName(const char* name) { return CopyName(levelName_, name, "level name"); }

std::int32_t CMission::AddObjective(std::int32_t firstTarget) {
  if (objectiveCount_ >= kMissionObjectiveLimit) {
    // A saved game keeps the status of six objectives: a seventh would lose its status.
    InfoBox("Add Mission Objective:Too many objectives (at most %d)", kMissionObjectiveLimit);
    return -1;
  }
  void* memory = MemAllocate(__FILE__, __LINE__, "CMission::AddObjective", MEM_ALLOC_NEW, sizeof(MissionObjective));
  if (memory == nullptr) {
    InfoBox("Add Mission Objective:Out of memory");
    return -1;
  }
  auto* objective = new (memory) MissionObjective(objectiveCount_, firstTarget);
  MissionObjective** tail = &objectives_;
  while (*tail != nullptr) tail = &(*tail)->Next;
  *tail = objective;
  return objectiveCount_++;
}

MissionObjective* CMission::FindObjective(std::int32_t number) const {
  if (number < 0) return nullptr;
  for (MissionObjective* o = objectives_; o != nullptr; o = o->Next)
    if (o->Number() == number) return o;
  return nullptr;
}

bool CMission::GetObjectiveMarker(std::int32_t number, CVector3* out) const {
  const MissionObjective* objective = FindObjective(number);
  if (objective == nullptr) {
    *out = CVector3{};
    return false;
  }
  return objective->GetCurrentMarker(out);
}

void CMission::SetText(std::int32_t textId, std::int32_t kind) {
  if (kind >= 0 && kind <= 2) {
    texts_[kind] = textId;
  } else if (kind == 3) {
    for (int i = 3; i < kMissionTexts; ++i)
      if (texts_[i] == -1) {
        texts_[i] = textId;
        return;
      }
  }
}

const char* CMission::GetText(std::int32_t kind, std::int32_t index) const {
  int entry = -1;
  if (kind >= 0 && kind <= 2)
    entry = kind;
  else if (kind == 3 && index >= 3 && index < kMissionTexts)
    entry = index;
  if (entry < 0 || texts_[entry] == -1) return nullptr;
  return Localised(static_cast<std::uint32_t>(texts_[entry]));
}

void CMission::SetAwardThreshold(std::uint32_t value, std::int32_t index) {
  if (index >= 0 && index < kMissionAwardThresholds) awardThresholds_[index] = value;
}

// --- saves ----------------------------------------------------------------------------------------

int CMission::GetSavesRemaining() const {
  if (!MissionPluginBound()) return 1;
  const std::uint32_t d = g_Difficulty.GetLevel();
  if (d >= kMissionSaveAllowances) return 0;
  const int left = static_cast<int>(SavesAllowed[d]) - static_cast<int>(SavesMade);
  return left > 0 ? left : 0;
}

bool CMission::MakeDefaultSaveName(char* out, std::size_t size) const {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  const char* first = Localised(NameTextA);
  if (first == nullptr) first = "";
  char name[512];
  if (MissionResult != MISSION_RUNNING) {
    const char* second = Localised(NameTextB);
    const char* word = Localised(kSaveNameFinishedWord);
    std::snprintf(name, sizeof name, "%s%s.sav", second != nullptr ? second : "", word != nullptr ? word : "");
  } else {
    std::snprintf(name, sizeof name, "%s %d.sav", first, SavesMade + 1);
  }
  // A taken name makes way for "<first name> 1.sav", "<first name> 2.sav" ...
  // and after 45 taken names the search reports failure rather than offer
  // a name whose file would be overwritten.
  for (int n = 1; FileTaken(name); ++n) {
    if (n > kSaveNameTries) return false;
    std::snprintf(name, sizeof name, "%s %d.sav", first, n);
  }
  if (std::strlen(name) >= size) return false;
  std::memcpy(out, name, std::strlen(name) + 1);
  return true;
}

// --- the campaign ------------------------------------------------------------------------------------

std::int32_t CMission::GetNextMissionId() const {
  if (g_CampaignBranchFlag != 0 && g_CampaignBranchValue >= 4 && MissionId == 10 && MissionResult == MISSION_SUCCEEDED)
    return 13;
  return MissionResult == MISSION_SUCCEEDED ? MissionId + 1 : MissionId;
}

int CMission::IsMissionAvailable(std::int32_t number) const {
  if (g_CampaignBranchFlag == 0) return 1;
  if (number == 0 || number == 1) return g_CampaignBranchValue < 3 ? 1 : 0;
  if ((number >= 2 && number <= 10) || number == 13 || number == 14) return 1;
  if (number == 11 || number == 12) return g_CampaignBranchValue <= 3 ? 1 : 0;
  return 0;
}

// --- statistics ----------------------------------------------------------------------------------------

int CMission::FindSlot(CHLO* soldier) const {
  if (!IsSquadKind(soldier)) return -1;
  const std::uint32_t templateId = MissionUnits().GetTemplateId(soldier);
  if (templateId == 0) return -1;
  for (int i = 0; i < kSquadSlots; ++i)
    if (slots_[i].templateId == templateId) return i;
  return -1;
}

std::uint32_t CMission::GetStatistic(CHLO* soldier, MissionStatistic which) const {
  const int slot = FindSlot(soldier);
  return slot >= 0 && which >= 0 && which < kSlotStatistics ? slots_[slot].statistics[which] : 0;
}

std::int32_t CMission::GetMisses(CHLO* soldier) const {
  const int slot = FindSlot(soldier);
  if (slot < 0) return 0;
  const std::uint32_t* s = slots_[slot].statistics;
  return static_cast<std::int32_t>(s[MSTAT_HITS] - s[MSTAT_COUNT_A] - s[MSTAT_COUNT_B]);
}

float CMission::GetAccuracy(CHLO* soldier) const {
  const int slot = FindSlot(soldier);
  if (slot < 0 || slots_[slot].statistics[MSTAT_SHOTS] == 0) return 0.0f;
  return static_cast<float>(slots_[slot].statistics[MSTAT_HITS]) /
         static_cast<float>(slots_[slot].statistics[MSTAT_SHOTS]);
}

std::uint32_t CMission::GetTotalKills(CHLO* soldier) const {
  return GetStatistic(soldier, MSTAT_KILLS_A) + GetStatistic(soldier, MSTAT_KILLS_B);
}

std::uint32_t CMission::GetMissionsSurvived(CHLO* soldier) const {
  const int slot = FindSlot(soldier);
  return slot >= 0 ? slots_[slot].missionsSurvived : 0;
}

void CMission::AddTime(CHLO* soldier, std::uint32_t ms) {
  const int slot = FindSlot(soldier);
  if (slot >= 0) slots_[slot].statistics[MSTAT_TIME] += ms;
}

// --- the words other parts read ---------------------------------------------------------------------

std::int32_t CurrentMissionResult() { return g_Mission != nullptr ? g_Mission->MissionResult : MISSION_RUNNING; }

std::int32_t CurrentMissionId() { return g_Mission != nullptr ? g_Mission->MissionId : -1; }
