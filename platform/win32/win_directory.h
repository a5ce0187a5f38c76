// Folders: creation and the process's current directory.
#pragma once

#include "platform/win32/win_types.h"

// Creates one folder (its parent must exist); the security argument is ignored.
// FALSE when it exists already or cannot be made.
BOOL CreateDirectoryA(LPCSTR path, void* security);

// Copies the current directory (a POSIX path, no trailing separator) into the
// buffer and answers its length; when the buffer is too small nothing is copied
// and the size needed (with the NUL) is answered; 0 on failure.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);

// Changes the current directory; FALSE when the folder does not exist.
BOOL SetCurrentDirectoryA(LPCSTR path);
