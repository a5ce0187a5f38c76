// The sky on the real device: the draw sequence (the sky's own states,
// projection and fog around each layer, then the usual states, the kept fog
// range in the given colour and the camera's far distance again), the dome
// seen in pixels with its east-to-west gradient, the clear colour of the
// time and the device's day flag.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

#include "control/hud_toggle.h"
#include "foundation/time/timer.h"
#include "render/geometry/camera.h"
#include "render/render_fixture.h"
#include "world/sky/sky.h"
#include "world/sky/sky_section.h"

namespace {

float AsFloat(std::uint64_t bits) {
  const auto b = static_cast<std::uint32_t>(bits);
  float f;
  std::memcpy(&f, &b, 4);
  return f;
}

int Channel(D3DCOLOR c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

class SkyDevice : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    camera_ = std::make_unique<CCamera>();
    CCamera::SetCurrentCamera(camera_.get());
    sky_ = std::make_unique<CSky>(s_Render, nullptr, nullptr, nullptr, nullptr, &clock_);
    g_HudToggles[0].On = 0;
  }
  void TearDown() override {
    sky_.reset();
    CCamera::SetCurrentCamera(nullptr);
    s_Render->SetFog(0, 0.0f, 1.0f, 1.0f);
  }
  // A sky whose fog stop is d and whose dome colours are the given ones at every key.
  void Apply(float d, const CColour& east, const CColour& sky, const CColour& west, const CColour& fog) {
    SkySettings s = DefaultSkySettings();
    s.FogStart = 1000.0f;
    s.FogStop = s.FarFogStop = d;
    for (int k = 0; k < kSkyColourKeys; ++k) {
      s.Colours[SKYCOLOUR_EAST][k] = east;
      s.Colours[SKYCOLOUR_SKY][k] = sky;
      s.Colours[SKYCOLOUR_WEST][k] = west;
      s.Colours[SKYCOLOUR_FOG][k] = fog;
    }
    s.Layers[1].FixedY = 1;
    sky_->ApplySettings(s);
  }
  void Look(const CVector3& position, const CVector3& angles, float far) {
    camera_->SetView(position, angles);
    camera_->SetProjection(60.0f, 8.0f, far);
    camera_->SetFarClip(far);
    camera_->ApplyAllTransforms();
  }
  void DrawSky(DWORD fogColour) {
    s_Render->SetClearColour(0xFF000000);
    s_Render->Clear(1);
    s_Render->BeginScene();
    sky_->UpdateLighting();
    sky_->Draw(fogColour);
    s_Render->EndScene();
  }

  CTimer clock_;
  std::unique_ptr<CCamera> camera_;
  std::unique_ptr<CSky> sky_;
};

