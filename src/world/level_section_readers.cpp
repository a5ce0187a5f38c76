#include "world/level_section_readers.h"

#include "scene/lights/light_table.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/tracer_batteries.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_table.h"

namespace {

bool ReadPast(EnvSectionId id, EnvTextCursor& text, const EnvSectionContext& context) {
  return GetDefaultEnvSectionReader(id)(text, context);
}

CEnvironment* EnvironmentOf(const EnvSectionContext& context) {
  return context.environment != nullptr ? context.environment : g_Environment;
}

bool ReadLights(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_Lights == nullptr) return ReadPast(ENVSECTION_LIGHTS, text, context);
  return g_Lights->ReadLightSection(text, context.version);
}

bool ReadWaypoints(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_EnvWaypoints == nullptr) return ReadPast(ENVSECTION_WAYPOINTS, text, context);
  g_EnvWaypoints->Init();
  return g_EnvWaypoints->Read(text, context.version);
}

// The list is made compact at once: index look-ups (switches, emitters and
// camera triggers name regions by number) then read the array.
bool ReadRegions(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_Regions == nullptr) return ReadPast(ENVSECTION_REGIONS, text, context);
  const bool whole = g_Regions->ReadText(text, context.version);
  g_Regions->Compact(false);
  return whole;
}

bool ReadSwitches(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_Switches == nullptr) return ReadPast(ENVSECTION_SWITCHES, text, context);
  return g_Switches->ReadText(text, context.version, EnvironmentOf(context), g_Regions, g_HLOManager);
}

bool ReadEmitters(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_ParticleEmitters == nullptr) return ReadPast(ENVSECTION_EMITTERS, text, context);
  g_ParticleEmitters->ResetAll();
  return g_ParticleEmitters->ReadSection(text, context.version, EnvironmentOf(context));
}

bool ReadTracerBatteries(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_TracerBatteries == nullptr) return ReadPast(ENVSECTION_TRACER_BATTERIES, text, context);
  return g_TracerBatteries->Read(text, context.version);
}

// The cameras find their objects in the environment being loaded, their
// tracks in the waypoint list read before them and their triggers' regions.
bool ReadMovieCameras(EnvTextCursor& text, const EnvSectionContext& context) {
  if (g_MovieCamera == nullptr) return ReadPast(ENVSECTION_MOVIE_CAMERAS, text, context);
  g_MovieCamera->SetWorld(EnvironmentOf(context), g_Regions, g_EnvWaypoints);
  return g_MovieCamera->ReadSection(text, context.version);
}

struct Installed {
  EnvSectionId id;
  EnvSectionReader reader;
};

const Installed kReaders[] = {
    {ENVSECTION_LIGHTS, ReadLights},
    {ENVSECTION_WAYPOINTS, ReadWaypoints},
    {ENVSECTION_REGIONS, ReadRegions},
    {ENVSECTION_SWITCHES, ReadSwitches},
    {ENVSECTION_EMITTERS, ReadEmitters},
    {ENVSECTION_TRACER_BATTERIES, ReadTracerBatteries},
    {ENVSECTION_MOVIE_CAMERAS, ReadMovieCameras},
};

}  // namespace

void InstallLevelSectionReaders() {
  for (const Installed& r : kReaders) SetEnvSectionReader(r.id, r.reader);
}

void RemoveLevelSectionReaders() {
  for (const Installed& r : kReaders)
    if (GetEnvSectionReader(r.id) == r.reader) SetEnvSectionReader(r.id, nullptr);
}
