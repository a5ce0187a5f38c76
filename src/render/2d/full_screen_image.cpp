#include "render/2d/full_screen_image.h"

#include <cstdio>
#include <cstring>

#include "foundation/files/bmp_handler.h"
#include "foundation/text/hash.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "render/textures/image_info.h"
#include "render/device/render.h"
#include "render/textures/text_compare.h"
#include "render/textures/texture_manager.h"

namespace {

// Smallest power of two at least n.
int PowerOfTwoAtLeast(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

int TilesAlong(int pixels) { return (pixels + kFullScreenTileSize - 1) / kFullScreenTileSize; }

constexpr std::uint32_t kDdsHeaderSize = 128;

}  // namespace

CFullScreenImage::CFullScreenImage(CRender* render, CCamera* camera, CTextureManager* textures)
    : Render(render), Camera(camera), Textures(textures) {}

CFullScreenImage::~CFullScreenImage() {
  MEM_DELETE_ARRAY FileName;
  MEM_DELETE Bitmap;
}

int CFullScreenImage::Load(const char* name, CLinearBuffer* buffer) {
  if (name != nullptr) {
    const std::size_t n = std::strlen(name);
    char* copy = MEM_NEW(MEMCAT_GAME) char[n + 1];
    std::memcpy(copy, name, n + 1);
    MEM_DELETE_ARRAY FileName;
    FileName = copy;
  }
  if (FileName == nullptr) return 0;
  const std::size_t length = std::strlen(FileName);
  if (length >= 4 && TextEqualNoCase(FileName + length - 4, ".png")) return 1;

  MEM_DELETE Bitmap;
  Bitmap = MEM_NEW(MEMCAT_GAME) CBmpHandler;
  Kind = 0;
  int ok = 0;
  // Rows top first, so that row y of the picture is row y on the screen.
  if (!Bitmap->Load(FileName, 1, 0, MEMCAT_GAME)) {
    ErrorBox("Unable to load bmp file\n\"%s\"\n", FileName);
  } else if (Bitmap->GetBitsPerPixel() != 24) {
    ErrorBox("Bitmap \"%s\" has an illegal bit depth\n", FileName);
  } else {
    const int width = Bitmap->GetWidth();
    const int height = Bitmap->GetHeight() < 0 ? -Bitmap->GetHeight() : Bitmap->GetHeight();
    if (width <= 0 || height <= 0 || TilesAlong(width) * TilesAlong(height) > kFullScreenMaxTiles) {
      ErrorBox("Bitmap \"%s\" is too large for the screen\n", FileName);
    } else {
      Bytes24 = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 3;
      Bytes16 = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 2;
      MakeTiles(buffer);
      ok = 1;
    }
  }
  MEM_DELETE Bitmap;
  Bitmap = nullptr;
  return ok;
}

void CFullScreenImage::MakeTiles(CLinearBuffer* buffer) {
  PictureWidth = Bitmap->GetWidth();
  PictureHeight = Bitmap->GetHeight() < 0 ? -Bitmap->GetHeight() : Bitmap->GetHeight();
  TileCount = 0;
  // Column by column, each column top to bottom.
  for (int x1 = 0; x1 < PictureWidth; x1 += kFullScreenTileSize) {
    for (int y1 = 0; y1 < PictureHeight; y1 += kFullScreenTileSize) {
      const int w = PictureWidth - x1 < kFullScreenTileSize ? PictureWidth - x1 : kFullScreenTileSize;
      const int h = PictureHeight - y1 < kFullScreenTileSize ? PictureHeight - y1 : kFullScreenTileSize;
      MakeTile(x1, y1, x1 + w - 1, y1 + h - 1, buffer);
    }
  }
}

void CFullScreenImage::MakeTile(int x1, int y1, int x2, int y2, CLinearBuffer* buffer) {
  const int w = x2 - x1 + 1, h = y2 - y1 + 1;
  const int tw = PowerOfTwoAtLeast(w), th = PowerOfTwoAtLeast(h);
  const std::uint32_t usedBefore = buffer != nullptr ? buffer->GetUsed() : 0;
  BYTE* image = nullptr;
  const DWORD size = CreateDdsImage(static_cast<DWORD>(tw), static_cast<DWORD>(th), D3DFMT_R5G6B5, &image, buffer);
  if (size == 0 || image == nullptr) return;

  // Pack each blue, green, red source pixel into R5G6B5; rows advance by the pitch.
  const std::uint32_t pitch = static_cast<std::uint32_t>(tw) * 2;
  for (int y = y1; y <= y2; ++y) {
    const std::uint8_t* source = Bitmap->GetPixels() + static_cast<std::size_t>(y) * Bitmap->GetRowSize();
    auto* target = reinterpret_cast<std::uint16_t*>(image + kDdsHeaderSize + (y - y1) * pitch);
    for (int x = x1; x <= x2; ++x) {
      const std::uint8_t blue = source[x * 3], green = source[x * 3 + 1], red = source[x * 3 + 2];
      target[x - x1] = static_cast<std::uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
    }
  }

  char name[32];
  std::snprintf(name, sizeof name, "%d_%d", static_cast<int>(HashString(FileName)), static_cast<int>(TileCount));
  CTexture* texture = Textures->GetTexture(name, 0);
  texture->Image = image;
  texture->ImageSize = size;
  texture->Flags |= TEXF_2D;
  texture->EnsureLoaded();
  // The image goes away below: the record must never read it again.
  texture->Image = nullptr;
  texture->ImageSize = 0;

  FullScreenTile& tile = Tiles[TileCount];
  tile.Texture = texture;
  tile.X1 = static_cast<float>(x1);
  tile.Y1 = static_cast<float>(y1);
  tile.X2 = static_cast<float>(x2);
  tile.Y2 = static_cast<float>(y2);
  tile.U1 = tile.V1 = 0.0f;
  tile.U2 = static_cast<float>(w) / static_cast<float>(tw);
  tile.V2 = static_cast<float>(h) / static_cast<float>(th);
  ++TileCount;

  if (buffer != nullptr)
    buffer->FreeTop(buffer->GetUsed() - usedBefore);
  else
    MEM_DELETE_ARRAY image;
}

void CFullScreenImage::Draw(int alpha) {
  if (Render == nullptr) return;
  const D3DSURFACE_DESC& target = Render->GetBackBufferDesc();
  const float sx = PictureWidth > 0 ? static_cast<float>(target.Width) / static_cast<float>(PictureWidth) : 1.0f;
  const float sy = PictureHeight > 0 ? static_cast<float>(target.Height) / static_cast<float>(PictureHeight) : 1.0f;
  Render->SetStageClampU(0, 1);
  Render->SetStageClampV(0, 1);
  const DWORD filter = Render->SetBilinearFilter(sx == 1.0f && sy == 1.0f ? 0 : 1);
  Render->SetFogEnable(0);
  Render->SetBlendMode(alpha == 255 ? 1 : 3);
  if (TileCount == 0) {
    Render->SetBilinearFilter(filter);
    return;
  }
  const DWORD colour = (static_cast<DWORD>(alpha & 0xFF) << 24) | 0xFFFFFF;
  for (std::uint32_t i = 0; i < TileCount; ++i) {
    const FullScreenTile& t = Tiles[i];
    t.Texture->DrawScreenRect(static_cast<int>(t.X1 * sx), static_cast<int>(t.Y1 * sy),
                              static_cast<int>((t.X2 + 1.0f) * sx), static_cast<int>((t.Y2 + 1.0f) * sy), t.U1, t.V1,
                              t.U2, t.V2, colour, 0);
  }
  Render->SetBilinearFilter(filter);
}

void CFullScreenImage::Release() {
  for (std::uint32_t i = 0; i < TileCount; ++i) Textures->ReleaseTexture(Tiles[i].Texture);
  TileCount = 0;
}
