// JPEG files through libjpeg, decoded to RGB and widened to ARGB.  libjpeg
// reports errors by a jump back to the reader, which then answers false.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/d3dx8/image_decoder.h"

namespace d3dx8 {
namespace {

struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1); }
void Quiet(j_common_ptr) {}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage* out) {
  // Everything that owns memory is made before the jump point, so that a
  // jump back skips no destructor.
  jpeg_decompress_struct info;
  ErrorJump error;
  std::vector<std::uint8_t> row;
  std::vector<std::uint32_t>& argb = out->argb;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnError;
  error.manager.output_message = Quiet;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    argb.clear();
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK || !SaneSize(info.image_width, info.image_height) ||
      (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
       info.jpeg_color_space != JCS_RGB)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  std::uint32_t w = info.output_width, h = info.output_height;
  argb.assign(static_cast<std::size_t>(w) * h, 0);
  row.resize(static_cast<std::size_t>(w) * 3);
  while (info.output_scanline < h) {
    std::uint32_t y = info.output_scanline;
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (std::uint32_t x = 0; x < w; ++x)
      argb[static_cast<std::size_t>(y) * w + x] = 0xFF000000u | (std::uint32_t(row[x * 3]) << 16) |
                                                  (std::uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out->width = w;
  out->height = h;
  out->sourceFormat = D3DFMT_X8R8G8B8;
  out->fileFormat = D3DXIFF_JPG;
  return true;
}

}  // namespace d3dx8
