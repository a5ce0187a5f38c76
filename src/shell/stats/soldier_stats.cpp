#include "shell/stats/soldier_stats.h"

#include <cctype>
#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/character_stats.h"
#include "shell/stats/stats_line_reader.h"

namespace {

StatsTable<BaseHumanStats> g_baseHumans;
StatsTable<HumanStats> g_humans;
ExperienceModifiers g_experience[kExperienceLevelCount];

void CopyOptional(char* out, const char* in) { std::strcpy(out, std::strcmp(in, "-1") == 0 ? "" : in); }

bool In16(const StatsLineReader& r, const char* loader, std::int64_t v, int column, const char* name) {
  if (v >= 0 && v <= 65535) return true;
  StatsError(r, "%s: column %d is outside of limits for %s", loader, column, name);
  return false;
}

const StatsNameEntry* NameEntry(const StatsLineReader& r, const char* name, bool first, const char* record) {
  if (std::strcmp(name, "-1") == 0) return nullptr;
  const StatsNameEntry* e = first ? FindFirstName(HashString(name)) : FindSurname(HashString(name));
  if (e == nullptr)
    StatsError(r, "loadHumanStats: unknown %s %s for Human %s", first ? "first name" : "surname", name, record);
  return e;
}

int SkillIndex(std::uint32_t bit) {
  for (int i = 0; i < 32; ++i)
    if (bit == (1u << i)) return i;
  return -1;
}

struct DefaultSkill {
  SkillMask skill;
  std::uint8_t level;
};

// Three default skills per role, in role order.
const DefaultSkill kRoleSkills[kSoldierRoleCount][3] = {
    {{SKILL_SMG_ASSAULT_RIFLE, 3}, {SKILL_PISTOL, 2}, {SKILL_COMBAT_ENG, 1}},
    {{SKILL_SNIPER, 3}, {SKILL_SMG_ASSAULT_RIFLE, 2}, {SKILL_PISTOL, 1}},
    {{SKILL_MACHINE_GUN, 2}, {SKILL_AT_GRENADE, 3}, {SKILL_PISTOL, 1}},
    {{SKILL_MEDIC, 3}, {SKILL_COMBAT_ENG, 2}, {SKILL_SMG_ASSAULT_RIFLE, 1}},
};

}  // namespace

