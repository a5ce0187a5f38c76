#include "foundation/system/message_box.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/win32/message_box.h"

namespace {

// The one buffer all boxes format into.
constinit char gMessageBuffer[4096];
constinit std::mutex gMessageLock;

int ShowV(HWND owner, const char* caption, UINT type, const char* format, va_list args) {
  std::lock_guard<std::mutex> lock(gMessageLock);
  // Cut at 4095 characters and always terminated.
  std::vsnprintf(gMessageBuffer, sizeof gMessageBuffer, format, args);
  return MessageBoxA(owner, gMessageBuffer, caption, type);
}

}  // namespace

#define HALBERD_BOX(owner, caption, type)                       \
  va_list args;                                                 \
  va_start(args, format);                                       \
  int answer = ShowV((owner), (caption), (type), format, args); \
  va_end(args);                                                 \
  return answer

int ErrorBoxFor(HWND owner, const char* format, ...) {
  HALBERD_BOX(owner, "Error", MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION);
}

int WarningBoxFor(HWND owner, const char* format, ...) {
  HALBERD_BOX(owner, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

int ErrorBox(const char* format, ...) {
  HALBERD_BOX(GetActiveWindow(), "Error", MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION);
}

int ErrorBoxEx(unsigned int flags, const char* format, ...) {
  HALBERD_BOX(GetActiveWindow(), "Error", flags | MB_ICONEXCLAMATION);
}

int WarningBoxEx(unsigned int flags, const char* format, ...) {
  HALBERD_BOX(GetActiveWindow(), "Warning", flags | MB_ICONEXCLAMATION);
}

int WarningBox(const char* format, ...) {
  HALBERD_BOX(GetActiveWindow(), "Warning", MB_OK | MB_ICONEXCLAMATION);
}

int InfoBox(const char* format, ...) {
  HALBERD_BOX(GetActiveWindow(), "", MB_OK | MB_ICONINFORMATION);
}
