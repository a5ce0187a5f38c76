#include "platform/win32/win_common_dialogs.h"

#include <cstdio>

namespace {

void SayCancelledOnce() {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "file dialogs: no display in this build; every file or folder dialog is cancelled\n");
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA*) {
  SayCancelledOnce();
  return FALSE;
}

BOOL GetSaveFileNameA(OPENFILENAMEA*) {
  SayCancelledOnce();
  return FALSE;
}

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA*) {
  SayCancelledOnce();
  return nullptr;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST item, LPSTR path) {
  if (!item || !path) return FALSE;
  return FALSE;
}
