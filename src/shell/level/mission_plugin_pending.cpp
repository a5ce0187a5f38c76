// Stand-in for the plug-in binding until it lands: no library can be bound,
// so a level named "*.dll" fails to load, and no event reaches a plug-in.
#include "shell/level/mission_plugin.h"

#include "foundation/system/not_built_yet.h"

int LoadMissionPlugin(const char*) {
  NotBuiltYet("mission plug-in binding");
  return 0;
}

void FreeMissionPlugin() {}

bool MissionPluginBound() { return false; }

std::int32_t RaiseMissionEvent(std::uint32_t, std::int32_t*, int) { return 0; }

void MissionPerFrameUpdate() {}
