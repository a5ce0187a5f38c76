#include "platform/win32/win_file_attributes.h"

#include <sys/stat.h>

#include "platform/win32/win_path.h"

DWORD FileAttributesFromMode(unsigned mode) {
  DWORD a = S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (!(mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  return a;
}

DWORD GetFileAttributesA(LPCSTR path) {
  if (!path || !*path) return INVALID_FILE_ATTRIBUTES;
  std::string p = ResolveWindowsPath(path);
  struct stat st;
  if (stat(p.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
  return FileAttributesFromMode(st.st_mode);
}
