#include "units/factory/hlo_factory.h"

#include <cstdio>

#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "foundation/text/hash.h"
#include "shell/stats/stats_assets.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_tables.h"
#include "shell/stats/world_object_stats.h"
#include "shell/stats/stats_names.h"
#include "units/items/weapon.h"
#include "units/soldier/grunt.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

// Draw flag of a soldier's visual that carries hung instances.
constexpr std::uint32_t kDrawAttachments = 0x800;
constexpr std::uint32_t kInstanceNetworkCreated = 0x20000;

// What each kind is made as until its class exists.
const char* const kLaterClasses[10] = {"vehicles", nullptr, "features", "buildings", "boids", nullptr,
                                       nullptr, "doors", "movers", "corpses"};

const void* StatsLookup(const char* name, int kind) {
  return name != nullptr && kind > 0 ? FindStats(name, static_cast<std::uint32_t>(kind)) : nullptr;
}

CHLO* MakePlain(HLOSpawnRecord& record, const void* stats) {
  MEM_OWNER();
  return MEM_NEW(MEMCAT_WORLD_OBJECT) CHLO(record, stats, record.statsName);
}

// Hangs the record's environment instances on the soldier's connectors.  A
// record listing more than the 256 attachments a spawn record holds is
// refused with a message (nothing is hung).
void HangAttachments(CHLOGrunt* soldier, const HLOSpawnRecord& record) {
  const int count = static_cast<int>(record.attachments.size());
  if (count > kMaxSpawnAttachments) {
    WarningBox("NewHLO_callback : %s lists %d attachments; at most %d can be hung, none is.", record.objectName,
               count, kMaxSpawnAttachments);
    return;
  }
  CAnimObject* anim = soldier->GetAnimObject();
  if (anim == nullptr || g_Environment == nullptr) return;
  for (int i = 0; i < count; ++i) {
    const HLOAttachment& a = record.attachments[static_cast<std::size_t>(i)];
    const int connector = anim->FindConnector(HashString(a.connector));
    CEnvInstance* hung = g_Environment->FindInstanceByName(a.objectName);
    if (connector < 0 || hung == nullptr) continue;
    anim->AttachToConnector(connector, hung);
    anim->SetDrawFlags(anim->GetDrawFlags() | kDrawAttachments);
  }
}

}  // namespace

const char* HLOClassName(int kind) {
  switch (kind) {
    case HLO_GRUNT: return "CHLOGrunt";
    case HLO_ITEM: return "CInventoryItem";
    case HLO_WEAPON: return "CWeapon";
    default: return "CHLO";
  }
}

void StatTypeToHLOKind(HLOSpawnRecord& record, const void* stats) {
  const std::uint32_t kind = stats != nullptr ? *static_cast<const std::uint32_t*>(stats) : 0u;
  switch (kind) {
    case STATS_HUMAN: record.kind = HLO_GRUNT; break;
    case STATS_MACHINE: record.kind = HLO_VEHICLE; break;
    case STATS_BUILDING: record.kind = HLO_BUILDING; break;
    case STATS_FEATURE:
      record.kind = static_cast<const FeatureStats*>(stats)->FeatureType == FEATURE_BIRD ? HLO_BOID : HLO_FEATURE;
      break;
    case STATS_WEAPON: record.kind = HLO_WEAPON; break;
    case STATS_DOOR: record.kind = HLO_DOOR; break;
    case STATS_TARGET: record.kind = HLO_MOVER; break;
    default: record.kind = IsItemStatsKind(kind) ? HLO_ITEM : HLO_FEATURE; break;
  }
}

CHLO* NewHLO_callback(HLOSpawnRecord& record) {
  const void* stats = nullptr;
  if (record.statsName[0] != 0) {
    stats = StatsLookup(record.statsName, record.statsTable);
    if (stats == nullptr) {
      ErrorBox("NewHLO_callback : unable to find Stat %s", record.statsName);
      return nullptr;
    }
    StatTypeToHLOKind(record, stats);
  }
  CHLO* object = nullptr;
  if (record.kind == HLO_GRUNT) {
    MEM_OWNER();
    object = MEM_NEW(MEMCAT_WORLD_OBJECT) CHLOGrunt(record, stats, nullptr);
  } else if (record.kind == HLO_ITEM && stats != nullptr) {
    MEM_OWNER();
    object = MEM_NEW(MEMCAT_WORLD_OBJECT) CInventoryItem(record, stats);
  } else if (record.kind == HLO_WEAPON && stats != nullptr) {
    MEM_OWNER();
    object = MEM_NEW(MEMCAT_WORLD_OBJECT) CWeapon(record, stats);
  } else {
    if (record.kind >= 0 && record.kind < 10 && kLaterClasses[record.kind] != nullptr) {
      char what[96];
      std::snprintf(what, sizeof what, "%s (a plain world object stands in)", kLaterClasses[record.kind]);
      NotBuiltYet(what);
    }
    object = MakePlain(record, stats);
  }
  if (object == nullptr) return nullptr;
  if (stats != nullptr && record.kind == HLO_GRUNT) {
    auto* soldier = static_cast<CHLOGrunt*>(object);
    if (soldier->IsFriendly() && (soldier->Instance == nullptr || (soldier->Instance->Flags & kInstanceNetworkCreated) == 0))
      NotBuiltYet("squad split-screen assignment");
    if (static_cast<std::int8_t>(soldier->statsNumber) < 0 && !record.attachments.empty())
      HangAttachments(soldier, record);
  }
  BindObjectAssets(object);
  return object;
}

void DeleteHLO_callback(CHLO* object) {
  if (object == nullptr) return;
  MEM_DELETE object;
}

void SetupHLOCallbacks() {
  if (g_HLOManager == nullptr) return;
  g_HLOManager->SetFactory(NewHLO_callback);
  g_HLOManager->SetDeleteCallback(DeleteHLO_callback);
  g_HLOManager->SetStatsLookup(StatsLookup);
  // The save walker comes with saved games.
  g_HLOManager->SetSaveWalker(nullptr);
}

void ShowHLOInstanceCallback(CHLO* object) {
  if (object == nullptr || object->Instance == nullptr) return;
  // A soldier sitting in a seat that hides it stays hidden (seats come with
  // the vehicles: no seat hides one yet).
  object->Instance->SetVisible(true, false);
}

void HideHLOInstanceCallback(CHLO* object) {
  if (object != nullptr && object->Instance != nullptr) object->Instance->SetVisible(false, false);
}

void ShowHLOInstanceAlwaysCallback(CHLO* object) {
  if (object != nullptr && object->Instance != nullptr) object->Instance->SetVisible(true, false);
}
