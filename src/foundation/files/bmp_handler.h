// Windows BMP images in memory: loading (optionally turned top-down and
// mirrored into a GDI DIB section), creation from raw pixels, saving (always
// bottom-up), blitting and copying rectangles into the DIB.
//
// Layout: a 14-byte file header ("BM", u32 file size, two u16 0, u32 pixel
// offset), a 40-byte information header, the palette (blue, green, red,
// reserved; 2, 16 or 256 entries for 1, 4 and 8 bits), then the pixel rows,
// each padded to a multiple of 4 bytes.  Uncompressed 1, 4, 8, 16 and 24 bits.
#pragma once

#include <cstdint>

#include "platform/win32/win_gdi_dib.h"

class CBmpHandler {
 public:
  CBmpHandler() = default;
  ~CBmpHandler() { Free(); }
  CBmpHandler(const CBmpHandler&) = delete;
  CBmpHandler& operator=(const CBmpHandler&) = delete;

  // Frees the file image, the bitmap information copy and the DIB section.
  void Free();
  // Loads a BMP file found by the locator.  topDown turns a bottom-up image
  // top-down (negative height, first row in memory the top one); createDib
  // also mirrors it into a DIB section.  0 on failure, after an "Error" box
  // ("File is not a valid BMP : %s" for a damaged or unsupported file,
  // "Failed to create DIB for %s."), with nothing left allocated.
  int Load(const char* fileName, int topDown, int createDib, int category);
  // Builds an image in memory: pixels (null: zero) are rows of GetRowSize()
  // bytes, palette (null: a grey ramp) has the entries of the depth.  0 for
  // a bad size or depth, or when the DIB cannot be made ("Failed to create DIB.").
  int Create(int width, int height, int topDown, const void* pixels, const RGBQUAD* palette, int bitsPerPixel,
             int createDib);
  // Writes the image bottom-up (the DIB's bits first copied back); 0 with an
  // "Error" box when the file cannot be created.
  int Save(const char* fileName);
  // A memory DC compatible with the window's, with the DIB selected; null without a DIB.
  HDC GetMemoryDC(HWND window);
  // Copies the whole bitmap to target at (x, y) through a temporary memory DC;
  // FALSE when there is no DIB or the copy fails.
  BOOL Blit(HWND window, HDC target, int x, int y);
  // Sets the DIB's bits to 0.
  void Clear();
  // Copies a rectangle of source's pixels into this object's DIB bits (rows
  // as stored).  0 when a coordinate is negative, a rectangle leaves its image,
  // the depths differ or this object has no DIB.
  int CopyRectangle(const CBmpHandler& source, int sourceX, int sourceY, int targetX, int targetY, int width,
                    int height);

  int GetWidth() const { return info.biWidth; }
  // Negative for a top-down image.
  int GetHeight() const { return info.biHeight; }
  int GetBitsPerPixel() const { return info.biBitCount; }
  std::uint8_t* GetPixels() const { return pixels; }
  std::uint32_t GetPixelByteCount() const { return pixelByteCount; }
  std::uint32_t GetRowSize() const { return rowSize; }
  const RGBQUAD* GetPalette() const { return palette; }
  std::uint32_t GetPaletteEntryCount() const { return paletteEntryCount; }
  const std::uint8_t* GetFileImage() const { return fileImage; }
  std::uint32_t GetFileSize() const { return fileSize; }
  void* GetDibBits() const { return dibBits; }
  HBITMAP GetBitmap() const { return bitmap; }

 private:
  bool ParseImage(const char* fileName);
  bool MakeDib();
  void SetStoredHeight(std::int32_t height);
  void FlipRows();

  std::uint8_t* fileImage = nullptr;  // owned
  std::uint32_t fileSize = 0;
  BITMAPINFOHEADER info = {};          // parsed copy of the information header
  std::uint32_t paletteEntryCount = 0;
  RGBQUAD* palette = nullptr;          // into the file image
  std::uint32_t pixelByteCount = 0;
  std::uint8_t* pixels = nullptr;      // into the file image
  std::uint32_t rowSize = 0;
  std::uint8_t* bitmapInfo = nullptr;  // owned: header plus palette, for GDI
  HBITMAP bitmap = nullptr;
  DIBSECTION dibSection = {};
  void* dibBits = nullptr;             // owned by GDI
};
