// Effect modules per frame.  A full particle pool (250 particles of the
// billboard types, moving, growing, fading, animating) is updated and queued
// through a counting sink; 20 blasts grow at once among 500 world objects,
// each object asking for the blasts' effect every frame while the blasts
// damage the breakable visuals they reach.  Times are per frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "foundation/maths/random_tables.h"
#include "platform/win32/message_box.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/effects/breakable_instance.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/explosions.h"
#include "world/effects/particle_pool.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/objects/hlo_test_world_fixture.h"

namespace {

void SetClock(CTimer& clock, std::uint32_t now, float dt) {
  CTimer::State s{};
  clock.SaveState(&s);
  s.running = 1;
  s.gameTime = now;
  s.frameTime = dt;
  clock.RestoreState(s);
}

std::uint64_t g_queued = 0;

void BM_FullParticlePool(benchmark::State& state) {
  CTimer clock;
  SetClock(clock, 1000, 0.016f);
  g_EffectsHooks = EffectsHooks{};
  g_EffectsHooks.GameClock = &clock;
  g_EffectsHooks.QueueSprite = [](const ParticleSprite&) { ++g_queued; };
  g_EffectsHooks.BucketOf = [](const CVector3& p) { return static_cast<int>(p.z * 0.01f) & 511; };
  g_queued = 0;
  CLinearBuffer buffer(1u << 20, "bench");
  CParticlePool pool(g_ParticleTypes, 50000, &clock);
  pool.CreatePools(&buffer);
  SeedRandomTables(1);
  const int types[] = {6, 7, 8, 9, 10, 12, 18, 1, 2, 3};
  std::uint32_t now = 1000;
  auto refill = [&] {
    for (int i = 0; i < pool.GetCapacity(); ++i) {
      const int type = types[i % 10];
      CParticle* p = pool.Spawn(CVector3{float(i), 0.0f, float(i * 7)}, type, nullptr);
      p->Velocity = {RandomFloatRange(-50, 50), RandomFloatRange(0, 100), RandomFloatRange(-50, 50)};
      p->Flags |= PF_MOVING | PF_JITTER;
      p->SetTimeToLive(100000);
      p->Flags &= ~PF_TIMED;  // they stay for the whole run
      p->Flags &= ~PF_PROTECTED;
    }
  };
  refill();
  for (auto _ : state) {
    now += 16;
    SetClock(clock, now, 0.016f);
    pool.Update();
    pool.Render();
    if (pool.GetLiveCount() < pool.GetCapacity()) {
      state.PauseTiming();
      refill();
      state.ResumeTiming();
    }
  }
  state.counters["particles"] = pool.GetLiveCount();
  state.counters["queued/frame"] = benchmark::Counter(static_cast<double>(g_queued), benchmark::Counter::kAvgIterations);
  g_EffectsHooks = EffectsHooks{};
}
BENCHMARK(BM_FullParticlePool)->Unit(benchmark::kMicrosecond);

std::vector<CEnvInstance*> g_instances;

// Brute force over the instances, as the world query would hand them.
void TouchedInstances(CEnvInstance*, const CVector3& c, float r, void (*visit)(CEnvInstance*, void*), void* ctx) {
  for (CEnvInstance* i : g_instances) {
    const CSphere& s = i->GetWorldSphere();
    const float dx = s.Centre.x - c.x, dy = s.Centre.y - c.y, dz = s.Centre.z - c.z;
    if (dx * dx + dy * dy + dz * dz <= (r + s.Radius) * (r + s.Radius)) visit(i, ctx);
  }
}

class Soldier : public TestObject {
 public:
  explicit Soldier(int id) : TestObject(TestRecord(HLO_GRUNT, 1, 0, id, true)) {}
  void Hit(const CVector3&, float amount, CHLO*) override { health -= amount; }
  bool LethalHit(float, int, CHLO*) override { return true; }
  float health = 100.0f;
};

void BM_TwentyBlastsAmongFiveHundredObjects(benchmark::State& state) {
  CTimer clock;
  SetClock(clock, 1000, 0.016f);
  g_EffectsHooks = EffectsHooks{};
  g_EffectsHooks.GameClock = &clock;
  g_EffectsHooks.ForEachInstanceInSphere = &TouchedInstances;
  g_EffectsHooks.LineOfSight = [](CEnvInstance*, const CVector3& a, const CVector3& b, std::uint32_t, WorldHit*,
                                  CVector3*) { return (a.x < 0.0f) == (b.x < 0.0f) ? 1 : 0; };
  SetMessageBoxEcho(false);  // the objects find no ground in this world, and say so
  TestWorld world;
  auto env = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock, nullptr);
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-40, -40, -40};
  t->Bounds.Max = {40, 40, 40};
  t->Sphere.Radius = 40.0f;
  t->ObjectNameHash = HashStringNoCase("crate");
  env->AddObject(t);
  CLinearBuffer buffer(1u << 20, "bench");
  CExplosionManager blasts;
  blasts.CreatePools(&buffer);
  g_Explosions = &blasts;
  std::vector<std::unique_ptr<Soldier>> objects;
  g_instances.clear();
  SeedRandomTables(2);
  for (int i = 0; i < 500; ++i) {
    auto o = std::make_unique<Soldier>(i + 1);
    const CVector3 at{RandomFloatRange(-5000, 5000), 0.0f, RandomFloatRange(-5000, 5000)};
    o->Instance = env->CreateInstance(nullptr, t, at, {}, nullptr, 0, 0);
    o->Instance->MakeBreakable();
    o->Instance->SetHealth(1e9f);  // damaged every step, never broken
    o->Instance->UpdateBoundingSphere();
    g_instances.push_back(o->Instance);
    objects.push_back(std::move(o));
  }
  std::uint32_t now = 1000;
  int frame = 0;
  for (auto _ : state) {
    if (frame++ % 100 == 0) {
      for (int b = 0; b < 20; ++b)
        blasts.Create(CVector3{RandomFloatRange(-5000, 5000), 0.0f, RandomFloatRange(-5000, 5000)}, nullptr,
                      1500.0f, 80.0f, nullptr, 0, BLAST_DAMAGING | BLAST_HITS_OBJECTS, nullptr);
    }
    now += 16;
    SetClock(clock, now, 0.016f);
    blasts.Update();
    for (auto& o : objects) {
      CVector3 eye = o->GetPosition();
      eye.y += 170.0f;
      blasts.GetBlastEffect(o.get(), &eye);
    }
  }
  g_Explosions = nullptr;
  FreeInstanceDamageRecords();
  g_EffectsHooks = EffectsHooks{};
}
BENCHMARK(BM_TwentyBlastsAmongFiveHundredObjects)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
