// The engine's long-lived modules: each is a global singleton created by
// EngineInitialise in a fixed order when the game starts, the level-bound
// ones renewed by EngineReset at every level change, and all freed by
// EngineShutdown in a fixed order.  Main thread only.
#pragma once

#include "platform/win32/win_types.h"
#include "render/device/render.h"

class CCamera;
class CLinearBuffer;
class CMaterial;
class CMaterialList;
class CSceneManager;
class CStepTimer;
class CSurfaces;
class CTextureManager;
class CTimer;

// Saves the floating-point control word, starts the catalogs, creates and
// starts the render object through the game's device callback, then every
// engine module in its order.  Answers 1; 0 when the catalogs or the render
// object cannot be started, or any module cannot be allocated: what was made
// is freed again, and every global is null.
int EngineInitialise(HINSTANCE instance, HWND window, DeviceCallback callback, int value);
// The level change: frees the regions and switches, clears the decals,
// transparent queue and buffer and lights, frees and re-creates the
// environment, dynamics world, scene manager, animation-set list, surfaces
// and the level's textures and materials, and gives the movie cameras a
// fresh camera in viewport 0.  Answers 1; 0 when a module cannot be
// allocated again (its global is then null; EngineShutdown still frees the rest).
int EngineReset();
// Frees every module that exists in the fixed order, then the fast
// trigonometry tables and the catalogs.  Safe after a failed start-up.
void EngineShutdown();

// The engine globals (null outside EngineInitialise .. EngineShutdown).  The
// render object, shader lists, environment, regions, switches, movie cameras,
// decals, transparent queue, dynamics world and animation-set list are
// declared beside their classes.
extern CCamera* g_MainCamera;
extern CTextureManager* g_LevelTextures;
extern CTextureManager* g_PersistentTextures;
extern CMaterialList* g_LevelMaterials;
extern CMaterialList* g_PersistentMaterials;
extern CMaterial* g_DefaultMaterial;  // entry 0 of the level materials
extern CMaterial* g_BlackMaterial;    // all-zero colours, no texture
extern CSceneManager* g_SceneManager;
extern CSurfaces* g_Surfaces;
extern CStepTimer* g_StepTimer;
extern CTimer* g_GameClock;
extern CTimer* g_RealClock;
extern CLinearBuffer* g_TransparentBuffer;

// What the start-up, reset and shut-down did to each module, in order: '+'
// created, '-' freed, '0' cleared and kept.  For tests and diagnostics.
struct EngineModuleEvent {
  char action;
  const char* name;
};
int EngineModuleEventCount();
const EngineModuleEvent* EngineModuleEvents();
void EngineClearModuleEvents();

// Test hook: the n-th module allocation from now on (1 = the next) is
// refused as if the heap were full; 0 switches it off.
void EngineFailModuleAllocation(int n);
