#include "shell/stats/world_object_stats.h"

#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/stats_names.h"

namespace {

StatsTable<ObjectStats> g_objects;
StatsTable<StructureStats> g_structures;
StatsTable<FeatureStats> g_features;
StatsTable<DoorStats> g_doors;
StatsTable<TargetStats> g_targets;

void CopyOptional(char* out, const char* in) { std::strcpy(out, std::strcmp(in, "-1") == 0 ? "" : in); }

// Fills the shared head from the name and the three asset names; the model
// is required.
bool FillHead(const StatsLineReader& r, const char* loader, std::uint32_t kind, const char* name, const char* model,
              const char* model2, const char* texture, WorldObjectStatsHead* h) {
  h->Kind = kind;
  h->Name = CopyStatsName(name);
  if (h->Name == nullptr) {
    ErrorBox("%s - Out of memory", loader);
    return false;
  }
  if (std::strcmp(model, "-1") == 0) {
    StatsError(r, "%s: %s has no model", loader, name);
    return false;
  }
  std::strcpy(h->ModelName, model);
  CopyOptional(h->SecondModelName, model2);
  if (texture != nullptr) CopyOptional(h->TextureName, texture);
  return true;
}

bool InUnsigned16(const StatsLineReader& r, const char* loader, std::int64_t v, int column, const char* name) {
  if (v >= 0 && v <= 65535) return true;
  StatsError(r, "%s: column %d is outside of limits for %s", loader, column, name);
  return false;
}

template <typename Record>
void FreeNamed(StatsTable<Record>& table) {
  for (Record& s : table) FreeStatsName(s.Head.Name);
  table.Free();
}

}  // namespace

