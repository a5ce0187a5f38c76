// The program's level start-up over a started engine and the game's modules:
// the demo level loads into the engine's own environment without a message
// box, every module's section reader is installed and each section's records
// arrive in their module; then, frame by frame on a fixed clock, the flight
// camera takes the screen and hands it to the chase camera, the vehicles
// move under physics, the lever sets off the blast and the blast throws
// particles and pushes the loose crates.
#include "shell/demo_level.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/time/timer.h"
#include "foundation/files/file_locator.h"
#include "platform/win32/registry.h"
#include "platform/win32/window.h"
#include "render/device/render.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "scene/transparent/depth_sort_queue.h"
#include "shell/demo_actors.h"
#include "shell/demo_level_copy_fixture.h"
#include "shell/demo_vehicle.h"
#include "shell/engine_frame_loop.h"
#include "shell/engine_life_cycle.h"
#include "shell/game_device_callback.h"
#include "shell/game_modules.h"
#include "world/cameras/movie_camera.h"
#include "world/dynamics/dynamics_world.h"
#include "world/effects/explosions.h"
#include "world/effects/particle_emitters.h"
#include "world/effects/particle_pool.h"
#include "world/effects/tracer_batteries.h"
#include "world/engine.h"
#include "world/environment/env_file_sections.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_waypoints.h"
#include "world/environment/environment.h"
#include "world/objects/chlo_manager.h"
#include "world/regions/region_list.h"
#include "world/switches/switch_table.h"

namespace {

LRESULT DemoLevelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class DemoLevel : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("halberd_demo_level_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
    SetRegistryFolder(folder_.c_str());
    UseDemoLevelCopy(folder_);
    SetWorkDirectory();  // as the program's start does
    WNDCLASSA wc{};
    wc.lpfnWndProc = DemoLevelWindowProc;
    wc.lpszClassName = "HalberdDemoLevelTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "HalberdDemoLevelTest", "demo level", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640,
                              480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_EQ(EngineInitialise(nullptr, window_, GameDeviceCallback, 1), 1);
    ASSERT_TRUE(StartGameModules());
    started_ = StartDemoLevel(&report_);
  }
  void TearDown() override {
    EndDemoLevel();
    StopGameModules();
    EngineShutdown();
    if (window_ != nullptr) DestroyWindow(window_);
    SetRegistryFolder(nullptr);
    StopUsingDemoLevelCopy();
    std::filesystem::remove_all(folder_);
  }

  // Runs the world for `seconds` of game time on a fixed 1/30 s frame, as the
  // program's frame does (no drawing).
  void Run(float seconds) {
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
    EngineRunClocks(1);
    for (int frames = static_cast<int>(seconds * 30.0f); frames > 0; --frames) {
      EngineFrameStep();
      UpdateDemoActors();
    }
  }

  std::vector<CDemoVehicle*> Vehicles() const {
    std::vector<CDemoVehicle*> out;
    for (int side = 0; side < g_HLOManager->Sides(); ++side)
      for (int kind = 0; kind < g_HLOManager->Kinds(); ++kind)
        for (CHLO* o = g_HLOManager->FirstActive(side, kind); o != nullptr; o = o->Next)
          if (auto* v = dynamic_cast<CDemoVehicle*>(o); v != nullptr && v->HasDynamics()) out.push_back(v);
    return out;
  }

  std::filesystem::path folder_;
  HWND window_ = nullptr;
  LevelLoadReport report_;
  bool started_ = false;
};

TEST_F(DemoLevel, LoadsWholeIntoTheEngineWithoutAMessageBox) {
  ASSERT_TRUE(report_.textRead) << "the demo level is made at build time";
  EXPECT_TRUE(started_);
  EXPECT_TRUE(report_.wholeFile);
  EXPECT_TRUE(report_.cameras);
  EXPECT_EQ(report_.messageBoxes, 0);
  EXPECT_EQ(report_.file.failedSections, 0u);
  // Into the engine's environment: its instances and the world objects.
  ASSERT_NE(g_Environment, nullptr);
  EXPECT_NE(g_Environment->FindInstanceByName("RoomWest"), nullptr);
  EXPECT_NE(g_Environment->FindInstanceByName("walker"), nullptr);
  EXPECT_GT(report_.objects, 0);
  EXPECT_EQ(report_.objects, report_.file.objectRecords);
}

