// Feeds whole environment files to the level loader, over a folder of small
// object files that the levels place.  Every read must stay inside the text;
// damaged text must stop the load, never hang or crash it.
//
// Seeds: run the target with HALBERD_WRITE_SEEDS=<folder> to write valid
// level files (the writer's current version and hand-made older ones).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture.h"
#include "render/textures/texture_manager.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/environment/evo_writer.h"
#include "fuzz_scratch.h"
#include "fuzz_seed_file.h"

namespace {

void Quiet(const char*, void*) {}
int AnswerOk(HWND, const char*, const char*, UINT, void*) { return IDOK; }

// One-node templates without meshes: "Block" (plain), "Tile" (landscape), "InvisPoly".
void WriteTemplates() {
  const struct {
    const char* name;
    int type;
  } files[] = {{"Block", OTYPE_ENV}, {"Tile", OTYPE_LANDSCAPE}, {"InvisPoly", OTYPE_ENV}};
  for (const auto& f : files) {
    EvoNodeSource node;
    node.ObjectName = node.NodeName = f.name;
    node.Type = f.type;
    node.Bounds = node.WholeBounds = EvoMakeBounds({-10, 0, -10}, {10, 1, 10});
    node.Sphere = node.WholeSphere = {{0, 0.5f, 0}, 15};
    EvoWriteFileToDisk((std::string(f.name) + ".evo").c_str(), {node});
  }
}

void WriteSeeds(const char* folder) {
  EnvFileSource level;
  for (int i = 0; i < 4; ++i) {
    EnvFileInstanceSource inst;
    inst.name = "I" + std::to_string(i);
    inst.object = i == 0 ? "Tile" : "Block";
    inst.parent = i < 2 ? "Root" : "I1";
    inst.flags = i == 3 ? 0x1400000u : 0u;
    inst.renderInfo.flags = RenderInfoBlock::HAS_RENDER_VALUE;
    inst.lights = {1, 2};
    inst.position = {static_cast<float>(i * 100), 0, 0};
    level.instances.push_back(inst);
  }
  EnvFileObjectSource object;
  object.name = "Block";
  object.marks = {3, 4};
  level.objects = {object, object};
  EnvFilePortalSource portal;
  portal.name = "P";
  portal.owner = "I0";
  portal.target = "I1";
  portal.plane[0] = 1;
  portal.plane[2] = 0;
  portal.points = {{0, 0, 0}, {0, 100, 0}, {0, 100, 100}, {0, 0, 100}};
  level.portals = {portal};
  level.waypoints = {{"a", {1, 2, 3}, {1, 2, 3}, 0, 1}, {"b", {4, 5, 6}, {4, 5, 6}, 0, -1}};
  WriteSeedIn(folder, "level_v72", EnvFileWrite(level));
  level.levelFlags = 2;
  level.sections[ENVSECTION_EMITTERS] = "<EMIT> * 1 2 3 </EMIT>";
  WriteSeedIn(folder, "level_v72_flags", EnvFileWrite(level));
  // An old file: no version word, node list, no later sections.
  WriteSeedIn(folder, "level_v0",
            "Old INST A Root -1 Block 1 2 3 0 0 0 0 ENDI HLOX ENDP ENDL 2 1 2 3 ENDN ENDENVS ENDWAYPTS "
            "0 0 0 1 FOGSTART 1 FOGSTOP 2 SKYTEXTURE \"x\" A 1 B 0 1 2 3 4 C 1 2 3 D 1 E 1 "
            "SKYTEXTURE \"y\" A 1 B 0 1 2 3 4 C 1 2 3 D 1 E 1 P 1 2 3 4 5 6");
  WriteSeedIn(folder, "level_v40",
            "Version 40 INST 0 1 A Root 0 Block 1 2 3 0 0 0 1 1 1 1 5 ENDI HLOX PORTAL P 1 A A 0 0 1 0 0 0 3 0 0 0 0 1 "
            "0 0 1 1 0 0 0 1 0 ENDP ENDL ENDENVS ENDWAYPTS ENDMARKERS 1 R a 1 1 2 3 4 1 2 3 4 ENDREGIONS NUMSWITCHES 0");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugOutputHook(Quiet, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) {
    WriteSeeds(folder);
    std::exit(0);
  }
  SetMessageBoxEcho(false);
  SetMessageBoxHook(AnswerOk, nullptr);
  // The templates are written to this run's scratch folder, and read from there.
  std::filesystem::current_path(FuzzScratch("env_file").Path());
  SetWorkDirectory();
  SetSearchEnabled(1);
  CatalogStartup();
  WriteTemplates();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CTextureManager textures;
  static CMaterialList materials;
  static EnvWaypointList waypoints;
  g_EnvWaypoints = &waypoints;
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the loader reads NUL-terminated text
  EnvTextCursor cursor(text.c_str());
  auto* env = new CEnvironment(nullptr, &textures, &materials, nullptr, nullptr, nullptr, nullptr, nullptr);
  EnvFileLoadReport report;
  EnvFileLoadEnvironment(env, cursor, nullptr, nullptr, &report);
  if (cursor.Offset() > text.size()) __builtin_trap();
  delete env;
  textures.Clear();
  return 0;
}
