#include "foundation/system/assert_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win32/message_box.h"

bool AssertFailed(const char* expression, const char* file, int line, bool* ignore, const char* message) {
  if (ignore && *ignore) return false;
  char text[4096];
  std::snprintf(text, sizeof text, "Error \"%s\"\n File: %s, Line: %d\n\n%s", expression ? expression : "",
                file ? file : "", line, message ? message : "");
  int answer = MessageBoxA(nullptr, text, "Assert failed - Retry Debugs",
                           MB_ABORTRETRYIGNORE | MB_ICONWARNING | MB_TOPMOST);
  if (answer == IDABORT) std::abort();
  if (answer == IDRETRY) return true;
  if (ignore) *ignore = true;
  return false;
}
