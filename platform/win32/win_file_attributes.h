// File attribute bits and their query by path.
#pragma once

#include "platform/win32/win_types.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

// The attributes of a file or folder named by a Windows path: directory, or
// archive for a plain file; read-only when the owner may not write it.
// INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD GetFileAttributesA(LPCSTR path);

// The attribute word of a POSIX mode (used by the directory scan as well).
DWORD FileAttributesFromMode(unsigned mode);
