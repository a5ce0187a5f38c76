// Slot 0: the version check every plug-in calls first.
#include "foundation/system/message_box.h"
#include "foundation/system/program_exit.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"
#include "shell/script/script_function_table.h"

namespace script_slot {

int32_t ScriptCheckVersion(int32_t major, int32_t minor, int32_t build) {
  if (major == SCRIPT_VERSION_MAJOR && minor == SCRIPT_VERSION_MINOR && build == SCRIPT_VERSION_BUILD) return 1;
  const int answer = ErrorBox(
      "Level script is out of date and needs re-building : game version %d.%d:%d, script version %d.%d:%d\n\n"
      "\"Retry\" to debug, \"Ignore\" to attempt to continue or \"Abort\" to exit",
      SCRIPT_VERSION_MAJOR, SCRIPT_VERSION_MINOR, SCRIPT_VERSION_BUILD, major, minor, build);
  if (answer == IDABORT) {
    ExitProgram(0);
    return 0;
  }
  // Retry stops in a debugger when one is attached; without one it is
  // taken as Ignore (a break with no debugger would end the program).
  if (answer == IDRETRY) DebugBreak();
  return 0;
}

}  // namespace script_slot
