// Any text read as a render-effects file, over an environment with a few
// templates, swaying plants and a glass set: the reader ends, reads only
// inside the text, and what it applies stays on the environment's own
// records.  Unscoped and scoped, as a device without effects and as the
// catalog build (which fetches maps).  Included files are looked for in the
// working folder; missing ones are read past (the unit tests cover nested
// and looping includes).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/command_switches.h"
#include "foundation/text/hash.h"
#include "platform/win32/debug_output.h"
#include "platform/win32/message_box.h"
#include "render/textures/material_list.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/glass/glazier.h"
#include "world/render_effects/render_effects_file.h"

namespace {

void Quiet(const char*, void*) {}
int AnswerOk(HWND, const char*, const char*, UINT, void*) { return IDOK; }

void Save(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The demo level's render-effects file: the lines between "file DEMO.rfx"
// and "endfile" of its level description.
std::string DemoRenderEffects() {
  std::ifstream in(HALBERD_DEMO_RENDER_EFFECTS, std::ios::binary);
  std::string text, line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind("file DEMO.rfx", 0) == 0) inside = true;
    else if (line.rfind("endfile", 0) == 0) inside = false;
    else if (inside) text += line + "\n";
  }
  return text;
}

// The demo level's file, and valid files of every block form written by
// hand (the game writes none).
void WriteSeeds(const std::string& folder) {
  Save(folder + "/demo.rfx", DemoRenderEffects());
  Save(folder + "/forms.rfx",
       "// every block form\n"
       "REFX_PERTERB_GRASS tree RANDOM_SCALE = 2 4 RANDOM_RATE = 30 60\n"
       "REFX_DOT3_BUMP room NORMAL_MAP bricks_n\n"
       "REFX_DOT3_BUMP room { a bricks NORMAL_MAP bricks_n b glass NORMAL_MAP glass_n }\n"
       "REFX_REFLECT room BLEND_FACTOR 0.5 ENV_MAP shine\n"
       "REFX_REFLECT room { a glass BLEND_FACTOR 0.7 CUBE_MAP sky b bricks BLEND_FACTOR 0.1 ENV_MAP shine }\n"
       "REFX_DOT3_BUMP_REFLECT room\n"
       "REFX_DEFAULT_GLAZIER_REFLECT any 0.4 CUBE_MAP sky\n"
       "REFX_DETAIL room DETAIL_MODE SHADERMODE_DETAILADD BLEND_START 1 BLEND_RANGE 2 U_SCALE 3 DETAIL_MAP grain\n"
       "REFX_DETAIL room { a bricks DETAIL_MODE SHADERMODE_DETAILBLEND BLEND_FACTOR 0.25 BLEND_START 0\n"
       "  BLEND_RANGE 3 UV_SCALE 4 V_SCALE 2 DETAIL_MAP grain b glass DETAIL_MODE SHADERMODE_DETAILMODULATE\n"
       "  BLEND_START 0 BLEND_RANGE 1 DETAIL_MAP speck }\n"
       "#INCLUDE missing.rfx\n"
       "REFX_END\n");
  // A block of the room's id text, as a scoped read applies it.
  char id[16];
  std::snprintf(id, sizeof id, "#0x%X", HashStringNoCase("room"));
  Save(folder + "/scoped.rfx", std::string("REFX_DETAIL ") + id +
                                   " DETAIL_MODE SHADERMODE_DETAILSUBTRACT BLEND_START 0 BLEND_RANGE 0 "
                                   "DETAIL_MAP grain REFX_END");
}

CTextureManager* g_textures = nullptr;
CMaterialList* g_materials = nullptr;

// A template of one node with a part per texture name.
CEnvObject* Template(CEnvironment& env, const char* name, std::initializer_list<const char*> parts) {
  CEnvObject* node = NewEnvObjectNode();
  node->Init(EnvLoadContext{nullptr, g_textures, g_materials, nullptr, nullptr});
  node->TemplateKind = OTYPE_ENV;
  node->ObjectNameHash = HashStringNoCase(name);
  node->Mesh = new CVBufferObject;
  CVertexBuffer** link = &node->Mesh->FirstPart;
  for (const char* texture : parts) {
    auto* part = new CVertexBuffer;
    part->Texture = g_textures->GetTexture(texture, 0);
    *link = part;
    link = &part->Next;
    ++node->Mesh->PartCount;
  }
  return env.AddObject(node);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetDebugOutputHook(Quiet, nullptr);
  SetMessageBoxEcho(false);
  SetMessageBoxHook(AnswerOk, nullptr);
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  // Included files are looked for in the working folder (the fuzz run's; a
  // missing one only shows a message box, answered here).
  SetWorkDirectory();
  SetSearchFolders(nullptr);
  CatalogStartup();
  g_textures = new CTextureManager;
  g_materials = new CMaterialList;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  g_textures->Clear();
  for (int pass = 0; pass < 3; ++pass) {
    CEnvironment env(nullptr, g_textures, g_materials, nullptr, nullptr, nullptr, nullptr, nullptr);
    CEnvObject* room = Template(env, "room", {"bricks", "glass", "Default"});
    CEnvObject* tree = Template(env, "tree", {"leaves"});
    for (int i = 0; i < 3; ++i) env.CreateInstance(nullptr, tree, {100.0f * i, 0, 0}, {0, 30.0f * i, 0}, nullptr, 0, 0);
    env.CreateGlass(8);
    const std::string pane =
        "<GLAZIER> <PANE> 1 1 1 1 1 1 1 0 0 4 0 0 0 0 1 0 0 1 0 4 0 0 0 100 0 0 100 100 0 0 100 0 0 0.5 NOTEXTURE "
        "</PANE> </GLAZIER>";
    EnvTextCursor cursor(pane.c_str());
    env.Glass->MakeShards();
    env.Glass->ReadText(cursor, kGlassVersionCurrent, GlassModules{});
    if (pass == 2) SetCommandSwitch('c');
    CFileParse parse(text.c_str(), text.size(), kRenderEffectsParseFlags);
    RenderEffectsStats stats;
    ReadRenderEffects(&env, parse, pass == 1 ? room : nullptr, 0, &stats);
    ClearCommandSwitch('c');
    if (stats.refusedIncludes > 0 && stats.files < kRenderEffectsMaxIncludeDepth) __builtin_trap();
    if (env.PlantSways.size() != static_cast<std::size_t>(stats.swayingInstances)) __builtin_trap();
    for (CEnvInstance* i = env.InstanceList; i != nullptr; i = i->EnvLink)
      if (i->HookData != nullptr && i->Template != tree) __builtin_trap();
  }
  return 0;
}
