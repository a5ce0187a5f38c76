// Feeds arbitrary bytes to the image kind and size readers that choose the
// texture format and scale: the data reader must never read past the data,
// and a size it reports must come from the data.  The same input also names
// a file (its kind from the extension, any case) and asks for a DDS image
// the engine builds in memory, which must read back with its own size.
//
// Input: the image data; its first bytes also give the built image's width,
// height and format and the name's extension.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_manager.h"
#include "render/textures/image_info.h"

namespace {

const D3DFORMAT kFormats[] = {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                              D3DFMT_A4R4G4B4, D3DFMT_A8,       D3DFMT_DXT1};
const DWORD kBytesPerPixel[] = {3, 4, 2, 2, 2, 1, 0};

void CheckBuiltImage(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  const DWORD width = data[0] % 65, height = data[1] % 65;
  const std::size_t f = data[2] % std::size(kFormats);
  const bool inBuffer = (data[3] & 1) != 0;
  // A small level buffer, so that a large image finds no room.
  CLinearBuffer buffer(4096, "fuzz dds");
  BYTE* image = nullptr;
  const DWORD bytes = CreateDdsImage(width, height, kFormats[f], &image, inBuffer ? &buffer : nullptr);
  const DWORD expected = 128 + kBytesPerPixel[f] * width * height;
  if (image == nullptr) {
    if (!inBuffer || bytes != 0 || expected <= 2048) __builtin_trap();
    return;
  }
  if (bytes != expected) __builtin_trap();
  ImageInfo info;
  if (!ReadImageInfo(image, bytes, &info) || info.Type != IMAGE_DDS || info.Width != width || info.Height != height)
    __builtin_trap();
  for (DWORD i = 128; i < bytes; ++i)
    if (image[i] != 0) __builtin_trap();
  if (!inBuffer) MEM_DELETE_ARRAY image;
}

void CheckName(const std::uint8_t* data, std::size_t size) {
  std::string name = "textures\\Picture.";
  for (std::size_t i = 0; i < size && i < 4; ++i) name += static_cast<char>(data[i]);
  std::string ext = name.substr(name.rfind('.') + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const DWORD type = GetImageFileType(name.c_str());
  const DWORD expected = ext == "BMP" ? IMAGE_BMP : ext == "PNG" ? IMAGE_PNG : ext == "TGA" ? IMAGE_TGA
                         : ext == "DDS" ? IMAGE_DDS : IMAGE_UNKNOWN;
  // A name whose extension holds a NUL ends there.
  if (name.find('\0') == std::string::npos && type != expected) __builtin_trap();
  if (type > IMAGE_DDS) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so that any read beyond them is caught.
  std::vector<std::uint8_t> bytes(data, data + size);
  ImageInfo info;
  const int ok = ReadImageInfo(bytes.empty() ? nullptr : bytes.data(), bytes.size(), &info);
  if (info.Type > IMAGE_DDS) std::abort();
  if (!ok && (info.Width != 0 || info.Height != 0)) std::abort();
  if (GetImageDataType(bytes.empty() ? nullptr : bytes.data(), bytes.size()) != info.Type) std::abort();
  // The size comes from the header's own fields.
  if (ok && info.Type == IMAGE_DDS) {
    ByteReader r(bytes.data(), bytes.size());
    r.Seek(12);
    if (r.U32() != info.Height || r.U32() != info.Width) std::abort();
  }
  const DWORD top = HighestPowerOfTwo(info.Width);
  if (info.Width != 0 && (top > info.Width || top <= info.Width / 2 || (top & (top - 1)) != 0)) std::abort();
  if (info.Width == 0 && top != 0) std::abort();
  CheckName(data, size);
  CheckBuiltImage(data, size);
  return 0;
}
