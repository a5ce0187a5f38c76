// The frame: device check and recovery after a lost device, clears, scenes,
// presents, additional swap chains, viewports, transforms, buffers, draw calls
// and the 2D adjustments of pre-transformed vertices.
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/maths/fast_trig.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "render/geometry/matrix_stack.h"
#include "render/device/render.h"
#include "scene/light_table.h"

SwapChainRecord* g_SwapChains[kMaxSwapChains] = {};
HWND g_SwapChainWindows[kMaxSwapChains] = {};
int g_SwapChainCount = 0;

namespace {

// A stage texture value that no texture has, so that the next bind reaches the device.
IDirect3DBaseTexture8* const kForgottenTexture = reinterpret_cast<IDirect3DBaseTexture8*>(~std::uintptr_t{0});

// Adjusted copies of the caller's vertices (the caller's array is left as it is,
// so that a kept array can be drawn again without compounding the adjustment).
std::vector<unsigned char>& AdjustScratch() {
  static std::vector<unsigned char> scratch;
  return scratch;
}

// Presentation parameters of an additional swap chain: one windowed back buffer.
void SwapChainParameters(D3DPRESENT_PARAMETERS* pp, HWND window, DWORD width, DWORD height, D3DFORMAT format,
                         BOOL windowed) {
  std::memset(pp, 0, sizeof(*pp));
  pp->BackBufferWidth = width;
  pp->BackBufferHeight = height;
  pp->BackBufferFormat = format;
  pp->BackBufferCount = 1;
  pp->MultiSampleType = D3DMULTISAMPLE_NONE;
  pp->SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp->hDeviceWindow = window;
  pp->Windowed = windowed;
}

}  // namespace

// --- Frame ---------------------------------------------------------------------------

bool CRender::CheckDevice() {
  if (m_Device == nullptr) return false;
  const HRESULT r = m_Device->TestCooperativeLevel();
  if (r == D3DERR_DEVICELOST) return false;
  if (r != D3DERR_DEVICENOTRESET) return true;

  for (int i = 0; i < g_SwapChainCount; ++i) {
    SwapChainRecord* record = g_SwapChains[i];
    if (record->DepthStencil != nullptr) record->DepthStencil->Release();
    record->DepthStencil = nullptr;
    if (record->SwapChain != nullptr) record->SwapChain->Release();
    record->SwapChain = nullptr;
  }
  if (m_BackBuffer != nullptr) m_BackBuffer->Release();
  m_BackBuffer = nullptr;
  if (m_DepthStencil != nullptr) m_DepthStencil->Release();
  m_DepthStencil = nullptr;

  // A reset that fails leaves the device unusable: skip the frame and try again
  // on the next one rather than draw on it.
  if (FAILED(m_Device->Reset(&m_PresentParameters))) return false;

  m_Device->GetRenderTarget(&m_BackBuffer);
  m_Device->GetDepthStencilSurface(&m_DepthStencil);
  if (m_BackBuffer != nullptr) m_BackBuffer->GetDesc(&m_BackBufferDesc);
  RestoreRenderTarget();

  for (int i = 0; i < g_SwapChainCount; ++i) {
    SwapChainRecord* record = g_SwapChains[i];
    D3DPRESENT_PARAMETERS pp;
    SwapChainParameters(&pp, g_SwapChainWindows[i], record->Viewport.Width, record->Viewport.Height,
                        m_BackBufferDesc.Format, m_Windowed ? TRUE : FALSE);
    m_Device->CreateAdditionalSwapChain(&pp, &record->SwapChain);
    D3DSURFACE_DESC depthDesc{};
    if (m_DepthStencil != nullptr) m_DepthStencil->GetDesc(&depthDesc);
    m_Device->CreateDepthStencilSurface(record->Viewport.Width, record->Viewport.Height, depthDesc.Format,
                                        D3DMULTISAMPLE_NONE, &record->DepthStencil);
    MakeViewport(&record->Viewport, 0, 0, record->Viewport.Width, record->Viewport.Height, 0.0f, 1.0f);
  }

  // Complemented words differ from every value, so each later cached set reaches the device.
  for (DWORD& word : m_RenderStates) word = ~word;
  // The device lost the blend mode's texture stages in the reset: make the mode
  // of the default states go out in full.
  m_BlendMode = -1;
  SetDefaultStates();
  CLightTable::ResendLights();
  return true;
}

