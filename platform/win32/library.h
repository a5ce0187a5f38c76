// Dynamic libraries by their Windows names.  The program asks for the
// network address-translation helper "dpnhpast.dll" only to see that it is
// there: the network layer is linked into the program here, so the name is
// answered as present (a test can make it absent).  Any other name is a
// shared library of ours (a mission plug-in): "X.dll" is found as "X.so",
// letter case aside, beside the program, then in the folders a test added,
// then in the working directory (the data root), and loaded with dlopen.
#pragma once

#include "platform/win32/win_types.h"

// A handle for the named library, or null (and a line on stderr) when it
// cannot be had.  Names are compared without letter case.
HMODULE LoadLibraryA(LPCSTR name);
// Lets a library go; FALSE for a null or unknown handle.
BOOL FreeLibrary(HMODULE module);

// The address a library exports under the name; null (and a line on stderr)
// when there is none or the handle is not a loaded library.
using FARPROC = void (*)();
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

// Test hook: one more folder to look in after the program's own (null or ""
// forgets every added folder).
void Win32AddLibraryFolder(const char* folder);

// Test switch: whether a library the program answers as built in (e.g.
// "dpnhpast.dll") is present.  Every built-in name starts present.
void Win32SetLibraryPresent(const char* name, bool present);
// For tests: libraries loaded and not freed yet.
int Win32LoadedLibraryCount();
