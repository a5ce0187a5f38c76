// The render-state cache, blend modes, fog and switches, seen through the
// stand-in's call log and device states.
#include <cmath>
#include <cstring>

#include "render/render_fixture.h"

namespace {

using RenderStates = RenderDeviceTest;

float AsFloat(DWORD d) {
  float f;
  std::memcpy(&f, &d, sizeof(f));
  return f;
}

TEST_F(RenderStates, UnchangedStateIsNotSentAgain) {
  s_Render->SetCullMode(D3DCULL_CCW);
  Record();
  EXPECT_EQ(s_Render->SetCullMode(D3DCULL_CW), static_cast<DWORD>(D3DCULL_CCW));  // previous value
  EXPECT_EQ(s_Render->SetCullMode(D3DCULL_CW), static_cast<DWORD>(D3DCULL_CW));   // unchanged: the value
  EXPECT_EQ(s_Render->SetCullMode(D3DCULL_CW), static_cast<DWORD>(D3DCULL_CW));
  const auto sets = Calls("SetRenderState");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0].args[0], static_cast<std::uint64_t>(D3DRS_CULLMODE));
  EXPECT_EQ(sets[0].args[1], static_cast<std::uint64_t>(D3DCULL_CW));
  EXPECT_EQ(DeviceState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
  EXPECT_EQ(s_Render->GetCullMode(), static_cast<DWORD>(D3DCULL_CW));
  s_Render->SetCullMode(D3DCULL_CCW);
}

TEST_F(RenderStates, StatesBeyondTheCacheAlwaysGoToTheDevice) {
  Record();
  const auto beyond = static_cast<D3DRENDERSTATETYPE>(kRenderStateCount + 3);
  EXPECT_EQ(s_Render->SetRenderStateCached(beyond, 5), 5u);
  s_Render->SetRenderStateCached(beyond, 5);
  EXPECT_EQ(Calls("SetRenderState").size(), 2u);
}

TEST_F(RenderStates, SameBlendModeSendsNothing) {
  s_Render->SetBlendMode(3);
  Record();
  EXPECT_EQ(s_Render->SetBlendMode(3), 3);
  EXPECT_TRUE(D3D8TestCalls(g_Device).empty());
  EXPECT_EQ(s_Render->SetBlendMode(12), 3);
  EXPECT_FALSE(Calls("SetTextureStageState").empty());
  EXPECT_EQ(s_Render->GetBlendMode(), 12);
  s_Render->SetBlendMode(2);
}

