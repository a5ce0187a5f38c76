#include <gtest/gtest.h>

#include <cstring>

#include "device_fixture.h"

namespace {

using DeviceTest = DeviceFixture;

TEST_F(DeviceTest, ClearedColourIsReadBackFromTheBackBufferAfterPresent) {
  for (D3DCOLOR colour : {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF336699u}) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), colour);
    EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), colour);
  }
  // The same texels through a lock of the back buffer.
  IDirect3DSurface8* back = nullptr;
  ASSERT_EQ(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  std::uint32_t texel;
  std::memcpy(&texel, static_cast<std::uint8_t*>(locked.pBits) + 10 * locked.Pitch + 4 * 20, 4);
  EXPECT_EQ(texel, 0xFF336699u);
  back->UnlockRect();
  back->Release();
}

TEST_F(DeviceTest, ClearWithRectanglesTouchesOnlyThoseRectangles) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  D3DRECT rect{10, 5, 20, 15};
  device_->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_EQ(Pixel(10, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(19, 14), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(20, 14), 0xFF000000u);
  EXPECT_EQ(Pixel(19, 15), 0xFF000000u);
}

TEST_F(DeviceTest, ScreenQuadCoversExactlyItsPixelsWithRowZeroOnTop) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  ASSERT_EQ(DrawQuad(8, 4, 24, 12, 0xFFFF0000u), D3D_OK);
  EXPECT_EQ(Pixel(8, 4), 0xFFFF0000u);
  EXPECT_EQ(Pixel(23, 11), 0xFFFF0000u);
  EXPECT_EQ(Pixel(7, 4), 0xFF000000u);
  EXPECT_EQ(Pixel(24, 11), 0xFF000000u);
  EXPECT_EQ(Pixel(8, 3), 0xFF000000u);
  EXPECT_EQ(Pixel(8, 12), 0xFF000000u);
  EXPECT_EQ(Pixel(8, kHeight - 5), 0xFF000000u);
}

struct BlendCase {
  DWORD src, dest;
  D3DCOLOR background, quad, expected;
};

TEST_F(DeviceTest, QuadBlendsOverTheBackgroundAsTheFactorsSay) {
  const BlendCase cases[] = {
      // source alpha over inverse source alpha: half red over blue
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFF0000FFu, 0x80FF0000u, 0xFF80007Fu},
      // additive by source alpha
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xFF202020u, 0x40808080u, 0xFF404040u},
      // modulating: zero, source colour
      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF80FF40u, 0xFF80FF80u, 0xFF40FF20u},
      // colour kept out: zero, one
      {D3DBLEND_ZERO, D3DBLEND_ONE, 0xFF123456u, 0xFFFFFFFFu, 0xFF123456u},
      // inverse source colour darkening
      {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, 0xFFFFFFFFu, 0xFF4080C0u, 0xFFBF7F3Fu},
  };
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  // No texture is bound: the alpha comes from the vertex colour.
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  for (const BlendCase& c : cases) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, c.background, 1.0f, 0);
    device_->SetRenderState(D3DRS_SRCBLEND, c.src);
    device_->SetRenderState(D3DRS_DESTBLEND, c.dest);
    ASSERT_EQ(DrawQuad(0, 0, 32, 32, c.quad), D3D_OK);
    // Alpha of the target holds the blend of alphas; compare colour only.
    EXPECT_TRUE(ColourNear(Pixel(16, 16) & 0xFFFFFF, c.expected & 0xFFFFFF, 1))
        << std::hex << Pixel(16, 16) << " src " << c.src << " dest " << c.dest;
    EXPECT_EQ(Pixel(40, 40) & 0xFFFFFF, c.background & 0xFFFFFF);
  }
}

