#include "foundation/system/registry_helpers.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::string AppPath(const char* subKey) { return std::string(kAppKeyRoot) + (subKey ? subKey : ""); }
}  // namespace

HKEY RegistryCreateAppKey(const char* subKey) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, AppPath(subKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

HKEY RegistryOpenAppKey(const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, AppPath(subKey).c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

void RegistryCloseKey(HKEY key) {
  if (key) RegCloseKey(key);
}

int RegistrySetDword(HKEY key, const char* name, std::uint32_t value) {
  DWORD data = value;
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
         ERROR_SUCCESS;
}

int RegistryQueryDword(HKEY key, const char* name, std::uint32_t* out) {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
    return 0;
  if (type != REG_DWORD || size != sizeof data) return 0;
  if (out) *out = data;
  return 1;
}

int RegistrySetFloat(HKEY key, const char* name, float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return RegistrySetString(key, name, text);
}

int RegistryQueryFloat(HKEY key, const char* name, float* out) {
  char text[256];
  if (!RegistryQueryString(key, name, text, sizeof text)) return 0;
  float value = 0;
  if (std::sscanf(text, "%f", &value) != 1) return 0;
  if (out) *out = value;
  return 1;
}

int RegistrySetString(HKEY key, const char* name, const char* text) {
  if (!text) text = "";
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

int RegistryQueryString(HKEY key, const char* name, char* out, std::size_t outSize) {
  char buffer[257];
  DWORD type = 0;
  DWORD size = 256;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) return 0;
  if (type != REG_SZ) return 0;
  buffer[size] = 0;
  std::size_t length = std::strlen(buffer);
  if (!out || length + 1 > outSize) return 0;
  std::memcpy(out, buffer, length + 1);
  return 1;
}

int RegistryDeleteList(HKEY key, const char* name) {
  std::uint32_t count = 0;
  if (RegistryQueryDword(key, name, &count)) {
    for (std::uint32_t i = 0; i < count; ++i) {
      char item[300];
      std::snprintf(item, sizeof item, "%s%u", name ? name : "", i);
      RegDeleteValueA(key, item);
    }
    RegDeleteValueA(key, name);
  }
  return 1;
}

int RegistryDeleteValue(HKEY key, const char* name) { return RegDeleteValueA(key, name) == ERROR_SUCCESS; }
