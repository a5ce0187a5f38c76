// The physics library's file layer: its own open modes and seek origins,
// used by the profiler's plot output.  Descriptors are small integers.
#pragma once

#include <cstddef>

enum {
  MeOpenReadOnly = 0,
  MeOpenWriteCreate = 1,  // write-only, created or truncated, owner read/write
  MeOpenReadWrite = 2,
  MeOpenBinary = 3,
};

// Opens `path`; answers a descriptor, or -1 when the file cannot be opened.
// An unknown mode is reported as a fatal error (level 3) and the open fails.
int MeOpen(const char* path, int mode);
// Closes a descriptor; -1 for an unknown one.
int MeClose(int fd);
// Writes count bytes; answers the number written or -1.
long MeWrite(int fd, const void* buffer, size_t count);
// Moves the position (origin 0 start, 1 current, 2 end); answers the new
// position or -1.  An unknown origin is reported (level 3) and fails.
long MeLseek(int fd, long offset, int origin);
