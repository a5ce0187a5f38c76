#include "foundation/files/bmp_handler.h"

#include <cstring>
#include <vector>

#include "foundation/byte_reader.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/system/message_box.h"
#include "platform/win32/win_stdio.h"

namespace {

constexpr int kBmpCategory = 2;
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;

// Palette entries of a depth; -1 for a depth this format does not hold.
int PaletteEntries(int bpp) {
  switch (bpp) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16:
    case 24: return 0;
    default: return -1;
  }
}

// Bytes of one row, padded to 4 bytes.
std::uint64_t RowBytes(std::int64_t width, int bpp) { return static_cast<std::uint64_t>((width * bpp + 31) / 32) * 4; }

// The 40-byte information header, field by field; a short read leaves r not Ok.
BITMAPINFOHEADER ReadInfoHeader(ByteReader& r) {
  BITMAPINFOHEADER h{};
  h.biSize = r.U32();
  h.biWidth = r.I32();
  h.biHeight = r.I32();
  h.biPlanes = r.U16();
  h.biBitCount = r.U16();
  h.biCompression = r.U32();
  h.biSizeImage = r.U32();
  h.biXPelsPerMeter = r.I32();
  h.biYPelsPerMeter = r.I32();
  h.biClrUsed = r.U32();
  h.biClrImportant = r.U32();
  return h;
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

void CBmpHandler::Free() {
  if (fileImage) FreeLoadedFile(reinterpret_cast<char*>(fileImage));
  fileImage = nullptr;
  if (bitmapInfo) MEM_DELETE_ARRAY bitmapInfo;
  bitmapInfo = nullptr;
  if (bitmap) DeleteObject(bitmap);
  bitmap = nullptr;
  dibBits = nullptr;
  dibSection = DIBSECTION{};
  info = BITMAPINFOHEADER{};
  fileSize = paletteEntryCount = pixelByteCount = rowSize = 0;
  palette = nullptr;
  pixels = nullptr;
}

// Reads and checks the headers of the file image; every size and offset must
// lie inside the image.
bool CBmpHandler::ParseImage(const char* fileName) {
  ByteReader r(fileImage, fileSize);
  bool ok = r.U8() == 'B' && r.U8() == 'M';
  if (!ok) {
    ErrorBox("File is not a valid BMP : %s", fileName);
    return false;
  }
  r.U32();  // file size as stored
  r.U16();
  r.U16();
  std::uint32_t pixelOffset = r.U32();
  info = ReadInfoHeader(r);
  int entries = PaletteEntries(info.biBitCount);
  std::int64_t rows = info.biHeight < 0 ? -static_cast<std::int64_t>(info.biHeight) : info.biHeight;
  std::uint64_t paletteAt = kFileHeaderBytes + static_cast<std::uint64_t>(info.biSize);
  ok = r.Ok() && info.biSize >= kInfoHeaderBytes && entries >= 0 && info.biCompression == BI_RGB && info.biWidth > 0 &&
       rows > 0 && rows <= 0x7FFFFFFF;
  std::uint64_t stride = ok ? RowBytes(info.biWidth, info.biBitCount) : 0;
  std::uint64_t paletteEnd = paletteAt + 4ull * static_cast<std::uint64_t>(entries > 0 ? entries : 0);
  std::uint64_t bytes = stride * static_cast<std::uint64_t>(rows);
  std::uint64_t pixelsAt = pixelOffset >= paletteEnd ? pixelOffset : paletteEnd;
  ok = ok && paletteEnd <= fileSize && bytes <= 0xFFFFFFFFull && pixelsAt + bytes <= fileSize;
  if (!ok) {
    ErrorBox("File is not a valid BMP : %s", fileName);
    return false;
  }
  paletteEntryCount = static_cast<std::uint32_t>(entries);
  palette = entries > 0 ? reinterpret_cast<RGBQUAD*>(fileImage + paletteAt) : nullptr;
  for (std::uint32_t i = 0; i < paletteEntryCount; ++i) palette[i].rgbReserved = 255;
  rowSize = static_cast<std::uint32_t>(stride);
  pixelByteCount = static_cast<std::uint32_t>(bytes);
  pixels = fileImage + pixelsAt;
  return true;
}

void CBmpHandler::SetStoredHeight(std::int32_t height) {
  info.biHeight = height;
  Put32(fileImage + kFileHeaderBytes + 8, static_cast<std::uint32_t>(height));
}

void CBmpHandler::FlipRows() {
  std::uint32_t rows = rowSize ? pixelByteCount / rowSize : 0;
  std::vector<std::uint8_t> tmp(rowSize);
  for (std::uint32_t top = 0, bottom = rows ? rows - 1 : 0; top < bottom; ++top, --bottom) {
    std::memcpy(tmp.data(), pixels + top * rowSize, rowSize);
    std::memcpy(pixels + top * rowSize, pixels + bottom * rowSize, rowSize);
    std::memcpy(pixels + bottom * rowSize, tmp.data(), rowSize);
  }
}

bool CBmpHandler::MakeDib() {
  std::size_t infoBytes = sizeof(BITMAPINFOHEADER) + 4 * paletteEntryCount;
  bitmapInfo = MEM_NEW(kBmpCategory) std::uint8_t[infoBytes + sizeof(RGBQUAD)]();
  if (!bitmapInfo) return false;
  BITMAPINFOHEADER h = info;
  h.biSize = sizeof(BITMAPINFOHEADER);
  std::memcpy(bitmapInfo, &h, sizeof h);
  if (paletteEntryCount) std::memcpy(bitmapInfo + sizeof h, palette, 4 * paletteEntryCount);
  void* bits = nullptr;
  bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(bitmapInfo), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits || GetObjectA(bitmap, sizeof dibSection, &dibSection) != sizeof dibSection ||
      static_cast<std::uint32_t>(dibSection.dsBm.bmWidthBytes) != rowSize) {
    return false;
  }
  dibBits = bits;
  std::uint32_t rows = pixelByteCount / rowSize;
  for (std::uint32_t y = 0; y < rows; ++y)
    std::memcpy(static_cast<std::uint8_t*>(dibBits) + y * rowSize, pixels + y * rowSize, rowSize);
  return true;
}

