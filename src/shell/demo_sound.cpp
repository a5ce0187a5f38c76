#include "shell/demo_sound.h"

#include <cstdio>

#include "foundation/files/file_locator.h"
#include "render/geometry/camera.h"
#include "sound/sound_manager.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

#ifndef HALBERD_DEMO_DATA_DIR
#define HALBERD_DEMO_DATA_DIR "data/"
#endif

namespace {

const char kSoundFolder[] = HALBERD_DEMO_DATA_DIR "sound";
const char* const kSoundFolders[] = {kSoundFolder, nullptr};

// The explosion bank's blast, heard to 3000 units; the impact bank's event of
// a wooden object struck, at the objects the blast reaches (at most three).
constexpr int kExplosionEvent = 2030;
constexpr float kExplosionRange = 3000.0f;
constexpr int kWoodImpactEvent = 2;
constexpr float kImpactRange = 1000.0f;
constexpr int kMostImpacts = 3;
constexpr float kBlastReach = 600.0f;

const CSoundBank* g_explosion = nullptr;
const CSoundBank* g_impact = nullptr;

bool SoundRuns() { return g_SoundManager != nullptr && g_SoundManager->IsActive(); }

void OnBlast(const CVector3& centre) {
  if (!SoundRuns()) return;
  g_SoundManager->PlayEvent(g_explosion, kExplosionEvent, &centre, kExplosionRange, 0);
  if (g_Environment == nullptr) return;
  int struck = 0;
  for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr && struck < kMostImpacts; i = i->EnvLink) {
    if (i->Parent == nullptr) continue;  // the ground and the rooms themselves
    CVector3 at;
    i->GetPosition(&at);
    const float dx = at.x - centre.x, dy = at.y - centre.y, dz = at.z - centre.z;
    if (dx * dx + dy * dy + dz * dz > kBlastReach * kBlastReach) continue;
    if (g_SoundManager->PlayEvent(g_impact, kWoodImpactEvent, &at, kImpactRange, 0) >= 0) ++struck;
  }
}

}  // namespace

void ConnectBlastSounds(const CSoundBank* explosion, const CSoundBank* impact) {
  g_explosion = explosion;
  g_impact = impact;
  if (g_Explosions != nullptr) g_Explosions->SetNotifyCallback(OnBlast);
}

void StartDemoSound() {
  if (!SoundRuns()) return;
  const char* const* previous = GetSearchFolders();
  SetSearchFolders(kSoundFolders);
  const bool cache = g_SoundManager->LoadCache("DEMO.sch");
  const CSoundBank* explosion = g_SoundManager->LoadBank("Explosion.sbk", 0);
  const CSoundBank* impact = g_SoundManager->LoadBank("Impact.sbk", 0);
  SetSearchFolders(previous);
  std::printf("  demo sound: %s, %d samples, effects banks %s\n", cache ? "DEMO.sch" : "no cache",
              g_SoundManager->Cache().SampleCount(), explosion != nullptr && impact != nullptr ? "loaded" : "missing");
  ConnectBlastSounds(explosion, impact);
}

void UpdateDemoSound() {
  if (!SoundRuns()) return;
  if (g_MainCamera != nullptr) {
    g_SoundManager->SetListenerCount(1);
    g_SoundManager->SetListenerFromCamera(0, *g_MainCamera);
  }
  g_SoundManager->Update();
  g_SoundManager->UpdateMusic();
}

void EndDemoSound() {
  g_explosion = g_impact = nullptr;
  if (g_SoundManager != nullptr) g_SoundManager->ReleaseLevel();
}
