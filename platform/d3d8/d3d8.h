// Direct3D 8 interfaces: the factory, the device and its resources, as the
// renderer calls them.  The device draws through OpenGL in an SDL window.
// Every method answers D3D_OK or a D3DERR_ code (D3DERR_INVALIDCALL for bad
// arguments); every interface handed out counts a reference to Release.
// All of it runs on the thread that created the device.
#pragma once

#include "platform/d3d8/d3d8_caps.h"
#include "platform/d3d8/d3d8_types.h"
#include "platform/win32/unknown.h"
#include "platform/win32/win_types.h"

class IDirect3DDevice8;

// A device-owned object; knows its kind.
class IDirect3DResource8 : public IUnknown {
 public:
  // The resource kind (D3DRTYPE_...).
  virtual D3DRESOURCETYPE GetType() = 0;
};

// One two-dimensional image: a texture level, a cube face level, a back buffer
// or a depth-stencil buffer.
class IDirect3DSurface8 : public IUnknown {
 public:
  // Fills *desc with format, usage, pool, byte size and dimensions.
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  // Maps the whole surface (rect must be null) for reading and writing;
  // D3DERR_INVALIDCALL when already locked or when the surface holds depth.
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  // Ends a lock; written bytes reach the image here.
  virtual HRESULT UnlockRect() = 0;
};

// Common part of plain and cube textures.
class IDirect3DBaseTexture8 : public IDirect3DResource8 {
 public:
  // Number of mip levels (at least 1).
  virtual DWORD GetLevelCount() = 0;
};

class IDirect3DTexture8 : public IDirect3DBaseTexture8 {
 public:
  // Description of mip level `level`; D3DERR_INVALIDCALL past the last level.
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  // The surface of mip level `level` (a counted reference).
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) = 0;
  // Maps mip level `level` (rect must be null); D3DERR_INVALIDCALL when locked.
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  // Ends the lock of mip level `level`; the level is uploaded again.
  virtual HRESULT UnlockRect(UINT level) = 0;
};

class IDirect3DCubeTexture8 : public IDirect3DBaseTexture8 {
 public:
  // Description of mip level `level` (the same for every face).
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  // The surface of one face's mip level (a counted reference).
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** surface) = 0;
  // Maps one face's mip level; D3DERR_INVALIDCALL when locked.
  virtual HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                           DWORD flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) = 0;
};

class IDirect3DVertexBuffer8 : public IDirect3DResource8 {
 public:
  // Maps `size` bytes from `offset` (size 0: to the end); D3DERR_INVALIDCALL
  // when the range lies outside the buffer or it is already locked.
  virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
};

class IDirect3DIndexBuffer8 : public IDirect3DResource8 {
 public:
  // As IDirect3DVertexBuffer8::Lock.
  virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
};

// A further back buffer presented into another window.
class IDirect3DSwapChain8 : public IUnknown {
 public:
  // Shows the back buffer in the chain's window (all arguments must be null).
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) = 0;
  // The back buffer (index 0 only; a counted reference).
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) = 0;
};

