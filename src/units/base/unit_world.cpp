#include "units/base/unit_world.h"

#include "foundation/time/timer.h"
#include "net/mp_layer.h"
#include "world/engine.h"
#include "world/environment/environment.h"

namespace {
bool g_cutscene = false;
std::int32_t g_playerDamage = 1;
std::int32_t g_crawlAllowed = 1;
}  // namespace

std::uint32_t UnitGameTime() { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0u; }

float UnitFrameTime() { return g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f; }

bool LevelRulesFlag() { return g_Environment != nullptr && (g_Environment->Flags & 1u) != 0; }

bool CutsceneRunning() { return g_cutscene; }
void SetCutsceneRunning(bool on) { g_cutscene = on; }

std::int32_t PlayerDamageSwitch() {
  if (MPIsNetworkGame() && !LevelRulesFlag()) return 1;
  return g_playerDamage;
}
void SetPlayerDamageSwitch(std::int32_t value) { g_playerDamage = value; }

std::int32_t CrawlAllowed() { return g_crawlAllowed; }
void SetCrawlAllowed(std::int32_t value) { g_crawlAllowed = value; }

bool UnitNetworkGame() { return MPIsNetworkGame(); }
bool UnitIsHost() { return MPIsNetworkGame() && MPIsHost(); }
bool UnitIsClient() { return MPIsNetworkGame() && MPIsClient(); }
