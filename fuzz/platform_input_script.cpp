// Any bytes parsed as a recorded input script: nothing is read out of bounds,
// a refused script keeps no event and says which line, and every event kept
// has its numbers in range and frames that never go back.
//
// Seeds: run with HALBERD_WRITE_SEEDS=<folder> to write scripts using every
// kind of line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "platform/dinput8/input_script.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeedIn(folder, "keys.txt",
                "# walk forward and turn\n0 focus gained\n1 keydown W\n30 keydown Left\n45 keyup Left\n60 keyup W\n"
                "61 keydown Left Ctrl\n61 keydown F10\n62 keyup F10\n62 keyup Left Ctrl\n70 text h\xC3\xA9\n");
    WriteSeedIn(folder, "mouse.txt",
                "0 mousemove 400 300 0 0\r\n2 mousemove 410 300 10 0\r\n3 mousedown 0\r\n4 mouseup 0\r\n5 wheel -2\r\n");
    WriteSeedIn(folder, "pads.txt",
                "0 padattach 0\n0 padattach 1\n1 padaxis 1 Y -1\n1 padaxis 0 RT 0.75\n2 padbutton 0 3 1\n"
                "3 padbutton 0 3 0\n9 paddetach 1\n10 focus lost\n");
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<InputScriptEvent> events;
  std::string error;
  const bool ok = ParseInputScript(reinterpret_cast<const char*>(data), size, &events, &error);
  if (!ok) {
    if (!events.empty() || error.rfind("input script line ", 0) != 0) __builtin_trap();
    return 0;
  }
  std::uint32_t last = 0;
  for (const InputScriptEvent& e : events) {
    if (e.frame < last) __builtin_trap();
    last = e.frame;
    switch (e.kind) {
      case InputScriptKind::PadAttach:
      case InputScriptKind::PadDetach:
      case InputScriptKind::PadAxis:
      case InputScriptKind::PadButton:
        if (e.values[0] < 0 || e.values[0] >= kInputScriptPads) __builtin_trap();
        break;
      case InputScriptKind::MouseDown:
      case InputScriptKind::MouseUp:
        if (e.values[0] < 0 || e.values[0] > 2) __builtin_trap();
        break;
      default:
        break;
    }
    if (e.kind == InputScriptKind::PadAxis && !(e.value >= -1.0f && e.value <= 1.0f)) __builtin_trap();
  }
  return 0;
}
