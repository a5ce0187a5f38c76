#include "foundation/files/bmp_handler.h"

#include <cstring>
#include <string>

#include "foundation/file_test_fixture.h"
#include "foundation/byte_reader.h"
#include "foundation/memory/memory_manager.h"
#include "test_support/bmp_headers.h"

namespace {

// A 24-bit bottom-up BMP of width x height; pixel (x, y from the top) holds
// bytes {x, y, 0x80}; rows padded to 4 bytes.
std::string Bmp24(int width, int height) {
  int stride = (width * 3 + 3) & ~3;
  const auto bytes = static_cast<std::uint32_t>(stride * height);
  ByteWriter w;
  WriteBmpHeaders(w, {.Width = width, .Height = height, .PixelBytes = bytes, .SizeImage = bytes});
  for (int row = height - 1; row >= 0; --row) {
    for (int x = 0; x < width; ++x) {
      w.U8(static_cast<std::uint8_t>(x));
      w.U8(static_cast<std::uint8_t>(row));
      w.U8(0x80);
    }
    for (int p = width * 3; p < stride; ++p) w.U8(0xEE);
  }
  return std::string(reinterpret_cast<const char*>(w.Data().data()), w.Size());
}

}  // namespace

using BmpTest = FileTest;

TEST_F(BmpTest, LoadsBottomUpOrTurnedTopDownWithPaddedRows) {
  Write("pic.bmp", Bmp24(3, 2));  // 9 bytes of pixels, 12 per row
  Start();
  CBmpHandler bmp;
  ASSERT_EQ(bmp.Load("pic.bmp", 0, 0, 2), 1);
  EXPECT_EQ(bmp.GetHeight(), 2);
  EXPECT_EQ(bmp.GetRowSize(), 12u);
  EXPECT_EQ(bmp.GetPixels()[0 * 12 + 1], 1);  // first row in memory: the bottom one
  ASSERT_EQ(bmp.Load("pic.bmp", 1, 1, 2), 1);
  EXPECT_EQ(bmp.GetHeight(), -2);
  const std::uint8_t* top = bmp.GetPixels();
  EXPECT_EQ(top[1], 0);
  EXPECT_EQ(top[2 * 3 + 0], 2);
  EXPECT_EQ(static_cast<std::uint8_t*>(bmp.GetDibBits())[12 + 1], 1);
}

TEST_F(BmpTest, SavingWritesTheBottomRowFirstAndKeepsTheImageTopDown) {
  std::string original = Bmp24(3, 2);
  Write("pic.bmp", original);
  Start();
  CBmpHandler bmp;
  ASSERT_EQ(bmp.Load("pic.bmp", 1, 0, 2), 1);
  ASSERT_EQ(bmp.Save("copy.bmp"), 1);
  EXPECT_EQ(Read("copy.bmp"), original);
  EXPECT_EQ(bmp.GetHeight(), -2);
  EXPECT_EQ(bmp.GetPixels()[1], 0);
}

TEST_F(BmpTest, DamagedOrUnsupportedFilesAreRefusedWithNothingLeftAllocated) {
  std::string good = Bmp24(4, 4);
  auto patch32 = [](std::string s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
    return s;
  };
  auto patch16 = [](std::string s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
    return s;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"notbm.bmp", "XY" + good.substr(2)},
      {"short.bmp", good.substr(0, 60)},
      {"header.bmp", good.substr(0, 30)},
      {"zeroheight.bmp", patch32(good, 22, 0)},
      {"hugeheight.bmp", patch32(good, 22, 0x40000000)},
      {"depth.bmp", patch16(good, 28, 32)},
      {"rle.bmp", patch32(good, 30, 1)},
      {"palette.bmp", patch16(good, 28, 8)},  // a 256-entry palette that is not there
  };
  Start();
  for (const Case& c : cases) {
    Write(c.name, c.bytes);
    boxes_.clear();
    boxes_.shrink_to_fit();
    MemStatistics before, after;
    MemGetStatistics(&before);
    {
      CBmpHandler bmp;
      EXPECT_EQ(bmp.Load(c.name, 1, 1, 2), 0) << c.name;
      EXPECT_EQ(bmp.GetPixels(), nullptr);
    }
    ASSERT_EQ(boxes_.size(), 1u) << c.name;
    EXPECT_EQ(boxes_[0].text, std::string("File is not a valid BMP : ") + c.name);
    boxes_.clear();
    boxes_.shrink_to_fit();  // the captured box itself is not the loader's
    MemGetStatistics(&after);
    EXPECT_EQ(after.totalAllocUnitCount, before.totalAllocUnitCount) << c.name;
  }
}

