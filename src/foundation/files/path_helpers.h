// Splitting of Windows paths into drive, folder, name and extension.  Both "\"
// and "/" separate folders; a drive is "X:".  Each getter answers a static
// buffer that the next call of the same getter overwrites.
#pragma once

#include <cstddef>

// Splits path; any output may be null.  Outputs are cut to their sizes.
void SplitPath(const char* path, char* drive, std::size_t driveSize, char* folder, std::size_t folderSize, char* name,
               std::size_t nameSize, char* extension, std::size_t extensionSize);

// Drive and folder, ending with the folder's separator ("C:\data\").
const char* GetPathFolder(const char* path);
// Drive only ("C:"), empty when none.
const char* GetPathDrive(const char* path);
// File name without folders and extension.
const char* GetPathBaseName(const char* path);
// Extension with its dot (".txt"), empty when none.
const char* GetPathExtension(const char* path);
// File name and extension without folders.
const char* GetPathFileName(const char* path);
// Folder, name and extension without the drive.
const char* GetPathWithoutDrive(const char* path);
// Rewrites path (a buffer of pathSize bytes) in place as drive + folder + name
// + extension (given with its dot); the result is cut to the buffer.
void ChangePathExtension(char* path, std::size_t pathSize, const char* extension);
