#include "shell/game/save_file.h"

#include <cstdio>

#include "foundation/system/debug_output.h"
#include "platform/win32/win_move_file.h"
#include "platform/win32/win_stdio.h"

namespace {

SaveInterruptHook g_interrupt = nullptr;

}  // namespace

std::string SaveTemporaryName(const std::string& fileName) { return fileName + ".tmp"; }

bool WriteSaveFile(const std::string& fileName, const std::uint8_t* data, std::size_t size) {
  if (fileName.empty()) return false;
  const std::string temporary = SaveTemporaryName(fileName);
  std::FILE* f = WinFopen(temporary.c_str(), "wb");
  if (f == nullptr) {
    DebugTrace("saved game: cannot make %s\n", temporary.c_str());
    return false;
  }
  const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
  const bool flushed = std::fflush(f) == 0;
  const bool closed = std::fclose(f) == 0;
  if (!written || !flushed || !closed) {
    DebugTrace("saved game: writing %s failed\n", temporary.c_str());
    WinRemove(temporary.c_str());
    return false;
  }
  if (g_interrupt != nullptr && !g_interrupt(temporary.c_str())) return false;
  // The move flushes the data to the disk before it replaces the old file.
  if (!MoveFileExA(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DebugTrace("saved game: cannot replace %s\n", fileName.c_str());
    WinRemove(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadSaveFile(const std::string& fileName, std::size_t expectedSize, std::vector<std::uint8_t>* bytes) {
  bytes->clear();
  std::FILE* f = WinFopen(fileName.c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<std::uint8_t> data(expectedSize + 1);
  const std::size_t got = std::fread(data.data(), 1, data.size(), f);
  const bool error = std::ferror(f) != 0;
  std::fclose(f);
  if (error || got != expectedSize) {
    DebugTrace("saved game: %s holds %zu bytes, not %zu\n", fileName.c_str(), got, expectedSize);
    return false;
  }
  data.resize(expectedSize);
  *bytes = std::move(data);
  return true;
}

void SetSaveInterruptHook(SaveInterruptHook hook) { g_interrupt = hook; }
