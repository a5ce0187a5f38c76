// The one pool of short-lived particles of the game: smoke, dust, sparks,
// flashes, blood, muzzle and impact puffs, embers and small debris meshes.
// Particles live in a fixed ring: a spawn takes the next slot, overwriting
// an old particle unless that one is protected, so the pool only refuses when
// every slot it reaches is protected.  Every particle starts from its type's
// defaults (particle_types.h); spawners then adjust it.  The pool moves its
// particles once a frame on the particle clock and queues them as billboards
// (mesh particles draw at once).
//
// Holders that keep a particle across frames keep a ParticleRef, not the
// pointer: each spawn into a slot and each freeing of it changes the slot's
// generation, so a holder whose particle was overwritten gets null back
// instead of someone else's particle.
//
// Frame: world units (centimetres), y up; gravity 980 units/s².  Main thread.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "world/effects/particle_types.h"

class ByteReader;
class ByteWriter;
class CEnvObject;
class CLinearBuffer;
class CParticlePool;
class CRegion;
class CTimer;

// Particle flags.
enum ParticleFlags : std::uint32_t {
  PF_PROTECTED = 0x1,        // the ring does not reuse the slot
  PF_GRAVITY = 0x2,
  PF_TIMED = 0x4,            // dies when its lifetime is over
  PF_ANIMATED = 0x8,
  PF_LOOPING = 0x10,
  PF_MOVING = 0x20,
  PF_SPINNING = 0x40,
  PF_RANDOM_ANGLE = 0x100,
  PF_RANDOM_SPIN = 0x200,
  PF_OWN_MATRIX = 0x400,     // mesh keeps its own matrix (not rebuilt, not saved)
  PF_LIT = 0x800,
  PF_COLOURED = 0x2000,      // colour set by the spawner
  PF_SCALED = 0x4000,        // size is not 100
  PF_FADING = 0x8000,
  PF_DECELERATES = 0x10000,
  PF_GROWING = 0x20000,      // size moves toward the target size
  PF_JITTER = 0x40000,
  PF_NIGHT_SILHOUETTE = 0x100000,
  PF_TRAIL_CHILD = 0x200000,
  PF_FOG_FADE = 0x400000,
  PF_NIGHT_HIDDEN = 0x800000,
  PF_SLOW_ANIMATION = 0x1000000,
};

enum ParticleState : std::uint32_t {
  PARTICLE_ALIVE = 0,
  PARTICLE_FREE = 1,
  PARTICLE_DYING = 2,
};

enum ParticleRenderMode : std::uint32_t {
  PARTICLE_BILLBOARD = 0,
  PARTICLE_MESH = 1,
};

struct CParticle {
  // Billboards: angle (degrees), spin (degrees/s), animation frame, frame
  // rate word, frame count.  Meshes draw with Matrix, rebuilt at every draw
  // unless PF_OWN_MATRIX.
  float Angle = 0.0f;
  float Spin = 0.0f;
  float Frame = 0.0f;
  std::uint32_t FrameRate = 0;
  std::uint32_t FrameCount = 0;
  CMatrix Matrix{};
  CVector3 Position{};
  CVector3 PreviousPosition{};
  CVector3 Velocity{};            // units per second
  CVector3 Rotation{};            // degrees
  CVector3 AngularVelocity{};     // degrees per second
  float SpeedScale = 1.0f;
  float Deceleration = 1.0f;      // of the speed scale, per second
  float Size = 100.0f;            // percent of the natural size
  float TargetSize = 100.0f;
  float SizeRate = 0.0f;          // percent per second
  std::uint32_t Unused1 = 0;
  float AlphaStart = 0.0f;
  float AlphaScale = 0.0f;
  std::uint32_t SpawnTime = 0;    // ms of the particle clock
  std::uint32_t Lifetime = 0;     // ms
  std::uint32_t RenderMode = PARTICLE_BILLBOARD;
  std::uint32_t Type = 0;
  std::uint32_t State = PARTICLE_FREE;
  std::uint32_t Flags = 0;
  std::uint32_t Unused2 = 0;
  std::uint32_t Colour = 0;       // ARGB
  std::uint32_t Drawn = 0;
  CEnvObject* Mesh = nullptr;
  // Changes at every spawn into the slot and at every freeing of it.
  std::uint32_t Generation = 0;
  CParticlePool* Pool = nullptr;

  // Size = value (PF_SCALED when not exactly 100), times the pool's size scale.
  void SetSize(float size);
  // Target size = value times the pool's size scale.
  void SetTargetSize(float size);
  // Lifetime in ms (PF_TIMED when not 0); the age starts again from now.
  void SetTimeToLive(std::uint32_t ms);
};

using Particle = CParticle;

// A holder's lasting reference to a particle (see the file comment).
struct ParticleRef {
  std::int32_t Index = -1;
  std::uint32_t Generation = 0;
  bool IsSet() const { return Index >= 0; }
};

