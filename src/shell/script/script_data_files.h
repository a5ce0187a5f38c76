// The script's data files (slots 459-461): the plug-in reserves a number of
// records, then loads ".sky" files into them one after another and hands a
// record back to have its sky applied.  A ".sky" file is the text of a level
// file's sky section at the current version.  The records live until the
// next reservation or level shut-down.  Main thread.
#pragma once

#include <cstddef>

#include "world/sky/sky_settings.h"

// One record: the sky the file gave; `loaded` false for an empty record
// (the file was missing, damaged, cut short or too long).
struct ScriptDataRecord {
  SkySettings sky;
  bool loaded = false;
};

// The longest ".sky" text taken, and the most records one reservation makes.
inline constexpr std::size_t kSkyDataTextLimit = 16384;
inline constexpr int kScriptDataRecordLimit = 64;

// Reads a ".sky" text of `size` bytes; false, with `out` blanked, when it is
// longer than the limit, holds a NUL, is damaged, ends early, or names a
// layer texture with a quote or blank in it (which could not be written back).
bool ParseSkyDataText(const char* bytes, std::size_t size, SkySettings* out);

// Slot 461: `count` empty records, the earlier ones freed; a count outside
// 1-64 leaves none.
void ReserveScriptDataRecords(int count);
// Slot 460: the next reserved record, filled from the file (left empty when
// the file cannot be read as a sky); null when none is reserved or every
// reserved record is used.
ScriptDataRecord* LoadScriptDataFile(const char* name);
// Whether `record` is one of the reserved records (a plug-in hands them back).
bool IsScriptDataRecord(const ScriptDataRecord* record);
int ScriptDataRecordsReserved();
int ScriptDataRecordsUsed();
// Level shut-down: the records freed.
void FreeScriptDataRecords();
