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
  win32::FillSystemTime(local, static_cast<WORD>(tv.tv_usec / 1000), out);
}

void win32::FillSystemTime(const std::tm& broken, WORD milliseconds, SYSTEMTIME* out) {
  out->wYear = static_cast<WORD>(broken.tm_year + 1900);
  out->wMonth = static_cast<WORD>(broken.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(broken.tm_wday);
  out->wDay = static_cast<WORD>(broken.tm_mday);
  out->wHour = static_cast<WORD>(broken.tm_hour);
  out->wMinute = static_cast<WORD>(broken.tm_min);
  out->wSecond = static_cast<WORD>(broken.tm_sec);
  out->wMilliseconds = milliseconds;
}
