// The render object: owns the Direct3D interface and device, lists the
// adapters, devices and display modes, chooses and creates the device, caches
// the render states, sets blend modes and fog, runs the frame, survives a lost
// device, and makes buffers, textures and draw calls.  Only one exists; every
// other part of the engine reaches it through `g_Render`.  Main thread only.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "platform/win32/win_types.h"
#include "render/geometry/matrix.h"

// What the chosen device can do (bits of a 32-bit word).
enum DeviceFeatureFlags : std::uint32_t {
  DFF_MULTITEXTURE = 0x1,
  DFF_ALPHA_BLEND = 0x2,
  DFF_MODULATE_BLEND = 0x4,
  DFF_ZBIAS = 0x8,
  DFF_VERTEX_FOG = 0x10,
  DFF_TABLE_FOG = 0x20,
  DFF_Z_FOG = 0x40,
  DFF_ALPHA_TEST = 0x80,
  DFF_WIREFRAME = 0x100,
  DFF_VERTEX_SHADERS = 0x200,
  DFF_PIXEL_SHADERS = 0x400,
  DFF_TEMP_ARGUMENT = 0x800,
  DFF_CUBE_MAPS = 0x1000,
};

// Render options word: bits 0 and 2 need multitexture, bit 1 multitexture and
// cube maps, bit 3 stencil bits, bit 4 vertex shaders, bit 5 pixel shaders.
enum RenderOptions : std::uint32_t {
  RENDER_OPTION_0 = 0x1,
  RENDER_OPTION_1 = 0x2,
  RENDER_OPTION_2 = 0x4,
  RENDER_OPTION_STENCIL = 0x8,
  RENDER_OPTION_VERTEX_SHADERS = 0x10,
  RENDER_OPTION_PIXEL_SHADERS = 0x20,
  RENDER_OPTIONS_ALL = 0x3F,
};

// Fixed vertex formats.
constexpr DWORD kFvfDebug = 0x142;   // position, diffuse, one texture pair
constexpr DWORD kFvfScreen = 0x144;  // pre-transformed position with rhw, diffuse, one texture pair
constexpr DWORD kFvfMesh = 0x152;    // position, normal, diffuse, one texture pair

constexpr int kMaxAdapters = 10;
constexpr int kMaxDevices = 5;
constexpr int kMaxModes = 150;
constexpr int kMaxScratchFormats = 20;
constexpr int kRenderStateCount = 171;
constexpr int kTextureStages = 8;
constexpr int kViewportStackSize = 4;
constexpr int kMaxSwapChains = 4;
constexpr std::uint32_t kRenderStatePoison = 0xDEADFACE;

// One display mode of a device: eight 32-bit words.
struct DisplayModeInfo {
  DWORD Width;
  DWORD Height;
  D3DFORMAT Format;
  DWORD Behaviour;  // D3DCREATE_* flags for device creation
  D3DFORMAT DepthStencilFormat;
  DWORD ColourBits;
  DWORD DepthBits;
  DWORD StencilBits;
};

// One device type of an adapter.
struct DeviceInfo {
  D3DDEVTYPE DeviceType;
  D3DCAPS8 Caps;
  const char* Name;
  DWORD CanRenderWindowed;
  DWORD FeatureFlags;
  DWORD ModeCount;
  DisplayModeInfo Modes[kMaxModes];
  DWORD CurrentMode;
  DWORD Windowed;
  D3DMULTISAMPLE_TYPE MultiSampleType;
};

// One display adapter.
struct AdapterInfo {
  D3DADAPTER_IDENTIFIER8 Identifier;
  D3DDISPLAYMODE DesktopMode;
  DWORD DeviceCount;
  DeviceInfo Devices[kMaxDevices];
  DWORD CurrentDevice;
  DWORD FullScreenRequest;
};

// Display modes and formats of one adapter, during enumeration only.
struct ModeScratchList {
  DWORD ModeCount;
  D3DDISPLAYMODE Modes[kMaxModes];
  DWORD FormatCount;
  D3DFORMAT Formats[kMaxScratchFormats];
};

// An additional swap chain for a further window.
struct SwapChainRecord {
  IDirect3DSwapChain8* SwapChain;
  IDirect3DSurface8* DepthStencil;
  D3DVIEWPORT8 Viewport;
};

// Pre-transformed screen vertex (format 0x144), 28 bytes.
struct ScreenVertex {
  float x, y, z, rhw;
  DWORD Diffuse;
  float u, v;
};

class CRender;

