// Texel formats of the Direct3D 8 stand-in: sizes, and conversion between a
// format's bytes and 32-bit ARGB texels.  Shared by the device (uploads to
// OpenGL) and the D3DX texture loaders.  Platform-internal.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8_types.h"

namespace d3d8 {

// Bytes per texel of an uncompressed format; 0 for block-compressed and
// unknown formats.
UINT BytesPerPixel(D3DFORMAT format);
// True for DXT1..DXT5.
bool IsBlockCompressed(D3DFORMAT format);
// Bytes per 4x4 block of a compressed format (8 or 16), else 0.
UINT BlockBytes(D3DFORMAT format);
// True when the stand-in can hold textures of this format.
bool IsTextureFormat(D3DFORMAT format);
// Row pitch of a level: bytes per row, or per row of 4x4 blocks.
UINT LevelPitch(D3DFORMAT format, UINT width);
// Byte size of a level of width x height; 0 for an unsupported format.
std::uint64_t LevelBytes(D3DFORMAT format, UINT width, UINT height);
// True when the format carries alpha.
bool HasAlpha(D3DFORMAT format);

// Converts a width x height image in `format` (rows `pitch` bytes apart) to
// ARGB texels (alpha in the top byte), writing width * height values.
// `palette` (256 entries, may be null: grey ramp) serves P8.  False for an
// unsupported format.
bool DecodeToArgb(D3DFORMAT format, const std::uint8_t* src, UINT pitch, UINT width, UINT height,
                  const PALETTEENTRY* palette, std::uint32_t* argb);

// Converts ARGB texels into `format` rows `pitch` bytes apart.  False for a
// compressed, palettised or unsupported format.
bool EncodeFromArgb(D3DFORMAT format, const std::uint32_t* argb, UINT width, UINT height, std::uint8_t* dst,
                    UINT pitch);

// Decodes one 4x4 DXT block into 16 ARGB texels (row by row).
void DecodeDxtBlock(D3DFORMAT format, const std::uint8_t* block, std::uint32_t out[16]);

}  // namespace d3d8
