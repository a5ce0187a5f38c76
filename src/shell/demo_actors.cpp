#include "shell/demo_actors.h"

#include <vector>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/animation/anim_object.h"
#include "world/animation/anim_set.h"
#include "world/animation/figure_walker.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_table.h"

namespace {

// The wave the walked figures play on their upper body.
constexpr const char* kWaveAnimation = "figure_wave.prs";
// The region whose centre the blast is set off at, and the blast (which
// tells the game, so that its sound plays).
constexpr const char* kBlastRegion = "CrateBlast";
constexpr float kBlastSize = 600.0f;
constexpr float kBlastPower = 100.0f;
constexpr std::uint32_t kBlastFlags =
    BLAST_DAMAGING | BLAST_FIRE | BLAST_FIREBALL | BLAST_HITS_OBJECTS | BLAST_BURNING_DEBRIS | BLAST_DUST | BLAST_LARGE |
    BLAST_NOTIFY;

std::vector<CFigureWalker> g_Walkers;
std::uint32_t g_StartTime = 0;
bool g_SwitchesDue = false;
bool g_BlastDue = false;
bool g_BlastFired = false;

std::uint32_t Now() { return g_GameClock != nullptr ? g_GameClock->GetGameTime() : 0u; }

void FireBlast() {
  g_BlastDue = false;
  if (g_BlastFired) return;
  const CRegion* region = g_Regions != nullptr ? g_Regions->FindByName(kBlastRegion) : nullptr;
  if (region == nullptr || g_Explosions == nullptr) return;
  CVector3 centre = region->Type == REGION_SPHERE ? region->Sphere.Centre : region->Box.Centre;
  g_Explosions->Create(centre, g_Environment != nullptr ? g_Environment->RootInstance : nullptr, kBlastSize,
                       kBlastPower, nullptr, 0, kBlastFlags, nullptr);
  g_BlastFired = true;
}

// A switch came to rest: the first one thrown sets the blast off.
void SwitchMoved(std::uint32_t, float state, std::uint32_t) {
  if (state == 1.0f) FireBlast();
}

bool LevelHasSwitches() { return g_Switches != nullptr && g_Switches->GetCount() > 0; }

}  // namespace

int StartDemoActors() {
  StopDemoActors();
  g_StartTime = Now();
  g_SwitchesDue = LevelHasSwitches();
  g_BlastDue = !g_SwitchesDue;
  g_BlastFired = false;
  if (g_Switches != nullptr) g_Switches->SetEventCallback(SwitchMoved);
  if (g_Environment == nullptr) return 0;
  AnimSet* wave = g_AnimSetManager.GetAnimSet(kWaveAnimation);
  CEnvInstance* tracked = nullptr;
  for (std::uint32_t k = 0; k < g_Environment->AnimatedCount; ++k) {
    auto* figure = dynamic_cast<CAnimObject*>(g_Environment->AnimatedArray[k]);
    if (figure == nullptr || figure->GetChannelSet(0) == nullptr) continue;
    CFigureWalker walker;
    if (!walker.Attach(figure, figure->GetChannelSet(0), wave, FigureWalkerSettings{})) continue;
    g_Walkers.push_back(walker);
    if (tracked == nullptr) tracked = figure;
  }
  if (g_MovieCamera != nullptr) {
    // The cameras' triggers follow the first figure; viewport 0 starts on
    // the level's player view when it has one.
    g_MovieCamera->SetTrackedObject(tracked);
    const int view = g_MovieCamera->GetViewCamera(0);
    if (view >= 0) g_MovieCamera->StartCamera(0, view);
  }
  return static_cast<int>(g_Walkers.size());
}

void UpdateDemoActors() {
  if (g_GameClock == nullptr || !g_GameClock->IsRunning()) return;
  const float dt = g_GameClock->GetFrameTime();
  for (CFigureWalker& w : g_Walkers) w.Update(dt);
  const std::uint32_t since = Now() - g_StartTime;
  if (g_SwitchesDue && since >= kDemoSwitchesAfterMs) {
    g_SwitchesDue = false;
    for (int i = 0; i < g_Switches->GetCount(); ++i) g_Switches->GetSwitch(i)->SetState(0);
  }
  if (g_BlastDue && since >= kDemoBlastAfterMs) FireBlast();
}

void StopDemoActors() {
  for (CFigureWalker& w : g_Walkers) w.Detach();
  g_Walkers.clear();
  if (g_MovieCamera != nullptr) g_MovieCamera->SetTrackedObject(nullptr);
  if (g_Switches != nullptr) g_Switches->SetEventCallback(nullptr);
  g_SwitchesDue = false;
  g_BlastDue = false;
}

bool DemoBlastFired() { return g_BlastFired; }
