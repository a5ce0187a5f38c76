// System-wide settings the game switches off while it runs and restores at
// exit: the screen saver, and the monitor's low-power and power-off modes.
// The screen saver acts through SDL's screen-saver switch; the two power
// settings have no equivalent here and are only kept, so that a caller (and
// a test) reads back what was last written.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"

inline constexpr UINT SPI_GETSCREENSAVEACTIVE = 0x0010;
inline constexpr UINT SPI_SETSCREENSAVEACTIVE = 0x0011;
inline constexpr UINT SPI_GETLOWPOWERACTIVE = 0x0053;
inline constexpr UINT SPI_GETPOWEROFFACTIVE = 0x0054;
inline constexpr UINT SPI_SETLOWPOWERACTIVE = 0x0055;
inline constexpr UINT SPI_SETPOWEROFFACTIVE = 0x0056;
inline constexpr UINT SPIF_UPDATEINIFILE = 0x0001;
inline constexpr UINT SPIF_SENDCHANGE = 0x0002;

// The three "active" settings: a GET action writes the value (0 or 1) as a
// BOOL through `param`; a SET action takes it from `uiParam`.  Answers FALSE
// for any other action or a GET without `param`.  All three start at 1.
BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* param, UINT winIni);

// For tests: how many SET actions were carried out since start.
int Win32SystemParameterWrites();
