// The sky without a render device: colours, fog and the sun at times of the
// day as the colour keys give them, the time step (with its wrap both ways
// and the stop), fog fades and ranges, the level start's fog options, the
// cloud layers' dome and strip, and the sky section read through the level
// loader into the environment's sky.
#include "world/sky/sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "control/hud_toggle.h"
#include "foundation/time/timer.h"
#include "render/geometry/camera.h"
#include "scene/lights/light_table.h"
#include "world/engine_routines.h"
#include "world/environment/env_file.h"
#include "world/environment/env_file_writer.h"
#include "world/environment/env_object.h"
#include "world/environment/env_text_cursor.h"
#include "world/environment/environment.h"
#include "world/sky/sky_section.h"

namespace {

constexpr float kTolerance = 1e-4f;

class Sky : public ::testing::Test {
 protected:
  void SetUp() override {
    SetFrameTime(0.5f);
    sky_ = std::make_unique<CSky>(nullptr, nullptr, nullptr, nullptr, nullptr, &clock_);
    g_HudToggles[0].On = 0;
    g_CurrentView = 0;
  }
  void TearDown() override {
    sky_.reset();
    g_HudToggles[0].On = 0;
    SetSkyFogOptions(SkyFogOptions{});
    EnvSetVisibilityScale(1.0f);
  }
  void SetFrameTime(float seconds) {
    CTimer::State s{};
    clock_.SaveState(&s);
    s.running = 1;
    s.frameTime = seconds;
    s.frameTimeMs = static_cast<std::uint32_t>(seconds * 1000.0f + 0.5f);
    clock_.RestoreState(s);
  }
  void Steps(int n) {
    for (int i = 0; i < n; ++i) sky_->Step();
  }
  // Applies the default sky with the fog stop d.
  void ApplyDefault(float d, float curvature = 0.5f, float height = 2000.0f) {
    SkySettings s = DefaultSkySettings();
    s.FogStop = s.FarFogStop = d;
    for (SkyLayerSettings& l : s.Layers) {
      l.Curvature = curvature;
      l.Height = height;
      l.TileFactor = 4.0f;
    }
    sky_->ApplySettings(s);
  }

