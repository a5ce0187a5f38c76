// The game's list of search folders (null-terminated), in the order the file
// locator tries them; the game shell installs it with SetSearchFolders at
// start-up.  "@" stands for the working directory.
#pragma once

extern const char* const kGameSearchFolders[];
// Number of folders in kGameSearchFolders (58).
extern const int kGameSearchFolderCount;
