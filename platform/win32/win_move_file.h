// Renaming files, the way a file is replaced atomically: write a temporary
// file, then move it over the old one.
#pragma once

#include "platform/win32/win_types.h"

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

// Moves (renames) a file named by a Windows path; an existing target is only
// replaced with MOVEFILE_REPLACE_EXISTING.  With MOVEFILE_WRITE_THROUGH the
// file's data reaches the disk before the move and the move before the call
// returns.  FALSE, with both files as they were, when it fails.
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
