#include "platform/win32/local_time.h"

#include <sys/time.h>
#include <time.h>

void GetLocalTime(SYSTEMTIME* out) {
  if (!out) return;
  timeval tv{};
  gettimeofday(&tv, nullptr);
  time_t seconds = tv.tv_sec;
  tm local{};
  localtime_r(&seconds, &local);
  out->wYear = static_cast<WORD>(local.tm_year + 1900);
  out->wMonth = static_cast<WORD>(local.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  out->wDay = static_cast<WORD>(local.tm_mday);
  out->wHour = static_cast<WORD>(local.tm_hour);
  out->wMinute = static_cast<WORD>(local.tm_min);
  out->wSecond = static_cast<WORD>(local.tm_sec);
  out->wMilliseconds = static_cast<WORD>(tv.tv_usec / 1000);
}
