#include "shell/level_load.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/files/load_file.h"
#include "platform/win32/message_box.h"
#include "shell/level_pool_sizes.h"
#include "scene/lights/light_table.h"
#include "world/animation/anim_loader_hooks.h"
#include "world/animation/anim_object.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/breakable_loader_hook.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/tracer_batteries.h"
#include "world/environment/env_load_finish_hooks.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_object.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/glass/glass_section.h"
#include "world/glass/glazier.h"
#include "world/level_section_readers.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/environment_hlo_world.h"
#include "world/regions/region_list.h"
#include "world/shrubbery/shrubbery.h"
#include "world/sky/sky.h"
#include "world/sky/sky_section.h"
#include "world/render_effects/render_effects_file.h"
#include "world/routes/quad_tree.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"

// The demo data that the tools write at build time.
#ifndef HALBERD_DEMO_DATA_DIR
#define HALBERD_DEMO_DATA_DIR "data/"
#endif

namespace {

// The demo's day runs from the level's late afternoon to dusk while it
// plays: three hours of the day per minute of the game clock, stopping at 19:00.
constexpr float kDemoTimeOfDayRate = 180.0f;
constexpr float kDemoDusk = 19.0f;

const char kDemoDataFolder[] = HALBERD_DEMO_DATA_DIR;
const char kDemoLevelFolder[] = HALBERD_DEMO_DATA_DIR "levels/DEMO";
// The level folder in use (the build's unless one was set) and the search
// folders naming it (kept: the file layer holds on to the list).
std::string g_DemoLevelFolder = kDemoLevelFolder;
const char* g_DemoSearchFolders[] = {g_DemoLevelFolder.c_str(), kDemoDataFolder, nullptr};

// The tag the switch types are read with.
constexpr std::uint32_t kSwitchStatsTag = 19;
// The switch types a level brings along.
constexpr const char kSwitchStatsFile[] = "Switches.txt";

int g_Boxes = 0;
int CountBox(HWND, const char* text, const char* caption, UINT, void*) {
  ++g_Boxes;
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
  return IDOK;
}

// The level's switch types, when it has a table of them on the search path
// (else the types read before stay).
void ReadLevelSwitchStats() {
  if (!FileExists(kSwitchStatsFile)) return;
  char* text = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(kSwitchStatsFile, &text, &size, nullptr, 0)) return;
  SwitchStatsRead(text, size, kSwitchStatsTag);
  FreeLoadedFile(text);
}

// What the section readers put into their modules.
void CountSectionRecords(LevelLoadReport* r) {
  if (g_Lights != nullptr) r->lights = g_Lights->LightCount;
  if (g_EnvWaypoints != nullptr) r->waypoints = g_EnvWaypoints->Count();
  if (g_Regions != nullptr) r->regions = g_Regions->GetCount();
  if (g_Switches != nullptr) r->switches = g_Switches->GetCount();
  if (g_ParticleEmitters != nullptr)
    for (int i = 0; i < g_ParticleEmitters->GetCount(); ++i)
      r->emitters += (g_ParticleEmitters->Get(i)->Flags & PEF_FROM_LEVEL) ? 1 : 0;
  if (g_TracerBatteries != nullptr) r->tracerBatteries = g_TracerBatteries->GetCount();
  if (g_MovieCamera != nullptr)
    for (int n = 0; n < kMaxMovieCameras; ++n) r->movieCameras += g_MovieCamera->IsUsed(n) ? 1 : 0;
  if (g_HLOManager != nullptr)
    for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind) r->objects += g_HLOManager->CountObjects(kind, 3, -1, 0);
}

// A figure that plays an animation from the start walks about: it is
// dynamic, drawn and found where it stands rather than where the octree
// (built next) would file it.
void MakeWalkingFiguresDynamic(CEnvironment& environment) {
  for (std::uint32_t k = 0; k < environment.AnimatedCount; ++k) {
    auto* figure = dynamic_cast<CAnimObject*>(environment.AnimatedArray[k]);
    if (figure != nullptr && figure->GetChannelSet(0) != nullptr) figure->SetDynamic();
  }
}

}  // namespace