TEST_F(DemoLevel, EverySectionReachesItsModule) {
  ASSERT_TRUE(report_.textRead);
  for (EnvSectionId id : {ENVSECTION_LIGHTS, ENVSECTION_WAYPOINTS, ENVSECTION_REGIONS, ENVSECTION_SWITCHES,
                          ENVSECTION_EMITTERS, ENVSECTION_TRACER_BATTERIES, ENVSECTION_MOVIE_CAMERAS})
    EXPECT_NE(GetEnvSectionReader(id), GetDefaultEnvSectionReader(id)) << EnvSectionName(id) << " reads past";

  // Lights: one of each kind, in the engine's table.
  ASSERT_NE(g_Lights, nullptr);
  EXPECT_EQ(report_.lights, g_Lights->LightCount);
  int kinds[4] = {};
  for (int i = 0; i <= g_Lights->HighestUsed; ++i)
    if (const LightRecord* r = g_Lights->GetLight(i); r != nullptr && (r->Flags & kLightOnDevice))
      ++kinds[r->Light.Type];
  EXPECT_GE(kinds[D3DLIGHT_DIRECTIONAL], 1);
  EXPECT_GE(kinds[D3DLIGHT_POINT], 1);
  EXPECT_GE(kinds[D3DLIGHT_SPOT], 1);
  // The rooms are reached by the sun and by their own lamp or spot.
  for (const char* room : {"RoomWest", "RoomEast"}) {
    CEnvInstance* instance = g_Environment->FindInstanceByName(room);
    ASSERT_NE(instance, nullptr) << room;
    instance->UpdateBoundingSphere();
    CLightTable::ClearActive();
    g_Lights->SelectLightsForSphere(instance->GetWorldSphere().Centre, instance->GetWorldSphere().Radius);
    bool sun = false, own = false;
    for (int k = 0; k < CLightTable::ActiveCount; ++k) {
      const D3DLIGHTTYPE type = g_Lights->GetLight(CLightTable::Active[k])->Light.Type;
      sun |= type == D3DLIGHT_DIRECTIONAL;
      own |= type != D3DLIGHT_DIRECTIONAL;
    }
    CLightTable::ClearActive();
    EXPECT_TRUE(sun) << room;
    EXPECT_TRUE(own) << room;
  }

  // Waypoints, regions, switches (with their visual and region), emitters,
  // tracer batteries and cameras.
  EXPECT_GT(g_EnvWaypoints->Count(), 4);
  EXPECT_EQ(report_.waypoints, g_EnvWaypoints->Count());
  ASSERT_NE(g_Regions->FindByName("CrateBlast"), nullptr);
  EXPECT_TRUE(g_Regions->IsCompact());
  ASSERT_GE(g_Switches->GetCount(), 1);
  const CSwitch* lever = g_Switches->GetSwitch(0);
  EXPECT_NE(lever->Type, nullptr) << "the level's switch types were read first";
  EXPECT_NE(lever->FirstInstance, nullptr);
  EXPECT_NE(lever->Region, nullptr);
  ASSERT_GE(report_.emitters, 1);
  const ParticleEmitter* smoke = g_ParticleEmitters->Get(0);
  EXPECT_TRUE(smoke->Flags & PEF_FROM_LEVEL);
  EXPECT_TRUE(smoke->Flags & PEF_RUNNING);
  EXPECT_GE(g_TracerBatteries->GetCount(), 1);
  EXPECT_EQ(report_.tracerBatteries, g_TracerBatteries->GetCount());
  const int view = g_MovieCamera->FindCamera("PLAYERVIEW");
  ASSERT_GE(view, 0);
  EXPECT_EQ(g_MovieCamera->GetViewCamera(0), view);
  EXPECT_EQ(g_MovieCamera->GetViewportCamera(0), view) << "viewport 0 starts on the level's player view";
  const int chase = g_MovieCamera->FindCamera("CHASE");
  ASSERT_GE(chase, 0);
  EXPECT_EQ(g_MovieCamera->GetCameraRecord(chase)->Object, g_Environment->FindInstanceByName("walker"));
  EXPECT_GE(g_MovieCamera->FindCamera("FLIGHT"), 0);
}

