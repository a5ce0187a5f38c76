#include "menus/records/review_soldier.h"

#include "control/players/local_player.h"
#include "control/players/local_player_table.h"
#include "control/players/squad_order.h"
#include "foundation/system/not_built_yet.h"
#include "shell/mission/mission.h"
#include "units/soldier/grunt.h"

namespace {

CReviewSoldierAccess g_defaultAccess;
CReviewSoldierAccess* g_access = &g_defaultAccess;

void RecordNotBuilt() { NotBuiltYet("review: squad soldier's record (statistics, names, medals, skills, rank)"); }

}  // namespace

CHLOGrunt* CReviewSoldierAccess::PlayerSoldier() {
  CLocalPlayer* player = g_LocalPlayers.Get(0);
  return player != nullptr ? player->Soldier : nullptr;
}

CHLOGrunt* CReviewSoldierAccess::StepSquad(CHLOGrunt* from, bool backwards) {
  return StepSquadSoldier(from, backwards, false);
}

CHLOGrunt* CReviewSoldierAccess::FirstActiveSoldier() {
  const std::vector<CHLOGrunt*> squad = SquadSoldiers();
  return squad.empty() ? nullptr : squad.front();
}

void CReviewSoldierAccess::AttachPlayer(CHLOGrunt* soldier) {
  if (CLocalPlayer* player = g_LocalPlayers.Get(0)) player->AttachToGrunt(soldier);
}

SoldierCounters CReviewSoldierAccess::GetCampaignTotals(CHLOGrunt* soldier) {
  SoldierCounters totals;
  if (g_Mission == nullptr || soldier == nullptr) return totals;
  for (int i = 0; i < 8; ++i) totals.counters[i] = g_Mission->GetStatistic(soldier, static_cast<MissionStatistic>(i));
  totals.missionTimeMs = g_Mission->GetStatistic(soldier, MSTAT_TIME);
  return totals;
}

int CReviewSoldierAccess::GetCampaignCount(CHLOGrunt* soldier) {
  if (g_Mission == nullptr || soldier == nullptr) return 0;
  return static_cast<int>(g_Mission->GetMissionsSurvived(soldier));
}

SoldierCounters CReviewSoldierAccess::GetCounters(CHLOGrunt*) {
  RecordNotBuilt();
  return {};
}

void CReviewSoldierAccess::GetNames(CHLOGrunt*, const char** first, const char** second) {
  RecordNotBuilt();
  if (first != nullptr) *first = "";
  if (second != nullptr) *second = "";
}

std::uint32_t CReviewSoldierAccess::GetMedals(CHLOGrunt*) {
  RecordNotBuilt();
  return 0;
}

std::uint32_t CReviewSoldierAccess::GetNewMedals(CHLOGrunt*) {
  RecordNotBuilt();
  return 0;
}

int CReviewSoldierAccess::GetClassNumber(CHLOGrunt*) {
  RecordNotBuilt();
  return 0;
}

bool CReviewSoldierAccess::WasPromoted(CHLOGrunt*) {
  RecordNotBuilt();
  return false;
}

std::uint32_t CReviewSoldierAccess::GetSkillWord(CHLOGrunt*) {
  RecordNotBuilt();
  return 0;
}

int CReviewSoldierAccess::GetSkillLevelByMask(CHLOGrunt*, std::uint32_t) {
  RecordNotBuilt();
  return 0;
}

bool CReviewSoldierAccess::HasGainedSkillLevel(CHLOGrunt*, std::uint32_t) {
  RecordNotBuilt();
  return false;
}

float CReviewSoldierAccess::GetExperience(CHLOGrunt*) {
  RecordNotBuilt();
  return 0.0f;
}

int CReviewSoldierAccess::GetEffectiveExperienceLevel(CHLOGrunt*) {
  RecordNotBuilt();
  return 0;
}

bool CReviewSoldierAccess::HasGainedExperienceLevel(CHLOGrunt*) {
  RecordNotBuilt();
  return false;
}

int CReviewSoldierAccess::GetRankBadgeCell(CHLOGrunt*) {
  RecordNotBuilt();
  return -1;
}

void SetReviewSoldierAccess(CReviewSoldierAccess* access) { g_access = access != nullptr ? access : &g_defaultAccess; }

CReviewSoldierAccess& ReviewSoldiers() { return *g_access; }
