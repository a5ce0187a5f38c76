// The login name of the user running the program.
#pragma once

#include "platform/win32/win_types.h"

// Copies the user name with its NUL into buffer; *size is the buffer size on
// entry and the characters copied (NUL included) on return.  FALSE when the
// name is unknown or does not fit (then *size is the size needed).
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);
// Test hook: the name reported instead of the real one; null restores it.
void SetUserNameOverride(const char* name);
