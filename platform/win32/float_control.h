// The floating-point control word of the C runtime: rounding, precision and
// exception masks in the documented bit layout.  Rounding is applied to the
// processor; precision and exception masks are kept as set (the processor
// here always computes in the precision of each type, with exceptions
// masked).
#pragma once

#include "platform/win32/win_types.h"

#define _MCW_EM 0x0008001Fu
#define _EM_INEXACT 0x00000001u
#define _EM_UNDERFLOW 0x00000002u
#define _EM_OVERFLOW 0x00000004u
#define _EM_ZERODIVIDE 0x00000008u
#define _EM_INVALID 0x00000010u
#define _EM_DENORMAL 0x00080000u
#define _MCW_RC 0x00000300u
#define _RC_NEAR 0x00000000u
#define _RC_DOWN 0x00000100u
#define _RC_UP 0x00000200u
#define _RC_CHOP 0x00000300u
#define _MCW_PC 0x00030000u
#define _PC_64 0x00000000u
#define _PC_53 0x00010000u
#define _PC_24 0x00020000u
#define _CW_DEFAULT (_RC_NEAR | _PC_53 | _MCW_EM)

// Changes the bits of the control word selected by `mask` to those of
// `value` and answers the new word; a mask of 0 only reads it.
unsigned int _controlfp(unsigned int value, unsigned int mask);
