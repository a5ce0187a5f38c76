#include "make_stats/stats_description.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace make_stats {

namespace {

using T = ColumnType;

Column Text(const std::string& key) { return {key, T::Text}; }
Column Number(const std::string& key) { return {key, T::Number}; }

// key + first..last, e.g. Numbered("seat", 7, 14, T::Text).
void Numbered(std::vector<Column>& out, const std::string& key, int first, int last, ColumnType type) {
  for (int i = first; i <= last; ++i) out.push_back({key + std::to_string(i), type});
}

std::vector<TableSchema> MakeSchemas() {
  std::vector<TableSchema> s;
  {
    TableSchema w{"Weaps.txt", {Text("name"), Text("model"), Text("model2"), Text("texture"), Text("interface"),
                                Text("class"), Text("name7"), Text("name8"), Number("flag9"), Number("flag10"),
                                Number("time11"), Number("numRoundsPerBurst"), Number("time13"),
                                Number("numExplosions"), Number("maxMagazines"), Number("RoundsPerMag"),
                                Number("time17"), Number("distance18"), Number("explosiveDamage"), Number("time20"),
                                Number("incenDamage"), Number("distance22"), Number("damage"), Number("speed"),
                                Number("distance25"), Text("fireOnMove"), Number("flag27"), Number("flag28"),
                                Number("flag29"), Number("surfaceToAir"), Text("movementModel")}};
    Numbered(w.columns, "asset", 32, 39, T::Text);
    for (const char* k : {"muzzleSize", "muzzle2Size", "ejectSize", "flashSize", "flag44", "float45"})
      w.columns.push_back(Number(k));
    Numbered(w.columns, "mode", 46, 52, T::Number);
    w.columns.push_back(Number("timer"));
    Numbered(w.columns, "anim", 54, 59, T::Text);
    for (const char* k : {"fieldOfView", "numBullets", "minFOV", "float63"}) w.columns.push_back(Number(k));
    w.columns.push_back(Text("soundBank"));
    for (const char* k : {"distance65", "distance66", "recoilDirection", "distance68", "distance69", "distance70",
                          "distance71", "float72", "distance73", "distance74", "distance75"})
      w.columns.push_back(Number(k));
    s.push_back(w);
  }
  s.push_back({"Inven.txt", {Text("name"), Text("type"), Text("model"), Text("model2"), Text("texture"),
                             Text("interface"), Text("name7"), Text("weapon"), Number("roundsPerPack"),
                             Number("damage"), Number("duration11"), Number("flag12"), Text("soundBank"),
                             Number("float14")}});
  s.push_back({"Props.txt", {Text("name"), Text("type"), Text("text3"), Number("ignored")}});
  {
    TableSchema h{"HStat.txt", {Text("name")}};
    Numbered(h.columns, "v", 2, 7, T::Number);
    for (const char* k : {"distance8", "v9", "f10", "f11", "f12", "f13", "v14", "f15", "v16", "f17", "duration18"})
      h.columns.push_back(Number(k));
    s.push_back(h);
  }
  {
    TableSchema v{"VStat.txt", {Text("name")}};
    Numbered(v.columns, "v", 2, 6, T::Number);
    for (const char* k : {"distance7", "v8", "distance9", "flag10", "v11", "crewSize"}) v.columns.push_back(Number(k));
    v.columns.push_back(Text("propulsion"));
    Numbered(v.columns, "f", 14, 16, T::Number);
    Numbered(v.columns, "v", 17, 20, T::Number);
    Numbered(v.columns, "distance", 21, 27, T::Number);
    s.push_back(v);
  }
  s.push_back({"fNames.txt", {Text("name"), Number("ignored")}});
  s.push_back({"sNames.txt", {Text("name"), Number("ignored")}});
  s.push_back({"intIDs.txt", {Text("name"), Number("ignored")}});
  for (const char* nation : {"SAS_", "US_", "RU_", "IR_"})
    for (const char* role : {"R", "S", "H", "C"})
      s.push_back({std::string("CSkins_") + nation + role + ".txt",
                   {Text("name"), Text("texture"), Text("texture2"), Text("firstName"), Text("surname"),
                    Number("ignored")}});
  s.push_back({"ConnObjs.txt", {Text("role"), Text("connector"), Text("object"), Text("nationality"),
                                Number("ignored")}});
  s.push_back({"Units.txt", {Text("name"), Text("characterType"), Text("model"), Text("model2"), Text("base"),
                             Text("interface"), Text("firstName"), Text("surname"), Number("v9"),
                             Text("experienceLevel"), Text("text11"), Text("role"), Text("name13"),
                             Number("itemSlots")}});
  {
    TableSchema v{"Vehicle.txt", {Text("name"), Text("model"), Text("model2"), Text("texture"), Text("base"),
                                  Number("v6")}};
    Numbered(v.columns, "seat", 7, 22, T::Text);
    for (const char* k : {"furtherModel", "name24", "name25"}) v.columns.push_back(Text(k));
    v.columns.push_back(Number("weaponSlots"));
    v.columns.push_back(Number("distance27"));
    s.push_back(v);
  }
  s.push_back({"featStat.txt", {Text("name"), Number("v2"), Number("v3"), Number("distance4"), Number("v5")}});
  s.push_back({"Structs.txt", {Text("name"), Text("model"), Text("model2"), Text("texture"), Text("objectStats"),
                               Text("furtherModel"), Number("v7")}});
  s.push_back({"Feats.txt", {Text("name"), Text("model"), Text("model2"), Text("texture"), Text("objectStats"),
                             Text("featureType"), Number("v7"), Text("furtherModel"), Number("byte9")}});
  {
    TableSchema d{"Doors.txt", {Text("name"), Text("model"), Text("model2"), Text("texture"), Text("soundBank")}};
    Numbered(d.columns, "f", 6, 11, T::Number);
    Numbered(d.columns, "v", 12, 13, T::Number);
    Numbered(d.columns, "distance", 14, 16, T::Number);
    s.push_back(d);
  }
  {
    TableSchema t{"Targets.txt", {Text("name"), Text("model"), Text("model2")}};
    Numbered(t.columns, "f", 4, 9, T::Number);
    Numbered(t.columns, "v", 10, 11, T::Number);
    Numbered(t.columns, "f", 12, 14, T::Number);
    s.push_back(t);
  }
  s.push_back({"Switches.txt", {Text("name"), Text("model"), Text("model2"), Number("x"), Number("y"), Number("z"),
                                Number("rx"), Number("ry"), Number("rz"), Number("travelTime")}});
  s.push_back({"UnitWpns.txt", {Text("kind"), Text("item"), Text("type"), Number("quantity")}});
  s.push_back({"HSkills.txt", {Text("kind"), Text("skill"), Number("level")}});
  s.push_back({"VehWpns.txt", {Text("kind"), Text("item"), Text("type"), Number("quantity")}});
  {
    TableSchema e{"ExMods.txt", {Text("level"), Number("points")}};
    Numbered(e.columns, "m", 1, 16, T::Number);
    s.push_back(e);
  }
  s.push_back({"MPSkins.txt", {Text("role"), Text("text"), Number("ignored")}});
  s.push_back({"MPSkinItems.txt", {Text("role"), Text("item"), Text("type"), Text("nationality"),
                                   Number("quantity")}});
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const auto e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool ReadFile(const std::string& path, const TableSchema& schema, Table* table, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  table->schema = &schema;
  std::string line;
  int number = 0;
  Record* current = nullptr;
  while (std::getline(in, line)) {
    ++number;
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (t.front() == '[') {
      if (t.back() != ']') {
        *error = where + "a block header must end with ']'";
        return false;
      }
      table->records.emplace_back();
      current = &table->records.back();
      current->line = number;
      for (const Column& c : schema.columns) current->values[c.key] = c.type == ColumnType::Text ? "-1" : "0";
      current->values[schema.columns.front().key] = t.substr(1, t.size() - 2);
      continue;
    }
    const auto eq = t.find('=');
    if (eq == std::string::npos || current == nullptr) {
      *error = where + "expected \"[name]\" or \"column = value\"";
      return false;
    }
    const std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
    auto it = current->values.find(key);
    if (it == current->values.end() || key == schema.columns.front().key) {
      *error = where + "\"" + key + "\" is not a column of " + schema.file;
      return false;
    }
    if (value.find_first_of(",\n") != std::string::npos) {
      *error = where + "a value cannot hold a comma";
      return false;
    }
    it->second = value;
  }
  return true;
}

}  // namespace

const std::vector<TableSchema>& Schemas() {
  static const std::vector<TableSchema> schemas = MakeSchemas();
  return schemas;
}

const TableSchema* FindSchema(const std::string& file) {
  for (const TableSchema& s : Schemas())
    if (s.file == file) return &s;
  return nullptr;
}

const std::string& Record::operator[](const std::string& key) const {
  static const std::string kEmpty;
  auto it = values.find(key);
  return it != values.end() ? it->second : kEmpty;
}

bool ReadDescription(const std::string& folder, std::map<std::string, Table>* tables, std::string* error) {
  tables->clear();
  for (const TableSchema& s : Schemas()) (*tables)[s.file].schema = &s;
  std::error_code ec;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".desc") == 0) names.push_back(name);
  }
  if (ec) {
    *error = folder + ": the description folder cannot be read";
    return false;
  }
  for (const std::string& name : names) {
    const std::string file = name.substr(0, name.size() - 5) + ".txt";
    const TableSchema* schema = FindSchema(file);
    if (schema == nullptr) {
      *error = folder + "/" + name + ": no stats table is called " + file;
      return false;
    }
    if (!ReadFile(folder + "/" + name, *schema, &(*tables)[file], error)) return false;
  }
  return true;
}

std::string TableText(const Table& table) {
  std::ostringstream out;
  for (const Record& r : table.records) {
    bool first = true;
    for (const Column& c : table.schema->columns) {
      if (!first) out << ',';
      out << r[c.key];
      first = false;
    }
    out << '\n';
  }
  return out.str();
}

bool WriteTables(const std::map<std::string, Table>& tables, const std::string& folder, std::string* error) {
  for (const TableSchema& s : Schemas()) {
    auto it = tables.find(s.file);
    const std::string text = it != tables.end() ? TableText(it->second) : std::string();
    const std::string path = folder + "/" + s.file;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
      *error = path + ": cannot be written";
      return false;
    }
  }
  return true;
}

}  // namespace make_stats
