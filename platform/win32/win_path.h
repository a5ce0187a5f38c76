// Windows paths on a case-sensitive POSIX file system.  The data names its files
// with backslashes, drive letters and any letter case; these helpers turn such a
// name into the path that really exists on disk, so that data prepared on any
// system loads.
#pragma once

#include <string>

// Turns a Windows path into a POSIX path: "\" becomes "/", a drive prefix "X:"
// is dropped (the rest is then taken from the root when it starts with a
// separator), and each component is matched case-insensitively against the
// directory that holds it.  Components that match nothing (a file about to be
// created) are kept as written.  Never fails; an empty path stays empty.
std::string ResolveWindowsPath(const char* path);

// The same path with only the separators and the drive prefix translated
// (no look-up on disk).
std::string TranslateWindowsPath(const char* path);