  CTimer clock_;
  std::unique_ptr<CSky> sky_;
};

void ExpectColour(const CColour& got, float r, float g, float b, const std::string& what) {
  EXPECT_NEAR(got.r, r, kTolerance) << what;
  EXPECT_NEAR(got.g, g, kTolerance) << what;
  EXPECT_NEAR(got.b, b, kTolerance) << what;
}

// --- colours, fog and the sun by the time of day -----------------------------------------

TEST_F(Sky, ColoursAndFogAtATimeAreTheBlendOfTheTwoKeysAroundIt) {
  // The default keys; each case blends its two keys (k at 6k hours) by the fraction.
  const struct {
    float hours;
    SkyColourGroup group;
    float r, g, b;
  } cases[] = {
      {0.0f, SKYCOLOUR_FOG, 0.0f, 0.0f, 0.0f},
      {9.0f, SKYCOLOUR_FOG, 0.6f, 0.6f, 0.35f},             // half of (0.5 0.5 0) to (0.7 0.7 0.7)
      {13.5f, SKYCOLOUR_FOG, 0.65f, 0.525f, 0.525f},        // a quarter of (0.7 0.7 0.7) to (0.5 0 0)
      {21.0f, SKYCOLOUR_FOG, 0.25f, 0.0f, 0.0f},            // from 18 h round to the 0 h key
      {23.999f, SKYCOLOUR_FOG, 0.5f * 0.001f / 6.0f, 0.0f, 0.0f},
      {9.0f, SKYCOLOUR_SUN_DIFFUSE, 1.0f, 1.0f, 0.5f},
      {3.0f, SKYCOLOUR_SUN_AMBIENT, 0.15f, 0.15f, 0.175f},
      {16.5f, SKYCOLOUR_FLARE, 1.0f, 0.25f, 0.25f},
      {7.5f, SKYCOLOUR_EAST, 1.0f, 0.25f, 0.25f},
      {19.5f, SKYCOLOUR_SKY, 0.2f, 0.2f, 0.325f},
      {22.5f, SKYCOLOUR_WEST, 0.4f, 0.15f, 0.525f},  // three quarters of (1 0 0) to (0.2 0.2 0.7)
  };
  for (const auto& c : cases) {
    sky_->SetTimeOfDay(c.hours);
    sky_->UpdateLighting();
    const SkyLighting& l = sky_->Lighting();
    ExpectColour(l.Colours[c.group], c.r, c.g, c.b, std::to_string(c.hours) + " h group " + std::to_string(c.group));
  }
  sky_->SetTimeOfDay(9.0f);
  sky_->UpdateLighting();
  EXPECT_EQ(sky_->GetPackedColour(), 0xFF999959u) << "fog (0.6 0.6 0.35) packed, each x 255 truncated";
  EXPECT_EQ(sky_->Lighting().FogColour, sky_->GetPackedColour());
}

TEST_F(Sky, ATimeOutsideTheDayIsBroughtRound) {
  for (const auto& [given, kept] : {std::pair{24.0f, 0.0f}, {30.0f, 6.0f}, {-1.5f, 22.5f}, {NAN, 0.0f}}) {
    sky_->SetTimeOfDay(given);
    EXPECT_FLOAT_EQ(sky_->GetTimeOfDay(), kept) << given;
  }
}

TEST_F(Sky, TheSunCrossesFromEastToWestByDayAndTheMoonByNight) {
  // Angle 180 x the half-day gone; strength sin(sin(x 90) 90); the light
  // travels down and away from the body: (0, -sin e, -cos e) while it
  // rises in the east (+z), (0, -sin e, +cos e) once it sets.
  const float s45 = std::sqrt(0.5f);
  const struct {
    float hours;
    bool day;
    float angle, strength, dy, dz;
  } cases[] = {
      {6.0f, true, 0.0f, 0.0f, 0.0f, -1.0f},
      {9.0f, true, 45.0f, 0.8960f, -s45, -s45},
      {12.0f, true, 90.0f, 1.0f, -1.0f, 0.0f},
      {15.0f, true, 135.0f, 0.8960f, -s45, s45},
      {18.0f, true, 180.0f, 0.0f, 0.0f, 1.0f},
      {18.6f, false, 9.0f, 0.8960f, -0.15643f, -0.98769f},  // the evening's x = 5 x 0.6 / 6 = 0.5
      {21.0f, false, 45.0f, 1.0f, -s45, -s45},
      {3.0f, false, 135.0f, 1.0f, -s45, s45},
      {5.0f, false, 165.0f, 0.99857f, -0.25882f, 0.96593f},  // x = 5 (1 - 5/6) = 5/6
  };
  for (const auto& c : cases) {
    sky_->SetTimeOfDay(c.hours);
    sky_->UpdateLighting();
    const SkyLighting& l = sky_->Lighting();
    const std::string what = std::to_string(c.hours) + " h";
    EXPECT_EQ(l.Day, c.day) << what;
    EXPECT_NEAR(l.Angle, c.angle, 1e-3f) << what;
    EXPECT_NEAR(l.Strength, c.strength, 1e-3f) << what;
    EXPECT_NEAR(l.LightDirection.x, 0.0f, 1e-5f) << what;
    EXPECT_NEAR(l.LightDirection.y, c.dy, 1e-4f) << what;
    EXPECT_NEAR(l.LightDirection.z, c.dz, 1e-4f) << what;
  }
}

TEST_F(Sky, TheSunLightIsLightZeroAndGoesBlackAtTheChange) {
  CLightTable table(8);
  ASSERT_EQ(table.CreateDirectionalLight({}, {}, CColour{1, 1, 1, 1}, CColour{0, 0, 0, 1}, "Sun", 0), 0);
  const struct {
    float hours, scale;
  } cases[] = {{12.0f, 1.0f}, {9.0f, 1.0f}, {5.75f, 0.6f}, {6.0f, 0.0f}, {6.25f, 0.6f}, {17.9f, 0.24f}, {21.0f, 1.0f}};
  for (const auto& c : cases) {
    sky_->SetTimeOfDay(c.hours);
    sky_->UpdateLighting();
    const SkyLighting& l = sky_->Lighting();
    const std::string what = std::to_string(c.hours) + " h";
    EXPECT_NEAR(l.ChangeScale, c.scale, 1e-4f) << what;
    const D3DLIGHT8& sun = table.GetLight(0)->Light;
    // The table turns the pitch and yaw it is given into the same direction.
    EXPECT_NEAR(sun.Direction.x, l.LightDirection.x, 1e-4f) << what;
    EXPECT_NEAR(sun.Direction.y, l.LightDirection.y, 1e-4f) << what;
    EXPECT_NEAR(sun.Direction.z, l.LightDirection.z, 1e-4f) << what;
    // Ambient: the sun ambient key colour; diffuse: the sun diffuse key colour
    // times the strength; both scaled near the change.
    const CColour& ambient = l.Colours[SKYCOLOUR_SUN_AMBIENT];
    const CColour& diffuse = l.Colours[SKYCOLOUR_SUN_DIFFUSE];
    EXPECT_NEAR(sun.Ambient.r, ambient.r * c.scale, 1e-4f) << what;
    EXPECT_NEAR(sun.Ambient.b, ambient.b * c.scale, 1e-4f) << what;
    EXPECT_NEAR(sun.Diffuse.g, diffuse.g * l.Strength * c.scale, 1e-4f) << what;
    EXPECT_NEAR(sun.Diffuse.r, diffuse.r * l.Strength * c.scale, 1e-4f) << what;
  }
  sky_->SetTimeOfDay(12.0f);
  sky_->UpdateLighting();
  EXPECT_NEAR(table.GetLight(0)->Light.Diffuse.r, 1.0f, 1e-5f) << "white noon sun";
  EXPECT_NEAR(table.GetLight(0)->Light.Ambient.g, 0.5f, 1e-5f);
}

TEST_F(Sky, TheDomeRunsFromEastThroughTheSkyToWest) {
  // At 6:00 east (1 0 0), sky (0.2 0.2 0.2), west (0.2 0.2 0.7).  Fog stop
  // d: the outer layer's radius is 9 d, W = 18 d, and a vertex at z gets
  // g = 1 - (z + 0.515625 W) / W.
  const float d = 1000.0f;
  ApplyDefault(d);
  sky_->SetTimeOfDay(6.0f);
  sky_->UpdateLighting();
  const CSkyLayer& low = sky_->Layer(0);
  const CSkyLayer& high = sky_->Layer(1);
  EXPECT_FLOAT_EQ(high.HalfSize, 9.0f * d);
  auto expected = [](float g) {
    if (g >= 0.5f) {
      const float t = (g - 0.5f) * 2.0f;
      return CColour{0.2f, 0.2f, 0.2f + 0.5f * t, 1.0f};
    }
    const float t = g * 2.0f;
    return CColour{1.0f - 0.8f * t, 0.2f * t, 0.2f * t, 1.0f};
  };
  for (int row : {0, 3, 4, 7}) {
    const SkyVertex& v = low.Vertices[row * 8 + 2];
    const float g = 1.0f - (v.z + 18.0f * d * 0.515625f) / (18.0f * d);
    const DWORD want = expected(g).ToARGB();
    EXPECT_EQ(v.Colour, want) << "row " << row;
    EXPECT_EQ(high.Vertices[row * 8 + 2].Colour, want) << "both layers take the same colour";
  }
  EXPECT_EQ(low.Vertices[7 * 8].Colour, 0xFFD80909u) << "the east rim (z = +7 d) is nearly east's red";
  EXPECT_EQ(low.Vertices[0].Colour, 0xFF333392u) << "the west rim (z = -7 d) nearly west's blue";

  // A night-vision view (mode word 1) sees the three in grey.
  g_HudToggles[0].On = 1;
  sky_->UpdateLighting();
  ExpectColour(sky_->Lighting().Colours[SKYCOLOUR_EAST], 1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f, "grey east");
  const DWORD c = low.Vertices[7 * 8].Colour;
  EXPECT_EQ((c >> 16) & 0xFF, c & 0xFF) << "grey: red equals blue";
}

// --- the time step -----------------------------------------------------------------------

TEST_F(Sky, TheTimeRunsByTheRateAndComesRoundBothWays) {
  // A rate of 24 moves the day an hour in 150 s of the game clock (300 frames of 0.5 s).
  const struct {
    float start, rate, want;
  } cases[] = {
      {10.0f, 24.0f, 11.0f},
      {23.5f, 24.0f, 0.5f},   // passing 24 becomes 0 and runs on
      {0.5f, -24.0f, 23.5f},  // backwards past midnight comes round from 24
      {12.0f, -24.0f, 11.0f},
      {7.0f, 0.0f, 7.0f},
  };
  for (const auto& c : cases) {
    sky_->SetTimeOfDay(c.start);
    sky_->SetTimeOfDayRate(c.rate);
    Steps(300);
    // Crossing midnight forwards loses the part of the step beyond 24.
    EXPECT_NEAR(sky_->GetTimeOfDay(), c.want, 0.004f) << c.start << " at " << c.rate;
    EXPECT_GE(sky_->GetTimeOfDay(), 0.0f);
    EXPECT_LT(sky_->GetTimeOfDay(), 24.0f);
  }
}

TEST_F(Sky, TheTimeStopsOnceItPassesTheStopTime) {
  const struct {
    float start, rate, stop;
  } cases[] = {{17.0f, 24.0f, 17.5f}, {23.0f, 24.0f, 1.0f}, {2.0f, -24.0f, 23.0f}, {9.0f, -24.0f, 8.25f}};
  for (const auto& c : cases) {
    sky_->SetTimeOfDay(c.start);
    sky_->SetTimeOfDayRate(c.rate);
    sky_->StopTimeAt(c.stop);
    Steps(10);
    EXPECT_NE(sky_->GetTimeOfDayRate(), 0.0f) << "not stopped before reaching " << c.stop;
    Steps(1200);  // five hours at most
    EXPECT_EQ(sky_->GetTimeOfDayRate(), 0.0f) << c.stop;
    EXPECT_EQ(sky_->StopAtOn, 0);
    EXPECT_NEAR(sky_->GetTimeOfDay(), c.stop, 0.004f) << "stopped within a step of " << c.stop;
  }
}

TEST_F(Sky, NightIsBeforeSixAndAfterEighteen) {
  for (const auto& [hours, night] :
       {std::pair{6.0f, false}, {18.0f, false}, {5.99f, true}, {18.01f, true}, {12.0f, false}, {0.0f, true}}) {
    sky_->SetTimeOfDay(hours);
    EXPECT_EQ(sky_->IsNight(), night) << hours;
  }
}

// --- fog ---------------------------------------------------------------------------------

TEST_F(Sky, FogFadesMoveLinearlyAndEndAtTheTarget) {
  CCamera camera;
  CCamera::SetCurrentCamera(&camera);
  ApplyDefault(9000.0f);
  ASSERT_TRUE(sky_->IsFogAtDefault());
  sky_->FadeFogStop(5000.0f, 2.0f);  // 0.5 s a frame: -2000 a second
  sky_->FadeFogStart(1000.0f, 1.0f);
  Steps(1);
  EXPECT_FLOAT_EQ(sky_->GetFogStop(), 8000.0f);
  EXPECT_FLOAT_EQ(sky_->GetFogStart(), 2500.0f);
  EXPECT_FLOAT_EQ(camera.GetFarClip(), 8000.0f) << "the camera's far distance follows the stop";
  Steps(1);
  EXPECT_FLOAT_EQ(sky_->GetFogStart(), 1000.0f) << "the start's fade has ended on its target";
  EXPECT_LT(sky_->FogStartRemaining, 0.0f);
  Steps(3);
  EXPECT_FLOAT_EQ(sky_->GetFogStop(), 5000.0f);
  EXPECT_LT(sky_->FogStopRemaining, 0.0f);
  EXPECT_FALSE(sky_->IsFogAtDefault());
  sky_->FadeFogStop(7000.0f, 0.0f);
  EXPECT_FLOAT_EQ(sky_->GetFogStop(), 7000.0f) << "no time sets it at once";
  EXPECT_FLOAT_EQ(camera.GetFarClip(), 7000.0f);
  sky_->ResetFogRange();
  EXPECT_TRUE(sky_->IsFogAtDefault());
  EXPECT_FLOAT_EQ(camera.GetFarClip(), 9000.0f);
  CCamera::SetCurrentCamera(nullptr);
}

TEST_F(Sky, TheLevelStartsFogOptionsChooseTheRange) {
  const std::string text = [] {
    SkySettings s = DefaultSkySettings();
    s.FogStart = 2000.0f;
    s.FogStop = 8000.0f;
    s.FarFogStart = 5000.0f;
    s.FarFogStop = 10000.0f;
    return WriteSkySection(s);
  }();
  const struct {
    SkyFogOptions options;
    float start, stop, visibility;
  } cases[] = {
      {{false, 100.0f, 200.0f, 0.5f}, 2000.0f, 8000.0f, 1.0f},  // off: the level's range, visibility 1
      {{true, 100.0f, 200.0f, 0.5f}, 100.0f, 200.0f, 3.0f},     // explicit range
      {{true, -1.0f, -1.0f, 0.5f}, 1000.0f, 4000.0f, 3.0f},     // the factor
      {{true, 100.0f, 0.0f, 1.5f}, 3000.0f, 12000.0f, 3.0f},    // no explicit stop: the factor
      {{true, -1.0f, -1.0f, 0.0f}, 5000.0f, 10000.0f, 1.25f},   // the far range; sight 10000 / 8000
  };
  for (const auto& c : cases) {
    EnvSetVisibilityScale(3.0f);
    SetSkyFogOptions(c.options);
    EnvTextCursor cursor(text.c_str());
    ASSERT_EQ(sky_->LoadSettings(cursor, 72), 1);
    EXPECT_FLOAT_EQ(sky_->GetFogStart(), c.start);
    EXPECT_FLOAT_EQ(sky_->GetFogStop(), c.stop);
    EXPECT_FLOAT_EQ(EnvGetVisibilityScale(), c.visibility);
    EXPECT_TRUE(sky_->IsFogAtDefault());
  }
}

// --- settings ------------------------------------------------------------------------------

TEST_F(Sky, ApplyingSettingsStopsTheTimeAndGetSettingsGivesThemBack) {
  SkySettings s = DefaultSkySettings();
  s.TimeOfDay = 15.5f;
  s.FogStart = 1000.0f;
  s.FogStop = 6000.0f;
  s.Layers[1].Speed[0] = 0.25f;
  s.Layers[1].FixedY = 1;
  s.Colours[SKYCOLOUR_WEST][3] = CColour{0.1f, 0.2f, 0.3f, 1.0f};
  sky_->SetTimeOfDayRate(50.0f);
  sky_->ApplySettings(s);
  EXPECT_EQ(sky_->GetTimeOfDayRate(), 0.0f);
  SkySettings back;
  sky_->GetSettings(&back);
  EXPECT_EQ(back.TimeOfDay, 15.5f);
  EXPECT_EQ(back.FogStart, 1000.0f);
  EXPECT_EQ(back.FogStop, 6000.0f);
  EXPECT_EQ(back.Layers[1].Speed[0], 0.25f);
  EXPECT_EQ(back.Layers[1].FixedY, 1);
  EXPECT_EQ(back.Layers[0].TextureName, kSkyNoTexture);
  EXPECT_EQ(back.Colours[SKYCOLOUR_WEST][3].b, 0.3f);
  EXPECT_EQ(WriteSkySection(back), WriteSkySection(s));
}

TEST_F(Sky, ADamagedSectionLeavesTheSkyAsItWas) {
  ApplyDefault(7000.0f);
  sky_->SetTimeOfDay(8.0f);
  const std::string whole = WriteSkySection(DefaultSkySettings());
  const std::string cut = whole.substr(0, whole.size() / 2);
  EnvTextCursor cursor(cut.c_str());
  EXPECT_EQ(sky_->LoadSettings(cursor, 72), 0);
  EXPECT_EQ(sky_->GetFogStop(), 7000.0f);
  EXPECT_EQ(sky_->GetTimeOfDay(), 8.0f);
}

// --- cloud layers -------------------------------------------------------------------------

TEST_F(Sky, ALayerIsAnEightByEightDomeOfScaledFogStops) {
  const float d = 1000.0f;
  ApplyDefault(d, 1.0f, 1000.0f);
  const CSkyLayer& layer = sky_->Layer(0);
  ASSERT_EQ(layer.VertexCount, 64);
  ASSERT_EQ(layer.IndexCount, 124);
  EXPECT_FLOAT_EQ(layer.HalfSize, 9000.0f);
  // Corner: x = z = -3.5 d, scaled by 2; c = (|(x, z)| + 0.5 d) / 4 d beyond 1: on the ground.
  EXPECT_FLOAT_EQ(layer.Vertices[0].x, -7000.0f);
  EXPECT_FLOAT_EQ(layer.Vertices[0].z, -7000.0f);
  EXPECT_NEAR(layer.Vertices[0].y, 0.0f, 1e-3f);
  // Next to the middle: x = z = -0.5 d, c = (707.1 + 500) / 4000.
  const float c = (std::sqrt(2.0f) * 500.0f + 500.0f) / 4000.0f;
  EXPECT_NEAR(layer.Vertices[3 * 8 + 3].y, std::sin((1.0f - c) * 1.5707963f) * 1000.0f, 1e-2f);
  EXPECT_FLOAT_EQ(layer.Vertices[3 * 8 + 3].x, -1000.0f);
  EXPECT_FLOAT_EQ(layer.Vertices[5 * 8 + 6].x, 5000.0f);
  EXPECT_FLOAT_EQ(layer.Vertices[5 * 8 + 6].z, 3000.0f);
  // Texture coordinates step by tile / 8.
  EXPECT_FLOAT_EQ(layer.Vertices[5 * 8 + 6].u, 3.0f);
  EXPECT_FLOAT_EQ(layer.Vertices[5 * 8 + 6].v, 2.5f);
  EXPECT_EQ(layer.Vertices[9].Colour, 0xFFFFFFFFu);

  // The strip covers each of the 7 x 7 cells with two triangles; the rest are degenerate.
  std::set<std::tuple<int, int, int>> drawn;
  int degenerate = 0;
  for (int i = 0; i + 2 < layer.IndexCount; ++i) {
    int t[3] = {layer.Indices[i], layer.Indices[i + 1], layer.Indices[i + 2]};
    if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) {
      ++degenerate;
      continue;
    }
    std::sort(t, t + 3);
    drawn.insert({t[0], t[1], t[2]});
  }
  std::set<std::tuple<int, int, int>> cells;
  for (int r = 0; r < 7; ++r)
    for (int k = 0; k < 7; ++k) {
      const int a = r * 8 + k, b = a + 1, e = a + 8, f = a + 9;
      cells.insert({a, b, e});
      cells.insert({b, e, f});
    }
  EXPECT_EQ(drawn, cells);
  EXPECT_EQ(degenerate, 122 - 98);
}

