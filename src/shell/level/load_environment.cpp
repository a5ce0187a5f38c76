#include "shell/level/load_environment.h"

#include <cstring>
#include <string>

#include "foundation/files/buffered_file.h"
#include "foundation/files/file_locator.h"
#include "foundation/system/debug_output.h"
#include "foundation/system/fpu_control.h"
#include "net/mp_layer.h"
#include "render/device/render.h"
#include "shell/level/loading_screens.h"
#include "shell/level_pool_sizes.h"
#include "shell/program/game_objects.h"
#include "world/animation/anim_loader_hooks.h"
#include "world/cameras/movie_camera.h"
#include "world/effects/breakable_loader_hook.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_load_finish_hooks.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/glass/glass_section.h"
#include "world/level_section_readers.h"
#include "world/objects/chlo_manager.h"
#include "world/objects/environment_hlo_world.h"
#include "world/regions/region_list.h"
#include "world/shrubbery/shrubbery.h"
#include "world/sky/sky.h"
#include "world/sky/sky_section.h"

namespace {

constexpr float kCameraFieldOfView = 70.0f;
constexpr int kNameCapacity = 256;

char g_current[kNameCapacity] = "";
char g_level[kNameCapacity] = "";

void Keep(char* slot, const char* name) {
  std::strncpy(slot, name, kNameCapacity - 1);
  slot[kNameCapacity - 1] = '\0';
}

void Progress(const char* caption, int total, int) { LoadingProgress(caption, 0, total); }

}  // namespace

const char* CurrentEnvironmentName() { return g_current; }
void ClearCurrentEnvironmentName() { g_current[0] = '\0'; }
const char* LevelEnvironmentName() { return g_level; }
void ClearLevelEnvironmentName() { g_level[0] = '\0'; }

int LoadEnvironment(const char* fileName) {
  CEnvironment* env = g_Environment;
  if (fileName == nullptr || fileName[0] == '\0' || env == nullptr) return 0;
  // 1. (The visibility scale, the sky's fog overrides and night vision have
  // no counterpart in the environment yet.)
  // 2. The name, and the loading screen.
  Keep(g_current, fileName);
  ShowLoadingScreen(nullptr);
  // 3. The file.
  std::string text;
  BufferedFile* file = FileOpenOnSearchPath(fileName, 0);
  if (file == nullptr) return 0;
  text.resize(FileGetSize(file));
  text.resize(text.empty() ? 0 : FileRead(text.data(), 1, text.size(), file));
  FileClose(file);
  // 4. The environment's readers, the parse, the regions and the cameras.
  InstallAnimationLoaderHooks();
  InstallShrubbery();
  InstallSkySectionReader();
  InstallGlassSectionReader();
  InstallLevelSectionReaders();
  InstallBreakableLoaderHook();
  InstallEnvLoadFinishHooks();
  InstallEnvironmentHLOWorld(nullptr);
  EnvTextCursor cursor(text.c_str());
  const bool whole = EnvFileLoadEnvironment(env, cursor, CreateObjectFromRecord, Progress) == 1;
  EnvSectionContext context;
  context.environment = env;
  context.version = g_EnvFileVersion;
  context.levelFlags = env->LevelFlags;
  const bool cameras = GetEnvSectionReader(ENVSECTION_MOVIE_CAMERAS)(cursor, context) != 0;
  if (g_MovieCamera != nullptr && g_MovieCamera->IsUsed(0)) {
    g_MovieCamera->SetFieldOfView(0, kCameraFieldOfView);
    g_MovieCamera->SetViewCamera(0, 0);
    g_MovieCamera->MarkCamera(0);
    g_MovieCamera->StartCamera(0, 0);
  }
  // 5. The switches and the effects sprites.
  env->SetFlareMaterial(g_EffectsSprites);
  // 6. The control word, the names, the line.
  RestoreFpuControl();
  SaveFpuControl();
  Keep(g_level, fileName);
  DebugTrace("DONE :LoadEnvironment\n");
  return whole && cameras ? 1 : 0;
}
