// The frame: device loss and recovery, draws from user memory, 2D adjustments,
// unbinding, viewports, buffers and result names.
#include <cstring>

#include "foundation/maths/fast_trig.h"
#include "foundation/memory/memory_category.h"
#include "platform/d3dx8/d3dx8.h"
#include "render/device/dx_error_name.h"
#include "render/render_fixture.h"
#include "scene/light_table.h"

namespace {

using RenderFrame = RenderDeviceTest;

// The vertices a recorded user-memory draw handed to the device.
std::vector<ScreenVertex> DrawnVertices(const D3D8Call& draw, size_t count) {
  std::vector<ScreenVertex> v(count);
  EXPECT_GE(draw.data.size(), count * sizeof(ScreenVertex));
  if (draw.data.size() >= count * sizeof(ScreenVertex)) std::memcpy(v.data(), draw.data.data(), count * sizeof(ScreenVertex));
  return v;
}

TEST_F(RenderFrame, LostDeviceSkipsFramesThenRecoversWithStatesResent) {
  LightRecord lights[2] = {};
  lights[0].Flags = kLightOnDevice;
  lights[0].Light.Type = D3DLIGHT_DIRECTIONAL;
  lights[1].Flags = 0;
  CLightTable::Lights = lights;
  CLightTable::Count = 2;

  s_Render->SetBlendMode(2);
  s_Render->SetTextureFactor(0x12345678);
  ASSERT_TRUE(s_Render->CheckDevice());

  D3D8TestLoseDevice(g_Device);
  Record();
  EXPECT_FALSE(s_Render->CheckDevice());
  EXPECT_FALSE(s_Render->CheckDevice());
  ScreenVertex quad[4];
  MakeScreenQuad(quad, 0, 0, 10, 10, 0xFFFFFFFF);
  EXPECT_EQ(s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex)), D3DERR_DEVICELOST);
  for (const std::string& name : CallNames()) EXPECT_EQ(name, "TestCooperativeLevel") << "a lost device is left alone";

  D3D8TestAllowReset(g_Device);
  Record();
  ASSERT_TRUE(s_Render->CheckDevice());
  EXPECT_EQ(Calls("Reset").size(), 1u);
  // The defaults went out again, the blend mode's stages included.
  bool zEnableSent = false;
  for (const D3D8Call& c : Calls("SetRenderState")) zEnableSent |= c.args[0] == static_cast<std::uint64_t>(D3DRS_ZENABLE);
  EXPECT_TRUE(zEnableSent);
  EXPECT_EQ(StageState(0, D3DTSS_ALPHAARG1), D3DTA_DIFFUSE);
  EXPECT_EQ(StageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_DISABLE));
  EXPECT_EQ(s_Render->GetBlendMode(), 2);
  // Only the light marked as on the device is sent again.
  const auto lightsSent = Calls("SetLight");
  ASSERT_EQ(lightsSent.size(), 1u);
  EXPECT_EQ(lightsSent[0].args[0], 0u);
  // A state set before the loss reaches the device once more, then is cached again.
  Record();
  s_Render->SetTextureFactor(0x12345678);
  s_Render->SetTextureFactor(0x12345678);
  EXPECT_EQ(Calls("SetRenderState").size(), 1u);
  // Drawing works again.
  s_Render->SetVertexFormat(kFvfScreen);
  EXPECT_EQ(s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex)), D3D_OK);
  EXPECT_EQ(s_Render->GetBackBufferDesc().Width, 800u);

  CLightTable::Lights = nullptr;
  CLightTable::Count = 0;
}