TEST_F(Sky, LayersScrollByTheirSpeedOnTheGameClock) {
  SkySettings s = DefaultSkySettings();
  s.Layers[0].TileFactor = 8.0f;
  s.Layers[0].Speed[0] = 0.3f;
  s.Layers[0].Speed[2] = -0.1f;
  sky_->ApplySettings(s);
  Steps(5);  // 2.5 s
  const CSkyLayer& layer = sky_->Layer(0);
  EXPECT_NEAR(layer.Offset[0], 0.75f, 1e-5f);
  EXPECT_NEAR(layer.Offset[2], 0.75f, 1e-5f) << "-0.25 kept as its fractional part";
  EXPECT_NEAR(layer.Vertices[2 * 8 + 3].u, 0.75f + 3.0f, 1e-5f);
  EXPECT_NEAR(layer.Vertices[2 * 8 + 3].v, 0.75f + 2.0f, 1e-5f);
  EXPECT_EQ(sky_->Layer(1).Offset[0], 0.0f) << "a still layer stays";
}

// --- the engine's time-of-day source -------------------------------------------------------

TEST_F(Sky, TheCurrentSkyIsTheEnginesTimeOfDay) {
  EXPECT_EQ(CSky::Current(), sky_.get());
  sky_->SetTimeOfDay(20.0f);
  EXPECT_EQ(SkyCurrentHours(), 20.0f);
  // 20:00: 1 - (|20 - 12| - 4) / 4 = 0, held at the floor 0.2.
  EXPECT_FLOAT_EQ(TimeOfDayScale(10.0f, 0.2f, 4.0f), 2.0f) << "the night scale from the sky's hour";
  sky_.reset();
  EXPECT_EQ(CSky::Current(), nullptr);
  EXPECT_EQ(SkyCurrentHours(), 12.0f);
}