bool loadBaseHumanStats(const char* text, std::uint32_t length) {
  g_baseHumans.Free();
  StatsLineReader r("HStat.txt", text, length);
  if (!g_baseHumans.Allocate(r.RecordCount())) {
    ErrorBox("loadBaseHumanStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    BaseHumanStats* s = &g_baseHumans.Records[r.Line() - 1];
    std::int64_t columns2To7[6] = {}, v9 = 0, v14 = 0, v16 = 0;
    float d8 = 0, duration = 0;
    r.Text(s->Name, sizeof(s->Name));
    for (std::int64_t& v : columns2To7) r.Int(&v);
    r.Float(&d8);
    r.Int(&v9);
    for (float& f : s->Floats10To13) r.Float(&f);
    r.Int(&v14);
    r.Float(&s->Float15);
    r.Int(&v16);
    r.Float(&s->Float17);
    r.Float(&duration);
    if (r.Failed()) {
      r.ShowFault(s->Name);
      return false;
    }
    // Columns 5 and 6 are kept swapped.
    static const int kColumnOfValue[6] = {2, 3, 4, 6, 5, 7};
    for (int i = 0; i < 6; ++i) {
      const std::int64_t v = columns2To7[kColumnOfValue[i] - 2];
      if (!In16(r, "loadBaseHumanStats", v, kColumnOfValue[i], s->Name)) return false;
      s->Values[i] = static_cast<std::uint16_t>(v);
    }
    s->Distance8 = MetresToCm(d8);
    if (!In16(r, "loadBaseHumanStats", v9, 9, s->Name) || !In16(r, "loadBaseHumanStats", v14, 14, s->Name) ||
        !In16(r, "loadBaseHumanStats", v16, 16, s->Name))
      return false;
    s->Value9 = static_cast<std::uint16_t>(v9);
    s->Value14 = static_cast<std::uint16_t>(v14);
    s->Value16 = static_cast<std::uint16_t>(v16);
    if (!SecondsToMs(duration, &s->Duration18)) {
      StatsError(r, "loadBaseHumanStats: column 18 is outside of limits for %s", s->Name);
      return false;
    }
  }
  return true;
}

bool loadHumanStats(const char* text, std::uint32_t length) {
  for (HumanStats& h : g_humans) FreeStatsName(h.Name);
  g_humans.Free();
  StatsLineReader r("Units.txt", text, length);
  if (!g_humans.Allocate(r.RecordCount())) {
    ErrorBox("loadHumanStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    HumanStats* s = &g_humans.Records[r.Line() - 1];
    char name[kStatsNameSize], character[64], model[kStatsNameSize], model2[kStatsNameSize], base[kStatsNameSize];
    char interfaceName[64], first[kStatsNameSize], surname[kStatsNameSize], level[64], role[64], name13[64];
    std::int64_t v9 = 0, slots = 0;
    r.Text(name, sizeof(name));
    r.Text(character, sizeof(character));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(base, sizeof(base));
    r.Text(interfaceName, sizeof(interfaceName), true);
    r.Text(first, sizeof(first));
    r.Text(surname, sizeof(surname));
    r.Int(&v9);
    r.Text(level, sizeof(level));
    r.Text(s->Text11, sizeof(s->Text11));
    r.Text(role, sizeof(role));
    r.Text(name13, sizeof(name13));
    r.Int(&slots);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    s->Kind = 1;
    s->Name = CopyStatsName(name);
    if (s->Name == nullptr) {
      ErrorBox("loadHumanStats - Out of memory");
      return false;
    }
    CopyOptional(s->ModelName, model);
    CopyOptional(s->SecondModelName, model2);
    s->FirstName = NameEntry(r, first, true, name);
    s->Surname = NameEntry(r, surname, false, name);
    s->Base = FindBaseHumanStats(base);
    if (s->Base == nullptr) {
      StatsError(r, "loadHumanStats: Invalid base stat %s for Human %s", base, name);
      return false;
    }
    s->CharacterType = CharacterTypeFromName(character);
    if (!In16(r, "loadHumanStats", v9, 9, name)) return false;
    s->Value9 = static_cast<std::uint16_t>(v9);
    s->ExperienceLevel = ExperienceLevelFromName(level);
    if (s->ExperienceLevel == EXPERIENCE_INVALID) {
      StatsError(r, "loadHumanStats:Invalid Experience Level %s", level);
      return false;
    }
    s->InterfaceId = std::strcmp(interfaceName, "-1") == 0 ? kNoInterfaceId : InterfaceIdFromName(interfaceName);
    if (slots < 0) {
      StatsError(r, "loadHumanStats: column 14 is outside of limits for %s", name);
      return false;
    }
    if (slots > kStatsItemSlots) {
      StatsError(r, "loadHumanStats: item slot count %d of Human %s is more than %d; %d are used",
                 static_cast<int>(slots), name, kStatsItemSlots, kStatsItemSlots);
      slots = kStatsItemSlots;
    }
    s->ItemSlotCount = static_cast<std::uint8_t>(slots);
    s->SoldierRole = std::strcmp(role, "-1") == 0 ? ROLE_NONE : SoldierRoleFromName(role);
    s->Hash13 = std::strcmp(name13, "-1") == 0 ? 0 : HashString(name13);
    if (!IndexStatsName(r, g_humans.Index, HashString(name), r.Line() - 1, s->Name)) return false;
  }
  return true;
}

bool loadHumanSkills(const char* text, std::uint32_t length) {
  StatsLineReader r("HSkills.txt", text, length);
  while (r.NextRecord()) {
    char kind[kStatsNameSize], skill[64];
    std::int64_t level = 0;
    r.Text(kind, sizeof(kind));
    r.Text(skill, sizeof(skill));
    r.Int(&level);
    if (r.Failed()) {
      r.ShowFault(kind);
      return false;
    }
    HumanStats* h = g_humans.Find(HashString(kind));
    if (h == nullptr) {
      StatsError(r, "loadHumanSkills:Invalid Human Stat %s", kind);
      return false;
    }
    const SkillMask bit = SkillMaskFromName(skill);
    if (bit == SKILL_INVALID) {
      StatsError(r, "loadHumanSkills:Invalid Skill %s", skill);
      return false;
    }
    h->SkillMask |= bit;
    if (level < 0 || level > 4) {
      StatsError(r, "loadHumanSkills:Invalid Skill level for %s", kind);
      level = 0;
    }
    const int index = SkillIndex(bit);
    if (index < 0 || index >= kSkillCount) {
      StatsError(r, "loadHumanSkills:Skill loading error for %s", kind);
      return false;
    }
    h->SkillLevels[index] = static_cast<std::uint8_t>(level);
  }
  for (int role = 0; role < kSoldierRoleCount; ++role) {
    HumanStats* h = FindFirstHumanOfRole(role);
    if (h == nullptr) {
      ErrorBox("loadHumanSkills:Invalid US Skin Type %d", role);
      return false;
    }
    for (const DefaultSkill& d : kRoleSkills[role]) {
      h->DefaultSkillMask |= d.skill;
      h->DefaultSkillLevels[SkillIndex(d.skill)] = d.level;
    }
  }
  return true;
}

bool loadExperienceModifiers(const char* text, std::uint32_t length) {
  std::memset(g_experience, 0, sizeof(g_experience));
  StatsLineReader r("ExMods.txt", text, length);
  while (r.NextRecord()) {
    char name[64];
    std::int64_t points = 0;
    float values[16] = {};
    r.Text(name, sizeof(name));
    r.Int(&points);
    for (int i = 0; i < 16; ++i) r.Float(&values[i]);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    const ExperienceLevel level = ExperienceLevelFromName(name);
    if (level == EXPERIENCE_INVALID) {
      StatsError(r, "loadExperienceModifiers:Invalid Experience Level %s", name);
      return false;
    }
    ExperienceModifiers& m = g_experience[level];
    m.Values[0] = static_cast<float>(points);
    for (int i = 0; i < 16; ++i) m.Values[1 + i] = values[i];
  }
  return true;
}

const StatsTable<BaseHumanStats>& BaseHumanStatsTable() { return g_baseHumans; }
const StatsTable<HumanStats>& HumanStatsTable() { return g_humans; }

const BaseHumanStats* FindBaseHumanStats(const char* name) {
  if (name == nullptr) return nullptr;
  for (const BaseHumanStats& s : g_baseHumans)
    if (std::strcmp(s.Name, name) == 0) return &s;
  return nullptr;
}

HumanStats* FindHumanStatsByHash(std::uint32_t hash) { return g_humans.Find(hash); }

HumanStats* FindFirstHumanOfRole(int role) {
  for (HumanStats& h : g_humans)
    if (h.Name != nullptr && h.SoldierRole == role) return &h;
  return nullptr;
}

const ExperienceModifiers* GetExperienceModifiers(int level) {
  return level >= 0 && level < kExperienceLevelCount ? &g_experience[level] : nullptr;
}

int ExperienceLevelFromPoints(float points) {
  int level = 0;
  while (level < 9 && points >= g_experience[level + 1].Values[0]) ++level;
  return level;
}

int NextExperienceLevel(float points) {
  const int level = ExperienceLevelFromPoints(points) + 1;
  return level > 9 ? 9 : level;
}

void FreeSoldierStats() {
  g_baseHumans.Free();
  for (HumanStats& h : g_humans) FreeStatsName(h.Name);
  g_humans.Free();
  std::memset(g_experience, 0, sizeof(g_experience));
}