TEST_F(RenderFrame, TwoDAdjustmentsChangeOnlyScreenVertices) {
  s_Render->SetVertexFormat(kFvfScreen);
  ScreenVertex quad[4];
  MakeScreenQuad(quad, 410, 320, 10, 10, 0xFF8040C0);  // corner 0 is (10, 20) from the centre (400, 300)

  s_Render->Set2DScale(2.0f);
  s_Render->Set2DRedScale(0.5f);
  EXPECT_EQ(s_Render->Get2DAdjustFlags(), 0x1u | 0x4u);
  Record();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  auto draws = Calls("DrawPrimitiveUP");
  ASSERT_EQ(draws.size(), 1u);
  auto drawn = DrawnVertices(draws[0], 4);
  EXPECT_FLOAT_EQ(drawn[0].x, 420.0f);
  EXPECT_FLOAT_EQ(drawn[0].y, 340.0f);
  EXPECT_FLOAT_EQ(drawn[2].x, 440.0f);
  EXPECT_EQ(drawn[0].Diffuse, 0xFF4040C0u);
  EXPECT_EQ(quad[0].x, 410.0f);  // the caller's array is untouched
  EXPECT_EQ(quad[0].Diffuse, 0xFF8040C0u);

  // A quarter turn about the centre: x' = c x + s y, y' = c y - s x, with the
  // table sine and cosine (a quarter turn falls exactly on a table entry).
  s_Render->Set2DScale(1.0f);
  s_Render->Set2DRedScale(1.0f);
  s_Render->Set2DRotation(1.5707964f);
  Record();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  drawn = DrawnVertices(Calls("DrawPrimitiveUP")[0], 4);
  EXPECT_NEAR(drawn[0].x, 400.0f + 20.0f, 1e-3f);
  EXPECT_NEAR(drawn[0].y, 300.0f - 10.0f, 1e-3f);
  s_Render->Set2DRotation(0.5f);
  Record();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  drawn = DrawnVertices(Calls("DrawPrimitiveUP")[0], 4);
  EXPECT_FLOAT_EQ(drawn[0].x, 400.0f + FastCos(0.5f) * 10.0f + FastSin(0.5f) * 20.0f);
  s_Render->Set2DRotation(0.0f);
  EXPECT_EQ(s_Render->Get2DAdjustFlags(), 0u);

  // Other vertex formats and switched-off adjustments pass vertices through.
  s_Render->Set2DScale(3.0f);
  s_Render->m_2DAdjustmentsOn = 0;
  Record();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  EXPECT_FLOAT_EQ(DrawnVertices(Calls("DrawPrimitiveUP")[0], 4)[0].x, 410.0f);
  s_Render->m_2DAdjustmentsOn = 1;
  s_Render->SetVertexFormat(kFvfDebug);
  Record();
  s_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
  EXPECT_FLOAT_EQ(DrawnVertices(Calls("DrawPrimitiveUP")[0], 4)[0].x, 410.0f);
  s_Render->Set2DScale(1.0f);
}

TEST_F(RenderFrame, UnbindAllClearsStreamsIndicesAndTextures) {
  Record();
  s_Render->UnbindAll();
  const std::vector<std::string> expected = {"SetIndices",    "SetStreamSource", "SetStreamSource", "SetStreamSource",
                                             "SetStreamSource", "SetTexture",    "SetTexture",      "SetTexture",
                                             "SetTexture"};
  EXPECT_EQ(CallNames(), expected);  // no shaders on this device: no shader calls
}

TEST_F(RenderFrame, ViewportsAndTheirStack) {
  D3DVIEWPORT8 v;
  MakeViewport(&v, 100, 50, 200, 100, 0.0f, 1.0f);
  s_Render->SetViewport(&v);
  struct Case {
    float x, y;
    bool inside;
  };
  const Case cases[] = {{100, 50, true}, {300, 150, true}, {200, 100, true},
                        {99.9f, 60, false}, {300.1f, 60, false}, {150, 150.5f, false}};
  for (const Case& c : cases) EXPECT_EQ(s_Render->IsPointInViewport(c.x, c.y), c.inside) << c.x << "," << c.y;

  s_Render->InitViewport();  // pushes the main viewport as record 0
  EXPECT_EQ(s_Render->GetViewportRecord(0)->Width, 800u);
  for (int i = 1; i < kViewportStackSize; ++i) EXPECT_TRUE(s_Render->PushViewportRecord(v));
  EXPECT_FALSE(s_Render->PushViewportRecord(v));
  EXPECT_EQ(s_Render->GetViewportRecord(kViewportStackSize), nullptr);
  s_Render->InitViewport();
}

