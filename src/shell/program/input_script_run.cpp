#include "shell/program/input_script_run.h"

#include <cstdint>
#include <memory>

#include "platform/dinput8/input_script.h"
#include "platform/win32/clocks.h"
#include "platform/win32/window.h"
#include "shell/frame/run_frame.h"
#include "shell/program/program_entry.h"
#include "shell/program/shell_state.h"

namespace {

// The script's clock: where the real clock stood when it was taken, then the
// frames' steps and the waits added in milliseconds.
struct ScriptClock {
  LONGLONG startNs = 0;
  std::uint64_t elapsedMs = 0;
  unsigned frameMs = 0;
};

struct ScriptedInput {
  InputScriptPlayer player;
  std::uint32_t frame = 0;
  ScriptClock clock;
};
std::unique_ptr<ScriptedInput> g_script;

constexpr LONGLONG kNsPerMs = 1000000;

LONGLONG ScriptClockNow(void* context) {
  const auto* clock = static_cast<const ScriptClock*>(context);
  return clock->startNs + static_cast<LONGLONG>(clock->elapsedMs) * kNsPerMs;
}

void ScriptClockSleep(DWORD milliseconds, void* context) {
  static_cast<ScriptClock*>(context)->elapsedMs += milliseconds;
}

void ReleaseScriptClock() {
  if (!g_script || g_script->clock.frameMs == 0) return;
  SetFakeClock(nullptr, nullptr);
  SetSleepHook(nullptr, nullptr);
  g_script->clock.frameMs = 0;
}

void ScriptedFrame(void* context) {
  auto* run = static_cast<ScriptedInput*>(context);
  if (run->frame != 0) run->clock.elapsedMs += run->clock.frameMs;
  run->player.PlayUpTo(run->frame++, MainWindow);
  // This frame's events reach the window before the frame reads its input.
  MSG msg;
  const UINT ranges[][2] = {{WM_ACTIVATE, WM_ACTIVATE}, {WM_KEYDOWN, 0x0108}, {WM_MOUSEMOVE, 0x0209}};
  for (const auto& r : ranges)
    while (PeekMessageA(&msg, nullptr, r[0], r[1], PM_REMOVE)) DispatchMessageA(&msg);
  RunFrame();
}

}  // namespace

bool StartInputScript(const char* path, std::string* error) {
  auto run = std::make_unique<ScriptedInput>();
  if (!run->player.Load(path, error)) return false;
  g_script = std::move(run);
  SetLoopFrameHook(&ScriptedFrame, g_script.get());
  return true;
}

void SetInputScriptFrameTime(unsigned milliseconds) {
  if (!g_script) return;
  ReleaseScriptClock();
  if (milliseconds == 0) return;
  ScriptClock& clock = g_script->clock;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  clock.startNs = now.QuadPart;
  clock.elapsedMs = 0;
  clock.frameMs = milliseconds;
  SetFakeClock(&ScriptClockNow, &clock);
  SetSleepHook(&ScriptClockSleep, &clock);
}

void StopInputScript() {
  if (!g_script) return;
  ReleaseScriptClock();
  SetLoopFrameHook(nullptr, nullptr);
  g_script.reset();
}

std::size_t InputScriptEvents() { return g_script ? g_script->player.EventCount() : 0; }
