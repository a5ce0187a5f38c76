// Small reads of the world and the game that every unit makes: the game
// clock's time, the level's rules flag, the cut-scene bit, the player-side
// damage switch and the network role.  Main thread only.
#pragma once

#include <cstdint>

// The game clock's time in ms (0 before the engine starts).
std::uint32_t UnitGameTime();
// The game clock's frame time in seconds (0 before the engine starts).
float UnitFrameTime();
// Bit 0 of the environment's flag word: the level's own rules are on.
bool LevelRulesFlag();

// The world's cut-scene bit: set while a cut-scene runs.
bool CutsceneRunning();
void SetCutsceneRunning(bool on);

// The player-side damage switch (1 at start): while 0, units of the local
// side and of sides not hostile to it take no damage.  In a network game it
// reads 1 unless the level's rules flag is set.
std::int32_t PlayerDamageSwitch();
void SetPlayerDamageSwitch(std::int32_t value);

// The program-wide crawl-allowed switch of the stance code (1 after any unit
// is made): while 0 the stance setters refuse crawling.
std::int32_t CrawlAllowed();
void SetCrawlAllowed(std::int32_t value);

// The network role, as the session layer answers it.
bool UnitNetworkGame();
bool UnitIsHost();
bool UnitIsClient();