// The game's device callback: called after the device list is built and before
// the device is created; may change the choices in the list; 0 vetoes start-up.
using DeviceCallback = int (*)(CRender* render, HINSTANCE instance, HWND window, int value);

class CRender {
 public:
  // Empties the object, poisons the state cache and makes the object current.
  CRender();
  ~CRender();
  CRender(const CRender&) = delete;
  CRender& operator=(const CRender&) = delete;

  // --- Start-up and shut-down -------------------------------------------------

  // Lists adapters, runs the callback, creates the device and sets the defaults.
  // False when Direct3D cannot be created, no adapter has a usable mode, the
  // callback vetoes (Direct3D is then released) or device creation fails.
  bool Initialise(HINSTANCE instance, HWND window, DeviceCallback callback, int callbackValue);
  // Releases the default material, spare texture, surfaces, device and Direct3D.
  void Release();
  // Makes this the object that `g_Render` names.
  void MakeCurrent();

  // True when the vertex shader version and constant count reach each of the three.
  bool SupportsVertexShader(int major, int minor, int constants) const;
  // True when the pixel shader version reaches major and minor.
  bool SupportsPixelShader(int major, int minor) const;
  void SetVertexShadersOn(DWORD on) { m_VertexShadersOn = on; }
  DWORD GetVertexShadersOn() const { return m_VertexShadersOn; }
  // The current adapter's description text.
  const char* GetAdapterDescription() const;
  void SetVertexCacheSize(DWORD n) { m_VertexCacheSize = n; }
  DWORD GetVertexCacheSize() const { return m_VertexCacheSize; }
  // Adds option bits, then drops those the device cannot honour; publishes the switches.
  void ApplyRenderOptions(DWORD mask);

  // --- Render-state cache (render_states.cpp) ----------------------------------

  // Sends the state when it differs from the cached word; answers the previous
  // word (or the value when nothing was sent).  States beyond the cache go
  // straight to the device and answer the value.
  DWORD SetRenderStateCached(D3DRENDERSTATETYPE state, DWORD value);
  // The cached word of a state (0 for states beyond the cache).
  DWORD GetRenderStateCached(D3DRENDERSTATETYPE state) const;

  DWORD SetZEnable(DWORD v) { return SetRenderStateCached(D3DRS_ZENABLE, v); }
  DWORD GetZEnable() const { return GetRenderStateCached(D3DRS_ZENABLE); }
  DWORD SetZWrite(DWORD v) { return SetRenderStateCached(D3DRS_ZWRITEENABLE, v); }
  DWORD GetZWrite() const { return GetRenderStateCached(D3DRS_ZWRITEENABLE); }
  DWORD SetZBias(DWORD v) { return SetRenderStateCached(D3DRS_ZBIAS, v); }
  DWORD SetLastPixel(DWORD v) { return SetRenderStateCached(D3DRS_LASTPIXEL, v); }
  DWORD SetFogEnable(DWORD v) { return SetRenderStateCached(D3DRS_FOGENABLE, v); }
  DWORD GetFogEnable() const { return GetRenderStateCached(D3DRS_FOGENABLE); }
  DWORD SetStencilEnable(DWORD v) { return SetRenderStateCached(D3DRS_STENCILENABLE, v); }
  DWORD GetStencilEnable() const { return GetRenderStateCached(D3DRS_STENCILENABLE); }
  DWORD SetCullMode(DWORD v) { return SetRenderStateCached(D3DRS_CULLMODE, v); }
  DWORD GetCullMode() const { return GetRenderStateCached(D3DRS_CULLMODE); }
  DWORD SetShadeMode(DWORD v) { return SetRenderStateCached(D3DRS_SHADEMODE, v); }
  DWORD GetShadeMode() const { return GetRenderStateCached(D3DRS_SHADEMODE); }
  DWORD SetLighting(DWORD v) { return SetRenderStateCached(D3DRS_LIGHTING, v); }
  DWORD GetLighting() const { return GetRenderStateCached(D3DRS_LIGHTING); }
  DWORD SetSpecular(DWORD v) { return SetRenderStateCached(D3DRS_SPECULARENABLE, v); }
  DWORD GetSpecular() const { return GetRenderStateCached(D3DRS_SPECULARENABLE); }
  DWORD SetClipping(DWORD v) { return SetRenderStateCached(D3DRS_CLIPPING, v); }
  DWORD GetClipping() const { return GetRenderStateCached(D3DRS_CLIPPING); }
  DWORD SetAmbient(DWORD v) { return SetRenderStateCached(D3DRS_AMBIENT, v); }
  void SetTextureFactor(DWORD v) { SetRenderStateCached(D3DRS_TEXTUREFACTOR, v); }

