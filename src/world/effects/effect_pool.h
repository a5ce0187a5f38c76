// The effect pool: small flying things that are not physics bodies (tracer
// rounds, thrown debris, lobbed and straight projectiles).  Each instance is
// launched from an EffectDesc, flies a straight line or a gravity arc, may
// carry a trail and drop particles along its path, tests its path against
// the world each frame, and when it arrives, hits something or times out
// calls its owner's finish callback; it is freed at the next update.
// Capacity 50, gravity 981 units/s².  Main thread only.
//
// Frame: world units, y up; heading is degrees about y from +z toward +x,
// pitch degrees above the horizontal; speeds in units per second.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"
#include "render/volumes/sphere.h"
#include "world/effects/particle_pool.h"
#include "world/space/world_hit.h"

class ByteReader;
class ByteWriter;
class CEffectInstance;
class CEnvInstance;
class CHLO;
class CLinearBuffer;
struct CTrail;
struct ImpactPieceSlot;

enum EffectKind : std::uint32_t {
  EFFECT_TO_TARGET = 99,     // straight to a target
  EFFECT_ALONG_HEADING = 100,
  EFFECT_LOBBED = 101,       // gravity arc onto a target
  EFFECT_THROWN = 102,       // gravity arc along a heading and pitch
};

enum EffectState : std::uint32_t {
  EFFECT_FLYING = 99,
  EFFECT_FREE = 100,
  EFFECT_FINISHED = 101,
};

enum EffectFlags : std::uint32_t {
  EFF_TIMED = 0x1,
  EFF_TRAIL = 0x2,
  EFF_BOUNCES = 0x4,
  EFF_PARTICLES = 0x8,
  EFF_COLLIDES = 0x10,
  EFF_MASK_40 = 0x40,        // passed on to the line test's mask
  EFF_EXTRA_SURFACES = 0x100,
  EFF_FOLLOWS_TARGET = 0x400,
  EFF_IGNORES_OWNER = 0x1000,
  EFF_IGNORES_SIDE = 0x2000,
  EFF_BURNING = 0x4000,
  EFF_IGNORES_LAST_HIT = 0x8000,
  EFF_SMOKE_PUFFS = 0x10000,
  EFF_HOLDS_PIECE = 0x20000,
};

// Called when an instance finishes: the hit, or null for arrival and time-out.
using EffectFinishCallback = void (*)(CEffectInstance* effect, const WorldHit* hit);
using EffectFrameCallback = void (*)(CEffectInstance* effect);

struct EffectDesc {
  CEnvInstance* Zone = nullptr;  // start hint of the line test
  CVector3 Start{};
  CVector3 Target{};
  CHLO* TargetObject = nullptr;
  float Speed = 0.0f;
  float Heading = 0.0f;
  float Pitch = 0.0f;
  std::uint32_t Kind = EFFECT_TO_TARGET;
  std::uint32_t HighArc = 0;     // kind 101: the steeper of the two solutions
  std::uint32_t Flags = 0;
  EffectFinishCallback OnFinish = nullptr;
  EffectFrameCallback OnFrame = nullptr;
  std::uint32_t User = 0;
  CHLO* Owner = nullptr;
  float TrailColour[4] = {};

  void Clear() { *this = EffectDesc{}; }
};

class CEffectInstance {
 public:
  // Restarts a flying instance from a new point (a ricochet); see the source.
  void Relaunch(const CVector3& position, float heading, float pitch, float speedFactor);
  // Makes the instance timed: it finishes ms after its start.
  void SetTimeLimit(std::uint32_t ms);
  // Elapsed / time limit of a timed instance within its limit, else 1.
  float GetProgress() const;
  // |position - start|² / |target - start|², at most 1.
  float GetTravelFraction() const;
  // The unit direction of flight now.
  CVector3 GetDirection() const;
  // The world position and unit direction of a source point given by an
  // instance: its template's connector slot (-1: the instance's origin) moved
  // by the offset, both in the instance's space, carried by its world matrix;
  // the direction is the local forward axis (+z) turned by the heading (about
  // y, towards +x) and pitch (up) offsets in degrees, carried likewise.
  // False, with the origin and +z, without an instance or when the slot
  // names no connector of the template.
  static bool GetSourcePose(const CEnvInstance* instance, int connector, const CVector3& offset, float heading,
                            float pitch, CVector3* position, CVector3* direction);

