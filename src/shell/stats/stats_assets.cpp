#include "shell/stats/stats_assets.h"

#include <cstdio>

#include "foundation/files/file_locator.h"
#include "foundation/system/message_box.h"
#include "foundation/system/not_built_yet.h"
#include "net/mp_layer.h"
#include "render/textures/texture_manager.h"
#include "shell/mission/mission.h"
#include "shell/program/game_objects.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/soldier_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/vehicle_stats.h"
#include "shell/stats/weapon_stats.h"
#include "shell/stats/world_object_stats.h"
#include "units/soldier/grunt.h"
#include "world/animation/anim_set.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"

bool g_PreloadStatsAssets = false;

namespace {

// The head every named record starts with: its models and texture.
struct AssetHead {
  const char* Model;
  const char* SecondModel;
  const char* Texture;
  void** ModelObject;
  void** SecondModelObject;
  void** TextureObject;
};

template <typename Record>
AssetHead HeadOf(Record* r) {
  return {r->ModelName, r->SecondModelName, r->TextureName, &r->Model, &r->SecondModel, &r->Texture};
}

bool HeadOfRecord(void* stats, AssetHead* out) {
  if (stats == nullptr) return false;
  const std::uint32_t kind = *static_cast<const std::uint32_t*>(stats);
  switch (kind) {
    case STATS_HUMAN: *out = HeadOf(static_cast<HumanStats*>(stats)); return true;
    case STATS_MACHINE: *out = HeadOf(static_cast<VehicleStats*>(stats)); return true;
    case STATS_WEAPON: *out = HeadOf(static_cast<WeaponStats*>(stats)); return true;
    case STATS_BUILDING:
    case STATS_FEATURE:
    case STATS_DOOR:
    case STATS_TARGET: *out = HeadOf(&static_cast<WorldObjectStatsHead*>(stats)[0]); return true;
    default:
      if (IsItemStatsKind(kind)) {
        *out = HeadOf(static_cast<InventoryStats*>(stats));
        return true;
      }
      return false;
  }
}

void ResolveModel(const char* name, void** object) {
  if (name == nullptr || name[0] == 0 || *object != nullptr) return;
  *object = FindModel(name);
}

void ResolveTexture(const char* name, void** object) {
  if (name == nullptr || name[0] == 0 || *object != nullptr) return;
  *object = FindTexture(name);
}

void ResolveAsset(StatsAsset& asset) { ResolveModel(asset.Name, &asset.Object); }

template <typename Record>
void ClearHeads(const StatsTable<Record>& table) {
  for (Record& r : table) {
    r.Model = nullptr;
    r.SecondModel = nullptr;
    r.Texture = nullptr;
  }
}

// The soldier's set-up: the texture its level record names (kept by the
// world object as its visual's texture) dresses the skinned body.
void SoldierSetUp(CHLOGrunt* soldier) {
  CAnimObject* anim = soldier->GetAnimObject();
  if (anim == nullptr || soldier->Instance->OverrideTexture == 0 || g_Environment == nullptr ||
      g_Environment->Textures == nullptr)
    return;
  if (CTexture* texture = g_Environment->Textures->FindById(soldier->Instance->OverrideTexture))
    anim->SetSkinTexture(texture);
}

}  // namespace

CEnvObject* FindModel(const char* name) {
  CEnvObject* model = g_Environment != nullptr && name != nullptr ? g_Environment->FindOrLoadObject(name, 0) : nullptr;
  if (model == nullptr) ErrorBox("Unable to find model %s", name != nullptr ? name : "");
  return model;
}

CTexture* FindTexture(const char* name) {
  CTexture* texture = g_LevelTextures != nullptr && name != nullptr ? g_LevelTextures->GetTexture(name, 0) : nullptr;
  if (texture == nullptr) ErrorBox("Unable to find texture %s", name != nullptr ? name : "");
  return texture;
}

void ClearResolvedAssets() {
  for (StructureStats& r : StructureStatsTable()) {
    r.Head.Model = r.Head.SecondModel = r.Head.Texture = nullptr;
    r.FurtherModel.Object = nullptr;
  }
  for (FeatureStats& r : FeatureStatsTable()) {
    r.Head.Model = r.Head.SecondModel = r.Head.Texture = nullptr;
    r.FurtherModel.Object = nullptr;
  }
  for (DoorStats& r : DoorStatsTable()) r.Head.Model = r.Head.SecondModel = r.Head.Texture = nullptr;
  ClearHeads(HumanStatsTable());
  for (VehicleStats& r : VehicleStatsTable()) {
    r.Model = r.SecondModel = r.Texture = nullptr;
    r.FurtherModel.Object = nullptr;
  }
  for (WeaponStats& r : WeaponStatsTable()) {
    r.Model = r.SecondModel = r.Texture = nullptr;
    for (StatsAsset& a : r.Assets) a.Object = nullptr;
    r.Shadow.Object = nullptr;
    for (StatsAsset& a : r.Animations) a.Object = nullptr;
  }
}

