// The debugger output channel.  Text goes to stderr, or to a hook that tests
// install.
#pragma once

#include "platform/win32/win_types.h"

// Sends a text to the debugger output.
void OutputDebugStringA(LPCSTR text);
// Stops in the debugger when one is attached; otherwise does nothing.
void DebugBreak();

// Test hook: receives every text instead of stderr.  Null removes it.
using DebugOutputHook = void (*)(const char* text, void* context);
void SetDebugOutputHook(DebugOutputHook hook, void* context);
