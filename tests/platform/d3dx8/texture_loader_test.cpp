#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <algorithm>
#include <functional>
#include <string>

#include "image_fixture.h"
#include "platform/d3d8/pixel_format.h"

namespace {

using TextureLoaderTest = LoaderFixture;

// A 4x4 image with every texel different.
Texels Pattern() {
  Texels t;
  for (std::uint32_t y = 0; y < 4; ++y)
    for (std::uint32_t x = 0; x < 4; ++x) t.push_back(0xFF000000u | (x * 0x40 + 0x20) << 16 | (y * 0x40 + 0x10) << 8 | 0x80);
  return t;
}

HRESULT Load(IDirect3DDevice8* device, const Bytes& file, IDirect3DTexture8** texture, D3DFORMAT format = D3DFMT_UNKNOWN,
             UINT levels = 1, D3DXIMAGE_INFO* info = nullptr, PALETTEENTRY* palette = nullptr, UINT width = D3DX_DEFAULT,
             UINT height = D3DX_DEFAULT, D3DCOLOR key = 0) {
  return D3DXCreateTextureFromFileInMemoryEx(device, file.data(), static_cast<UINT>(file.size()), width, height, levels,
                                             0, format, D3DPOOL_MANAGED, D3DX_FILTER_BOX, D3DX_FILTER_BOX, key, info,
                                             palette, texture);
}

TEST_F(TextureLoaderTest, EachFileKindDrawsWithTheRightTexels) {
  const Texels pattern = Pattern();
  std::vector<std::uint8_t> indices;
  Texels palette;
  for (std::uint32_t i = 0; i < 16; ++i) {
    indices.push_back(static_cast<std::uint8_t>(15 - i));
    palette.push_back(0xFF000000u | (i * 16) << 16 | (255 - i * 16) << 8 | (i * 7));
  }
  Texels paletted;
  for (std::uint8_t i : indices) paletted.push_back(palette[i]);
  const struct {
    const char* name;
    Bytes file;
    Texels expected;
    D3DXIMAGE_FILEFORMAT kind;
  } cases[] = {
      {"bmp24", MakeBmp24(4, 4, pattern), pattern, D3DXIFF_BMP},
      {"bmp8", MakeBmp8(4, 4, indices, palette), paletted, D3DXIFF_BMP},
      {"tga24", MakeTga(4, 4, pattern, 24, false, false), pattern, D3DXIFF_TGA},
      {"tga32rle", MakeTga(4, 4, pattern, 32, true, true), pattern, D3DXIFF_TGA},
      {"png", MakePng(4, 4, pattern), pattern, D3DXIFF_PNG},
      {"dds", MakeDdsArgb(4, 4, pattern), pattern, D3DXIFF_DDS},
  };
  for (const auto& c : cases) {
    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(Load(device_, c.file, &texture, D3DFMT_UNKNOWN, 1, &info), D3D_OK) << c.name;
    EXPECT_EQ(info.Width, 4u) << c.name;
    EXPECT_EQ(info.ImageFileFormat, c.kind) << c.name;
    EXPECT_EQ(DrawAndRead(texture, 4, 4), c.expected) << c.name;
    texture->Release();
  }
}

TEST_F(TextureLoaderTest, JpegQuartersKeepTheirColours) {
  const std::uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
  Texels image(16 * 16);
  for (std::uint32_t y = 0; y < 16; ++y)
    for (std::uint32_t x = 0; x < 16; ++x) image[y * 16 + x] = colours[(y / 8) * 2 + x / 8];
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(Load(device_, MakeJpeg(16, 16, image), &texture), D3D_OK);
  Texels drawn = DrawAndRead(texture, 16, 16);
  for (int q = 0; q < 4; ++q) {
    std::uint32_t x = (q % 2) * 8 + 4, y = (q / 2) * 8 + 4;
    EXPECT_TRUE(Near(drawn[y * 16 + x], colours[q], 12)) << q << " " << std::hex << drawn[y * 16 + x];
  }
  texture->Release();
}

TEST_F(TextureLoaderTest, Dxt1BlocksDecodeToTheirFourColours) {
  // Red and blue endpoints, c0 > c1: four-colour mode with the two thirds.
  const int indices[16] = {0, 1, 2, 3, 0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1};
  const std::uint32_t masks[4] = {0, 0, 0, 0};
  Bytes file = MakeDds(4, 4, 1, false, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, masks,
                       Dxt1Block(0xF800, 0x001F, indices));
  IDirect3DTexture8* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(Load(device_, file, &texture, D3DFMT_UNKNOWN, 1, &info), D3D_OK);
  EXPECT_EQ(info.Format, D3DFMT_DXT1);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_DXT1);
  EXPECT_EQ(desc.Size, 8u);
  const std::uint32_t palette[4] = {0xFFFF0000u, 0xFF0000FFu, 0xFFAA0055u, 0xFF5500AAu};
  Texels drawn = DrawAndRead(texture, 4, 4);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(drawn[i], palette[indices[i]]) << i;
  texture->Release();