  // Solid fill, or wireframe when solid is 0 and the device can; answers the previous fill mode.
  DWORD SetSolidFill(DWORD solid);
  bool IsSolidFill() const;
  // Alpha test at reference (greater-or-equal); nothing at all without that compare.
  void SetAlphaTest(DWORD on, DWORD reference);
  DWORD GetAlphaTest() const { return m_AlphaTestSwitch; }
  // Mip filter of stages 0 and 1, linear or none; answers the previous switch.
  DWORD SetMipmapping(DWORD on);
  DWORD GetMipmapping() const { return m_MipmappingSwitch; }
  // Min and mag filters of stages 0 and 1, linear or point; answers the previous switch.
  DWORD SetBilinearFilter(DWORD on);
  DWORD GetBilinearFilter() const { return m_BilinearSwitch; }
  // Ignores the value and answers 1 (a placeholder for save-and-restore callers).
  DWORD SetNoOpState(DWORD value);
  // Addressing of stages 0 and 1: mode 0 wrap, 1 clamp, anything else nothing.
  void SetTextureClampU(DWORD mode);
  void SetTextureClampV(DWORD mode);
  // Addressing of one stage: 0 wrap, 1 clamp; any other value sets nothing and answers clamp - 1.
  DWORD SetStageClampU(DWORD stage, DWORD clamp);
  DWORD SetStageClampV(DWORD stage, DWORD clamp);
  // Turning texturing off unbinds stage 0; while off, SetTexture does nothing.
  void SetTexturing(DWORD on);
  DWORD GetTexturing() const { return m_TexturingOn; }
  // Binds the texture on the stage (0-7) when it differs from the cached one.
  void SetTexture(DWORD stage, IDirect3DBaseTexture8* texture);
  // Binds the spare texture (normally none) on the stage.
  void ClearTexture(DWORD stage);
  // Answers the previous clear colour.
  DWORD SetClearColour(DWORD colour);
  DWORD GetClearColour() const { return m_ClearColour; }
  // Passes the material to the device (not cached).
  void SetMaterial(const D3DMATERIAL8* material);
  void ApplyDefaultMaterial();
  void ResetPalettes() { m_PaletteCount = 0; }
  // Makes the 256 entries opaque, sends them and answers their palette number.
  DWORD AddPalette(PALETTEENTRY* entries);
  void SetTexturePalette(DWORD n);

  // Sets blending and the texture stages of a numbered mode (1 to 25); answers
  // the previous mode.  The current mode again sends nothing.
  int SetBlendMode(int mode);
  int GetBlendMode() const { return m_BlendMode; }

  // Fog through table or vertex fog, whichever the device has.
  void SetFog(DWORD colour, float start, float end, float density);
  void SetFogColour(DWORD colour);
  void SetFogStart(float start);
  void SetFogEnd(float end);
  void SetFogDensity(float density);
  void GetFog(DWORD* colour, float* start, float* end, float* density) const;
  // Stores the four values and the factors; sets nothing on the device.
  void SetFogValues(DWORD colour, float start, float end, float density);
  // Linear table fog from the stored values, fog on.
  void ApplyLinearTableFog();
  // r = start / end and 1 / (1 - r): software fog is 1 - (d - r) x scale.
  float GetFogStartRatio() const { return m_FogStartRatio; }
  float GetFogScale() const { return m_FogScale; }

  // The states set after device creation and after every reset.
  void SetDefaultStates();

  // --- Frame, device loss, buffers, drawing (render_frame.cpp) ------------------

  // False while the device is lost (skip the frame); resets it once it can be.
  bool CheckDevice();
  // Clears depth (and stencil when the mode has it); non-zero also clears the target.
  void Clear(DWORD clearTarget);
  // Forgets the cached stage textures and begins the scene.
  void BeginScene();
  void EndScene();
  // Presents the whole back buffer.
  void Present();
  bool IsDeviceCreated() const { return m_Device != nullptr; }
  // Unbinds shaders, buffers and textures (before level resources are freed).
  void UnbindAll();

  // A further window's swap chain; null when the device refuses or 4 exist.
  SwapChainRecord* CreateSwapChain(HWND window, DWORD width, DWORD height);
  // Renders into the record's back buffer, or the main one when null.
  void SetSwapChainTarget(SwapChainRecord* record);
  // Presents the record's swap chain, or the device when null.
  void PresentSwapChain(SwapChainRecord* record);

