// The developer tools' open, save and folder dialogs.  The open dialog
// remembers its last folder in the registry (HKEY_LOCAL_MACHINE,
// "SOFTWARE\BrindleGames\BrindleDevel", string value "Path").
#pragma once

#include <cstddef>

// Filters are given as {description, pattern} pairs ending with a null
// description, e.g. {"Levels", "*.env", nullptr}.

// Asks for an existing file; 1 with its path in buffer, 0 when cancelled
// (always here: there is no display).
int OpenFileDialog(char* buffer, std::size_t bufferSize, const char* const* filters, unsigned extraFlags,
                   const char* initialFolder);
// Asks for a file to save (buffer of 512 bytes); 1 with its path, 0 when cancelled.
int SaveFileDialog(char* buffer, const char* const* filters, const char* initialFolder);
// Asks for a folder (path of 260 bytes or more); 1 with its path, shown in a
// "Picked" box, 0 when cancelled.
int PickFolder(char* path, const char* title);

// The folder the open dialog starts in (the last one chosen).
const char* GetDialogFolder();
// The filter text of the pairs: description NUL pattern NUL ..., ended by a
// double NUL; answers its length with the final NUL.  Cut to size.
std::size_t BuildDialogFilter(const char* const* filters, char* out, std::size_t size);