TEST_F(RenderStates, Mode24WithoutTemporaryArgumentLeavesTheDeviceAsMode3) {
  ASSERT_EQ(s_Render->GetFeatureFlags() & DFF_TEMP_ARGUMENT, 0u) << "the stand-in offers no temporary argument";
  const D3DTEXTURESTAGESTATETYPE kStageStates[] = {D3DTSS_COLOROP, D3DTSS_COLORARG1, D3DTSS_COLORARG2,
                                                   D3DTSS_ALPHAOP, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
  auto snapshot = [&]() {
    std::vector<DWORD> v;
    for (DWORD stage = 0; stage < 3; ++stage)
      for (auto t : kStageStates) v.push_back(StageState(stage, t));
    for (auto rs : {D3DRS_SRCBLEND, D3DRS_DESTBLEND, D3DRS_SPECULARENABLE, D3DRS_STENCILPASS, D3DRS_STENCILZFAIL})
      v.push_back(DeviceState(rs));
    return v;
  };
  s_Render->SetBlendMode(20);
  s_Render->SetBlendMode(3);
  const auto asMode3 = snapshot();
  s_Render->SetBlendMode(20);
  s_Render->SetBlendMode(24);
  EXPECT_EQ(snapshot(), asMode3);
  EXPECT_EQ(s_Render->GetBlendMode(), 24);
  s_Render->SetBlendMode(2);
}

TEST_F(RenderStates, BlendModesSetTheirFactorsAndStages) {
  struct Case {
    int mode;
    DWORD src, dest;
    DWORD colourOp0, colourArg1, alphaOp0, colourOp1;
  };
  const Case cases[] = {
      {1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTOP_DISABLE},
      {2, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_DISABLE, D3DTOP_DISABLE},
      {4, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTOP_DISABLE},
      {5, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTOP_DISABLE},
      {7, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTOP_DISABLE},
      {13, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTOP_DISABLE},
      {15, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_COMPLEMENT,
       D3DTOP_SELECTARG2, D3DTOP_MODULATE},
      {16, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG2,
       D3DTOP_BLENDDIFFUSEALPHA},
      {17, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_SELECTARG2, D3DTOP_ADD},
      {18, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_MODULATE,
       D3DTOP_BLENDFACTORALPHA},
      {20, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_MODULATE,
       D3DTOP_MODULATE2X},
      {22, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_MODULATE,
       D3DTOP_SUBTRACT},
      {25, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTOP_MODULATE, D3DTOP_DISABLE},
  };
  for (const Case& c : cases) {
    s_Render->SetBlendMode(c.mode);
    EXPECT_EQ(DeviceState(D3DRS_SRCBLEND), c.src) << c.mode;
    EXPECT_EQ(DeviceState(D3DRS_DESTBLEND), c.dest) << c.mode;
    EXPECT_EQ(StageState(0, D3DTSS_COLOROP), c.colourOp0) << c.mode;
    EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), c.colourArg1) << c.mode;
    EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), c.alphaOp0) << c.mode;
    EXPECT_EQ(StageState(1, D3DTSS_COLOROP), c.colourOp1) << c.mode;
  }
  // The stencil passes: 8 marks, 9 increments on front faces, 10 then decrements on back faces.
  s_Render->SetBlendMode(8);
  EXPECT_EQ(DeviceState(D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_REPLACE));
  EXPECT_EQ(DeviceState(D3DRS_STENCILZFAIL), static_cast<DWORD>(D3DSTENCILOP_ZERO));
  EXPECT_EQ(DeviceState(D3DRS_ZWRITEENABLE), 0u);
  s_Render->SetBlendMode(9);
  EXPECT_EQ(DeviceState(D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_INCRSAT));
  s_Render->SetBlendMode(10);
  EXPECT_EQ(DeviceState(D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_DECRSAT));
  EXPECT_EQ(DeviceState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CW));
  EXPECT_EQ(DeviceState(D3DRS_STENCILREF), 0u);
  // Modes without states of their own set only the common part, and are still current.
  for (int mode : {23, 0, 26, -4}) {
    s_Render->SetBlendMode(mode);
    EXPECT_EQ(s_Render->GetBlendMode(), mode);
    EXPECT_EQ(DeviceState(D3DRS_STENCILPASS), static_cast<DWORD>(D3DSTENCILOP_KEEP));
  }
  s_Render->SetZWrite(1);
  s_Render->SetStencilEnable(0);
  s_Render->SetCullMode(D3DCULL_CCW);
  s_Render->SetShadeMode(D3DSHADE_GOURAUD);
  s_Render->SetBlendMode(2);
}

