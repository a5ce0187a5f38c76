#include "platform/win32/win_types.h"
static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(HANDLE) == sizeof(void*));
