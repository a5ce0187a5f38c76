// Feeds arbitrary text to the load-list reader, as a list read under a name.
// No engine runs: ENVIRONMENT fails (and stops the list), ANIM answers its
// messages, INCLUDE of a missing list fails with its message.  The result
// must be 0 or 1, a failed list leaves a set error word or no END, and
// nothing is read past the text.  Seed: the demo level's load list.
#include <cstdint>
#include <cstdlib>

#include "platform/win32/message_box.h"
#include "shell/level/load_list.h"
#include "shell/program/game_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageBoxEcho(false);
    return true;
  }();
  (void)quiet;
  LoadListContext context;
  const int result = ReadLoadListText(&context, "fuzz.loa", reinterpret_cast<const char*>(data), size);
  if (result != 0 && result != 1) std::abort();
  if (result == 1 && context.Error != 0) std::abort();
  return 0;
}