bool LoadLevelEnvironment(CEnvironment* environment, const char* levelPath, HLOSpawnCallback spawn,
                          LevelLoadReport* report) {
  LevelLoadReport local;
  LevelLoadReport& r = report != nullptr ? *report : local;
  r = LevelLoadReport{};
  if (environment == nullptr || levelPath == nullptr) return false;
  g_Boxes = 0;
  SetMessageBoxHook(CountBox, nullptr);
  InstallAnimationLoaderHooks();
  InstallShrubbery();
  InstallSkySectionReader();
  InstallGlassSectionReader();
  // The modules' own readers of their sections.
  InstallLevelSectionReaders();
  InstallBreakableLoaderHook();
  InstallEnvLoadFinishHooks();

  // World objects live in the environment of the moment.
  InstallEnvironmentHLOWorld(nullptr);
  LevelStartPoolSizes(levelPath);
  std::string text;
  if (BufferedFile* file = FileOpenOnSearchPath(levelPath, 0)) {
    text.resize(FileGetSize(file));
    text.resize(text.empty() ? 0 : FileRead(text.data(), 1, text.size(), file));
    FileClose(file);
    r.textRead = true;
  }
  if (r.textRead) {
    ReadLevelSwitchStats();
    EnvTextCursor cursor(text.c_str());
    r.wholeFile = EnvFileLoadEnvironment(environment, cursor, spawn, LoadProgressCallback, &r.file) == 1;
    EnvSectionContext context;
    context.environment = environment;
    context.version = g_EnvFileVersion;
    context.levelFlags = environment->LevelFlags;
    r.cameras = GetEnvSectionReader(ENVSECTION_MOVIE_CAMERAS)(cursor, context);
    MakeWalkingFiguresDynamic(*environment);
    r.octrees = environment->BuildOrLoadOctrees(levelPath);
    environment->BuildStaticList();
    r.renderEffects = LoadLevelRenderEffects(environment, levelPath) == 1;
    // The route data is named after the level: "DEMO.env" has "DEMO.qtd" and "DEMO.rmd".
    const std::string levelName = std::filesystem::path(levelPath).replace_extension().string();
    r.storedRoutes = StartRouteData(*environment, levelName.c_str(), nullptr) == 1;
    LevelEndPoolSizes(levelPath);
  }

  for (CEnvInstance* i = environment->InstanceList; i != nullptr; i = i->EnvLink) {
    ++r.instances;
    if (i->Parent != nullptr || i->Zone == nullptr) continue;
    ++r.zones;
    for (Portal* p = i->Zone->Portals; p != nullptr; p = p->Next) ++r.portals;
  }
  for (CEnvObject* t = environment->TemplateList; t != nullptr; t = t->NextTemplate) ++r.templates;
  r.staticInstances = static_cast<int>(environment->StaticCount);
  r.glassPanes = environment->Glass != nullptr ? environment->Glass->GetPaneCount() : 0;
  if (r.textRead) CountSectionRecords(&r);
  r.messageBoxes = g_Boxes;
  SetMessageBoxHook(nullptr, nullptr);
  return r.textRead && r.wholeFile && r.cameras;
}

void PrintLevelLoadReport(const char* levelPath, const LevelLoadReport& r) {
  if (!r.textRead) {
    std::printf("  level %s: not found\n", levelPath);
    return;
  }
  std::printf("  level %s (version %d): %s\n", levelPath, g_EnvFileVersion,
              r.wholeFile && r.cameras ? "loaded whole" : "loaded in part");
  std::printf("    %d instances (%d in the file), %d templates, %d zones, %d portals, %d static\n", r.instances,
              r.file.instanceRecords, r.templates, r.zones, r.portals, r.staticInstances);
  std::printf("    %d game-object records, %d portal records, octrees %s, %d message boxes\n", r.file.objectRecords,
              r.file.portalRecords, r.octrees ? "ready" : "missing", r.messageBoxes);
  std::printf("    %d glass panes, render-effects file %s\n", r.glassPanes, r.renderEffects ? "read" : "none");
  std::printf("    %d lights, %d waypoints, %d regions, %d switches, %d emitters, %d tracer batteries, "
              "%d movie cameras, %d world objects\n",
              r.lights, r.waypoints, r.regions, r.switches, r.emitters, r.tracerBatteries, r.movieCameras, r.objects);
  if (r.file.failedSections != 0) {
    for (int id = 0; id < ENVSECTION_COUNT; ++id)
      if (r.file.failedSections & (1u << id))
        std::printf("    the %s section failed\n", EnvSectionName(static_cast<EnvSectionId>(id)));
  }
  if (r.file.structureFailed) std::printf("    the file is damaged at line %d\n", r.file.failedLine);
}

const char* DemoLevelFolder() { return g_DemoLevelFolder.c_str(); }

void SetDemoLevelFolder(const char* folder) {
  g_DemoLevelFolder = folder != nullptr ? folder : kDemoLevelFolder;
  g_DemoSearchFolders[0] = g_DemoLevelFolder.c_str();
}

bool LoadDemoLevel(CEnvironment* environment, HLOSpawnCallback spawn, LevelLoadReport* report) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::error_code ec;
  std::filesystem::current_path(g_DemoLevelFolder, ec);
  if (ec) {
    if (report != nullptr) *report = LevelLoadReport{};
    return false;
  }
  SetWorkDirectory();
  SetSearchFolders(g_DemoSearchFolders);
  const bool ok = LoadLevelEnvironment(environment, "DEMO.env", spawn, report);
  if (ok && environment->Sky != nullptr) {
    environment->Sky->SetTimeOfDayRate(kDemoTimeOfDayRate);
    environment->Sky->StopTimeAt(kDemoDusk);
  }
  std::filesystem::current_path(previous, ec);
  SetWorkDirectory();
  return ok;
}
