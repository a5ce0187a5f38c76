// The performance counter and the millisecond clock, over the monotonic
// clock.  Tests can install a fake clock that both read.
#pragma once

#include "platform/win32/win_types.h"

// Counter ticks per second (1,000,000,000 here); FALSE never happens.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Current counter reading; FALSE only for a null argument.
BOOL QueryPerformanceCounter(LARGE_INTEGER* counter);
// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD timeGetTime();
// Milliseconds since an arbitrary start, wrapping at 2^32 (the same clock).
DWORD GetTickCount();
// Suspends the calling thread for at least `milliseconds`, or calls the
// test hook instead when one is installed.
void Sleep(DWORD milliseconds);

// Test hook: receives every Sleep instead of the thread sleeping (it may
// move a fake clock on).  Null restores real sleeping.
using SleepHookFn = void (*)(DWORD milliseconds, void* context);
void SetSleepHook(SleepHookFn hook, void* context);

// Test hook: a fake clock read in nanoseconds instead of the monotonic
// clock.  Null restores the real one.
using FakeClockFn = LONGLONG (*)(void* context);
void SetFakeClock(FakeClockFn clock, void* context);