TEST_F(DemoLevel, TheFlightTakesTheScreenAndHandsItToTheChaseCamera) {
  ASSERT_TRUE(started_);
  const int flight = g_MovieCamera->FindCamera("FLIGHT"), chase = g_MovieCamera->FindCamera("CHASE");
  Run(0.1f);
  ASSERT_EQ(g_MovieCamera->GetViewportCamera(0), flight) << "its trigger fires at the start";
  // It flies its track: the camera moves and looks along.
  CVector3 before, after;
  g_MovieCamera->GetPosition(flight, &before);
  Run(3.0f);
  g_MovieCamera->GetPosition(flight, &after);
  EXPECT_GT(std::hypot(after.x - before.x, after.z - before.z), 200.0f);
  EXPECT_EQ(g_MovieCamera->GetViewportCamera(0), flight);
  // At the end of its time limit the chase camera takes over, behind the figure.
  Run(g_MovieCamera->GetCameraRecord(flight)->TimeLimit / 1000.0f);
  ASSERT_EQ(g_MovieCamera->GetViewportCamera(0), chase);
  Run(1.0f);
  CVector3 camera, figure;
  g_MovieCamera->GetPosition(chase, &camera);
  g_Environment->FindInstanceByName("walker")->GetPosition(&figure);
  EXPECT_LT(std::hypot(camera.x - figure.x, camera.z - figure.z), 800.0f);
  EXPECT_GT(camera.y, figure.y + 50.0f);
}

TEST_F(DemoLevel, VehiclesMoveUnderPhysicsAndTheLeverSetsOffTheBlastAmongTheCrates) {
  ASSERT_TRUE(started_);
  const std::vector<CDemoVehicle*> vehicles = Vehicles();
  int cars = 0, tanks = 0, drives = 0, bodies = 0;
  for (CDemoVehicle* v : vehicles) {
    cars += v->Car != nullptr;
    tanks += v->Tank != nullptr;
    drives += v->Drive != nullptr;
    bodies += v->Body != nullptr;
  }
  EXPECT_EQ(cars, 1);
  EXPECT_EQ(tanks, 1);
  EXPECT_EQ(drives, 1);
  EXPECT_GE(bodies, 1);
  std::vector<CVector3> start;
  for (CDemoVehicle* v : vehicles) start.push_back(v->GetPosition());

  Run(0.5f);
  EXPECT_TRUE(g_DynamicsWorld->HasStepped());
  EXPECT_FALSE(DemoBlastFired());
  const CSwitch* lever = g_Switches->GetSwitch(0);
  EXPECT_TRUE(lever->IsAtRest());
  Run(1.5f);
  EXPECT_FALSE(lever->IsAtRest()) << "thrown";
  Run(1.0f);
  EXPECT_TRUE(DemoBlastFired()) << "when the lever came to rest thrown";
  EXPECT_GT(g_ParticlePool->GetLiveCount(), 0) << "fire and smoke";

  // The driven vehicles have moved; every loose crate the blast reached has been pushed.
  for (std::size_t k = 0; k < vehicles.size(); ++k) {
    const CVector3 now = vehicles[k]->GetPosition();
    const float moved = std::hypot(now.x - start[k].x, now.z - start[k].z) + std::fabs(now.y - start[k].y);
    if (vehicles[k]->Body == nullptr)
      EXPECT_GT(moved, 50.0f) << "vehicle " << k;
    else
      EXPECT_GT(moved, 5.0f) << "crate " << k;
  }
}

TEST_F(DemoLevel, TheWestLampShowsItsFlareThroughTheDoorway) {
  ASSERT_TRUE(started_);
  ASSERT_NE(GameFlareSprites(), nullptr) << "flares.spr is made at build time";
  EXPECT_EQ(g_Environment->FlareMaterial, GameFlareSprites());
  EXPECT_EQ(g_Environment->ParticleSystem, g_ParticlePool);
  // The lamp: the point light with a flare under the west room's ceiling.
  int lamp = -1;
  for (int i = 0; i <= g_Lights->HighestUsed; ++i) {
    const LightRecord* r = g_Lights->GetLight(i);
    const CVector3 p = g_Lights->GetWorldPosition(i);
    if (r != nullptr && (r->Flags & kLightHasFlare) && r->Light.Type == D3DLIGHT_POINT &&
        std::fabs(p.x + 450.0f) < 1.0f && std::fabs(p.z - 330.0f) < 1.0f)
      lamp = i;
  }
  ASSERT_GE(lamp, 0);
  const LightRecord& r = *g_Lights->GetLight(lamp);
  // Frames of the program's view from a camera that sees the lamp (under the
  // west room's ceiling) through the doorway, then from one turned away.
  auto frames = [&](const CVector3& angles, int n) {
    for (CTimer* clock : {g_GameClock, g_RealClock}) clock->SetFixedFrameTime(33);
    EngineRunClocks(1);
    for (int k = 0; k < n; ++k) {
      EngineFrameStep();
      g_MainCamera->SetView({-450, 110, -200}, angles);
      DrawLevelFrame();
      g_Render->EndScene();
    }
  };
  auto flares = [] {
    int n = 0;
    for (std::uint32_t b = 0; b < g_DepthSortQueue->BucketCount; ++b)
      for (DepthSortItem* i = g_DepthSortQueue->Buckets[b]; i != nullptr; i = i->Next)
        n += i->Kind == DSK_GLOW_SPRITE && static_cast<GlowSpriteItem*>(i)->Sheet == GameFlareSprites();
    return n;
  };
  frames({-15.8f, 0, 0}, 12);
  EXPECT_NE(r.Flags & kLightFlareVisible0, 0u) << "seen through the doorway";
  EXPECT_FLOAT_EQ(r.FlareFade[0], 1.0f);
  EXPECT_GE(flares(), 1);
  frames({-15.8f, 180, 0}, 12);
  EXPECT_EQ(r.Flags & kLightFlareVisible0, 0u) << "out of view";
  EXPECT_FLOAT_EQ(r.FlareFade[0], 0.0f);
  EXPECT_EQ(flares(), 0);
}