TEST_F(RenderStates, TextureCacheAndTexturingSwitch) {
  IDirect3DTexture8* texture = MakeSolidTexture(0xFFFFFFFF);
  ASSERT_NE(texture, nullptr);
  s_Render->SetTexture(0, nullptr);
  Record();
  s_Render->SetTexture(0, texture);
  s_Render->SetTexture(0, texture);
  EXPECT_EQ(Calls("SetTexture").size(), 1u);
  s_Render->BeginScene();  // forgets the stage cache
  s_Render->SetTexture(0, texture);
  s_Render->EndScene();
  EXPECT_EQ(Calls("SetTexture").size(), 2u);

  s_Render->SetTexturing(0);  // unbinds stage 0
  EXPECT_EQ(Calls("SetTexture").size(), 3u);
  s_Render->SetTexture(1, texture);  // off: neither bound nor cached
  EXPECT_EQ(Calls("SetTexture").size(), 3u);
  s_Render->SetTexturing(1);
  s_Render->SetTexture(1, texture);
  EXPECT_EQ(Calls("SetTexture").size(), 4u);
  s_Render->SetTexture(1, nullptr);
  s_Render->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(RenderStates, FiltersAddressingAndSwitches) {
  s_Render->SetBilinearFilter(1);
  Record();
  EXPECT_EQ(s_Render->SetBilinearFilter(1), 1u);
  EXPECT_TRUE(Calls("SetTextureStageState").empty());
  EXPECT_EQ(s_Render->SetBilinearFilter(0), 1u);
  EXPECT_EQ(Calls("SetTextureStageState").size(), 4u);
  EXPECT_EQ(StageState(1, D3DTSS_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
  s_Render->SetBilinearFilter(1);

  s_Render->SetMipmapping(0);
  EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_NONE));
  s_Render->SetMipmapping(1);
  EXPECT_EQ(StageState(1, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));

  s_Render->SetTextureClampU(1);
  EXPECT_EQ(StageState(1, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  s_Render->SetTextureClampU(7);  // nothing
  EXPECT_EQ(StageState(0, D3DTSS_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  s_Render->SetTextureClampU(0);
  EXPECT_EQ(s_Render->SetStageClampV(2, 1), 1u);
  EXPECT_EQ(StageState(2, D3DTSS_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  EXPECT_EQ(s_Render->SetStageClampV(2, 5), 4u);
  s_Render->SetStageClampV(2, 0);

  EXPECT_EQ(s_Render->SetNoOpState(77), 1u);
  EXPECT_EQ(s_Render->SetSolidFill(0), static_cast<DWORD>(D3DFILL_SOLID));
  EXPECT_FALSE(s_Render->IsSolidFill());
  s_Render->SetSolidFill(1);
  EXPECT_TRUE(s_Render->IsSolidFill());

  s_Render->SetAlphaTest(1, 0x80);  // the stand-in has the greater-or-equal compare
  EXPECT_EQ(DeviceState(D3DRS_ALPHAREF), 0x80u);
  EXPECT_EQ(DeviceState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
  EXPECT_EQ(s_Render->GetAlphaTest(), 1u);
  s_Render->SetAlphaTest(0, 0);
}

TEST_F(RenderStates, FogTakesTheTablePathAndKeepsItsFactors) {
  ASSERT_NE(s_Render->GetFeatureFlags() & DFF_TABLE_FOG, 0u);
  s_Render->SetFog(0xFF102030, 100.0f, 400.0f, 0.5f);
  EXPECT_EQ(DeviceState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_LINEAR));
  EXPECT_EQ(DeviceState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_NONE));
  EXPECT_EQ(DeviceState(D3DRS_FOGCOLOR), 0xFF102030u);
  EXPECT_EQ(AsFloat(DeviceState(D3DRS_FOGEND)), 400.0f);
  EXPECT_FLOAT_EQ(s_Render->GetFogStartRatio(), 0.25f);
  EXPECT_FLOAT_EQ(s_Render->GetFogScale(), 1.0f / 0.75f);
  s_Render->SetFogEnd(200.0f);
  EXPECT_FLOAT_EQ(s_Render->GetFogStartRatio(), 0.5f);
  EXPECT_FLOAT_EQ(s_Render->GetFogScale(), 2.0f);
  DWORD colour;
  float start, end, density;
  s_Render->GetFog(&colour, &start, &end, &density);
  EXPECT_EQ(colour, 0xFF102030u);
  EXPECT_EQ(end, 200.0f);
  EXPECT_EQ(density, 0.5f);
}

TEST_F(RenderStates, FogWithoutARampHasFiniteFactors) {
  struct Case {
    float start, end;
  };
  const Case cases[] = {{100.0f, 100.0f}, {0.0f, 0.0f}, {50.0f, 0.0f}};
  for (const Case& c : cases) {
    Record();
    s_Render->SetFogValues(0, c.start, c.end, 1.0f);
    EXPECT_TRUE(D3D8TestCalls(g_Device).empty()) << "SetFogValues sets nothing on the device";
    EXPECT_TRUE(std::isfinite(s_Render->GetFogStartRatio()));
    EXPECT_TRUE(std::isfinite(s_Render->GetFogScale()));
  }
}

TEST_F(RenderStates, PalettesAreNumberedAndMadeOpaque) {
  s_Render->ResetPalettes();
  PALETTEENTRY entries[256] = {};
  EXPECT_EQ(s_Render->AddPalette(entries), 0u);
  EXPECT_EQ(entries[255].peFlags, 0xFF);
  EXPECT_EQ(s_Render->AddPalette(entries), 1u);
  s_Render->ResetPalettes();
}

}  // namespace
