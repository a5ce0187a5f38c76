#include "foundation/system/not_built_yet.h"

#include <set>
#include <string>

#include "foundation/system/debug_output.h"

namespace {
std::set<std::string>& Reported() {
  static std::set<std::string> names;
  return names;
}
}  // namespace

void NotBuiltYet(const char* what) {
  if (what == nullptr) return;
  if (Reported().insert(what).second) DebugTrace("%s: not built yet\n", what);
}

int NotBuiltYetNames() { return static_cast<int>(Reported().size()); }

bool WasReportedNotBuiltYet(const char* what) { return what != nullptr && Reported().count(what) != 0; }

void ClearNotBuiltYet() { Reported().clear(); }