void BindWeaponAssets(void* weaponRecord) {
  auto* weapon = static_cast<WeaponStats*>(weaponRecord);
  if (weapon == nullptr) return;
  ResolveAsset(weapon->Shadow);
  ResolveTexture(weapon->Assets[0].Name, &weapon->Assets[0].Object);
  for (int i = 1; i < 8; ++i) ResolveAsset(weapon->Assets[i]);
  for (StatsAsset& a : weapon->Animations) {
    if (a.Name[0] == 0 || a.Object != nullptr) continue;
    a.Object = g_AnimSetManager.GetAnimSet(a.Name);
    if (a.Object == nullptr) ErrorBox("Unable to load animation %s", a.Name);
  }
}

void BindObjectAssets(CHLO* object) {
  if (object == nullptr) return;
  void* stats = const_cast<void*>(object->Stats);
  AssetHead head{};
  if (!HeadOfRecord(stats, &head)) return;
  const std::uint32_t kind = *static_cast<const std::uint32_t*>(stats);
  ResolveModel(head.Model, head.ModelObject);
  ResolveModel(head.SecondModel, head.SecondModelObject);
  if (kind != STATS_UNIFORM) ResolveTexture(head.Texture, head.TextureObject);
  switch (object->Kind) {
    case HLO_BUILDING:
      if (kind == STATS_BUILDING) ResolveAsset(static_cast<StructureStats*>(stats)->FurtherModel);
      break;
    case HLO_FEATURE:
      if (kind == STATS_FEATURE) ResolveAsset(static_cast<FeatureStats*>(stats)->FurtherModel);
      break;
    case HLO_VEHICLE:
      if (kind == STATS_MACHINE) ResolveAsset(static_cast<VehicleStats*>(stats)->FurtherModel);
      NotBuiltYet("vehicle asset set-up");
      break;
    case HLO_GRUNT:
      if (kind == STATS_HUMAN) SoldierSetUp(static_cast<CHLOGrunt*>(object));
      break;
    case HLO_WEAPON:
      if (kind == STATS_WEAPON) {
        auto* weapon = static_cast<WeaponStats*>(stats);
        BindWeaponAssets(weapon);
        if (weapon->WeaponClass == WEAPON_GRENADE_LAUNCH_RIFLE)
          BindWeaponAssets(const_cast<WeaponStats*>(GetGrenadeLauncherStats()));
      }
      break;
    default: break;
  }
}

int SkinNationality() {
  if (MPLayerStarted() && MPIsSessionRunning()) {
    // The multiplayer layer's choice of the local player.
    NotBuiltYet("multiplayer skin nationality");
    return 0;
  }
  return PlayerNation == 1 ? 1 : 0;
}

void ApplySkinsAndCharacterEffects() {
  const int nationality = SkinNationality();
  if (g_HLOManager != nullptr) {
    for (int side = 0; side < g_HLOManager->Sides(); ++side) {
      for (CHLO* list : {g_HLOManager->FirstActive(side, HLO_GRUNT), g_HLOManager->FirstInactive(side, HLO_GRUNT)}) {
        for (CHLO* o = list; o != nullptr; o = o->Next) {
          auto* soldier = static_cast<CHLOGrunt*>(o);
          const HumanStats* kind = soldier->GetHumanStats();
          if (kind == nullptr || kind->SoldierRole > 3) continue;
          const StatsTable<CharSkinStats>& skins = CharSkinTable(nationality, kind->SoldierRole);
          if (skins.Count > 0) soldier->SetCharacterSkin(&skins.Records[0]);
        }
      }
    }
  }
  if (g_Environment == nullptr) return;
  const bool firstMission = CurrentMissionId() == 0;
  const char* characters = nationality == 1 ? (firstMission ? "Characters_US_M1.rfx" : "Characters_US.rfx")
                                            : (firstMission ? "Characters_UK_M1.rfx" : "Characters_UK.rfx");
  g_Environment->LoadRenderEffects(characters, nullptr);
  g_Environment->LoadRenderEffects("Equipment.rfx", nullptr);
  g_Environment->LoadRenderEffects("Weapons.rfx", nullptr);
}

void PreloadStatsAssets() {
  if (!g_PreloadStatsAssets) return;
  NotBuiltYet("stats asset preload");
}

bool FindSkinTextureFile(const char* name, std::string* file) {
  if (name == nullptr || name[0] == 0) return false;
  for (const char* extension : {".dds", ".png", ".bmp"}) {
    const std::string candidate = std::string(name) + extension;
    if (FileExists(candidate.c_str())) {
      *file = candidate;
      return true;
    }
  }
  return false;
}
