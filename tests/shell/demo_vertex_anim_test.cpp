// The demo level's vertex-animated flag in the program's own frame: drawn at
// once (its cloth has no alpha), and through the transparent queue as kind-11
// items when its meshes ask to be queued; read back in pixels.
#include <gtest/gtest.h>

#include <vector>

#include "foundation/files/file_locator.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "render/textures/texture.h"
#include "render/geometry/camera.h"
#include "scene/transparent/depth_sort_queue.h"
#include "scene/vertex_anim/vertex_anim.h"
#include "shell/demo_level.h"
#include "shell/demo_level_copy_fixture.h"
#include "shell/engine_frame_loop.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "test_support/registry_folder_test.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace {

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The flag of the demo level: its pole at (250, 0, -600), its cloth 150 wide
// and 90 high from 4 units east of the pole and 300 up, waving along z.
const CVector3 kCloth{300.0f, 345.0f, -600.0f};

class DemoVertexAnim : public RegistryFolderTest {
 protected:
  DemoVertexAnim() : RegistryFolderTest("halberd_demo_vertex_anim_") {}
  void SetUp() override {
    RegistryFolderTest::SetUp();
    UseDemoLevelCopy(dir_);
    SetWorkDirectory();
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = "HalberdDemoVertexAnimTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalberdDemoVertexAnimTest", "demo vertex animation", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
    ASSERT_TRUE(StartGameModules());
    ASSERT_TRUE(StartDemoLevel(nullptr));
    for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink)
      if (i->Template != nullptr && i->Template->TemplateKind == OTYPE_VERTEXANIM) flag_ = i;
    ASSERT_NE(flag_, nullptr) << "the demo level places a vertex-animated flag";
  }
  void TearDown() override {
    EndDemoLevel();
    StopGameModules();
    EngineShutdown();
    if (window_ != nullptr) DestroyWindow(window_);
    StopUsingDemoLevelCopy();
    RegistryFolderTest::TearDown();
  }

  // Every vertex-animated mesh of the flag's template.
  template <typename Visit>
  void ForEachMesh(Visit visit) {
    for (CEnvObject* n = flag_->Template; n != nullptr; n = n->NextNode) {
      if (n->MeshKind != MESHKIND_VERTEXANIM || n->OtherMesh == nullptr) continue;
      for (CVertexAnimMesh* m = static_cast<CVertexAnim*>(n->OtherMesh)->Meshes; m != nullptr; m = m->Next) visit(m);
    }
  }

  // One frame from 400 units south of the cloth, looking north at it.
  void DrawFrame() {
    g_MainCamera->SetView(CVector3{kCloth.x, kCloth.y, kCloth.z - 400.0f}, CVector3{0.0f, 0.0f, 0.0f});
    DrawLevelFrame();
    g_Render->EndScene();
  }

  // Pixels of a 15 x 15 patch round where the cloth's middle lands whose red
  // stands well above green and blue (the cloth's red squares; the sky and
  // the hills behind it have none).
  static int RedPixels() {
    CVector3 screen{};
    EXPECT_EQ(g_MainCamera->ProjectToScreen(&kCloth, &screen, 1), 1);
    const int cx = static_cast<int>(screen.x), cy = static_cast<int>(screen.y);
    int red = 0;
    for (int y = cy - 7; y <= cy + 7; ++y)
      for (int x = cx - 7; x <= cx + 7; ++x) {
        const D3DCOLOR c = D3D8TestReadPixel(g_Device, x, y);
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        red += r > 2 * g + 20 && r > 2 * b + 20 ? 1 : 0;
      }
    return red;
  }

  // Kind-11 items left in the queue by the last frame (a frame clears it first).
  static int QueuedVertexAnimItems() {
    const DepthSortQueue& q = *g_DepthSortQueue;
    int n = 0;
    for (std::uint32_t b = q.Lowest; q.Buckets != nullptr && b <= q.Highest && b < q.BucketCount; ++b)
      for (DepthSortItem* item = q.Buckets[b]; item != nullptr; item = item->Next) n += item->Kind == DSK_VERTEX_ANIM;
    return n;
  }

  HWND window_ = nullptr;
  CEnvInstance* flag_ = nullptr;
};

// The demo's textures are pictures with alpha, so the flag's meshes go
// through the transparent queue, one kind-11 item each, and the queue draws them.
TEST_F(DemoVertexAnim, TheFlagIsDrawnThroughTheQueueInTheProgramsFrame) {
  int meshes = 0;
  ForEachMesh([&](CVertexAnimMesh*) { ++meshes; });
  ASSERT_GT(meshes, 0);
  flag_->Flags |= INSTF_HIDDEN;
  DrawFrame();
  EXPECT_EQ(QueuedVertexAnimItems(), 0);
  EXPECT_EQ(RedPixels(), 0) << "nothing red behind the flag";
  flag_->Flags &= ~INSTF_HIDDEN;
  DrawFrame();
  EXPECT_EQ(QueuedVertexAnimItems(), meshes) << "one item per mesh";
  EXPECT_GT(RedPixels(), 10);
}

// Meshes whose textures have no alpha are drawn at once, in the same frame.
TEST_F(DemoVertexAnim, AnOpaqueFlagIsDrawnAtOnce) {
  std::vector<CTexture*> textures;
  ForEachMesh([&](CVertexAnimMesh* m) {
    ASSERT_NE(m->Texture, nullptr);
    textures.push_back(m->Texture);
  });
  for (CTexture* t : textures) t->HasAlpha = 0;
  DrawFrame();
  const int queued = QueuedVertexAnimItems(), red = RedPixels();
  for (CTexture* t : textures) t->HasAlpha = 1;
  EXPECT_EQ(queued, 0);
  EXPECT_GT(red, 10);
}

}  // namespace