void CRender::Clear(DWORD clearTarget) {
  if (m_Device == nullptr) return;
  DWORD flags = D3DCLEAR_ZBUFFER;
  if (m_StencilBits != 0) flags |= D3DCLEAR_STENCIL;
  if (clearTarget) flags |= D3DCLEAR_TARGET;
  m_Device->Clear(0, nullptr, flags, m_ClearColour, 1.0f, 0);
}

void CRender::ForgetStageTextures() {
  for (auto& texture : m_StageTextures) texture = kForgottenTexture;
}

void CRender::BeginScene() {
  ForgetStageTextures();
  if (m_Device != nullptr) m_Device->BeginScene();
}

void CRender::EndScene() {
  if (m_Device != nullptr) m_Device->EndScene();
}

void CRender::Present() {
  if (m_Device != nullptr) m_Device->Present(nullptr, nullptr, nullptr, nullptr);
}

void CRender::UnbindAll() {
  if (m_Device == nullptr) return;
  if (SupportsVertexShader(1, 0, 10)) SetVertexFormat(kFvfMesh);
  if (SupportsPixelShader(1, 0)) m_Device->SetPixelShader(0);
  m_Device->SetIndices(nullptr, 0);
  for (UINT stream = 0; stream < 4; ++stream) m_Device->SetStreamSource(stream, nullptr, 0);
  for (DWORD stage = 0; stage < 4; ++stage) m_Device->SetTexture(stage, nullptr);
  for (auto& texture : m_StageTextures) texture = nullptr;
}

// --- Swap chains -------------------------------------------------------------------

SwapChainRecord* CRender::CreateSwapChain(HWND window, DWORD width, DWORD height) {
  if (m_Device == nullptr || g_SwapChainCount >= kMaxSwapChains) return nullptr;
  D3DPRESENT_PARAMETERS pp;
  SwapChainParameters(&pp, window, width, height, m_BackBufferDesc.Format, TRUE);
  IDirect3DSwapChain8* chain = nullptr;
  if (FAILED(m_Device->CreateAdditionalSwapChain(&pp, &chain)) || chain == nullptr) return nullptr;
  MEM_OWNER();
  auto* record = MEM_NEW(MEMCAT_GAME) SwapChainRecord{};
  record->SwapChain = chain;
  D3DSURFACE_DESC depthDesc{};
  if (m_DepthStencil != nullptr) m_DepthStencil->GetDesc(&depthDesc);
  m_Device->CreateDepthStencilSurface(width, height, depthDesc.Format, D3DMULTISAMPLE_NONE, &record->DepthStencil);
  MakeViewport(&record->Viewport, 0, 0, width, height, 0.0f, 1.0f);
  g_SwapChains[g_SwapChainCount] = record;
  g_SwapChainWindows[g_SwapChainCount] = window;
  ++g_SwapChainCount;
  return record;
}

void CRender::SetSwapChainTarget(SwapChainRecord* record) {
  if (m_Device == nullptr) return;
  if (record == nullptr) {
    m_Device->SetRenderTarget(m_BackBuffer, m_DepthStencil);
    SetViewport(&m_MainViewport);
    return;
  }
  IDirect3DSurface8* back = nullptr;
  if (record->SwapChain != nullptr) record->SwapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  m_Device->SetRenderTarget(back, record->DepthStencil);
  SetViewport(&record->Viewport);
  if (back != nullptr) back->Release();
}

void CRender::PresentSwapChain(SwapChainRecord* record) {
  if (record == nullptr) {
    Present();
  } else if (record->SwapChain != nullptr) {
    record->SwapChain->Present(nullptr, nullptr, nullptr, nullptr);
  }
}

