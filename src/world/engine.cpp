#include "world/engine.h"

#include "foundation/files/catalog.h"
#include "foundation/memory/memory_manager.h"
#include "render/geometry/camera.h"
#include "render/geometry/matrix_stack.h"
#include "render/device/pixel_shader.h"
#include "render/device/vertex_shader.h"

CCamera* g_MainCamera = nullptr;

namespace {
// The far distance the main camera starts with (world units).
constexpr float kMainCameraFarClip = 10000.0f;
}  // namespace

int EngineInitialise(HINSTANCE instance, HWND window, DeviceCallback callback, int value) {
  if (!CatalogStartup()) return 0;
  ResetMatrixStack();

  MEM_OWNER();
  CRender* render = MEM_NEW(MEMCAT_GAME) CRender;
  if (!render->Initialise(instance, window, callback, value)) {
    MEM_DELETE render;
    g_Render = nullptr;
    CatalogShutdown();
    return 0;
  }
  render->MakeCurrent();

  MEM_OWNER();
  g_VertexShaders = MEM_NEW(MEMCAT_GAME) CVertexShaderList(render, 128);
  MEM_OWNER();
  g_PixelShaders = MEM_NEW(MEMCAT_GAME) CPixelShaderList(render, 16);

  MEM_OWNER();
  g_MainCamera = MEM_NEW(MEMCAT_GAME) CCamera;
  CCamera::SetCurrentCamera(g_MainCamera);
  g_MainCamera->SetFarClip(kMainCameraFarClip);
  return 1;
}

void EngineShutdown() {
  if (g_VertexShaders != nullptr) {
    MEM_DELETE g_VertexShaders;
    g_VertexShaders = nullptr;
  }
  if (g_PixelShaders != nullptr) {
    MEM_DELETE g_PixelShaders;
    g_PixelShaders = nullptr;
  }
  if (g_Render != nullptr) {
    CRender* render = g_Render;
    render->Release();
    MEM_DELETE render;
    g_Render = nullptr;
  }
  if (g_MainCamera != nullptr) {
    if (CCamera::GetCurrentCamera() == g_MainCamera) CCamera::SetCurrentCamera(nullptr);
    MEM_DELETE g_MainCamera;
    g_MainCamera = nullptr;
  }
  CatalogShutdown();
}
