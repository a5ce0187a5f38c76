// Any bytes parsed as a dialog script: nothing is read out of bounds, a
// refused script keeps no action and names its line, and every action kept
// has a dialog number and list entry in range.
//
// Seeds: run with HALBERD_WRITE_SEEDS=<folder> to write scripts using every
// kind of line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_seed_file.h"
#include "platform/win32/dialog.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeedIn(folder, "launch_ok.txt", "# start with the stored settings\n106 click 1\n");
    WriteSeedIn(folder, "settings.txt",
                "106 click 1029\r\n108 choose 1018 0\r\n108 choose 1020 2\r\n108 click 1021\r\n108 click 1034\r\n"
                "108 click 1040\r\n106 click 1\r\n");
    WriteSeedIn(folder, "keys.txt", "0 key Escape\n103 choose 1000 3\n103 key Return\n");
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<DialogAction> actions;
  std::string error;
  const bool ok = ParseDialogScript(std::string(reinterpret_cast<const char*>(data), size), &actions, &error);
  if (!ok) {
    if (!actions.empty() || error.rfind("dialog script line ", 0) != 0) __builtin_trap();
    return 0;
  }
  for (const DialogAction& a : actions) {
    if (a.dialog < 0 || a.dialog > 0xFFFF) __builtin_trap();
    if (a.kind == DialogAction::Choose && a.item < 0) __builtin_trap();
    if (a.kind == DialogAction::Key && a.key.empty()) __builtin_trap();
  }
  return 0;
}
