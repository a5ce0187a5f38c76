// Process-wide state shared by the catalogs and the buffered file handle.
// Internal to the foundation's file code.
#pragma once

#include <cstdint>

#include "foundation/files/buffered_file.h"
#include "foundation/files/catalog.h"

namespace catalog_state {

extern CCatalog g_catalogs[kCatalogCount];
extern CCatalog* g_current;
extern int g_currentId;
extern std::uint32_t g_mode;
extern std::uint32_t g_savedMode;
extern BufferedFile* g_file;
extern int g_scanLookahead;
// Whether files may be appended to each catalog being built (its head is sound).
extern bool g_buildable[kCatalogCount];

// "Building": build on, not suspended, and the current file not yet in the catalog.
inline bool Building() { return (g_mode & 0x32u) == CATALOG_MODE_BUILD; }
inline bool ReadingFromCatalogs() { return (g_mode & CATALOG_MODE_READ) != 0; }

// Appends a line to "cata.log" (truncated at its first use in a run).
void AppendCataLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Moves the scanners' look-ahead to the next character of the open file
// (-1 at its end).
void ScanNext(BufferedFile* h);
// Empties the handle's window.
void ResetFileBuffer();
// Whether catalog c's decompressed bytes reach `end`.  Answered from the
// length bound taken at open; past it, a compressed catalog whose length was
// only stated is counted through once (its stream rewound, the shared
// handle's window emptied) and answered exactly.
bool CatalogHolds(CCatalog& c, std::uint64_t end);

}  // namespace catalog_state
