#include "shell/stats/character_stats.h"

#include <array>
#include <cstring>
#include <vector>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/item_stats.h"
#include "shell/stats/stats_kind.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/stats_names.h"
#include "shell/stats/weapon_stats.h"

namespace {

StatsTable<StatsNameEntry> g_firstNames;
StatsTable<StatsNameEntry> g_surnames;
StatsTable<std::uint16_t> g_interfaceIds;
StatsTable<CharSkinStats> g_skins[kNationalityCount][kSoldierRoleCount];
ConnectorObjectStats g_connectors[kNationalityCount * kSoldierRoleCount][kConnectorObjectsPerPair];
StatsTable<MPCharStats> g_mpChars;

bool LoadNames(const char* file, const char* loader, StatsTable<StatsNameEntry>& table, const char* text,
               std::uint32_t length) {
  table.Free();
  StatsLineReader r(file, text, length);
  if (!table.Allocate(r.RecordCount())) {
    ErrorBox("%s - Out of memory", loader);
    return false;
  }
  while (r.NextRecord()) {
    StatsNameEntry* e = &table.Records[r.Line() - 1];
    std::int64_t ignored = 0;
    r.Text(e->Name, sizeof(e->Name));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(e->Name);
      return false;
    }
    e->Hash = HashString(e->Name);
    if (!IndexStatsName(r, table.Index, e->Hash, r.Line() - 1, e->Name)) return false;
  }
  return true;
}

// The entry named by a text column: none for "-1"; an unknown name warns and
// gives none.
const StatsNameEntry* NameEntry(const StatsLineReader& r, const StatsTable<StatsNameEntry>& table, const char* name,
                                const char* what, const char* record) {
  if (std::strcmp(name, "-1") == 0) return nullptr;
  const StatsNameEntry* e = table.Find(HashString(name));
  if (e == nullptr) StatsError(r, "%s: unknown %s %s for %s", r.File(), what, name, record);
  return e;
}

const char* const kNationalityPrefixes[kNationalityCount] = {"SAS_", "US_", "RU_", "IR_"};
const char kRoleLetters[kSoldierRoleCount] = {'R', 'S', 'H', 'C'};

}  // namespace

bool loadFirstNames(const char* text, std::uint32_t length) {
  return LoadNames("fNames.txt", "loadFirstNames", g_firstNames, text, length);
}

bool loadSurames(const char* text, std::uint32_t length) {
  return LoadNames("sNames.txt", "loadSurames", g_surnames, text, length);
}

bool loadInterfaceIDs(const char* text, std::uint32_t length) {
  g_interfaceIds.Free();
  StatsLineReader r("intIDs.txt", text, length);
  if (!g_interfaceIds.Allocate(r.RecordCount())) {
    ErrorBox("loadInterfaceIDs - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    char name[64];
    std::int64_t ignored = 0;
    r.Text(name, sizeof(name));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    g_interfaceIds.Records[r.Line() - 1] = InterfaceIdFromName(name);
  }
  return true;
}

const char* CharSkinFileName(int nationality, int role) {
  static char name[32];
  if (nationality < 0 || nationality >= kNationalityCount || role < 0 || role >= kSoldierRoleCount) return "";
  std::strcpy(name, "CSkins_");
  std::strcat(name, kNationalityPrefixes[nationality]);
  const char letter[2] = {kRoleLetters[role], 0};
  std::strcat(name, letter);
  std::strcat(name, ".txt");
  return name;
}

bool loadCharSkinStats(const char* text, std::uint32_t length, int nationality, int role) {
  if (nationality < 0 || nationality >= kNationalityCount || role < 0 || role >= kSoldierRoleCount) return false;
  char file[32];
  std::strcpy(file, CharSkinFileName(nationality, role));
  StatsTable<CharSkinStats>& table = g_skins[nationality][role];
  table.Free();
  StatsLineReader r(file, text, length);
  if (!table.Allocate(r.RecordCount())) {
    ErrorBox("loadCharSkinStats - Out of memory");
    return false;
  }
  // The records keep only the hash of a skin name; the names stay here for
  // the load, so that two names of one hash are told apart.
  std::vector<std::array<char, kStatsNameSize>> names(static_cast<std::size_t>(r.RecordCount()));
  while (r.NextRecord()) {
    CharSkinStats* s = &table.Records[r.Line() - 1];
    char* name = names[static_cast<std::size_t>(r.Line() - 1)].data();
    char first[kStatsNameSize], surname[kStatsNameSize];
    std::int64_t ignored = 0;
    r.Text(name, kStatsNameSize);
    r.Text(s->Texture, sizeof(s->Texture));
    r.Text(s->Texture2, sizeof(s->Texture2));
    r.Text(first, sizeof(first));
    r.Text(surname, sizeof(surname));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    s->Hash = HashString(name);
    s->FirstName = NameEntry(r, g_firstNames, first, "first name", name);
    s->Surname = NameEntry(r, g_surnames, surname, "surname", name);
    if (!IndexStatsName(r, table.Index, s->Hash, r.Line() - 1, name)) return false;
  }
  return true;
}

bool loadConnectorObjectsStats(const char* text, std::uint32_t length) {
  std::memset(g_connectors, 0, sizeof(g_connectors));
  StatsLineReader r("ConnObjs.txt", text, length);
  while (r.NextRecord()) {
    char role[64], connector[64], object[kStatsNameSize], nationality[64];
    std::int64_t ignored = 0;
    r.Text(role, sizeof(role));
    r.Text(connector, sizeof(connector));
    r.Text(object, sizeof(object));
    r.Text(nationality, sizeof(nationality));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(connector);
      return false;
    }
    const SoldierRole roleValue = SoldierRoleFromName(role);
    if (roleValue == ROLE_NONE) {
      StatsError(r, "loadConnectorObjectsStats: Invalid role %s for connector %s", role, connector);
      return false;
    }
    const int pair = static_cast<int>(NationalityFromName(nationality)) + 4 * roleValue;
    ConnectorObjectStats* free = nullptr;
    for (ConnectorObjectStats& c : g_connectors[pair])
      if (c.ConnectorHash == 0) {
        free = &c;
        break;
      }
    if (free == nullptr) {
      StatsError(r, "loadConnectorObjectsStats: Not enough space\t\t\t\tallocated for Connectors");
      return false;
    }
    free->ConnectorHash = HashString(connector);
    std::strcpy(free->Object, object);
  }
  return true;
}

