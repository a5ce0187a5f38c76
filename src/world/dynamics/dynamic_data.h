// The cache of dynamics tuning records.  The game's object code asks it for
// the record of a kind by type name; the first request reads
// "<type name>.dyn" (catalog or disk), later ones answer the same record.
// Records stay alive, at the same address, as long as the cache does; the
// vehicle code fills in their environment-instance fields.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "world/dynamics/dynamic_records.h"

// Parses a whole tuning file of one kind: the version, a second number that
// is not kept, then the kind's fields.  A file that ends early leaves the
// rest at the record's blank() values.  False, with `error` naming the file
// and the line, when the version is missing or a field is damaged or out of
// range.
template <typename Record>
bool ParseDynamicFile(const char* text, const char* fileName, Record& record, std::string& error);

class CDynamicData {
 public:
  // The record of that kind for the type name, read on first use; null when
  // the file is missing or damaged (a damaged file is reported on the debug
  // output).  A failed read is tried again at the next request.
  DynCarData* GetCar(const char* typeName);
  DynTankData* GetTank(const char* typeName);
  DynDriveData* GetDrive(const char* typeName);
  DynDrivePartData* GetDrivePart(const char* typeName);
  DynSimpleData* GetSimple(const char* typeName);

 private:
  // One list per kind, found by the hash of the type name; the newest entry
  // is searched first.
  template <typename Record>
  struct Entry {
    std::uint32_t hash;
    std::unique_ptr<Record> record;
  };
  template <typename Record>
  Record* Get(std::vector<Entry<Record>>& list, const char* typeName);

  std::vector<Entry<DynCarData>> cars_;
  std::vector<Entry<DynTankData>> tanks_;
  std::vector<Entry<DynDriveData>> drives_;
  std::vector<Entry<DynDrivePartData>> driveParts_;
  std::vector<Entry<DynSimpleData>> simples_;
};

// The program's cache.
CDynamicData& TheDynamicData();