TEST_F(SkyDevice, EachLayerIsDrawnInTheSkysOwnStatesAndTheUsualOnesComeBack) {
  const CColour grey{0.5f, 0.5f, 0.5f, 1.0f};
  Apply(2000.0f, grey, grey, grey, CColour{0.2f, 0.4f, 0.6f, 1.0f});
  Look({100.0f, 50.0f, 200.0f}, {-20.0f, 0.0f, 0.0f}, 2000.0f);
  s_Render->SetFog(0xFF010203, 500.0f, 2000.0f, 1.0f);
  s_Render->SetCullMode(D3DCULL_CCW);
  s_Render->SetLighting(1);
  std::map<DWORD, DWORD> state;
  for (D3DRENDERSTATETYPE s : {D3DRS_CULLMODE, D3DRS_LIGHTING, D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_FOGSTART,
                               D3DRS_FOGEND, D3DRS_FOGDENSITY, D3DRS_FOGCOLOR, D3DRS_ALPHATESTENABLE})
    state[s] = DeviceState(s);
  Record();
  DrawSky(0xFF112233);
  struct Seen {
    std::map<DWORD, DWORD> states;
    float world[3];
    float projection22;
  };
  std::vector<Seen> draws;
  float world[3] = {}, projection22 = 0.0f;
  for (const D3D8Call& call : D3D8TestCalls(g_Device)) {
    if (call.method == "SetRenderState") state[static_cast<DWORD>(call.args[0])] = static_cast<DWORD>(call.args[1]);
    if (call.method == "SetTransform" && call.data.size() == 64) {
      float m[16];
      std::memcpy(m, call.data.data(), 64);
      if (call.args[0] == D3DTS_WORLD) std::memcpy(world, m + 12, sizeof world);
      if (call.args[0] == D3DTS_PROJECTION) projection22 = m[10];
    }
    if (call.method == "DrawIndexedPrimitiveUP") {
      EXPECT_EQ(call.args[0], static_cast<std::uint64_t>(D3DPT_TRIANGLESTRIP));
      EXPECT_EQ(call.args[2], 64u) << "vertices";
      EXPECT_EQ(call.args[3], 122u) << "triangles of the 124-index strip";
      EXPECT_EQ(call.args[5], 24u) << "24-byte vertices";
      draws.push_back({state, {world[0], world[1], world[2]}, projection22});
    }
  }
  ASSERT_EQ(draws.size(), 2u) << "two layers";
  const float d = 2000.0f, far = 4.0f * d;
  for (const Seen& s : draws) {
    EXPECT_EQ(s.states.at(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(s.states.at(D3DRS_LIGHTING), 0u);
    EXPECT_EQ(s.states.at(D3DRS_ZENABLE), 0u);
    EXPECT_EQ(s.states.at(D3DRS_ZWRITEENABLE), 0u);
    EXPECT_EQ(s.states.at(D3DRS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(AsFloat(s.states.at(D3DRS_FOGSTART)), 1600.0f);
    EXPECT_EQ(AsFloat(s.states.at(D3DRS_FOGEND)), far - 800.0f);
    EXPECT_EQ(AsFloat(s.states.at(D3DRS_FOGDENSITY)), 0.5f);
    EXPECT_EQ(s.states.at(D3DRS_FOGCOLOR), 0xFF336699u) << "the sky's fog colour of the time";
    EXPECT_NEAR(s.projection22, far / (far - 8.0f), 1e-6f) << "out to four far distances";
  }
  EXPECT_EQ(draws[0].world[1], 50.0f) << "layer 0 follows the eye's height";
  EXPECT_EQ(draws[1].world[1], 0.0f) << "layer 1 keeps height 0";
  EXPECT_EQ(draws[1].world[0], 100.0f);
  EXPECT_EQ(draws[1].world[2], 200.0f);
  // Afterwards: the usual states, the kept range in the given colour, the camera as it was.
  EXPECT_EQ(state.at(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(state.at(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(state.at(D3DRS_ZENABLE), 1u);
  EXPECT_EQ(state.at(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_EQ(AsFloat(state.at(D3DRS_FOGSTART)), 500.0f);
  EXPECT_EQ(AsFloat(state.at(D3DRS_FOGEND)), 2000.0f);
  EXPECT_EQ(AsFloat(state.at(D3DRS_FOGDENSITY)), 1.0f);
  EXPECT_EQ(state.at(D3DRS_FOGCOLOR), 0xFF112233u);
  EXPECT_EQ(camera_->GetFarClip(), d);
  EXPECT_NEAR(camera_->GetProjectionMatrix()->m[2][2], d / (d - 8.0f), 1e-6f);

  // A night-vision view: the view's own colour at density 1 around the layers and afterwards.
  g_HudToggles[0].Set(1, 0, 0, 0, 0);
  DWORD density = DeviceState(D3DRS_FOGDENSITY), colour = DeviceState(D3DRS_FOGCOLOR);
  Record();
  DrawSky(0xFF112233);
  for (const D3D8Call& call : D3D8TestCalls(g_Device)) {
    if (call.method == "SetRenderState" && call.args[0] == D3DRS_FOGDENSITY) density = static_cast<DWORD>(call.args[1]);
    if (call.method == "SetRenderState" && call.args[0] == D3DRS_FOGCOLOR) colour = static_cast<DWORD>(call.args[1]);
    if (call.method == "DrawIndexedPrimitiveUP") {
      EXPECT_EQ(AsFloat(density), 1.0f);
    }
  }
  EXPECT_EQ(colour, g_HudToggles[0].GetColour());
  EXPECT_EQ(s_Render->GetClearColour(), g_HudToggles[0].GetColour()) << "the view's own clear colour";
  g_HudToggles[0].On = 0;
}

TEST_F(SkyDevice, TheDomeShowsEastRedAndWestBlue) {
  // East +z, west -z.  Looking 10 degrees up each way the middle of the
  // screen sees the dome some 10000 units out: inside the layers' far
  // distance (four fog stops), but deep in their fog, which is off for this look.
  const CColour red{1, 0, 0, 1}, green{0, 1, 0, 1}, blue{0, 0, 1, 1};
  Apply(3000.0f, red, green, blue, green);
  const DWORD fog = s_Render->SetFogEnable(0);
  const struct {
    float yaw;
    int strong, weak;  // shifts of the channel that must win and of the one that must lose
  } cases[] = {{0.0f, 16, 0}, {180.0f, 0, 16}};
  for (const auto& c : cases) {
    Look({0.0f, 0.0f, 0.0f}, {-10.0f, c.yaw, 0.0f}, 3000.0f);
    DrawSky(0xFF000000);
    const D3DCOLOR pixel = D3D8TestReadPixel(g_Device, 400, 300);
    EXPECT_GT(Channel(pixel, c.strong), Channel(pixel, c.weak) + 60) << "yaw " << c.yaw << " pixel " << std::hex << pixel;
  }
  // Straight up the three blend near the middle of the sky's colour.
  Look({0.0f, 0.0f, 0.0f}, {-90.0f, 0.0f, 0.0f}, 3000.0f);
  DrawSky(0xFF000000);
  const D3DCOLOR up = D3D8TestReadPixel(g_Device, 400, 300);
  EXPECT_GT(Channel(up, 8), 150) << std::hex << up;
  EXPECT_EQ(s_Render->GetClearColour(), 0xFF00FF00u) << "the clear colour is the fog colour of the time";
  s_Render->SetFogEnable(fog);
}

TEST_F(SkyDevice, TheDayFlagFollowsTheTime) {
  for (const auto& [hours, flag] : {std::pair{12.0f, 2u}, {6.0f, 2u}, {18.0f, 2u}, {18.5f, 0u}, {3.0f, 0u}}) {
    sky_->SetTimeOfDay(hours);
    sky_->Step();
    EXPECT_EQ(s_Render->m_DayFlag, flag) << hours;
  }
}

}  // namespace
