// File times: 100-nanosecond intervals since 1 January 1601 (UTC), and their
// conversion to calendar dates.
#pragma once

#include "platform/win32/local_time.h"
#include "platform/win32/win_types.h"

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};


// Splits a UTC file time into a calendar date and time; FALSE for a null argument
// or a time past the year 30827.
BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time);
// Shifts a UTC file time to local time (the machine's time zone at that instant).
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
// -1, 0 or 1 as a is earlier than, equal to or later than b.
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);

// The file time of a POSIX time (seconds and nanoseconds since 1970, UTC).
FILETIME FileTimeFromUnixTime(long long seconds, long nanoseconds);
