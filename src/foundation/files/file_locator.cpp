#include "foundation/files/file_locator.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/file_database.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "foundation/files/path_helpers.h"
#include "platform/win32/message_box.h"
#include "platform/win32/win_directory.h"
#include "platform/win32/win_stdio.h"

namespace {

char g_workDirectory[512];
bool g_workDirectorySet = false;
const char* const* g_searchFolders = nullptr;
int g_lastHitFolder = -1;
bool g_searchEnabled = true;
char g_locatedPath[1024];
CFileDatabase* g_fileDatabase = nullptr;

const char* SetLocated(const std::string& path) {
  std::snprintf(g_locatedPath, sizeof g_locatedPath, "%s", path.c_str());
  return g_locatedPath;
}

// Whether a path opens for reading; the probe is closed again.
bool Opens(const std::string& path) {
  std::FILE* f = WinFopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

std::string Candidate(const char* folder, const char* name) {
  if (std::strcmp(folder, "#") == 0) {
    const char* n = name;
    if (n[0] && n[1] == ':') n += 2;
    return n;
  }
  std::string base = GetPathFileName(name);
  if (folder[0] == '@') {
    const char* rest = folder + 1;
    if (*rest == '\\') ++rest;
    return std::string(GetWorkDirectory()) + rest + "\\" + base;
  }
  return std::string(folder) + "\\" + base;
}

}  // namespace

void SetWorkDirectory() {
  char cwd[sizeof g_workDirectory - 1];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  if (n == 0 || n >= sizeof cwd) cwd[0] = 0;
  std::snprintf(g_workDirectory, sizeof g_workDirectory, "%s\\", cwd);
  g_workDirectorySet = true;
}

const char* GetWorkDirectory() {
  if (!g_workDirectorySet) MessageBoxA(GetActiveWindow(), "No Working Directory Set\nSetWorkDirectory() # called\n", "Error", MB_OK);
  return g_workDirectory;
}

void SetSearchFolders(const char* const* folders) {
  g_searchFolders = folders;
  g_lastHitFolder = -1;
}

const char* const* GetSearchFolders() { return g_searchFolders; }
void SetSearchEnabled(int enabled) { g_searchEnabled = enabled != 0; }

const char* LocateFile(const char* name, int flags) { return LocateFileIn(name, g_searchFolders, flags); }

const char* LocateFileIn(const char* name, const char* const* folders, int flags) {
  if (!name) return nullptr;
  if (GetCatalogMode() & CATALOG_MODE_READ) return IsFileInCatalog(name) ? SetLocated(name) : nullptr;

  if (g_searchEnabled && !std::strchr(name, ':') && g_fileDatabase) {
    int i = g_fileDatabase->Find(GetPathFileName(name));
    if (i >= 0) {
      const FileDatabaseEntry* e = g_fileDatabase->GetEntry(i);
      return SetLocated(std::string(e->folder) + e->name);
    }
    if (Opens(name)) return SetLocated(name);
    std::string data = std::string("Data\\") + name;
    if (Opens(data)) return SetLocated(data);
    return nullptr;
  }

  if (!g_searchEnabled) flags |= LOCATE_NO_SEARCH;
  if (flags & LOCATE_NO_SEARCH) return SetLocated(name);

  GetWorkDirectory();
  if (!(flags & LOCATE_SKIP_NAME_AS_GIVEN) && Opens(name)) return SetLocated(name);
  if (!folders) return nullptr;

  int count = 0;
  while (folders[count]) ++count;
  if (g_lastHitFolder >= 0 && g_lastHitFolder < count) {
    std::string c = Candidate(folders[g_lastHitFolder], name);
    if (Opens(c)) return SetLocated(c);
  }
  for (int i = 0; i < count; ++i) {
    std::string c = Candidate(folders[i], name);
    if (Opens(c)) {
      g_lastHitFolder = i;
      return SetLocated(c);
    }
  }
  return nullptr;
}

BufferedFile* FileOpenOnSearchPath(const char* name, int flags) {
  const char* path = LocateFile(name, flags);
  if (!path) return nullptr;
  return FileOpen(path, "rb");
}

int FileExists(const char* name) {
  if (GetCatalogMode() & CATALOG_MODE_READ) return IsFileInCatalog(name);
  BufferedFile* h = FileOpenOnSearchPath(name, 0);
  if (!h) return 0;
  FileClose(h);
  return 1;
}

int LocatedPathContains(const char* text) { return text && std::strstr(g_locatedPath, text) != nullptr; }
const char* GetLocatedPath() { return g_locatedPath; }

int LoadFileDatabase(const char* fileName) {
  FreeFileDatabase();
  CFileDatabase* db = MEM_NEW(2) CFileDatabase;
  if (db && db->Read(fileName)) {
    g_fileDatabase = db;
    return 1;
  }
  if (db) MEM_DELETE db;
  ErrorBox("Failed to load file database \"%s\"", fileName ? fileName : "");
  return 0;
}

void FreeFileDatabase() {
  if (g_fileDatabase) MEM_DELETE g_fileDatabase;
  g_fileDatabase = nullptr;
}

CFileDatabase* GetFileDatabase() { return g_fileDatabase; }
