#include "platform/win32/library.h"

#include <strings.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Libraries the program carries inside itself, by lower-case name.
struct BuiltIn {
  const char* name;
  bool present;
};

struct LibraryState {
  BuiltIn builtIns[1] = {{"dpnhpast.dll", true}};
  std::map<HMODULE, std::string> loaded;
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

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
  if (name == nullptr) return nullptr;
  BuiltIn* builtIn = FindBuiltIn(name);
  if (builtIn == nullptr || !builtIn->present) {
    std::fprintf(stderr, "library: %s cannot be loaded\n", name);
    return nullptr;
  }
  // A built-in library's handle is its table entry.
  HMODULE handle = reinterpret_cast<HMODULE>(builtIn);
  State().loaded[handle] = name;
  return handle;
}

BOOL FreeLibrary(HMODULE module) {
  if (module == nullptr) return FALSE;
  return State().loaded.erase(module) != 0 ? TRUE : FALSE;
}

void Win32SetLibraryPresent(const char* name, bool present) {
  if (BuiltIn* b = name != nullptr ? FindBuiltIn(name) : nullptr) b->present = present;
}

int Win32LoadedLibraryCount() { return static_cast<int>(State().loaded.size()); }