TEST_F(DeviceTest, NothingIsDrawnOutsideTheViewport) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  D3DVIEWPORT8 left{0, 0, 32, 48, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&left), D3D_OK);
  DrawQuad(0, 0, 64, 48, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(31, 20), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(32, 20), 0xFF000000u);
  // Clearing follows the viewport too.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
  EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);
  EXPECT_EQ(Pixel(40, 10), 0xFF000000u);
}

TEST_F(DeviceTest, ClockwiseFanIsFrontFacingUnderTheDefaultCulling) {
  const struct {
    DWORD cull;
    bool drawn;
  } cases[] = {{D3DCULL_CCW, true}, {D3DCULL_CW, false}, {D3DCULL_NONE, true}};
  for (const auto& c : cases) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, c.cull);
    DrawQuad(0, 0, 16, 16, 0xFF00FF00u);
    EXPECT_EQ(Pixel(8, 8) == 0xFF00FF00u, c.drawn) << "cull mode " << c.cull;
  }
}

TEST_F(DeviceTest, DepthTestKeepsTheNearerQuad) {
  device_->SetRenderState(D3DRS_ZENABLE, TRUE);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  DrawQuad(0, 0, 32, 32, 0xFFFF0000u, 0.2f);
  DrawQuad(16, 16, 48, 48, 0xFF00FF00u, 0.6f);
  EXPECT_EQ(Pixel(20, 20), 0xFFFF0000u);  // the far quad lost where they overlap
  EXPECT_EQ(Pixel(40, 40), 0xFF00FF00u);
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  DrawQuad(16, 16, 48, 48, 0xFF0000FFu, 0.9f);
  EXPECT_EQ(Pixel(20, 20), 0xFF0000FFu);
}

TEST_F(DeviceTest, StencilMarksLimitLaterDrawing) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000u, 1.0f, 0);
  // Mark a square with 1 and write no colour.
  device_->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device_->SetRenderState(D3DRS_STENCILREF, 1);
  device_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  DrawQuad(0, 0, 16, 16, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(8, 8), 0xFF000000u);
  // Draw everywhere where the mark is.
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device_->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  DrawQuad(0, 0, 64, 48, 0xFFFFFF00u);
  EXPECT_EQ(Pixel(8, 8), 0xFFFFFF00u);
  EXPECT_EQ(Pixel(30, 30), 0xFF000000u);
  // A depth format without stencil cannot have its stencil cleared.
  IDirect3DSurface8 *noStencil = nullptr, *back = nullptr;
  ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16, D3DMULTISAMPLE_NONE, &noStencil), D3D_OK);
  device_->GetRenderTarget(&back);
  device_->SetRenderTarget(back, noStencil);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  device_->SetRenderTarget(back, nullptr);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  back->Release();
  EXPECT_EQ(noStencil->Release(), 0u);
}

// Position, diffuse, one texture pair: the 0x142 format.
struct WorldVertex {
  float x, y, z;
  D3DCOLOR colour;
  float u, v;
};

