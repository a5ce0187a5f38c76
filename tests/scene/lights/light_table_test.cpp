// The light table: the level file's light section at each version, creation
// rules, time windows, the per-instance choice of at most eight lights, the
// per-view update and the colour setters, checked through the table and the
// device's call log.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "foundation/time/timer.h"
#include "platform/win32/message_box.h"
#include "render/render_fixture.h"
#include "scene/lights/light_section.h"
#include "scene/lights/light_table.h"
#include "world/environment/env_text_cursor.h"

namespace {

std::vector<std::string>* g_Boxes = nullptr;

int RecordBox(HWND, const char* text, const char*, UINT, void*) {
  if (g_Boxes != nullptr) g_Boxes->push_back(text);
  return IDOK;
}

class LightTable : public RenderDeviceTest {
 protected:
  void SetUp() override {
    RenderDeviceTest::SetUp();
    g_Boxes = &boxes_;
    SetMessageBoxHook(RecordBox, nullptr);
    SetMessageBoxEcho(false);
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr, nullptr);
    SetMessageBoxEcho(true);
    g_Boxes = nullptr;
  }
  std::vector<std::string> boxes_;
};

CColour Rgb(float r, float g, float b) { return CColour{r, g, b, 1.0f}; }

LightFileRecord Spot(int index) {
  LightFileRecord r;
  r.Type = D3DLIGHT_SPOT;
  r.Index = index;
  r.Name = "Lamp";
  r.Diffuse[0] = 0.5f;
  r.Position[1] = 300.0f;
  r.Angles[0] = 90.0f;
  r.Inner = 30.0f;
  r.Outer = 50.0f;
  r.Range = 800.0f;
  return r;
}