// --- Viewports -----------------------------------------------------------------------

void MakeViewport(D3DVIEWPORT8* record, DWORD x, DWORD y, DWORD width, DWORD height, float minZ, float maxZ) {
  record->X = x;
  record->Y = y;
  record->Width = width;
  record->Height = height;
  record->MinZ = minZ;
  record->MaxZ = maxZ;
}

void CRender::InitViewport() {
  MakeViewport(&m_MainViewport, 0, 0, m_BackBufferDesc.Width, m_BackBufferDesc.Height, 0.0f, 1.0f);
  m_CurrentViewport = &m_MainViewport;
  m_HalfWidth = static_cast<float>(m_MainViewport.Width / 2);
  m_HalfHeight = static_cast<float>(m_MainViewport.Height / 2);
  m_CentreDepth = 0.0f;
  if (m_Device != nullptr) m_Device->SetViewport(&m_MainViewport);
  m_ViewportStackCount = 0;
  PushViewportRecord(m_MainViewport);
}

void CRender::SetViewport(D3DVIEWPORT8* record) {
  if (m_Device != nullptr) m_Device->SetViewport(record);
  m_CurrentViewport = record;
  m_HalfWidth = static_cast<float>(record->Width / 2);
  m_HalfHeight = static_cast<float>(record->Height / 2);
  m_CentreDepth = 0.0f;
}

bool CRender::PushViewportRecord(const D3DVIEWPORT8& record) {
  if (m_ViewportStackCount >= static_cast<DWORD>(kViewportStackSize)) return false;
  m_ViewportStack[m_ViewportStackCount++] = record;
  return true;
}

D3DVIEWPORT8* CRender::GetViewportRecord(DWORD i) {
  return i < static_cast<DWORD>(kViewportStackSize) ? &m_ViewportStack[i] : nullptr;
}

bool CRender::IsPointInViewport(float x, float y) const {
  if (m_CurrentViewport == nullptr) return false;
  const D3DVIEWPORT8& v = *m_CurrentViewport;
  return x >= static_cast<float>(v.X) && y >= static_cast<float>(v.Y) &&
         x <= static_cast<float>(v.X + v.Width) && y <= static_cast<float>(v.Y + v.Height);
}

// --- Transforms ------------------------------------------------------------------------

namespace {
const D3DMATRIX* AsD3d(const CMatrix& m) { return reinterpret_cast<const D3DMATRIX*>(&m.m[0][0]); }
}  // namespace

void CRender::SetWorldMatrix(const CMatrix& m) {
  m_World = m;
  if (m_Device != nullptr) m_Device->SetTransform(D3DTS_WORLD, AsD3d(m_World));
}

void CRender::SetViewMatrix(const CMatrix& m) {
  m_View = m;
  if (m_Device != nullptr) m_Device->SetTransform(D3DTS_VIEW, AsD3d(m_View));
}

void CRender::SetProjectionMatrix(const CMatrix& m) {
  m_Projection = m;
  if (m_Device != nullptr) m_Device->SetTransform(D3DTS_PROJECTION, AsD3d(m_Projection));
}

void CRender::PushWorldMatrix() { PushMatrix(m_World); }
void CRender::PushViewMatrix() { PushMatrix(m_View); }
void CRender::PushProjectionMatrix() { PushMatrix(m_Projection); }

void CRender::PopWorldMatrix() {
  CMatrix m;
  if (PopMatrix(&m)) SetWorldMatrix(m);
}

void CRender::PopViewMatrix() {
  CMatrix m;
  if (PopMatrix(&m)) SetViewMatrix(m);
}

void CRender::PopProjectionMatrix() {
  CMatrix m;
  if (PopMatrix(&m)) SetProjectionMatrix(m);
}

void CRender::GetWorldViewMatrix(CMatrix* out) const {
  MatrixMultiply(out, m_World, m_View);
  out->TypeFlags = m_World.TypeFlags | m_View.TypeFlags;
}

