// printf-style message boxes.  The text is formatted into one shared buffer
// of 4096 characters (cut, always terminated) and shown with `MessageBoxA`;
// each answers the button pressed (IDABORT, IDRETRY, IDIGNORE, IDOK).
#pragma once

#include "platform/win32/win_types.h"

// "Error" box owned by `owner`: Abort, Retry, Ignore, exclamation icon.
int ErrorBoxFor(HWND owner, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "Warning" box owned by `owner`: OK, exclamation icon.
int WarningBoxFor(HWND owner, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "Error" box over the active window: Abort, Retry, Ignore, exclamation icon.
int ErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// "Error" box with the caller's button flags plus the exclamation icon.
int ErrorBoxEx(unsigned int flags, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "Warning" box with the caller's button flags plus the exclamation icon.
int WarningBoxEx(unsigned int flags, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "Warning" box: OK, exclamation icon.
int WarningBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Box with an empty caption: OK, information icon.
int InfoBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
