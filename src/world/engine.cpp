#include "world/engine.h"

#include <utility>

#include "foundation/files/catalog.h"
#include "foundation/maths/fast_trig.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/fpu_control.h"
#include "foundation/time/step_timer.h"
#include "foundation/time/timer.h"
#include "menus/screen_2d.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"
#include "render/geometry/camera.h"
#include "render/2d/sprite_render.h"
#include "render/geometry/matrix_stack.h"
#include "render/textures/material_list.h"
#include "render/textures/surfaces.h"
#include "render/textures/texture_manager.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/decals/decals.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/skin/object_mesh_hooks.h"
#include "scene/manager/scene_manager.h"
#include "scene/shadows/shadow_hooks.h"
#include "world/cameras/movie_camera.h"
#include "world/dynamics/dynamics_world.h"
#include "world/animation/anim_set.h"
#include "world/effects/effects_hooks.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_table.h"

CCamera* g_MainCamera = nullptr;
CTextureManager* g_LevelTextures = nullptr;
CTextureManager* g_PersistentTextures = nullptr;
CMaterialList* g_LevelMaterials = nullptr;
CMaterialList* g_PersistentMaterials = nullptr;
CMaterial* g_DefaultMaterial = nullptr;
CMaterial* g_BlackMaterial = nullptr;
CSceneManager* g_SceneManager = nullptr;
CSurfaces* g_Surfaces = nullptr;
CStepTimer* g_StepTimer = nullptr;
CTimer* g_GameClock = nullptr;
CTimer* g_RealClock = nullptr;
CLinearBuffer* g_TransparentBuffer = nullptr;
CRegionList* g_Regions = nullptr;
CSwitchTable* g_Switches = nullptr;
CMovieCamera* g_MovieCamera = nullptr;
CDecals* g_Decals = nullptr;
CLightTable* g_Lights = nullptr;

