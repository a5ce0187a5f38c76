#include "platform/win32/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "platform/win32/registry_store.h"

namespace {

struct OpenKey {
  std::string root;
  std::string path;
};

std::mutex gLock;
RegistryStore* gStore = nullptr;
std::set<OpenKey*>* gOpen = nullptr;
std::string* gFolderOverride = nullptr;
bool gLoaded = false;

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Where the file lives: the test folder, else $HALBERD_REGISTRY_DIR, else
// $XDG_CONFIG_HOME/halberd, else ~/.config/halberd.  Test runs without a
// folder keep the registry in memory only, so they never touch the user's.
std::string Folder() {
  if (gFolderOverride) return *gFolderOverride;
  if (const char* dir = std::getenv("HALBERD_REGISTRY_DIR"); dir && *dir) return dir;
  if (const char* test = std::getenv("HALBERD_TEST"); test && *test && std::strcmp(test, "0") != 0) return {};
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return std::string(xdg) + "/halberd";
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/halberd";
  return {};
}

std::string FilePath(const std::string& folder) { return folder + "/registry.txt"; }

void EnsureLoaded() {
  if (!gStore) gStore = new RegistryStore();
  if (!gOpen) gOpen = new std::set<OpenKey*>();
  if (gLoaded) return;
  gLoaded = true;
  *gStore = RegistryStore{};
  std::string folder = Folder();
  if (folder.empty()) return;
  std::FILE* fp = std::fopen(FilePath(folder).c_str(), "rb");
  if (!fp) return;
  std::string text;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, fp)) > 0;) text.append(buffer, n);
  std::fclose(fp);
  int bad = 0;
  ParseRegistryText(text.data(), text.size(), gStore, &bad);
  if (bad) std::fprintf(stderr, "registry: %d damaged line(s) in %s kept unread\n", bad, FilePath(folder).c_str());
}

bool MakeFolders(const std::string& folder) {
  std::string path;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '/') {
      if (!path.empty() && ::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    if (i < folder.size()) path += folder[i];
  }
  return true;
}

// Writes the whole store to a temporary file and renames it over the old.
bool Save() {
  std::string folder = Folder();
  if (folder.empty()) return true;
  if (!MakeFolders(folder)) {
    std::fprintf(stderr, "registry: cannot create %s\n", folder.c_str());
    return false;
  }
  std::string text = SerializeRegistry(*gStore);
  std::string temp = FilePath(folder) + ".tmp." + std::to_string(::getpid());
  std::FILE* fp = std::fopen(temp.c_str(), "wb");
  if (!fp) {
    std::fprintf(stderr, "registry: cannot write %s\n", temp.c_str());
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
  ok = std::fflush(fp) == 0 && ok;
  ok = ::fsync(::fileno(fp)) == 0 && ok;
  ok = std::fclose(fp) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), FilePath(folder).c_str()) != 0) {
    std::remove(temp.c_str());
    std::fprintf(stderr, "registry: cannot save %s\n", FilePath(folder).c_str());
    return false;
  }
  return true;
}

const char* PredefinedRoot(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return "HKCR";
  if (key == HKEY_CURRENT_USER) return "HKCU";
  if (key == HKEY_LOCAL_MACHINE) return "HKLM";
  if (key == HKEY_USERS) return "HKU";
  return nullptr;
}

// Resolves a handle (predefined or opened) plus a sub-key to a root and path.
bool Resolve(HKEY key, const char* subKey, std::string* root, std::string* path) {
  std::string base;
  if (const char* r = PredefinedRoot(key)) {
    *root = r;
  } else {
    auto* open = reinterpret_cast<OpenKey*>(key);
    if (!gOpen->count(open)) return false;
    *root = open->root;
    base = open->path;
  }
  std::string sub = NormaliseRegistryPath(subKey);
  *path = base.empty() ? sub : (sub.empty() ? base : base + "\\" + sub);
  return true;
}

