#include "foundation/system/registry_key.h"

#include <cstring>

CRegistryKey::~CRegistryKey() { Close(); }

int CRegistryKey::Create(HKEY root, const char* subKey) {
  if (key_) Close();
  root_ = root;
  subKey_ = subKey ? subKey : "";
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(root, subKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition) != ERROR_SUCCESS)
    return Fail(REGSTATUS_CREATE_FAILED);
  key_ = key;
  return Succeed();
}

int CRegistryKey::Open(HKEY root, const char* subKey) {
  if (key_) Close();
  root_ = root;
  subKey_ = subKey ? subKey : "";
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return Fail(REGSTATUS_OPEN_FAILED);
  key_ = key;
  return Succeed();
}

int CRegistryKey::Close() {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  RegCloseKey(key_);
  key_ = nullptr;
  return Succeed();
}

int CRegistryKey::QueryDword(const char* name, std::uint32_t* value) {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return Fail(REGSTATUS_READ_FAILED);
  if (value) *value = data;
  return Succeed();
}

int CRegistryKey::QueryValue(const char* name, void* buffer, std::uint32_t size) {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  DWORD length = size;
  if (RegQueryValueExA(key_, name, nullptr, nullptr, static_cast<BYTE*>(buffer), &length) != ERROR_SUCCESS)
    return Fail(REGSTATUS_READ_FAILED);
  return Succeed();
}

int CRegistryKey::SetDword(const char* name, std::uint32_t value) {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  DWORD data = value;
  if (RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) != ERROR_SUCCESS)
    return Fail(REGSTATUS_WRITE_FAILED);
  return Succeed();
}

int CRegistryKey::SetString(const char* name, const char* text) {
  if (!text) text = "";
  return SetStringN(name, text, static_cast<std::uint32_t>(std::strlen(text) + 1));
}

int CRegistryKey::SetStringN(const char* name, const void* data, std::uint32_t length) {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  if (RegSetValueExA(key_, name, 0, REG_SZ, static_cast<const BYTE*>(data), length) != ERROR_SUCCESS)
    return Fail(REGSTATUS_WRITE_FAILED);
  return Succeed();
}

int CRegistryKey::DeleteValue(const char* name) {
  if (!key_) return Fail(REGSTATUS_NOT_OPEN);
  if (RegDeleteValueA(key_, name) != ERROR_SUCCESS) return Fail(REGSTATUS_DELETE_FAILED);
  return Succeed();
}
