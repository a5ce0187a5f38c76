#include "platform/win32/win_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/win32/win_path.h"

BOOL CreateDirectoryA(LPCSTR path, void*) {
  if (!path || !*path) return FALSE;
  std::string p = ResolveWindowsPath(path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return mkdir(p.c_str(), 0777) == 0 ? TRUE : FALSE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return 0;
  DWORD len = static_cast<DWORD>(std::strlen(cwd));
  if (!buffer || size < len + 1) return len + 1;
  std::memcpy(buffer, cwd, len + 1);
  return len;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (!path) return FALSE;
  std::string p = ResolveWindowsPath(path);
  return chdir(p.c_str()) == 0 ? TRUE : FALSE;
}
