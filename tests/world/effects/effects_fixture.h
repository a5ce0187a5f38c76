// Shared set-up of the effect-module tests: a game clock the test moves by
// hand, a level buffer for the pools, and hooks that record what the modules
// queue and switch instead of drawing.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/effects/effect_pool.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/effects/impact_debris.h"
#include "world/effects/particle_pool.h"
#include "world/effects/trails.h"

class CEnvObject;
class CEnvironment;

namespace effects_test {

// A template node: a box of the given half size, sphere of that radius, named by file name.
CEnvObject* NewBoxTemplate(const char* fileName, float half);

// Sets the clock's game time (ms), frame time (s) and running switch.
void SetClock(CTimer& clock, std::uint32_t now, float dt, bool running = true);

// What the recording hooks saw.
struct Recorded {
  std::vector<ParticleSprite> sprites;
  std::vector<MeshParticleDraw> meshes;
  std::vector<std::vector<TrailStripPoint>> strips;
  std::vector<int> lightsOff;
  std::vector<std::pair<int, bool>> sounds;
  std::vector<CEnvInstance*> decalsRemoved;
  int flashOn = 0, flashOff = 0;
  float lastFlashRange = 0.0f;
  std::vector<bool> soundPaused;
  int overlayState = 0;
  int overlayToggles = 0;
};
extern Recorded g_recorded;

class EffectsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Moves the clock on by ms and sets the frame time to match.
  void Step(std::uint32_t ms);

  // An environment of the test's own (published as g_Environment).
  CEnvironment* MakeEnvironment();
  CEnvInstance* Place(const char* name, CEnvObject* t, const CVector3& position);

  CTimer clock_;
  std::uint32_t now_ = 1000;
  CEnvironment* env_ = nullptr;
  std::unique_ptr<CLinearBuffer> buffer_;
};

// The modules a blast sets going, made in the test's level buffer and
// published as the game's: explosions, the effect pool, trails, impact
// pieces and the particle pool.  Tear-down withdraws them and frees the
// instances' damage records.
class BlastModulesTest : public EffectsTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  CExplosionManager blasts_;
  CEffectPool effects_;
  Trails trails_;
  ImpactPieces pieces_;
  std::unique_ptr<CParticlePool> particles_;
};

}  // namespace effects_test