TEST_F(RenderFrame, BuffersAreBookedLockedAndReleasedOnce) {
  const std::uint32_t vbBytes = GetMemoryCategoryBytes(MEMCAT_VERTEX_BUFFER);
  const std::uint32_t ibBytes = GetMemoryCategoryBytes(MEMCAT_INDEX_BUFFER);
  IDirect3DVertexBuffer8* vb = s_Render->CreateVertexBuffer(4, kFvfScreen, sizeof(ScreenVertex));
  ASSERT_NE(vb, nullptr);
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_VERTEX_BUFFER), vbBytes + 4 * sizeof(ScreenVertex));
  IDirect3DIndexBuffer8* ib = s_Render->CreateIndexBuffer(6);
  ASSERT_NE(ib, nullptr);
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_INDEX_BUFFER), ibBytes + 12);

  auto* vertices = static_cast<ScreenVertex*>(LockVertexBuffer(vb));
  ASSERT_NE(vertices, nullptr);
  MakeScreenQuad(vertices, 0, 0, 10, 10, 0xFFFFFFFF);
  UnlockVertexBuffer(vb);
  s_Render->SetVertexFormat(kFvfScreen);
  s_Render->SetStreamSource(vb, sizeof(ScreenVertex));
  EXPECT_EQ(s_Render->DrawTriangleFanVB(2, 0), D3D_OK);

  ReleaseVertexBuffer(&vb);
  EXPECT_EQ(vb, nullptr);
  ReleaseVertexBuffer(&vb);  // a second release does nothing
  ReleaseIndexBuffer(&ib);
  EXPECT_EQ(ib, nullptr);
  EXPECT_EQ(LockVertexBuffer(nullptr), nullptr);
}

TEST_F(RenderFrame, DynamicBuffersBlockAResetUntilReleased) {
  IDirect3DVertexBuffer8* dynamic = s_Render->CreateDynamicVertexBuffer(4, kFvfScreen, sizeof(ScreenVertex));
  ASSERT_NE(dynamic, nullptr);
  D3D8TestLoseDevice(g_Device);
  D3D8TestAllowReset(g_Device);
  // The reset is refused while the default-pool buffer lives: the frame is skipped, not drawn.
  EXPECT_FALSE(s_Render->CheckDevice());
  ReleaseVertexBuffer(&dynamic);
  EXPECT_TRUE(s_Render->CheckDevice());
  s_Render->SetClearColour(0xFF00FF00);
  s_Render->Clear(1);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 5, 5), 0xFF00FF00u);
}

