#include "platform/win32/clocks.h"

#include <time.h>

#include <atomic>

namespace {
constinit std::atomic<FakeClockFn> gFake{nullptr};
constinit std::atomic<void*> gFakeContext{nullptr};
constinit std::atomic<SleepHookFn> gSleepHook{nullptr};
constinit std::atomic<void*> gSleepContext{nullptr};

LONGLONG NowNanoseconds() {
  FakeClockFn fake = gFake.load();
  if (fake) return fake(gFakeContext.load());
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<LONGLONG>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}
}  // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = 1000000000LL;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter) {
  if (!counter) return FALSE;
  counter->QuadPart = NowNanoseconds();
  return TRUE;
}

DWORD timeGetTime() { return static_cast<DWORD>(NowNanoseconds() / 1000000LL); }

DWORD GetTickCount() { return timeGetTime(); }

void Sleep(DWORD milliseconds) {
  if (SleepHookFn hook = gSleepHook.load()) {
    hook(milliseconds, gSleepContext.load());
    return;
  }
  timespec ts{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void SetFakeClock(FakeClockFn clock, void* context) {
  gFakeContext.store(context);
  gFake.store(clock);
}

void SetSleepHook(SleepHookFn hook, void* context) {
  gSleepContext.store(context);
  gSleepHook.store(hook);
}
