#include "shell/level_pool_sizes.h"

#include <string>

#include "foundation/files/path_helpers.h"
#include "foundation/system/command_switches.h"
#include "world/environment/pool_size_file.h"

namespace {
int gProgressCount = 0;
}  // namespace

void LoadProgressCallback(const char* /*caption*/, int /*total*/, int /*unused*/) { ++gProgressCount; }
int GetLoadProgressCount() { return gProgressCount; }
void ClearLoadProgressCount() { gProgressCount = 0; }

int LevelStartPoolSizes(const char* levelPath) {
  const std::string level = GetPathBaseName(levelPath ? levelPath : "");
  return PoolSizeFileRead(level.c_str());
}

bool LevelEndPoolSizes(const char* levelPath) {
  bool written = false;
  // Building ('c') or reading ('d') catalogs is not a real play of the level.
  if (!IsCommandSwitchSet('c') && !IsCommandSwitchSet('d')) {
    const std::string level = GetPathBaseName(levelPath ? levelPath : "");
    written = PoolSizeFileWrite(level.c_str(), gProgressCount);
  }
  gProgressCount = 0;
  return written;
}
