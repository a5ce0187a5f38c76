// The demo level's stencil shadows in the program's frame: the level's
// casters (rigid caster nodes, the walking figure's skin) are ready at load
// and cast from the sky's sun, so that a drawn frame is darkened on the far
// side of a caster from the sun and nowhere else; the two times of day the
// program shows differ in sky and sun, and move the shadow with the sun.
#include <gtest/gtest.h>

#include "foundation/files/file_locator.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/shadows/shadow_faces.h"
#include "scene/shadows/shadows.h"
#include "scene/skin/skin.h"
#include "scene/skin/skin_pose.h"
#include "scene/transparent/depth_sort_queue.h"
#include "shell/demo_level.h"
#include "shell/demo_level_copy_fixture.h"
#include "shell/engine_frame_loop.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "test_support/registry_folder_test.h"
#include "world/animation/anim_object.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/sky/sky.h"

namespace {

LRESULT DemoShadowsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The pillar of the demo level: 40 units round, 240 high, standing at
// (0, 0, -600) in the open.
constexpr float kPillarX = 0.0f, kPillarZ = -600.0f, kPillarHeight = 240.0f;

class DemoShadows : public RegistryFolderTest {
 protected:
  DemoShadows() : RegistryFolderTest("halberd_demo_shadows_") {}
  void SetUp() override {
    RegistryFolderTest::SetUp();
    UseDemoLevelCopy(dir_);
    SetWorkDirectory();
    WNDCLASSA wc{};
    wc.lpfnWndProc = DemoShadowsWindowProc;
    wc.lpszClassName = "HalberdDemoShadowsTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalberdDemoShadowsTest", "demo shadows", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
    ASSERT_TRUE(StartGameModules());
    ASSERT_TRUE(StartDemoLevel(nullptr));
  }
  void TearDown() override {
    EndDemoLevel();
    StopGameModules();
    EngineShutdown();
    if (window_ != nullptr) DestroyWindow(window_);
    StopUsingDemoLevelCopy();
    RegistryFolderTest::TearDown();
  }

  static CEnvInstance* Instance(const char* name) {
    for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink)
      if (i->Template != nullptr && i->Template->NodeName == name) return i;
    return nullptr;
  }

  // One frame of the level from the main camera, standing to the pillar's
  // east and looking down at it at 45 degrees; with or without shadows.
  static void DrawFrame(bool shadows) {
    g_Render->m_ShadowLevel = shadows ? 2 : 0;
    g_MainCamera->SetView(CVector3{kPillarX + 700.0f, 700.0f, kPillarZ}, CVector3{45.0f, -90.0f, 0.0f});
    DrawLevelFrame();
    g_Render->EndScene();
  }

  // The summed brightness of a 5 x 5 patch round where a world point lands.
  static double Brightness(const CVector3& point) {
    CVector3 screen{};
    EXPECT_EQ(g_MainCamera->ProjectToScreen(&point, &screen, 1), 1);
    const int cx = static_cast<int>(screen.x), cy = static_cast<int>(screen.y);
    EXPECT_TRUE(cx >= 2 && cy >= 2 && cx < 798 && cy < 598) << cx << ", " << cy;
    double sum = 0;
    for (int y = cy - 2; y <= cy + 2; ++y)
      for (int x = cx - 2; x <= cx + 2; ++x) {
        const D3DCOLOR c = D3D8TestReadPixel(g_Device, x, y);
        sum += ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
      }
    return sum;
  }

  HWND window_ = nullptr;
};