// What each version stores of the same three records.
TEST_F(LightTable, SectionReadsTheFieldsEachVersionStores) {
  struct Case {
    int version;
    float wantSpotRange;
    const char* wantName;
    bool wantAttenuation;
  };
  const Case cases[] = {
      {27, kLightDefaultSpotRange, "SpotLight3", false}, {28, 800.0f, "SpotLight3", false},
      {29, 800.0f, "Lamp", false},                       {30, 800.0f, "Lamp", false},
      {31, 800.0f, "Lamp", false},                       {60, 800.0f, "Lamp", true},
  };
  for (const Case& c : cases) {
    LightFileRecord sun;
    sun.Type = D3DLIGHT_DIRECTIONAL;
    sun.Index = 0;
    sun.Name = "Sun";
    sun.Angles[0] = 45.0f;
    LightFileRecord lamp = Spot(3);
    lamp.Attenuation[0] = 0.5f;
    lamp.Attenuation[1] = 2.0f;
    lamp.Attenuation[2] = 8.0f;
    LightFileRecord bulb;
    bulb.Type = D3DLIGHT_POINT;
    bulb.Index = 7;
    bulb.Name = "Bulb";
    bulb.Range = 250.0f;
    bulb.FlareSize = 33.0f;
    bulb.Flags = 0x0010;
    std::string text;
    WriteLightSection(&text, {sun, lamp, bulb}, c.version);
    text += "AFTER";

    std::vector<LightFileRecord> read;
    EnvTextCursor cursor(text.c_str());
    int line = 0;
    ASSERT_TRUE(ReadLightRecords(cursor, c.version, &read, &line)) << c.version << "\n" << text;
    ASSERT_EQ(read.size(), 3u);
    char after[16];
    ASSERT_TRUE(cursor.Token(after));
    EXPECT_STREQ(after, "AFTER") << "the reader stops right after ENDL";
    EXPECT_EQ(read[0].Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(read[1].Type, D3DLIGHT_SPOT);
    EXPECT_EQ(read[2].Type, D3DLIGHT_POINT);
    EXPECT_EQ(read[1].Name, c.wantName) << c.version;
    EXPECT_FLOAT_EQ(read[1].Range, c.wantSpotRange) << c.version;
    EXPECT_FLOAT_EQ(read[1].Inner, 30.0f);
    EXPECT_FLOAT_EQ(read[1].Outer, 50.0f);
    EXPECT_FLOAT_EQ(read[2].Range, 250.0f);
    EXPECT_FLOAT_EQ(read[2].FlareSize, 33.0f);
    EXPECT_TRUE(read[2].Flags & 0x0010) << "the flare switch survives at " << c.version;
    EXPECT_EQ(read[1].HasAttenuation, c.wantAttenuation);

    // Applied: attenuation from version 60 is a0, a1 / range, a2 / range^2.
    CLightTable table(16);
    EnvTextCursor again(text.c_str());
    ASSERT_TRUE(table.ReadLightSection(again, c.version));
    EXPECT_EQ(table.LightCount, 3);
    const D3DLIGHT8& l = table.GetLight(3)->Light;
    EXPECT_EQ(l.Type, D3DLIGHT_SPOT);
    if (c.wantAttenuation) {
      EXPECT_FLOAT_EQ(l.Attenuation0, 0.5f);
      EXPECT_FLOAT_EQ(l.Attenuation1, 2.0f / 800.0f);
      EXPECT_FLOAT_EQ(l.Attenuation2, 8.0f / (800.0f * 800.0f));
    } else {
      EXPECT_FLOAT_EQ(l.Attenuation0, 1.0f);
      EXPECT_FLOAT_EQ(l.Attenuation1, 0.0f);
      EXPECT_FLOAT_EQ(l.Attenuation2, 5.0f / (c.wantSpotRange * c.wantSpotRange));
    }
    EXPECT_TRUE(boxes_.empty()) << c.version;
  }
}

TEST_F(LightTable, SectionMessagesAndDamage) {
  // An unknown glow falls back to the default with the message; indices
  // outside the table are left out; a record cut short stops the section
  // with its line named, the lights before it kept.
  const char* glows[] = {"IMAGE_SPARK", "IMAGE_GLOW", "IMAGE_FLARE"};
  CLightTable table(16);
  table.SetGlowSprites(glows, 3);
  EXPECT_EQ(table.DefaultGlow, 1);
  const std::string text =
      "PLGT 2 \"A\" 0 1 1 1 1 0 0 0 1 0 0 0 100 50 IMAGE_FLARE\n"
      "PLGT 4 \"B\" 0 1 1 1 1 0 0 0 1 0 0 0 100 50 IMAGE_MISSING\n"
      "PLGT 16 \"C\" 0 1 1 1 1 0 0 0 1 0 0 0 100 50 IMAGE_GLOW\n"
      "PLGT 300 \"D\" 0 1 1 1 1 0 0 0 1 0 0 0 100 50 IMAGE_GLOW\n"
      "PLGT 255 \"E\" 0 1 1 1 1 0 0 0 1 0 0 0 100 50 IMAGE_GLOW\n"
      "SLGT 6 \"F\" 0 1 1 1 1 0 0 0 1 0 0 0 0 0 0 30\n";
  EnvTextCursor cursor(text.c_str());
  EXPECT_FALSE(table.ReadLightSection(cursor, 31));
  EXPECT_EQ(table.LightCount, 3);  // A, B and E (E took the first free record, 0)
  EXPECT_EQ(table.GetLight(2)->GlowSprite, 2);
  EXPECT_EQ(table.GetLight(4)->GlowSprite, 1);
  EXPECT_TRUE(table.GetLight(0)->Flags & kLightOnDevice);
  EXPECT_FALSE(table.GetLight(6)->Flags & kLightOnDevice);
  ASSERT_EQ(boxes_.size(), 4u);
  EXPECT_EQ(boxes_[0], "Unable to find the matching spriteId for light glow\nSetting to default");
  EXPECT_NE(boxes_[1].find("index 16"), std::string::npos);
  EXPECT_NE(boxes_[2].find("index 300"), std::string::npos);
  EXPECT_NE(boxes_[3].find("line 6"), std::string::npos) << boxes_[3];

  // Text that ends before ENDL is damaged too.
  CLightTable other(8);
  EnvTextCursor open("DLGT 1 1 1 1 1 0 0 0 1 0 0 0 0 0 0 0 100");
  EXPECT_FALSE(other.ReadLightSection(open, 27));
  EXPECT_EQ(other.LightCount, 1);
}

TEST_F(LightTable, ANumberPastTheFloatsRangeIsDamageNotALight) {
  // A spot light whose colour numbers overflow (to minus infinity): refused
  // as damage, never made into a light whose colour is not a number.
  const std::string text = "0 45 0 0 0 100\nSLGT 1 1" + std::string(30, '9') + "-" + std::string(73, '9') +
                           " 1 1 0  1 0 45 1000 20 6 0 1 0 0 0 40 0 11 1 0 0 0 1 ENDL\n";
  std::vector<LightFileRecord> records;
  EnvTextCursor cursor(text.c_str());
  int line = 0;
  EXPECT_FALSE(ReadLightRecords(cursor, 27, &records, &line));
  for (const LightFileRecord& r : records)
    for (float f : r.Diffuse) EXPECT_TRUE(std::isfinite(f));
  CLightTable table(16);
  EnvTextCursor applied(text.c_str());
  EXPECT_FALSE(table.ReadLightSection(applied, 27));
  EXPECT_EQ(table.LightCount, 0);
  for (int i = 0; i < table.Capacity; ++i) {
    const LightRecord* light = table.GetLight(i);
    ASSERT_NE(light, nullptr);
    for (float f : {light->StoredDiffuse.r, light->StoredDiffuse.g, light->StoredDiffuse.b, light->Light.Diffuse.r})
      EXPECT_TRUE(std::isfinite(f)) << i;
  }
}

TEST_F(LightTable, CreationRules) {
  CLightTable table(8);
  Record();
  // Equal cone angles above 20 degrees: the inner one becomes 20 narrower.
  const int spot = table.CreateSpotLight({}, {}, Rgb(1, 1, 1), Rgb(0, 0, 0), 60.0f, 60.0f, 500.0f, "s", 255);
  ASSERT_EQ(spot, 0);
  const LightRecord& s = *table.GetLight(spot);
  EXPECT_NEAR(s.Light.Theta, 40.0f * 3.14159265f / 180.0f, 1e-5f);
  EXPECT_NEAR(s.Light.Phi, 60.0f * 3.14159265f / 180.0f, 1e-5f);
  EXPECT_FLOAT_EQ(s.Light.Attenuation2, 5.0f / (500.0f * 500.0f));
  EXPECT_NEAR(s.CosInner, std::cos(20.0f * 3.14159265f / 180.0f), 1e-6f);
  // Angles over 360 are limited to pi; an inner angle above the outer one is held to it.
  const int wide = table.CreateSpotLight({}, {}, Rgb(1, 1, 1), Rgb(0, 0, 0), 10.0f, 400.0f, 500.0f, "w", 255);
  EXPECT_NEAR(table.GetLight(wide)->Light.Phi, 3.14159265f, 1e-5f);
  const int narrow = table.CreateSpotLight({}, {}, Rgb(1, 1, 1), Rgb(0, 0, 0), 15.0f, 10.0f, 500.0f, "n", 255);
  EXPECT_FLOAT_EQ(table.GetLight(narrow)->Light.Theta, table.GetLight(narrow)->Light.Phi);
  const int sun = table.CreateDirectionalLight({}, {90.0f, 0, 0}, Rgb(1, 1, 1), Rgb(0, 0, 0), "d", 255);
  EXPECT_FLOAT_EQ(table.GetLight(sun)->Light.Range, kDirectionalRange);
  EXPECT_NEAR(table.GetLight(sun)->Light.Direction.y, -1.0f, 1e-5f) << "pitch 90 looks down";
  // Every creation reached the device at its index.
  const auto sent = Calls("SetLight");
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent.back().args[0], static_cast<std::uint64_t>(sun));
  // A named index outside the table is refused; run-time lights fill the rest, then -1.
  EXPECT_EQ(table.CreatePointLight({}, Rgb(1, 1, 1), Rgb(0, 0, 0), 10.0f, "x", 8), -1);
  for (int k = 4; k < 8; ++k) EXPECT_EQ(table.CreateLight(2, D3DLIGHT_POINT), k);
  EXPECT_EQ(table.CreateLight(2, D3DLIGHT_POINT), -1);
  EXPECT_FALSE(table.IsSwitchedOn(7)) << "run-time lights start switched off";
  EXPECT_EQ(table.GetLight(7)->Flags & (kLightEngineMade | kLightRunTime), kLightEngineMade | kLightRunTime);
}

