// Message boxes.  There is no desktop dialog here: the box is printed to
// stderr and answered by a hook that tests install.  Without a hook the
// answer is the box's default (IDOK for OK boxes, IDIGNORE for
// Abort/Retry/Ignore, IDYES, IDCANCEL otherwise); stdin is never read.
#pragma once

#include "platform/win32/win_types.h"

// Button sets (low nibble), icons and options.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_TOPMOST 0x00040000u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONMASK 0x000000F0u

// Answers.
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Shows (prints) a box and answers the button pressed.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// The window that owns boxes shown "over the active window"; null here
// unless the window stand-in has registered one.
HWND GetActiveWindow();
// Lets the window stand-in report the active window.
void SetActiveWindowForBoxes(HWND window);

// Test hook: answers a box instead of the default.  Null removes it.
using MessageBoxHook = int (*)(HWND owner, const char* text, const char* caption, UINT type, void* context);
void SetMessageBoxHook(MessageBoxHook hook, void* context);
// When false, boxes are not printed to stderr (the hook still sees them).
void SetMessageBoxEcho(bool echo);
