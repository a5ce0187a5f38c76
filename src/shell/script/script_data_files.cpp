#include "shell/script/script_data_files.h"

#include <cstring>
#include <memory>
#include <string>

#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/debug_output.h"
#include "world/environment/env_text_cursor.h"

namespace {

// The level file version whose sky section form the files take.
constexpr int kSkyDataVersion = kSkyVersionFarFog;

std::unique_ptr<ScriptDataRecord[]> g_records;
int g_reserved = 0;
int g_used = 0;

// A texture name the sky's writer can give back: no quote, blank or control
// character (the reader takes a bare word with a quote in it).
bool WritableName(const std::string& name) {
  for (const char c : name)
    if (c == '"' || static_cast<unsigned char>(c) <= ' ') return false;
  return true;
}

}  // namespace

bool ParseSkyDataText(const char* bytes, std::size_t size, SkySettings* out) {
  out->Blank();
  if (bytes == nullptr || size == 0 || size > kSkyDataTextLimit || std::memchr(bytes, 0, size) != nullptr) return false;
  const std::string text(bytes, size);
  EnvTextCursor cursor(text.c_str());
  int line = 0;
  bool ok = out->Load(cursor, kSkyDataVersion, &line);
  for (const SkyLayerSettings& layer : out->Layers) ok = ok && WritableName(layer.TextureName);
  if (!ok) out->Blank();
  return ok;
}

void ReserveScriptDataRecords(int count) {
  FreeScriptDataRecords();
  if (count < 1 || count > kScriptDataRecordLimit) return;
  g_records = std::make_unique<ScriptDataRecord[]>(static_cast<std::size_t>(count));
  g_reserved = count;
}

ScriptDataRecord* LoadScriptDataFile(const char* name) {
  if (g_used >= g_reserved || name == nullptr || *name == 0) {
    DebugTrace("ScriptLoadDataFile: no data-file record left for %s\n", name != nullptr ? name : "(null)");
    return nullptr;
  }
  ScriptDataRecord& record = g_records[static_cast<std::size_t>(g_used++)];
  record.sky.Blank();
  record.loaded = false;
  char* data = nullptr;
  std::uint32_t size = 0;
  if (LoadFile(name, &data, &size, nullptr, MEMCAT_GAME) == 0) return &record;
  record.loaded = ParseSkyDataText(data, size, &record.sky);
  if (!record.loaded) DebugTrace("ScriptLoadDataFile: %s is not a sky; its record stays empty\n", name);
  FreeLoadedFile(data);
  return &record;
}

bool IsScriptDataRecord(const ScriptDataRecord* record) {
  for (int i = 0; i < g_reserved; ++i)
    if (record == &g_records[static_cast<std::size_t>(i)]) return true;
  return false;
}

int ScriptDataRecordsReserved() { return g_reserved; }

int ScriptDataRecordsUsed() { return g_used; }

void FreeScriptDataRecords() {
  g_records.reset();
  g_reserved = 0;
  g_used = 0;
}
