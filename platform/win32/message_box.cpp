#include "platform/win32/message_box.h"

#include <atomic>
#include <cstdio>

namespace {
constinit std::atomic<MessageBoxHook> gHook{nullptr};
constinit std::atomic<void*> gHookContext{nullptr};
constinit std::atomic<bool> gEcho{true};
constinit std::atomic<HWND> gActiveWindow{nullptr};

// The answer of a box nobody is there to press: the one that lets the
// program carry on.
int DefaultAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
      return IDOK;
    case MB_ABORTRETRYIGNORE:
      return IDIGNORE;
    case MB_YESNOCANCEL:
    case MB_YESNO:
      return IDYES;
    default:
      return IDCANCEL;
  }
}
}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (!text) text = "";
  if (!caption) caption = "Error";
  if (gEcho.load()) std::fprintf(stderr, "[message box] %s: %s\n", caption, text);
  MessageBoxHook hook = gHook.load();
  if (hook) return hook(owner, text, caption, type, gHookContext.load());
  return DefaultAnswer(type);
}

HWND GetActiveWindow() { return gActiveWindow.load(); }
void SetActiveWindowForBoxes(HWND window) { gActiveWindow.store(window); }

void SetMessageBoxHook(MessageBoxHook hook, void* context) {
  gHookContext.store(context);
  gHook.store(hook);
}

void SetMessageBoxEcho(bool echo) { gEcho.store(echo); }
