// The Direct3D 8 device over OpenGL: creation, back buffers, reset and loss,
// presenting, resources, and the recorded state setters.  Drawing and the
// translation of states into GL live in device_draw.cpp.
//
// Images are drawn upside down relative to GL's habit, so that row 0 of every
// GL image is the top row, as Direct3D and LockRect see it; Present flips the
// picture back when it copies it into the window.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/device_impl.h"
#include "platform/d3d8/pixel_format.h"
#include "platform/win32/window.h"

namespace d3d8 {
namespace {

std::uint64_t FloatBits(float f) {
  std::uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

std::uint64_t Ptr(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

void Identity(D3DMATRIX* m) {
  std::memset(m, 0, sizeof *m);
  m->_11 = m->_22 = m->_33 = m->_44 = 1.0f;
}

// Keeps an explicit depth surface in the device's resource list.
class DepthTracker final : public Tracked {
 public:
  DepthTracker(Device* device, Surface* surface) : Tracked(device, D3DPOOL_DEFAULT), surface_(surface) {}
  ULONG Count() const override { return surface_->refs_; }
  void DropGl() override {
    if (surface_->renderbuffer_) glDeleteRenderbuffers(1, &surface_->renderbuffer_);
    surface_->renderbuffer_ = 0;
    surface_->device_ = nullptr;
    device_ = nullptr;
  }
  Surface* surface_;
};

Surface* NewDepth(Device* device, UINT width, UINT height, D3DFORMAT format) {
  auto* s = new Surface;
  s->kind_ = Surface::Kind::kDepth;
  s->device_ = device;
  s->ownsGl_ = true;
  s->desc_ = D3DSURFACE_DESC{format, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, width * height * 4,
                             D3DMULTISAMPLE_NONE, width, height};
  glGenRenderbuffers(1, &s->renderbuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, s->renderbuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  return s;
}

}  // namespace

Surface* NewBackBuffer(Device* device, D3DFORMAT format, UINT width, UINT height) {
  auto* s = new Surface;
  s->kind_ = Surface::Kind::kColour;
  s->counting_ = Surface::Counting::kDeviceHeld;
  s->refs_ = 0;
  s->device_ = device;
  s->ownsGl_ = true;
  s->desc_ = D3DSURFACE_DESC{format, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, width * height * 4,
                             D3DMULTISAMPLE_NONE, width, height};
  glGenTextures(1, &s->texture_);
  glBindTexture(GL_TEXTURE_2D, s->texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  return s;
}

Device* AsDevice(IDirect3DDevice8* device) { return static_cast<Device*>(device); }

Device::Device(Factory* factory, UINT adapter, void* sdlWindow, void* context, const D3DPRESENT_PARAMETERS& params)
    : factory_(factory), adapter_(adapter), window_(sdlWindow), context_(context), params_(params) {
  factory_->AddRef();
  factory_->FillCaps(adapter, &caps_);
}

Device::~Device() {
  MakeCurrent();
  for (int i = 0; i < 8; ++i)
    if (textures_[i]) textures_[i]->Release();
  for (Stream& s : streams_)
    if (s.buffer) s.buffer->Release();
  if (indices_) indices_->Release();
  if (target_) target_->Release();
  if (depth_) depth_->Release();
  target_ = depth_ = nullptr;
  FreeBackBuffers();
  // Resources the program still holds outlive the device without GL.
  for (Tracked* r : std::vector<Tracked*>(resources_.begin(), resources_.end())) r->DropGl();
  resources_.clear();
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  if (blitFbo_) glDeleteFramebuffers(1, &blitFbo_);
  if (white_) glDeleteTextures(1, &white_);
  SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  factory_->Release();
}

void Device::MakeCurrent() {
  if (SDL_GL_GetCurrentContext() != context_)
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(context_));
}

void Device::WarnOnce(const std::string& text) {
  if (warned_.insert(text).second) std::fprintf(stderr, "d3d8: %s\n", text.c_str());
}

void Device::Record(const char* method, std::initializer_list<std::uint64_t> args, const void* data,
                    std::size_t bytes) {
  if (!recording_) return;
  D3D8Call call;
  call.method = method;
  call.args.assign(args.begin(), args.end());
  if (data && bytes) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    call.data.assign(p, p + bytes);
  }
  calls_.push_back(std::move(call));
}

bool Device::Start() {
  MakeCurrent();
  glGenFramebuffers(1, &fbo_);
  glGenFramebuffers(1, &blitFbo_);
  glGenTextures(1, &white_);
  glBindTexture(GL_TEXTURE_2D, white_);
  const std::uint32_t whiteTexel = 0xFFFFFFFFu;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &whiteTexel);
  glBindTexture(GL_TEXTURE_2D, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glNormal3f(0, 0, 0);  // the normal of vertices without one
  // Flat shading takes the colour of a triangle's first vertex.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  // Windowed presents do not wait for the display; full screen ones do
  // unless asked to be immediate.
  bool wait = !params_.Windowed && params_.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
  SDL_GL_SetSwapInterval(wait ? 1 : 0);
  if (!BuildBackBuffers()) return false;
  SetDefaults();
  return glGetError() == GL_NO_ERROR;
}

bool Device::BuildBackBuffers() {
  UINT w = params_.BackBufferWidth, h = params_.BackBufferHeight;
  backBuffer_ = NewBackBuffer(this, params_.BackBufferFormat, w, h);
  if (params_.EnableAutoDepthStencil) {
    autoDepth_ = NewDepth(this, w, h, params_.AutoDepthStencilFormat);
    autoDepth_->counting_ = Surface::Counting::kDeviceHeld;
    autoDepth_->refs_ = 0;
  }
  target_ = backBuffer_;
  target_->refs_++;
  depth_ = autoDepth_;
  if (depth_) depth_->refs_++;
  BindTarget();
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Device::FreeBackBuffers() {
  for (Surface** s : {&backBuffer_, &autoDepth_}) {
    if (!*s) continue;
    if ((*s)->refs_ != 0) WarnOnce("an implicit back buffer or depth surface was still referenced at its end");
    delete *s;
    *s = nullptr;
  }
}

void Device::BindTarget() {
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target_->target_, target_->texture_,
                         static_cast<GLint>(target_->level_));
  GLuint rb = depth_ ? depth_->renderbuffer_ : 0;
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, rb);
  dirty_ |= kDirtyViewport | kDirtyTransform;
}

UINT Device::TargetWidth() const { return target_->desc_.Width; }
UINT Device::TargetHeight() const { return target_->desc_.Height; }

void Device::SetDefaults() {
  rs_.fill(0);
  rs_[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs_[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs_[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs_[D3DRS_ZWRITEENABLE] = TRUE;
  rs_[D3DRS_LASTPIXEL] = TRUE;
  rs_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs_[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  float one = 1.0f;
  std::memcpy(&rs_[D3DRS_FOGEND], &one, 4);
  std::memcpy(&rs_[D3DRS_FOGDENSITY], &one, 4);
  rs_[D3DRS_STENCILFAIL] = rs_[D3DRS_STENCILZFAIL] = rs_[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
  rs_[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs_[D3DRS_STENCILMASK] = rs_[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
  rs_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  rs_[D3DRS_CLIPPING] = TRUE;
  rs_[D3DRS_LIGHTING] = TRUE;
  rs_[D3DRS_COLORVERTEX] = TRUE;
  rs_[142] = TRUE;  // local viewer
  rs_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
  rs_[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
  rs_[D3DRS_COLORWRITEENABLE] = 0xF;
  for (DWORD s = 0; s < 8; ++s) {
    std::fill(std::begin(tss_[s]), std::end(tss_[s]), 0u);
    tss_[s][D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    tss_[s][D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    tss_[s][D3DTSS_COLORARG1] = tss_[s][D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    tss_[s][D3DTSS_COLORARG2] = tss_[s][D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    tss_[s][D3DTSS_TEXCOORDINDEX] = s;
    tss_[s][D3DTSS_ADDRESSU] = tss_[s][D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    tss_[s][D3DTSS_MAGFILTER] = tss_[s][D3DTSS_MINFILTER] = D3DTEXF_POINT;
    tss_[s][D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    tss_[s][D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  Identity(&world_);
  Identity(&view_);
  Identity(&projection_);
  viewport_ = D3DVIEWPORT8{0, 0, TargetWidth(), TargetHeight(), 0.0f, 1.0f};
  std::memset(&material_, 0, sizeof material_);
  lights_.clear();
  enabledLights_.clear();
  vertexShader_ = 0;
  pixelShader_ = 0;
  dirty_ = ~0u;
  glMode_ = -1;
}

// ---- Cooperative level, reset, present ---------------------------------------------

HRESULT Device::TestCooperativeLevel() {
  Record("TestCooperativeLevel", {});
  return cooperative_;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  Record("GetDeviceCaps", {});
  if (!caps) return D3DERR_INVALIDCALL;
  *caps = caps_;
  return D3D_OK;
}

int Device::DefaultPoolCount() const {
  int n = 0;
  for (Tracked* r : resources_)
    if (r->pool_ == D3DPOOL_DEFAULT) ++n;
  return n;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
  Record("Reset", {Ptr(params)});
  if (!params) return D3DERR_INVALIDCALL;
  if (cooperative_ == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
  // The device's own bindings do not count against the caller.
  auto bindings = [this](const Tracked* r) {
    ULONG n = 0;
    for (auto* t : textures_)
      if (t && dynamic_cast<const Tracked*>(t) == r) ++n;
    for (const Stream& s : streams_)
      if (s.buffer && static_cast<const Tracked*>(s.buffer) == r) ++n;
    if (indices_ && static_cast<const Tracked*>(indices_) == r) ++n;
    for (Surface* s : {target_, depth_}) {
      if (!s) continue;
      if (s->tracked_ == r) ++n;
      if (s->kind_ == Surface::Kind::kTextureLevel && dynamic_cast<const Tracked*>(s->owner_) == r) ++n;
    }
    return n;
  };
  for (Tracked* r : resources_) {
    if (r->pool_ != D3DPOOL_DEFAULT) continue;
    if (r->Count() > bindings(r)) {
      WarnOnce("Reset refused: D3DPOOL_DEFAULT resources or swap chains are still held");
      return D3DERR_INVALIDCALL;
    }
  }
  for (Surface* s : {backBuffer_, autoDepth_}) {
    if (!s) continue;
    ULONG bound = (s == target_ ? 1 : 0) + (s == depth_ ? 1 : 0);
    if (s->refs_ > bound) {
      WarnOnce("Reset refused: the back buffer or depth surface is still referenced");
      return D3DERR_INVALIDCALL;
    }
  }
  D3DPRESENT_PARAMETERS next = *params;
  if (next.BackBufferWidth == 0 || next.BackBufferHeight == 0) {
    int w, h;
    SDL_GetWindowSize(static_cast<SDL_Window*>(window_), &w, &h);
    next.BackBufferWidth = static_cast<UINT>(std::max(w, 1));
    next.BackBufferHeight = static_cast<UINT>(std::max(h, 1));
  }
  if (next.EnableAutoDepthStencil && !IsDepthFormat(next.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;

  MakeCurrent();
  for (int i = 0; i < 8; ++i) {
    if (textures_[i]) textures_[i]->Release();
    textures_[i] = nullptr;
  }
  for (Stream& s : streams_) {
    if (s.buffer) s.buffer->Release();
    s = Stream{};
  }
  if (indices_) indices_->Release();
  indices_ = nullptr;
  // Unbinding may have ended the last default-pool resources.
  if (target_) target_->Release();
  if (depth_) depth_->Release();
  target_ = depth_ = nullptr;
  FreeBackBuffers();
  if (static_cast<bool>(next.Windowed) != static_cast<bool>(params_.Windowed)) {
    SDL_Window* w = static_cast<SDL_Window*>(window_);
    if (!next.Windowed) {
      SDL_DisplayMode mode{SDL_PIXELFORMAT_RGB888, static_cast<int>(next.BackBufferWidth),
                           static_cast<int>(next.BackBufferHeight), 0, nullptr};
      SDL_SetWindowDisplayMode(w, &mode);
    }
    if (SDL_SetWindowFullscreen(w, next.Windowed ? 0 : SDL_WINDOW_FULLSCREEN) != 0)
      WarnOnce(std::string("full screen switch refused: ") + SDL_GetError());
  }
  params_ = next;
  params_.BackBufferCount = 1;
  if (!BuildBackBuffers()) return D3DERR_DRIVERINTERNALERROR;
  SetDefaults();
  cooperative_ = D3D_OK;
  *params = params_;
  return D3D_OK;
}

void Device::PresentWindow(void* sdlWindow, Surface* colour) {
  SDL_Window* w = static_cast<SDL_Window*>(sdlWindow);
  SDL_GL_MakeCurrent(w, static_cast<SDL_GLContext>(context_));
  int ww, wh;
  SDL_GL_GetDrawableSize(w, &ww, &wh);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, blitFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour->texture_, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  // Row 0 of the image is the top row: flip it into the window.
  glBlitFramebuffer(0, 0, static_cast<GLint>(colour->desc_.Width), static_cast<GLint>(colour->desc_.Height), 0, wh,
                    ww, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SwapWindow(w);
  if (w != window_) SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_), static_cast<SDL_GLContext>(context_));
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  dirty_ |= kDirtyViewport;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) {
  Record("Present", {Ptr(source), Ptr(dest), Ptr(overrideWindow), Ptr(dirty)});
  if (source || dest || overrideWindow || dirty) return D3DERR_INVALIDCALL;
  if (cooperative_ != D3D_OK) return D3DERR_DEVICELOST;
  PresentWindow(window_, backBuffer_);
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) {
  Record("GetBackBuffer", {index, static_cast<std::uint64_t>(type)});
  if (!surface || index != 0) return D3DERR_INVALIDCALL;
  *surface = backBuffer_;
  backBuffer_->AddRef();
  return D3D_OK;
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params, IDirect3DSwapChain8** chain) {
  Record("CreateAdditionalSwapChain", {Ptr(params)});
  if (!chain) return D3DERR_INVALIDCALL;
  *chain = nullptr;
  if (!params || !params->hDeviceWindow || params->BackBufferWidth == 0 || params->BackBufferHeight == 0)
    return D3DERR_INVALIDCALL;
  void* window = Win32SdlWindow(params->hDeviceWindow);
  if (!window) return D3DERR_INVALIDCALL;
  *chain = new SwapChain(this, window, params->BackBufferWidth, params->BackBufferHeight);
  return D3D_OK;
}

// ---- Resources -------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** texture) {
  Record("CreateTexture", {width, height, levels, usage, static_cast<std::uint64_t>(format),
                           static_cast<std::uint64_t>(pool)});
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (width == 0 || height == 0 || width > caps_.MaxTextureWidth || height > caps_.MaxTextureHeight)
    return D3DERR_INVALIDCALL;
  if (!IsTextureFormat(format)) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) &&
      (pool != D3DPOOL_DEFAULT || (format != D3DFMT_X8R8G8B8 && format != D3DFMT_A8R8G8B8 &&
                                   format != params_.BackBufferFormat)))
    return D3DERR_INVALIDCALL;
  if (IsBlockCompressed(format) && ((width & 3) || (height & 3)) && (width > 2 || height > 2)) {
    // Block formats need whole blocks, except at the smallest levels.
    if ((width % 4) || (height % 4)) return D3DERR_INVALIDCALL;
  }
  auto* t = new Texture(this, width, height, levels, usage, format, pool);
  if (!t->store_.Ok()) {
    t->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *texture = t;
  return D3D_OK;
}

HRESULT Device::CreateCubeTexture(UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DCubeTexture8** texture) {
  Record("CreateCubeTexture", {edge, levels, usage, static_cast<std::uint64_t>(format),
                               static_cast<std::uint64_t>(pool)});
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (edge == 0 || edge > caps_.MaxTextureWidth || !IsTextureFormat(format)) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  if (IsBlockCompressed(format) && (edge % 4)) return D3DERR_INVALIDCALL;
  auto* t = new CubeTexture(this, edge, levels, usage, format, pool);
  if (!t->store_.Ok()) {
    t->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *texture = t;
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
  Record("CreateVertexBuffer", {length, usage, fvf, static_cast<std::uint64_t>(pool)});
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM))
    return D3DERR_INVALIDCALL;
  *buffer = new VertexBuffer(this, length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
  Record("CreateIndexBuffer", {length, usage, static_cast<std::uint64_t>(format), static_cast<std::uint64_t>(pool)});
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) ||
      (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM))
    return D3DERR_INVALIDCALL;
  *buffer = new IndexBuffer(this, length, usage, static_cast<DWORD>(format), pool);
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** surface) {
  Record("CreateDepthStencilSurface", {width, height, static_cast<std::uint64_t>(format),
                                       static_cast<std::uint64_t>(multiSample)});
  if (!surface) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (width == 0 || height == 0 || !IsDepthFormat(format) || multiSample != D3DMULTISAMPLE_NONE)
    return D3DERR_INVALIDCALL;
  MakeCurrent();
  Surface* s = NewDepth(this, width, height, format);
  s->tracked_ = new DepthTracker(this, s);
  *surface = s;
  return D3D_OK;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* target, IDirect3DSurface8* depth) {
  Record("SetRenderTarget", {Ptr(target), Ptr(depth)});
  auto* colour = static_cast<Surface*>(target);
  auto* z = static_cast<Surface*>(depth);
  if (colour && colour->kind_ == Surface::Kind::kDepth) return D3DERR_INVALIDCALL;
  if (colour && colour->kind_ == Surface::Kind::kTextureLevel && !(colour->store_->usage_ & D3DUSAGE_RENDERTARGET))
    return D3DERR_INVALIDCALL;
  if (z && z->kind_ != Surface::Kind::kDepth) return D3DERR_INVALIDCALL;
  Surface* newTarget = colour ? colour : target_;
  if (z && (z->desc_.Width < newTarget->desc_.Width || z->desc_.Height < newTarget->desc_.Height))
    return D3DERR_INVALIDCALL;
  newTarget->AddRef();
  if (z) z->AddRef();
  if (target_) target_->Release();
  if (depth_) depth_->Release();
  target_ = newTarget;
  depth_ = z;
  BindTarget();
  // A new target gets a viewport covering it.
  viewport_ = D3DVIEWPORT8{0, 0, TargetWidth(), TargetHeight(), 0.0f, 1.0f};
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** target) {
  Record("GetRenderTarget", {});
  if (!target) return D3DERR_INVALIDCALL;
  *target = target_;
  target_->AddRef();
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** depth) {
  Record("GetDepthStencilSurface", {});
  if (!depth) return D3DERR_INVALIDCALL;
  *depth = depth_;
  if (!depth_) return D3DERR_NOTFOUND;
  depth_->AddRef();
  return D3D_OK;
}

// ---- Scene, clear, transforms, viewport, lights ---------------------------------

HRESULT Device::BeginScene() {
  Record("BeginScene", {});
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  Record("EndScene", {});
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
  Record("Clear", {count, Ptr(rects), flags, colour, FloatBits(z), stencil}, rects,
         rects ? count * sizeof(D3DRECT) : 0);
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depth_) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && depth_->desc_.Format != D3DFMT_D24S8) return D3DERR_INVALIDCALL;
  if (cooperative_ != D3D_OK) return D3D_OK;
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    mask |= GL_COLOR_BUFFER_BIT;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
                 (colour >> 24) / 255.0f);
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    mask |= GL_DEPTH_BUFFER_BIT;
    glDepthMask(GL_TRUE);
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
  }
  if (flags & D3DCLEAR_STENCIL) {
    mask |= GL_STENCIL_BUFFER_BIT;
    glStencilMask(0xFF);
    glClearStencil(static_cast<GLint>(stencil & 0xFF));
  }
  glEnable(GL_SCISSOR_TEST);
  // The viewport, intersected with each rectangle when rectangles are given.
  LONG vx0 = static_cast<LONG>(viewport_.X), vy0 = static_cast<LONG>(viewport_.Y);
  LONG vx1 = vx0 + static_cast<LONG>(viewport_.Width), vy1 = vy0 + static_cast<LONG>(viewport_.Height);
  auto clearBox = [&](LONG x0, LONG y0, LONG x1, LONG y1) {
    x0 = std::max(x0, vx0);
    y0 = std::max(y0, vy0);
    x1 = std::min(x1, vx1);
    y1 = std::min(y1, vy1);
    if (x1 <= x0 || y1 <= y0) return;
    glScissor(x0, y0, x1 - x0, y1 - y0);
    glClear(mask);
  };
  if (rects && count) {
    for (DWORD i = 0; i < count; ++i) clearBox(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  } else {
    clearBox(vx0, vy0, vx1, vy1);
  }
  glDisable(GL_SCISSOR_TEST);
  dirty_ |= kDirtyBlend | kDirtyDepth | kDirtyStencil | kDirtyRaster | kDirtyViewport;
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  Record("SetTransform", {static_cast<std::uint64_t>(state)}, matrix, matrix ? sizeof *matrix : 0);
  if (!matrix) return D3DERR_INVALIDCALL;
  switch (state) {
    case D3DTS_WORLD:
      world_ = *matrix;
      break;
    case D3DTS_VIEW:
      view_ = *matrix;
      dirty_ |= kDirtyLighting;
      break;
    case D3DTS_PROJECTION:
      projection_ = *matrix;
      break;
    default:
      // Texture transforms are kept by nobody here.
      return D3D_OK;
  }
  dirty_ |= kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  switch (state) {
    case D3DTS_WORLD: *matrix = world_; return D3D_OK;
    case D3DTS_VIEW: *matrix = view_; return D3D_OK;
    case D3DTS_PROJECTION: *matrix = projection_; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
  }
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport) {
  Record("SetViewport", {}, viewport, viewport ? sizeof *viewport : 0);
  if (!viewport) return D3DERR_INVALIDCALL;
  std::uint64_t right = static_cast<std::uint64_t>(viewport->X) + viewport->Width;
  std::uint64_t bottom = static_cast<std::uint64_t>(viewport->Y) + viewport->Height;
  if (viewport->Width == 0 || viewport->Height == 0 || right > TargetWidth() || bottom > TargetHeight())
    return D3DERR_INVALIDCALL;
  viewport_ = *viewport;
  dirty_ |= kDirtyViewport | kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport) {
  if (!viewport) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
  Record("SetMaterial", {}, material, material ? sizeof *material : 0);
  if (!material) return D3DERR_INVALIDCALL;
  material_ = *material;
  dirty_ |= kDirtyLighting;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
  Record("SetLight", {index}, light, light ? sizeof *light : 0);
  if (!light || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
  lights_[index] = *light;
  dirty_ |= kDirtyLighting;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  Record("LightEnable", {index, static_cast<std::uint64_t>(enable)});
  if (enable) {
    if (!lights_.count(index)) {
      // A light enabled before it was set is the default white directional light.
      D3DLIGHT8 l{};
      l.Type = D3DLIGHT_DIRECTIONAL;
      l.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
      l.Direction = D3DVECTOR{0, 0, 1};
      lights_[index] = l;
    }
    enabledLights_.insert(index);
  } else {
    enabledLights_.erase(index);
  }
  dirty_ |= kDirtyLighting;
  return D3D_OK;
}

// ---- States --------------------------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  Record("SetRenderState", {static_cast<std::uint64_t>(state), value});
  if (state < 0 || static_cast<std::size_t>(state) >= rs_.size()) return D3DERR_INVALIDCALL;
  rs_[static_cast<std::size_t>(state)] = value;
  switch (state) {
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_ALPHABLENDENABLE:
      dirty_ |= kDirtyBlend;
      break;
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
      dirty_ |= kDirtyDepth;
      break;
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
      dirty_ |= kDirtyStencil;
      break;
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAREF:
    case D3DRS_ALPHAFUNC:
      dirty_ |= kDirtyAlpha;
      break;
    case D3DRS_FOGENABLE:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_RANGEFOGENABLE:
      dirty_ |= kDirtyFog;
      break;
    case D3DRS_LIGHTING:
    case D3DRS_AMBIENT:
    case D3DRS_SPECULARENABLE:
    case D3DRS_COLORVERTEX:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
      dirty_ |= kDirtyLighting;
      break;
    case D3DRS_TEXTUREFACTOR:
      dirty_ |= kDirtyStages;
      break;
    default:
      dirty_ |= kDirtyRaster;
      break;
  }
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  if (!value || state < 0 || static_cast<std::size_t>(state) >= rs_.size()) return D3DERR_INVALIDCALL;
  *value = rs_[static_cast<std::size_t>(state)];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  Record("SetTexture", {stage, Ptr(texture)});
  if (stage >= 8) return D3DERR_INVALIDCALL;
  if (texture == textures_[stage]) return D3D_OK;
  if (texture) texture->AddRef();
  if (textures_[stage]) textures_[stage]->Release();
  textures_[stage] = texture;
  dirty_ |= kDirtyStages;
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  Record("SetTextureStageState", {stage, static_cast<std::uint64_t>(type), value});
  if (stage >= 8 || type < 0 || type >= 32) return D3DERR_INVALIDCALL;
  tss_[stage][type] = value;
  dirty_ |= kDirtyStages;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
  if (!value || stage >= 8 || type < 0 || type >= 32) return D3DERR_INVALIDCALL;
  *value = tss_[stage][type];
  return D3D_OK;
}

HRESULT Device::SetPaletteEntries(UINT number, const PALETTEENTRY* entries) {
  Record("SetPaletteEntries", {number}, entries, entries ? 256 * sizeof(PALETTEENTRY) : 0);
  if (!entries || number > 4095) return D3DERR_INVALIDCALL;
  std::array<PALETTEENTRY, 256>& p = palettes_[number];
  std::copy(entries, entries + 256, p.begin());
  if (number == currentPalette_) dirty_ |= kDirtyStages;
  // Textures drawn with this palette take the new colours at their next use.
  if (number == currentPalette_)
    for (Tracked* r : resources_)
      if (auto* t = dynamic_cast<Texture*>(r); t && t->store_.format_ == D3DFMT_P8) t->store_.uploadedPalette_ = ~0u;
  return D3D_OK;
}

HRESULT Device::SetCurrentTexturePalette(UINT number) {
  Record("SetCurrentTexturePalette", {number});
  if (number > 4095) return D3DERR_INVALIDCALL;
  currentPalette_ = number;
  dirty_ |= kDirtyStages;
  return D3D_OK;
}

const PALETTEENTRY* Device::CurrentPalette() const {
  auto it = palettes_.find(currentPalette_);
  return it == palettes_.end() ? nullptr : it->second.data();
}

// ---- Shaders ---------------------------------------------------------------------

namespace {
// Copies a token stream up to and including its end token; false when no end
// token comes within a sane length.
bool CopyTokens(const DWORD* tokens, DWORD endToken, std::vector<DWORD>* out) {
  const std::size_t kMaxTokens = 1 << 16;
  for (std::size_t i = 0; i < kMaxTokens; ++i) {
    out->push_back(tokens[i]);
    if (tokens[i] == endToken) return true;
  }
  return false;
}
}  // namespace

HRESULT Device::CreateVertexShader(const DWORD* declaration, const DWORD* function, DWORD* handle, DWORD usage) {
  Record("CreateVertexShader", {Ptr(declaration), Ptr(function), usage});
  if (!declaration || !handle) return D3DERR_INVALIDCALL;
  VertexShaderRecord record;
  if (!CopyTokens(declaration, D3DVSD_END(), &record.declaration)) return D3DERR_INVALIDCALL;
  if (function && !CopyTokens(function, 0x0000FFFFu, &record.function)) return D3DERR_INVALIDCALL;
  // Shader handles are odd; vertex formats never are.
  DWORD h = (nextShader_++ << 1) | 1u;
  vertexShaders_[h] = std::move(record);
  *handle = h;
  return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle) {
  Record("SetVertexShader", {handle});
  if ((handle & 1u) && !vertexShaders_.count(handle)) return D3DERR_INVALIDCALL;
  if (handle != vertexShader_) dirty_ |= kDirtyTransform | kDirtyLighting | kDirtyFog;
  vertexShader_ = handle;
  return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle) {
  Record("DeleteVertexShader", {handle});
  if (!vertexShaders_.erase(handle)) return D3DERR_INVALIDCALL;
  if (vertexShader_ == handle) vertexShader_ = 0;
  return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD firstRegister, const void* data, DWORD count) {
  Record("SetVertexShaderConstant", {firstRegister, count}, data, data ? count * 16 : 0);
  return data ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::CreatePixelShader(const DWORD* function, DWORD* handle) {
  Record("CreatePixelShader", {Ptr(function)});
  if (!function || !handle) return D3DERR_INVALIDCALL;
  std::vector<DWORD> tokens;
  if (!CopyTokens(function, 0x0000FFFFu, &tokens)) return D3DERR_INVALIDCALL;
  DWORD h = nextShader_++;
  pixelShaders_[h] = std::move(tokens);
  *handle = h;
  return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle) {
  Record("SetPixelShader", {handle});
  if (handle && !pixelShaders_.count(handle)) return D3DERR_INVALIDCALL;
  pixelShader_ = handle;
  return D3D_OK;
}

HRESULT Device::DeletePixelShader(DWORD handle) {
  Record("DeletePixelShader", {handle});
  if (!pixelShaders_.erase(handle)) return D3DERR_INVALIDCALL;
  if (pixelShader_ == handle) pixelShader_ = 0;
  return D3D_OK;
}

HRESULT Device::SetPixelShaderConstant(DWORD firstRegister, const void* data, DWORD count) {
  Record("SetPixelShaderConstant", {firstRegister, count}, data, data ? count * 16 : 0);
  return data ? D3D_OK : D3DERR_INVALIDCALL;
}

// ---- Streams -------------------------------------------------------------------

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
  Record("SetStreamSource", {stream, Ptr(buffer), stride});
  if (stream >= 16) return D3DERR_INVALIDCALL;
  auto* vb = static_cast<VertexBuffer*>(buffer);
  if (vb) vb->AddRef();
  if (streams_[stream].buffer) streams_[stream].buffer->Release();
  streams_[stream] = Stream{vb, stride};
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertex) {
  Record("SetIndices", {Ptr(buffer), baseVertex});
  auto* ib = static_cast<IndexBuffer*>(buffer);
  if (ib) ib->AddRef();
  if (indices_) indices_->Release();
  indices_ = ib;
  baseVertex_ = baseVertex;
  return D3D_OK;
}

// ---- Read-back -------------------------------------------------------------------

void Device::ReadTarget(Surface* surface, std::vector<std::uint32_t>* argb) {
  MakeCurrent();
  UINT w = surface->desc_.Width, h = surface->desc_.Height;
  argb->assign(static_cast<std::size_t>(w) * h, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, blitFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, surface->target_, surface->texture_,
                         static_cast<GLint>(surface->level_));
  glReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_BYTE, argb->data());
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

D3DCOLOR Device::ReadPixel(int x, int y) {
  if (x < 0 || y < 0 || static_cast<UINT>(x) >= TargetWidth() || static_cast<UINT>(y) >= TargetHeight()) return 0;
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  std::uint32_t texel = 0;
  glReadPixels(x, y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &texel);
  return texel;
}

bool Device::ReadPixels(int x, int y, int width, int height, std::uint32_t* out) {
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || static_cast<UINT>(x + width) > TargetWidth() ||
      static_cast<UINT>(y + height) > TargetHeight())
    return false;
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
  return true;
}

}  // namespace d3d8
