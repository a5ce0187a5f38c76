// Texture and cube-texture creation from image files: decode, colour key,
// resize, convert to the asked format, and build the box-filtered mip chain
// (block-compressed levels a file lacks are filtered and encoded again).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/d3d8/pixel_format.h"
#include "platform/d3dx8/block_encoder.h"
#include "platform/d3dx8/d3dx8.h"
#include "platform/d3dx8/image_decoder.h"
#include "platform/win32/win_stdio.h"

namespace d3dx8 {

bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  if (!data || size < 4) return false;
  if (data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out);
  if (data[1] == 'P' && data[2] == 'N' && data[3] == 'G') return DecodePng(data, size, out);
  if (data[0] == 'D' && data[1] == 'D' && data[2] == 'S') return DecodeDds(data, size, out);
  if (data[0] == 0xFF && data[1] == 0xD8) return DecodeJpeg(data, size, out);
  return DecodeTga(data, size, out);
}

namespace {

UINT FullChain(UINT w, UINT h) {
  UINT n = 1;
  for (UINT m = std::max(w, h); m > 1; m >>= 1) ++n;
  return n;
}

// The level count of a texture made from image at width x height: every level
// down to 1 x 1, or `levels` when given and fewer.  Block-compressed data is
// kept in its format when not resized (its stored levels are copied, the rest
// filtered and encoded again); when resized it is decoded to A8R8G8B8 instead
// (*chosen changes).
UINT LevelsFor(UINT width, UINT height, bool resized, UINT levels, D3DFORMAT* chosen) {
  bool direct = d3d8::IsBlockCompressed(*chosen);
  if (direct && resized) {
    // Stored blocks cannot be resized without an encoder: decode instead.
    *chosen = D3DFMT_A8R8G8B8;
    direct = false;
  }
  UINT full = FullChain(width, height);
  return (levels == D3DX_DEFAULT || levels == 0) ? full : std::min(levels, full);
}

// Resamples by averaging the source area under each target texel (a box
// filter); with `point` the nearest texel is taken instead.
std::vector<std::uint32_t> Resize(const std::vector<std::uint32_t>& src, UINT sw, UINT sh, UINT dw, UINT dh,
                                  bool point) {
  if (sw == dw && sh == dh) return src;
  std::vector<std::uint32_t> dst(static_cast<std::size_t>(dw) * dh);
  for (UINT y = 0; y < dh; ++y) {
    UINT y0 = static_cast<UINT>(static_cast<std::uint64_t>(y) * sh / dh);
    UINT y1 = std::max(y0 + 1, static_cast<UINT>((static_cast<std::uint64_t>(y) + 1) * sh / dh));
    for (UINT x = 0; x < dw; ++x) {
      UINT x0 = static_cast<UINT>(static_cast<std::uint64_t>(x) * sw / dw);
      UINT x1 = std::max(x0 + 1, static_cast<UINT>((static_cast<std::uint64_t>(x) + 1) * sw / dw));
      if (point) {
        dst[static_cast<std::size_t>(y) * dw + x] = src[static_cast<std::size_t>(y0) * sw + x0];
        continue;
      }
      std::uint64_t sum[4] = {0, 0, 0, 0};
      for (UINT yy = y0; yy < y1; ++yy)
        for (UINT xx = x0; xx < x1; ++xx) {
          std::uint32_t c = src[static_cast<std::size_t>(yy) * sw + xx];
          for (int k = 0; k < 4; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
        }
      std::uint64_t n = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
      std::uint32_t c = 0;
      for (int k = 0; k < 4; ++k) c |= static_cast<std::uint32_t>((sum[k] + n / 2) / n) << (8 * k);
      dst[static_cast<std::size_t>(y) * dw + x] = c;
    }
  }
  return dst;
}

// Nearest-texel resampling of palette indices.
std::vector<std::uint8_t> ResizeIndices(const std::vector<std::uint8_t>& src, UINT sw, UINT sh, UINT dw, UINT dh) {
  std::vector<std::uint8_t> dst(static_cast<std::size_t>(dw) * dh);
  for (UINT y = 0; y < dh; ++y)
    for (UINT x = 0; x < dw; ++x)
      dst[static_cast<std::size_t>(y) * dw + x] =
          src[static_cast<std::size_t>(static_cast<std::uint64_t>(y) * sh / dh) * sw +
              static_cast<std::uint64_t>(x) * sw / dw];
  return dst;
}

// The texture format to build: the asked one, or for D3DFMT_UNKNOWN the
// source's own as far as the device holds it.
D3DFORMAT ChooseFormat(D3DFORMAT asked, const DecodedImage& image) {
  D3DFORMAT f = asked;
  if (f == D3DFMT_UNKNOWN) {
    f = image.sourceFormat;
    if (f == D3DFMT_P8 || f == D3DFMT_R8G8B8) f = D3DFMT_X8R8G8B8;
  }
  if (f == D3DFMT_P8 && !image.paletted) f = D3DFMT_A8R8G8B8;
  if (f == D3DFMT_R8G8B8) f = D3DFMT_X8R8G8B8;
  // Other images asked in a block format become 32-bit (they are not
  // encoded; only a block file keeps its format).
  if (d3d8::IsBlockCompressed(f) && f != image.sourceFormat) f = D3DFMT_A8R8G8B8;
  return f;
}

void FillInfo(const DecodedImage& image, D3DXIMAGE_INFO* info) {
  if (!info) return;
  info->Width = image.width;
  info->Height = image.height;
  info->Depth = 1;
  info->MipLevels = image.levels;
  info->Format = image.sourceFormat;
  info->ResourceType = image.faces == 6 ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE;
  info->ImageFileFormat = image.fileFormat;
}

// Writes one level of texels through a lock on the texture or cube face.
template <class Lock, class Unlock>
HRESULT WriteLevel(Lock lock, Unlock unlock, D3DFORMAT format, UINT w, UINT h, const std::uint32_t* argb,
                   const std::uint8_t* indices, const std::uint8_t* raw) {
  D3DLOCKED_RECT locked;
  HRESULT hr = lock(&locked);
  if (FAILED(hr)) return hr;
  auto* dst = static_cast<std::uint8_t*>(locked.pBits);
  UINT pitch = static_cast<UINT>(locked.Pitch);
  if (raw) {
    std::memcpy(dst, raw, static_cast<std::size_t>(d3d8::LevelBytes(format, w, h)));
  } else if (indices) {
    for (UINT y = 0; y < h; ++y) std::memcpy(dst + static_cast<std::size_t>(y) * pitch, indices + y * w, w);
  } else {
    d3d8::EncodeFromArgb(format, argb, w, h, dst, pitch);
  }
  return unlock();
}

// Texels of one face's first level as ARGB (DDS levels are decoded).
bool FaceTexels(const DecodedImage& image, UINT face, std::vector<std::uint32_t>* argb) {
  if (image.fileFormat != D3DXIFF_DDS) {
    *argb = image.argb;
    return true;
  }
  argb->assign(static_cast<std::size_t>(image.width) * image.height, 0);
  return d3d8::DecodeToArgb(image.sourceFormat, image.levelData[face * image.levels],
                            d3d8::LevelPitch(image.sourceFormat, image.width), image.width, image.height, nullptr,
                            argb->data());
}

// Fills every level of one face.  `lockLevel(level, out)` and
// `unlockLevel(level)` reach the texture.
template <class LockLevel, class UnlockLevel>
HRESULT FillFace(const DecodedImage& image, UINT face, D3DFORMAT format, UINT width, UINT height, UINT levels,
                 DWORD filter, DWORD mipFilter, D3DCOLOR colourKey, LockLevel lockLevel, UnlockLevel unlockLevel) {
  bool mipPoint = (mipFilter & 0xFF) == D3DX_FILTER_POINT || (mipFilter & 0xFF) == D3DX_FILTER_NONE;
  bool direct = d3d8::IsBlockCompressed(format) && format == image.sourceFormat;
  if (direct) {
    // Stored blocks are copied level by level (sizes always match here);
    // levels the file lacks are filtered from the last stored one and
    // encoded again.
    std::vector<std::uint32_t> texels;
    std::vector<std::uint8_t> blocks;
    for (UINT l = 0; l < levels; ++l) {
      UINT w = std::max(1u, width >> l), h = std::max(1u, height >> l);
      const std::uint8_t* raw = nullptr;
      if (l < image.levels) {
        raw = image.levelData[face * image.levels + l];
      } else {
        UINT pw = std::max(1u, width >> (l - 1)), ph = std::max(1u, height >> (l - 1));
        if (l == image.levels) {
          texels.assign(static_cast<std::size_t>(pw) * ph, 0);
          d3d8::DecodeToArgb(format, image.levelData[face * image.levels + l - 1], d3d8::LevelPitch(format, pw), pw,
                             ph, nullptr, texels.data());
        }
        texels = Resize(texels, pw, ph, w, h, mipPoint);
        blocks.assign(static_cast<std::size_t>(d3d8::LevelBytes(format, w, h)), 0);
        EncodeDxt(format, texels.data(), w, h, blocks.data(), d3d8::LevelPitch(format, w));
        raw = blocks.data();
      }
      HRESULT hr = WriteLevel([&](D3DLOCKED_RECT* r) { return lockLevel(l, r); }, [&] { return unlockLevel(l); },
                              format, w, h, nullptr, nullptr, raw);
      if (FAILED(hr)) return hr;
    }
    return D3D_OK;
  }
  bool point = (filter & 0xFF) == D3DX_FILTER_POINT || (filter & 0xFF) == D3DX_FILTER_NONE;
  if (format == D3DFMT_P8) {
    std::vector<std::uint8_t> indices = ResizeIndices(image.indices, image.width, image.height, width, height);
    for (UINT l = 0; l < levels; ++l) {
      UINT w = std::max(1u, width >> l), h = std::max(1u, height >> l);
      std::vector<std::uint8_t> level = l == 0 ? indices : ResizeIndices(indices, width, height, w, h);
      HRESULT hr = WriteLevel([&](D3DLOCKED_RECT* r) { return lockLevel(l, r); }, [&] { return unlockLevel(l); },
                              format, w, h, nullptr, level.data(), nullptr);
      if (FAILED(hr)) return hr;
    }
    return D3D_OK;
  }
  std::vector<std::uint32_t> texels;
  if (!FaceTexels(image, face, &texels)) return D3DXERR_INVALIDDATA;
  if (colourKey)
    for (std::uint32_t& t : texels)
      if (t == colourKey) t = 0;
  std::vector<std::uint32_t> level = Resize(texels, image.width, image.height, width, height, point);
  UINT w = width, h = height;
  for (UINT l = 0; l < levels; ++l) {
    HRESULT hr = WriteLevel([&](D3DLOCKED_RECT* r) { return lockLevel(l, r); }, [&] { return unlockLevel(l); },
                            format, w, h, level.data(), nullptr, nullptr);
    if (FAILED(hr)) return hr;
    UINT nw = std::max(1u, w / 2), nh = std::max(1u, h / 2);
    // A DDS file's own smaller levels are used while the sizes match;
    // further levels are box-filtered from the last one.
    bool stored = image.fileFormat == D3DXIFF_DDS && width == image.width && height == image.height &&
                  l + 1 < image.levels;
    if (l + 1 < levels && stored) {
      level.assign(static_cast<std::size_t>(nw) * nh, 0);
      d3d8::DecodeToArgb(image.sourceFormat, image.levelData[face * image.levels + l + 1],
                         d3d8::LevelPitch(image.sourceFormat, nw), nw, nh, nullptr, level.data());
      if (colourKey)
        for (std::uint32_t& t : level)
          if (t == colourKey) t = 0;
    } else if (l + 1 < levels) {
      level = Resize(level, w, h, nw, nh, mipPoint);
    }
    w = nw;
    h = nh;
  }
  return D3D_OK;
}

}  // namespace
}  // namespace d3dx8

