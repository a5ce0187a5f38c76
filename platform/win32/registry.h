// The registry, kept in one plain text file, registry.txt, in the folder set
// by SetRegistryFolder, else $HALBERD_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/halberd, else ~/.config/halberd.  Test runs
// (HALBERD_TEST set) with no folder given keep it in memory only, so they
// never touch the user's settings.  Keys are paths below a root key; values
// are REG_DWORD or REG_SZ (binary values are kept too).  Every change
// rewrites the file atomically (temporary file, then rename); a change that
// cannot be saved is undone and answers ERROR_ACCESS_DENIED.  Results are the
// documented error codes (ERROR_SUCCESS is 0).
#pragma once

#include "platform/win32/win_types.h"

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000003u)))

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0x00000000u
#define REG_OPTION_VOLATILE 0x00000001u
#define REG_CREATED_NEW_KEY 0x00000001u
#define REG_OPENED_EXISTING_KEY 0x00000002u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_BINARY 3u
#define REG_DWORD 4u

struct SECURITY_ATTRIBUTES;

// Opens an existing key below `root`; ERROR_FILE_NOT_FOUND when it is absent.
LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
// Opens a key below `root`, creating it (and the keys above it) when absent.
LSTATUS RegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM access,
                        SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
// Closes an opened key; ERROR_INVALID_HANDLE for a handle that is not open.
LSTATUS RegCloseKey(HKEY key);
// Reads a value: type, data and size (may each be null).  ERROR_MORE_DATA
// when the buffer is too small (*size then holds the size needed).
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
// Writes a value of `size` bytes; the file is rewritten.
LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// Deletes a value; ERROR_FILE_NOT_FOUND when absent.
LSTATUS RegDeleteValueA(HKEY key, LPCSTR name);

// Test hook: the folder that holds the registry file (null: the default).
// The store is re-read from there on the next call.
void SetRegistryFolder(const char* folder);