  // c0 <= c1: three colours and transparent black.
  const int third[16] = {3, 2, 0, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
  file = MakeDds(4, 4, 1, false, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, masks, Dxt1Block(0x001F, 0xF800, third));
  ASSERT_EQ(Load(device_, file, &texture, D3DFMT_A8R8G8B8), D3D_OK);
  Texels level = ReadLevel(texture, 0);
  EXPECT_EQ(level[0], 0x00000000u);
  EXPECT_EQ(level[1], 0xFF7F007Fu);  // the halfway colour, rounded down
  EXPECT_EQ(level[2], 0xFF0000FFu);
  texture->Release();
}

TEST_F(TextureLoaderTest, ConvertsToTheAskedFormat) {
  Texels image = {0x80FF8040u, 0xFF000000u, 0x00FFFFFFu, 0xFF123456u};
  Bytes png = MakePng(2, 2, image);
  const struct {
    D3DFORMAT format;
    std::uint32_t first;  // the stored bytes of texel 0
    UINT bytes;
  } cases[] = {{D3DFMT_A8R8G8B8, 0x80FF8040u, 4},
               {D3DFMT_A4R4G4B4, 0x8F84u, 2},
               {D3DFMT_R5G6B5, 0xFC08u, 2},
               {D3DFMT_A1R5G5B5, 0xFE08u, 2},
               {D3DFMT_A8, 0x80u, 1}};
  for (const auto& c : cases) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Load(device_, png, &texture, c.format), D3D_OK) << c.format;
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, c.format);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::uint32_t first = 0;
    std::memcpy(&first, locked.pBits, c.bytes);
    EXPECT_EQ(first, c.first) << c.format;
    texture->UnlockRect(0);
    texture->Release();
  }
}

TEST_F(TextureLoaderTest, PalettisedBmpKeepsIndicesAndHandsOutThePalette) {
  std::vector<std::uint8_t> indices = {0, 1, 2, 1};
  Texels palette = {0xFF102030u, 0xFF405060u, 0xFF708090u};
  IDirect3DTexture8* texture = nullptr;
  PALETTEENTRY entries[256] = {};
  ASSERT_EQ(Load(device_, MakeBmp8(2, 2, indices, palette), &texture, D3DFMT_P8, 1, nullptr, entries), D3D_OK);
  EXPECT_EQ(entries[1].peRed, 0x40);
  EXPECT_EQ(entries[2].peBlue, 0x90);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  const auto* p = static_cast<const std::uint8_t*>(locked.pBits);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[1], 1);
  EXPECT_EQ(p[locked.Pitch], 2);
  texture->UnlockRect(0);
  // It draws through the device's current palette.
  device_->SetPaletteEntries(0, entries);
  device_->SetCurrentTexturePalette(0);
  Texels drawn = DrawAndRead(texture, 2, 2);
  EXPECT_EQ(drawn, (Texels{0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFF405060u}));
  texture->Release();
}

TEST_F(TextureLoaderTest, MipChainIsBoxFilteredAndSizesCanBeScaled) {
  Texels image(16);
  for (int i = 0; i < 16; ++i) image[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 16);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(Load(device_, MakePng(4, 4, image), &texture, D3DFMT_A8R8G8B8, D3DX_DEFAULT), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  // Level 1 texel (0, 0) averages texels 0, 1, 4, 5: blue (0 + 16 + 64 + 80) / 4 = 40.
  EXPECT_EQ(ReadLevel(texture, 1)[0], 0xFF000028u);
  // Level 1 texel (1, 1): (160 + 176 + 224 + 240) / 4 = 200.
  EXPECT_EQ(ReadLevel(texture, 1)[3], 0xFF0000C8u);
  EXPECT_EQ(ReadLevel(texture, 2)[0], 0xFF000078u);
  texture->Release();

  // Asked for half the size: one averaged level.
  ASSERT_EQ(Load(device_, MakePng(4, 4, image), &texture, D3DFMT_A8R8G8B8, 1, nullptr, nullptr, 2, 2), D3D_OK);
  EXPECT_EQ(ReadLevel(texture, 0), (Texels{0xFF000028u, 0xFF000048u, 0xFF0000A8u, 0xFF0000C8u}));
  texture->Release();

  Texels wide(256 * 128, 0xFF808080u);
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(Load(device_, MakeBmp24(256, 128, wide), &texture, D3DFMT_UNKNOWN, 1, &info, nullptr, 128, 64), D3D_OK);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Height, 64u);
  EXPECT_EQ(info.Width, 256u);
  EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  texture->Release();
}

