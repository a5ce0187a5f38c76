#include "world/dynamics/dynamic_data.h"

#include <cstdio>

#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "foundation/files/path_helpers.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/engine_log.h"
#include "foundation/text/hash.h"
#include "world/dynamics/dyn_text.h"

namespace {

// Allocation category of the file text while it is parsed.
constexpr int kDynFileCategory = 1;

// Reads the file of a type name into a new record; null when it is missing
// or damaged.
template <typename Record>
std::unique_ptr<Record> ReadDynamicFile(const char* typeName) {
  char fileName[260];
  std::snprintf(fileName, sizeof fileName, "%s", typeName);
  ChangePathExtension(fileName, sizeof fileName, ".dyn");
  EngineLogVerbose("Loading dynamic data \"%s\"", typeName);
  if (!FileExists(fileName)) return nullptr;
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(fileName, &text, &size, nullptr, kDynFileCategory)) return nullptr;
  // The text may hold a NUL of its own: the parser stops there, as at the end.
  auto record = std::make_unique<Record>();
  std::string error;
  bool ok = ParseDynamicFile(text, fileName, *record, error);
  FreeLoadedFile(text);
  if (!ok) {
    DebugTrace("%s", error.c_str());
    return nullptr;
  }
  return record;
}

}  // namespace

template <typename Record>
bool ParseDynamicFile(const char* text, const char* fileName, Record& record, std::string& error) {
  record.blank();
  DynTextReader in(text, fileName);
  int version = -1;
  int unused = 0;
  in.Int(version);
  in.Int(unused);
  if (version < 0 && !in.failed()) in.Fail("the file has no version");
  if (!in.failed()) record.load(in, version);
  error = in.error();
  return !in.failed();
}

template bool ParseDynamicFile(const char*, const char*, DynCarData&, std::string&);
template bool ParseDynamicFile(const char*, const char*, DynTankData&, std::string&);
template bool ParseDynamicFile(const char*, const char*, DynDriveData&, std::string&);
template bool ParseDynamicFile(const char*, const char*, DynDrivePartData&, std::string&);
template bool ParseDynamicFile(const char*, const char*, DynSimpleData&, std::string&);

template <typename Record>
Record* CDynamicData::Get(std::vector<Entry<Record>>& list, const char* typeName) {
  if (typeName == nullptr || typeName[0] == '\0') return nullptr;
  std::uint32_t hash = HashString(typeName);
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->hash == hash) return it->record.get();
  std::unique_ptr<Record> record = ReadDynamicFile<Record>(typeName);
  if (!record) return nullptr;
  list.push_back({hash, std::move(record)});
  return list.back().record.get();
}

DynCarData* CDynamicData::GetCar(const char* typeName) { return Get(cars_, typeName); }
DynTankData* CDynamicData::GetTank(const char* typeName) { return Get(tanks_, typeName); }
DynDriveData* CDynamicData::GetDrive(const char* typeName) { return Get(drives_, typeName); }
DynDrivePartData* CDynamicData::GetDrivePart(const char* typeName) { return Get(driveParts_, typeName); }
DynSimpleData* CDynamicData::GetSimple(const char* typeName) { return Get(simples_, typeName); }

CDynamicData& TheDynamicData() {
  // Never destroyed: records handed out stay valid until the program ends.
  static CDynamicData* cache = new CDynamicData;
  return *cache;
}
