// The generated pictures of the description's textures, and the files they
// are written as, which the texture library finds by the texture's name: a
// 32-bit TGA (uncompressed, rows top first), or, for a picture with
// transparent pixels, an A8R8G8B8 DDS in the engine's own DDS layout (the
// renderer keeps a TGA's alpha only when a 32-bit texture is asked for, and
// the level's textures are not).
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

// The bytes of an A8R8G8B8 DDS of the pixels (ARGB, rows top first), one level.
std::vector<std::uint8_t> EncodeDds(int width, int height, const std::vector<std::uint32_t>& pixels);
// Whether any pixel is not fully opaque.
bool HasTransparentPixels(const std::vector<std::uint32_t>& pixels);
// The texture's file name: "<name>.dds" when its picture has transparent pixels, else "<name>.tga".
std::string TextureFileName(const TextureSource& texture);
// The texture's file as TextureFileName names it.
std::vector<std::uint8_t> EncodeTextureFile(const TextureSource& texture);