  std::uint32_t Kind = EFFECT_TO_TARGET;
  std::uint32_t State = EFFECT_FREE;
  std::uint32_t Flags = 0;
  CEnvInstance* Zone = nullptr;
  CVector3 Position{}, PreviousPosition{}, Start{};
  CVector3 Target{};
  CHLO* TargetObject = nullptr;
  float Pitch = 0.0f, Heading = 0.0f, Speed = 0.0f;
  std::uint32_t StartTime = 0, RelaunchTime = 0, EndTime = 0, TimeLimit = 0;
  float HorizontalSpeed = 0.0f, VerticalSpeed = 0.0f, GravityScale = 1.0f;
  float LastDistanceSq = 0.0f;
  float TrailColour[4] = {};
  EffectFinishCallback OnFinish = nullptr;
  EffectFrameCallback OnFrame = nullptr;
  std::uint32_t User = 0;
  CHLO* Owner = nullptr;
  ImpactPieceSlot* Piece = nullptr;
  CTrail* Trail = nullptr;
  CEnvInstance* LastHitInstance = nullptr;
  CHLO* LastHitObject = nullptr;
  // A particle that rides on the instance (impact pieces, burning debris).
  ParticleRef Particle{};
  // Bounces made so far (impact pieces settle after a few).
  std::uint32_t Bounces = 0;
};

// Any of the callbacks, as saved games name them by a code.
using EffectAnyCallback = void (*)();

// How saved instances name what they point to; installed by the game.
struct EffectSaveResolver {
  std::uint32_t (*ObjectId)(const CHLO* object) = nullptr;  // 0 for none
  CHLO* (*ObjectById)(std::uint32_t id) = nullptr;
  std::int32_t (*CallbackCode)(EffectAnyCallback callback) = nullptr;  // -1 for none or unknown
  EffectAnyCallback (*CallbackByCode)(std::int32_t code) = nullptr;    // null for an unknown code
};

class CEffectPool {
 public:
  static constexpr int kDefaultCapacity = 50;
  static constexpr float kDefaultGravity = 981.0f;
  CEffectPool(int capacity = kDefaultCapacity, float gravity = kDefaultGravity);
  CEffectPool(const CEffectPool&) = delete;
  CEffectPool& operator=(const CEffectPool&) = delete;

  // Takes the instances from the buffer and clears them; false when it has no room.
  bool CreatePools(CLinearBuffer* buffer);
  void FreePools() { instances_ = nullptr; }
  // Every instance free, counts 0, and the impact-piece pool reset.
  void Clear();

  // A launched instance, or null while the game clock is stopped or when all are busy.
  CEffectInstance* Spawn(const EffectDesc& desc);
  // A thrown (kind 102) instance with a trail, timed with the limit.
  CEffectInstance* SpawnThrown(const CVector3& start, float speed, float heading, float pitch, std::uint32_t flags,
                               std::uint32_t limitMs);
  // Once a frame while the game clock runs.
  void Update();
  // Every flying instance's per-frame callback.
  void RunCallbacks();
  // The first flying instance, owned by someone other than the asker, whose
  // last path segment passes through the sphere; null when none.
  CEffectInstance* TestHits(const CSphere& shape, const CHLO* asker);

  // An instance that is not free any more: its trail and piece released, the live count lowered.
  void ForceFree(CEffectInstance* effect);

  // Saved game: one record per instance; answers the count.
  std::uint32_t SaveAll(ByteWriter& out) const;
  // Clears, then reads count records (the ones past the capacity read past).
  // A record of an unknown kind or state is refused: the load fails there.
  bool LoadAll(ByteReader& in, std::uint32_t count);
  void SetResolver(const EffectSaveResolver& resolver) { resolver_ = resolver; }

  int IndexOf(const CEffectInstance* effect) const;
  CEffectInstance* Get(int i) { return instances_ && i >= 0 && i < capacity_ ? &instances_[i] : nullptr; }
  int GetCapacity() const { return capacity_; }
  int GetLiveCount() const { return live_; }
  float GetGravity() const { return gravity_; }

 private:
  void Finish(CEffectInstance& e, const WorldHit* hit);
  void Move(CEffectInstance& e, float dt, std::uint32_t now);
  void TestPath(CEffectInstance& e);
  void DropParticles(const CEffectInstance& e) const;

  CEffectInstance* instances_ = nullptr;
  int capacity_;
  int next_ = 0;
  int live_ = 0;
  float gravity_;
  float arrivalDistanceSq_ = 10.0f;
  EffectSaveResolver resolver_{};
};

// The game's effect pool (null when none).
extern CEffectPool* g_EffectPool;
