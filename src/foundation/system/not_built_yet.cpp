#include "foundation/system/not_built_yet.h"

#include <set>
#include <string>
#include <unordered_set>

#include "foundation/system/debug_output.h"

namespace {

std::set<std::string>& Reported() {
  static std::set<std::string> names;
  return names;
}

// The texts already reported, by address: a step reached every frame costs
// one lookup of a pointer.
std::unordered_set<const char*>& Seen() {
  static std::unordered_set<const char*> seen;
  return seen;
}

}  // namespace

void NotBuiltYet(const char* what) {
  if (what == nullptr || Seen().count(what) != 0) return;
  Seen().insert(what);
  if (Reported().insert(what).second) DebugTrace("%s: not built yet\n", what);
}

int NotBuiltYetNames() { return static_cast<int>(Reported().size()); }

bool WasReportedNotBuiltYet(const char* what) { return what != nullptr && Reported().count(what) != 0; }

void ClearNotBuiltYet() {
  Reported().clear();
  Seen().clear();
}
