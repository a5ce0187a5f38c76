// The open, save and folder-picker dialogs of the developer tools.  There is no
// display here: every dialog answers "cancelled" (FALSE or null) and says so
// once on stderr.
#pragma once

#include "platform/win32/win_types.h"

#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_EXPLORER 0x00080000u

#define BIF_RETURNONLYFSDIRS 0x00000001u
#define BIF_STATUSTEXT 0x00000004u

#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
};

struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using BFFCALLBACK = int (*)(HWND window, UINT message, LPARAM lparam, LPARAM data);

struct BROWSEINFOA {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPSTR pszDisplayName;
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};

// File open dialog: always cancelled here (FALSE, the buffer untouched).
BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
// File save dialog: always cancelled here (FALSE, the buffer untouched).
BOOL GetSaveFileNameA(OPENFILENAMEA* dialog);
// Folder picker: always cancelled here (null).
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
// The folder of a picked item; FALSE for null (nothing can be picked here).
BOOL SHGetPathFromIDListA(LPCITEMIDLIST item, LPSTR path);
