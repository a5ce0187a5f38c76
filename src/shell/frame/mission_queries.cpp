#include "shell/frame/mission_queries.h"

#include "shell/level/mission_plugin.h"

namespace {
std::uint32_t Ask(std::uint32_t event) {
  if (!MissionPluginBound()) return 0;
  std::int32_t block[1] = {0};
  RaiseMissionEvent(event, block, 1);
  return static_cast<std::uint32_t>(block[0]);
}
}  // namespace

std::uint32_t MissionQueryMode() { return Ask(kEventQueryMode); }

std::uint32_t MissionQuerySkipPrompt() { return Ask(kEventSkipPrompt); }