  void InitViewport();
  void SetViewport(D3DVIEWPORT8* record);
  D3DVIEWPORT8* GetViewport() const { return m_CurrentViewport; }
  // Copies the record onto the viewport stack; false when the 4 slots are used.
  bool PushViewportRecord(const D3DVIEWPORT8& record);
  // Address of stack record i (0-3), null beyond.
  D3DVIEWPORT8* GetViewportRecord(DWORD i);
  // Point inside the current viewport, borders included.
  bool IsPointInViewport(float x, float y) const;

  void SetWorldMatrix(const CMatrix& m);
  void SetViewMatrix(const CMatrix& m);
  void SetProjectionMatrix(const CMatrix& m);
  const CMatrix& GetWorldMatrix() const { return m_World; }
  const CMatrix& GetViewMatrix() const { return m_View; }
  const CMatrix& GetProjectionMatrix() const { return m_Projection; }
  // Push the kept copy on the matrix stack; pops restore it and set the device.
  void PushWorldMatrix();
  void PushViewMatrix();
  void PushProjectionMatrix();
  void PopWorldMatrix();
  void PopViewMatrix();
  void PopProjectionMatrix();
  // world x view, flags ORed.
  void GetWorldViewMatrix(CMatrix* out) const;
  // (world x view) x projection, flags ORed.
  void GetWorldViewProjectionMatrix(CMatrix* out) const;

  // Buffers: null when the device refuses.
  IDirect3DVertexBuffer8* CreateVertexBuffer(DWORD count, DWORD vertexFormat, DWORD stride);
  IDirect3DVertexBuffer8* CreateDynamicVertexBuffer(DWORD count, DWORD vertexFormat, DWORD stride);
  IDirect3DIndexBuffer8* CreateIndexBuffer(DWORD count);
  void SetStreamSource(IDirect3DVertexBuffer8* buffer, DWORD stride);
  void SetIndices(IDirect3DIndexBuffer8* buffer);
  // Sets the vertex shader handle or fixed format and keeps it.
  void SetVertexFormat(DWORD handleOrFormat);
  DWORD GetVertexFormat() const { return m_VertexFormat; }

