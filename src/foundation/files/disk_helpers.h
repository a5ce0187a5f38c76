// Questions about files on the disk (Windows paths, any letter case) and
// directory scans.
#pragma once

#include <cstdint>

#include "platform/win32/local_time.h"

// 1 when a file or folder of that path (or matching that pattern) exists.
int FileExistsOnDisk(const char* path);
// 0 when the file is missing; else 1 with *writable 1 unless it is read-only.
int IsFileWritable(const char* path, int* writable);
// Date of the last write (UTC); 0 when the file is missing.
int GetFileDate(const char* path, int* year, int* month, int* day);
// Date and time of the last write in local time; 0 when the file is missing.
int GetFileLocalTime(const char* path, SYSTEMTIME* time);
// 1 when both exist and a was written later than b.
int IsFileNewer(const char* a, const char* b);

// Called with each file found and the caller's context; answering 1 stops the scan.
using ScanDirectoryCallback = int (*)(const char* path, void* context);
// Calls callback(root\sub\name) for each entry of root\sub matching pattern
// that is not a folder and does not start with "."; with recurse, then scans
// each sub-folder (sub\name).  Answers 1 as soon as a callback answers 1,
// else 0 (or the result of a sub-folder scan that stopped).
int ScanDirectory(int recurse, const char* root, const char* sub, const char* pattern, ScanDirectoryCallback callback,
                  void* context);

// A file found with the last-write time the scan read for it (file-time
// ticks, UTC), so that the caller need not look the file up again.
using ScanDirectoryTimeCallback = int (*)(const char* path, std::uint64_t lastWrite, void* context);
// As ScanDirectory without recursion: callback(root\name, time) for each
// file of root matching pattern.  Answers 1 as soon as a callback does.
int ScanDirectoryWithTimes(const char* root, const char* pattern, ScanDirectoryTimeCallback callback, void* context);
// The last-write time of a file in file-time ticks (UTC), as the scans
// above give it; false when the file is missing.
bool GetFileWriteTicks(const char* path, std::uint64_t* ticks);
