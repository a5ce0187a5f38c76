#include "world/routes/route_clock.h"

#include "foundation/time/timer.h"

namespace {
const CTimer* g_GameClock = nullptr;
const CTimer* g_RealClock = nullptr;
}  // namespace

void SetRouteClocks(const CTimer* gameClock, const CTimer* realClock) {
  g_GameClock = gameClock;
  g_RealClock = realClock;
}

std::uint32_t RouteGameTime() { return g_GameClock ? g_GameClock->GetGameTime() : 0; }

float RouteFrameTime() { return g_GameClock ? g_GameClock->GetFrameTime() : 0.0f; }

std::uint32_t RouteRealFrameCount() { return g_RealClock ? g_RealClock->GetFrameCounter() : 0; }