TEST_F(DeviceTest, TransformedTrianglesFollowRowVectorMatrices) {
  constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  ASSERT_EQ(kFvf, 0x142u);
  device_->SetVertexShader(kFvf);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1;
  // World: translate by (0.5, 0.5) in the last row (row vectors).
  D3DMATRIX world = identity;
  world._41 = 0.5f;
  world._42 = 0.5f;
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_VIEW, &identity);
  device_->SetTransform(D3DTS_PROJECTION, &identity);
  // A square around the origin moved into the top-right quarter (y up in clip space).
  WorldVertex v[4] = {{-0.25f, 0.25f, 0.5f, 0xFF00FFFFu, 0, 0},
                      {0.25f, 0.25f, 0.5f, 0xFF00FFFFu, 0, 0},
                      {0.25f, -0.25f, 0.5f, 0xFF00FFFFu, 0, 0},
                      {-0.25f, -0.25f, 0.5f, 0xFF00FFFFu, 0, 0}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(WorldVertex)), D3D_OK);
  EXPECT_EQ(Pixel(48, 12), 0xFF00FFFFu);  // centre of the top-right quarter
  EXPECT_EQ(Pixel(16, 36), 0xFF000000u);
  EXPECT_EQ(Pixel(48, 36), 0xFF000000u);
  // The viewport maps clip space onto its own rectangle.
  D3DVIEWPORT8 vp{0, 24, 32, 24, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(WorldVertex));
  EXPECT_EQ(Pixel(24, 30), 0xFF00FFFFu);
  D3DVIEWPORT8 outside{40, 40, 32, 32, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&outside), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, DirectionalLightShadesByTheAngleToTheNormal) {
  constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
  struct LitVertex {
    float x, y, z, nx, ny, nz;
  };
  device_->SetVertexShader(kFvf);
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DMATERIAL8 material{};
  material.Diffuse = D3DCOLORVALUE{1, 1, 1, 1};
  device_->SetMaterial(&material);
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = D3DCOLORVALUE{1, 0, 0, 1};
  light.Direction = D3DVECTOR{0, 0, 1};  // travelling away from the viewer, onto a face looking at it
  device_->SetLight(0, &light);
  device_->LightEnable(0, TRUE);
  LitVertex v[4] = {{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}, {-1, -1, 0.5f, 0, 0, -1}};
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(LitVertex));
  EXPECT_TRUE(ColourNear(Pixel(32, 24), 0xFFFF0000u, 2)) << std::hex << Pixel(32, 24);
  // Tilted 60 degrees away the light gives half.
  light.Direction = D3DVECTOR{0.8660254f, 0, 0.5f};
  device_->SetLight(0, &light);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(LitVertex));
  EXPECT_TRUE(ColourNear(Pixel(32, 24), 0xFF800000u, 2)) << std::hex << Pixel(32, 24);
  device_->LightEnable(0, FALSE);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(LitVertex));
  EXPECT_EQ(Pixel(32, 24) & 0xFFFFFF, 0u);
}

TEST_F(DeviceTest, BuffersDrawAndRefuseIndicesOutsideTheVertices) {
  IDirect3DVertexBuffer8* vb = nullptr;
  IDirect3DIndexBuffer8* ib = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(4 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf, D3DPOOL_MANAGED, &vb),
            D3D_OK);
  ASSERT_EQ(device_->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
  BYTE* p = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
  ScreenVertex quad[4] = {{0, 0, 0.5f, 1, 0xFF0000FFu, 0, 0},
                          {32, 0, 0.5f, 1, 0xFF0000FFu, 0, 0},
                          {32, 32, 0.5f, 1, 0xFF0000FFu, 0, 0},
                          {0, 32, 0.5f, 1, 0xFF0000FFu, 0, 0}};
  std::memcpy(p, quad, sizeof quad);
  EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3DERR_INVALIDCALL);  // already locked
  vb->Unlock();
  EXPECT_EQ(vb->Lock(4 * sizeof(ScreenVertex), 4, &p, 0), D3DERR_INVALIDCALL);  // past the end
  ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
  const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
  std::memcpy(p, indices, sizeof indices);
  ib->Unlock();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device_->SetStreamSource(0, vb, sizeof(ScreenVertex));
  device_->SetIndices(ib, 0);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(Pixel(16, 16), 0xFF0000FFu);
  // Three triangles need nine indices: more than the buffer has.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 3), D3DERR_INVALIDCALL);
  // A base vertex that pushes index 3 past the buffer.
  device_->SetIndices(ib, 1);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 3), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
  // User-memory indices naming a vertex outside the given range are refused.
  const std::uint16_t bad[3] = {0, 1, 7};
  EXPECT_EQ(device_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, bad, D3DFMT_INDEX16, quad,
                                            sizeof(ScreenVertex)),
            D3DERR_INVALIDCALL);
  device_->SetStreamSource(0, nullptr, 0);
  device_->SetIndices(nullptr, 0);
  EXPECT_EQ(vb->Release(), 0u);
  EXPECT_EQ(ib->Release(), 0u);
}

