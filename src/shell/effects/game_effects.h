// The game's shared hit and death effects: the sound banks of explosions and
// impacts with the explosions' sound, the nine giblet models, the gore
// bursts that deaths and hits throw (pieces of meat and drops of blood, each
// riding on a thrown flight effect of the effect pool), the two particle
// spawners, and the flight effects' two callbacks.  The callbacks carry the
// saved-game codes 100 (impact) and 106 (follow).  Main thread only.
//
// Frame: world units, y up; headings in degrees about y, pitch above the
// horizontal.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEffectInstance;
class CEnvObject;
class CSoundBank;
struct WorldHit;

inline constexpr int kGibletModelCount = 9;
// The giblet templates, in the order RandomGibletModel draws from; the gore
// bursts take the first four.
extern const char* const kGibletModelNames[kGibletModelCount];

inline constexpr int kExplosionSoundEvent = 2030;
inline constexpr float kExplosionSoundRange = 3000.0f;
inline constexpr int kGoreBurstSteps = 9;
inline constexpr int kGibletParticleType = 17;
inline constexpr int kBloodParticleType = 7;
// Saved-game codes of the two flight callbacks.
inline constexpr std::int32_t kGoreImpactCallbackCode = 100;
inline constexpr std::int32_t kGoreFollowCallbackCode = 106;

// Loads "Explosion.sbk" and "Impact.sbk" through the sound manager and gives
// the explosion list its sound callback.  Level initialise calls it.
void LoadEffectBanks();
const CSoundBank* GetExplosionBank();
const CSoundBank* GetImpactBank();
// Plays the explosion bank's event 2030 at the position, heard to 3000 units.
void ExplosionSoundCallback(const CVector3& position);

// Finds or loads the nine giblet templates of the current environment; a
// model whose file the level does not hold stays null (no message).
// Answers how many were found.
int LoadGibletModels();
// Model i (0..8), null when missing or out of range.
CEnvObject* GetGibletModel(int i);
// A uniform draw of the nine (may be null).
CEnvObject* RandomGibletModel();
// Forgets the banks and models (level shut-down: their owners free them).
void ForgetEffectLevelState();

// A gore burst at the victim's position: nine flight effects thrown in random
// directions, each carrying either a giblet (mesh particle type 17, one of
// the first four models) or a drop of blood (particle type 7).  A step whose
// giblet model is missing throws nothing.  Answers the particles started.
int StartGoreBurst(const CVector3& position);

// Ten particles of the type at the position, in random unit directions at
// 100 to 300 units per second.  Answers how many were made.
int SpawnParticleSpray(const CVector3& position, int type);
// count particles of the type 50 to 100 units above the position, rising
// roughly upwards at 150 to 250 units per second, at 0.3 of their size,
// living 2000 ms and spinning at 60 degrees per second.  Answers how many.
int SpawnParticleFountain(const CVector3& position, int count, int type);

// Code 106: each frame of flight, the riding particle is kept at the effect.
void GoreFollowCallback(CEffectInstance* effect);
// Code 100: where the flight ends.  A bouncing effect (flag 4) still moving
// faster than 0.5 units per second, or one that struck surface 1, leaves a
// blood decal at the hit point and flies on at half speed; otherwise its
// particle stops moving and spinning, is lifted 2 units, lives 5 to 8 s more
// and is let go.
void GoreImpactCallback(CEffectInstance* effect, const WorldHit* hit);
