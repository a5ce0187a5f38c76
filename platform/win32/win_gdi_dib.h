// GDI device-independent bitmaps (DIB sections) backed by plain memory, with
// memory device contexts and block transfer between them.  There is no screen
// here: a window's device context exists but drawing into it fails.
#pragma once

#include "platform/win32/win_types.h"

#define BI_RGB 0u
#define DIB_RGB_COLORS 0u
#define SRCCOPY 0x00CC0020u

#pragma pack(push, 2)
// The BMP file header as stored (14 bytes); only used for sizes and names.
struct BITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

// Creates a DIB section of the header's size and depth (1, 4, 8, 16, 24 or 32
// bits, uncompressed, rows padded to 4 bytes), zero-filled, and stores the
// address of its pixels in *bits.  Null (and *bits null) for a bad header.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);

// Fills a BITMAP (size >= sizeof(BITMAP)) or a DIBSECTION (size >=
// sizeof(DIBSECTION)) describing a bitmap; answers the bytes written, 0 for
// anything that is not a bitmap of this layer.
int GetObjectA(HGDIOBJ object, int size, void* out);

// Frees a bitmap made by CreateDIBSection; FALSE for an unknown object or one
// still selected into a device context.
BOOL DeleteObject(HGDIOBJ object);

// The device context of a window (drawing into it fails: no display).
HDC GetDC(HWND window);
// Gives back a window's device context; 1 when it was one.
int ReleaseDC(HWND window, HDC dc);
// A memory device context; a bitmap is selected into it with SelectObject.
HDC CreateCompatibleDC(HDC dc);
// Selects a bitmap into a memory device context; answers the one selected
// before (null the first time), or null when either is not of this layer.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees a memory device context (not its bitmap); FALSE for an unknown one.
BOOL DeleteDC(HDC dc);
// Copies a rectangle between the bitmaps selected into two memory device
// contexts of the same depth (SRCCOPY only), clipped to both bitmaps.  FALSE
// (said once on stderr) when the target is a window: there is no display.
BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int source_x, int source_y, DWORD rop);