TEST_F(DeviceTest, TextureStagesCombineTextureAndDiffuse) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 2; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
    row[0] = row[1] = 0x80808080u;
  }
  texture->UnlockRect(0);
  device_->SetTexture(0, texture);
  const struct {
    DWORD op, arg1, arg2;
    D3DCOLOR expected;
  } cases[] = {
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF402010u},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF808080u},
      {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF804020u},
      {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFC0A0u},
      {D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, 0xFF40200Fu},
      {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF804020u},
  };
  for (const auto& c : cases) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    DrawQuad(0, 0, 16, 16, 0xFF804020u);
    EXPECT_TRUE(ColourNear(Pixel(8, 8) & 0xFFFFFF, c.expected & 0xFFFFFF, 2))
        << "op " << c.op << " got " << std::hex << Pixel(8, 8);
  }
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(DeviceTest, TextureLevelsAndLocksFollowTheChain) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 5u);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(texture->GetLevelDesc(4, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
  ASSERT_EQ(texture->GetLevelDesc(1, &desc), D3D_OK);
  EXPECT_EQ(desc.Size, 8u * 2u * 2u);
  EXPECT_EQ(texture->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 32);
  EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
  EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(level->Release(), 1u);  // the surface counts on its texture
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, RenderTargetTextureReceivesDrawingAndIsSampledUpright) {
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8 *surface = nullptr, *back = nullptr, *depth = nullptr;
  target->GetSurfaceLevel(0, &surface);
  device_->GetRenderTarget(&back);
  device_->GetDepthStencilSurface(&depth);
  ASSERT_EQ(device_->SetRenderTarget(surface, depth), D3D_OK);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  DrawQuad(0, 0, 16, 8, 0xFFFF0000u);  // top half red
  ASSERT_EQ(device_->SetRenderTarget(back, depth), D3D_OK);
  surface->Release();
  back->Release();
  depth->Release();
  device_->SetTexture(0, target);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  DrawQuad(0, 0, 32, 32, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(16, 4) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Pixel(16, 28) & 0xFFFFFF, 0x0000FFu);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(target->Release(), 0u);
}

TEST_F(DeviceTest, ShaderStreamsAreKeptButNoShaderSupportIsReported) {
  D3DCAPS8 caps;
  ASSERT_EQ(device_->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_EQ(caps.VertexShaderVersion, 0u);
  EXPECT_EQ(caps.PixelShaderVersion, 0u);
  const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_END()};
  const DWORD function[] = {D3DVS_VERSION(1, 1), 0x00000001u, 0x0000FFFFu};
  DWORD handle = 0;
  ASSERT_EQ(device_->CreateVertexShader(declaration, function, &handle, 0), D3D_OK);
  EXPECT_EQ(handle & 1u, 1u);
  ASSERT_EQ(device_->SetVertexShader(handle), D3D_OK);
  // Programs are not run: the draw is refused rather than drawn wrongly.
  EXPECT_EQ(DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DeleteVertexShader(handle), D3D_OK);
  EXPECT_EQ(device_->DeleteVertexShader(handle), D3DERR_INVALIDCALL);
  DWORD pixel = 0;
  const DWORD pixelFunction[] = {D3DPS_VERSION(1, 1), 0x0000FFFFu};
  ASSERT_EQ(device_->CreatePixelShader(pixelFunction, &pixel), D3D_OK);
  EXPECT_NE(pixel, 0u);
  EXPECT_EQ(device_->DeletePixelShader(pixel), D3D_OK);
}

}  // namespace

