#include "platform/win32/debug_output.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {
constinit std::atomic<DebugOutputHook> gHook{nullptr};
constinit std::atomic<void*> gHookContext{nullptr};

// A debugger is attached when /proc reports a tracer.
bool DebuggerAttached() {
  std::FILE* fp = std::fopen("/proc/self/status", "r");
  if (!fp) return false;
  char line[256];
  bool traced = false;
  while (std::fgets(line, sizeof line, fp)) {
    if (std::strncmp(line, "TracerPid:", 10) == 0) {
      int pid = 0;
      std::sscanf(line + 10, "%d", &pid);
      traced = pid != 0;
      break;
    }
  }
  std::fclose(fp);
  return traced;
}
}  // namespace

void OutputDebugStringA(LPCSTR text) {
  if (!text) return;
  DebugOutputHook hook = gHook.load();
  if (hook) {
    hook(text, gHookContext.load());
    return;
  }
  std::fputs(text, stderr);
}

void DebugBreak() {
  if (DebuggerAttached()) std::raise(SIGTRAP);
}

void SetDebugOutputHook(DebugOutputHook hook, void* context) {
  gHookContext.store(context);
  gHook.store(hook);
}
