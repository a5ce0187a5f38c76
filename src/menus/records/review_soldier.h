// What the mission review (ScreenId 16) and its statistics pages read of a
// squad soldier, and the squad steps the review takes.  The steps are the
// squad order's and the local player's; the soldier's own record (counters,
// names, medals, skills, class, experience, rank badge) comes from the
// soldier's class, whose record operations are not built yet: until the
// units install theirs, each read says so (counted) and answers an empty
// record.  Main thread only.
#pragma once

#include <cstdint>

class CHLOGrunt;

// The soldier's statistics counters 0-7 and the time he spent in this
// mission (ms).
struct SoldierCounters {
  std::uint32_t counters[8] = {};
  std::uint32_t missionTimeMs = 0;
};

class CReviewSoldierAccess {
 public:
  virtual ~CReviewSoldierAccess() = default;

  // --- the squad (built: the squad order and local player 0) ---------------------------------
  // The soldier local player 0 controls, or null.
  virtual CHLOGrunt* PlayerSoldier();
  // The next (backwards: previous) living member of `from`'s squad, wrapping;
  // null when no other lives.
  virtual CHLOGrunt* StepSquad(CHLOGrunt* from, bool backwards);
  // The first active soldier of the local side, or null.
  virtual CHLOGrunt* FirstActiveSoldier();
  // Local player 0 takes the soldier.
  virtual void AttachPlayer(CHLOGrunt* soldier);

  // --- the campaign record the mission record keeps for the soldier's squad slot (built) ------
  // The campaign totals of counters 0-7 and the campaign time; zero when the
  // soldier has no slot (or there is no record).
  virtual SoldierCounters GetCampaignTotals(CHLOGrunt* soldier);
  // The slot's count byte (missions survived).
  virtual int GetCampaignCount(CHLOGrunt* soldier);

  // --- the soldier's record (not built yet by default) ----------------------------------------
  virtual SoldierCounters GetCounters(CHLOGrunt* soldier);
  // First and second name (never null; empty when unknown).
  virtual void GetNames(CHLOGrunt* soldier, const char** first, const char** second);
  // The seven medal bits held, and those won in this mission.
  virtual std::uint32_t GetMedals(CHLOGrunt* soldier);
  virtual std::uint32_t GetNewMedals(CHLOGrunt* soldier);
  // The class number (1-11), and whether he was promoted in this mission.
  virtual int GetClassNumber(CHLOGrunt* soldier);
  virtual bool WasPromoted(CHLOGrunt* soldier);
  // The skill word (one bit a skill, 1 .. 1024), a skill's level and
  // whether it rose in this mission.
  virtual std::uint32_t GetSkillWord(CHLOGrunt* soldier);
  virtual int GetSkillLevelByMask(CHLOGrunt* soldier, std::uint32_t mask);
  virtual bool HasGainedSkillLevel(CHLOGrunt* soldier, std::uint32_t mask);
  // The experience value, the effective experience level (rank) and whether
  // it rose in this mission.
  virtual float GetExperience(CHLOGrunt* soldier);
  virtual int GetEffectiveExperienceLevel(CHLOGrunt* soldier);
  virtual bool HasGainedExperienceLevel(CHLOGrunt* soldier);
  // The rank badge cell (by rank and uniform choice), -1 for none.
  virtual int GetRankBadgeCell(CHLOGrunt* soldier);
};

// Installs the units' access (null restores the default above).
void SetReviewSoldierAccess(CReviewSoldierAccess* access);
CReviewSoldierAccess& ReviewSoldiers();
