// The effect modules as the game drives them: created once at game start-up
// in the fixed order (sphere events, explosions, trails, effect pool,
// particle pool, impact pieces, emitter list, tracer batteries), given their
// record arrays from the level's linear buffer at each level load and back at
// level shut-down, and stepped and drawn at their places in the frame.
// Main thread only.
#pragma once

#include <cstdint>

class CLinearBuffer;
class CTimer;

// Byte budget of the particle pool that the game creates (250 particles).
constexpr std::uint32_t kGameParticleBytes = 50000;

// Creates the long-lived modules and publishes them (g_SphereEvents,
// g_Explosions, g_Trails, g_EffectPool, g_ParticlePool, g_ImpactPieces,
// g_ParticleEmitters, g_TracerBatteries); the clocks go into the effect
// hooks.  False, with everything made so far freed, when one cannot be made.
bool CreateEffectModules(CTimer* gameClock, CTimer* realClock);
// Frees them in the reverse order (game shut-down).
void DestroyEffectModules();

// The level's pools from the level's linear buffer; false when it has no room
// for one of them (those taken stay taken).  The last level's damage records
// of breakable instances are freed here.
bool CreateEffectPools(CLinearBuffer* level);
// Level shut-down: every module reset and its pool forgotten.
void ResetEffectModules();

// Fills the effect hooks with what the engine has: regions by number (the
// region of number n; 0 names none), the current camera's sphere test, and,
// once a frame in AdvanceEffectsAfterViews, the environment's view cameras
// and the device's fog end for the emitters.  The transparent queue, lights,
// sounds and decals are filled in by their own modules.
void InstallEffectsEngineHooks();

// Frame, world update (while the game clock runs): effects and their hits,
// sphere events, explosions, trails, effect callbacks.
void UpdateEffectsWorld();
// Frame, draw: trails (before the transparent queue is drawn) and particles.
void DrawEffects();
// After all views were drawn, while the game clock runs: tracer batteries,
// emitters and particles advance once.
void AdvanceEffectsAfterViews();