TEST_F(DemoShadows, TheCastersAreReadyAtLoadAndCastFromTheSun) {
  ASSERT_TRUE(ShadowsSupported(g_Render)) << "the device mode has stencil bits";
  // A plain object's caster node is its root's shadow template, with faces.
  for (const char* name : {"PILLAR", "ROOM", "BLOCK"}) {
    CEnvInstance* i = Instance(name);
    ASSERT_NE(i, nullptr) << name;
    EXPECT_TRUE(i->Flags & INSTF_QUEUED_SHADOW) << name;
    EXPECT_EQ(i->ShadowIndex, 0) << name << " casts from the sun, light 0";
    CEnvObject* caster = i->Template->ShadowTemplate;
    ASSERT_NE(caster, nullptr) << name;
    ASSERT_NE(caster->Mesh, nullptr) << name;
    EXPECT_GT(CShadowMesh::FaceCount(caster->Mesh->FirstPart), 0u) << name;
  }
  // A hierarchical crate's caster node keeps faces of its own (and is not drawn).
  CEnvInstance* crate = Instance("CRATE");
  ASSERT_NE(crate, nullptr);
  EXPECT_EQ(crate->ShadowIndex, 0);
  int casters = 0;
  for (CEnvObject* n = crate->Template; n != nullptr; n = n->NextNode) {
    if (!(n->Flags & EOF_SHADOW_CASTER)) continue;
    ++casters;
    ASSERT_NE(n->Mesh, nullptr);
    EXPECT_EQ(CShadowMesh::FaceCount(n->Mesh->FirstPart), 12u) << "a closed box";
  }
  EXPECT_EQ(casters, 1);
  // The walking figure casts its skin's shadow.
  auto* walker = dynamic_cast<CAnimObject*>(Instance("BIP01"));
  ASSERT_NE(walker, nullptr);
  EXPECT_TRUE(walker->Flags & INSTF_QUEUED_SHADOW);
  EXPECT_EQ(walker->ShadowIndex, 0);
  bool skinFaces = false;
  for (CEnvObject* n = walker->Template; n != nullptr; n = n->NextNode)
    if (n->MeshKind == MESHKIND_SKINNED && SkinOfNode(n) != nullptr) skinFaces |= !SkinOfNode(n)->Data.ShadowFaces.empty();
  EXPECT_TRUE(skinFaces);
  // The queue draws queued shadows, and plain instances set their light first.
  EXPECT_EQ(g_DepthSortQueue->GetDrawHooks().DrawShadowVolume, &ShadowsDrawVolumes);
  EXPECT_NE(GetEnvDrawHooks().SetInstanceShadowLight, nullptr);
}

// The sun rises towards -z and sets towards +z: by morning the pillar's
// shadow lies south of it, by evening north, each as long as the sun is low.
TEST_F(DemoShadows, TheShadowFallsAwayFromTheSunAndNotOnTheCastersLitFace) {
  struct Case {
    float hours;
    float shadowZ;  // ground in the shadow
    float litZ;     // ground as far on the sun's side
  };
  const Case cases[] = {{10.0f, kPillarZ - 110.0f, kPillarZ + 110.0f},
                        {kDemoEveningHour, kPillarZ + 200.0f, kPillarZ - 200.0f}};
  std::uint32_t clear[2] = {};
  CVector3 sun[2] = {};
  for (int k = 0; k < 2; ++k) {
    const Case& c = cases[k];
    SetDemoTimeOfDay(c.hours);
    DrawFrame(false);
    const CVector3 shadowed{kPillarX, 0.0f, c.shadowZ}, lit{kPillarX, 0.0f, c.litZ};
    const CVector3 top{kPillarX, kPillarHeight, kPillarZ};
    const double before[3] = {Brightness(shadowed), Brightness(lit), Brightness(top)};
    clear[k] = LastFrameClearColour();
    sun[k] = CLightTable::Current()->GetLight(0)->Angles;
    DrawFrame(true);
    EXPECT_GT(ShadowsQuadCount(), 0) << c.hours;
    // Black at strength x 96 of 255 over the shadowed ground.
    const double keep = 1.0 - static_cast<int>(ShadowsGetStrength() * kShadowMaxAlpha) / 255.0;
    EXPECT_NEAR(Brightness(shadowed) / before[0], keep, 0.03) << c.hours;
    EXPECT_NEAR(Brightness(lit) / before[1], 1.0, 0.01) << c.hours << ": the sun's side stays lit";
    EXPECT_NEAR(Brightness(top) / before[2], 1.0, 0.01) << c.hours << ": the caster's lit top is not shadowed";
  }
  EXPECT_NE(clear[0], clear[1]) << "the sky's colour follows the time of day";
  EXPECT_NE(sun[0].y, sun[1].y) << "the sun rises one way and sets the other";
  EXPECT_GT(sun[0].x, sun[1].x) << "the evening sun is lower";
}

TEST_F(DemoShadows, NoShadowIsDrawnAtNight) {
  SetDemoTimeOfDay(22.0f);
  DrawFrame(false);
  const CVector3 ground{kPillarX, 0.0f, kPillarZ + 200.0f};
  const double before = Brightness(ground);
  EXPECT_GT(before, 0.0) << "the ground is seen at night, so a shadow on it would show";
  const std::uint32_t drawn = ShadowsQuadsDrawn();
  DrawFrame(true);
  EXPECT_DOUBLE_EQ(Brightness(ground), before);
  EXPECT_EQ(ShadowsQuadsDrawn(), drawn) << "no shadow volume reaches the device";
}

}  // namespace
