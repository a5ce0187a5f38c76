// Inner classes of the Direct3D 8 stand-in: the factory, the device over an
// OpenGL 2.1 compatibility context, and its resources.  Platform-internal.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/d3d8_test_hooks.h"

namespace d3d8 {

class Device;

// Reference counting shared by every object handed out.
template <class Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** out) override {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG r = --refs_;
    if (r == 0) delete this;
    return r;
  }
  ULONG Refs() const { return refs_; }

 protected:
  ULONG refs_ = 1;
};

// A resource the device keeps a list of, so that Reset can refuse while a
// D3DPOOL_DEFAULT one lives and the device's end can orphan the rest.
class Tracked {
 public:
  Tracked(Device* device, D3DPOOL pool);
  virtual ~Tracked();
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  // Current reference count.
  virtual ULONG Count() const = 0;
  // Frees OpenGL objects while the context still exists.
  virtual void DropGl() = 0;
  Device* device_;
  D3DPOOL pool_;
};

class TextureStore;

// A 2D image: a texture level, a back buffer or a depth-stencil buffer.
class Surface final : public IDirect3DSurface8 {
 public:
  enum class Kind { kTextureLevel, kColour, kDepth };
  // Ownership of the count: forwarded to a texture, kept by the device (the
  // implicit buffers: never deleted by Release), or owned (deleted at zero).
  enum class Counting { kForward, kDeviceHeld, kOwned };

  HRESULT QueryInterface(REFIID, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;

  ~Surface() override;

  Kind kind_ = Kind::kColour;
  Counting counting_ = Counting::kOwned;
  ULONG refs_ = 1;
  IUnknown* owner_ = nullptr;        // the texture of a level
  TextureStore* store_ = nullptr;    // its texel store
  UINT face_ = 0, level_ = 0;
  D3DSURFACE_DESC desc_{};
  GLuint texture_ = 0;               // colour: GL texture holding the image
  GLenum target_ = GL_TEXTURE_2D;    // GL_TEXTURE_2D or a cube face
  GLuint renderbuffer_ = 0;          // depth: GL renderbuffer
  bool ownsGl_ = false;
  Device* device_ = nullptr;
  Tracked* tracked_ = nullptr;       // for owned depth surfaces
  std::vector<std::uint8_t> readback_;
  bool locked_ = false;
};

// Texel memory and the GL texture of a plain or cube texture.
class TextureStore {
 public:
  TextureStore(Device* device, UINT width, UINT height, UINT levels, UINT faces, DWORD usage, D3DFORMAT format,
               D3DPOOL pool);
  ~TextureStore();
  bool Ok() const { return ok_; }
  UINT Width(UINT level) const { return std::max(1u, width_ >> level); }
  UINT Height(UINT level) const { return std::max(1u, height_ >> level); }
  void Describe(UINT level, D3DSURFACE_DESC* desc) const;
  // Describes a level; D3DERR_INVALIDCALL for a null desc or a level past the last.
  HRESULT LevelDesc(UINT level, D3DSURFACE_DESC* desc) const;
  // Deletes the GL texture and detaches the store and its level surfaces from
  // the device (the device is going away).
  void DropGl();
  std::vector<std::uint8_t>& Level(UINT face, UINT level) { return data_[face * levels_ + level]; }
  // Sends one level's texels to GL (converted to RGBA).
  void Upload(UINT face, UINT level);
  // Uploads every level again (P8 textures when the palette changes).
  void UploadAll();
  GLenum GlTarget() const { return faces_ == 6 ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D; }
  GLenum FaceTarget(UINT face) const {
    return faces_ == 6 ? static_cast<GLenum>(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face) : GL_TEXTURE_2D;
  }

