#include "platform/win32/win_gdi_dib.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

BITMAPINFO Header(LONG width, LONG height, WORD bpp) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = bpp;
  return bi;
}

}  // namespace

TEST(WinGdiDib, RowsArePaddedToFourBytesAndDescribedByGetObject) {
  struct Case {
    LONG width;
    WORD bpp;
    LONG stride;
  } cases[] = {{3, 24, 12}, {5, 8, 8}, {4, 8, 4}, {3, 4, 4}, {9, 1, 4}, {3, 16, 8}};
  for (const Case& c : cases) {
    BITMAPINFO bi = Header(c.width, -2, c.bpp);
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(bits, nullptr);
    DIBSECTION ds;
    ASSERT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidthBytes, c.stride) << c.width << "x" << c.bpp;
    EXPECT_EQ(ds.dsBm.bmHeight, 2);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biSizeImage, static_cast<DWORD>(c.stride * 2));
    EXPECT_TRUE(DeleteObject(b));
  }
}

TEST(WinGdiDib, RefusesBadHeaders) {
  void* bits = reinterpret_cast<void*>(1);
  BITMAPINFO zeroWidth = Header(0, 4, 8), badDepth = Header(4, 4, 7), zeroHeight = Header(4, 0, 8);
  BITMAPINFO compressed = Header(4, 4, 8);
  compressed.bmiHeader.biCompression = 1;
  for (BITMAPINFO* bi : {&zeroWidth, &badDepth, &zeroHeight, &compressed}) {
    EXPECT_EQ(CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
  EXPECT_EQ(GetObjectA(nullptr, sizeof(DIBSECTION), &bits), 0);
  EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(&bits)));
}

TEST(WinGdiDib, BlitCopiesBetweenMemoryContextsAndFailsIntoAWindow) {
  BITMAPINFO bi = Header(2, -2, 24);
  void *srcBits, *dstBits;
  HBITMAP src = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &srcBits, nullptr, 0);
  HBITMAP dst = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &dstBits, nullptr, 0);
  auto* s = static_cast<BYTE*>(srcBits);
  for (int i = 0; i < 16; ++i) s[i] = static_cast<BYTE>(i + 1);
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(a, src), nullptr);
  SelectObject(b, dst);
  EXPECT_FALSE(DeleteObject(src));  // still selected
  // Copy the source's top-left pixel to the target's bottom-right one.
  EXPECT_TRUE(BitBlt(b, 1, 1, 5, 5, a, 0, 0, SRCCOPY));
  auto* d = static_cast<BYTE*>(dstBits);
  EXPECT_EQ(d[8 + 3], 1);
  EXPECT_EQ(d[8 + 5], 3);
  EXPECT_EQ(d[0], 0);

  HDC window = GetDC(nullptr);
  EXPECT_FALSE(BitBlt(window, 0, 0, 2, 2, a, 0, 0, SRCCOPY));
  EXPECT_EQ(ReleaseDC(nullptr, window), 1);
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(src));
  EXPECT_TRUE(DeleteObject(dst));
}
