// Local wall-clock time.
#pragma once

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
