#include "foundation/system/file_dialogs.h"

#include <cstdio>
#include <cstring>

#include "foundation/system/message_box.h"
#include "foundation/files/path_helpers.h"
#include "platform/win32/message_box.h"
#include "platform/win32/registry.h"
#include "platform/win32/win_common_dialogs.h"
#include "platform/win32/win_directory.h"

namespace {

const char kDevelKey[] = "SOFTWARE\\BrindleGames\\BrindleDevel";
char g_dialogFolder[256];
char g_defaultExtension[64];

void ReadDialogFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDevelKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  char value[256] = {};
  DWORD type = 0, size = sizeof value - 1;
  if (RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    value[sizeof value - 1] = 0;
    std::snprintf(g_dialogFolder, sizeof g_dialogFolder, "%s", value);
  }
  RegCloseKey(key);
}

void WriteDialogFolder() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kDevelKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(g_dialogFolder),
                 static_cast<DWORD>(std::strlen(g_dialogFolder) + 1));
  RegCloseKey(key);
}

// Default extension: the first pattern after "*.", unless it is "*".
const char* DefaultExtension(const char* const* filters) {
  g_defaultExtension[0] = 0;
  if (filters && filters[0] && filters[1]) {
    const char* dot = std::strstr(filters[1], "*.");
    if (dot && std::strcmp(dot + 2, "*") != 0) std::snprintf(g_defaultExtension, sizeof g_defaultExtension, "%s", dot + 2);
  }
  return g_defaultExtension[0] ? g_defaultExtension : nullptr;
}

// The dialog record open and save share: the active window as owner, the
// first filter chosen, the file buffer, the start folder and default extension.
OPENFILENAMEA DialogRecord(const char* filter, const char* const* filters, char* buffer, DWORD bufferSize,
                           const char* initialFolder, DWORD flags) {
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = bufferSize;
  ofn.lpstrInitialDir = initialFolder;
  ofn.lpstrDefExt = DefaultExtension(filters);
  ofn.Flags = flags;
  return ofn;
}

}  // namespace

std::size_t BuildDialogFilter(const char* const* filters, char* out, std::size_t size) {
  if (!out || size < 2) return 0;
  std::size_t n = 0;
  for (std::size_t i = 0; filters && filters[i] && filters[i + 1]; i += 2) {
    for (int k = 0; k < 2; ++k) {
      std::size_t len = std::strlen(filters[i + k]);
      if (n + len + 2 > size) break;
      std::memcpy(out + n, filters[i + k], len + 1);
      n += len + 1;
    }
  }
  out[n] = 0;
  return n + 1;
}

const char* GetDialogFolder() { return g_dialogFolder; }

int OpenFileDialog(char* buffer, std::size_t bufferSize, const char* const* filters, unsigned extraFlags,
                   const char* initialFolder) {
  if (!buffer || bufferSize == 0) return 0;
  char filter[1024];
  BuildDialogFilter(filters, filter, sizeof filter);
  if (!initialFolder) {
    ReadDialogFolder();
    initialFolder = g_dialogFolder;
  }
  OPENFILENAMEA ofn = DialogRecord(filter, filters, buffer, static_cast<DWORD>(bufferSize), initialFolder,
                                   OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | extraFlags);
  if (!GetOpenFileNameA(&ofn)) return 0;
  std::snprintf(g_dialogFolder, sizeof g_dialogFolder, "%s", GetPathFolder(buffer));
  WriteDialogFolder();
  return 1;
}

int SaveFileDialog(char* buffer, const char* const* filters, const char* initialFolder) {
  if (!buffer) return 0;
  char filter[1024];
  BuildDialogFilter(filters, filter, sizeof filter);
  OPENFILENAMEA ofn =
      DialogRecord(filter, filters, buffer, 512, initialFolder, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  return GetSaveFileNameA(&ofn) ? 1 : 0;
}

int PickFolder(char* path, const char* title) {
  if (!path) return 0;
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = GetActiveWindow();
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (!item || !SHGetPathFromIDListA(item, path)) return 0;
  MessageBoxA(GetActiveWindow(), path, "Picked", MB_OK);
  return 1;
}
