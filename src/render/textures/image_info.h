// Image kinds and sizes from names and from image data in memory, the
// synthetic DDS images the engine builds in memory, and texture byte sizes.
#pragma once

#include <cstddef>

#include "platform/d3d8/d3d8.h"

enum ImageType : DWORD {
  IMAGE_UNKNOWN = 0,
  IMAGE_BMP = 1,
  IMAGE_PNG = 2,
  IMAGE_TGA = 3,
  IMAGE_DDS = 4,
};

// Texture load flags.
enum TextureLoadFlags : DWORD {
  TEXLOAD_MIPMAPS = 0x1,     // build the full mip chain, else one level
  TEXLOAD_32BIT = 0x2,       // keep full colour (no 16-bit format is forced)
  TEXLOAD_ALPHA = 0x4,       // the image has alpha
  TEXLOAD_ALPHA_ONLY = 0x8,  // alpha only (D3DFMT_A8)
};

struct ImageInfo {
  DWORD Type;
  DWORD Width;
  DWORD Height;
};

// Type from the name's extension, any case: ".BMP" 1, ".PNG" 2, ".TGA" 3, ".DDS" 4, else 0.
DWORD GetImageFileType(const char* name);
// Type from the first bytes: "BM" BMP, "PNG" at 1-3 PNG, "DDS" DDS, anything else TGA;
// 0 when there are fewer than 4 bytes.
DWORD GetImageDataType(const void* data, std::size_t size);
// Type and size of the image in data.  Answers 1 when the size was read, 0 when
// the data is too short for its header (info then holds type 0 for data shorter
// than 4 bytes, else the type and size 0).
int ReadImageInfo(const void* data, std::size_t size, ImageInfo* info);

class CLinearBuffer;

// Builds a DDS image of width x height in the format (R8G8B8, A8R8G8B8, R5G6B5,
// A1R5G5B5, A4R4G4B4 with a pixel format; A8 without; others with no pixels),
// pixels zeroed, taken 4-byte aligned from the linear buffer when one is given,
// else as a tracked array the caller releases with MEM_DELETE_ARRAY.  Answers
// the byte size (128 + bytes per pixel x width x height); 0 with *image null
// when the linear buffer has no room.
DWORD CreateDdsImage(DWORD width, DWORD height, D3DFORMAT format, BYTE** image, CLinearBuffer* buffer = nullptr);

// Sum of the byte sizes of all levels of the texture (one face of a cube).
DWORD GetTextureMemorySize(IDirect3DTexture8* texture);
DWORD GetCubeTextureMemorySize(IDirect3DCubeTexture8* cube);
// The highest set bit of x (0 for 0).
DWORD HighestPowerOfTwo(DWORD x);
