#include "shell/stats/item_stats.h"

#include <cctype>
#include <cmath>
#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"

namespace {

StatsTable<InventoryStats> g_items;

std::uint32_t UpperHash(const char* text) {
  char upper[64];
  std::size_t i = 0;
  for (; text[i] && i + 1 < sizeof(upper); ++i)
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  upper[i] = 0;
  return HashString(upper);
}

void CopyOptional(char* out, const char* in) { std::strcpy(out, std::strcmp(in, "-1") == 0 ? "" : in); }

// The zoom limits of binoculars and laser designators, clamped into 1-70
// degrees; an inverted range is reset to 70 to 1.
void ClampZoom(const StatsLineReader& r, std::int64_t* maxFov, std::int64_t* minFov, const char* name) {
  if (*maxFov == 0 || *maxFov > 70) {
    StatsError(r, "loadInventoryStats:invalid maxFOV(roundsPerPack) %d for item %s", static_cast<int>(*maxFov), name);
    *maxFov = 70;
  }
  if (*minFov == 0) {
    StatsError(r, "loadInventoryStats:invalid minFOV(damage) %d for item %s", static_cast<int>(*minFov), name);
    *minFov = 1;
  }
  if (*maxFov < *minFov) {
    StatsError(r, "loadInventoryStats:minFOV(damage) is greater \t\t\t\t\tthan maxFOV (roundsPerPack) for item %s", name);
    *maxFov = 70;
    *minFov = 1;
  }
}

}  // namespace

bool loadInventoryStats(const char* text, std::uint32_t length) {
  FreeInventoryStats();
  StatsLineReader r("Inven.txt", text, length);
  if (!g_items.Allocate(r.RecordCount())) {
    ErrorBox("loadInventoryStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    InventoryStats* s = &g_items.Records[r.Line() - 1];
    char name[kStatsNameSize], type[64], model[kStatsNameSize], model2[kStatsNameSize], texture[kStatsNameSize];
    char interfaceName[64], name7[64], weapon[kStatsNameSize], soundBank[kStatsFileStemSize];
    std::int64_t rounds = 0, damage = 0, flag = 0;
    float duration = 0.0f, float14 = 0.0f;
    r.Text(name, sizeof(name));
    r.Text(type, sizeof(type));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(texture, sizeof(texture), true);
    r.Text(interfaceName, sizeof(interfaceName));
    r.Text(name7, sizeof(name7));
    r.Text(weapon, sizeof(weapon));
    r.Int(&rounds);
    r.Int(&damage);
    r.Float(&duration);
    r.Int(&flag);
    r.Text(soundBank, sizeof(soundBank));
    r.Float(&float14);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    s->Name = CopyStatsName(name);
    if (s->Name == nullptr) {
      ErrorBox("loadInventoryStats - Out of memory");
      return false;
    }
    s->NameHashNoCase = HashStringNoCase(name);
    s->Kind = StatsKindFromName(type);
    if (s->Kind == STATS_INVALID) {
      StatsError(r, "Invalid item type for record %s", name);
      return false;
    }
    if (std::strcmp(model, "-1") == 0) {
      StatsError(r, "loadInventoryStats: item %s has no model", name);
      return false;
    }
    std::strcpy(s->ModelName, model);
    CopyOptional(s->SecondModelName, model2);
    CopyOptional(s->TextureName, texture);
    s->InterfaceId = std::strcmp(interfaceName, "-1") == 0 ? kNoInterfaceId : InterfaceIdFromName(interfaceName);
    s->Hash7 = UpperHash(name7);
    if (std::strcmp(weapon, "-1") != 0) {
      s->AmmoWeapon = FindWeaponStatsByHash(HashString(weapon));
      if (s->AmmoWeapon == nullptr) {
        StatsError(r, "loadInventoryStats: Unable to find weapon for ammo item %s", name);
        return false;
      }
    }
    if (rounds < 0 || rounds > 255) {
      StatsError(r, "loadInventoryStats: roundsPerPack is outside of limits for item %s", name);
      return false;
    }
    if (damage < 0 || damage > 65535) {
      StatsError(r, "loadInventoryStats: damage is outside of limits for item %s", name);
      return false;
    }
    if (flag < 0 || flag > 255) {
      StatsError(r, "loadInventoryStats: the flag of column 12 is outside of limits for item %s", name);
      return false;
    }
    if (s->Kind == STATS_BINOCULARS || s->Kind == STATS_LASER_DESIGNATOR) ClampZoom(r, &rounds, &damage, name);
    s->roundsPerPack = static_cast<std::uint16_t>(rounds);
    s->damage = static_cast<std::uint16_t>(damage);
    s->Duration11 = std::floor(duration * 1000.0f);
    s->Flag12 = static_cast<std::uint8_t>(flag);
    if (std::strcmp(soundBank, "-1") != 0) {
      std::strcpy(s->SoundBank, soundBank);
      std::strcat(s->SoundBank, ".sbk");
    }
    s->Float14 = float14;
    if (!IndexStatsName(r, g_items.Index, HashString(name), r.Line() - 1, s->Name)) return false;
  }
  return true;
}

const StatsTable<InventoryStats>& InventoryStatsTable() { return g_items; }

InventoryStats* FindInventoryStatsByHash(std::uint32_t hash) { return g_items.Find(hash); }

void* FindItemOrWeaponByHash(std::uint32_t hash) {
  if (InventoryStats* item = g_items.Find(hash)) return item;
  return FindWeaponStatsByHash(hash);
}

void FreeInventoryStats() {
  for (InventoryStats& s : g_items) FreeStatsName(s.Name);
  g_items.Free();
}