class IDirect3DDevice8 : public IUnknown {
 public:
  // D3D_OK, D3DERR_DEVICELOST while lost, D3DERR_DEVICENOTRESET when a Reset
  // would now succeed.
  virtual HRESULT TestCooperativeLevel() = 0;
  // What the device can do (the factory's caps for its adapter).
  virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
  // Rebuilds the back buffers from `params`.  D3DERR_DEVICELOST while lost;
  // D3DERR_INVALIDCALL while any D3DPOOL_DEFAULT resource, additional swap
  // chain or reference to the back buffer or depth surface is still held.
  // After success all device states are the defaults again.
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
  // Shows the back buffer in the device window (all arguments must be null).
  virtual HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) = 0;
  // The implicit back buffer (index 0 only; a counted reference).
  virtual HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) = 0;
  // A further back buffer for params->hDeviceWindow, a window of this
  // stand-in; D3DERR_INVALIDCALL for another window or a zero size.  It is a
  // default-pool resource: it must be released before Reset.
  virtual HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params, IDirect3DSwapChain8** chain) = 0;

  // Resource creation: D3DERR_INVALIDCALL for a zero size or an unsupported
  // format, usage or pool.  `levels` 0 asks for the whole mip chain.
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture8** texture) = 0;
  virtual HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DCubeTexture8** texture) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer8** buffer) = 0;
  // Index buffers hold D3DFMT_INDEX16 or D3DFMT_INDEX32 indices.
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer8** buffer) = 0;
  // A depth-stencil surface of D3DFMT_D16, D24X8 or D24S8 (default pool).
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                            IDirect3DSurface8** surface) = 0;

  // Draws into `target` (null keeps the current one) with `depth` (null: none).
  virtual HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depth) = 0;
  // The current colour target (a counted reference).
  virtual HRESULT GetRenderTarget(IDirect3DSurface8** target) = 0;
  // D3DERR_NOTFOUND when no depth surface is bound.
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface8** depth) = 0;

  // Scene brackets; D3DERR_INVALIDCALL when nested or unmatched.
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  // Clears the viewport (or the given rectangles) of the target, depth and
  // stencil as `flags` say.
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;

  // World, view or projection matrix (row vectors); texture transforms are
  // accepted and not used.
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  // D3DERR_INVALIDCALL for anything but world, view and projection.
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  // The drawing rectangle and depth range; nothing is drawn or cleared
  // outside it.  D3DERR_INVALIDCALL when it leaves the render target.
  virtual HRESULT SetViewport(const D3DVIEWPORT8* viewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
  // The material lit vertices take where vertex colours do not stand in.
  virtual HRESULT SetMaterial(const D3DMATERIAL8* material) = 0;
  // Lights 0..7 are used for drawing; higher indices are kept but unused.
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT8* light) = 0;
  // Switches a light on or off; a light switched on before it was set is a
  // white directional light along +z.
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;

  // Render states 0..255 (the documented numbers); D3DERR_INVALIDCALL outside.
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
  // Stages 0..7; a null texture unbinds.
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
  // Stage states of stages 0..7 (types 0..31); D3DERR_INVALIDCALL outside.
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
  // Palette `number` (0..4095) of P8 textures; 256 entries.
  virtual HRESULT SetPaletteEntries(UINT number, const PALETTEENTRY* entries) = 0;
  // The palette P8 textures are drawn with.
  virtual HRESULT SetCurrentTexturePalette(UINT number) = 0;

  // Draws from the vertex buffer on stream 0 (and the index buffer).
  // D3DERR_INVALIDCALL when a vertex or index read would leave its buffer,
  // when the vertex format is unusable or a shader program is selected.
  // While the device is lost draws answer D3D_OK and draw nothing.
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                       UINT primitiveCount) = 0;
  // Draws from caller memory; stream 0 and the indices are unbound afterwards.
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                                  UINT stride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                         UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                         const void* vertices, UINT stride) = 0;

  // Keeps the declaration and token stream and answers a handle (odd, so it
  // never equals a vertex format).  `function` may be null.
  virtual HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle,
                                     DWORD usage) = 0;
  // Selects a flexible vertex format or a vertex shader handle.
  // D3DERR_INVALIDCALL for an unknown shader handle.
  virtual HRESULT SetVertexShader(DWORD handle) = 0;
  virtual HRESULT DeleteVertexShader(DWORD handle) = 0;
  // Constants are accepted (count four-float registers) and not used.
  virtual HRESULT SetVertexShaderConstant(DWORD firstRegister, const void* data, DWORD count) = 0;
  // Keeps the token stream and answers a non-zero handle.  A selected pixel
  // shader is not run: the texture stages draw instead.
  virtual HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) = 0;
  // 0 selects none; D3DERR_INVALIDCALL for an unknown handle.
  virtual HRESULT SetPixelShader(DWORD handle) = 0;
  virtual HRESULT DeletePixelShader(DWORD handle) = 0;
  virtual HRESULT SetPixelShaderConstant(DWORD firstRegister, const void* data, DWORD count) = 0;

  // Streams 0..15; drawing with a vertex format reads stream 0.
  virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
  // The index buffer of indexed draws; `baseVertex` is added to every index.
  virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) = 0;
};

// The factory: adapters, their display modes and caps, and device creation.
class IDirect3D8 : public IUnknown {
 public:
  // One adapter per display.
  virtual UINT GetAdapterCount() = 0;
  // Driver and description texts and identity numbers of an adapter.
  virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) = 0;
  // Full-screen modes of the display (a display that lists none offers the
  // usual sizes up to its own); 0 for an unknown adapter.
  virtual UINT GetAdapterModeCount(UINT adapter) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
  // The adapter's current (desktop) mode.
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
  // D3D_OK when a device of `type` can run with this display and back-buffer
  // format; D3DERR_NOTAVAILABLE otherwise (the reference device never can).
  virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                  BOOL windowed) = 0;
  // D3D_OK when a resource of `checkFormat` with `usage` can be made.
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
  // D3D_OK for the depth formats the device gives (D16, D24X8, D24S8).
  virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) = 0;
  // Caps of the hardware device; no shader versions are reported.
  virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
  // Creates the device drawing into `focusWindow` (or params->hDeviceWindow).
  // D3DERR_NOTAVAILABLE when no OpenGL context can be made on the window,
  // D3DERR_INVALIDCALL for bad parameters.
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) = 0;
};

// Creates the factory; null when `sdkVersion` is not D3D_SDK_VERSION or no
// video system is available (the reason goes to stderr).
IDirect3D8* Direct3DCreate8(UINT sdkVersion);
