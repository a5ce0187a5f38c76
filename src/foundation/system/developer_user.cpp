#include "foundation/system/developer_user.h"

#include <cstring>

#include "platform/win32/user_name.h"

namespace {
// The developer login names, ended by "NOMORE".  The team's own names are
// not part of this build, so the list holds only its end marker.
const char* const kDeveloperUsers[] = {"NOMORE"};
}  // namespace

int IsDeveloperUser() {
  char name[258];
  DWORD size = 257;
  if (!GetUserNameA(name, &size)) return 0;
  for (const char* user : kDeveloperUsers) {
    if (std::strcmp(user, "NOMORE") == 0) break;
    if (std::strcmp(user, name) == 0) return 1;
  }
  return 0;
}
