// Image kinds and sizes, synthetic DDS images, and textures made from image
// data in memory: the format the flags choose, the scale, the booked bytes.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "render/textures/image_info.h"
#include "render/render_fixture.h"
#include "test_support/bmp_headers.h"

namespace {

// A 24-bit BMP of width x height (height < 0: top-down), all one colour.
std::vector<std::uint8_t> MakeBmp(std::int32_t width, std::int32_t height) {
  const std::uint32_t rows = static_cast<std::uint32_t>(height < 0 ? -height : height);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  ByteWriter w;
  WriteBmpHeaders(w, {.Width = width,
                      .Height = height,
                      .PixelBytes = stride * rows,
                      .SizeImage = stride * rows,
                      .PixelsPerMetre = 2835});
  for (std::uint32_t i = 0; i < stride * rows; ++i) w.U8(0x80);
  return w.Data();
}

std::vector<std::uint8_t> DdsImage(DWORD width, DWORD height, D3DFORMAT format) {
  BYTE* image = nullptr;
  const DWORD size = CreateDdsImage(width, height, format, &image);
  std::vector<std::uint8_t> bytes(image, image + size);
  MEM_DELETE_ARRAY image;
  return bytes;
}

TEST(ImageInfo, TypeFromFileName) {
  struct Case {
    const char* name;
    DWORD type;
  };
  const Case cases[] = {{"a.bmp", IMAGE_BMP}, {"dir\\B.PNG", IMAGE_PNG}, {"x.y.Tga", IMAGE_TGA},
                        {"c.dds", IMAGE_DDS}, {"d.jpg", IMAGE_UNKNOWN}, {"noext", IMAGE_UNKNOWN},
                        {"e.ddsx", IMAGE_UNKNOWN}};
  for (const Case& c : cases) EXPECT_EQ(GetImageFileType(c.name), c.type) << c.name;
}

TEST(ImageInfo, TypeAndSizeFromData) {
  const auto bmp = MakeBmp(300, 200);
  const auto topDown = MakeBmp(16, -8);
  const auto dds = DdsImage(32, 16, D3DFMT_R5G6B5);
  std::vector<std::uint8_t> png(24, 0);
  const std::uint8_t pngHead[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                  0,    0,   0x01, 0x40, 0, 0, 0x00, 0xF0};  // 320 x 240
  std::memcpy(png.data(), pngHead, sizeof(pngHead));
  std::vector<std::uint8_t> tga(18, 0);
  tga[12] = 64;  // width 64, height 32, little-endian
  tga[14] = 32;

  struct Case {
    const std::vector<std::uint8_t>* data;
    DWORD type, width, height;
  };
  const Case cases[] = {{&bmp, IMAGE_BMP, 300, 200}, {&topDown, IMAGE_BMP, 16, 8}, {&dds, IMAGE_DDS, 32, 16},
                        {&png, IMAGE_PNG, 320, 240}, {&tga, IMAGE_TGA, 64, 32}};
  for (const Case& c : cases) {
    ImageInfo info;
    EXPECT_EQ(ReadImageInfo(c.data->data(), c.data->size(), &info), 1);
    EXPECT_EQ(info.Type, c.type);
    EXPECT_EQ(info.Width, c.width);
    EXPECT_EQ(info.Height, c.height);
  }
}

TEST(ImageInfo, ShortDataIsRefused) {
  const auto bmp = MakeBmp(4, 4);
  ImageInfo info;
  EXPECT_EQ(ReadImageInfo(bmp.data(), 20, &info), 0);  // header cut before the size
  EXPECT_EQ(info.Type, static_cast<DWORD>(IMAGE_BMP));
  EXPECT_EQ(ReadImageInfo(bmp.data(), 3, &info), 0);
  EXPECT_EQ(info.Type, static_cast<DWORD>(IMAGE_UNKNOWN));
  EXPECT_EQ(ReadImageInfo(nullptr, 100, &info), 0);
}

TEST(DdsImage, LayoutOfA4x4Image) {
  const auto dds = DdsImage(4, 4, D3DFMT_A8R8G8B8);
  ASSERT_EQ(dds.size(), 192u);
  ByteReader r(dds.data(), dds.size());
  EXPECT_EQ(r.U32(), 0x20534444u);
  EXPECT_EQ(r.U32(), 124u);
  EXPECT_EQ(r.U32(), 0x100Fu);
  EXPECT_EQ(r.U32(), 4u);   // height
  EXPECT_EQ(r.U32(), 4u);   // width
  EXPECT_EQ(r.U32(), 16u);  // pitch
  r.Seek(76);
  const std::uint32_t expected[] = {32, 0x41, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0x1000};
  for (std::uint32_t v : expected) EXPECT_EQ(r.U32(), v);
  for (std::size_t i = 128; i < dds.size(); ++i) ASSERT_EQ(dds[i], 0) << "pixels start zeroed";

  struct Case {
    D3DFORMAT format;
    std::size_t size;
    std::uint32_t flags;
  };
  const Case cases[] = {{D3DFMT_R8G8B8, 128 + 48, 0x100F}, {D3DFMT_R5G6B5, 128 + 32, 0x100F},
                        {D3DFMT_A4R4G4B4, 128 + 32, 0x100F}, {D3DFMT_A8, 128 + 16, 0x1007},
                        {D3DFMT_DXT1, 128, 0x1007}};
  for (const Case& c : cases) {
    const auto img = DdsImage(4, 4, c.format);
    EXPECT_EQ(img.size(), c.size);
    ByteReader h(img.data(), img.size());
    h.Seek(8);
    EXPECT_EQ(h.U32(), c.flags);
  }
}

TEST(TextureHelpers, HighestPowerOfTwo) {
  const DWORD cases[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 2}, {96, 64}, {128, 128}, {0xFFFFFFFF, 0x80000000}};
  for (const auto& c : cases) EXPECT_EQ(HighestPowerOfTwo(c[0]), c[1]) << c[0];
}