  Device* device_;
  UINT width_, height_, levels_, faces_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  GLuint gl_ = 0;
  std::vector<std::vector<std::uint8_t>> data_;
  std::vector<Surface*> surfaces_;
  std::vector<bool> locked_;
  UINT uploadedPalette_ = 0xFFFFFFFFu;
  // Sampler settings last sent to GL for this texture.
  GLint minFilter_ = -1, magFilter_ = -1, wrapS_ = -1, wrapT_ = -1, maxLevel_ = -1;
  bool ok_ = false;
};

class Texture final : public Counted<IDirect3DTexture8>, public Tracked {
 public:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~Texture() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return store_.levels_; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  ULONG Count() const override { return refs_; }
  void DropGl() override;
  TextureStore store_;
};

class CubeTexture final : public Counted<IDirect3DCubeTexture8>, public Tracked {
 public:
  CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~CubeTexture() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  DWORD GetLevelCount() override { return store_.levels_; }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** surface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                   DWORD flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override;
  ULONG Count() const override { return refs_; }
  void DropGl() override;
  TextureStore store_;
};

// The texel store behind a base texture pointer, or null.
TextureStore* StoreOf(IDirect3DBaseTexture8* texture);

// A device-held colour render target with its own GL texture of width x height
// (the implicit back buffers of the device and of swap chains); the caller's GL
// context must be current.
Surface* NewBackBuffer(Device* device, D3DFORMAT format, UINT width, UINT height);

// Vertex and index buffers keep their bytes in memory; draws read them there.
template <class Interface, D3DRESOURCETYPE kType>
class Buffer final : public Counted<Interface>, public Tracked {
 public:
  Buffer(Device* device, UINT length, DWORD usage, DWORD format, D3DPOOL pool)
      : Tracked(device, pool), bytes_(length), usage_(usage), format_(format) {}
  D3DRESOURCETYPE GetType() override { return kType; }
  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
    if (!data || locked_ || offset > bytes_.size()) return D3DERR_INVALIDCALL;
    if (size == 0) size = static_cast<UINT>(bytes_.size()) - offset;
    if (size > bytes_.size() - offset) return D3DERR_INVALIDCALL;
    *data = bytes_.data() + offset;
    locked_ = true;
    return D3D_OK;
  }
  HRESULT Unlock() override {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
  }
  ULONG Count() const override { return this->refs_; }
  void DropGl() override {}
  std::vector<std::uint8_t> bytes_;
  DWORD usage_;
  DWORD format_;  // vertex format, or the index format
  bool locked_ = false;
};
using VertexBuffer = Buffer<IDirect3DVertexBuffer8, D3DRTYPE_VERTEXBUFFER>;
using IndexBuffer = Buffer<IDirect3DIndexBuffer8, D3DRTYPE_INDEXBUFFER>;

class SwapChain final : public Counted<IDirect3DSwapChain8>, public Tracked {
 public:
  SwapChain(Device* device, void* sdlWindow, UINT width, UINT height);
  ~SwapChain() override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;
  ULONG Count() const override { return refs_; }
  void DropGl() override;
  void* window_;
  Surface* back_ = nullptr;
};

// What the stand-in learned about OpenGL when the factory was made.
struct GlFacts {
  std::string renderer, vendor, version;
  int textureUnits = 1;
  int maxTextureSize = 2048;
};

class Factory final : public Counted<IDirect3D8> {
 public:
  explicit Factory(const GlFacts& facts);
  ~Factory() override;
  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
  UINT GetAdapterModeCount(UINT adapter) override;
  HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
  HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                          BOOL windowed) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                            D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
  HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                 D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                       D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) override;

  void FillCaps(UINT adapter, D3DCAPS8* caps) const;

 private:
  struct Adapter {
    D3DDISPLAYMODE desktop{};
    std::vector<D3DDISPLAYMODE> modes;
  };
  GlFacts facts_;
  std::vector<Adapter> adapters_;
};

// Depth formats the stand-in can give (all kept as 24-bit depth, 8-bit stencil).
bool IsDepthFormat(D3DFORMAT format);
// Display and back-buffer formats of the stand-in.
bool IsDisplayFormat(D3DFORMAT format);

struct VertexShaderRecord {
  std::vector<DWORD> declaration;
  std::vector<DWORD> function;
};