void CRender::GetWorldViewProjectionMatrix(CMatrix* out) const {
  CMatrix worldView;
  GetWorldViewMatrix(&worldView);
  MatrixMultiply(out, worldView, m_Projection);
  out->TypeFlags = worldView.TypeFlags | m_Projection.TypeFlags;
}

// --- Buffers ---------------------------------------------------------------------------

IDirect3DVertexBuffer8* CRender::CreateVertexBuffer(DWORD count, DWORD vertexFormat, DWORD stride) {
  if (m_Device == nullptr) return nullptr;
  IDirect3DVertexBuffer8* buffer = nullptr;
  if (FAILED(m_Device->CreateVertexBuffer(count * stride, D3DUSAGE_WRITEONLY, vertexFormat, D3DPOOL_MANAGED,
                                          &buffer)))
    return nullptr;
  AddMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, count * stride);
  return buffer;
}

IDirect3DVertexBuffer8* CRender::CreateDynamicVertexBuffer(DWORD count, DWORD vertexFormat, DWORD stride) {
  if (m_Device == nullptr) return nullptr;
  IDirect3DVertexBuffer8* buffer = nullptr;
  if (FAILED(m_Device->CreateVertexBuffer(count * stride, D3DUSAGE_DYNAMIC, vertexFormat, D3DPOOL_DEFAULT,
                                          &buffer)))
    return nullptr;
  AddMemoryCategoryUsage(MEMCAT_VERTEX_BUFFER, count * stride);
  return buffer;
}

IDirect3DIndexBuffer8* CRender::CreateIndexBuffer(DWORD count) {
  if (m_Device == nullptr) return nullptr;
  IDirect3DIndexBuffer8* buffer = nullptr;
  if (FAILED(m_Device->CreateIndexBuffer(count * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer)))
    return nullptr;
  AddMemoryCategoryUsage(MEMCAT_INDEX_BUFFER, count * 2);
  return buffer;
}

void ReleaseVertexBuffer(IDirect3DVertexBuffer8** buffer) {
  if (buffer == nullptr || *buffer == nullptr) return;
  (*buffer)->Release();
  *buffer = nullptr;
}

void ReleaseIndexBuffer(IDirect3DIndexBuffer8** buffer) {
  if (buffer == nullptr || *buffer == nullptr) return;
  (*buffer)->Release();
  *buffer = nullptr;
}

namespace {
void* LockVertices(IDirect3DVertexBuffer8* buffer, DWORD flags) {
  BYTE* data = nullptr;
  if (buffer == nullptr || FAILED(buffer->Lock(0, 0, &data, flags))) return nullptr;
  return data;
}
}  // namespace

void* LockVertexBuffer(IDirect3DVertexBuffer8* buffer) { return LockVertices(buffer, 0); }
void* LockVertexBufferDiscard(IDirect3DVertexBuffer8* buffer) { return LockVertices(buffer, D3DLOCK_DISCARD); }
void* LockVertexBufferNoOverwrite(IDirect3DVertexBuffer8* buffer) {
  return LockVertices(buffer, D3DLOCK_NOOVERWRITE);
}
void UnlockVertexBuffer(IDirect3DVertexBuffer8* buffer) {
  if (buffer != nullptr) buffer->Unlock();
}

void* LockIndexBuffer(IDirect3DIndexBuffer8* buffer) {
  BYTE* data = nullptr;
  if (buffer == nullptr || FAILED(buffer->Lock(0, 0, &data, 0))) return nullptr;
  return data;
}

void UnlockIndexBuffer(IDirect3DIndexBuffer8* buffer) {
  if (buffer != nullptr) buffer->Unlock();
}

void CRender::SetStreamSource(IDirect3DVertexBuffer8* buffer, DWORD stride) {
  if (m_Device != nullptr) m_Device->SetStreamSource(0, buffer, stride);
}

void CRender::SetIndices(IDirect3DIndexBuffer8* buffer) {
  if (m_Device != nullptr) m_Device->SetIndices(buffer, 0);
}

