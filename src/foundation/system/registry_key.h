// A registry key kept open, recording the outcome of its last operation as
// a status code.  Keys are created and opened with full access.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32/registry.h"

enum RegistryStatus : std::int32_t {
  REGSTATUS_OK = 1,
  REGSTATUS_NOT_OPEN = -1,
  REGSTATUS_OPEN_FAILED = -2,
  REGSTATUS_CREATE_FAILED = -3,
  REGSTATUS_READ_FAILED = -4,
  REGSTATUS_WRITE_FAILED = -5,
  REGSTATUS_DELETE_FAILED = -6,
};

class CRegistryKey {
 public:
  CRegistryKey() = default;
  // Closes the key.
  virtual ~CRegistryKey();
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Closes any open key, then opens root\subKey creating it when absent.
  // 0 and status -3 on failure.
  int Create(HKEY root, const char* subKey);
  // Closes any open key, then opens an existing root\subKey.  0 and status
  // -2 on failure.
  int Open(HKEY root, const char* subKey);
  // 1 when a key was open; 0 and status -1 when none was.
  int Close();
  // Reads a REG_DWORD value; 0 and status -4 when it is absent or of another
  // type.
  int QueryDword(const char* name, std::uint32_t* value);
  // Reads a value into buffer (size bytes); 0 and status -4 when absent or
  // larger than the buffer.
  int QueryValue(const char* name, void* buffer, std::uint32_t size);
  // Writes a REG_DWORD value; 0 and status -5 on failure.
  int SetDword(const char* name, std::uint32_t value);
  // Writes a REG_SZ value with its NUL; 0 and status -5 on failure.
  int SetString(const char* name, const char* text);
  // Writes a REG_SZ value of the given byte length; 0 and status -5 on failure.
  int SetStringN(const char* name, const void* data, std::uint32_t length);
  // Deletes a value; 0 and status -6 on failure.
  int DeleteValue(const char* name);
  // Outcome of the last operation.
  std::int32_t GetStatus() const { return status_; }
  // The open key's handle, null when closed.
  HKEY GetHandle() const { return key_; }

 private:
  int Fail(std::int32_t status) {
    status_ = status;
    return 0;
  }
  int Succeed() {
    status_ = REGSTATUS_OK;
    return 1;
  }

  HKEY root_ = nullptr;
  std::string subKey_;  // a copy: the caller's text may not outlive the key
  HKEY key_ = nullptr;
  std::int32_t status_ = REGSTATUS_NOT_OPEN;
};