// Each instance is drawn with its own lights: every drawable instance of
// the level (scenery, figures, the world objects' visuals) names each light
// that reaches it where it stands at the start.
TEST_F(DemoLevel, EveryInstanceNamesTheLightsThatReachIt) {
  ASSERT_TRUE(started_);
  int checked = 0;
  for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink) {
    if (i->Template == nullptr || (i->Flags & (INSTF_HIDDEN | INSTF_DISABLED | INSTF_LIT_ALL))) continue;
    i->UpdateBoundingSphere();
    CLightTable::ClearActive();
    g_Lights->SelectLightsForSphere(i->GetWorldSphere().Centre, i->GetWorldSphere().Radius);
    const std::vector<int> reach(CLightTable::Active, CLightTable::Active + CLightTable::ActiveCount);
    CLightTable::ClearActive();
    const std::string name = i->GetIdString();
    EXPECT_FALSE(reach.empty()) << name;
    for (int light : reach) {
      bool named = false;
      for (int k = 0; k < i->GetActiveLightCount(); ++k) named |= i->GetActiveLight(k) == light;
      EXPECT_TRUE(named) << name << " is reached by light " << light;
    }
    ++checked;
  }
  EXPECT_GT(checked, 25);
}

// The frame draws the level by zones from the zone the camera stands in: a
// room seen over any of its faces, the outside seen from a room through its
// doorway, the rooms' insides seen over their walls from above; every
// instance drawn has lights of its own (or takes the shared ones), and the
// frame counts what it drew.
TEST_F(DemoLevel, TheFrameDrawsTheLevelByZonesFromTheCamerasZone) {
  ASSERT_TRUE(started_);
  struct Case {
    CVector3 eye, angles;
    const char* zone;
    std::vector<const char*> drawn;
    const char* what;
  };
  const Case cases[] = {
      {{-1100, 150, 300}, {0, 90, 0}, "Ground", {"Ground", "RoomWest"}, "the west room from its west side"},
      {{-450, 140, 300}, {0, 180, 0}, "RoomWest", {"RoomWest", "Ground", "TreeB"}, "out of the doorway"},
      {{0, 1200, -300}, {60, 0, 0}, "Ground", {"RoomWest", "CrateInside", "RoomEast", "BlockA"}, "from above"},
  };
  for (const Case& c : cases) {
    g_Environment->SetViewInstance(nullptr);
    g_Environment->ViewSlots[0] = nullptr;
    g_MainCamera->SetView(c.eye, c.angles);
    const WorldViewStats stats = DrawLevelFrame();
    g_Render->EndScene();
    const std::uint32_t frame = g_EnvInstanceGlobals.FrameNumber;
    EXPECT_EQ(g_Environment->ViewInstance, g_Environment->FindInstanceByName(c.zone)) << c.what;
    for (const char* name : c.drawn) {
      CEnvInstance* i = g_Environment->FindInstanceByName(name);
      ASSERT_NE(i, nullptr) << name;
      EXPECT_EQ(i->LastDrawnFrame, frame) << name << ": " << c.what;
    }
    std::uint32_t drawn = 0;
    for (CEnvInstance* i = g_Environment->InstanceList; i != nullptr; i = i->EnvLink) {
      if (i->LastDrawnFrame != frame) continue;
      ++drawn;
      EXPECT_TRUE(i->GetActiveLightCount() > 0 || (i->Flags & INSTF_LIT_ALL)) << i->GetIdString() << ": " << c.what;
    }
    EXPECT_EQ(stats.instances, drawn) << c.what;
    EXPECT_GT(stats.lit, 0u) << c.what;
  }
}

}  // namespace