void CRender::SetVertexFormat(DWORD handleOrFormat) {
  if (m_Device != nullptr) m_Device->SetVertexShader(handleOrFormat);
  m_VertexFormat = handleOrFormat;
}

// --- 2D adjustments --------------------------------------------------------------------

namespace {
constexpr DWORD k2DScale = 0x1, k2DRotation = 0x2, k2DRed = 0x4, k2DGreen = 0x8, k2DBlue = 0x10, k2DAlpha = 0x20;
constexpr DWORD k2DColours = k2DRed | k2DGreen | k2DBlue | k2DAlpha;
}  // namespace

void CRender::Set2DScale(float s) {
  m_2DScale = s;
  m_2DFlags = s != 1.0f ? (m_2DFlags | k2DScale) : (m_2DFlags & ~k2DScale);
}

void CRender::Set2DRotation(float angle) {
  m_2DRotation = angle;
  m_2DFlags = angle != 0.0f ? (m_2DFlags | k2DRotation) : (m_2DFlags & ~k2DRotation);
}

void CRender::Set2DRedScale(float f) {
  m_RedScale = f;
  m_2DFlags = f != 1.0f ? (m_2DFlags | k2DRed) : (m_2DFlags & ~k2DRed);
}

void CRender::Set2DGreenScale(float f) {
  m_GreenScale = f;
  m_2DFlags = f != 1.0f ? (m_2DFlags | k2DGreen) : (m_2DFlags & ~k2DGreen);
}

void CRender::Set2DBlueScale(float f) {
  m_BlueScale = f;
  m_2DFlags = f != 1.0f ? (m_2DFlags | k2DBlue) : (m_2DFlags & ~k2DBlue);
}

void CRender::Set2DAlphaScale(float f) {
  m_AlphaScale = f;
  m_2DFlags = f != 1.0f ? (m_2DFlags | k2DAlpha) : (m_2DFlags & ~k2DAlpha);
}

// Screen vertices are scaled and rotated about the viewport centre (cx, cy, 0):
// p' = centre + R(s (p - centre)) with x' = c x + s y, y' = c y - s x; the colour
// channels are multiplied by their factors.  The adjusted copy is what is drawn.
void CRender::Adjust2DVertices(DWORD n, const void* vertices, DWORD stride, const void** adjusted) {
  *adjusted = vertices;
  if (!m_2DAdjustmentsOn || m_VertexFormat != kFvfScreen || m_2DFlags == 0 || n == 0) return;
  if (stride < sizeof(ScreenVertex)) return;
  std::vector<unsigned char>& scratch = AdjustScratch();
  scratch.resize(static_cast<size_t>(n) * stride);
  std::memcpy(scratch.data(), vertices, scratch.size());
  const float c = FastCos(m_2DRotation), s = FastSin(m_2DRotation);
  for (DWORD i = 0; i < n; ++i) {
    ScreenVertex v;
    unsigned char* at = scratch.data() + static_cast<size_t>(i) * stride;
    std::memcpy(&v, at, sizeof(v));
    if (m_2DFlags & (k2DScale | k2DRotation)) {
      float x = v.x - m_HalfWidth, y = v.y - m_HalfHeight, z = v.z - m_CentreDepth;
      if (m_2DFlags & k2DScale) {
        x *= m_2DScale;
        y *= m_2DScale;
        z *= m_2DScale;
      }
      if (m_2DFlags & k2DRotation) {
        const float rx = c * x + s * y;
        const float ry = c * y - s * x;
        x = rx;
        y = ry;
      }
      v.x = x + m_HalfWidth;
      v.y = y + m_HalfHeight;
      v.z = z + m_CentreDepth;
    }
    if (m_2DFlags & k2DColours) {
      const float a = static_cast<float>((v.Diffuse >> 24) & 0xFF) * 0.003921569f;
      const float r = static_cast<float>((v.Diffuse >> 16) & 0xFF) * 0.003921569f;
      const float g = static_cast<float>((v.Diffuse >> 8) & 0xFF) * 0.003921569f;
      const float b = static_cast<float>(v.Diffuse & 0xFF) * 0.003921569f;
      const auto ia = static_cast<DWORD>(static_cast<int>(a * m_AlphaScale * 255.0f));
      const auto ir = static_cast<DWORD>(static_cast<int>(r * m_RedScale * 255.0f));
      const auto ig = static_cast<DWORD>(static_cast<int>(g * m_GreenScale * 255.0f));
      const auto ib = static_cast<DWORD>(static_cast<int>(b * m_BlueScale * 255.0f));
      v.Diffuse = (ia << 24) | ((ir & 0xFF) << 16) | ((ig & 0xFF) << 8) | (ib & 0xFF);
    }
    std::memcpy(at, &v, sizeof(v));
  }
  *adjusted = scratch.data();
}

