// Paths that depend on what the chosen device can do: the device callback
// changes the feature flags of the listed device before it is created.
#include "render/render_fixture.h"

namespace {

DWORD g_AddFlags = 0;
DWORD g_ClearFlags = 0;

int ChangeFlags(CRender* render, HINSTANCE, HWND, int) {
  AdapterInfo& adapter = render->m_Adapters[render->m_CurrentAdapter];
  DeviceInfo& device = adapter.Devices[adapter.CurrentDevice];
  device.FeatureFlags = (device.FeatureFlags | g_AddFlags) & ~g_ClearFlags;
  return 1;
}

// A render object whose device has the flags changed as asked.
class FeatureDevice : public ::testing::Test {
 protected:
  void Start(DWORD add, DWORD clear) {
    g_AddFlags = add;
    g_ClearFlags = clear;
    window_ = CreateTestWindow();
    ASSERT_NE(window_, nullptr);
    render_ = new CRender;
    ASSERT_TRUE(render_->Initialise(nullptr, window_, ChangeFlags, 1));
  }
  void TearDown() override {
    delete render_;
    DestroyTestWindow(window_);
  }
  CRender* render_ = nullptr;
  HWND window_ = nullptr;
};

TEST_F(FeatureDevice, TemporaryArgumentModesUseTheTextureFactor) {
  Start(DFF_TEMP_ARGUMENT, 0);
  ASSERT_NE(render_->GetFeatureFlags() & DFF_TEMP_ARGUMENT, 0u);
  render_->SetBlendMode(24);
  EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(StageState(1, D3DTSS_COLORARG1), D3DTA_TFACTOR);
  EXPECT_EQ(StageState(1, D3DTSS_ALPHAARG1), D3DTA_TFACTOR);
  EXPECT_EQ(StageState(2, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
  EXPECT_EQ(DeviceState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
  render_->SetBlendMode(25);
  EXPECT_EQ(StageState(1, D3DTSS_COLORARG1), D3DTA_TFACTOR);
  EXPECT_EQ(DeviceState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));

  // With more than two textures at once the three-stage forms are taken.
  ASSERT_GT(render_->GetCaps().MaxSimultaneousTextures, 2u);
  render_->SetBlendMode(21);
  EXPECT_EQ(StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_ADD));
  EXPECT_EQ(StageState(2, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(StageState(2, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_MODULATE));
  render_->SetBlendMode(22);
  EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SUBTRACT));
  render_->SetBlendMode(18);
  EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_BLENDFACTORALPHA));
  EXPECT_EQ(StageState(2, D3DTSS_COLORARG1), D3DTA_CURRENT);
  EXPECT_EQ(StageState(2, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
}

TEST_F(FeatureDevice, VertexFogWhenThereIsNoTableFog) {
  Start(0, DFF_TABLE_FOG);
  D3D8TestRecordCalls(g_Device, true);
  render_->SetFog(0xFF808080, 10.0f, 50.0f, 1.0f);
  // The vertex path passes through table fog on its way and ends with linear vertex fog.
  EXPECT_EQ(DeviceState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_LINEAR));
  EXPECT_EQ(DeviceState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_NONE));
  EXPECT_EQ(DeviceState(D3DRS_FOGCOLOR), 0xFF808080u);
  int fogModeSets = 0;
  for (const D3D8Call& c : D3D8TestCallsNamed(g_Device, "SetRenderState"))
    fogModeSets += c.args[0] == static_cast<std::uint64_t>(D3DRS_FOGVERTEXMODE) ||
                   c.args[0] == static_cast<std::uint64_t>(D3DRS_FOGTABLEMODE);
  EXPECT_EQ(fogModeSets, 4);
  D3D8TestRecordCalls(g_Device, false);
}

TEST_F(FeatureDevice, NoFogStatesWithoutTableOrVertexFog) {
  Start(0, DFF_TABLE_FOG | DFF_VERTEX_FOG);
  D3D8TestRecordCalls(g_Device, true);
  render_->SetFog(0xFF808080, 10.0f, 50.0f, 1.0f);
  EXPECT_TRUE(D3D8TestCalls(g_Device).empty());
  EXPECT_FLOAT_EQ(render_->GetFogStartRatio(), 0.2f);
  EXPECT_FLOAT_EQ(render_->GetFogScale(), 1.25f);
  D3D8TestRecordCalls(g_Device, false);
}

TEST_F(FeatureDevice, RenderOptionsFollowTheFeatures) {
  Start(0, DFF_CUBE_MAPS);
  ASSERT_NE(render_->GetFeatureFlags() & DFF_MULTITEXTURE, 0u);
  EXPECT_EQ(render_->GetRenderOptions() & (RENDER_OPTION_0 | RENDER_OPTION_1 | RENDER_OPTION_2),
            static_cast<DWORD>(RENDER_OPTION_0 | RENDER_OPTION_2));
  EXPECT_EQ(g_RenderSwitches[0], 1u);
  EXPECT_EQ(g_RenderSwitches[1], 0u);
  EXPECT_EQ(g_DetailSwitch, 1u);
  // The stand-in's depth formats: the stencil one is preferred, so option 3 stays.
  EXPECT_EQ(render_->GetStencilBits(), 8u);
  EXPECT_NE(render_->GetRenderOptions() & RENDER_OPTION_STENCIL, 0u);
}

TEST_F(FeatureDevice, NoWireframeKeepsSolidFill) {
  Start(0, DFF_WIREFRAME);
  render_->SetSolidFill(0);
  EXPECT_TRUE(render_->IsSolidFill());
}

}  // namespace
