#include "platform/win32/library.h"

#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Libraries the program carries inside itself, by lower-case name.
struct BuiltIn {
  const char* name;
  bool present;
};

struct LibraryState {
  BuiltIn builtIns[1] = {{"dpnhpast.dll", true}};
  // Handle -> name; shared libraries' handles are dlopen's.
  std::map<HMODULE, std::string> loaded;
  std::map<HMODULE, void*> shared;
  std::vector<std::string> folders;
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

BuiltIn* FindBuiltIn(const char* name) {
  for (BuiltIn& b : State().builtIns)
    if (strcasecmp(b.name, name) == 0) return &b;
  return nullptr;
}

// The folder the program's file lies in.
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n <= 0) return "";
  path[n] = 0;
  std::string s = path;
  return s.substr(0, s.rfind('/'));
}

std::string WorkingFolder() {
  char path[PATH_MAX];
  return getcwd(path, sizeof(path)) != nullptr ? path : "";
}

// The file of the folder whose name equals file without letter case.
std::string FindInFolder(const std::string& folder, const std::string& file) {
  if (folder.empty()) return "";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return "";
  std::string found;
  while (dirent* e = readdir(dir)) {
    if (strcasecmp(e->d_name, file.c_str()) == 0) {
      found = folder + "/" + e->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

// "Mission1.dll" (any letter case, any folder part dropped) -> the path of
// "Mission1.so" or "libMission1.so" in the search folders; "" when none.
std::string ResolveSharedLibrary(const char* name) {
  std::string base = name;
  const auto slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base = base.substr(slash + 1);
  if (base.size() > 4 && strcasecmp(base.c_str() + base.size() - 4, ".dll") == 0) base.resize(base.size() - 4);
  else if (base.size() > 3 && strcasecmp(base.c_str() + base.size() - 3, ".so") == 0) base.resize(base.size() - 3);
  if (base.empty()) return "";
  std::vector<std::string> folders = {ProgramFolder()};
  folders.insert(folders.end(), State().folders.begin(), State().folders.end());
  folders.push_back(WorkingFolder());
  for (const std::string& folder : folders) {
    for (const std::string& file : {base + ".so", "lib" + base + ".so"}) {
      const std::string path = FindInFolder(folder, file);
      if (!path.empty()) return path;
    }
  }
  return "";
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr || *name == 0) return nullptr;
  if (BuiltIn* builtIn = FindBuiltIn(name)) {
    if (!builtIn->present) {
      std::fprintf(stderr, "library: %s cannot be loaded\n", name);
      return nullptr;
    }
    // A built-in library's handle is its table entry.
    HMODULE handle = reinterpret_cast<HMODULE>(builtIn);
    State().loaded[handle] = name;
    return handle;
  }
  const std::string path = ResolveSharedLibrary(name);
  if (path.empty()) {
    std::fprintf(stderr, "library: %s was not found beside the program or in the data root\n", name);
    return nullptr;
  }
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* why = dlerror();
    std::fprintf(stderr, "library: %s cannot be loaded: %s\n", path.c_str(), why ? why : "unknown reason");
    return nullptr;
  }
  HMODULE handle = reinterpret_cast<HMODULE>(library);
  State().loaded[handle] = name;
  State().shared[handle] = library;
  return handle;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  LibraryState& s = State();
  if (s.loaded.erase(module) == 0) return FALSE;
  auto shared = s.shared.find(module);
  if (shared != s.shared.end()) {
    // A library loaded twice has two handles only in name: dlopen counts.
    dlclose(shared->second);
    s.shared.erase(shared);
  }
  return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
  if (module == nullptr || name == nullptr) return nullptr;
  auto shared = State().shared.find(module);
  if (shared == State().shared.end()) {
    std::fprintf(stderr, "library: %s is not exported by that library\n", name);
    return nullptr;
  }
  dlerror();
  void* symbol = dlsym(shared->second, name);
  if (symbol == nullptr) {
    std::fprintf(stderr, "library: %s is not exported by %s\n", name, State().loaded[module].c_str());
    return nullptr;
  }
  // The POSIX way from an object address to a function address.
  FARPROC function;
  static_assert(sizeof(function) == sizeof(symbol));
  std::memcpy(&function, &symbol, sizeof(function));
  return function;
}

void Win32SetLibraryPresent(const char* name, bool present) {
  if (BuiltIn* b = name != nullptr ? FindBuiltIn(name) : nullptr) b->present = present;
}

int Win32LoadedLibraryCount() { return static_cast<int>(State().loaded.size()); }

void Win32AddLibraryFolder(const char* folder) {
  if (folder == nullptr || *folder == 0) {
    State().folders.clear();
    return;
  }
  State().folders.push_back(folder);
}
