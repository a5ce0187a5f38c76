#include "platform/win32/win_file_time.h"

#include <ctime>

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000ull;
// Seconds between 1601-01-01 and 1970-01-01.
constexpr long long kEpochOffset = 11644473600ll;

ULONGLONG Ticks(const FILETIME& t) {
  return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
FILETIME FromTicks(ULONGLONG v) {
  return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

}  // namespace

FILETIME FileTimeFromUnixTime(long long seconds, long nanoseconds) {
  long long s = seconds + kEpochOffset;
  if (s < 0) return FILETIME{0, 0};
  return FromTicks(static_cast<ULONGLONG>(s) * kTicksPerSecond + static_cast<ULONGLONG>(nanoseconds / 100));
}

BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* st) {
  if (!file_time || !st) return FALSE;
  ULONGLONG v = Ticks(*file_time);
  if (v >= 0x8000000000000000ull) return FALSE;
  long long secs = static_cast<long long>(v / kTicksPerSecond) - kEpochOffset;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return FALSE;
  win32::FillSystemTime(tm, static_cast<WORD>((v % kTicksPerSecond) / 10000), st);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (!utc || !local) return FALSE;
  ULONGLONG v = Ticks(*utc);
  long long secs = static_cast<long long>(v / kTicksPerSecond) - kEpochOffset;
  std::time_t t = static_cast<std::time_t>(secs);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return FALSE;
  long long shifted = static_cast<long long>(v) + static_cast<long long>(tm.tm_gmtoff) * static_cast<long long>(kTicksPerSecond);
  if (shifted < 0) shifted = 0;
  *local = FromTicks(static_cast<ULONGLONG>(shifted));
  return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  ULONGLONG x = Ticks(*a), y = Ticks(*b);
  return x < y ? -1 : (x > y ? 1 : 0);
}
