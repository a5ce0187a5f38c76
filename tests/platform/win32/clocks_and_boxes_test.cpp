#include <gtest/gtest.h>

#include <string>

#include "platform/win32/clocks.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/local_time.h"
#include "platform/win32/message_box.h"

namespace {

TEST(Clocks, CounterIsMonotonicAndMillisecondsFollowIt) {
  LARGE_INTEGER f{}, a{}, b{};
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_EQ(f.QuadPart, 1000000000LL);
  ASSERT_TRUE(QueryPerformanceCounter(&a));
  Sleep(2);
  ASSERT_TRUE(QueryPerformanceCounter(&b));
  EXPECT_GE(b.QuadPart - a.QuadPart, 2000000LL);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(Clocks, FakeClockDrivesBothReadings) {
  static LONGLONG now = 5000000000LL;
  SetFakeClock([](void*) -> LONGLONG { return now; }, nullptr);
  LARGE_INTEGER c{};
  QueryPerformanceCounter(&c);
  EXPECT_EQ(c.QuadPart, 5000000000LL);
  EXPECT_EQ(timeGetTime(), 5000u);
  now += 1500000;
  EXPECT_EQ(timeGetTime(), 5001u);
  SetFakeClock(nullptr, nullptr);
}

TEST(LocalTime, FieldsAreInRange) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  EXPECT_GE(t.wYear, 2000);
  EXPECT_GE(t.wMonth, 1);
  EXPECT_LE(t.wMonth, 12);
  EXPECT_GE(t.wDay, 1);
  EXPECT_LE(t.wDay, 31);
  EXPECT_LE(t.wHour, 23);
  EXPECT_LE(t.wMilliseconds, 999);
}

TEST(MessageBoxes, DefaultsLetTheProgramGoOnAndBoxesAreEchoed) {
  struct Case {
    UINT type;
    int answer;
  };
  const Case cases[] = {{MB_OK, IDOK},        {MB_OKCANCEL, IDOK},  {MB_ABORTRETRYIGNORE, IDIGNORE},
                        {MB_YESNO, IDYES},    {MB_YESNOCANCEL, IDYES}, {MB_RETRYCANCEL, IDCANCEL}};
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "body", "Caption", c.type | MB_ICONEXCLAMATION), c.answer);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[message box] Caption: body\n");
  }
}

TEST(MessageBoxes, HookAnswersAndSeesTheBox) {
  struct Seen {
    std::string text;
    HWND owner = nullptr;
  } seen;
  SetMessageBoxEcho(false);
  SetMessageBoxHook(
      [](HWND owner, const char* text, const char*, UINT, void* ctx) {
        auto* s = static_cast<Seen*>(ctx);
        s->text = text;
        s->owner = owner;
        return IDABORT;
      },
      &seen);
  HWND window = reinterpret_cast<HWND>(0x1234);
  SetActiveWindowForBoxes(window);
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(MessageBoxA(GetActiveWindow(), "hello", "c", MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_EQ(seen.text, "hello");
  EXPECT_EQ(seen.owner, window);
  SetActiveWindowForBoxes(nullptr);
  SetMessageBoxHook(nullptr, nullptr);
  SetMessageBoxEcho(true);
}

TEST(DebugOutput, GoesToStderrOrTheHook) {
  testing::internal::CaptureStderr();
  OutputDebugStringA("line\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "line\n");
  static std::string got;
  SetDebugOutputHook([](const char* t, void*) { got += t; }, nullptr);
  OutputDebugStringA("a");
  OutputDebugStringA("b");
  SetDebugOutputHook(nullptr, nullptr);
  EXPECT_EQ(got, "ab");
}

}  // namespace