// Size in bytes of one particle for the pool's byte budget, and of its saved record.
constexpr std::uint32_t kParticleBudgetBytes = 200;
constexpr std::uint32_t kParticleRecordBytes = 148;
// A timed particle dies after this age even when its lifetime is 0.
constexpr std::uint32_t kParticleMaxAgeMs = 15000;

class CParticlePool {
 public:
  // capacity = bytes / 200; the clock becomes the particle clock (null: time 0, no frame time).
  CParticlePool(const ParticleType* types, std::uint32_t bytes, const CTimer* clock);
  CParticlePool(const CParticlePool&) = delete;
  CParticlePool& operator=(const CParticlePool&) = delete;

  // Takes capacity particles from the buffer (4-byte aligned) and frees them
  // all; false, with no memory, when the buffer has no room.
  bool CreatePools(CLinearBuffer* buffer);
  // Forgets the particles (the buffer owns their memory).
  void FreePools();
  // Every slot free with flags 0; cursor 0; live count 0; size scale 1.
  void ResetAll();

  // A new particle of the type at the position, with its type's defaults
  // (and the mesh, for mesh types), or null: no memory, an unknown type,
  // or every slot reached protected (remembered for the rest of the frame).
  CParticle* Spawn(const CVector3& position, int type, CEnvObject* mesh);
  // A type-2 puff: size and target size, lifetime (timed when not 0), colour 0, alpha scale 0, PF_COLOURED.
  CParticle* SpawnSmoke(const CVector3& position, float size, std::uint32_t ms);
  // Bursts of count particles in a cube, a box or a sphere; nothing when the
  // camera does not see the burst's sphere.  They answer 0.
  int SpawnBurstCube(const CVector3& centre, float half, int count, int type);
  int SpawnBurstBox(const CVector3& centre, float hx, float hy, float hz, int count, int type);
  int SpawnBurstSphere(const CVector3& centre, float radius, int count, int type);
  // Posts timed callbacks that rain particles of the type at random points of
  // the region for duration ms, one every interval ms.  False (nothing
  // posted) for a duration below 200 ms, an interval of 0 or less, no region
  // or no callback list.
  bool RainInRegion(CRegion* region, std::uint32_t duration, int interval, int type, bool repeat,
                    std::uint32_t start);

  // Once a frame while the game clock runs.
  void Update();
  // Queues the billboards and draws the meshes (through g_EffectsHooks).
  void Render();

  CParticle* GetParticle(int i) { return particles_ && i >= 0 && i < capacity_ ? &particles_[i] : nullptr; }
  int GetCapacity() const { return capacity_; }
  int GetInUseCount() const { return inUse_; }
  int GetLiveCount() const { return live_; }
  // Slot number of the particle; -1 for null or a pointer that is not a slot.
  int IndexOf(const CParticle* particle) const;
  // The lasting reference of a particle of this pool (unset for any other pointer).
  ParticleRef RefOf(const CParticle* particle) const;
  // The particle a reference names, or null when its slot was freed or
  // taken by another particle since.
  CParticle* Resolve(const ParticleRef& ref);

  // Now on the particle clock (ms).
  std::uint32_t ClockNow() const;
  float GetSizeScale() const { return sizeScale_; }
  void SetSizeScale(float scale) { sizeScale_ = scale; }
  const ParticleType* GetTypes() const { return types_; }
  bool HasMemory() const { return particles_ != nullptr; }
  void GetBurstSphere(CVector3* centre, float* radius) const {
    *centre = burstCentre_;
    *radius = burstRadius_;
  }
  std::uint32_t GetRefusedInARow() const { return refusedCount_; }

  // Saved game: one 148-byte record per slot; answers the number written (the capacity).
  std::uint32_t SaveAll(ByteWriter& out) const;
  // Resets, then reads count records into slots 0, 1, ... (records beyond
  // the capacity are read past).  A record of an unknown type or state
  // leaves its slot free.  False when the input ends early (what was whole is kept).
  bool LoadAll(ByteReader& in, std::uint32_t count);

 private:
  std::uint32_t Now() const;
  float FrameTime() const;
  bool ClockStopped() const;
  void ApplyTypeDefaults(CParticle& p, int type);
  // Type-specific behaviour; may start the particle dying.
  void RunTypeBehaviour(CParticle& p, float dt, std::uint32_t now);
  void Free(CParticle& p);

  const ParticleType* types_;
  const CTimer* clock_;
  CParticle* particles_ = nullptr;
  int capacity_ = 0;
  int next_ = 0;
  int inUse_ = 0;
  int live_ = 0;
  float frameTime_ = 0.0f;
  CVector3 burstCentre_{};
  float burstRadius_ = 0.0f;
  float sizeScale_ = 1.0f;
  std::int64_t refusedStamp_ = -1;
  std::uint32_t refusedCount_ = 0;
};

// The world's one particle pool (null when the game has none).
extern CParticlePool* g_ParticlePool;