TEST_F(LightTable, TimeWindowWrapsPastMidnight) {
  static float hour = 0.0f;
  CLightTable table(4);
  table.SetClocks(nullptr, [] { return hour; });
  const int i = table.CreatePointLight({}, Rgb(1, 1, 1), Rgb(0, 0, 0), 100.0f, "p", 255);
  table.GetLight(i)->Flags |= kLightTimeWindow;
  table.GetLight(i)->WindowStart = 20.0f;
  table.GetLight(i)->WindowEnd = 6.0f;
  const struct {
    float hour;
    bool lit;
  } cases[] = {{23.0f, true}, {2.0f, true}, {12.0f, false}, {20.0f, true}, {6.5f, false}};
  for (const auto& c : cases) {
    hour = c.hour;
    table.Update({}, {}, {0, 0, 1}, 1000.0f);
    EXPECT_EQ(table.IsSwitchedOn(i), c.lit) << c.hour;
  }
}

TEST_F(LightTable, AnInstanceGetsAtMostEightLightsInReach) {
  CLightTable table(16);
  // Ten point lights of range 100 along x at 0, 10, ... 90; one far away; one switched off.
  for (int k = 0; k < 10; ++k)
    table.CreatePointLight({10.0f * k, 0, 0}, Rgb(1, 1, 1), Rgb(0, 0, 0), 100.0f, "p", k);
  table.CreatePointLight({500.0f, 0, 0}, Rgb(1, 1, 1), Rgb(0, 0, 0), 100.0f, "far", 10);
  table.CreatePointLight({0, 0, 0}, Rgb(1, 1, 1), Rgb(0, 0, 0), 100.0f, "off", 11);
  table.SetSwitchedOn(11, false);
  Record();
  EXPECT_EQ(table.SelectLightsForSphere({0, 0, 0}, 10.0f), 8);
  const auto enabled = Calls("LightEnable");
  ASSERT_EQ(enabled.size(), 8u) << "the ninth and tenth are not enabled";
  for (const D3D8Call& c : enabled) {
    EXPECT_EQ(c.args[1], 1u);
    EXPECT_LT(c.args[0], 10u);
  }
  // Clearing disables exactly those.
  Record();
  CLightTable::ClearActive();
  EXPECT_EQ(Calls("LightEnable").size(), 8u);
  EXPECT_EQ(CLightTable::ActiveCount, 0);
  // Reach is range plus radius: the far light at 500 reaches a sphere of radius 300 at 100.
  EXPECT_EQ(table.SelectLightsForSphere({100.0f, 0, 0}, 300.0f), 8);
  CLightTable::ClearActive();
  table.SetSwitchedOn(0, false);
  for (int k = 1; k < 10; ++k) table.SetSwitchedOn(k, false);
  EXPECT_EQ(table.SelectLightsForSphere({100.0f, 0, 0}, 300.0f), 1);
  EXPECT_EQ(CLightTable::Active[0], 10);
  EXPECT_EQ(table.SelectLightsForSphere({100.0f, 0, 0}, 299.0f), 1) << "already active stays once";
  CLightTable::ClearActive();
  EXPECT_EQ(table.SelectLightsForSphere({100.0f, 0, 0}, 299.0f), 0);
}

