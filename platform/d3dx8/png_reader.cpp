// PNG files through libpng's memory reader, expanded to 8-bit BGRA rows, which
// are ARGB words in memory.
#include <png.h>

#include <cstring>

#include "platform/d3dx8/image_decoder.h"

namespace d3dx8 {

bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  if (!SaneSize(image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  out->argb.assign(static_cast<std::size_t>(image.width) * image.height, 0);
  if (!png_image_finish_read(&image, nullptr, out->argb.data(), 0, nullptr)) {
    png_image_free(&image);
    out->argb.clear();
    return false;
  }
  out->width = image.width;
  out->height = image.height;
  out->sourceFormat = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  out->fileFormat = D3DXIFF_PNG;
  png_image_free(&image);
  return true;
}

}  // namespace d3dx8