TEST_F(TextureLoaderTest, ColourKeyMakesMatchingTexelsTransparentBlack) {
  Texels image = {0xFFFF00FFu, 0xFF00FF00u, 0xFF00FF00u, 0xFFFF00FFu};
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(Load(device_, MakeBmp24(2, 2, image), &texture, D3DFMT_A8R8G8B8, 1, nullptr, nullptr, D3DX_DEFAULT,
                 D3DX_DEFAULT, 0xFFFF00FFu),
            D3D_OK);
  EXPECT_EQ(ReadLevel(texture, 0), (Texels{0u, 0xFF00FF00u, 0xFF00FF00u, 0u}));
  texture->Release();
}

TEST_F(TextureLoaderTest, CubeDdsGivesSixFacesAndOtherDataIsRefused) {
  const std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  Bytes payload;
  for (std::uint32_t face = 0; face < 6; ++face)
    for (int i = 0; i < 16; ++i) {
      std::uint32_t c = 0xFF000000u | (face * 40);
      for (int b = 0; b < 4; ++b) payload.push_back(static_cast<std::uint8_t>(c >> (8 * b)));
    }
  Bytes file = MakeDds(4, 4, 1, true, 0x41, 0, 32, masks, payload);
  IDirect3DCubeTexture8* cube = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(device_, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                                    1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_BOX,
                                                    D3DX_FILTER_BOX, 0, &info, nullptr, &cube),
            D3D_OK);
  EXPECT_EQ(info.ResourceType, D3DRTYPE_CUBETEXTURE);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(cube->LockRect(D3DCUBEMAP_FACE_NEGATIVE_Y, 0, &locked, nullptr, 0), D3D_OK);
  std::uint32_t texel;
  std::memcpy(&texel, locked.pBits, 4);
  EXPECT_EQ(texel, 0xFF000078u);  // face 3
  cube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Y, 0);
  cube->Release();
  // Half the edge.
  ASSERT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(device_, file.data(), static_cast<UINT>(file.size()), 2, 1, 0,
                                                    D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_BOX, D3DX_FILTER_BOX,
                                                    0, nullptr, nullptr, &cube),
            D3D_OK);
  D3DSURFACE_DESC desc;
  cube->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 2u);
  cube->Release();
  Bytes flat = MakeDdsArgb(4, 4, Pattern());
  EXPECT_EQ(D3DXCreateCubeTextureFromFileInMemoryEx(device_, flat.data(), static_cast<UINT>(flat.size()),
                                                    D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                    D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, nullptr, nullptr, &cube),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(cube, nullptr);
}

TEST_F(TextureLoaderTest, DamagedFilesAreRefusedWithoutHarm) {
  const Texels pattern = Pattern();
  const Bytes files[] = {MakeBmp24(4, 4, pattern), MakeTga(4, 4, pattern, 32, true, false), MakePng(4, 4, pattern),
                         MakeDdsArgb(4, 4, pattern)};
  // Every cut of a good file is either refused as invalid data or still loads.
  for (const Bytes& file : files) {
    for (std::size_t n = 1; n < file.size(); ++n) {
      Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
      IDirect3DTexture8* texture = nullptr;
      HRESULT hr = Load(device_, cut, &texture);
      EXPECT_TRUE(hr == D3DXERR_INVALIDDATA || hr == D3D_OK) << n;
      if (texture) texture->Release();
    }
  }
  // Damage that must be refused.
  auto damaged = [&](Bytes file, const std::function<void(Bytes&)>& hurt) {
    hurt(file);
    return file;
  };
  auto put32 = [](Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  const struct {
    const char* name;
    Bytes file;
  } refused[] = {
      {"bmp huge width", damaged(files[0], [&](Bytes& b) { put32(b, 18, 1u << 30); })},
      {"bmp pixels short", damaged(files[0], [](Bytes& b) { b.erase(b.end() - 10, b.end()); })},
      {"bmp pixel offset past end", damaged(files[0], [&](Bytes& b) { put32(b, 10, 0xFFFFFFF0u); })},
      {"tga run past the image", damaged(files[1], [](Bytes& b) { b[18] = 0xFF; })},
      {"png bad checksum", damaged(files[2], [](Bytes& b) { b[29] ^= 0xFF; })},
      {"dds huge height", damaged(files[3], [&](Bytes& b) { put32(b, 12, 100000); })},
      {"dds mips past the end", damaged(files[3], [&](Bytes& b) {
         put32(b, 8, 0x21007);
         put32(b, 28, 3);
       })},
      {"dds unknown pixel format", damaged(files[3], [&](Bytes& b) { put32(b, 88, 12); })},
      {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
  };
  for (const auto& r : refused) {
    IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(0x1);
    EXPECT_EQ(Load(device_, r.file, &texture), D3DXERR_INVALIDDATA) << r.name;
    EXPECT_EQ(texture, nullptr) << r.name;
  }
  IDirect3DTexture8* texture = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, nullptr, 10, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                                D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0,
                                                nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL);
}

TEST_F(TextureLoaderTest, FileLoaderAcceptsWindowsPathsInAnyCaseAndReportsMissingFiles) {
  std::string dir = ::testing::TempDir();
  std::string path = dir + "d3dx8_loader.png";
  Bytes png = MakePng(4, 4, Pattern());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(png.data(), 1, png.size(), f);
  std::fclose(f);
  std::string windows = dir + "D3DX8_Loader.PNG";
  std::replace(windows.begin(), windows.end(), '/', '\\');
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileEx(device_, windows.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_FILTER_BOX, 0, nullptr, nullptr,
                                        &texture),
            D3D_OK);
  EXPECT_EQ(DrawAndRead(texture, 4, 4), Pattern());
  texture->Release();
  std::remove(path.c_str());
  EXPECT_EQ(D3DXCreateTextureFromFileEx(device_, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
                                        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_FILTER_BOX, 0, nullptr, nullptr,
                                        &texture),
            D3DERR_NOTFOUND);
}

}  // namespace

