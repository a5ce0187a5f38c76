#include "image_fixture.h"

#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <cstring>

#include "foundation/byte_reader.h"
#include "platform/d3d8/d3d8_test_hooks.h"
#include "platform/win32/window.h"
#include "test_support/bmp_headers.h"

Bytes MakeBmp24(std::uint32_t w, std::uint32_t h, const Texels& argb) {
  std::uint32_t stride = (w * 3 + 3) & ~3u;
  ByteWriter out;
  WriteBmpHeaders(out, {.Width = static_cast<std::int32_t>(w),
                        .Height = static_cast<std::int32_t>(h),
                        .PixelBytes = stride * h});
  for (std::uint32_t y = h; y-- > 0;) {
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint32_t c = argb[y * w + x];
      out.U8(c & 0xFF);
      out.U8((c >> 8) & 0xFF);
      out.U8((c >> 16) & 0xFF);
    }
    for (std::uint32_t p = w * 3; p < stride; ++p) out.U8(0);
  }
  return out.Data();
}

Bytes MakeBmp8(std::uint32_t w, std::uint32_t h, const std::vector<std::uint8_t>& indices, const Texels& palette) {
  std::uint32_t stride = (w + 3) & ~3u;
  const std::uint32_t paletteBytes = 4 * static_cast<std::uint32_t>(palette.size());
  ByteWriter out;
  WriteBmpHeaders(out, {.Width = static_cast<std::int32_t>(w),
                        .Height = static_cast<std::int32_t>(h),
                        .BitsPerPixel = 8,
                        .PaletteBytes = paletteBytes,
                        .PixelBytes = stride * h,
                        .ColoursUsed = static_cast<std::uint32_t>(palette.size())});
  for (std::uint32_t c : palette) out.U32(c & 0xFFFFFF);
  for (std::uint32_t y = h; y-- > 0;) {
    for (std::uint32_t x = 0; x < w; ++x) out.U8(indices[y * w + x]);
    for (std::uint32_t p = w; p < stride; ++p) out.U8(0);
  }
  return out.Data();
}

Bytes MakeTga(std::uint32_t w, std::uint32_t h, const Texels& argb, int bits, bool rle, bool topDown) {
  ByteWriter out;
  out.U8(0);
  out.U8(0);
  out.U8(rle ? 10 : 2);
  out.U16(0);
  out.U16(0);
  out.U8(0);
  out.U16(0);
  out.U16(0);
  out.U16(static_cast<std::uint16_t>(w));
  out.U16(static_cast<std::uint16_t>(h));
  out.U8(static_cast<std::uint8_t>(bits));
  out.U8(static_cast<std::uint8_t>((topDown ? 0x20 : 0) | (bits == 32 ? 8 : 0)));
  auto pixel = [&](std::uint32_t c) {
    out.U8(c & 0xFF);
    out.U8((c >> 8) & 0xFF);
    out.U8((c >> 16) & 0xFF);
    if (bits == 32) out.U8(c >> 24);
  };
  std::vector<std::uint32_t> order;
  for (std::uint32_t i = 0; i < h; ++i) {
    std::uint32_t y = topDown ? i : h - 1 - i;
    for (std::uint32_t x = 0; x < w; ++x) order.push_back(argb[y * w + x]);
  }
  if (!rle) {
    for (std::uint32_t c : order) pixel(c);
    return out.Data();
  }
  // Runs of equal texels as repeat packets, single texels as raw packets.
  for (std::size_t i = 0; i < order.size();) {
    std::size_t run = 1;
    while (i + run < order.size() && order[i + run] == order[i] && run < 128) ++run;
    if (run > 1) {
      out.U8(static_cast<std::uint8_t>(0x80 | (run - 1)));
      pixel(order[i]);
    } else {
      out.U8(0);
      pixel(order[i]);
    }
    i += run;
  }
  return out.Data();
}

Bytes MakePng(std::uint32_t w, std::uint32_t h, const Texels& argb) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = PNG_FORMAT_BGRA;
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, argb.data(), 0, nullptr));
  Bytes bytes(size);
  EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, argb.data(), 0, nullptr));
  bytes.resize(size);
  return bytes;
}

