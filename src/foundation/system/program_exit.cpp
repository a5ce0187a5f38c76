#include "foundation/system/program_exit.h"

#include <cstdio>
#include <cstdlib>

namespace {
ProgramExitHook g_hook = nullptr;
void* g_context = nullptr;
}  // namespace

void ExitProgram(int code) {
  if (g_hook != nullptr) {
    g_hook(code, g_context);
    return;
  }
  std::fflush(nullptr);
  std::exit(code);
}

ProgramExitHook SetProgramExitHook(ProgramExitHook hook, void* context) {
  ProgramExitHook old = g_hook;
  g_hook = hook;
  g_context = hook != nullptr ? context : nullptr;
  return old;
}
