// The assertion dialog: Abort ends the program, Retry asks the caller to stop
// in the debugger, Ignore silences this assertion from then on.
#pragma once

#include "platform/win32/debug_output.h"

// Shows the failed assertion unless *ignore is set.  Answers true for Retry
// (the caller breaks into the debugger), false otherwise; Ignore sets
// *ignore; Abort ends the program.
bool AssertFailed(const char* expression, const char* file, int line, bool* ignore, const char* message);

#define HALBERD_ASSERT(expr, message)                                              \
  do {                                                                             \
    static bool halberdAssertIgnore = false;                                       \
    if (!(expr) && AssertFailed(#expr, __FILE__, __LINE__, &halberdAssertIgnore, (message))) \
      DebugBreak();                                                                \
  } while (0)