using d3dx8::DecodedImage;

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                            PALETTEENTRY* palette, IDirect3DTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (!device || !data || size == 0) return D3DERR_INVALIDCALL;
  DecodedImage image;
  if (!d3dx8::DecodeImage(static_cast<const std::uint8_t*>(data), size, &image)) return D3DXERR_INVALIDDATA;
  d3dx8::FillInfo(image, info);
  if (width == D3DX_DEFAULT || width == 0) width = image.width;
  if (height == D3DX_DEFAULT || height == 0) height = image.height;
  D3DFORMAT chosen = d3dx8::ChooseFormat(format, image);
  const bool resized = width != image.width || height != image.height;
  UINT count = d3dx8::LevelsFor(width, height, resized, levels, &chosen);
  IDirect3DTexture8* t = nullptr;
  HRESULT hr = device->CreateTexture(width, height, count, usage, chosen, pool, &t);
  if (FAILED(hr)) return hr;
  hr = d3dx8::FillFace(
      image, 0, chosen, width, height, count, filter, mipFilter, colourKey,
      [&](UINT l, D3DLOCKED_RECT* r) { return t->LockRect(l, r, nullptr, 0); }, [&](UINT l) { return t->UnlockRect(l); });
  if (FAILED(hr)) {
    t->Release();
    return hr;
  }
  if (palette && image.paletted) std::memcpy(palette, image.palette, sizeof image.palette);
  *texture = t;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* device, const void* data, UINT size,
                                          IDirect3DTexture8** texture) {
  return D3DXCreateTextureFromFileInMemoryEx(device, data, size, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                             D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0,
                                             nullptr, nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileEx(IDirect3DDevice8* device, const char* name, UINT width, UINT height,
                                    UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                    DWORD mipFilter, D3DCOLOR colourKey, D3DXIMAGE_INFO* info,
                                    PALETTEENTRY* palette, IDirect3DTexture8** texture) {
  if (texture) *texture = nullptr;
  if (!name || !texture) return D3DERR_INVALIDCALL;
  // Windows paths in any letter case, as the rest of the system names files.
  std::FILE* f = WinFopen(name, "rb");
  if (!f) return D3DERR_NOTFOUND;
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  if (bytes.empty() || bytes.size() > 0xFFFFFFFFu) return D3DXERR_INVALIDDATA;
  return D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), static_cast<UINT>(bytes.size()), width, height,
                                             levels, usage, format, pool, filter, mipFilter, colourKey, info,
                                             palette, texture);
}

HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* device, const void* data, UINT size, UINT edge,
                                                UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                                DWORD filter, DWORD mipFilter, D3DCOLOR colourKey,
                                                D3DXIMAGE_INFO* info, PALETTEENTRY*, IDirect3DCubeTexture8** cube) {
  if (!cube) return D3DERR_INVALIDCALL;
  *cube = nullptr;
  if (!device || !data || size == 0) return D3DERR_INVALIDCALL;
  DecodedImage image;
  if (!d3dx8::DecodeImage(static_cast<const std::uint8_t*>(data), size, &image) || image.faces != 6)
    return D3DXERR_INVALIDDATA;
  d3dx8::FillInfo(image, info);
  if (edge == D3DX_DEFAULT || edge == 0) edge = image.width;
  D3DFORMAT chosen = d3dx8::ChooseFormat(format, image);
  if (chosen == D3DFMT_P8) chosen = D3DFMT_A8R8G8B8;
  UINT count = d3dx8::LevelsFor(edge, edge, edge != image.width, levels, &chosen);
  IDirect3DCubeTexture8* c = nullptr;
  HRESULT hr = device->CreateCubeTexture(edge, count, usage, chosen, pool, &c);
  if (FAILED(hr)) return hr;
  for (UINT face = 0; face < 6 && SUCCEEDED(hr); ++face) {
    auto f = static_cast<D3DCUBEMAP_FACES>(face);
    hr = d3dx8::FillFace(
        image, face, chosen, edge, edge, count, filter, mipFilter, colourKey,
        [&](UINT l, D3DLOCKED_RECT* r) { return c->LockRect(f, l, r, nullptr, 0); },
        [&](UINT l) { return c->UnlockRect(f, l); });
  }
  if (FAILED(hr)) {
    c->Release();
    return hr;
  }
  *cube = c;
  return D3D_OK;
}

HRESULT D3DXAssembleShaderFromFile(const char*, DWORD, LPD3DXBUFFER* constants, LPD3DXBUFFER* compiledShader,
                                   LPD3DXBUFFER* errors) {
  for (LPD3DXBUFFER* out : {constants, compiledShader, errors})
    if (out) *out = nullptr;
  static bool said = false;
  if (!said) {
    std::fprintf(stderr, "d3dx8: shader source cannot be assembled here\n");
    said = true;
  }
  return E_NOTIMPL;
}
