// The render object over the Direct3D stand-in: start-up, clearing and
// presenting, and 2D quads drawn in blend modes, read back as pixels.
#include <algorithm>
#include <cstdlib>

#include "render/render_fixture.h"

namespace {

using RenderDevice = RenderDeviceTest;

int Channel(DWORD c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

void ExpectColourNear(DWORD actual, DWORD expected, int tolerance, const char* what) {
  for (int shift : {16, 8, 0})
    EXPECT_LE(std::abs(Channel(actual, shift) - Channel(expected, shift)), tolerance)
        << what << std::hex << ": got 0x" << actual << ", want 0x" << expected;
}

TEST_F(RenderDevice, StartsWithTheChosenModeAndPublishesItself) {
  EXPECT_TRUE(s_Render->IsDeviceCreated());
  EXPECT_TRUE(s_Render->IsDeviceReady());
  EXPECT_EQ(g_Render, s_Render);
  EXPECT_EQ(g_Device, s_Render->GetDevice());
  EXPECT_EQ(g_DeviceCaps, &s_Render->GetCaps());
  EXPECT_EQ(s_Render->GetModeWidth(), 800u);
  EXPECT_EQ(s_Render->GetModeHeight(), 600u);
  EXPECT_EQ(s_Render->GetBackBufferDesc().Width, 800u);
  EXPECT_EQ(s_Render->GetWindowed(), 1u);
  // The stand-in offers no shaders: both majors are -1 and every query fails.
  EXPECT_EQ(s_Render->GetVertexShaderMajor(), -1);
  EXPECT_FALSE(s_Render->SupportsVertexShader(0, 0, 0));
  EXPECT_FALSE(s_Render->SupportsPixelShader(0, 0));
  EXPECT_EQ(s_Render->GetRenderOptions() & (RENDER_OPTION_VERTEX_SHADERS | RENDER_OPTION_PIXEL_SHADERS), 0u);
  EXPECT_NE(s_Render->GetAdapterDescription()[0], '\0');
  EXPECT_EQ(s_Render->GetViewport()->Width, 800u);
  EXPECT_EQ(s_Render->GetViewport()->Height, 600u);
}

TEST_F(RenderDevice, ClearsToTheClearColourAndPresents) {
  const DWORD colours[] = {0xFF336699, 0xFFFF0000, 0xFF00FF00};
  for (DWORD colour : colours) {
    s_Render->SetClearColour(colour);
    s_Render->Clear(1);
    EXPECT_EQ(D3D8TestReadPixel(g_Device, 10, 10), colour);
    EXPECT_EQ(D3D8TestReadPixel(g_Device, 799, 599), colour);
  }
  Record();
  s_Render->Present();
  EXPECT_EQ(Calls("Present").size(), 1u);
  // Clearing depth only leaves the target alone.
  s_Render->Clear(0);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 10, 10), colours[2]);
}

// A quad over a known background in a blend mode, alpha blending on, a
// texture of known colour on stage 0: the pixel is what the mode defines.
TEST_F(RenderDevice, QuadBlendsAsTheModeDefines) {
  struct Case {
    int mode;
    DWORD background, vertex, texel, expected;
    const char* what;
  };
  // Factors: src = texture x diffuse; alpha as each mode takes it.
  const Case cases[] = {
      // 3: alpha = texel a x vertex a = 1 x 0.5 -> half red over blue.
      {3, 0xFF0000FF, 0x80FF0000, 0xFFFFFFFF, 0xFF80007F, "mode 3, modulated alpha"},
      // 1: alpha from the texture only (0.25), vertex alpha ignored.
      {1, 0xFF0000FF, 0xFFFF0000, 0x40FFFFFF, 0xFF4000BF, "mode 1, texture alpha"},
      // 12: additive, src x alpha + dest.
      {12, 0xFF0000FF, 0x80FF0000, 0xFFFFFFFF, 0xFF8000FF, "mode 12, additive"},
      // 5: dest x (1 - src colour): red removes red from white.
      {5, 0xFFFFFFFF, 0xFFFF0000, 0xFFFFFFFF, 0xFF00FFFF, "mode 5, darken"},
      // 6: texture colour only, texture alpha (opaque): the texel replaces the background.
      {6, 0xFF0000FF, 0xFF000000, 0xFF00FF00, 0xFF00FF00, "mode 6, texture only"},
      // 24 without the temporary argument behaves as mode 3.
      {24, 0xFF0000FF, 0x80FF0000, 0xFFFFFFFF, 0xFF80007F, "mode 24 as mode 3"},
  };
  for (const Case& c : cases) {
    IDirect3DTexture8* texture = MakeSolidTexture(c.texel);
    ASSERT_NE(texture, nullptr);
    s_Render->SetClearColour(c.background);
    s_Render->Clear(1);
    s_Render->BeginScene();
    s_Render->SetBlendMode(c.mode);
    s_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 1);
    s_Render->SetZEnable(0);
    s_Render->SetLighting(0);
    s_Render->SetTexture(0, texture);
    s_Render->SetVertexFormat(kFvfScreen);
    ScreenVertex quad[4];
    MakeScreenQuad(quad, 100, 100, 200, 150, c.vertex);
    EXPECT_EQ(s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex)), D3D_OK);
    s_Render->EndScene();
    ExpectColourNear(D3D8TestReadPixel(g_Device, 200, 170), c.expected, 3, c.what);
    ExpectColourNear(D3D8TestReadPixel(g_Device, 50, 50), c.background, 0, "outside the quad");
    s_Render->SetTexture(0, nullptr);
    texture->Release();
  }
  s_Render->SetRenderStateCached(D3DRS_ALPHABLENDENABLE, 0);
  s_Render->SetZEnable(1);
  s_Render->SetBlendMode(2);
}

TEST_F(RenderDevice, TwoDAdjustmentsScaleAboutTheViewportCentre) {
  // Scale 2 doubles the distance from (400, 300): a 20 x 20 quad at the
  // centre covers 40 x 40 on screen.
  s_Render->SetClearColour(0xFF000000);
  s_Render->Clear(1);
  s_Render->SetBlendMode(13);  // vertex colour, opaque
  s_Render->SetZEnable(0);
  s_Render->SetVertexFormat(kFvfScreen);
  s_Render->Set2DScale(2.0f);
  ScreenVertex quad[4];
  MakeScreenQuad(quad, 390, 290, 20, 20, 0xFFFFFFFF);
  const ScreenVertex original = quad[0];
  s_Render->BeginScene();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  s_Render->EndScene();
  s_Render->Set2DScale(1.0f);
  EXPECT_EQ(quad[0].x, original.x) << "the caller's vertices are left as they were";
  EXPECT_NE(D3D8TestReadPixel(g_Device, 385, 285), 0xFF000000u);  // inside the scaled quad only
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 375, 275), 0xFF000000u);
  s_Render->SetZEnable(1);
  s_Render->SetBlendMode(2);
}

}  // namespace
