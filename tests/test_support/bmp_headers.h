// The two headers of a BMP file (14-byte file header, 40-byte information
// header), written field by field for test images built in memory.
#pragma once

#include <cstdint>

#include "foundation/byte_reader.h"

struct BmpHeaders {
  std::int32_t Width = 0;
  std::int32_t Height = 0;  // < 0: rows stored top-down
  std::uint16_t BitsPerPixel = 24;
  std::uint32_t Compression = 0;     // 0 plain, 1 run-length 8-bit
  std::uint32_t PaletteBytes = 0;    // between the headers and the pixels
  std::uint32_t PixelBytes = 0;      // after the palette
  std::uint32_t SizeImage = 0;       // the information header's own image size field
  std::uint32_t PixelsPerMetre = 0;  // both resolution fields
  std::uint32_t ColoursUsed = 0;
};

// Appends both headers; the file size and pixel offset follow from the palette and pixel bytes.
inline void WriteBmpHeaders(ByteWriter& w, const BmpHeaders& h) {
  w.U8('B');
  w.U8('M');
  w.U32(54 + h.PaletteBytes + h.PixelBytes);
  w.U32(0);
  w.U32(54 + h.PaletteBytes);
  w.U32(40);
  w.I32(h.Width);
  w.I32(h.Height);
  w.U16(1);
  w.U16(h.BitsPerPixel);
  w.U32(h.Compression);
  w.U32(h.SizeImage);
  w.U32(h.PixelsPerMetre);
  w.U32(h.PixelsPerMetre);
  w.U32(h.ColoursUsed);
  w.U32(0);
}
