// Directory scans by wildcard pattern ("root\sub\*.dll").
#pragma once

#include "platform/win32/win_file_time.h"
#include "platform/win32/win_types.h"

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};

// Starts a scan of the folder part of pattern for names matching its last
// component ("*" any run, "?" one character, letter case ignored, "*.*" every
// name) and fills data with the first match.  "." and ".." are reported like
// any other entry.  INVALID_HANDLE_VALUE when the folder does not exist or
// nothing matches.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
// Fills data with the next match; FALSE when there is none.
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
// Ends a scan; FALSE for an invalid handle.
BOOL FindClose(HANDLE find);

// Whether name matches a Windows wildcard pattern, ignoring letter case.
bool MatchWildcard(const char* pattern, const char* name);