// Dirty groups.
enum : unsigned {
  kDirtyBlend = 1u << 0,
  kDirtyDepth = 1u << 1,
  kDirtyStencil = 1u << 2,
  kDirtyAlpha = 1u << 3,
  kDirtyRaster = 1u << 4,
  kDirtyFog = 1u << 5,
  kDirtyLighting = 1u << 6,
  kDirtyStages = 1u << 7,
  kDirtyTransform = 1u << 8,
  kDirtyViewport = 1u << 9,
};

class Device final : public Counted<IDirect3DDevice8> {
 public:
  Device(Factory* factory, UINT adapter, void* sdlWindow, void* context, const D3DPRESENT_PARAMETERS& params);
  ~Device() override;
  // Builds the back buffers; false when GL refuses.
  bool Start();

  HRESULT TestCooperativeLevel() override;
  HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
  HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) override;
  HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) override;
  HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params, IDirect3DSwapChain8** chain) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture8** texture) override;
  HRESULT CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DCubeTexture8** texture) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer8** buffer) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer8** buffer) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                    IDirect3DSurface8** surface) override;
  HRESULT SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depth) override;
  HRESULT GetRenderTarget(IDirect3DSurface8** target) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface8** depth) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
  HRESULT SetMaterial(const D3DMATERIAL8* material) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetPaletteEntries(UINT number, const PALETTEENTRY* entries) override;
  HRESULT SetCurrentTexturePalette(UINT number) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                               UINT primitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                 const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                 UINT stride) override;
  HRESULT CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) override;
  HRESULT SetVertexShader(DWORD handle) override;
  HRESULT DeleteVertexShader(DWORD handle) override;
  HRESULT SetVertexShaderConstant(DWORD firstRegister, const void* data, DWORD count) override;
  HRESULT CreatePixelShader(const DWORD* function, DWORD* handle) override;
  HRESULT SetPixelShader(DWORD handle) override;
  HRESULT DeletePixelShader(DWORD handle) override;
  HRESULT SetPixelShaderConstant(DWORD firstRegister, const void* data, DWORD count) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) override;

  // ---- Shared with the resources and the test hooks ----
  void Track(Tracked* r) { resources_.insert(r); }
  void Untrack(Tracked* r) { resources_.erase(r); }
  const PALETTEENTRY* CurrentPalette() const;
  UINT CurrentPaletteNumber() const { return currentPalette_; }
  void MakeCurrent();
  // Reads the current render target into ARGB texels (row 0 at the top).
  void ReadTarget(Surface* surface, std::vector<std::uint32_t>* argb);
  D3DCOLOR ReadPixel(int x, int y);
  // The block (x, y, width, height) of the target, rows top first; false when it does not lie inside.
  bool ReadPixels(int x, int y, int width, int height, std::uint32_t* out);
  int DefaultPoolCount() const;
  void PresentWindow(void* sdlWindow, Surface* colour);
  void Record(const char* method, std::initializer_list<std::uint64_t> args, const void* data = nullptr,
              std::size_t bytes = 0);
  bool recording_ = false;
  std::vector<D3D8Call> calls_;
  HRESULT cooperative_ = D3D_OK;
  // Texture bindings were changed behind the stages: bind them again.
  void TouchTextures() { dirty_ |= kDirtyStages; }
  // Makes the next draw send all GL state again (after foreign GL calls).
  void ForgetGlState() {
    for (int u = 0; u < 8; ++u) {
      glClientActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + u));
      glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glClientActiveTexture(GL_TEXTURE0);
    clientUnit_ = 0;
    for (GLenum a : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_SECONDARY_COLOR_ARRAY})
      glDisableClientState(a);
    enabledArrays_ = 0;
    ringBound_ = false;
    glColor4f(1, 1, 1, 1);
    glNormal3f(0, 0, 0);
    glDisable(GL_COLOR_SUM);
    dirty_ = ~0u;
    glMode_ = -1;
  }
  // Warns once per distinct text on stderr.
  void WarnOnce(const std::string& text);

 private:
  struct Stream {
    VertexBuffer* buffer = nullptr;
    UINT stride = 0;
  };
  struct Layout {
    bool rhw = false;
    UINT size = 0;
    int normal = -1, diffuse = -1, specular = -1;
    UINT texCount = 0;
    int texOffset[8] = {};
    int texSize[8] = {};
  };

  bool BuildBackBuffers();
  void FreeBackBuffers();
  void SetDefaults();
  void BindTarget();
  bool ParseFvf(DWORD fvf, Layout* layout) const;
  bool CurrentLayout(Layout* layout);
  void ApplyState(const Layout& layout);
  void ApplyStages();
  void ApplyTransforms(bool rhw);
  void ApplyLighting(bool on, const Layout& layout);
  // Draws from `base` (vertex 0); `first` is the first vertex of a plain
  // draw, `span` the number of vertices from base that may be read.
  // `user` says the vertices are the caller's memory of this call only.
  HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const std::uint8_t* base, UINT stride, UINT first,
               const void* indices, bool index32, UINT indexCount, UINT span, bool user);
  // Unbinds stream 0 and the indices after a draw from user memory.
  void UnbindUserStreams(bool indices);
  UINT TargetWidth() const;
  UINT TargetHeight() const;

  Factory* factory_;
  UINT adapter_;
  void* window_;
  void* context_;
  D3DPRESENT_PARAMETERS params_;
  D3DCAPS8 caps_{};
  std::set<Tracked*> resources_;
  Surface* backBuffer_ = nullptr;
  Surface* autoDepth_ = nullptr;
  Surface* target_ = nullptr;
  Surface* depth_ = nullptr;
  GLuint fbo_ = 0, blitFbo_ = 0, white_ = 0;

  std::array<DWORD, 256> rs_{};
  DWORD tss_[8][32] = {};
  IDirect3DBaseTexture8* textures_[8] = {};
  D3DMATRIX world_{}, view_{}, projection_{};
  D3DVIEWPORT8 viewport_{};
  D3DMATERIAL8 material_{};
  std::map<DWORD, D3DLIGHT8> lights_;
  std::set<DWORD> enabledLights_;
  std::map<UINT, std::array<PALETTEENTRY, 256>> palettes_;
  UINT currentPalette_ = 0;
  DWORD vertexShader_ = 0;
  DWORD pixelShader_ = 0;
  std::map<DWORD, VertexShaderRecord> vertexShaders_;
  std::map<DWORD, std::vector<DWORD>> pixelShaders_;
  DWORD nextShader_ = 1;
  Stream streams_[16];
  IndexBuffer* indices_ = nullptr;
  UINT baseVertex_ = 0;
  bool inScene_ = false;

  // Which groups of GL state must be sent again before the next draw.
  unsigned dirty_ = ~0u;
  int glMode_ = -1;  // 1 pre-transformed, 0 transformed, -1 unknown
  int lastDiffuse_ = -1;
  unsigned enabledArrays_ = 0;
  int clientUnit_ = 0;
  // The ring that runs of user-memory draws are copied into.
  static constexpr std::size_t kRingBytes = 1 << 20;
  std::vector<std::uint8_t> ring_;
  std::size_t ringUsed_ = 0;
  UINT ringStride_ = 0;
  DWORD ringFormat_ = 0;
  bool ringBound_ = false;
  Layout layout_;
  DWORD layoutFvf_ = 0;
  bool layoutValid_ = false;
  int enabledUnits_ = 0;
  std::vector<float> scratch_;
  std::set<std::string> warned_;
};


Device* AsDevice(IDirect3DDevice8* device);

// Shader versions the factory reports (tests switch them on; none by default).
struct ShaderCaps {
  DWORD vertexShaderVersion = 0;
  DWORD vertexShaderConstants = 0;
  DWORD pixelShaderVersion = 0;
};
extern ShaderCaps g_ShaderCaps;

}  // namespace d3d8