int CBmpHandler::Load(const char* fileName, int topDown, int createDib, int category) {
  Free();
  char* data = nullptr;
  std::uint32_t size = 0;
  if (!LoadFile(fileName, &data, &size, nullptr, category)) return 0;
  fileImage = reinterpret_cast<std::uint8_t*>(data);
  fileSize = size;
  if (!ParseImage(fileName)) {
    Free();
    return 0;
  }
  if (topDown && info.biHeight > 0) {
    FlipRows();
    SetStoredHeight(-info.biHeight);
  }
  if (createDib && !MakeDib()) {
    ErrorBox("Failed to create DIB for %s.", fileName);
    Free();
    return 0;
  }
  return 1;
}

int CBmpHandler::Create(int width, int height, int topDown, const void* source, const RGBQUAD* sourcePalette,
                        int bitsPerPixel, int createDib) {
  Free();
  int entries = PaletteEntries(bitsPerPixel);
  if (entries < 0 || width <= 0 || height <= 0) return 0;
  std::uint64_t stride = RowBytes(width, bitsPerPixel);
  std::uint64_t bytes = stride * static_cast<std::uint64_t>(height);
  std::uint64_t total = bytes + 4ull * entries + kFileHeaderBytes + kInfoHeaderBytes;
  if (total > 0x7FFFFFFFull) return 0;
  fileSize = static_cast<std::uint32_t>(total);
  fileImage = reinterpret_cast<std::uint8_t*>(MEM_NEW(kBmpCategory) char[fileSize + 1]());
  if (!fileImage) return 0;

  ByteWriter w;
  w.U8('B');
  w.U8('M');
  w.U32(fileSize);
  w.U16(0);
  w.U16(0);
  w.U32(kFileHeaderBytes + kInfoHeaderBytes + 4u * entries);
  w.U32(kInfoHeaderBytes);
  w.I32(width);
  w.I32(topDown ? -height : height);
  w.U16(1);
  w.U16(static_cast<std::uint16_t>(bitsPerPixel));
  w.U32(BI_RGB);
  w.U32(static_cast<std::uint32_t>(bytes));
  for (int i = 0; i < 4; ++i) w.U32(0);
  for (int i = 0; i < entries; ++i) {
    if (sourcePalette) {
      w.U8(sourcePalette[i].rgbBlue);
      w.U8(sourcePalette[i].rgbGreen);
      w.U8(sourcePalette[i].rgbRed);
      w.U8(sourcePalette[i].rgbReserved);
    } else {
      std::uint8_t g = static_cast<std::uint8_t>(bitsPerPixel == 8 ? i : i * 16);
      w.U8(g);
      w.U8(g);
      w.U8(g);
      w.U8(0);
    }
  }
  std::memcpy(fileImage, w.Data().data(), w.Size());
  pixels = fileImage + w.Size();
  if (source) std::memcpy(pixels, source, static_cast<std::size_t>(bytes));

  ByteReader r(fileImage, fileSize);
  r.Skip(kFileHeaderBytes);
  info = ReadInfoHeader(r);  // the four fields after the image size were written as 0
  paletteEntryCount = static_cast<std::uint32_t>(entries);
  palette = entries ? reinterpret_cast<RGBQUAD*>(fileImage + kFileHeaderBytes + kInfoHeaderBytes) : nullptr;
  rowSize = static_cast<std::uint32_t>(stride);
  pixelByteCount = static_cast<std::uint32_t>(bytes);
  if (createDib && !MakeDib()) {
    ErrorBox("Failed to create DIB.");
    Free();
    return 0;
  }
  return 1;
}

