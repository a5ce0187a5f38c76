// Slots 459-461: the script's data files, ".sky" records reserved, loaded
// and applied to the level's sky.
#include "shell/script/script_data_files.h"
#include "shell/script/script_function_table.h"
#include "world/environment/environment.h"

namespace script_slot {

// Applies a loaded record's sky; nothing for an empty record or a pointer
// that is not one of the reserved records.
void EnvironmentApplySettings(const ScriptDataRecord* settings) {
  if (!IsScriptDataRecord(settings) || !settings->loaded || g_Environment == nullptr) return;
  g_Environment->ApplySkySettings(settings->sky);
}

// The next reserved record, through the out parameter (null when none is
// left or none was reserved).
void ScriptLoadDataFile(const char* fileName, ScriptDataRecord** outRecord) {
  ScriptDataRecord* record = LoadScriptDataFile(fileName);
  if (outRecord != nullptr) *outRecord = record;
}

void ScriptDataFilesCreate(int32_t count) { ReserveScriptDataRecords(count); }

}  // namespace script_slot