Bytes MakeJpeg(std::uint32_t w, std::uint32_t h, const Texels& argb) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = w;
  info.image_height = h;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(w * 3);
  while (info.next_scanline < h) {
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint32_t c = argb[info.next_scanline * w + x];
      row[x * 3] = (c >> 16) & 0xFF;
      row[x * 3 + 1] = (c >> 8) & 0xFF;
      row[x * 3 + 2] = c & 0xFF;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

Bytes MakeDds(std::uint32_t w, std::uint32_t h, std::uint32_t mipCount, bool cube, std::uint32_t pfFlags,
              std::uint32_t fourCc, std::uint32_t bits, const std::uint32_t masks[4], const Bytes& payload) {
  ByteWriter out;
  out.U32(0x20534444);
  out.U32(124);
  out.U32(0x1007 | (mipCount > 1 ? 0x20000 : 0));
  out.U32(h);
  out.U32(w);
  out.U32(0);
  out.U32(0);
  out.U32(mipCount);
  for (int i = 0; i < 11; ++i) out.U32(0);
  out.U32(32);
  out.U32(pfFlags);
  out.U32(fourCc);
  out.U32(bits);
  for (int i = 0; i < 4; ++i) out.U32(masks[i]);
  out.U32(0x1000);
  out.U32(cube ? 0xFE00 : 0);
  out.U32(0);
  out.U32(0);
  out.U32(0);
  out.Bytes(payload.data(), payload.size());
  return out.Data();
}

Bytes MakeDdsArgb(std::uint32_t w, std::uint32_t h, const Texels& argb) {
  const std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  ByteWriter payload;
  for (std::uint32_t c : argb) payload.U32(c);
  return MakeDds(w, h, 1, false, 0x41, 0, 32, masks, payload.Data());
}

Bytes Dxt1Block(std::uint16_t c0, std::uint16_t c1, const int indices[16]) {
  ByteWriter out;
  out.U16(c0);
  out.U16(c1);
  std::uint32_t bits = 0;
  for (int i = 0; i < 16; ++i) bits |= static_cast<std::uint32_t>(indices[i] & 3) << (2 * i);
  out.U32(bits);
  return out.Data();
}

namespace {
LRESULT Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
}  // namespace

void LoaderFixture::SetUp() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = Proc;
    cls.lpszClassName = "LoaderFixture";
    ASSERT_NE(RegisterClassA(&cls), 0);
    registered = true;
  }
  window_ = CreateWindowExA(0, "LoaderFixture", "t", WS_POPUP, 0, 0, 32, 32, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window_, nullptr);
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(d3d_, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 32;
  pp.BackBufferHeight = 32;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = window_;
  pp.Windowed = TRUE;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_),
            D3D_OK);
  device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
}

void LoaderFixture::TearDown() {
  if (device_) {
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(device_->Release(), 0u);
  }
  if (d3d_) {
    EXPECT_EQ(d3d_->Release(), 0u);
  }
  if (window_) DestroyWindow(window_);
}

Texels LoaderFixture::DrawAndRead(IDirect3DTexture8* texture, std::uint32_t w, std::uint32_t h) {
  struct V {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
  };
  float fw = static_cast<float>(w), fh = static_cast<float>(h);
  V quad[4] = {{0, 0, 0, 1, 0xFFFFFFFFu, 0, 0},
               {fw, 0, 0, 1, 0xFFFFFFFFu, 1, 0},
               {fw, fh, 0, 1, 0xFFFFFFFFu, 1, 1},
               {0, fh, 0, 1, 0xFFFFFFFFu, 0, 1}};
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device_->SetTexture(0, texture);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(V)), D3D_OK);
  Texels out;
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x)
      out.push_back(D3D8TestReadPixel(device_, static_cast<int>(x), static_cast<int>(y)) | 0xFF000000u);
  device_->SetTexture(0, nullptr);
  return out;
}

Texels LoaderFixture::ReadLevel(IDirect3DTexture8* texture, UINT level) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(level, &desc);
  D3DLOCKED_RECT locked;
  EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  Texels out;
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x) {
      std::uint32_t v;
      std::memcpy(&v, static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
      out.push_back(v);
    }
  texture->UnlockRect(level);
  return out;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int s = 0; s < 32; s += 8)
    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > tolerance) return false;
  return true;
}

Bytes MakeBmpRle8(std::uint32_t w, std::uint32_t h, const Bytes& packed, const Texels& palette) {
  const std::uint32_t paletteBytes = 4 * static_cast<std::uint32_t>(palette.size());
  ByteWriter out;
  WriteBmpHeaders(out, {.Width = static_cast<std::int32_t>(w),
                        .Height = static_cast<std::int32_t>(h),
                        .BitsPerPixel = 8,
                        .Compression = 1,  // run-length, 8 bits
                        .PaletteBytes = paletteBytes,
                        .PixelBytes = static_cast<std::uint32_t>(packed.size()),
                        .SizeImage = static_cast<std::uint32_t>(packed.size()),
                        .ColoursUsed = static_cast<std::uint32_t>(palette.size())});
  for (std::uint32_t c : palette) out.U32(c & 0xFFFFFF);
  out.Bytes(packed.data(), packed.size());
  return out.Data();
}
