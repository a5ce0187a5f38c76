#include "make_level/level_sections.h"

#include <cstdarg>
#include <cstdio>

#include "world/effects/tracer_batteries.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"

namespace {

// Longest name the region and switch readers keep (their fields are 128 bytes).
constexpr std::size_t kSectionNameMax = 127;

void Put(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string& out, const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out += line;
}

bool Fits(const std::string& name, std::size_t max) {
  return !name.empty() && name.size() <= max && name.find_first_of("\",\r\n") == std::string::npos;
}

}  // namespace

std::string WriteRegionSection(const std::vector<LevelRegionSource>& regions) {
  std::string out;
  Put(out, "%d\r\n", static_cast<int>(regions.size()));
  for (const LevelRegionSource& r : regions) {
    Put(out, "REGION \"%s\" %d", r.Name.c_str(), r.Type);
    if (r.Type == REGION_BOX) {
      Put(out, " %f %f %f  %f %f %f  %f %f %f  %f %f %f\r\n", r.Position.x, r.Position.y, r.Position.z,
          r.Rotation.x, r.Rotation.y, r.Rotation.z, r.Min.x, r.Min.y, r.Min.z, r.Max.x, r.Max.y, r.Max.z);
    } else {
      Put(out, " %f %f %f %f\r\n", r.Position.x, r.Position.y, r.Position.z, r.Radius);
    }
  }
  out += "ENDREGIONS\r\n";
  return out;
}

std::string WriteSwitchSection(const std::vector<LevelSwitchSource>& switches) {
  std::string out;
  Put(out, "NUMSWITCHES %d\r\n", static_cast<int>(switches.size()));
  for (const LevelSwitchSource& s : switches) {
    Put(out, "SWITCH \"%s\" \"%s\" %f %f %f %f %f %f \"%s\" \"%s\" %d %d %d\r\n", s.Name.c_str(),
        s.Parent.c_str(), s.Position.x, s.Position.y, s.Position.z, s.Rotation.x, s.Rotation.y, s.Rotation.z,
        s.Type.c_str(), s.Region.c_str(), s.Links[0], s.Links[1], s.LinkValue);
  }
  return out;
}

std::string WriteSwitchStatsText(const std::vector<LevelSwitchTypeSource>& types) {
  std::string out;
  for (const LevelSwitchTypeSource& t : types) {
    Put(out, "%s,%s,%s,%f,%f,%f,%f,%f,%f,%f\r\n", t.Name.c_str(), t.FirstModel.c_str(), t.SecondModel.c_str(),
        t.PositionOffset.x, t.PositionOffset.y, t.PositionOffset.z, t.RotationOffset.x, t.RotationOffset.y,
        t.RotationOffset.z, t.TravelTime);
  }
  return out;
}

std::string WriteEmitterSection(const std::vector<ParticleEmitter>& emitters) {
  CParticleEmitterList list(static_cast<int>(emitters.size()));
  for (int i = 0; i < list.GetCount(); ++i) *list.Get(i) = emitters[static_cast<std::size_t>(i)];
  std::string out;
  list.WriteSection(&out);
  return out;
}

bool ComposeLevelSections(LevelDescription* level, std::string* error) {
  auto fail = [&](const std::string& what) {
    *error = level->Name + ": " + what;
    return false;
  };
  auto compose = [&](EnvSectionId id, bool has, const std::string& text) {
    if (!has) return true;
    if (!level->Env.sections[id].empty())
      return fail(std::string("the ") + LevelSectionWord(id) + " section is given both as text and by records");
    level->Env.sections[id] = text;
    return true;
  };

  if (static_cast<int>(level->Regions.size()) > kMaxRegions) return fail("more regions than a level may hold");
  if (static_cast<int>(level->Switches.size()) > kMaxSwitches) return fail("more switches than a level may hold");
  if (static_cast<int>(level->SwitchTypes.size()) > kMaxSwitchStats) return fail("more switch types than a table holds");
  if (static_cast<int>(level->Tracers.size()) > kMaxTracerBatteries)
    return fail("more tracer batteries than a level may hold");
  if (static_cast<int>(level->Sounds.size()) > kMaxEnvironmentSounds)
    return fail("more environment sounds than a level may hold");
  if (static_cast<int>(level->Emitters.size()) > CParticleEmitterList::kDefaultCount)
    return fail("more emitters than the game's emitter list holds");
  for (const LevelRegionSource& r : level->Regions)
    if (!Fits(r.Name, kSectionNameMax)) return fail("region \"" + r.Name + "\": the name does not fit");
  for (const LevelSwitchTypeSource& t : level->SwitchTypes) {
    if (!Fits(t.Name, kSwitchNameSize - 1)) return fail("switch type \"" + t.Name + "\": the name does not fit");
    if (!Fits(t.FirstModel, kSwitchModelSize - 1) || !Fits(t.SecondModel, kSwitchModelSize - 1))
      return fail("switch type \"" + t.Name + "\": a model name does not fit");
  }
  for (const LevelSwitchSource& s : level->Switches) {
    if (!Fits(s.Name, kSectionNameMax) || !Fits(s.Parent, kSectionNameMax))
      return fail("switch \"" + s.Name + "\": a name does not fit");
    bool type = false, region = false;
    for (const LevelSwitchTypeSource& t : level->SwitchTypes) type = type || t.Name == s.Type;
    for (const LevelRegionSource& r : level->Regions) region = region || (r.Name == s.Region && r.Type == REGION_BOX);
    if (!type) return fail("switch \"" + s.Name + "\": no switch type \"" + s.Type + "\" is described");
    if (!region) return fail("switch \"" + s.Name + "\": no box region \"" + s.Region + "\" is described");
  }

  std::string tracers;
  TracerBatteries::Write(&tracers, level->Tracers);
  if (!compose(ENVSECTION_REGIONS, !level->Regions.empty(), WriteRegionSection(level->Regions)) ||
      !compose(ENVSECTION_SWITCHES, !level->Switches.empty(), WriteSwitchSection(level->Switches)) ||
      !compose(ENVSECTION_EMITTERS, !level->Emitters.empty(), WriteEmitterSection(level->Emitters)) ||
      !compose(ENVSECTION_SOUNDS, !level->Sounds.empty(), WriteEnvironmentSoundSection(level->Sounds)) ||
      !compose(ENVSECTION_TRACER_BATTERIES, !level->Tracers.empty(), tracers))
    return false;
  if (!level->SwitchTypes.empty()) {
    for (const LevelFileSource& f : level->Files)
      if (f.Name == "Switches.txt") return fail("\"Switches.txt\" is given both as a file and by switch types");
    level->Files.push_back({"Switches.txt", WriteSwitchStatsText(level->SwitchTypes)});
  }
  return true;
}
