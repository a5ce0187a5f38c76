#include "platform/win32/win_file_time.h"

#include <gtest/gtest.h>

TEST(WinFileTime, ConvertsUnixTimesToCalendarDates) {
  struct Case {
    long long seconds;
    WORD year, month, day, hour, minute, second;
  } cases[] = {
      {0, 1970, 1, 1, 0, 0, 0},
      {951782400 + 3723, 2000, 2, 29, 1, 2, 3},  // a leap day
      {4102444799, 2099, 12, 31, 23, 59, 59},
  };
  for (const Case& c : cases) {
    FILETIME ft = FileTimeFromUnixTime(c.seconds, 250000000);
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, c.year);
    EXPECT_EQ(st.wMonth, c.month);
    EXPECT_EQ(st.wDay, c.day);
    EXPECT_EQ(st.wHour, c.hour);
    EXPECT_EQ(st.wMinute, c.minute);
    EXPECT_EQ(st.wSecond, c.second);
    EXPECT_EQ(st.wMilliseconds, 250);
  }
  FILETIME epoch = FileTimeFromUnixTime(0, 0);
  EXPECT_EQ((static_cast<ULONGLONG>(epoch.dwHighDateTime) << 32) | epoch.dwLowDateTime, 116444736000000000ull);
}

TEST(WinFileTime, ComparesTimes) {
  FILETIME a = FileTimeFromUnixTime(100, 0), b = FileTimeFromUnixTime(100, 100), c = FileTimeFromUnixTime(100, 0);
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &c), 0);
  FILETIME local;
  EXPECT_TRUE(FileTimeToLocalFileTime(&a, &local));
  EXPECT_FALSE(FileTimeToSystemTime(nullptr, nullptr));
}