using RenderTextures = RenderDeviceTest;

D3DSURFACE_DESC LevelDesc(IDirect3DTexture8* texture) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  return desc;
}

TEST_F(RenderTextures, FormatFollowsImageTypeAndFlags) {
  const auto bmp = MakeBmp(8, 8);
  const auto dds = DdsImage(4, 4, D3DFMT_A8R8G8B8);
  struct Case {
    const std::vector<std::uint8_t>* data;
    DWORD flags;
    D3DFORMAT format;
  };
  const Case cases[] = {
      {&bmp, 0, D3DFMT_R5G6B5},
      {&bmp, TEXLOAD_ALPHA, D3DFMT_A4R4G4B4},
      {&bmp, TEXLOAD_ALPHA_ONLY, D3DFMT_A8},
      {&bmp, TEXLOAD_32BIT | TEXLOAD_ALPHA, D3DFMT_A8R8G8B8},
      {&dds, 0, D3DFMT_A8R8G8B8},  // DDS keeps its own format
  };
  for (const Case& c : cases) {
    IDirect3DTexture8* texture =
        s_Render->CreateTextureFromMemory(c.data->data(), static_cast<DWORD>(c.data->size()), nullptr, 0, c.flags, 100);
    ASSERT_NE(texture, nullptr) << c.flags;
    EXPECT_EQ(LevelDesc(texture).Format, c.format) << c.flags;
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    texture->Release();
  }
}

TEST_F(RenderTextures, ScaleShrinksButKeepsAtLeastOnePixel) {
  struct Case {
    std::int32_t w, h;
    int percent;
    UINT outW, outH;
  };
  const Case cases[] = {{256, 128, 50, 128, 64}, {1, 1, 50, 1, 1}, {64, 32, 100, 64, 32}, {64, 32, 150, 64, 32}};
  for (const Case& c : cases) {
    const auto bmp = MakeBmp(c.w, c.h);
    IDirect3DTexture8* texture =
        s_Render->CreateTextureFromMemory(bmp.data(), static_cast<DWORD>(bmp.size()), nullptr, 0, 0, c.percent);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(LevelDesc(texture).Width, c.outW);
    EXPECT_EQ(LevelDesc(texture).Height, c.outH);
    texture->Release();
  }
}

TEST_F(RenderTextures, MipmapsAndBookedBytes) {
  const auto bmp = MakeBmp(16, 16);
  const std::uint32_t before = GetMemoryCategoryBytes(MEMCAT_TEXTURE);
  IDirect3DTexture8* texture = s_Render->CreateTextureFromMemory(bmp.data(), static_cast<DWORD>(bmp.size()), nullptr,
                                                                 0, TEXLOAD_MIPMAPS, 100);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetLevelCount(), 5u);
  // 16x16 .. 1x1 at 2 bytes a pixel.
  EXPECT_EQ(GetTextureMemorySize(texture), 2u * (256 + 64 + 16 + 4 + 1));
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_TEXTURE), before + GetTextureMemorySize(texture));
  texture->Release();
}

