#include "foundation/files/disk_helpers.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/win32/win_file_attributes.h"
#include "platform/win32/win_file_time.h"
#include "platform/win32/win_find_file.h"

namespace {

bool Find(const char* path, WIN32_FIND_DATAA* data) {
  if (!path || !*path) return false;
  HANDLE h = FindFirstFileA(path, data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

std::string Join(const char* root, const char* sub, const char* name) {
  std::string s(root ? root : "");
  if (sub && *sub) s += std::string("\\") + sub;
  return s + "\\" + name;
}

}  // namespace

int FileExistsOnDisk(const char* path) {
  WIN32_FIND_DATAA d;
  return Find(path, &d) ? 1 : 0;
}

int IsFileWritable(const char* path, int* writable) {
  WIN32_FIND_DATAA d;
  if (!Find(path, &d)) return 0;
  if (writable) *writable = (d.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0 : 1;
  return 1;
}

int GetFileDate(const char* path, int* year, int* month, int* day) {
  WIN32_FIND_DATAA d;
  SYSTEMTIME st;
  if (!Find(path, &d) || !FileTimeToSystemTime(&d.ftLastWriteTime, &st)) return 0;
  if (year) *year = st.wYear;
  if (month) *month = st.wMonth;
  if (day) *day = st.wDay;
  return 1;
}

int GetFileLocalTime(const char* path, SYSTEMTIME* time) {
  WIN32_FIND_DATAA d;
  FILETIME local;
  if (!Find(path, &d) || !time) return 0;
  if (!FileTimeToLocalFileTime(&d.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, time)) return 0;
  return 1;
}

int IsFileNewer(const char* a, const char* b) {
  WIN32_FIND_DATAA da, db;
  if (!Find(a, &da) || !Find(b, &db)) return 0;
  return CompareFileTime(&da.ftLastWriteTime, &db.ftLastWriteTime) > 0 ? 1 : 0;
}

int ScanDirectory(int recurse, const char* root, const char* sub, const char* pattern, ScanDirectoryCallback callback,
                  void* context) {
  if (!callback || !pattern) return 0;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(Join(root, sub, pattern).c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (d.cFileName[0] == '.' || d.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) continue;
      if (callback(Join(root, sub, d.cFileName).c_str(), context) == 1) {
        FindClose(h);
        return 1;
      }
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  if (!recurse) return 0;
  h = FindFirstFileA(Join(root, sub, "*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int result = 0;
  do {
    if (d.cFileName[0] == '.' || !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    std::string next = (sub && *sub) ? std::string(sub) + "\\" + d.cFileName : std::string(d.cFileName);
    result = ScanDirectory(recurse, root, next.c_str(), pattern, callback, context);
  } while (result == 0 && FindNextFileA(h, &d));
  FindClose(h);
  return result;
}

namespace {

std::uint64_t Ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | static_cast<std::uint64_t>(t.dwLowDateTime);
}

}  // namespace

int ScanDirectoryWithTimes(const char* root, const char* pattern, ScanDirectoryTimeCallback callback, void* context) {
  if (!callback || !pattern) return 0;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(Join(root, "", pattern).c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int result = 0;
  do {
    if (d.cFileName[0] == '.' || d.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY) continue;
    result = callback(Join(root, "", d.cFileName).c_str(), Ticks(d.ftLastWriteTime), context) == 1 ? 1 : 0;
  } while (result == 0 && FindNextFileA(h, &d));
  FindClose(h);
  return result;
}

bool GetFileWriteTicks(const char* path, std::uint64_t* ticks) {
  if (path == nullptr || *path == '\0') return false;
  // A plain name is looked up directly; a Windows path or a name of another
  // letter case goes through the find stand-in (which reads the folder).
  std::error_code error;
  const auto written = std::filesystem::last_write_time(path, error);
  if (!error) {
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::file_clock::to_sys(written).time_since_epoch());
    long long seconds = since.count() / 1000000000LL;
    long nanoseconds = static_cast<long>(since.count() % 1000000000LL);
    if (nanoseconds < 0) {
      --seconds;
      nanoseconds += 1000000000L;
    }
    if (ticks != nullptr) *ticks = Ticks(FileTimeFromUnixTime(seconds, nanoseconds));
    return true;
  }
  WIN32_FIND_DATAA d;
  if (!Find(path, &d)) return false;
  if (ticks != nullptr) *ticks = Ticks(d.ftLastWriteTime);
  return true;
}