TEST_F(LightTable, UpdatePlacesTheSpecialLights) {
  CTimer clock;
  CTimer::State state;
  clock.SaveState(&state);
  CLightTable table(8);
  table.SetClocks(&clock, nullptr);
  table.CreateDirectionalLight({}, {}, Rgb(0.6f, 0.4f, 0.2f), Rgb(0.2f, 0.2f, 0.2f), "sun", 0);
  table.CreateSpecialLights();
  ASSERT_NE(table.NightVisionIndex, kNoLight);
  ASSERT_NE(table.FlashingLightIndex, kNoLight);
  ASSERT_NE(table.NonDirLightIndex, kNoLight);
  // The FlashingLight turns once every 750 ms: yaw 0, 180 and again 0; pitch nods +-40.
  const struct {
    std::uint32_t ms;
    float pitch, yaw;
  } cases[] = {{0, -40.0f, 0.0f}, {375, 0.0f, 180.0f}, {750, -40.0f, 0.0f}, {1125, 0.0f, 180.0f}};
  for (const auto& c : cases) {
    state.gameTime = c.ms;
    clock.RestoreState(state);
    table.Update({100, 200, 300}, {10, 20, 0}, {0, 0, 1}, 4000.0f);
    const CVector3 a = table.GetLight(table.FlashingLightIndex)->Angles;
    EXPECT_NEAR(a.x, c.pitch, 1e-3f) << c.ms;
    EXPECT_NEAR(a.y, c.yaw, 1e-3f) << c.ms;
  }
  // NightVision: 500 behind the eye, range far x factor, attenuation 1, 0 / range, 4 / range^2.
  const D3DLIGHT8& nv = table.GetLight(table.NightVisionIndex)->Light;
  EXPECT_FLOAT_EQ(nv.Position.z, 300.0f - 500.0f);
  EXPECT_FLOAT_EQ(nv.Range, 4000.0f);
  EXPECT_FLOAT_EQ(nv.Attenuation2, 4.0f / (4000.0f * 4000.0f));
  EXPECT_NEAR(nv.Phi, 90.0f * 3.14159265f / 180.0f, 1e-5f);
  // The average colour is half the sun's ambient plus diffuse; the NonDirLight's ambient takes it.
  EXPECT_FLOAT_EQ(table.AverageColour.r, 0.4f);
  EXPECT_FLOAT_EQ(table.AverageColour.b, 0.2f);
  EXPECT_EQ(table.AverageARGB, CColour(CColour{0.4f, 0.3f, 0.2f, 1.0f}).ToARGB());
  EXPECT_FLOAT_EQ(table.GetLight(table.NonDirLightIndex)->Light.Ambient.g, 0.3f);
}