// --- Draw calls ------------------------------------------------------------------------

HRESULT CRender::DrawUserPrimitive(D3DPRIMITIVETYPE type, DWORD n, DWORD vertexCount, const void* vertices,
                                   DWORD stride) {
  if (m_Device == nullptr) return D3DERR_INVALIDCALL;
  const HRESULT level = m_Device->TestCooperativeLevel();
  if (level != D3D_OK) return level;
  const void* data = nullptr;
  Adjust2DVertices(vertexCount, vertices, stride, &data);
  return m_Device->DrawPrimitiveUP(type, n, data, stride);
}

HRESULT CRender::DrawPointsUP(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_POINTLIST, n, n, vertices, stride);
}

HRESULT CRender::DrawLinesUP(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_LINELIST, n, 2 * n, vertices, stride);
}

HRESULT CRender::DrawLineStrip(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_LINESTRIP, n, n + 1, vertices, stride);
}

HRESULT CRender::DrawTrianglesUP(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_TRIANGLELIST, n, 3 * n, vertices, stride);
}

HRESULT CRender::DrawTriangleStripUP(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_TRIANGLESTRIP, n, n + 2, vertices, stride);
}

HRESULT CRender::DrawTriangleFan(DWORD n, const void* vertices, DWORD stride) {
  return DrawUserPrimitive(D3DPT_TRIANGLEFAN, n, n + 2, vertices, stride);
}

HRESULT CRender::DrawIndexedStripUP(DWORD n, DWORD vertexCount, const void* vertices, const WORD* indices,
                                    DWORD stride) {
  if (m_Device == nullptr) return D3DERR_INVALIDCALL;
  const HRESULT level = m_Device->TestCooperativeLevel();
  if (level != D3D_OK) return level;
  return m_Device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLESTRIP, 0, vertexCount, n, indices, D3DFMT_INDEX16, vertices,
                                          stride);
}

HRESULT CRender::DrawIndexedListUP(DWORD n, DWORD vertexCount, const void* vertices, const WORD* indices,
                                   DWORD stride) {
  if (m_Device == nullptr) return D3DERR_INVALIDCALL;
  const HRESULT level = m_Device->TestCooperativeLevel();
  if (level != D3D_OK) return level;
  return m_Device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertexCount, n, indices, D3DFMT_INDEX16, vertices,
                                          stride);
}

HRESULT CRender::DrawPoints(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_POINTLIST, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawLines(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_LINELIST, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawLineStripVB(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_LINESTRIP, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawTriangles(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawTriangleStripVB(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_TRIANGLESTRIP, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawTriangleFanVB(DWORD n, DWORD startVertex) {
  return m_Device != nullptr ? m_Device->DrawPrimitive(D3DPT_TRIANGLEFAN, startVertex, n) : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawIndexedList(DWORD n, DWORD vertexCount) {
  return m_Device != nullptr ? m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, 0, n)
                             : D3DERR_INVALIDCALL;
}

HRESULT CRender::DrawIndexedStrip(DWORD n, DWORD vertexCount) {
  return m_Device != nullptr ? m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, vertexCount, 0, n)
                             : D3DERR_INVALIDCALL;
}
