// The one way a loader ends the program on data it cannot recover from (a
// corrupt sound cache, for one): the process exits with the code given.
// Tests install a hook in its place, so that they see the end without dying.
#pragma once

// Ends the program with `code`, or calls the installed hook and returns.
void ExitProgram(int code);

// Test hook: receives the code instead of ending the process.  Null removes
// it.  Answers the hook it replaced.
using ProgramExitHook = void (*)(int code, void* context);
ProgramExitHook SetProgramExitHook(ProgramExitHook hook, void* context);