  // Draws from user memory: nothing and the code when the device is not usable.
  HRESULT DrawPointsUP(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawLinesUP(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawLineStrip(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawTrianglesUP(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawTriangleStripUP(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawTriangleFan(DWORD n, const void* vertices, DWORD stride);
  HRESULT DrawIndexedStripUP(DWORD n, DWORD vertexCount, const void* vertices, const WORD* indices, DWORD stride);
  HRESULT DrawIndexedListUP(DWORD n, DWORD vertexCount, const void* vertices, const WORD* indices, DWORD stride);
  // Draws from the current stream.
  HRESULT DrawPoints(DWORD n, DWORD startVertex);
  HRESULT DrawLines(DWORD n, DWORD startVertex);
  HRESULT DrawLineStripVB(DWORD n, DWORD startVertex);
  HRESULT DrawTriangles(DWORD n, DWORD startVertex);
  HRESULT DrawTriangleStripVB(DWORD n, DWORD startVertex);
  HRESULT DrawTriangleFanVB(DWORD n, DWORD startVertex);
  HRESULT DrawIndexedList(DWORD n, DWORD vertexCount);
  HRESULT DrawIndexedStrip(DWORD n, DWORD vertexCount);

  // 2D adjustments of pre-transformed vertices (scale and rotation about the
  // viewport centre, colour multipliers).  The neutral value clears the flag.
  void Set2DScale(float s);
  void Set2DRotation(float radians);
  void Set2DRedScale(float f);
  void Set2DGreenScale(float f);
  void Set2DBlueScale(float f);
  void Set2DAlphaScale(float f);
  DWORD Get2DAdjustFlags() const { return m_2DFlags; }
  float Get2DScale() const { return m_2DScale; }
  float Get2DRotation() const { return m_2DRotation; }
  float Get2DRedScale() const { return m_RedScale; }
  float Get2DGreenScale() const { return m_GreenScale; }
  float Get2DBlueScale() const { return m_BlueScale; }
  float Get2DAlphaScale() const { return m_AlphaScale; }
  // The game shell switches the adjustments off around drawing that must not be adjusted.
  DWORD m_2DAdjustmentsOn;

  // --- Texture creation (render_textures.cpp) -----------------------------------

  // A managed texture from image data in memory; null when D3DX refuses the data.
  IDirect3DTexture8* CreateTextureFromMemory(const void* data, DWORD size, PALETTEENTRY* palette,
                                             D3DCOLOR colourKey, DWORD flags, int scalePercent);
  // A managed texture from an image file (BMP, PNG, DDS); null otherwise.
  IDirect3DTexture8* CreateTextureFromFile(const char* name, D3DCOLOR colourKey, DWORD flags);
  // A managed cube texture from DDS data; null for other data or when D3DX refuses.
  IDirect3DCubeTexture8* CreateCubeTextureFromMemory(const void* data, DWORD size, PALETTEENTRY* palette,
                                                     D3DCOLOR colourKey, DWORD flags, int scalePercent);
  IDirect3DTexture8* CreateRenderTargetTexture(DWORD width, DWORD height);
  IDirect3DCubeTexture8* CreateRenderTargetCube(DWORD edge);
  void SetRenderTargetTexture(IDirect3DTexture8* texture);
  void SetRenderTargetCubeFace(IDirect3DCubeTexture8* cube, D3DCUBEMAP_FACES face);
  void RestoreRenderTarget();

  // --- Fields read by other parts of the engine ----------------------------------

  IDirect3DDevice8* GetDevice() const { return m_Device; }
  IDirect3D8* GetDirect3D() const { return m_Direct3D; }
  const D3DCAPS8& GetCaps() const { return m_Caps; }
  DWORD GetFeatureFlags() const { return m_FeatureFlags; }
  DWORD GetRenderOptions() const { return m_RenderOptions; }
  DWORD GetModeWidth() const { return m_ModeWidth; }
  DWORD GetModeHeight() const { return m_ModeHeight; }
  DWORD GetColourBits() const { return m_ColourBits; }
  DWORD GetDepthBits() const { return m_DepthBits; }
  DWORD GetStencilBits() const { return m_StencilBits; }
  DWORD GetDesktopColourBits() const { return m_DesktopColourBits; }
  const D3DSURFACE_DESC& GetBackBufferDesc() const { return m_BackBufferDesc; }
  const D3DPRESENT_PARAMETERS& GetPresentParameters() const { return m_PresentParameters; }
  bool IsDeviceReady() const { return m_DeviceReady != 0; }
  int GetVertexShaderMajor() const { return m_VertexShaderMajor; }
  int GetPixelShaderMajor() const { return m_PixelShaderMajor; }
  DWORD GetWindowed() const { return m_Windowed; }

  // The device list, open to the device callback and the launch dialog.
  DWORD m_AdapterCount;
  DWORD m_CurrentAdapter;
  AdapterInfo m_Adapters[kMaxAdapters];
  // Depth-stencil wishes used while listing modes.
  DWORD m_WantedDepthBits;
  DWORD m_WantedStencilBits;
  DWORD m_PreferStencil;
  // Shadow level 0, 1 or 2 (starts at 2).
  DWORD m_ShadowLevel;
  // 2 by day, 0 by night (the sky writes it).
  DWORD m_DayFlag = 0;
  // Device settings written by the launch dialog.
  std::uint8_t m_DrawDistanceSwitch;
  std::uint8_t m_ShrubLevelSwitch;
  DWORD m_TextureResolution;

 private:
  bool CreateDirect3D(HINSTANCE instance, HWND window);
  bool BuildAdapterList();
  void EnumerateDisplayModes(UINT adapter, AdapterInfo* info, ModeScratchList* scratch);
  void BuildDeviceList(UINT adapter, AdapterInfo* info, ModeScratchList* scratch);
  bool FindDepthStencilFormat(UINT adapter, D3DDEVTYPE type, DWORD depthBits, DWORD stencilBits,
                              DWORD preferStencil, D3DFORMAT adapterFormat, D3DFORMAT* out);
  bool CheckDepthStencilFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                               D3DFORMAT depthFormat);
  int ConfirmDevice(const D3DCAPS8* caps, DWORD behaviour, D3DFORMAT format);
  bool ChooseInitialDevice();
  bool CreateDevice();
  void PublishGlobals();
  void SetTextureStage(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  void SetFogFactors();
  void Adjust2DVertices(DWORD n, const void* vertices, DWORD stride, const void** adjusted);
  void ForgetStageTextures();
  HRESULT DrawUserPrimitive(D3DPRIMITIVETYPE type, DWORD n, DWORD vertexCount, const void* vertices,
                            DWORD stride);

  HINSTANCE m_Instance;
  HWND m_Window;
  HWND m_FocusWindow;
  HWND m_DeviceWindow;
  DWORD m_ViewportStackCount;
  D3DVIEWPORT8 m_ViewportStack[kViewportStackSize];
  D3DPRESENT_PARAMETERS m_PresentParameters;
  LONG m_WindowStyle;
  RECT m_WindowRect;
  RECT m_ClientRect;
  int m_VertexShaderMajor;
  int m_VertexShaderMinor;
  int m_VertexShaderConstants;
  int m_PixelShaderMajor;
  int m_PixelShaderMinor;
  DWORD m_Windowed;
  IDirect3D8* m_Direct3D;
  IDirect3DDevice8* m_Device;
  D3DCAPS8 m_Caps;
  D3DSURFACE_DESC m_BackBufferDesc;
  DWORD m_RenderOptions;
  DWORD m_DeviceReady;
  IDirect3DBaseTexture8* m_SpareTexture;
  D3DMATERIAL8* m_DefaultMaterial;
  D3DVIEWPORT8 m_MainViewport;
  D3DVIEWPORT8* m_CurrentViewport;
  float m_HalfWidth;
  float m_HalfHeight;
  float m_CentreDepth;
  IDirect3DSurface8* m_BackBuffer;
  IDirect3DSurface8* m_DepthStencil;
  DWORD m_FeatureFlags;
  DWORD m_VertexShadersOn;
  DWORD m_ModeWidth;
  DWORD m_ModeHeight;
  DWORD m_DesktopColourBits;
  DWORD m_ColourBits;
  DWORD m_DepthBits;
  DWORD m_StencilBits;

  // State cache and switches.
  DWORD m_MipmappingSwitch;
  DWORD m_BilinearSwitch;
  DWORD m_AlphaTestSwitch;
  int m_BlendMode;
  DWORD m_ClearColour;
  IDirect3DBaseTexture8* m_StageTextures[kTextureStages];
  DWORD m_RenderStates[kRenderStateCount];
  DWORD m_PaletteCount;
  DWORD m_FogColour;
  float m_FogStart;
  float m_FogEnd;
  float m_FogDensity;
  DWORD m_TexturingOn;
  float m_FogStartRatio;
  float m_FogScale;

  // Transforms and the vertex format.
  CMatrix m_World;
  CMatrix m_View;
  CMatrix m_Projection;
  DWORD m_VertexFormat;

  // 2D adjustments.
  DWORD m_2DFlags;
  float m_2DScale;
  float m_2DRotation;
  float m_RedScale;
  float m_GreenScale;
  float m_BlueScale;
  float m_AlphaScale;

  DWORD m_VertexCacheSize;
};

// The render object in use, and what it publishes for direct use.
extern CRender* g_Render;
extern IDirect3D8* g_Direct3D;
extern IDirect3DDevice8* g_Device;
extern const D3DCAPS8* g_DeviceCaps;
// Render option bits 0, 1 and 2 as switches for mesh rendering, and bit 2 once more.
extern DWORD g_RenderSwitches[3];
extern DWORD g_DetailSwitch;

// Additional swap chains: records, their windows and the count.
extern SwapChainRecord* g_SwapChains[kMaxSwapChains];
extern HWND g_SwapChainWindows[kMaxSwapChains];
extern int g_SwapChainCount;

// Replaces Direct3DCreate8 for later start-ups (null restores it), so that
// tests can list scripted adapters.
using Direct3DCreateFunction = IDirect3D8* (*)(UINT sdkVersion);
void SetDirect3DCreateFunction(Direct3DCreateFunction create);

// Fills a viewport record.
void MakeViewport(D3DVIEWPORT8* record, DWORD x, DWORD y, DWORD width, DWORD height, float minZ, float maxZ);

// Buffer helpers.  Release clears the caller's pointer so that it cannot be released twice.
void ReleaseVertexBuffer(IDirect3DVertexBuffer8** buffer);
void ReleaseIndexBuffer(IDirect3DIndexBuffer8** buffer);
// Lock the whole buffer; null when the lock fails.
void* LockVertexBuffer(IDirect3DVertexBuffer8* buffer);
void* LockVertexBufferDiscard(IDirect3DVertexBuffer8* buffer);
void* LockVertexBufferNoOverwrite(IDirect3DVertexBuffer8* buffer);
void UnlockVertexBuffer(IDirect3DVertexBuffer8* buffer);
void* LockIndexBuffer(IDirect3DIndexBuffer8* buffer);
void UnlockIndexBuffer(IDirect3DIndexBuffer8* buffer);
