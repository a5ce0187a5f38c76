// C stdio opened by Windows path (any separator, drive prefix and letter case).
#pragma once

#include <cstdio>

// fopen of a Windows path, resolved case-insensitively against the disk; null
// when the C library refuses (missing file for "rb", no folder for "wb" ...).
std::FILE* WinFopen(const char* path, const char* mode);

// Deletes a file named by a Windows path; 0 on success, -1 when it fails.
int WinRemove(const char* path);
