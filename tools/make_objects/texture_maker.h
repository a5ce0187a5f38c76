// The generated pictures of the description's textures, and the 32-bit TGA
// files they are written as (uncompressed, rows top first, with alpha), which
// the texture library finds by the texture's name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "make_objects/object_description.h"

// The texture's pixels, ARGB, rows top first; the same description always
// gives the same pixels.  Only "leaves" has transparent pixels.
std::vector<std::uint32_t> MakeTexturePixels(const TextureSource& texture);

// The bytes of an uncompressed 32-bit TGA of the pixels (ARGB, rows top first).
std::vector<std::uint8_t> EncodeTga(int width, int height, const std::vector<std::uint32_t>& pixels);
