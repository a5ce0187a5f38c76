#include "shell/stats/vehicle_stats.h"

#include <cctype>
#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/text/hash.h"
#include "shell/stats/stats_line_reader.h"
#include "shell/stats/stats_names.h"

namespace {

StatsTable<PropulsionStats> g_propulsion;
StatsTable<BaseVehicleStats> g_baseVehicles;
StatsTable<VehicleStats> g_vehicles;

void CopyOptional(char* out, const char* in) { std::strcpy(out, std::strcmp(in, "-1") == 0 ? "" : in); }

std::uint32_t UpperHashOrNone(const char* text) {
  if (std::strcmp(text, "-1") == 0) return 0;
  char upper[64];
  std::size_t i = 0;
  for (; text[i] && i + 1 < sizeof(upper); ++i)
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  upper[i] = 0;
  return HashString(upper);
}

bool In16(const StatsLineReader& r, const char* loader, std::int64_t v, int column, const char* name) {
  if (v >= 0 && v <= 65535) return true;
  StatsError(r, "%s: column %d is outside of limits for %s", loader, column, name);
  return false;
}

}  // namespace

bool loadPropulsionStats(const char* text, std::uint32_t length) {
  g_propulsion.Free();
  StatsLineReader r("Props.txt", text, length);
  if (!g_propulsion.Allocate(r.RecordCount())) {
    ErrorBox("loadPropulsionStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    PropulsionStats* s = &g_propulsion.Records[r.Line() - 1];
    char type[64];
    std::int64_t ignored = 0;
    r.Text(s->Name, sizeof(s->Name));
    r.Text(type, sizeof(type));
    r.Text(s->Text3, sizeof(s->Text3));
    r.Int(&ignored);
    if (r.Failed()) {
      r.ShowFault(s->Name);
      return false;
    }
    s->Type = PropulsionTypeFromName(type);
    if (s->Type == PROPULSION_INVALID) {
      StatsError(r, "loadPropulsionStats: Invalid Prop type for %s", s->Name);
      return false;
    }
    if (!IndexStatsName(r, g_propulsion.Index, HashString(s->Name), r.Line() - 1, s->Name)) return false;
  }
  return true;
}

bool loadBaseVehicleStats(const char* text, std::uint32_t length) {
  g_baseVehicles.Free();
  StatsLineReader r("VStat.txt", text, length);
  if (!g_baseVehicles.Allocate(r.RecordCount())) {
    ErrorBox("loadBaseVehicleStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    BaseVehicleStats* s = &g_baseVehicles.Records[r.Line() - 1];
    std::int64_t v2to6[5] = {}, v8 = 0, flag10 = 0, v11 = 0, crew = 0, v17to20[4] = {};
    float d7 = 0, d9 = 0, d21to27[7] = {};
    char propulsion[kStatsNameSize];
    r.Text(s->Name, sizeof(s->Name));
    for (std::int64_t& v : v2to6) r.Int(&v);
    r.Float(&d7);
    r.Int(&v8);
    r.Float(&d9);
    r.Int(&flag10);
    r.Int(&v11);
    r.Int(&crew);
    r.Text(propulsion, sizeof(propulsion));
    for (float& f : s->Floats14To16) r.Float(&f);
    for (std::int64_t& v : v17to20) r.Int(&v);
    for (float& d : d21to27) r.Float(&d);
    if (r.Failed()) {
      r.ShowFault(s->Name);
      return false;
    }
    const char* name = s->Name;
    for (int i = 0; i < 5; ++i) {
      if (!In16(r, "loadBaseVehicleStats", v2to6[i], 2 + i, name)) return false;
      s->Values2To6[i] = static_cast<std::uint16_t>(v2to6[i]);
    }
    s->Distance7 = MetresToCm(d7);
    if (!In16(r, "loadBaseVehicleStats", v8, 8, name) || !In16(r, "loadBaseVehicleStats", v11, 11, name)) return false;
    s->Value8 = static_cast<std::uint16_t>(v8);
    s->Distance9 = MetresToCm(d9);
    s->Flag10 = flag10 != 0;
    s->Value11 = static_cast<std::uint16_t>(v11);
    if (crew < 0) {
      StatsError(r, "loadBaseVehicleStats: column 12 is outside of limits for %s", name);
      return false;
    }
    if (crew > kVehicleSeats) {
      StatsError(r, "loadBaseVehicleStats: Unhandled crew size for vehicle\t\t\t\tstat %s - limiting to %d", name,
                 kVehicleSeats);
      crew = kVehicleSeats;
    }
    s->CrewSize = static_cast<std::uint8_t>(crew);
    if (std::strcmp(propulsion, "-1") != 0) {
      s->Propulsion = g_propulsion.Find(HashString(propulsion));
      if (s->Propulsion == nullptr) {
        StatsError(r, "loadBaseVehicleStats: Invalid propulsion name %s", propulsion);
        return false;
      }
    }
    for (int i = 0; i < 4; ++i) {
      if (!In16(r, "loadBaseVehicleStats", v17to20[i], 17 + i, name)) return false;
      s->Values17To20[i] = static_cast<std::uint16_t>(v17to20[i]);
    }
    for (int i = 0; i < 7; ++i) s->Distances21To27[i] = MetresToCm(d21to27[i]);
  }
  return true;
}

bool loadVehicleStats(const char* text, std::uint32_t length) {
  for (VehicleStats& v : g_vehicles) FreeStatsName(v.Name);
  g_vehicles.Free();
  StatsLineReader r("Vehicle.txt", text, length);
  if (!g_vehicles.Allocate(r.RecordCount())) {
    ErrorBox("loadVehicleStats - Out of memory");
    return false;
  }
  while (r.NextRecord()) {
    VehicleStats* s = &g_vehicles.Records[r.Line() - 1];
    char name[kStatsNameSize], model[kStatsNameSize], model2[kStatsNameSize], texture[kStatsNameSize];
    char base[kStatsNameSize], seats[2 * kVehicleSeats][64], further[kStatsNameSize], name24[64], name25[64];
    std::int64_t v6 = 0, slots = 0;
    float d27 = 0.0f;
    r.Text(name, sizeof(name));
    r.Text(model, sizeof(model));
    r.Text(model2, sizeof(model2));
    r.Text(texture, sizeof(texture));
    r.Text(base, sizeof(base));
    r.Int(&v6);
    for (int i = 0; i < 2 * kVehicleSeats; ++i) r.Text(seats[i], sizeof(seats[i]), i == 0 || i == kVehicleSeats);
    r.Text(further, sizeof(further), true);
    r.Text(name24, sizeof(name24));
    r.Text(name25, sizeof(name25));
    r.Int(&slots);
    r.Float(&d27);
    if (r.Failed()) {
      r.ShowFault(name);
      return false;
    }
    s->Kind = 2;
    s->Name = CopyStatsName(name);
    if (s->Name == nullptr) {
      ErrorBox("loadVehicleStats - Out of memory");
      return false;
    }
    if (std::strcmp(model, "-1") == 0) {
      StatsError(r, "loadVehicleStats: vehicle %s has no model", name);
      return false;
    }
    std::strcpy(s->ModelName, model);
    CopyOptional(s->SecondModelName, model2);
    CopyOptional(s->TextureName, texture);
    s->Base = FindBaseVehicleStats(base);
    if (s->Base == nullptr) {
      StatsError(r, "loadVehicleStats: Invalid base stat %s for Vehicle %s", base, name);
      return false;
    }
    if (!In16(r, "loadVehicleStats", v6, 6, name)) return false;
    s->Value6 = static_cast<std::uint16_t>(v6);
    if (slots < 0) {
      StatsError(r, "loadVehicleStats: column 26 is outside of limits for %s", name);
      return false;
    }
    if (slots > kStatsItemSlots) {
      StatsError(r, "loadVehicleStats: weapon slot count %d of vehicle %s is more than %d; %d are used",
                 static_cast<int>(slots), name, kStatsItemSlots, kStatsItemSlots);
      slots = kStatsItemSlots;
    }
    s->WeaponSlotCount = static_cast<std::uint8_t>(slots);
    for (int i = 0; i < kVehicleSeats; ++i) {
      s->SeatNameHashes[i] = UpperHashOrNone(seats[i]);
      s->SeatNameHashes2[i] = UpperHashOrNone(seats[kVehicleSeats + i]);
    }
    CopyOptional(s->FurtherModel.Name, further);
    s->Distance27 = MetresToCm(d27);
    s->Hash24 = std::strcmp(name24, "-1") == 0 ? 0 : HashStringNoCase(name24);
    s->Hash25 = std::strcmp(name25, "-1") == 0 ? 0 : HashStringNoCase(name25);
    if (!IndexStatsName(r, g_vehicles.Index, HashString(name), r.Line() - 1, s->Name)) return false;
  }
  return true;
}

const StatsTable<PropulsionStats>& PropulsionStatsTable() { return g_propulsion; }
const StatsTable<BaseVehicleStats>& BaseVehicleStatsTable() { return g_baseVehicles; }
const StatsTable<VehicleStats>& VehicleStatsTable() { return g_vehicles; }
PropulsionStats* FindPropulsionStatsByHash(std::uint32_t hash) { return g_propulsion.Find(hash); }

const BaseVehicleStats* FindBaseVehicleStats(const char* name) {
  if (name == nullptr) return nullptr;
  for (const BaseVehicleStats& s : g_baseVehicles)
    if (std::strcmp(s.Name, name) == 0) return &s;
  return nullptr;
}

VehicleStats* FindVehicleStatsByHash(std::uint32_t hash) { return g_vehicles.Find(hash); }

void FreeVehicleStats() {
  g_propulsion.Free();
  g_baseVehicles.Free();
  for (VehicleStats& v : g_vehicles) FreeStatsName(v.Name);
  g_vehicles.Free();
}
