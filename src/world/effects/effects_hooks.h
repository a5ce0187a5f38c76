// What the effect modules (particles, emitters, effects, trails, blasts,
// impact pieces, sphere events, breakables) need from the rest of the engine,
// reached through one table of replaceable functions: the transparent queue
// and mesh drawing, lights, sounds, decals, regions, the menus' overlay, the
// player views and the world's line and polygon queries.  The engine start-up
// fills in what exists; an empty entry means "nothing there" and each caller
// says what it does then.  Tests install their own.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

class CEnvInstance;
class CHLO;
class CRegion;
class CTimedCallbackList;
class CTimer;
struct CParticle;
struct WorldHit;

// A billboard handed to the transparent queue: kind 1 plain, kind 2 rotated.
struct ParticleSprite {
  int Bucket = 0;
  int Kind = 1;
  CVector3 Position{};
  float Size = 100.0f;   // percent of the sprite's natural size
  float Angle = 0.0f;    // degrees, kind 2 only
  std::uint32_t Colour = 0;
  int Frame = 0;         // sprite number on the particle sheet
  int BlendMode = 0;
};

// One point of a trail strip, tail first; the last one handed over is the head.
struct TrailStripPoint {
  CVector3 Position{};
  float HalfWidth = 0.0f;
  std::uint32_t Colour = 0;  // ARGB
  std::uint32_t Flags = 0;   // bit 0 additive, bit 1 pinned to the far plane
};

// A mesh particle drawn at once: the world matrix, and how it is coloured.
struct MeshParticleDraw {
  const CParticle* Particle = nullptr;
  CMatrix World{};
  bool Lit = false;
  int ColourMode = 0;        // 0 own colours; 24 or 25 with Colour as the texture factor
  std::uint32_t Colour = 0;
  int BlendMode = 0;
};

struct EffectsHooks {
  // --- clocks: the game clock (stops while paused) and the real clock ---
  CTimer* GameClock = nullptr;
  CTimer* RealClock = nullptr;
  // The timed-callback list (rain in regions); null: no rain.
  CTimedCallbackList* TimedCallbacks = nullptr;

  // --- transparent queue and drawing ---
  // Distance bucket of a world point; null: every point in bucket 0.
  int (*BucketOf)(const CVector3& point) = nullptr;
  int BucketCount = 1000;
  // Colour after fog fading for an item in that bucket; null: unchanged.
  std::uint32_t (*FogFade)(std::uint32_t colour, int bucket) = nullptr;
  void (*QueueSprite)(const ParticleSprite& sprite) = nullptr;
  // n points tail first; false when the queue has no room.
  bool (*QueueTrailStrip)(const TrailStripPoint* points, int n) = nullptr;
  void (*DrawMeshParticle)(const MeshParticleDraw& draw) = nullptr;
  // Whether the camera sees the sphere; null: always.
  bool (*SphereVisible)(const CVector3& centre, float radius) = nullptr;
  // Scene ambient light (r, g, b, a, 0 to 1), and the view modes.
  float Ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  bool NightVision = false;
  bool ThermalView = false;

  // --- player views (emitters emit only near one) ---
  int ViewCount = 0;
  CVector3 ViewPositions[5] = {};
  float FogEnd = 10000.0f;

  // --- lights ---
  // Switches a light of the table off; null: the light table's own record is cleared.
  void (*SwitchLightOff)(int light) = nullptr;
  // The blast flash: on with a position, range and colour, or off.
  void (*SetFlashLight)(bool on, const CVector3& position, float range, std::uint32_t colour) = nullptr;

  // --- sound ---
  void (*SetEnvironmentSound)(int id, bool on) = nullptr;
  void (*SetSoundPaused)(bool paused) = nullptr;

  // --- decals ---
  void (*RemoveDecals)(CEnvInstance* instance) = nullptr;

  // --- regions ---
  CRegion* (*FindRegionById)(int id) = nullptr;
  int (*RegionId)(const CRegion* region) = nullptr;
  // A random point of the region; false when it has none.
  bool (*RegionRandomPoint)(const CRegion* region, CVector3* out) = nullptr;

  // --- menus' 2D overlay: state 0 off, 1 rising, 2 on, 3 going ---
  int (*OverlayState)() = nullptr;
  void (*OverlayToggle)() = nullptr;

  // --- glass; null: the level's glass set (g_Glazier) answers ---
  void (*ShatterGlassInSphere)(const CVector3& centre, float radius) = nullptr;

  // --- world queries; null: the level's environment answers ---
  // 1 when clear, 0 when blocked (hit and point then filled).
  int (*LineOfSight)(CEnvInstance* zone, const CVector3& from, const CVector3& to, std::uint32_t mask,
                     WorldHit* hit, CVector3* point) = nullptr;
  // Calls visit once for each instance of which a polygon touches the sphere.
  void (*ForEachInstanceInSphere)(CEnvInstance* zone, const CVector3& centre, float radius,
                                  void (*visit)(CEnvInstance* instance, void* context), void* context) = nullptr;
  // The world object whose visual the instance is part of; null: none.
  CHLO* (*ObjectOfInstance)(CEnvInstance* instance) = nullptr;
};

extern EffectsHooks g_EffectsHooks;

// Readings of the game clock: now in ms and the frame time in seconds (0 and 0 without one).
std::uint32_t EffectsNow();
float EffectsFrameTime();
bool EffectsClockRunning();

// The world's line test as the hooks give it: 1 clear, 0 blocked.
int EffectsLineOfSight(CEnvInstance* zone, const CVector3& from, const CVector3& to, std::uint32_t mask,
                       WorldHit* hit, CVector3* point);
// The instances touched by a sphere, each once.
void EffectsForEachInstanceInSphere(CEnvInstance* zone, const CVector3& centre, float radius,
                                    void (*visit)(CEnvInstance* instance, void* context), void* context);