// --- the level loader -----------------------------------------------------------------------

TEST(SkySection, TheLoaderReadsTheSectionIntoTheEnvironmentsSky) {
  const EnvSectionReader before = GetEnvSectionReader(ENVSECTION_SKY);
  InstallSkySectionReader();
  CEnvironment environment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(environment.Sky, nullptr);
  SkySettings settings = DefaultSkySettings();
  settings.FogStart = 1500.0f;
  settings.FogStop = 6500.0f;
  settings.TimeOfDay = 17.25f;
  settings.Colours[SKYCOLOUR_EAST][2] = CColour{0.25f, 0.5f, 0.75f, 1.0f};
  EnvFileSource source;
  source.sections[ENVSECTION_SKY] = WriteSkySection(settings);
  const std::string text = EnvFileWrite(source);
  EnvTextCursor cursor(text.c_str());
  EnvFileLoadReport report;
  EXPECT_EQ(EnvFileLoadEnvironment(&environment, cursor, nullptr, nullptr, &report), 1);
  EXPECT_EQ(report.failedSections, 0u);
  EXPECT_EQ(environment.Sky->GetFogStart(), 1500.0f);
  EXPECT_EQ(environment.Sky->GetFogStop(), 6500.0f);
  EXPECT_EQ(environment.Sky->GetTimeOfDay(), 17.25f);
  EXPECT_EQ(environment.Sky->Colours[SKYCOLOUR_EAST][2].g, 0.5f);
  EXPECT_EQ(environment.Sky->Layer(1).HalfSize, 9.0f * 6500.0f);

  // A damaged section fails the section and leaves the sky alone.
  std::string damaged = text;
  damaged.replace(damaged.find("TIMEOFDAY"), 9, "TIMEOFDAY x");
  CEnvironment other(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EnvTextCursor bad(damaged.c_str());
  EnvFileLoadReport badReport;
  EXPECT_EQ(EnvFileLoadEnvironment(&other, bad, nullptr, nullptr, &badReport), 0);
  // The section has no end word to go on from: the sections after it fail too.
  EXPECT_NE(badReport.failedSections & (1u << ENVSECTION_SKY), 0u);
  EXPECT_EQ(other.Sky->GetTimeOfDay(), 12.0f);
  SetEnvSectionReader(ENVSECTION_SKY, before);
}

TEST(SkySection, WithoutASkyTheSectionIsReadPast) {
  const std::string text = WriteSkySection(DefaultSkySettings()) + "NEXT";
  EnvTextCursor cursor(text.c_str());
  EnvSectionContext context;
  context.version = 72;
  EXPECT_TRUE(ReadSkySection(cursor, context));
  char word[8];
  ASSERT_TRUE(cursor.Token(word));
  EXPECT_STREQ(word, "NEXT");
}

TEST(SkySection, TheEnvironmentAppliesSettingsWithTheNoonFog) {
  CCamera camera;
  CCamera::SetCurrentCamera(&camera);
  CEnvironment environment(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  SkySettings s = DefaultSkySettings();
  s.FogStart = 1200.0f;
  s.FogStop = 5400.0f;
  s.Colours[SKYCOLOUR_FOG][2] = CColour{0.2f, 0.4f, 0.6f, 0.0f};
  environment.ApplySkySettings(s);
  EXPECT_EQ(environment.Sky->GetPackedColour(), 0xFF336699u) << "the 12-hour fog key, alpha 255";
  EXPECT_EQ(camera.GetFarClip(), 5400.0f);
  EXPECT_EQ(environment.Sky->GetFogStart(), 1200.0f);
  EXPECT_EQ(environment.Sky->GetFogStop(), 5400.0f);
  CCamera::SetCurrentCamera(nullptr);
}

}  // namespace