TEST(BmpCreate, EightBitImagesGetAGreyRampAndPaddedPixels) {
  CBmpHandler bmp;
  std::uint8_t pixels[2 * 8] = {};
  for (int i = 0; i < 16; ++i) pixels[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(bmp.Create(5, 2, 0, pixels, nullptr, 8, 1), 1);
  EXPECT_EQ(bmp.GetRowSize(), 8u);
  EXPECT_EQ(bmp.GetFileSize(), 54u + 1024u + 16u);
  ASSERT_EQ(bmp.GetPaletteEntryCount(), 256u);
  EXPECT_EQ(bmp.GetPalette()[200].rgbRed, 200);
  EXPECT_EQ(bmp.GetPalette()[200].rgbReserved, 0);
  EXPECT_EQ(std::memcmp(bmp.GetDibBits(), pixels, sizeof pixels), 0);
  ByteReader r(bmp.GetFileImage(), bmp.GetFileSize());
  r.Skip(10);
  EXPECT_EQ(r.U32(), 54u + 1024u);
  EXPECT_EQ(bmp.Create(0, 2, 0, nullptr, nullptr, 8, 0), 0);
  EXPECT_EQ(bmp.Create(2, 2, 0, nullptr, nullptr, 12, 0), 0);
  ASSERT_EQ(bmp.Create(2, 2, 0, nullptr, nullptr, 4, 0), 1);
  EXPECT_EQ(bmp.GetPalette()[3].rgbGreen, 48);
}

TEST(BmpCreate, CopyRectangleChecksBothImagesAndConvertsXToBytes) {
  CBmpHandler source, target;
  std::uint8_t pixels[4 * 12];
  for (int i = 0; i < 48; ++i) pixels[i] = static_cast<std::uint8_t>(i);
  ASSERT_EQ(source.Create(4, 4, 0, pixels, nullptr, 24, 0), 1);
  ASSERT_EQ(target.Create(4, 4, 0, nullptr, nullptr, 24, 1), 1);
  EXPECT_EQ(target.CopyRectangle(source, 0, 0, 3, 0, 2, 1), 0);   // width + target x past the target
  EXPECT_EQ(target.CopyRectangle(source, -1, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(target.CopyRectangle(source, 0, 3, 0, 0, 1, 2), 0);   // past the source
  const auto* bits = static_cast<const std::uint8_t*>(target.GetDibBits());
  for (int i = 0; i < 48; ++i) ASSERT_EQ(bits[i], 0) << i;
  EXPECT_EQ(target.CopyRectangle(source, 1, 2, 2, 1, 2, 2), 1);
  EXPECT_EQ(bits[1 * 12 + 2 * 3], pixels[2 * 12 + 1 * 3]);
  EXPECT_EQ(bits[2 * 12 + 3 * 3 + 2], pixels[3 * 12 + 2 * 3 + 2]);
  EXPECT_EQ(bits[0], 0);
  target.Clear();
  EXPECT_EQ(bits[1 * 12 + 2 * 3], 0);
  CBmpHandler eight;
  eight.Create(4, 4, 0, nullptr, nullptr, 8, 0);
  EXPECT_EQ(target.CopyRectangle(eight, 0, 0, 0, 0, 1, 1), 0);
}

TEST(BmpCreate, BlitCopiesIntoAMemoryContextButNotAWindow) {
  CBmpHandler source, target;
  std::uint8_t pixels[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  ASSERT_EQ(source.Create(2, 2, 1, pixels, nullptr, 8, 1), 1);
  ASSERT_EQ(target.Create(2, 2, 1, nullptr, nullptr, 8, 1), 1);
  HDC dc = target.GetMemoryDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(source.Blit(nullptr, dc, 0, 0));
  const auto* bits = static_cast<const std::uint8_t*>(target.GetDibBits());
  for (int i : {0, 1, 4, 5}) EXPECT_EQ(bits[i], pixels[i]) << i;  // rows of 2 pixels padded to 4 bytes
  EXPECT_EQ(bits[2], 0);
  DeleteDC(dc);
  HDC window = GetDC(nullptr);
  EXPECT_FALSE(source.Blit(nullptr, window, 0, 0));
  ReleaseDC(nullptr, window);
}
