// The file locator: resolves a bare file name ("Weaps.txt") against the current
// catalog, the file database or the search folders under the working
// directory, and opens the result through the shared file handle.  Every
// result goes into one static located-path buffer.
//
// Search folders: "@" stands for the working directory (the separator after
// it is skipped too); "#" stands for the folder part of the name looked for.
#pragma once

#include "foundation/files/buffered_file.h"

class CFileDatabase;

// LocateFile flags.
enum LocateFlags : int {
  LOCATE_SKIP_NAME_AS_GIVEN = 1,  // do not try the name as given first
  LOCATE_NO_SEARCH = 2            // answer the name unchanged without any search
};

// Takes the process's current directory, with "\" added, as the working directory.
void SetWorkDirectory();
// The working directory; shows "No Working Directory Set" in an "Error" box when
// it was never set, and answers the (empty) buffer anyway.
const char* GetWorkDirectory();

// Installs a null-terminated folder list (null: none) and forgets the last hit.
void SetSearchFolders(const char* const* folders);
const char* const* GetSearchFolders();
// Switches the search on or off (on at start-up); off, names are used as given.
void SetSearchEnabled(int enabled);

// Locates name in the current search folders; the located path or null.
const char* LocateFile(const char* name, int flags);
// Locates name in the given folder list; the located path or null (no message).
const char* LocateFileIn(const char* name, const char* const* folders, int flags);
// Locates name, then opens it with FileOpen; null when either fails.
BufferedFile* FileOpenOnSearchPath(const char* name, int flags);
// Whether name can be found (reading from catalogs: whether the catalog has it).
int FileExists(const char* name);
// Whether the last located path contains text.
int LocatedPathContains(const char* text);
// The last located path.
const char* GetLocatedPath();

// Reads a file database and uses it for later look-ups; on failure shows
// "Failed to load file database" in an "Error" box, uses none and answers 0.
int LoadFileDatabase(const char* fileName);
// Drops the file database.
void FreeFileDatabase();
// The file database in use; null when none.
CFileDatabase* GetFileDatabase();
