// Slots 413-418 over a light table of the test's own: ARGB words become four
// floats, lights switch on and off, and numbers that name no light change
// nothing.
#include <gtest/gtest.h>

#include <cstdint>

#include "render/colour/colour.h"
#include "scene/lights/light_table.h"
#include "shell/script/script_function_table.h"

namespace {

const ScriptFunctionTable& Lights = g_ScriptFunctionTable;

struct ArgbCase {
  std::uint32_t argb;
  float a, r, g, b;
};

void ExpectColour(const CColour& c, const ArgbCase& want, const char* what) {
  EXPECT_NEAR(c.a, want.a, 1e-6f) << what << " " << std::hex << want.argb;
  EXPECT_NEAR(c.r, want.r, 1e-6f) << what << " " << std::hex << want.argb;
  EXPECT_NEAR(c.g, want.g, 1e-6f) << what << " " << std::hex << want.argb;
  EXPECT_NEAR(c.b, want.b, 1e-6f) << what << " " << std::hex << want.argb;
}

class LightSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    table_.SetBrightnessLimits(0.0f, 1000.0f);
    light_ = table_.CreatePointLight({0.0f, 100.0f, 0.0f}, CColour{1, 1, 1, 1}, CColour{0, 0, 0, 1}, 500.0f, "lamp", 3);
    ASSERT_EQ(light_, 3);
  }
  void TearDown() override { CLightTable::ClearActive(); }
  CLightTable table_{8};
  int light_ = -1;
};

TEST_F(LightSlots, ArgbWordsBecomeFourFloats) {
  constexpr float k = 1.0f / 255.0f;
  const ArgbCase cases[] = {
      {0xFFFFFFFFu, 1.0f, 1.0f, 1.0f, 1.0f},
      {0x00000000u, 0.0f, 0.0f, 0.0f, 0.0f},
      {0x80FF4000u, 128 * k, 1.0f, 64 * k, 0.0f},
      {0x01020304u, 1 * k, 2 * k, 3 * k, 4 * k},
  };
  for (const ArgbCase& c : cases) {
    Lights.LightSetAmbient(light_, c.argb, 0);
    ExpectColour(table_.GetLight(light_)->StoredAmbient, c, "ambient");
    Lights.LightSetDiffuse(light_, c.argb, 0);
    ExpectColour(table_.GetLight(light_)->StoredDiffuse, c, "diffuse");
    Lights.LightSetColours(light_, static_cast<std::int32_t>(c.argb), static_cast<std::int32_t>(~c.argb), -5);
    ExpectColour(table_.GetLight(light_)->StoredAmbient, c, "both, ambient");
  }
}

TEST_F(LightSlots, SwitchingAndUnknownLights) {
  EXPECT_EQ(Lights.LightIsEnabled(light_), 1);
  Lights.LightDisable(light_);
  EXPECT_EQ(Lights.LightIsEnabled(light_), 0);
  Lights.LightEnable(light_);
  EXPECT_EQ(Lights.LightIsEnabled(light_), 1);
  const CColour before = table_.GetLight(light_)->StoredDiffuse;
  for (std::int32_t bad : {-1, 2, 8, 255, 100000}) {
    Lights.LightDisable(bad);
    Lights.LightSetDiffuse(bad, 0xFF123456u, 0);
    Lights.LightSetAmbient(bad, 0xFF123456u, 0);
    Lights.LightSetColours(bad, 0, 0, 0);
    EXPECT_EQ(Lights.LightIsEnabled(bad), 0) << bad;
  }
  EXPECT_EQ(Lights.LightIsEnabled(light_), 1);
  EXPECT_EQ(table_.GetLight(light_)->StoredDiffuse.r, before.r);
  CLightTable::ClearActive();
}

}  // namespace
