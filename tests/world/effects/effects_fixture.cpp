#include "effects_fixture.h"

#include "foundation/maths/random_tables.h"
#include "foundation/text/hash.h"
#include "world/effects/breakable_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace effects_test {

Recorded g_recorded;

void SetClock(CTimer& clock, std::uint32_t now, float dt, bool running) {
  CTimer::State s{};
  clock.SaveState(&s);
  s.running = running ? 1 : 0;
  s.gameTime = now;
  s.frameTime = dt;
  s.frameTimeMs = static_cast<std::uint32_t>(dt * 1000.0f + 0.5f);
  clock.RestoreState(s);
}

void EffectsTest::SetUp() {
  g_recorded = Recorded{};
  g_EffectsHooks = EffectsHooks{};
  SetClock(clock_, now_, 0.0f);
  g_EffectsHooks.GameClock = &clock_;
  g_EffectsHooks.QueueSprite = [](const ParticleSprite& s) { g_recorded.sprites.push_back(s); };
  g_EffectsHooks.DrawMeshParticle = [](const MeshParticleDraw& d) { g_recorded.meshes.push_back(d); };
  g_EffectsHooks.QueueTrailStrip = [](const TrailStripPoint* points, int n) {
    g_recorded.strips.emplace_back(points, points + n);
    return true;
  };
  g_EffectsHooks.SwitchLightOff = [](int light) { g_recorded.lightsOff.push_back(light); };
  g_EffectsHooks.SetEnvironmentSound = [](int id, bool on) { g_recorded.sounds.emplace_back(id, on); };
  g_EffectsHooks.RemoveDecals = [](CEnvInstance* instance) { g_recorded.decalsRemoved.push_back(instance); };
  g_EffectsHooks.SetFlashLight = [](bool on, const CVector3&, float range, std::uint32_t) {
    if (on) {
      ++g_recorded.flashOn;
      g_recorded.lastFlashRange = range;
    } else {
      ++g_recorded.flashOff;
    }
  };
  g_EffectsHooks.SetSoundPaused = [](bool paused) { g_recorded.soundPaused.push_back(paused); };
  g_EffectsHooks.OverlayState = [] { return g_recorded.overlayState; };
  g_EffectsHooks.OverlayToggle = [] {
    ++g_recorded.overlayToggles;
    g_recorded.overlayState = g_recorded.overlayState == 0 || g_recorded.overlayState == 3 ? 1 : 3;
  };
  buffer_ = std::make_unique<CLinearBuffer>(1u << 20, "effects test level");
  SeedRandomTables(1);
}

void EffectsTest::TearDown() {
  g_EffectsHooks = EffectsHooks{};
  delete env_;
  env_ = nullptr;
}

void BlastModulesTest::SetUp() {
  EffectsTest::SetUp();
  ASSERT_TRUE(blasts_.CreatePools(buffer_.get()));
  ASSERT_TRUE(effects_.CreatePools(buffer_.get()));
  ASSERT_TRUE(trails_.CreatePools(buffer_.get()));
  ASSERT_TRUE(pieces_.CreatePools(buffer_.get()));
  particles_ = std::make_unique<CParticlePool>(g_ParticleTypes, 50000, &clock_);
  ASSERT_TRUE(particles_->CreatePools(buffer_.get()));
  g_Explosions = &blasts_;
  g_EffectPool = &effects_;
  g_Trails = &trails_;
  g_ImpactPieces = &pieces_;
  g_ParticlePool = particles_.get();
}

void BlastModulesTest::TearDown() {
  g_Explosions = nullptr;
  g_EffectPool = nullptr;
  g_Trails = nullptr;
  g_ImpactPieces = nullptr;
  g_ParticlePool = nullptr;
  FreeInstanceDamageRecords();
  EffectsTest::TearDown();
}

CEnvObject* NewBoxTemplate(const char* fileName, float half) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-half, -half, -half};
  t->Bounds.Max = {half, half, half};
  t->Sphere.Radius = half;
  t->SolidType = 2;
  t->ObjectNameHash = HashStringNoCase(fileName);
  return t;
}

CEnvironment* EffectsTest::MakeEnvironment() {
  if (env_ == nullptr) env_ = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock_, nullptr);
  return env_;
}

CEnvInstance* EffectsTest::Place(const char* name, CEnvObject* t, const CVector3& position) {
  CEnvironment* env = MakeEnvironment();
  // The environment owns (and frees) every template it lists.
  bool listed = false;
  for (CEnvObject* o = env->TemplateList; o != nullptr && !listed; o = o->NextTemplate) listed = o == t;
  if (!listed) env->AddObject(t);
  return env->CreateInstance(name, t, position, {}, nullptr, 0, 0);
}

void EffectsTest::Step(std::uint32_t ms) {
  now_ += ms;
  SetClock(clock_, now_, static_cast<float>(ms) / 1000.0f);
}

}  // namespace effects_test