namespace {

// The far distance the main camera starts with (world units).
constexpr float kMainCameraFarClip = 10000.0f;
constexpr int kVertexShaderCapacity = 128;
constexpr int kPixelShaderCapacity = 16;
constexpr float kStepRate = 30.0f;
constexpr std::uint32_t kTransparentBufferBytes = 65536;
constexpr int kDynamicsObjects = 100;

// --- the module log and the allocation-failure hook ---------------------------------

constexpr int kMaxEvents = 256;
EngineModuleEvent g_events[kMaxEvents];
int g_eventCount = 0;
int g_failAllocation = 0;

void Note(char action, const char* name) {
  if (g_eventCount < kMaxEvents) g_events[g_eventCount++] = {action, name};
}

bool RefuseThisAllocation() { return g_failAllocation > 0 && --g_failAllocation == 0; }

// Allocates one module (game-lifetime category, this file as the site) into
// its global; false, with the global null, when the allocation is refused.
template <class T, class... Args>
bool Create(T*& global, const char* name, Args&&... args) {
  global = nullptr;
  if (RefuseThisAllocation()) return false;
  MEM_OWNER();
  global = MEM_NEW(MEMCAT_GAME) T(std::forward<Args>(args)...);
  if (global == nullptr) return false;
  Note('+', name);
  return true;
}

template <class T>
void Destroy(T*& global, const char* name) {
  if (global == nullptr) return;
  MEM_DELETE global;
  global = nullptr;
  Note('-', name);
}

// The level materials' fixed entries: material 0 and the all-black one.
void TakeFixedMaterials() {
  static const float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  g_DefaultMaterial = g_LevelMaterials != nullptr ? g_LevelMaterials->GetByIndex(0) : nullptr;
  g_BlackMaterial = g_LevelMaterials != nullptr ? g_LevelMaterials->FindOrAdd(kZero, kZero, 0.0f, kZero) : nullptr;
}

// Camera 0's successor: a free camera record, marked, 70 degrees, started in
// viewport 0 and set as viewport 0's view.
void StartFirstMovieCamera() {
  g_MovieCamera->SetClock(g_GameClock);
  const int n = g_MovieCamera->CreateCamera(nullptr);
  g_MovieCamera->MarkCamera(n);
  g_MovieCamera->SetFieldOfView(n, 70.0f);
  g_MovieCamera->StartCamera(0, n);
  g_MovieCamera->SetViewCamera(0, n);
}

// The environment with the engine's modules, no current root and the
// engine's draw-pass word.
bool CreateEnvironment() {
  CEnvironment* environment = nullptr;
  if (!Create(environment, "environment", g_Render, g_LevelTextures, g_LevelMaterials, g_TransparentBuffer,
              g_DepthSortQueue, g_Lights, g_GameClock, g_RealClock))
    return false;
  g_Environment = environment;
  environment->SetViewInstance(nullptr);
  // The camera tracks follow the game's waypoint list (null until the game makes it).
  if (g_MovieCamera != nullptr) g_MovieCamera->SetWorld(environment, g_Regions, g_EnvWaypoints);
  environment->SetRenderFlags(kEnvRenderFlagsEngine);
  return true;
}

void DestroyEnvironment() {
  if (g_MovieCamera != nullptr) g_MovieCamera->SetWorld(nullptr, nullptr, nullptr);
  CEnvironment* environment = g_Environment;
  Destroy(environment, "environment");
  g_Environment = nullptr;
}

// The physics world of the level, stepped on the game clock.
bool CreateDynamicsWorld() {
  if (!Create(g_DynamicsWorld, "dynamics world", kDynamicsObjects)) return false;
  g_DynamicsWorld->SetClock(g_GameClock);
  return true;
}

// What the effect modules reach of the engine: the clocks, the decals and the regions.
void FillEffectsHooks() {
  g_EffectsHooks.GameClock = g_GameClock;
  g_EffectsHooks.RealClock = g_RealClock;
  g_EffectsHooks.RemoveDecals = [](CEnvInstance* instance) {
    if (g_Decals != nullptr) g_Decals->ForgetInstance(instance);
  };
  g_EffectsHooks.FindRegionById = [](int id) { return g_Regions != nullptr ? g_Regions->GetRegion(id) : nullptr; };
  g_EffectsHooks.RegionId = [](const CRegion* region) { return g_Regions != nullptr ? g_Regions->IndexOf(region) : -1; };
  g_EffectsHooks.RegionRandomPoint = [](const CRegion* region, CVector3* out) {
    if (region == nullptr) return false;
    region->RandomPoint(out);
    return true;
  };
}

void ClearEffectsHooks() {
  g_EffectsHooks.GameClock = g_EffectsHooks.RealClock = nullptr;
  g_EffectsHooks.RemoveDecals = nullptr;
  g_EffectsHooks.FindRegionById = nullptr;
  g_EffectsHooks.RegionId = nullptr;
  g_EffectsHooks.RegionRandomPoint = nullptr;
}

// Steps 3 to 13 of the start-up; false at the first module that cannot be made.
bool CreateModules() {
  // How skinned and vertex-animated templates are read, and their shadows built.
  InstallObjectMeshHooks();
  InstallShadowHooks();

  if (!Create(g_VertexShaders, "vertex shaders", g_Render, kVertexShaderCapacity)) return false;
  if (!Create(g_PixelShaders, "pixel shaders", g_Render, kPixelShaderCapacity)) return false;
  if (!Create(g_MainCamera, "camera")) return false;
  CCamera::SetCurrentCamera(g_MainCamera);

  if (!Create(g_LevelTextures, "level textures")) return false;
  if (!Create(g_PersistentTextures, "persistent textures")) return false;
  // The animation-set list (g_AnimSetManager) is a static object of the
  // animation module: it is there already, and emptied at each reset.
  if (!Create(g_LevelMaterials, "level materials")) return false;
  if (!Create(g_PersistentMaterials, "persistent materials")) return false;
  TakeFixedMaterials();

  if (!Create(g_SceneManager, "scene manager", g_Render, g_LevelTextures, g_LevelMaterials)) return false;
  if (!Create(g_Surfaces, "surfaces")) return false;

  // The clocks come before the movie cameras, so that the camera manager
  // has its game clock from the start rather than from the first reset.
  if (!Create(g_StepTimer, "step timer")) return false;
  g_StepTimer->SetRate(kStepRate);
  if (!Create(g_GameClock, "game clock")) return false;
  g_GameClock->SetRunning(0);
  if (!Create(g_RealClock, "real clock")) return false;
  g_RealClock->SetRunning(0);
  if (!Create(g_MovieCamera, "movie cameras", g_MainCamera)) return false;
  StartFirstMovieCamera();

  g_MainCamera->SetFarClip(kMainCameraFarClip);

  if (!Create(g_Lights, "lights", kEngineLightCapacity)) return false;
  if (!Create(g_TransparentBuffer, "transparent buffer", kTransparentBufferBytes, "Transparent Buffer"))
    return false;
  // The queue's memory comes with each level's pools.
  if (!Create(g_DepthSortQueue, "transparent queue")) return false;
  g_DepthSortQueue->Create(g_Render, g_MainCamera, g_Lights);
  if (!Create(g_Decals, "decals", g_GameClock, (g_Render->GetRenderOptions() & RENDER_OPTION_2) != 0)) return false;
  if (!Create(g_Regions, "regions")) return false;
  if (!Create(g_Switches, "switches", g_GameClock)) return false;

  if (!CreateEnvironment()) return false;
  if (!CreateDynamicsWorld()) return false;
  FillEffectsHooks();

  g_HLOLocalSide = 0;
  return FastTrig(kFastTrigDefaultResolution) != 0;
}

}  // namespace

int EngineModuleEventCount() { return g_eventCount; }
const EngineModuleEvent* EngineModuleEvents() { return g_events; }
void EngineClearModuleEvents() { g_eventCount = 0; }
void EngineFailModuleAllocation(int n) { g_failAllocation = n > 0 ? n : 0; }

