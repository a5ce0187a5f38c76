#include "platform/win32/critical_section.h"

#include <mutex>

namespace {

std::recursive_mutex* MutexOf(LPCRITICAL_SECTION section) {
  return section ? static_cast<std::recursive_mutex*>(section->impl) : nullptr;
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (section) section->impl = new std::recursive_mutex;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (!section) return;
  delete MutexOf(section);
  section->impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (std::recursive_mutex* m = MutexOf(section)) m->lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  std::recursive_mutex* m = MutexOf(section);
  return m && m->try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (std::recursive_mutex* m = MutexOf(section)) m->unlock();
}

DWORD WaitForSingleObject(HANDLE, DWORD) { return WAIT_FAILED; }

BOOL CloseHandle(HANDLE handle) { return handle == nullptr ? TRUE : FALSE; }