namespace {

using BlockAlphaTest = LoaderFixture;

// One DXT3 or DXT5 block over a plain white colour block (both endpoints white).
Bytes AlphaBlock(const std::uint8_t alpha[8]) {
  Bytes b(alpha, alpha + 8);
  const int zero[16] = {};
  Bytes colour = Dxt1Block(0xFFFF, 0xFFFF, zero);
  b.insert(b.end(), colour.begin(), colour.end());
  return b;
}

TEST_F(BlockAlphaTest, Dxt3AndDxt5AlphaDecode) {
  const std::uint32_t masks[4] = {0, 0, 0, 0};
  // DXT3: explicit 4-bit alphas, two per byte, low nibble first.
  const std::uint8_t explicitAlpha[8] = {0xF0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80};
  // DXT5: endpoints 255 and 0 (eight-value mode), indices 0, 1, 2, 7 then zeros.
  // Indices are 3 bits each from bit 0: 0 | 1 << 3 | 2 << 6 | 7 << 9 = 0x0E88.
  const std::uint8_t interpolated[8] = {255, 0, 0x88, 0x0E, 0, 0, 0, 0};
  const struct {
    DWORD fourCc;
    const std::uint8_t* alpha;
    std::uint32_t expected[4];  // alphas of texels 0, 1, 2, 3
    std::uint32_t last;         // alpha of texel 15
  } cases[] = {
      {MAKEFOURCC('D', 'X', 'T', '3'), explicitAlpha, {0x00, 0xFF, 0x00, 0x00}, 0x88},
      {MAKEFOURCC('D', 'X', 'T', '5'), interpolated, {0xFF, 0x00, (6 * 255) / 7, 255 / 7}, 0xFF},
  };
  for (const auto& c : cases) {
    Bytes file = MakeDds(4, 4, 1, false, 0x4, c.fourCc, 0, masks, AlphaBlock(c.alpha));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                                  D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, nullptr, nullptr, &texture),
              D3D_OK);
    Texels level = ReadLevel(texture, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(level[i] >> 24, c.expected[i]) << c.fourCc << " texel " << i;
    EXPECT_EQ(level[15] >> 24, c.last) << c.fourCc;
    EXPECT_EQ(level[0] & 0xFFFFFF, 0xFFFFFFu);
    texture->Release();
  }
}

}  // namespace

