#include "shell/frame_screenshot.h"

#include <png.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/files/bmp_handler.h"
#include "render/device/render.h"

namespace {

// The back buffer as 8-bit RGB rows, top row first.
bool ReadBackBuffer(std::vector<std::uint8_t>* rgb, int* width, int* height) {
  IDirect3DSurface8* surface = nullptr;
  if (g_Device == nullptr || FAILED(g_Device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface))) return false;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  const bool ok = SUCCEEDED(surface->GetDesc(&desc)) && SUCCEEDED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (ok) {
    *width = static_cast<int>(desc.Width);
    *height = static_cast<int>(desc.Height);
    rgb->assign(static_cast<std::size_t>(*width) * static_cast<std::size_t>(*height) * 3, 0);
    for (int y = 0; y < *height; ++y) {
      const auto* in = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(locked.pBits) +
                                                              static_cast<std::size_t>(y) * locked.Pitch);
      std::uint8_t* out = rgb->data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(*width) * 3;
      for (int x = 0; x < *width; ++x) {
        out[x * 3 + 0] = (in[x] >> 16) & 0xFF;
        out[x * 3 + 1] = (in[x] >> 8) & 0xFF;
        out[x * 3 + 2] = in[x] & 0xFF;
      }
    }
    surface->UnlockRect();
  }
  surface->Release();
  return ok;
}

bool WritePng(const char* fileName, const std::vector<std::uint8_t>& rgb, int width, int height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, fileName, 0, rgb.data(), 0, nullptr)) return true;
  png_image_free(&image);
  std::remove(fileName);
  return false;
}

// The bitmap handler takes BGR rows, each padded to four bytes, top row first.
bool WriteBmp(const char* fileName, const std::vector<std::uint8_t>& rgb, int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* in = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      std::uint8_t* out = &rows[y * stride + x * 3];
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  CBmpHandler bitmap;
  if (bitmap.Create(width, height, 1, rows.data(), nullptr, 24, 0) && bitmap.Save(fileName)) return true;
  std::remove(fileName);
  return false;
}

}  // namespace

bool IsPngFileName(const char* fileName) {
  if (fileName == nullptr) return false;
  const std::size_t n = std::strlen(fileName);
  if (n < 4) return false;
  const char* tail = fileName + n - 4;
  for (int i = 0; i < 4; ++i)
    if (std::tolower(static_cast<unsigned char>(tail[i])) != ".png"[i]) return false;
  return true;
}

bool SaveBackBuffer(const char* fileName) {
  if (fileName == nullptr || fileName[0] == 0) return false;
  std::vector<std::uint8_t> rgb;
  int width = 0, height = 0;
  if (!ReadBackBuffer(&rgb, &width, &height)) return false;
  return IsPngFileName(fileName) ? WritePng(fileName, rgb, width, height) : WriteBmp(fileName, rgb, width, height);
}

std::string TaggedScreenshotName(const char* fileName, const char* tag) {
  const std::string name = fileName != nullptr ? fileName : "";
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.find_last_of('.');
  const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const std::size_t at = extension ? dot : name.size();
  return name.substr(0, at) + "-" + (tag != nullptr ? tag : "") + name.substr(at);
}
