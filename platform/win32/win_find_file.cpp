#include "platform/win32/win_find_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win_file_attributes.h"
#include "platform/win32/win_path.h"

namespace {

struct FindScan {
  std::vector<WIN32_FIND_DATAA> entries;
  std::size_t next = 0;
};

bool Match(const char* p, const char* n) {
  while (*p) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      for (const char* s = n; *s; ++s)
        if (Match(p, s)) return true;
      return Match(p, n + std::strlen(n));
    }
    if (!*n) return false;
    if (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*n)))
      return false;
    ++p;
    ++n;
  }
  return *n == 0;
}

}  // namespace

bool MatchWildcard(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  return Match(pattern, name);
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data) {
  if (!pattern || !data) return INVALID_HANDLE_VALUE;
  std::string p = TranslateWindowsPath(pattern);
  std::size_t slash = p.rfind('/');
  std::string dir = slash == std::string::npos ? "" : p.substr(0, slash + 1);
  std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
  std::string real_dir = dir.empty() ? "." : ResolveWindowsPath(dir.c_str());
  DIR* d = opendir(real_dir.c_str());
  if (!d) return INVALID_HANDLE_VALUE;
  auto* scan = new FindScan;
  while (dirent* e = readdir(d)) {
    if (std::strlen(e->d_name) >= MAX_PATH || !MatchWildcard(mask.c_str(), e->d_name)) continue;
    std::string full = real_dir + (real_dir.back() == '/' ? "" : "/") + e->d_name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0) continue;
    WIN32_FIND_DATAA f{};
    f.dwFileAttributes = FileAttributesFromMode(st.st_mode);
    f.ftLastWriteTime = FileTimeFromUnixTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    f.ftLastAccessTime = FileTimeFromUnixTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    f.ftCreationTime = FileTimeFromUnixTime(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
    unsigned long long size = S_ISDIR(st.st_mode) ? 0 : static_cast<unsigned long long>(st.st_size);
    f.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    f.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::memcpy(f.cFileName, e->d_name, std::strlen(e->d_name) + 1);
    scan->entries.push_back(f);
  }
  closedir(d);
  // Directory order differs between file systems; a sorted scan is repeatable.
  std::sort(scan->entries.begin(), scan->entries.end(),
            [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) { return std::strcmp(a.cFileName, b.cFileName) < 0; });
  if (scan->entries.empty()) {
    delete scan;
    return INVALID_HANDLE_VALUE;
  }
  *data = scan->entries[0];
  scan->next = 1;
  return scan;
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
  if (!find || find == INVALID_HANDLE_VALUE || !data) return FALSE;
  auto* scan = static_cast<FindScan*>(find);
  if (scan->next >= scan->entries.size()) return FALSE;
  *data = scan->entries[scan->next++];
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) return FALSE;
  delete static_cast<FindScan*>(find);
  return TRUE;
}
