// Any text read as an emitter section (at the versions that change its
// records) and as a tracer-battery section: the readers must stay inside the
// text and the list, and every emitter they keep must be usable: the
// emitters read are run for a few frames of a game clock near a view,
// spawning into a particle pool, and the batteries updated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"
#include "world/effects/effects_hooks.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/particle_types.h"
#include "world/effects/tracer_batteries.h"
#include "world/environment/env_text_cursor.h"
#include "foundation/byte_reader.h"
#include "fuzz_seed_file.h"

namespace {

// Valid sections, for the seed corpus: written by the sections' own writers.
void WriteSeeds(const std::string& folder) {
  CParticleEmitterList list(4);
  const float colours[3][4] = {{0.5f, 0.5f, 0.5f, 0.4f}, {0.2f, 0.4f, 1.0f, 0.8f}, {1, 1, 1, 1}};
  for (int i = 0; i < 3; ++i) {
    ParticleEmitter* e = list.FindFree();
    e->Type = i == 0 ? 6 : (i == 1 ? 7 : 11);
    e->Position = {100.0f * i, 0.0f, 50.0f};
    e->MinVelocity = {-10.0f, 40.0f, -10.0f};
    e->MaxVelocity = {10.0f, 80.0f, 10.0f};
    e->Size = 150.0f;
    e->MinTargetSize = 400.0f;
    e->MaxTargetSize = 800.0f;
    e->MinLifetime = 1000.0f;
    e->MaxLifetime = 2500.0f;
    e->MinDelay = 0.2f;
    e->MaxDelay = 0.6f;
    e->Flags |= PEF_TARGET_SIZE | PEF_COLOURED | (i == 2 ? PEF_LIMITED : 0u);
    e->RunningTime = 5.0f;
    for (int k = 0; k < 4; ++k) e->Colour[k] = colours[i][k];
  }
  std::string emitters;
  list.WriteSection(&emitters);
  WriteSeedIn(folder, "emitters.txt", emitters);
  std::string tracers;
  TracerBatteries::Write(&tracers, {{0, 0, 0}, {2000, 50, -300}, {-1500, 0, 900}});
  WriteSeedIn(folder, "tracers.txt", tracers);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CTimer clock;
  static CLinearBuffer buffer(1 << 20, "fuzz particles");
  static CParticlePool* pool = [] {
    auto* p = new CParticlePool(g_ParticleTypes, 200000, &clock);
    return p->CreatePools(&buffer) ? p : nullptr;
  }();
  if (pool == nullptr) __builtin_trap();
  clock.SetFixedFrameTime(250);
  g_ParticlePool = pool;
  g_EffectsHooks.GameClock = &clock;
  g_EffectsHooks.ViewCount = 1;
  g_EffectsHooks.ViewPositions[0] = CVector3{0, 0, 0};
  g_EffectsHooks.FogEnd = 5000.0f;

  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int version : {38, 52, 53, 72}) {
    CParticleEmitterList list;
    EnvTextCursor cursor(text.c_str());
    list.ReadSection(cursor, version, nullptr);
    if (cursor.Offset() > text.size()) __builtin_trap();
    for (int i = 0; i < list.GetCount(); ++i) {
      const ParticleEmitter* e = list.Get(i);
      if (!(e->Flags & PEF_FROM_LEVEL)) continue;
      if (e->Type < 0 || e->Type >= kParticleTypeCount) __builtin_trap();
      if (!(e->MinDelay >= 0.2f)) __builtin_trap();
    }
    // Run what was read, as the level's frames do, then restart and save.
    for (int frame = 0; frame < 6; ++frame) {
      clock.Update();
      list.Update();
      pool->Update();
    }
    list.Restart(0);
    list.RestoreInitialStates();
    ByteWriter saved;
    list.SaveStates(saved, list.GetCount());
    ByteReader back(saved.Data().data(), saved.Size());
    if (!list.LoadStates(back, list.GetCount())) __builtin_trap();
    std::string again;
    list.WriteSection(&again);
  }
  pool->ResetAll();
  TracerBatteries batteries;
  EnvTextCursor cursor(text.c_str());
  batteries.Read(cursor, 61);
  if (batteries.GetCount() > kMaxTracerBatteries) __builtin_trap();
  for (int frame = 0; frame < 4; ++frame) batteries.Update(0.5f);
  return 0;
}
