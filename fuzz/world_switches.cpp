// Any text read as "Switches.txt" and as a level's switch section, with the
// state the section needs: an environment holding the types' models and a
// parent instance (so the visuals are made), the level's regions, a game
// clock; the switches read are then thrown, run to the end of their moves,
// used by position and forced, as a level plays them.  The readers must stay
// inside the text, keep every name inside its field and accept only counts
// in range; a switch is never both moving and at rest, and its visuals show
// the state it is in.
//
// Input: byte 0 picks the section's version; the rest is the section's text,
// or, where a NUL stands in it, the types' table before the NUL and the
// section after it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/text/hash.h"
#include "foundation/time/timer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_stats.h"
#include "world/switches/switch_table.h"
#include "fuzz_seed_file.h"

namespace {

const int kVersions[] = {8, 61, 62, 72};

const char kStats[] =
    "Lever,lever_base,lever_arm,0,10,0,0,0,90,2.5\n"
    "Button,button,NONE,1,0,0,0,0,0,0\n"
    "Gate,gate,gate_leaf,0,0,0,0,90,0,0.05\n";

void WriteSeeds(const std::string& folder) {
  const std::string section =
      "NUMSWITCHES 3\nSWITCH gate_lever post 10 0 20 0 45 0 Lever by_the_door 0 0 3\n"
      "SWITCH bell \"NONE\" 0 0 0 0 0 0 Button nowhere 4 5 -1\n"
      "SWITCH big_gate \"post\" -30 0 -30 0 0 0 Gate by_the_door 0 0 1\nENDS\n";
  for (std::size_t v = 0; v < std::size(kVersions); ++v) WriteVersionedSeed(folder, v, section);
  WriteSeedIn(folder, "with_types.txt", std::string(1, '\2') + kStats + '\0' + section);
  WriteSeedIn(folder, "old.txt",
              std::string(1, '\1') + "NUMSWITCHES 1\nSWITCH s post 0 0 0 0 0 0 Lever by_the_door 0 0\n");
}

CEnvObject* NewTemplate(const char* name) {
  auto* t = new CEnvObject;
  t->TemplateKind = OTYPE_ENV;
  t->Bounds.Min = {-1, -1, -1};
  t->Bounds.Max = {1, 1, 1};
  t->Sphere.Radius = 1.0f;
  t->ObjectNameHash = HashStringNoCase(name);
  return t;
}

// The visuals show the state: the first at rest, the second thrown.
void CheckVisuals(const CSwitch& s) {
  if (s.IsMoving() && s.IsAtRest()) __builtin_trap();
  if (s.IsMoving()) return;
  const bool thrown = !s.IsAtRest();
  if (s.FirstInstance != nullptr && s.SecondInstance != nullptr) {
    if (((s.FirstInstance->Flags & INSTF_DISABLED) != 0) != thrown) __builtin_trap();
    if (((s.SecondInstance->Flags & INSTF_DISABLED) != 0) == thrown) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int version = kVersions[data[0] % std::size(kVersions)];
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t nul = input.find('\0');
  const std::string stats = nul == std::string::npos ? std::string(kStats) : input.substr(0, nul);
  const std::string text = nul == std::string::npos ? input : input.substr(nul + 1);

  SwitchStatsRead(stats.data(), stats.size(), 19);
  for (int i = 0; i < SwitchStatsCount(); ++i) {
    const SwitchStats* s = SwitchStatsGet(i);
    if (std::strlen(s->Name) >= kSwitchNameSize || std::strlen(s->FirstModel) >= kSwitchModelSize ||
        std::strlen(s->SecondModel) >= kSwitchModelSize)
      __builtin_trap();
  }

  CTimer clock;
  clock.SetFixedFrameTime(100);
  auto* env = new CEnvironment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &clock, nullptr);
  for (const char* model : {"lever_base", "lever_arm", "button", "gate", "gate_leaf"}) env->AddObject(NewTemplate(model));
  env->CreateInstance("post", env->FindOrLoadObject("gate", 0), {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  CRegionList regions;
  CRegion r;
  r.Type = REGION_BOX;
  r.NameHash = HashString("by_the_door");
  r.Box.SetFromBoxAndPose({-50, 0, -50}, {50, 200, 50}, {0, 0, 0}, {0, 0, 0});
  regions.Add(r);

  {
    CSwitchTable table(&clock);
    EnvTextCursor cursor(text.c_str());
    table.ReadText(cursor, version, env, &regions, nullptr);
    if (table.GetCount() < 0 || table.GetCount() > kMaxSwitches) __builtin_trap();
    if (cursor.Offset() > text.size()) __builtin_trap();
    // Play them: throw each, run the clock past the longest move, use by
    // position, send them back, force each way.
    const int count = table.GetCount() < 16 ? table.GetCount() : 16;
    for (int i = 0; i < count; ++i) table.GetSwitch(i)->SetState(0);
    for (int frame = 0; frame < 8; ++frame) {
      clock.Update();
      table.Update();
      for (int i = 0; i < count; ++i) CheckVisuals(*table.GetSwitch(i));
    }
    table.UseAt({0, 0, 0}, 7);
    for (int i = 0; i < count; ++i) {
      CSwitch* s = table.GetSwitch(i);
      s->SetState(1);
      CVector3 p;
      s->GetPosition(&p);
      s->GetRotation(&p);
      s->ForceState(i % 2 == 0);
      CheckVisuals(*s);
    }
    clock.Update();
    table.Update();
  }
  delete env;
  SwitchStatsFree();
  return 0;
}
