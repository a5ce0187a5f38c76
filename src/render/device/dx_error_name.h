// Names of Direct3D and D3DX result codes, for messages and logs.
#pragma once

#include "platform/win32/win_types.h"

// The standard name of the result code ("D3DERR_DEVICELOST"); "UNKNOWN ERROR" for any other code.
const char* DXErrorName(HRESULT result);