namespace {

using FixedFunctionTest = DeviceFixture;

TEST_F(FixedFunctionTest, AlphaTestDropsPixelsBelowTheReference) {
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  const struct {
    DWORD reference;
    bool drawn;
  } cases[] = {{0x80, false}, {0x41, false}, {0x40, true}, {0x00, true}};
  for (const auto& c : cases) {
    device_->SetRenderState(D3DRS_ALPHAREF, c.reference);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    DrawQuad(0, 0, 16, 16, 0x40FFFFFFu);
    EXPECT_EQ((Pixel(8, 8) & 0xFFFFFF) == 0xFFFFFFu, c.drawn) << "reference " << c.reference;
  }
}

TEST_F(FixedFunctionTest, LinearFogMixesTowardsTheFogColourWithDistance) {
  constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
  struct V {
    float x, y, z;
    DWORD colour;
  };
  device_->SetVertexShader(kFvf);
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1;
  device_->SetTransform(D3DTS_WORLD, &identity);
  device_->SetTransform(D3DTS_VIEW, &identity);
  device_->SetTransform(D3DTS_PROJECTION, &identity);
  float start = 0.0f, end = 1.0f;
  DWORD startBits, endBits;
  std::memcpy(&startBits, &start, 4);
  std::memcpy(&endBits, &end, 4);
  device_->SetRenderState(D3DRS_FOGCOLOR, 0xFFFFFFFFu);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  device_->SetRenderState(D3DRS_FOGSTART, startBits);
  device_->SetRenderState(D3DRS_FOGEND, endBits);
  const struct {
    float z;
    DWORD fog;
    D3DCOLOR expected;
  } cases[] = {{0.5f, TRUE, 0xFF808080u}, {0.25f, TRUE, 0xFF404040u}, {0.5f, FALSE, 0xFF000000u}};
  for (const auto& c : cases) {
    device_->SetRenderState(D3DRS_FOGENABLE, c.fog);
    V v[4] = {{-1, 1, c.z, 0xFF000000u}, {1, 1, c.z, 0xFF000000u}, {1, -1, c.z, 0xFF000000u}, {-1, -1, c.z, 0xFF000000u}};
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(V));
    EXPECT_TRUE(ColourNear(Pixel(32, 24), c.expected, 3)) << c.z << " " << std::hex << Pixel(32, 24);
  }
}

}  // namespace

namespace {

using TextureBindingTest = DeviceFixture;

TEST_F(TextureBindingTest, MakingAndFillingOtherTexturesKeepsTheBoundOne) {
  auto solid = [this](D3DCOLOR colour) {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DLOCKED_RECT locked;
    t->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = colour;
    t->UnlockRect(0);
    return t;
  };
  IDirect3DTexture8* red = solid(0xFFFF0000u);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTexture(0, red);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu);
  ASSERT_EQ(Pixel(4, 4), 0xFFFF0000u);
  // A texture made and filled between draws must not disturb the binding.
  IDirect3DTexture8* blue = solid(0xFF0000FFu);
  DrawQuad(8, 0, 16, 8, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(12, 4), 0xFFFF0000u);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(red->Release(), 0u);
  EXPECT_EQ(blue->Release(), 0u);
}

}  // namespace

namespace {

using UserDrawRunTest = DeviceFixture;

TEST_F(UserDrawRunTest, LongRunsOfUserMemoryDrawsEachLandWhereTheySay) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  // Enough 1x1 quads to wrap the device's copy ring several times over.
  const int kQuads = 64 * 48 * 12;
  for (int i = 0; i < kQuads; ++i) {
    int cell = i % (64 * 48);
    float x = static_cast<float>(cell % 64), y = static_cast<float>(cell / 64);
    D3DCOLOR colour = 0xFF000000u | static_cast<DWORD>(cell * 2654435761u >> 8);
    ASSERT_EQ(DrawQuad(x, y, x + 1, y + 1, colour), D3D_OK);
  }
  for (int cell : {0, 1, 63, 64, 1000, 64 * 48 - 1}) {
    D3DCOLOR colour = 0xFF000000u | static_cast<DWORD>(cell * 2654435761u >> 8);
    EXPECT_EQ(Pixel(cell % 64, cell / 64), colour) << cell;
  }
}

}  // namespace