bool loadObjectStats(const char* text, std::uint32_t length) {
  g_objects.Free();
  StatsLineReader r("featStat.txt", text, length);
  if (!g_objects.Allocate(r.RecordCount())) {
    ErrorBox("loadObjectStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    ObjectStats* s = &g_objects.Records[r.Line() - 1];
    std::int64_t v2 = 0, v3 = 0, v5 = 0;
    float distance = 0.0f;
    r.Text(s->Name, sizeof(s->Name));
    r.Int(&v2);
    r.Int(&v3);
    r.Float(&distance);
    r.Int(&v5);
    if (r.Failed()) {
      r.ShowFault(s->Name);
      return false;
    }
    if (!InUnsigned16(r, "loadObjectStats", v2, 2, s->Name) || !InUnsigned16(r, "loadObjectStats", v3, 3, s->Name))
      return false;
    s->Value2 = static_cast<std::uint16_t>(v2);
    s->Value3 = static_cast<std::uint16_t>(v3);
    s->Distance4 = MetresToCm(distance);
    s->Value5 = static_cast<std::int32_t>(v5);
  }
  return true;
}

bool loadStructureStats(const char* text, std::uint32_t length) {
  FreeNamed(g_structures);
  StatsLineReader r("Structs.txt", text, length);
  if (!g_structures.Allocate(r.RecordCount())) {
    ErrorBox("Structure Stats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    StructureStats* s = &g_structures.Records[r.Line() - 1];
    char name[kStatsNameSize], model[kStatsNameSize], model2[kStatsNameSize], texture[kStatsNameSize];
    char damage[kStatsNameSize], further[kStatsNameSize];
    std::int64_t v7 = 0;
    r.Text(name, sizeof(name));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(texture, sizeof(texture));
    r.Text(damage, sizeof(damage), true);
    r.Text(further, sizeof(further));
    r.Int(&v7);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    if (!FillHead(r, "Structure Stats", 3, name, model, model2, texture, &s->Head)) return false;
    s->Damage = FindObjectStats(damage);
    if (s->Damage == nullptr) {
      StatsError(r, "Invalid Object Stat %s for Structure %s", damage, name);
      return false;
    }
    if (!InUnsigned16(r, "Structure Stats", v7, 7, name)) return false;
    s->Value7 = static_cast<std::uint16_t>(v7);
    CopyOptional(s->FurtherModel.Name, further);
    if (!IndexStatsName(r, g_structures.Index, HashString(name), r.Line() - 1, s->Head.Name)) return false;
  }
  return true;
}

bool loadFeatureStats(const char* text, std::uint32_t length) {
  FreeNamed(g_features);
  StatsLineReader r("Feats.txt", text, length);
  if (!g_features.Allocate(r.RecordCount())) {
    ErrorBox("Feature Stats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    FeatureStats* s = &g_features.Records[r.Line() - 1];
    char name[kStatsNameSize], model[kStatsNameSize], model2[kStatsNameSize], texture[kStatsNameSize];
    char damage[kStatsNameSize], type[64], further[kStatsNameSize];
    std::int64_t v7 = 0, byte9 = 0;
    r.Text(name, sizeof(name));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(texture, sizeof(texture));
    r.Text(damage, sizeof(damage), true);
    r.Text(type, sizeof(type));
    r.Int(&v7);
    r.Text(further, sizeof(further));
    r.Int(&byte9);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    if (!FillHead(r, "Feature Stats", 4, name, model, model2, texture, &s->Head)) return false;
    s->Damage = FindObjectStats(damage);
    if (s->Damage == nullptr) {
      StatsError(r, "Invalid Object Stat %s for Feature %s", damage, name);
      return false;
    }
    if (!InUnsigned16(r, "Feature Stats", v7, 7, name)) return false;
    s->Value7 = static_cast<std::uint16_t>(v7);
    s->FeatureType = FeatureTypeFromName(type);
    if (s->FeatureType == FEATURE_INVALID) {
      StatsError(r, "Invalid Feature type for record %s", name);
      return false;
    }
    if (byte9 < 0 || byte9 > 255) {
      StatsError(r, "Feature Stats: column 9 is outside of limits for %s", name);
      return false;
    }
    s->Byte9 = static_cast<std::uint8_t>(byte9);
    CopyOptional(s->FurtherModel.Name, further);
    if (!IndexStatsName(r, g_features.Index, HashString(name), r.Line() - 1, s->Head.Name)) return false;
  }
  return true;
}

bool loadDoorStats(const char* text, std::uint32_t length) {
  FreeNamed(g_doors);
  StatsLineReader r("Doors.txt", text, length);
  if (!g_doors.Allocate(r.RecordCount())) {
    ErrorBox("Door Stats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    DoorStats* s = &g_doors.Records[r.Line() - 1];
    char name[kStatsNameSize], model[kStatsNameSize], model2[kStatsNameSize], texture[kStatsNameSize];
    char sound[kStatsFileStemSize];
    std::int64_t values[2] = {};
    float distances[3] = {};
    r.Text(name, sizeof(name));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(texture, sizeof(texture));
    r.Text(sound, sizeof(sound));
    for (int i = 0; i < 6; ++i) r.Float(&s->Floats6To11[i]);
    for (std::int64_t& v : values) r.Int(&v);
    for (float& d : distances) r.Float(&d);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    if (!FillHead(r, "Door Stats", 15, name, model, model2, texture, &s->Head)) return false;
    for (int i = 0; i < 2; ++i) s->Values12To13[i] = static_cast<std::int32_t>(values[i]);
    for (int i = 0; i < 3; ++i) s->Distances14To16[i] = MetresToCm(distances[i]);
    if (std::strcmp(sound, "-1") != 0) {
      std::strcpy(s->SoundBank, sound);
      std::strcat(s->SoundBank, ".sbk");
    }
    if (!IndexStatsName(r, g_doors.Index, HashString(name), r.Line() - 1, s->Head.Name)) return false;
  }
  return true;
}

bool loadTargetStats(const char* text, std::uint32_t length) {
  FreeNamed(g_targets);
  StatsLineReader r("Targets.txt", text, length);
  if (!g_targets.Allocate(r.RecordCount())) {
    ErrorBox("Target Stats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    TargetStats* s = &g_targets.Records[r.Line() - 1];
    char name[kStatsNameSize], model[kStatsNameSize], model2[kStatsNameSize];
    std::int64_t values[2] = {};
    r.Text(name, sizeof(name));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    for (float& f : s->Floats4To9) r.Float(&f);
    for (std::int64_t& v : values) r.Int(&v);
    for (float& f : s->Floats12To14) r.Float(&f);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    if (!FillHead(r, "Target Stats", 21, name, model, model2, nullptr, &s->Head)) return false;
    for (int i = 0; i < 2; ++i) s->Values10To11[i] = static_cast<std::int32_t>(values[i]);
    if (!IndexStatsName(r, g_targets.Index, HashString(name), r.Line() - 1, s->Head.Name)) return false;
  }
  return true;
}

const StatsTable<ObjectStats>& ObjectStatsTable() { return g_objects; }
const StatsTable<StructureStats>& StructureStatsTable() { return g_structures; }
const StatsTable<FeatureStats>& FeatureStatsTable() { return g_features; }
const StatsTable<DoorStats>& DoorStatsTable() { return g_doors; }
const StatsTable<TargetStats>& TargetStatsTable() { return g_targets; }

const ObjectStats* FindObjectStats(const char* name) {
  if (name == nullptr) return nullptr;
  for (const ObjectStats& s : g_objects)
    if (std::strcmp(s.Name, name) == 0) return &s;
  return nullptr;
}

StructureStats* FindStructureStatsByHash(std::uint32_t hash) { return g_structures.Find(hash); }
FeatureStats* FindFeatureStatsByHash(std::uint32_t hash) { return g_features.Find(hash); }
DoorStats* FindDoorStatsByHash(std::uint32_t hash) { return g_doors.Find(hash); }
TargetStats* FindTargetStatsByHash(std::uint32_t hash) { return g_targets.Find(hash); }

FeatureStats* FindBirdFeature() {
  for (FeatureStats& f : g_features)
    if (f.Head.Name != nullptr && f.FeatureType == FEATURE_BIRD) return &f;
  return nullptr;
}

void FreeWorldObjectStats() {
  g_objects.Free();
  FreeNamed(g_structures);
  FreeNamed(g_features);
  FreeNamed(g_doors);
  FreeNamed(g_targets);
}