int EngineInitialise(HINSTANCE instance, HWND window, DeviceCallback callback, int value) {
  SaveFpuControl();
  ResetMatrixStack();
  if (!CatalogStartup()) return 0;

  CRender* render = nullptr;
  if (!Create(render, "render device")) {
    CatalogShutdown();
    return 0;
  }
  if (!render->Initialise(instance, window, callback, value)) {
    Destroy(render, "render device");
    g_Render = nullptr;
    CatalogShutdown();
    return 0;
  }
  render->MakeCurrent();

  if (!CreateModules()) {
    EngineShutdown();
    return 0;
  }
  return 1;
}

int EngineReset() {
  Destroy(g_Regions, "regions");
  Destroy(g_Switches, "switches");
  if (g_Decals != nullptr) {
    g_Decals->Clear();
    Note('0', "decals");
  }
  if (g_DepthSortQueue != nullptr) {
    g_DepthSortQueue->Clear();
    Note('0', "transparent queue");
  }
  if (g_TransparentBuffer != nullptr) {
    g_TransparentBuffer->Reset();
    Note('0', "transparent buffer");
  }
  if (g_Lights != nullptr) {
    CLightTable::ClearActive();
    g_Lights->Reset();
    Note('0', "lights");
  }

  DestroyEnvironment();
  Destroy(g_DynamicsWorld, "dynamics world");
  Destroy(g_SceneManager, "scene manager");
  // The animated objects that played the sets went with the environment.
  g_AnimSetManager.FreeAll();
  Note('0', "animation sets");
  Destroy(g_Surfaces, "surfaces");
  // The sprite sets load through the library the last one was made over; a
  // set of the old level (its loading logo, the medals) may have left that
  // the level library, which goes now: later loads take the renewed one.
  const bool spritesOnLevelTextures = g_LevelTextures != nullptr && CSpriteRender::s_Textures == g_LevelTextures;
  Destroy(g_LevelTextures, "level textures");
  Destroy(g_LevelMaterials, "level materials");
  g_DefaultMaterial = g_BlackMaterial = nullptr;

  ResetMatrixStack();
  bool ok = Create(g_LevelTextures, "level textures");
  if (spritesOnLevelTextures) CSpriteRender::s_Textures = g_LevelTextures;
  ok = Create(g_LevelMaterials, "level materials") && ok;
  TakeFixedMaterials();
  ok = Create(g_SceneManager, "scene manager", g_Render, g_LevelTextures, g_LevelMaterials) && ok;
  ok = Create(g_Surfaces, "surfaces") && ok;
  ok = Create(g_Regions, "regions") && ok;
  ok = Create(g_Switches, "switches", g_GameClock) && ok;

  if (g_MovieCamera != nullptr) {
    g_MovieCamera->Reset();
    StartFirstMovieCamera();
    Note('0', "movie cameras");
  }
  if (g_MainCamera != nullptr) g_MainCamera->SetFarClip(kMainCameraFarClip);
  ok = CreateEnvironment() && ok;
  if (g_Screen2D != nullptr) {
    g_Screen2D->Reset();
    Note('0', "2D overlay");
  }
  ok = CreateDynamicsWorld() && ok;
  return ok ? 1 : 0;
}

void EngineShutdown() {
  Destroy(g_Switches, "switches");
  Destroy(g_Regions, "regions");
  Destroy(g_Decals, "decals");
  Destroy(g_DepthSortQueue, "transparent queue");
  Destroy(g_TransparentBuffer, "transparent buffer");
  Destroy(g_Lights, "lights");
  DestroyEnvironment();
  Destroy(g_DynamicsWorld, "dynamics world");
  Destroy(g_SceneManager, "scene manager");
  Destroy(g_LevelMaterials, "level materials");
  g_AnimSetManager.FreeAll();
  Destroy(g_LevelTextures, "level textures");
  Destroy(g_PersistentTextures, "persistent textures");
  Destroy(g_PersistentMaterials, "persistent materials");
  g_DefaultMaterial = g_BlackMaterial = nullptr;
  Destroy(g_Surfaces, "surfaces");
  Destroy(g_MovieCamera, "movie cameras");
  Destroy(g_StepTimer, "step timer");
  Destroy(g_GameClock, "game clock");
  Destroy(g_RealClock, "real clock");
  if (g_MainCamera != nullptr && CCamera::GetCurrentCamera() == g_MainCamera) CCamera::SetCurrentCamera(nullptr);
  Destroy(g_MainCamera, "camera");
  Destroy(g_VertexShaders, "vertex shaders");
  Destroy(g_PixelShaders, "pixel shaders");
  // Meshes made later (tests, tools) must not reach the freed device.
  CVertexBuffer::ForgetEngine();
  if (g_Render != nullptr) {
    CRender* render = g_Render;
    render->Release();
    Destroy(render, "render device");
    g_Render = nullptr;
  }
  ClearEffectsHooks();
  FastTrigRelease();
  CatalogShutdown();
}
