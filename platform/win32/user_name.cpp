#include "platform/win32/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {
constinit std::mutex gLock;
constinit bool gOverridden = false;
constinit char gOverride[258] = {};

std::string RealUserName() {
  passwd entry{};
  passwd* result = nullptr;
  char buffer[4096];
  if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &result) == 0 && result && result->pw_name)
    return result->pw_name;
  for (const char* var : {"USER", "LOGNAME"}) {
    const char* v = std::getenv(var);
    if (v && *v) return v;
  }
  return {};
}
}  // namespace

BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  if (!size) return FALSE;
  std::string name;
  {
    std::lock_guard<std::mutex> lock(gLock);
    name = gOverridden ? std::string(gOverride) : RealUserName();
  }
  if (name.empty()) return FALSE;
  DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed;
  return TRUE;
}

void SetUserNameOverride(const char* name) {
  std::lock_guard<std::mutex> lock(gLock);
  gOverridden = name != nullptr;
  if (name) {
    std::strncpy(gOverride, name, sizeof gOverride - 1);
    gOverride[sizeof gOverride - 1] = 0;
  }
}