TEST_F(LightTable, ColourSettersFadesAndGreen) {
  CTimer clock;
  CTimer::State state;
  clock.SaveState(&state);
  CLightTable table(4);
  table.SetClocks(&clock, nullptr);
  const int i = table.CreatePointLight({}, Rgb(0.9f, 0.3f, 0.0f), Rgb(0.3f, 0.3f, 0.6f), 100.0f, "p", 255);
  // Green look: the mean of each stored colour in green only; restore undoes it.
  table.SetAllGreen();
  const D3DLIGHT8& l = table.GetLight(i)->Light;
  EXPECT_FLOAT_EQ(l.Diffuse.r, 0.0f);
  EXPECT_FLOAT_EQ(l.Diffuse.g, 0.4f);
  EXPECT_FLOAT_EQ(l.Ambient.g, 0.4f);
  table.RestoreAllColours();
  EXPECT_FLOAT_EQ(l.Diffuse.r, 0.9f);
  EXPECT_FLOAT_EQ(l.Ambient.b, 0.6f);
  // Negation and adding (held to 0..1).
  table.SetDiffuseNegated(i, true);
  EXPECT_FLOAT_EQ(l.Diffuse.r, -0.9f);
  table.SetDiffuseNegated(i, false);
  table.AddToDiffuse(i, Rgb(0.5f, 0.5f, 0.5f));
  EXPECT_FLOAT_EQ(l.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(l.Diffuse.g, 0.8f);
  table.RestoreDiffuse(i);
  EXPECT_FLOAT_EQ(l.Diffuse.g, 0.3f);
  // Brightness limits hold the value (the largest component).
  table.SetBrightnessLimits(0.0f, 0.5f);
  table.SetAmbient(i, Rgb(1.0f, 0.5f, 0.0f));
  EXPECT_FLOAT_EQ(l.Ambient.r, 0.5f);
  EXPECT_FLOAT_EQ(l.Ambient.g, 0.25f);
  table.SetBrightnessLimits(-1.0f, 1.0f);
  // A diffuse fade over 2 s: half way after 1 s, done after 2 s.
  table.AttachAnimators(i);
  table.Update({}, {}, {0, 0, 1}, 100.0f);  // first frame: 0.5 s step, nothing fading yet
  table.SetDiffuse(i, Rgb(0.1f, 0.3f, 0.0f), 2.0f);
  EXPECT_FLOAT_EQ(l.Diffuse.r, 0.9f) << "a fade starts from the current colour";
  state.gameTime = 1000;
  clock.RestoreState(state);
  table.Update({}, {}, {0, 0, 1}, 100.0f);
  EXPECT_NEAR(l.Diffuse.r, 0.5f, 1e-4f);
  EXPECT_TRUE(table.GetLight(i)->Flags & kLightFadeRunning);
  state.gameTime = 2500;
  clock.RestoreState(state);
  table.Update({}, {}, {0, 0, 1}, 100.0f);
  EXPECT_NEAR(l.Diffuse.r, 0.1f, 1e-5f);
  EXPECT_FALSE(table.GetLight(i)->Flags & kLightFadeRunning);
  // Range changes keep the fall-off shape: a2 x range^2 stays.
  table.SetRange(i, 200.0f);
  EXPECT_FLOAT_EQ(l.Attenuation2 * 200.0f * 200.0f, 5.0f);
  table.SetRange(i, 0.0f);
  EXPECT_FLOAT_EQ(l.Range, 0.0f);
  table.SetAttenuation(i, 1.0f, 2.0f, 3.0f);
  EXPECT_FLOAT_EQ(l.Attenuation1, 0.0f) << "a zero range gives no division";
}

// Every light of the table takes the colours, the highest one included,
// and the stored colours come back on restore.
TEST_F(LightTable, SetAllColoursReachesEveryLightUpToTheHighest) {
  CLightTable table(8);
  const int first = table.CreatePointLight({}, Rgb(0.9f, 0.3f, 0.0f), Rgb(0.3f, 0.3f, 0.6f), 100.0f, "a", 0);
  const int middle = table.CreateDirectionalLight({}, {}, Rgb(0.5f, 0.5f, 0.5f), Rgb(0.1f, 0.1f, 0.1f), "b", 2);
  const int highest = table.CreatePointLight({}, Rgb(0.2f, 0.8f, 0.4f), Rgb(0.0f, 0.0f, 0.0f), 100.0f, "c", 5);
  ASSERT_EQ(table.HighestUsed, highest);
  table.SetAllColours(Rgb(0.25f, 0.5f, 0.75f), Rgb(0.125f, 0.0f, 1.0f));
  for (const int i : {first, middle, highest}) {
    SCOPED_TRACE(i);
    const D3DLIGHT8& l = table.GetLight(i)->Light;
    EXPECT_FLOAT_EQ(l.Diffuse.r, 0.25f);
    EXPECT_FLOAT_EQ(l.Diffuse.b, 0.75f);
    EXPECT_FLOAT_EQ(l.Ambient.r, 0.125f);
    EXPECT_FLOAT_EQ(l.Ambient.b, 1.0f);
  }
  table.RestoreAllColours();
  EXPECT_FLOAT_EQ(table.GetLight(highest)->Light.Diffuse.g, 0.8f);
  EXPECT_FLOAT_EQ(table.GetLight(first)->Light.Diffuse.r, 0.9f);
}

TEST_F(LightTable, StrongestLightsAndDropping) {
  CLightTable table(8);
  const int sun = table.CreateDirectionalLight({}, {}, Rgb(0.3f, 0.3f, 0.3f), Rgb(0.3f, 0.3f, 0.3f), "sun", 0);
  const int nearLight = table.CreatePointLight({10, 0, 0}, Rgb(1, 1, 1), Rgb(1, 1, 1), 100.0f, "near", 1);
  const int farLight = table.CreatePointLight({90, 0, 0}, Rgb(1, 1, 1), Rgb(1, 1, 1), 100.0f, "far", 2);
  const int spot = table.CreateSpotLight({0, 50, 0}, {-90, 0, 0}, Rgb(1, 1, 1), Rgb(1, 1, 1), 20, 40, 100, "s", 3);
  // The spot looks up (pitch -90, as the camera): a point below it lies outside its cone.
  EXPECT_FLOAT_EQ(table.LightStrength(spot, {0, 0, 0}, 0.0f), 0.0f);
  EXPECT_GT(table.LightStrength(spot, {0, 60, 0}, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(table.LightStrength(farLight, {0, 0, 0}, 0.0f), 1.0f / (1.0f + 5.0f * 0.81f));
  EXPECT_FLOAT_EQ(table.LightStrength(farLight, {200, 0, 0}, 0.0f), 0.0f) << "beyond the range";
  table.SelectLightsForSphere({0, 0, 0}, 5.0f);
  std::uint8_t out[3];
  float weights[3];
  bool sunActive = false;
  table.GetStrongestLights({0, 0, 0}, 0.0f, out, weights, &sunActive);
  EXPECT_TRUE(sunActive);
  // near 1 / (1 + 5 x 0.01), the sun 1 x its colour 0.3, far 1 / (1 + 5 x 0.81); the spot gives 0.
  EXPECT_EQ(out[2], nearLight);
  EXPECT_EQ(out[1], sun);
  EXPECT_EQ(out[0], farLight);
  EXPECT_LE(weights[0], weights[1]);
  EXPECT_LE(weights[1], weights[2]);
  CLightTable::ClearActive();
  EXPECT_FLOAT_EQ(table.GetStrongestLights({}, 0.0f, out, weights, &sunActive), 0.0f);
  EXPECT_EQ(out[2], kNoLight);
  // Dropping: unattached chained lights go, the table forgets them.
  table.DropUnattachedLights();
  EXPECT_EQ(table.LightCount, 0);
  for (std::uint8_t head : table.ChainHeads) EXPECT_EQ(head, kNoLight);
  EXPECT_EQ(table.CreatePointLight({}, Rgb(1, 1, 1), Rgb(0, 0, 0), 10.0f, "again", 255), 0);
}

}  // namespace
