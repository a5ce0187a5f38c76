// Encoder of DXT1..DXT5 blocks, so that textures kept in a block format can
// be given levels their file does not store.  Platform-internal.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

namespace d3dx8 {

// Encodes 16 ARGB texels (a 4x4 block, row by row) into one block of the
// format (8 bytes for DXT1, 16 for DXT2..DXT5).  Colours: the two texels
// farthest apart become the end points, each texel takes the nearest of the
// block's colours.  DXT1 uses its transparent entry for texels of alpha
// below 128; DXT2/3 store 4-bit alphas, DXT4/5 two alpha end points.
void EncodeDxtBlock(D3DFORMAT format, const std::uint32_t texels[16], std::uint8_t* out);

// Encodes a width x height ARGB image (row 0 on top) into rows of blocks
// `pitch` bytes apart; partial blocks at the right and bottom repeat the
// last column and row.
void EncodeDxt(D3DFORMAT format, const std::uint32_t* argb, UINT width, UINT height, std::uint8_t* out, UINT pitch);

}  // namespace d3dx8
