#include "shell/program/input_script_run.h"

#include <cstdint>
#include <memory>

#include "platform/dinput8/input_script.h"
#include "platform/win32/window.h"
#include "shell/frame/run_frame.h"
#include "shell/program/program_entry.h"
#include "shell/program/shell_state.h"

namespace {

struct ScriptedInput {
  InputScriptPlayer player;
  std::uint32_t frame = 0;
};
std::unique_ptr<ScriptedInput> g_script;

void ScriptedFrame(void* context) {
  auto* run = static_cast<ScriptedInput*>(context);
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

void StopInputScript() {
  if (!g_script) return;
  SetLoopFrameHook(nullptr, nullptr);
  g_script.reset();
}

std::size_t InputScriptEvents() { return g_script ? g_script->player.EventCount() : 0; }
