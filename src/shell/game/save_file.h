// A saved game's file: written whole to a temporary file beside it, flushed
// to the disk, checked and only then renamed over the old file, so that a
// failed or interrupted write leaves the previous save as it was.  Read
// whole, and only when its size is exactly what is expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The temporary file a save writes first ("<name>.tmp").
std::string SaveTemporaryName(const std::string& fileName);
// Writes the bytes under the file name; false, with any old file of that
// name untouched and no temporary file left, when the temporary file
// cannot be made, written, flushed or closed, or the rename fails.
bool WriteSaveFile(const std::string& fileName, const std::uint8_t* data, std::size_t size);
// Reads the whole file; false when it cannot be opened or read, or its
// size is not `expectedSize` (`bytes` is then empty).
bool ReadSaveFile(const std::string& fileName, std::size_t expectedSize, std::vector<std::uint8_t>* bytes);

// Test hook: called after the temporary file is complete and before the
// rename; answering false stops the save there as if the writer had been
// killed (the temporary file stays, as a dead writer leaves it).
using SaveInterruptHook = bool (*)(const char* temporaryName);
void SetSaveInterruptHook(SaveInterruptHook hook);