bool loadMPCharStats(const char* text, std::uint32_t length) {
  g_mpChars.Free();
  StatsLineReader r("MPSkins.txt", text, length);
  if (r.RecordCount() != kMPCharCount) {
    ErrorBox("loadMPCharStats: Too many MP Character records");
    return false;
  }
  if (!g_mpChars.Allocate(kMPCharCount)) {
    ErrorBox("loadMPCharStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    char role[64], description[sizeof(MPCharStats::Text)];
    std::int64_t ignored = 0;
    r.Text(role, sizeof(role));
    r.Text(description, sizeof(description));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(role);
      return false;
    }
    const SoldierRole roleValue = SoldierRoleFromName(role);
    if (roleValue == ROLE_NONE) {
      StatsError(r, "loadMPCharStats - Invalid skin Type");
      return false;
    }
    std::strcpy(g_mpChars.Records[roleValue].Text, description);
  }
  return true;
}

bool loadMPCharItems(const char* text, std::uint32_t length) {
  StatsLineReader r("MPSkinItems.txt", text, length);
  while (r.NextRecord()) {
    char role[64], item[kStatsNameSize], type[64], nationality[64];
    std::int64_t quantity = 0;
    r.Text(role, sizeof(role));
    r.Text(item, sizeof(item));
    r.Text(type, sizeof(type));
    r.Text(nationality, sizeof(nationality));
    r.Int(&quantity);
    if (r.Failed()) {
      r.ShowFault(item);
      return false;
    }
    const StatsKind kind = StatsKindFromName(type);
    if (kind == STATS_INVALID) {
      StatsError(r, "loadMPCharItems:Invalid unit type");
      return false;
    }
    const SoldierRole roleValue = SoldierRoleFromName(role);
    if (roleValue == ROLE_NONE) {
      StatsError(r, "loadMPCharItems - Invalid skin Type");
      return false;
    }
    const int nation = static_cast<int>(NationalityFromName(nationality));
    const std::uint32_t hash = HashString(item);
    const void* record = kind == STATS_WEAPON ? static_cast<const void*>(FindWeaponStatsByHash(hash))
                                              : static_cast<const void*>(FindInventoryStatsByHash(hash));
    if (record == nullptr) {
      StatsError(r, "loadMPCharItems:Invalid Item Stat %s", item);
      return false;
    }
    if (g_mpChars.Records == nullptr) {
      StatsError(r, "loadMPCharItems: the multiplayer characters are not loaded");
      return false;
    }
    MPCharStats& c = g_mpChars.Records[roleValue];
    int slot = 0;
    while (slot < kStatsItemSlots && c.Items[nation][slot] != nullptr) ++slot;
    if (slot == kStatsItemSlots) {
      StatsError(r, "loadMPCharItems:Trying to allocate too many Items for SkinType %s", role);
      return false;
    }
    c.Items[nation][slot] = record;
    c.Counts[nation][slot] = static_cast<std::int32_t>(quantity);
  }
  return true;
}

const StatsTable<StatsNameEntry>& FirstNameTable() { return g_firstNames; }
const StatsTable<StatsNameEntry>& SurnameTable() { return g_surnames; }
const StatsNameEntry* FindFirstName(std::uint32_t hash) { return g_firstNames.Find(hash); }
const StatsNameEntry* FindSurname(std::uint32_t hash) { return g_surnames.Find(hash); }
const StatsTable<std::uint16_t>& InterfaceIdTable() { return g_interfaceIds; }

const StatsTable<CharSkinStats>& CharSkinTable(int nationality, int role) {
  static const StatsTable<CharSkinStats> kEmpty;
  if (nationality < 0 || nationality >= kNationalityCount || role < 0 || role >= kSoldierRoleCount) return kEmpty;
  return g_skins[nationality][role];
}

const CharSkinStats* FindCharSkin(std::uint32_t hash, int nationality, int role) {
  if (hash == 0 || nationality < 0 || nationality >= kNationalityCount || role < 0 || role >= kSoldierRoleCount)
    return nullptr;
  return g_skins[nationality][role].Find(hash);
}

const ConnectorObjectStats* ConnectorObjects(int nationality, int role) {
  if (nationality < 0 || nationality >= kNationalityCount || role < 0 || role >= kSoldierRoleCount) return nullptr;
  return g_connectors[nationality + 4 * role];
}

const MPCharStats* FindMPCharStats(int role) {
  if (role < 0 || role >= kMPCharCount || g_mpChars.Records == nullptr) return nullptr;
  return &g_mpChars.Records[role];
}

void FreeCharacterStats() {
  g_firstNames.Free();
  g_surnames.Free();
  g_interfaceIds.Free();
  for (auto& nation : g_skins)
    for (auto& table : nation) table.Free();
  std::memset(g_connectors, 0, sizeof(g_connectors));
  g_mpChars.Free();
}
