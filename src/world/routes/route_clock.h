// The clocks the route modules read: the game clock (router budget, weight
// decay, controller stamps) and the real clock (ground-probe staggering).
// The level start installs them; without clocks the time reads 0 and the
// frame time 0.  Main thread only.
#pragma once

#include <cstdint>

class CTimer;

void SetRouteClocks(const CTimer* gameClock, const CTimer* realClock);
// Game-clock time in milliseconds.
std::uint32_t RouteGameTime();
// Game-clock frame time in seconds.
float RouteFrameTime();
// Real-clock frame count.
std::uint32_t RouteRealFrameCount();
