#include "net/sync/critical_section_lock.h"

CSyncHandle::~CSyncHandle() { CloseHandle(handle_); }

DWORD CSyncHandle::Wait(DWORD milliseconds) { return WaitForSingleObject(handle_, milliseconds); }

BOOL CSyncHandle::Enter() { return 1; }

CCriticalSectionLock::CCriticalSectionLock() { InitializeCriticalSection(&section_); }

CCriticalSectionLock::~CCriticalSectionLock() { DeleteCriticalSection(&section_); }

BOOL CCriticalSectionLock::Enter() {
  EnterCriticalSection(&section_);
  return 1;
}

BOOL CCriticalSectionLock::Release() {
  LeaveCriticalSection(&section_);
  return 1;
}
