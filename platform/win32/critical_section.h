// Critical sections (a recursive mutex underneath, as a Windows critical
// section may be entered again by the thread that holds it) and the wait and
// close calls on handles.  The stand-in has no waitable kernel objects: a
// wait on any handle answers WAIT_FAILED at once.
#pragma once

#include "platform/win32/win_types.h"

struct CRITICAL_SECTION {
  void* impl = nullptr;  // the mutex, made by InitializeCriticalSection
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// Makes the section ready; it must be deleted once.
void InitializeCriticalSection(LPCRITICAL_SECTION section);
// Frees what InitializeCriticalSection made; an uninitialised section is ignored.
void DeleteCriticalSection(LPCRITICAL_SECTION section);
// Waits until this thread owns the section (again, when it already does).
void EnterCriticalSection(LPCRITICAL_SECTION section);
// Owns the section if it is free or already ours; FALSE otherwise.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
// Gives up one level of ownership.
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// WAIT_FAILED: no handle of the stand-in can be waited on.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// TRUE for a null handle (nothing to close); FALSE for anything else.
BOOL CloseHandle(HANDLE handle);
