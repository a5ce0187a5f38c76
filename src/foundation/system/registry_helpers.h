// Plain registry functions over the application's keys, kept under
// HKEY_LOCAL_MACHINE "SOFTWARE\BrindleGames\" + a sub-key per area.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/registry.h"

// The folder of the application's keys.
inline constexpr const char* kAppKeyRoot = "SOFTWARE\\BrindleGames\\";

// Opens the application's sub-key, creating it when absent; null on failure.
HKEY RegistryCreateAppKey(const char* subKey);
// Opens the application's existing sub-key; null when absent.
HKEY RegistryOpenAppKey(const char* subKey);
// Closes a key (null is ignored).
void RegistryCloseKey(HKEY key);
// Writes a REG_DWORD; 1 on success.
int RegistrySetDword(HKEY key, const char* name, std::uint32_t value);
// Reads a value; 1 only when it exists and is a 4-byte REG_DWORD.
int RegistryQueryDword(HKEY key, const char* name, std::uint32_t* out);
// Writes a float as REG_SZ text ("%f"); 1 on success.
int RegistrySetFloat(HKEY key, const char* name, float value);
// Reads a float; 1 only when the value is REG_SZ text that reads as one.
int RegistryQueryFloat(HKEY key, const char* name, float* out);
// Writes a REG_SZ with its NUL; 1 on success.
int RegistrySetString(HKEY key, const char* name, const char* text);
// Reads a REG_SZ (at most 256 bytes) into out of outSize bytes, always
// terminated; 1 only when it is REG_SZ and fits.
int RegistryQueryString(HKEY key, const char* name, char* out, std::size_t outSize);
// Deletes the list stored under name: when a REG_DWORD count n is there,
// the values name0 .. name(n-1), then name itself.  Answers 1.
int RegistryDeleteList(HKEY key, const char* name);
// Deletes one value; 1 on success.
int RegistryDeleteValue(HKEY key, const char* name);