int CBmpHandler::Save(const char* fileName) {
  if (!fileImage) return 0;
  std::FILE* f = WinFopen(fileName, "wb");
  if (!f) {
    ErrorBox("Unable to create file\nFile may be write protected : %s", fileName);
    return 0;
  }
  if (dibBits) std::memcpy(pixels, dibBits, pixelByteCount);
  bool topDown = info.biHeight < 0;
  if (topDown) {
    FlipRows();
    SetStoredHeight(-info.biHeight);
  }
  bool ok = std::fwrite(fileImage, 1, fileSize, f) == fileSize;
  if (std::fclose(f) != 0) ok = false;
  if (topDown) {
    FlipRows();
    SetStoredHeight(-info.biHeight);
  }
  return ok ? 1 : 0;
}

HDC CBmpHandler::GetMemoryDC(HWND window) {
  if (!bitmap) return nullptr;
  HDC windowDc = GetDC(window);
  HDC dc = CreateCompatibleDC(windowDc);
  ReleaseDC(window, windowDc);
  if (dc) SelectObject(dc, bitmap);
  return dc;
}

BOOL CBmpHandler::Blit(HWND window, HDC target, int x, int y) {
  HDC dc = GetMemoryDC(window);
  if (!dc) return FALSE;
  int rows = info.biHeight < 0 ? -info.biHeight : info.biHeight;
  BOOL ok = BitBlt(target, x, y, info.biWidth, rows, dc, 0, 0, SRCCOPY);
  DeleteDC(dc);
  return ok;
}

void CBmpHandler::Clear() {
  if (dibBits) std::memset(dibBits, 0, pixelByteCount);
}

int CBmpHandler::CopyRectangle(const CBmpHandler& source, int sx, int sy, int tx, int ty, int width, int height) {
  if (sx < 0 || sy < 0 || tx < 0 || ty < 0 || width < 0 || height < 0) return 0;
  if (!dibBits || !source.pixels || source.info.biBitCount != info.biBitCount) return 0;
  auto rows = [](const CBmpHandler& b) { return static_cast<std::int64_t>(b.info.biHeight < 0 ? -b.info.biHeight : b.info.biHeight); };
  if (static_cast<std::int64_t>(sx) + width > source.info.biWidth || static_cast<std::int64_t>(sy) + height > rows(source) ||
      static_cast<std::int64_t>(tx) + width > info.biWidth || static_cast<std::int64_t>(ty) + height > rows(*this))
    return 0;
  // x offsets and widths in bytes: halved for 4 bits, doubled for 16, tripled for 24.
  int bpp = info.biBitCount;
  std::size_t sxBytes = static_cast<std::size_t>(sx) * bpp / 8, txBytes = static_cast<std::size_t>(tx) * bpp / 8;
  std::size_t widthBytes = static_cast<std::size_t>(width) * bpp / 8;
  auto* target = static_cast<std::uint8_t*>(dibBits);
  for (int j = 0; j < height; ++j)
    std::memcpy(target + static_cast<std::size_t>(ty + j) * rowSize + txBytes,
                source.pixels + static_cast<std::size_t>(sy + j) * source.rowSize + sxBytes, widthBytes);
  return 1;
}
