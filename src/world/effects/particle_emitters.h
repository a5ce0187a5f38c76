// Particle emitters: points of the level (optionally carried by an
// environment instance or spread over a region) that keep spawning particles
// of one type into the particle pool at random intervals, with random
// velocities, sizes and lifetimes inside ranges, while a player's view is
// near.  Level emitters come from the "<EMIT>" section of the environment
// file; vehicles take spare ones at run time for smoke and fire; scripts
// restart them by number.  One fixed list of 40 records.  Main thread only.
//
// Frame: world units, y up; times in seconds unless a name says ms.
#pragma once

#include <cstdint>
#include <string>

#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CEnvInstance;
class CEnvironment;
class CHLO;
class CRegion;
class EnvTextCursor;

enum ParticleEmitterFlags : std::uint32_t {
  PEF_RUNNING = 0x1,
  PEF_LIMITED = 0x2,            // runs for the running time
  PEF_TAKEN = 0x4,              // a run-time emitter kept while stopped
  PEF_COLOURED = 0x8,
  PEF_TARGET_SIZE = 0x10,       // particles grow or shrink toward a random target size
  PEF_RATE_FROM_LIFETIME = 0x20,
  PEF_COLOUR_JITTER = 0x40,     // ±0.04 per channel
  PEF_RUNNING_AT_START = 0x80,  // copy of PEF_RUNNING made when loaded
  PEF_FROM_LEVEL = 0x100,
  PEF_UNTURNED_VELOCITY = 0x200,  // velocities not turned with the instance
};

struct ParticleEmitter {
  float Countdown = 0.0f;         // to the next particle
  float InitialCountdown = 0.0f;  // the countdown after a restart
  CVector3 Position{};            // relative to the instance when one is set
  std::int32_t Type = 0;
  float MinDelay = 0.0f, MaxDelay = 0.0f;
  CVector3 MinVelocity{}, MaxVelocity{};  // units per second
  float Size = 100.0f;            // percent
  float MaxTargetSize = 0.0f, MinTargetSize = 0.0f;
  float MinLifetime = 0.0f, MaxLifetime = 0.0f;  // ms
  float SizeRate = 0.0f;          // percent per second
  float RunningTimeLeft = 0.0f, RunningTime = 0.0f;
  CRegion* Region = nullptr;
  float Colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // r, g, b, a
  CEnvInstance* Instance = nullptr;
  std::uint32_t Flags = 0;
  CHLO* DisturbingObject = nullptr;
  float DisturbRadius = 0.0f;
  // Names as the level file gave them (for writing the section back and for messages).
  char InstanceName[64] = {};
  char Name[32] = {};
};

// Smallest delay between particles a level emitter may ask for (s).
constexpr float kEmitterMinDelay = 0.2f;
// Bytes of one saved emitter state.
constexpr std::uint32_t kEmitterStateBytes = 16;

class CParticleEmitterList {
 public:
  static constexpr int kDefaultCount = 40;
  explicit CParticleEmitterList(int count = kDefaultCount);
  CParticleEmitterList(const CParticleEmitterList&) = delete;
  CParticleEmitterList& operator=(const CParticleEmitterList&) = delete;
  ~CParticleEmitterList();

  // Clears every record's flags and disturbance (at each level reset).
  void ResetAll();
  // Once a frame while the game clock runs: each running emitter, with the frame time.
  void Update();
  // The first record neither running nor taken, now running with countdown
  // 0 and no instance; null when all are in use.
  ParticleEmitter* FindFree();
  // Running emitters below the object (smaller y) within radius of it remember it.
  void Disturb(CHLO* object, float radius);
  // Countdown and running time back to their start, running, undisturbed; false for no such record.
  bool Restart(int n);
  // Running = the running-at-level-start bit, for every record.
  void RestoreInitialStates();

  // The "<EMIT>" section (the cursor at "<EMIT>", left behind "</EMIT>").
  // Records take the list's slots in order.  A damaged record (a missing or
  // malformed value, an unknown particle type, an instance that does not
  // exist) is skipped whole and the next record read; records beyond the
  // list's end are read past.  False when the section does not start with
  // "<EMIT>" or ends before "</EMIT>"; the records read whole are kept.
  bool ReadSection(EnvTextCursor& text, int version, CEnvironment* environment);
  // The section as the level editor writes it: the records running or taken.
  void WriteSection(std::string* out) const;

  // Saved game: states of the level's emitters {index, countdown, time left,
  // flags}, max records, the unused ones with index -1.
  void SaveStates(ByteWriter& out, int max) const;
  // Restores the level-start states, then the saved ones up to index -1.
  // Records naming no list slot are skipped.  False when the input is cut.
  bool LoadStates(ByteReader& in, int max);

  int GetCount() const { return count_; }
  ParticleEmitter* Get(int i) { return i >= 0 && i < count_ ? &records_[i] : nullptr; }
  // Records the last ReadSection skipped as damaged.
  int GetSkippedRecords() const { return skipped_; }

 private:
  void UpdateOne(ParticleEmitter& e, float dt);

  int count_;
  ParticleEmitter* records_;
  int skipped_ = 0;
};

// The game's emitter list (null when none).
extern CParticleEmitterList* g_ParticleEmitters;
