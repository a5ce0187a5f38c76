// Full-screen pictures and the loading bar: the fade's alphas and the number
// of draws read back from the device's call log, the waits through the sleep
// hook, the scratch heap's mark, and the pulse.
#include "shell/level/loading_screens.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/memory/linear_buffer.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/clocks.h"
#include "render/device/render.h"
#include "shell/global_heap.h"
#include "shell/level/level_root_fixture.h"

namespace {

std::vector<DWORD> g_sleeps;

class LoadingScreens : public LevelStart {
 protected:
  void SetUp() override {
    LevelStart::SetUp();
    ASSERT_EQ(Start(""), 1);
    g_sleeps.clear();
    SetSleepHook([](DWORD ms, void*) { g_sleeps.push_back(ms); }, nullptr);
  }
  void TearDown() override {
    SetSleepHook(nullptr, nullptr);
    LevelStart::TearDown();
  }
  // The alpha of each present's first picture draw (-1 when it drew none).
  static std::vector<int> AlphasByPresent(IDirect3DDevice8* device) {
    std::vector<int> alphas;
    int current = -1;
    for (const D3D8Call& call : D3D8TestCalls(device)) {
      if (call.method == "Present") {
        alphas.push_back(current);
        current = -1;
      } else if (call.method == "DrawPrimitiveUP" && current < 0 && call.data.size() >= 20) {
        std::uint32_t colour;
        std::memcpy(&colour, call.data.data() + 16, 4);  // the first vertex's diffuse colour
        current = static_cast<int>(colour >> 24);
      }
    }
    return alphas;
  }
};

TEST_F(LoadingScreens, AFadeDrawsTheSquareOfTheRampOnBothBuffers) {
  IDirect3DDevice8* device = g_Render->GetDevice();
  const std::uint32_t used = g_GlobalHeap->GetUsed();
  D3D8TestRecordCalls(device, true);
  ShowFullScreenImage("DefLoad.bmp", 250, true, true);
  const std::vector<int> alphas = AlphasByPresent(device);
  D3D8TestRecordCalls(device, false);
  ASSERT_EQ(alphas.size(), 2u * 401u);
  for (int k = 0; k <= 400; ++k) {
    const float a = static_cast<float>(k) * 0.0025f;
    const int expected = static_cast<int>(a * a * 255.0f);
    EXPECT_EQ(alphas[2 * k], expected) << k;
    EXPECT_EQ(alphas[2 * k + 1], expected) << k;
  }
  EXPECT_EQ(g_sleeps, (std::vector<DWORD>{250}));
  EXPECT_EQ(g_GlobalHeap->GetUsed(), used);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(LoadingScreens, WithoutAFadeThePictureIsDrawn400TimesAndTwentyMoreUnlessKept) {
  const struct {
    bool keep;
    int presents;
  } cases[] = {{true, 2 * 400}, {false, 2 * 420}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keep);
    const int before = LoadingScreenPresents();
    ShowFullScreenImage("DefLoad.bmp", 0, false, c.keep);
    EXPECT_EQ(LoadingScreenPresents() - before, c.presents);
  }
}

TEST_F(LoadingScreens, TheLoadingScreenIsTheDefaultPictureOnBothBuffers) {
  IDirect3DDevice8* device = g_Render->GetDevice();
  D3D8TestRecordCalls(device, true);
  ShowLoadingScreen(nullptr);
  const std::vector<int> alphas = AlphasByPresent(device);
  D3D8TestRecordCalls(device, false);
  EXPECT_EQ(alphas, (std::vector<int>{255, 255}));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(LoadingScreens, TheProgressPulseFallsEvery300Milliseconds) {
  const struct {
    std::uint32_t ms;
    float pulse;
  } cases[] = {{0, 2.0f}, {150, 1.0f}, {299, 2.0f - 299 * 0.006666667f}, {300, 2.0f}, {1050, 1.0f}};
  for (const auto& c : cases) EXPECT_NEAR(LoadingPulse(c.ms), c.pulse, 1e-5f) << c.ms;
}

}  // namespace