namespace {

using RleBmpTest = LoaderFixture;

TEST_F(RleBmpTest, RunLengthBmpUnpacksRunsLiteralsAndSkips) {
  const Texels palette = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  // Bottom row: a run of three 1s then a literal 2; next row: a literal run
  // 3, 2, 1 (padded) then end of row; then a skip of one row, end of image.
  const Bytes packed = {3, 1, 1, 2, 0, 0, 0, 3, 3, 2, 1, 0, 0, 0, 0, 2, 0, 1, 0, 1};
  IDirect3DTexture8* texture = nullptr;
  Bytes file = MakeBmpRle8(4, 4, packed, palette);
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_BOX,
                                                D3DX_FILTER_BOX, 0, nullptr, nullptr, &texture),
            D3D_OK);
  const Texels level = ReadLevel(texture, 0);
  const std::uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, B = 0xFF0000FFu, K = 0xFF000000u;
  EXPECT_EQ(level, (Texels{K, K, K, K, K, K, K, K, B, G, R, K, R, R, R, G}));
  texture->Release();
  // A literal run that reaches past the data is refused.
  Bytes cut = MakeBmpRle8(4, 4, Bytes{0, 4, 1, 2}, palette);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, cut.data(), static_cast<UINT>(cut.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_BOX,
                                                D3DX_FILTER_BOX, 0, nullptr, nullptr, &texture),
            D3DXERR_INVALIDDATA);
}

}  // namespace

namespace {

using DdsMipTest = LoaderFixture;

TEST_F(DdsMipTest, StoredLevelsOfADdsAreKeptAndFurtherOnesFiltered) {
  // A 4x4 red level 0 and a 2x2 green level 1 (not the average of level 0).
  const std::uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000u};
  Bytes payload;
  auto texel = [&](std::uint32_t c) {
    for (int b = 0; b < 4; ++b) payload.push_back(static_cast<std::uint8_t>(c >> (8 * b)));
  };
  for (int i = 0; i < 16; ++i) texel(0xFFFF0000u);
  for (int i = 0; i < 4; ++i) texel(0xFF00FF00u);
  Bytes file = MakeDds(4, 4, 2, false, 0x41, 0, 32, masks, payload);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), static_cast<UINT>(file.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, nullptr, nullptr, &texture),
            D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  EXPECT_EQ(ReadLevel(texture, 0)[5], 0xFFFF0000u);
  EXPECT_EQ(ReadLevel(texture, 1), (Texels(4, 0xFF00FF00u)));
  EXPECT_EQ(ReadLevel(texture, 2)[0], 0xFF00FF00u);
  texture->Release();
}

}  // namespace

namespace {

using DxtChainTest = LoaderFixture;

// The texels of one level of a block-compressed texture.
Texels ReadBlockLevel(IDirect3DTexture8* texture, UINT level) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(level, &desc);
  D3DLOCKED_RECT locked;
  if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) return {};
  Texels out(static_cast<std::size_t>(desc.Width) * desc.Height);
  d3d8::DecodeToArgb(desc.Format, static_cast<const std::uint8_t*>(locked.pBits), static_cast<UINT>(locked.Pitch),
                     desc.Width, desc.Height, nullptr, out.data());
  texture->UnlockRect(level);
  return out;
}

TEST_F(DxtChainTest, ABlockFileWithoutStoredLevelsGetsTheWholeChainInItsFormat) {
  // 8 x 8 DXT1, one level: the left half black, the right half white.
  const int zero[16] = {};
  const Bytes black = Dxt1Block(0x0000, 0x0000, zero), white = Dxt1Block(0xFFFF, 0xFFFF, zero);
  Bytes payload;
  for (int row = 0; row < 2; ++row) {
    payload.insert(payload.end(), black.begin(), black.end());
    payload.insert(payload.end(), white.begin(), white.end());
  }
  const std::uint32_t masks[4] = {0, 0, 0, 0};
  const Bytes file = MakeDds(8, 8, 1, false, 0x4, MAKEFOURCC('D', 'X', 'T', '1'), 0, masks, payload);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(Load(device_, file, &texture, D3DFMT_UNKNOWN, D3DX_DEFAULT), D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  for (UINT level = 0; level < 4; ++level) {
    SCOPED_TRACE(level);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(level, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT1);
    const UINT side = 8u >> level;
    ASSERT_EQ(desc.Width, side);
    const Texels texels = ReadBlockLevel(texture, level);
    ASSERT_EQ(texels.size(), static_cast<std::size_t>(side) * side);
    for (UINT y = 0; y < side; ++y) {
      for (UINT x = 0; x < side; ++x) {
        // The last level averages both halves: mid grey, as near as 565 allows.
        const std::uint32_t expected = side == 1 ? 0xFF808080u : (x < side / 2 ? 0xFF000000u : 0xFFFFFFFFu);
        EXPECT_TRUE(Near(texels[y * side + x], expected, 6)) << x << "," << y << ": " << std::hex << texels[y * side + x];
      }
    }
  }
  texture->Release();
  // A count asked for is still honoured.
  ASSERT_EQ(Load(device_, file, &texture, D3DFMT_UNKNOWN, 2), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 2u);
  texture->Release();
}

}  // namespace