TEST_F(RenderTextures, DamagedOrUnknownDataGivesNoTexture) {
  const std::uint32_t before = GetMemoryCategoryBytes(MEMCAT_TEXTURE);
  auto bmp = MakeBmp(8, 8);
  bmp.resize(30);  // cut inside the header
  EXPECT_EQ(s_Render->CreateTextureFromMemory(bmp.data(), static_cast<DWORD>(bmp.size()), nullptr, 0, 0, 100), nullptr);
  const std::uint8_t junk[] = {1, 2, 3};
  EXPECT_EQ(s_Render->CreateTextureFromMemory(junk, sizeof(junk), nullptr, 0, 0, 100), nullptr);
  EXPECT_EQ(s_Render->CreateCubeTextureFromMemory(junk, sizeof(junk), nullptr, 0, 0, 100), nullptr);
  EXPECT_EQ(s_Render->CreateTextureFromFile("picture.tga", 0, 0), nullptr);
  EXPECT_EQ(GetMemoryCategoryBytes(MEMCAT_TEXTURE), before);
}

TEST_F(RenderTextures, RenderTargetTextureTakesTheDrawing) {
  IDirect3DTexture8* target = s_Render->CreateRenderTargetTexture(64, 64);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(LevelDesc(target).Usage & D3DUSAGE_RENDERTARGET, D3DUSAGE_RENDERTARGET);
  s_Render->SetRenderTargetTexture(target);
  s_Render->SetClearColour(0xFFFF0000);
  s_Render->Clear(1);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 1, 1), 0xFFFF0000u);
  s_Render->RestoreRenderTarget();
  s_Render->SetClearColour(0xFF0000FF);
  s_Render->Clear(1);
  EXPECT_EQ(D3D8TestReadPixel(g_Device, 1, 1), 0xFF0000FFu);
  target->Release();
}

}  // namespace

namespace {

TEST(DdsImage, ComesFromTheLinearBufferWhenGiven) {
  CLinearBuffer buffer(400, "dds");
  BYTE* image = nullptr;
  EXPECT_EQ(CreateDdsImage(4, 4, D3DFMT_A8R8G8B8, &image, &buffer), 192u);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(image) % 4, 0u);
  EXPECT_EQ(buffer.GetUsed(), 192u);
  // No room for a second one: nothing is taken.
  EXPECT_EQ(CreateDdsImage(8, 8, D3DFMT_A8R8G8B8, &image, &buffer), 0u);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(buffer.GetUsed(), 192u);
}

// A cube DDS of six faces, edge x edge, A8R8G8B8, one level.
std::vector<std::uint8_t> CubeDds(DWORD edge) {
  std::vector<std::uint8_t> bytes = DdsImage(edge, edge, D3DFMT_A8R8G8B8);
  ByteWriter caps2;
  caps2.U32(0x200 | 0xFC00);  // cube map with all six faces
  std::memcpy(bytes.data() + 112, caps2.Data().data(), 4);
  const std::uint32_t caps = 0x1000 | 0x8;  // texture, complex
  std::memcpy(bytes.data() + 108, &caps, 4);
  bytes.resize(128 + 6 * 4 * edge * edge, 0x7F);
  return bytes;
}

TEST_F(RenderTextures, CubeTexturesFromDdsDataOnly) {
  const auto cube = CubeDds(8);
  IDirect3DCubeTexture8* texture =
      s_Render->CreateCubeTextureFromMemory(cube.data(), static_cast<DWORD>(cube.size()), nullptr, 0, 0, 100);
  ASSERT_NE(texture, nullptr);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 8u);
  EXPECT_EQ(GetCubeTextureMemorySize(texture), 8u * 8u * 4u);
  texture->Release();

  const auto bmp = MakeBmp(8, 8);
  EXPECT_EQ(s_Render->CreateCubeTextureFromMemory(bmp.data(), static_cast<DWORD>(bmp.size()), nullptr, 0, 0, 100),
            nullptr);
}

TEST_F(RenderTextures, TextureFromAFileOnDisk) {
  const auto path = std::filesystem::temp_directory_path() / "halberd_render_texture.bmp";
  {
    const auto bmp = MakeBmp(8, 4);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  }
  IDirect3DTexture8* texture = s_Render->CreateTextureFromFile(path.c_str(), 0, 0);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(LevelDesc(texture).Format, D3DFMT_R5G6B5);
  EXPECT_EQ(LevelDesc(texture).Width, 8u);
  texture->Release();
  std::filesystem::remove(path);
  EXPECT_EQ(s_Render->CreateTextureFromFile(path.c_str(), 0, 0), nullptr);  // gone
}

}  // namespace
