// Surfaces, textures and swap chains of the Direct3D 8 stand-in.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/d3d8/device_impl.h"
#include "platform/d3d8/pixel_format.h"

namespace d3d8 {

Tracked::Tracked(Device* device, D3DPOOL pool) : device_(device), pool_(pool) {
  if (device_) device_->Track(this);
}

Tracked::~Tracked() {
  if (device_) device_->Untrack(this);
}

// ---- Surface -------------------------------------------------------------------

HRESULT Surface::QueryInterface(REFIID, void** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
  if (counting_ == Counting::kForward) return owner_->AddRef();
  return ++refs_;
}

ULONG Surface::Release() {
  if (counting_ == Counting::kForward) return owner_->Release();
  if (refs_ == 0) {
    std::fprintf(stderr, "d3d8: a surface was released more often than it was handed out\n");
    return 0;
  }
  ULONG r = --refs_;
  if (r == 0 && counting_ == Counting::kOwned) delete this;
  return r;
}

Surface::~Surface() {
  if (ownsGl_ && device_) {
    device_->MakeCurrent();
    if (texture_) glDeleteTextures(1, &texture_);
    if (renderbuffer_) glDeleteRenderbuffers(1, &renderbuffer_);
  }
  delete tracked_;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
  if (!desc) return D3DERR_INVALIDCALL;
  *desc = desc_;
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
  if (!locked || rect || locked_ || kind_ == Kind::kDepth) return D3DERR_INVALIDCALL;
  if (kind_ == Kind::kTextureLevel && !(store_->usage_ & D3DUSAGE_RENDERTARGET)) {
    std::vector<std::uint8_t>& bytes = store_->Level(face_, level_);
    locked->pBits = bytes.data();
    locked->Pitch = static_cast<INT>(LevelPitch(desc_.Format, desc_.Width));
    locked_ = true;
    return D3D_OK;
  }
  // Drawn-to images are read back from GL as 32-bit ARGB rows.
  if (!device_) return D3DERR_INVALIDCALL;
  std::vector<std::uint32_t> argb;
  device_->ReadTarget(this, &argb);
  readback_.resize(argb.size() * 4);
  std::memcpy(readback_.data(), argb.data(), readback_.size());
  locked->pBits = readback_.data();
  locked->Pitch = static_cast<INT>(desc_.Width * 4);
  locked_ = true;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (kind_ == Kind::kTextureLevel && !(store_->usage_ & D3DUSAGE_RENDERTARGET)) {
    store_->Upload(face_, level_);
  } else if (device_ && texture_) {
    // Written texels of a drawn-to image go back into its GL texture.
    device_->MakeCurrent();
    std::vector<std::uint8_t> rgba(readback_.size());
    for (std::size_t i = 0; i + 3 < readback_.size(); i += 4) {
      rgba[i] = readback_[i + 2];
      rgba[i + 1] = readback_[i + 1];
      rgba[i + 2] = readback_[i];
      rgba[i + 3] = readback_[i + 3];
    }
    GLenum binding = target_ == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
    glBindTexture(binding, texture_);
    glTexSubImage2D(target_, static_cast<GLint>(level_), 0, 0, static_cast<GLsizei>(desc_.Width),
                    static_cast<GLsizei>(desc_.Height), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(binding, 0);
    device_->TouchTextures();
  }
  return D3D_OK;
}

// ---- TextureStore -----------------------------------------------------------------

TextureStore::TextureStore(Device* device, UINT width, UINT height, UINT levels, UINT faces, DWORD usage,
                           D3DFORMAT format, D3DPOOL pool)
    : device_(device), width_(width), height_(height), levels_(levels), faces_(faces), usage_(usage),
      format_(format), pool_(pool) {
  UINT full = 1;
  for (UINT m = std::max(width, height); m > 1; m >>= 1) ++full;
  if (levels_ == 0 || levels_ > full) levels_ = full;
  if (usage & D3DUSAGE_RENDERTARGET) levels_ = std::min<UINT>(levels_, 1);
  data_.resize(static_cast<std::size_t>(faces_) * levels_);
  locked_.assign(data_.size(), false);
  surfaces_.assign(data_.size(), nullptr);
  for (UINT f = 0; f < faces_; ++f)
    for (UINT l = 0; l < levels_; ++l) Level(f, l).assign(LevelBytes(format_, Width(l), Height(l)), 0);

  device_->MakeCurrent();
  glGenTextures(1, &gl_);
  GLenum t = GlTarget();
  glBindTexture(t, gl_);
  glTexParameteri(t, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_ - 1));
  maxLevel_ = static_cast<GLint>(levels_ - 1);
  for (UINT f = 0; f < faces_; ++f)
    for (UINT l = 0; l < levels_; ++l)
      glTexImage2D(FaceTarget(f), static_cast<GLint>(l), GL_RGBA8, static_cast<GLsizei>(Width(l)),
                   static_cast<GLsizei>(Height(l)), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(t, 0);
  device_->TouchTextures();
  if (!(usage & D3DUSAGE_RENDERTARGET)) UploadAll();
  ok_ = glGetError() == GL_NO_ERROR;
}

TextureStore::~TextureStore() {
  for (Surface* s : surfaces_) {
    if (s) {
      s->ownsGl_ = false;
      delete s;
    }
  }
  if (gl_ && device_) {
    device_->MakeCurrent();
    glDeleteTextures(1, &gl_);
  }
}

void TextureStore::Describe(UINT level, D3DSURFACE_DESC* desc) const {
  desc->Format = format_;
  desc->Type = D3DRTYPE_SURFACE;
  desc->Usage = usage_;
  desc->Pool = pool_;
  desc->Size = static_cast<UINT>(LevelBytes(format_, Width(level), Height(level)));
  desc->MultiSampleType = D3DMULTISAMPLE_NONE;
  desc->Width = Width(level);
  desc->Height = Height(level);
}

HRESULT TextureStore::LevelDesc(UINT level, D3DSURFACE_DESC* desc) const {
  if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
  Describe(level, desc);
  return D3D_OK;
}

void TextureStore::DropGl() {
  if (gl_) glDeleteTextures(1, &gl_);
  gl_ = 0;
  device_ = nullptr;
  for (Surface* s : surfaces_)
    if (s) s->device_ = nullptr;
}

void TextureStore::Upload(UINT face, UINT level) {
  if (!device_ || !gl_) return;
  device_->MakeCurrent();
  UINT w = Width(level), h = Height(level);
  std::vector<std::uint32_t> argb(static_cast<std::size_t>(w) * h);
  const PALETTEENTRY* palette = format_ == D3DFMT_P8 ? device_->CurrentPalette() : nullptr;
  if (format_ == D3DFMT_P8) uploadedPalette_ = device_->CurrentPaletteNumber();
  DecodeToArgb(format_, Level(face, level).data(), LevelPitch(format_, w), w, h, palette, argb.data());
  // ARGB words are B, G, R, A bytes in memory: GL reads them as BGRA.
  glBindTexture(GlTarget(), gl_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(FaceTarget(face), static_cast<GLint>(level), 0, 0, static_cast<GLsizei>(w),
                  static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_BYTE, argb.data());
  glBindTexture(GlTarget(), 0);
  device_->TouchTextures();
}

void TextureStore::UploadAll() {
  for (UINT f = 0; f < faces_; ++f)
    for (UINT l = 0; l < levels_; ++l) Upload(f, l);
}

static Surface* LevelSurface(TextureStore& store, IUnknown* owner, UINT face, UINT level) {
  Surface*& s = store.surfaces_[face * store.levels_ + level];
  if (!s) {
    s = new Surface;
    s->kind_ = Surface::Kind::kTextureLevel;
    s->counting_ = Surface::Counting::kForward;
    s->owner_ = owner;
    s->store_ = &store;
    s->face_ = face;
    s->level_ = level;
    s->device_ = store.device_;
    s->texture_ = store.gl_;
    s->target_ = store.FaceTarget(face);
    store.Describe(level, &s->desc_);
  }
  return s;
}

TextureStore* StoreOf(IDirect3DBaseTexture8* texture) {
  if (!texture) return nullptr;
  if (texture->GetType() == D3DRTYPE_CUBETEXTURE) return &static_cast<CubeTexture*>(texture)->store_;
  return &static_cast<Texture*>(texture)->store_;
}

// ---- Texture --------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Tracked(device, pool), store_(device, width, height, levels, 1, usage, format, pool) {}

Texture::~Texture() = default;

void Texture::DropGl() {
  store_.DropGl();
  device_ = nullptr;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) { return store_.LevelDesc(level, desc); }

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
  if (!surface || level >= store_.levels_) return D3DERR_INVALIDCALL;
  *surface = LevelSurface(store_, this, 0, level);
  AddRef();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
  if (level >= store_.levels_) return D3DERR_INVALIDCALL;
  return LevelSurface(store_, this, 0, level)->LockRect(locked, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= store_.levels_) return D3DERR_INVALIDCALL;
  return LevelSurface(store_, this, 0, level)->UnlockRect();
}

// ---- CubeTexture ------------------------------------------------------------------

CubeTexture::CubeTexture(Device* device, UINT edge, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Tracked(device, pool), store_(device, edge, edge, levels, 6, usage, format, pool) {}

CubeTexture::~CubeTexture() = default;

void CubeTexture::DropGl() {
  store_.DropGl();
  device_ = nullptr;
}

HRESULT CubeTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) { return store_.LevelDesc(level, desc); }

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** surface) {
  if (!surface || level >= store_.levels_ || face < 0 || face > 5) return D3DERR_INVALIDCALL;
  *surface = LevelSurface(store_, this, static_cast<UINT>(face), level);
  AddRef();
  return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* locked, const RECT* rect,
                              DWORD flags) {
  if (level >= store_.levels_ || face < 0 || face > 5) return D3DERR_INVALIDCALL;
  return LevelSurface(store_, this, static_cast<UINT>(face), level)->LockRect(locked, rect, flags);
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES face, UINT level) {
  if (level >= store_.levels_ || face < 0 || face > 5) return D3DERR_INVALIDCALL;
  return LevelSurface(store_, this, static_cast<UINT>(face), level)->UnlockRect();
}

// ---- SwapChain ------------------------------------------------------------------

SwapChain::SwapChain(Device* device, void* sdlWindow, UINT width, UINT height)
    : Tracked(device, D3DPOOL_DEFAULT), window_(sdlWindow) {
  device->MakeCurrent();
  back_ = NewBackBuffer(device, D3DFMT_X8R8G8B8, width, height);
  device->TouchTextures();
}

SwapChain::~SwapChain() {
  if (back_ && back_->refs_ != 0)
    std::fprintf(stderr, "d3d8: a swap chain ended while its back buffer was still referenced\n");
  if (back_) back_->device_ = device_;
  delete back_;
}

void SwapChain::DropGl() {
  if (back_ && back_->texture_) glDeleteTextures(1, &back_->texture_);
  if (back_) {
    back_->texture_ = 0;
    back_->device_ = nullptr;
  }
  device_ = nullptr;
}

HRESULT SwapChain::Present(const RECT* source, const RECT* dest, HWND overrideWindow, const RGNDATA* dirty) {
  if (!device_) return D3DERR_INVALIDCALL;
  if (source || dest || overrideWindow || dirty) return D3DERR_INVALIDCALL;
  if (device_->cooperative_ != D3D_OK) return D3DERR_DEVICELOST;
  device_->PresentWindow(window_, back_);
  return D3D_OK;
}

HRESULT SwapChain::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
  if (!surface || index != 0) return D3DERR_INVALIDCALL;
  *surface = back_;
  back_->AddRef();
  return D3D_OK;
}

}  // namespace d3d8
