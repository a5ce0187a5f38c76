// The network library's locks.  `CSyncHandle` holds a handle and lets a
// thread wait on it; `CCriticalSectionLock` is a critical section behind the
// same operations.  Two process-wide locks of this kind guard every server
// callback and every client callback of the transport; each queue, the
// player table and the host list keep one of their own.
#pragma once

#include "platform/win32/critical_section.h"
#include "platform/win32/win_types.h"

class CSyncHandle {
 public:
  CSyncHandle() = default;
  CSyncHandle(const CSyncHandle&) = delete;
  CSyncHandle& operator=(const CSyncHandle&) = delete;
  // Closes the handle.
  virtual ~CSyncHandle();
  // Waits on the handle for at most `milliseconds`; the wait's result.
  virtual DWORD Wait(DWORD milliseconds);
  // Takes the object; does nothing here and answers 1.
  virtual BOOL Enter();
  // Gives the object back.
  virtual BOOL Release() = 0;

 protected:
  HANDLE handle_ = nullptr;
};

class CCriticalSectionLock : public CSyncHandle {
 public:
  CCriticalSectionLock();
  ~CCriticalSectionLock() override;
  // Owns the section (again, when this thread already does); answers 1.
  BOOL Enter() override;
  // Gives up one level of ownership; answers 1.
  BOOL Release() override;
  BOOL Leave() { return Release(); }

 private:
  CRITICAL_SECTION section_;
};

// Holds a lock for the life of a scope.
class CLockScope {
 public:
  explicit CLockScope(CSyncHandle& lock) : lock_(lock) { lock_.Enter(); }
  ~CLockScope() { lock_.Release(); }
  CLockScope(const CLockScope&) = delete;
  CLockScope& operator=(const CLockScope&) = delete;

 private:
  CSyncHandle& lock_;
};
