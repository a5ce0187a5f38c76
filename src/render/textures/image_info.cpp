#include "render/textures/image_info.h"

#include <cstdlib>
#include <cstring>
#include <cctype>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"

DWORD GetImageFileType(const char* name) {
  const char* dot = name != nullptr ? std::strrchr(name, '.') : nullptr;
  if (dot == nullptr) return IMAGE_UNKNOWN;
  static const struct {
    const char* ext;
    DWORD type;
  } kTypes[] = {{".BMP", IMAGE_BMP}, {".PNG", IMAGE_PNG}, {".TGA", IMAGE_TGA}, {".DDS", IMAGE_DDS}};
  for (const auto& t : kTypes) {
    bool same = std::strlen(dot) == 4;
    for (int i = 0; same && i < 4; ++i) same = std::toupper(static_cast<unsigned char>(dot[i])) == t.ext[i];
    if (same) return t.type;
  }
  return IMAGE_UNKNOWN;
}

DWORD GetImageDataType(const void* data, std::size_t size) {
  if (data == nullptr || size < 4) return IMAGE_UNKNOWN;
  const auto* b = static_cast<const unsigned char*>(data);
  if (b[0] == 'B' && b[1] == 'M') return IMAGE_BMP;
  if (b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return IMAGE_PNG;
  if (b[0] == 'D' && b[1] == 'D' && b[2] == 'S') return IMAGE_DDS;
  return IMAGE_TGA;
}

int ReadImageInfo(const void* data, std::size_t size, ImageInfo* info) {
  info->Type = GetImageDataType(data, size);
  info->Width = info->Height = 0;
  ByteReader r(data, data != nullptr ? size : 0);
  switch (info->Type) {
    case IMAGE_BMP: {
      // Width and height are signed 32-bit; a negative height marks a top-down image.
      if (!r.Seek(18)) return 0;
      const std::int32_t w = r.I32(), h = r.I32();
      if (!r.Ok()) return 0;
      info->Width = static_cast<DWORD>(std::abs(w));
      info->Height = static_cast<DWORD>(std::abs(h));
      return 1;
    }
    case IMAGE_PNG: {
      // The low halves of the header's big-endian width (16) and height (20).
      if (!r.Seek(18)) return 0;
      const std::uint8_t w0 = r.U8(), w1 = r.U8();
      r.Skip(2);
      const std::uint8_t h0 = r.U8(), h1 = r.U8();
      if (!r.Ok()) return 0;
      info->Width = (static_cast<DWORD>(w0) << 8) | w1;
      info->Height = (static_cast<DWORD>(h0) << 8) | h1;
      return 1;
    }
    case IMAGE_DDS: {
      if (!r.Seek(12)) return 0;
      const std::uint32_t h = r.U32(), w = r.U32();
      if (!r.Ok()) return 0;
      info->Width = w;
      info->Height = h;
      return 1;
    }
    case IMAGE_TGA: {
      if (!r.Seek(12)) return 0;
      const std::uint16_t w = r.U16(), h = r.U16();
      if (!r.Ok()) return 0;
      info->Width = w;
      info->Height = h;
      return 1;
    }
    default:
      return 0;
  }
}

namespace {

struct DdsPixelFormat {
  D3DFORMAT format;
  DWORD flags, bits, red, green, blue, alpha, bytesPerPixel;
};

const DdsPixelFormat kDdsPixelFormats[] = {
    {D3DFMT_R8G8B8, 0x40, 24, 0xFF0000, 0xFF00, 0xFF, 0, 3},
    {D3DFMT_A8R8G8B8, 0x41, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 4},
    {D3DFMT_R5G6B5, 0x40, 16, 0xF800, 0x7E0, 0x1F, 0, 2},
    {D3DFMT_A1R5G5B5, 0x41, 16, 0x7C00, 0x3E0, 0x1F, 0x8000, 2},
    {D3DFMT_A4R4G4B4, 0x41, 16, 0xF00, 0xF0, 0xF, 0xF000, 2},
};

}  // namespace

DWORD CreateDdsImage(DWORD width, DWORD height, D3DFORMAT format, BYTE** image, CLinearBuffer* buffer) {
  const DdsPixelFormat* pf = nullptr;
  for (const auto& e : kDdsPixelFormats)
    if (e.format == format) pf = &e;
  const DWORD bytesPerPixel = pf != nullptr ? pf->bytesPerPixel : (format == D3DFMT_A8 ? 1 : 0);
  const DWORD size = 128 + bytesPerPixel * width * height;

  ByteWriter w;
  w.U32(0x20534444);  // "DDS "
  w.U32(124);
  w.U32(pf != nullptr ? 0x100F : 0x1007);
  w.U32(height);
  w.U32(width);
  w.U32(pf != nullptr ? bytesPerPixel * width : 0);
  for (int i = 0; i < 13; ++i) w.U32(0);  // depth, mip count, 11 reserved words
  // Pixel format record at offset 76.
  w.U32(32);
  w.U32(pf != nullptr ? pf->flags : 0);
  w.U32(0);  // FourCC
  w.U32(pf != nullptr ? pf->bits : 0);
  w.U32(pf != nullptr ? pf->red : 0);
  w.U32(pf != nullptr ? pf->green : 0);
  w.U32(pf != nullptr ? pf->blue : 0);
  w.U32(pf != nullptr ? pf->alpha : 0);
  w.U32(0x1000);  // caps: texture
  for (int i = 0; i < 4; ++i) w.U32(0);

  BYTE* out = nullptr;
  if (buffer != nullptr) {
    out = static_cast<BYTE*>(buffer->Alloc(size, 4));
    if (out == nullptr) {
      *image = nullptr;
      return 0;
    }
  } else {
    MEM_OWNER();
    out = MEM_NEW(MEMCAT_GAME) BYTE[size];
  }
  std::memset(out, 0, size);
  std::memcpy(out, w.Data().data(), w.Size());
  *image = out;
  return size;
}

DWORD GetTextureMemorySize(IDirect3DTexture8* texture) {
  DWORD total = 0;
  const DWORD levels = texture->GetLevelCount();
  for (DWORD i = 0; i < levels; ++i) {
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(texture->GetLevelDesc(i, &desc))) total += desc.Size;
  }
  return total;
}

DWORD GetCubeTextureMemorySize(IDirect3DCubeTexture8* cube) {
  DWORD total = 0;
  const DWORD levels = cube->GetLevelCount();
  for (DWORD i = 0; i < levels; ++i) {
    D3DSURFACE_DESC desc;
    if (SUCCEEDED(cube->GetLevelDesc(i, &desc))) total += desc.Size;
  }
  return total;
}

DWORD HighestPowerOfTwo(DWORD x) {
  if (x == 0) return 0;
  DWORD bit = 1;
  while (x >>= 1) bit <<= 1;
  return bit;
}
