// Every fuzz target runs quiet: the engine's diagnostics (the debugger
// channel, message boxes, what it prints to stdout) are dropped, so that a
// line for every input neither slows the runs nor fills the disk.  Set
// HALBERD_FUZZ_VERBOSE=1 to keep them, e.g. to see what a saved input does.
// stderr stays open here, since the sanitizers report there; `make fuzz` has
// libFuzzer close it for the target (-close_fd_mask), which keeps the
// reports on a copy of it.
#include <cstdio>
#include <cstdlib>

#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"

namespace {

void Drop(const char*, void*) {}

struct QuietFuzzTarget {
  QuietFuzzTarget() {
    const char* verbose = std::getenv("HALBERD_FUZZ_VERBOSE");
    if (verbose != nullptr && *verbose != '\0' && *verbose != '0') return;
    SetDebugOutputHook(Drop, nullptr);
    SetMessageBoxEcho(false);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::fputs("fuzz target: stdout stays open\n", stderr);
  }
};

const QuietFuzzTarget g_Quiet;

}  // namespace