RegistryKeyEntry* FindKey(HKEY key) {
  std::string root, path;
  if (!Resolve(key, nullptr, &root, &path)) return nullptr;
  auto it = gStore->keys.find(RegistryKeyId(root, path));
  if (it != gStore->keys.end()) return &it->second;
  if (path.empty()) return &AddRegistryKey(*gStore, root, path);
  return nullptr;
}

// The entry of an opened or predefined key, for the value calls: ERROR_INVALID_HANDLE
// for a handle that is not open, ERROR_FILE_NOT_FOUND for a key that is gone.
LSTATUS KeyEntry(HKEY key, RegistryKeyEntry** entry) {
  std::string root, path;
  if (!Resolve(key, nullptr, &root, &path)) return ERROR_INVALID_HANDLE;
  *entry = FindKey(key);
  return *entry ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

HKEY NewHandle(const std::string& root, const std::string& path) {
  auto* open = new OpenKey{root, path};
  gOpen->insert(open);
  return reinterpret_cast<HKEY>(open);
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  *result = nullptr;
  std::string r, path;
  if (!Resolve(root, subKey, &r, &path)) return ERROR_INVALID_HANDLE;
  if (!path.empty() && !gStore->keys.count(RegistryKeyId(r, path))) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(r, path);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, SECURITY_ATTRIBUTES*, PHKEY result,
                        LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  *result = nullptr;
  std::string r, path;
  if (!Resolve(root, subKey, &r, &path)) return ERROR_INVALID_HANDLE;
  bool existed = path.empty() || gStore->keys.count(RegistryKeyId(r, path));
  if (!existed) {
    AddRegistryKey(*gStore, r, path);
    if (!Save()) {
      gStore->keys.erase(RegistryKeyId(r, path));
      return ERROR_ACCESS_DENIED;
    }
  }
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *result = NewHandle(r, path);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  if (PredefinedRoot(key)) return ERROR_SUCCESS;
  auto* open = reinterpret_cast<OpenKey*>(key);
  if (!gOpen->erase(open)) return ERROR_INVALID_HANDLE;
  delete open;
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  if (data && !size) return ERROR_INVALID_PARAMETER;
  RegistryKeyEntry* entry = nullptr;
  if (LSTATUS status = KeyEntry(key, &entry); status != ERROR_SUCCESS) return status;
  auto it = entry->values.find(Lower(name ? name : ""));
  if (it == entry->values.end()) return ERROR_FILE_NOT_FOUND;
  const RegistryValue& v = it->second;
  if (type) *type = v.type;
  auto needed = static_cast<DWORD>(v.data.size());
  if (!size) return ERROR_SUCCESS;
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, v.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  if (size > kRegistryMaxValueSize || (size && !data)) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  RegistryKeyEntry* entry = nullptr;
  if (LSTATUS status = KeyEntry(key, &entry); status != ERROR_SUCCESS) return status;
  std::string lowerName = Lower(name ? name : "");
  auto old = entry->values.find(lowerName);
  bool had = old != entry->values.end();
  RegistryValue previous = had ? old->second : RegistryValue{};
  RegistryValue& v = entry->values[lowerName];
  if (!had) v.name = name ? name : "";
  v.type = type;
  v.data.assign(data, data + size);
  if (!Save()) {
    if (had) {
      v = previous;
    } else {
      entry->values.erase(lowerName);
    }
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR name) {
  std::lock_guard<std::mutex> lock(gLock);
  EnsureLoaded();
  RegistryKeyEntry* entry = nullptr;
  if (LSTATUS status = KeyEntry(key, &entry); status != ERROR_SUCCESS) return status;
  auto it = entry->values.find(Lower(name ? name : ""));
  if (it == entry->values.end()) return ERROR_FILE_NOT_FOUND;
  RegistryValue previous = it->second;
  entry->values.erase(it);
  if (!Save()) {
    entry->values[Lower(previous.name)] = previous;
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

void SetRegistryFolder(const char* folder) {
  std::lock_guard<std::mutex> lock(gLock);
  delete gFolderOverride;
  gFolderOverride = folder ? new std::string(folder) : nullptr;
  gLoaded = false;
}
