// The game's long-lived world modules that the engine start-up does not make:
// the waypoint list, the object manager (4 sides, 10 kinds) with the demo's
// object factory, the effect modules with the engine's, the light table's
// and the transparent queue's hooks, the particle sprite sheet the effects
// draw and the lens flares' sprite sheet.  Made once
// after EngineInitialise and freed before EngineShutdown.  Main thread only.
#pragma once

class CSpriteRender;

// Creates the modules in order.  False, with whatever was made freed again,
// when one cannot be allocated; the particle sheet missing from the demo data
// is no failure (particles are then not drawn).
bool StartGameModules();
// Frees what StartGameModules made, in the reverse order.  Safe to call when
// nothing was made.
void StopGameModules();
// The particle sprite sheet, or null when it was not found.
CSpriteRender* GameParticleSprites();
// The lens flares' sprite sheet, or null when it was not found (no flares then).
CSpriteRender* GameFlareSprites();
