// Blasts: grenade and shell explosions, destroyed buildings, vehicles and
// features, smoke grenades and burning wrecks.  A blast is a sphere growing
// from its centre at 1500 units/s up to its size; while it grows it damages
// breakable instances and shatters glass inside it, throws fireball, smoke,
// dust and fire particles and burning debris, and may light a short flash.
// World objects ask how hard the current blasts hit them, once per blast.
// Smoke blasts also block lines of sight.  The same module keeps the world
// pause switch, the side-hostility table and the names of vehicle hit
// regions.  Main thread only.
//
// Frame: world units, y up; times in ms of the game clock.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvInstance;
class CHLO;
class CLinearBuffer;

enum BlastFlags : std::uint32_t {
  BLAST_ACTIVE = 0x1,
  BLAST_DAMAGING = 0x2,
  BLAST_FIRE = 0x4,
  BLAST_FIREBALL = 0x8,
  BLAST_BLACK_SMOKE = 0x10,
  BLAST_HEAVY = 0x20,
  BLAST_SPARE_OWNER = 0x40,
  BLAST_SMOKE_SCREEN = 0x80,
  BLAST_DUST = 0x100,
  BLAST_HITS_OBJECTS = 0x200,
  BLAST_GREY_SMOKE = 0x400,
  BLAST_NOTIFY = 0x800,
  BLAST_BURNING_DEBRIS = 0x1000,
  BLAST_LARGE = 0x2000,
  BLAST_LATE_SMOKE = 0x4000,
};

struct Blast {
  CVector3 Centre{};
  float Size = 0.0f;        // radius it grows to
  float Radius = 0.0f;      // current radius
  float Power = 0.0f;
  std::uint32_t EndTime = 0;
  CHLO* Owner = nullptr;
  CHLO* Source = nullptr;   // left out of the blast's effect on objects
  std::uint32_t Serial = 0;  // from 1, growing with every blast made
  std::uint32_t Flags = 0;
  CEnvInstance* Zone = nullptr;
  std::uint32_t FrameCount = 0;
};

// Raised by dusty blasts for the game layer.
struct BlastDust {
  bool On = false;
  CVector3 Centre{};
  float Size = 0.0f;
  std::uint32_t Time = 0;  // ms
};

class CExplosionManager {
 public:
  static constexpr int kDefaultCapacity = 20;
  explicit CExplosionManager(int capacity = kDefaultCapacity) : capacity_(capacity > 0 ? capacity : 0) {}
  CExplosionManager(const CExplosionManager&) = delete;
  CExplosionManager& operator=(const CExplosionManager&) = delete;

  bool CreatePools(CLinearBuffer* buffer);
  void FreePools() { blasts_ = nullptr; }
  // Every blast cleared, indexes and counts 0, the flash off.
  void Reset();

  // Starts a blast (never fails: with all active, the one at the search
  // position is overwritten).  Answers it.
  Blast* Create(const CVector3& centre, CEnvInstance* zone, float size, float power, CHLO* owner, int alert,
                std::uint32_t flags, CHLO* source);
  // Once a frame while the game clock runs.
  void Update();
  // Applies every current blast that affects objects to this one, once per
  // blast: fall-off with distance, a fifth through a blocked line of sight.
  // The object keeps the serial of the newest blast applied to it, and the
  // blasts are taken oldest first, so that a blast is never applied twice
  // however many objects it reaches or other blasts overlap it (a blast an
  // object only reaches after a newer one hit it is not applied).
  void GetBlastEffect(CHLO* object, const CVector3* eye);
  // 0 when the segment passes through the smoke of a smoke blast, else 1.
  int SmokeBlocksLine(const CVector3& from, const CVector3& to) const;
  void SetNotifyCallback(void (*fn)(const CVector3& centre)) {
    if (fn != nullptr) notify_ = fn;
  }

  Blast* Get(int i) { return blasts_ && i >= 0 && i < capacity_ ? &blasts_[i] : nullptr; }
  int GetCapacity() const { return capacity_; }
  int GetSmokeCount() const { return smokeCount_; }
  const BlastDust& GetDust() const { return dust_; }
  float GetFlashTimeLeft() const { return flashTime_; }

 private:
  void ThrowParticles(Blast& b, float dt);
  void ThrowSmoke(const Blast& b, std::uint32_t colour, float lifeMs);
  void ThrowBurningDebris(const Blast& b);
  void DamageInstances(Blast& b);

  Blast* blasts_ = nullptr;
  int capacity_;
  int next_ = 0;
  std::uint32_t serial_ = 1;
  int smokeCount_ = 0;
  void (*notify_)(const CVector3& centre) = nullptr;
  BlastDust dust_{};
  int flashBlast_ = -1;
  float flashTime_ = -1.0f;
  bool flashLit_ = false;
};

extern CExplosionManager* g_Explosions;

// Debris on the ground around a point: radius² × 0.000314 × density × 0.1 type-11 particles.
void SpawnDebris(const CVector3& centre, float radius, float density);

// The world pause: flags 0x1 keep the game clock, 0x2 keep the real clock,
// 0x4 bring up the menus' overlay.  Nothing without a game clock.
void SetGamePaused(int pause, std::uint32_t flags);
bool IsGamePaused();

// Side hostility: 1 where two sides differ, 0 on the diagonal; the game reads and changes it.
constexpr int kSides = 8;
extern std::uint32_t g_SideHostility[kSides][kSides];
void ResetSideHostility();

// "#HR_BODYFRONT" .. "#HR_WEAPONRIGHT" for 0 .. 11; null outside.
const char* GetHitRegionName(int i);
