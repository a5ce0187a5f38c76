// Local wall-clock time.
#pragma once

#include <ctime>

#include "platform/win32/win_types.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

// Fills the current local date and time.
void GetLocalTime(SYSTEMTIME* out);

namespace win32 {
// Copies the calendar fields of a broken-down time (local or UTC) into *out,
// with the milliseconds given.
void FillSystemTime(const std::tm& broken, WORD milliseconds, SYSTEMTIME* out);
}  // namespace win32
