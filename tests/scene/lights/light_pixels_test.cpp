// Lights from the table on the real device: a lit grid read back in pixels
// shows the point light's attenuation, the spot light's cone edge and that a
// ninth light reaching an instance is not enabled.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "render/geometry/render_vertex.h"
#include "render/render_fixture.h"
#include "scene/lights/light_table.h"

namespace {

// A flat grid of n x n cells over the whole screen (all transforms identity:
// x, y in [-1, 1], z 0.5), facing the eye (normal -z), white.
class LitGrid : public RenderDeviceTest {
 protected:
  void Draw(int n) {
    std::vector<RenderVertex> v;
    std::vector<std::uint16_t> index;
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i)
        v.push_back({-1.0f + 2.0f * i / n, -1.0f + 2.0f * j / n, 0.5f, 0, 0, -1, 0xFFFFFFFF, 0, 0});
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        const auto a = static_cast<std::uint16_t>(j * (n + 1) + i);
        const auto b = static_cast<std::uint16_t>(a + 1), c = static_cast<std::uint16_t>(a + n + 1),
                   d = static_cast<std::uint16_t>(a + n + 2);
        index.insert(index.end(), {a, b, d, a, d, c});
      }
    CMatrix identity;
    identity.SetIdentity();
    s_Render->SetWorldMatrix(identity);
    s_Render->SetViewMatrix(identity);
    s_Render->SetProjectionMatrix(identity);
    s_Render->SetClearColour(0xFF000000);
    s_Render->Clear(1);
    s_Render->BeginScene();
    s_Render->SetBlendMode(13);
    s_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 0);
    s_Render->SetZEnable(0);
    s_Render->SetCullMode(D3DCULL_NONE);
    s_Render->SetTexture(0, nullptr);
    s_Render->SetAmbient(0);
    s_Render->SetLighting(1);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    s_Render->SetMaterial(&material);
    s_Render->SetVertexFormat(kFvfMesh);
    EXPECT_EQ(s_Render->DrawIndexedListUP(static_cast<DWORD>(index.size() / 3), static_cast<DWORD>(v.size()),
                                          v.data(), index.data(), sizeof(RenderVertex)),
              D3D_OK);
    s_Render->EndScene();
    s_Render->SetLighting(0);
    s_Render->SetCullMode(D3DCULL_CCW);
    s_Render->SetZEnable(1);
  }
  void TearDown() override { CLightTable::ClearActive(); }
};

int Channel(D3DCOLOR c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
// Pixel of a grid point: x to 0..800 (left to right), y to 0..600 (top down).
D3DCOLOR At(float x, float y) {
  return D3D8TestReadPixel(g_Device, static_cast<int>((x + 1) * 400), static_cast<int>((1 - y) * 300));
}

TEST_F(LitGrid, PointLightFallsOffAsItsAttenuationSays) {
  // Brightness at p: (N.L / |L|) / (a0 + a1 d + a2 d^2) for the light h in front of the grid.
  const struct {
    float a0, a1, a2;
  } cases[] = {{1.0f, 0.0f, 8.0f}, {0.5f, 2.0f, 0.0f}};
  for (const auto& c : cases) {
    CLightTable table(4);
    const float h = 0.25f;
    const int i = table.CreatePointLight({0.0f, 0.0f, 0.5f - h}, CColour{1, 1, 1, 1}, CColour{0, 0, 0, 1}, 10.0f,
                                         "p", 255);
    table.GetLight(i)->Light.Attenuation0 = c.a0;
    table.GetLight(i)->Light.Attenuation1 = c.a1;
    table.GetLight(i)->Light.Attenuation2 = c.a2;
    table.ResendAll();
    ASSERT_EQ(table.SelectLightsForSphere({0, 0, 0.5f}, 2.0f), 1);
    Draw(32);
    for (int k = 0; k < 16; ++k) {
      const float x = k / 16.0f;  // grid points along the middle row
      const float d = std::sqrt(x * x + h * h);
      const float want = std::min(1.0f, (h / d) / (c.a0 + c.a1 * d + c.a2 * d * d)) * 255.0f;
      const D3DCOLOR got = At(x, 0.0f);
      EXPECT_NEAR(Channel(got, 16), want, 5.0f) << "x " << x << " a " << c.a0 << " " << c.a1 << " " << c.a2;
      EXPECT_NEAR(Channel(got, 0), want, 5.0f) << x;
    }
    CLightTable::ClearActive();
  }
}

TEST_F(LitGrid, SpotLightConeEdgeFallsAtItsOuterAngle) {
  // The spot h in front of the grid, looking at it: the lit disc's edge lies
  // at radius h x tan(outer / 2).
  const float h = 0.4f;
  const int n = 64;
  const float stepPixels = 2.0f / n * 400.0f;
  for (const float outer : {60.0f, 90.0f}) {
    CLightTable table(4);
    const int i = table.CreateSpotLight({0.0f, 0.0f, 0.5f - h}, {0, 0, 0}, CColour{1, 1, 1, 1},
                                        CColour{0, 0, 0, 1}, outer - 20.0f, outer, 10.0f, "s", 255);
    table.SetAttenuation(i, 1.0f, 0.0f, 0.0f);
    ASSERT_NEAR(table.GetLight(i)->Light.Direction.z, 1.0f, 1e-6f);
    ASSERT_EQ(table.SelectLightsForSphere({0, 0, 0.5f}, 2.0f), 1);
    Draw(n);
    const float edge = h * std::tan(outer * 0.5f * 3.14159265f / 180.0f);
    const float edgePixel = 400.0f + edge * 400.0f;
    // Walk right from the centre to the first dark pixel.
    int dark = -1;
    for (int px = 400; px < 800 && dark < 0; ++px)
      if (Channel(D3D8TestReadPixel(g_Device, px, 300), 8) < 8) dark = px;
    ASSERT_GT(dark, 0) << outer;
    EXPECT_NEAR(static_cast<float>(dark), edgePixel, stepPixels + 2.0f) << "outer " << outer;
    EXPECT_GT(Channel(At(0.0f, 0.0f), 8), 200) << "the centre is lit";
    EXPECT_EQ(Channel(At(edge + 0.1f, 0.0f), 8), 0) << "beyond the edge is dark";
    EXPECT_EQ(Channel(At(0.0f, edge + 0.1f), 8), 0) << "in every direction";
    CLightTable::ClearActive();
  }
}

TEST_F(LitGrid, TheNinthLightOfAnInstanceIsNotEnabled) {
  // A green light first (the end of its chain), then dim red ones.  With nine
  // in reach the green one is the ninth and stays dark; with eight it shows.
  for (const int reds : {8, 7}) {
    CLightTable table(16);
    table.CreateDirectionalLight({}, {0, 0, 0}, CColour{0, 1, 0, 1}, CColour{0, 0, 0, 1}, "green", 255);
    for (int k = 0; k < reds; ++k)
      table.CreateDirectionalLight({}, {0, 0, 0}, CColour{0.1f, 0, 0, 1}, CColour{0, 0, 0, 1}, "red", 255);
    EXPECT_EQ(table.SelectLightsForSphere({0, 0, 0.5f}, 1.0f), std::min(8, reds + 1));
    Draw(4);
    const D3DCOLOR c = At(0.0f, 0.0f);
    EXPECT_NEAR(Channel(c, 16), 25.5f * reds, 3.0f) << reds;
    if (reds == 8)
      EXPECT_EQ(Channel(c, 8), 0) << "the ninth light is not enabled";
    else
      EXPECT_GT(Channel(c, 8), 250) << "the eighth is";
    CLightTable::ClearActive();
  }
}

}  // namespace
