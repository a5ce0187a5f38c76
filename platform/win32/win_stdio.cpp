#include "platform/win32/win_stdio.h"

#include "platform/win32/win_path.h"

std::FILE* WinFopen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  std::string p = ResolveWindowsPath(path);
  if (p.empty()) return nullptr;
  return std::fopen(p.c_str(), mode);
}

int WinRemove(const char* path) {
  if (!path) return -1;
  std::string p = ResolveWindowsPath(path);
  return std::remove(p.c_str()) == 0 ? 0 : -1;
}