TEST(DXErrorName, NamesKnownCodes) {
  EXPECT_STREQ(DXErrorName(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
  EXPECT_STREQ(DXErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
  EXPECT_STREQ(DXErrorName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
  EXPECT_STREQ(DXErrorName(D3DXERR_INVALIDDATA), "D3DXERR_INVALIDDATA");
  EXPECT_STREQ(DXErrorName(D3DERR_CONFLICTINGRENDERSTATE), "D3DERR_CONFLICTINGRENDERSTATE");
  EXPECT_STREQ(DXErrorName(D3D_OK), "UNKNOWN ERROR");
  EXPECT_STREQ(DXErrorName(static_cast<HRESULT>(0x88761234)), "UNKNOWN ERROR");
}

}  // namespace

namespace {

TEST_F(RenderFrame, SwapChainsDrawIntoTheirWindowAndSurviveAReset) {
  HWND second = CreateTestWindow();
  ASSERT_NE(second, nullptr);
  SwapChainRecord* chain = s_Render->CreateSwapChain(second, 320, 200);
  ASSERT_NE(chain, nullptr);
  EXPECT_EQ(chain->Viewport.Width, 320u);
  EXPECT_EQ(g_SwapChainCount, 1);

  s_Render->SetSwapChainTarget(chain);
  EXPECT_EQ(s_Render->GetViewport(), &chain->Viewport);
  s_Render->SetClearColour(0xFFFFFF00);
  s_Render->Clear(1);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 300, 190), 0xFFFFFF00u);
  s_Render->PresentSwapChain(chain);
  s_Render->SetSwapChainTarget(nullptr);
  EXPECT_EQ(s_Render->GetViewport()->Width, 800u);

  // A reset releases the chain's surfaces first (else it is refused) and makes them again.
  D3D8TestLoseDevice(g_Device);
  D3D8TestAllowReset(g_Device);
  ASSERT_TRUE(s_Render->CheckDevice());
  ASSERT_NE(chain->SwapChain, nullptr);
  ASSERT_NE(chain->DepthStencil, nullptr);
  s_Render->SetSwapChainTarget(chain);
  s_Render->SetClearColour(0xFF00FFFF);
  s_Render->Clear(1);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 10, 10), 0xFF00FFFFu);
  s_Render->SetSwapChainTarget(nullptr);

  // At most four further chains.
  std::vector<SwapChainRecord*> more;
  for (int i = 1; i < kMaxSwapChains; ++i) more.push_back(s_Render->CreateSwapChain(second, 64, 64));
  for (SwapChainRecord* r : more) EXPECT_NE(r, nullptr);
  EXPECT_EQ(s_Render->CreateSwapChain(second, 64, 64), nullptr);

  // The chains are the caller's to free; they must go before the next reset.
  for (int i = 0; i < g_SwapChainCount; ++i) {
    g_SwapChains[i]->DepthStencil->Release();
    g_SwapChains[i]->SwapChain->Release();
    delete g_SwapChains[i];
    g_SwapChains[i] = nullptr;
  }
  g_SwapChainCount = 0;
  DestroyTestWindow(second);
}

TEST_F(RenderFrame, TransformsAreKeptSetAndRestoredFromTheStack) {
  CMatrix world;
  world.SetIdentity();
  world.SetTranslationXYZ(1, 2, 3);
  CMatrix view;
  view.SetIdentity();
  view.RotateY(90);
  s_Render->SetWorldMatrix(world);
  s_Render->SetViewMatrix(view);
  D3DMATRIX onDevice;
  g_Device->GetTransform(D3DTS_WORLD, &onDevice);
  EXPECT_EQ(onDevice.m[3][1], 2.0f);

  CMatrix wv;
  s_Render->GetWorldViewMatrix(&wv);
  EXPECT_EQ(wv.TypeFlags, MATF_IDENTITY | MATF_TRANSLATION | MATF_ROTATION);
  CVector3 p;
  wv.TransformPoint({0, 0, 0}, &p);  // to (1, 2, 3), then x -> z, z -> -x
  EXPECT_NEAR(p.x, -3.0f, 1e-5f);
  EXPECT_NEAR(p.y, 2.0f, 1e-5f);
  EXPECT_NEAR(p.z, 1.0f, 1e-5f);

  s_Render->PushWorldMatrix();
  CMatrix other;
  other.SetIdentity();
  s_Render->SetWorldMatrix(other);
  s_Render->PopWorldMatrix();
  EXPECT_EQ(s_Render->GetWorldMatrix().m[3][2], 3.0f);
  g_Device->GetTransform(D3DTS_WORLD, &onDevice);
  EXPECT_EQ(onDevice.m[3][2], 3.0f);
  s_Render->PopWorldMatrix();  // nothing left: the world matrix stays
  EXPECT_EQ(s_Render->GetWorldMatrix().m[3][2], 3.0f);
  s_Render->SetWorldMatrix(other);
  s_Render->SetViewMatrix(other);
}

}  // namespace
