#include "platform/win32/win_gdi_dib.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct DibBitmap {
  BITMAPINFOHEADER header{};
  LONG stride = 0;
  std::vector<BYTE> pixels;
  int selections = 0;
};

struct DeviceContext {
  bool window = false;
  DibBitmap* selected = nullptr;
};

std::set<DibBitmap*>& Bitmaps() {
  static std::set<DibBitmap*> s;
  return s;
}
std::set<DeviceContext*>& Contexts() {
  static std::set<DeviceContext*> s;
  return s;
}

DibBitmap* AsBitmap(HGDIOBJ o) {
  auto* b = static_cast<DibBitmap*>(o);
  return Bitmaps().count(b) ? b : nullptr;
}
DeviceContext* AsContext(HDC dc) {
  auto* c = reinterpret_cast<DeviceContext*>(dc);
  return Contexts().count(c) ? c : nullptr;
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  WORD bpp = h.biBitCount;
  if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN) return nullptr;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
  long long stride = ((static_cast<long long>(h.biWidth) * bpp + 31) / 32) * 4;
  long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  if (stride * rows > (1ll << 30)) return nullptr;
  auto* b = new DibBitmap;
  b->header = h;
  b->header.biSize = sizeof(BITMAPINFOHEADER);
  b->header.biSizeImage = static_cast<DWORD>(stride * rows);
  b->stride = static_cast<LONG>(stride);
  b->pixels.assign(static_cast<std::size_t>(stride * rows), 0);
  Bitmaps().insert(b);
  if (bits) *bits = b->pixels.data();
  return reinterpret_cast<HBITMAP>(b);
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  DibBitmap* b = AsBitmap(object);
  if (!b || !out || size < static_cast<int>(sizeof(BITMAP))) return 0;
  DIBSECTION ds{};
  ds.dsBm.bmType = 0;
  ds.dsBm.bmWidth = b->header.biWidth;
  ds.dsBm.bmHeight = b->header.biHeight < 0 ? -b->header.biHeight : b->header.biHeight;
  ds.dsBm.bmWidthBytes = b->stride;
  ds.dsBm.bmPlanes = 1;
  ds.dsBm.bmBitsPixel = b->header.biBitCount;
  ds.dsBm.bmBits = b->pixels.data();
  ds.dsBmih = b->header;
  if (size >= static_cast<int>(sizeof(DIBSECTION))) {
    std::memcpy(out, &ds, sizeof ds);
    return sizeof(DIBSECTION);
  }
  std::memcpy(out, &ds.dsBm, sizeof(BITMAP));
  return sizeof(BITMAP);
}

BOOL DeleteObject(HGDIOBJ object) {
  DibBitmap* b = AsBitmap(object);
  if (!b || b->selections > 0) return FALSE;
  Bitmaps().erase(b);
  delete b;
  return TRUE;
}

HDC GetDC(HWND) {
  auto* c = new DeviceContext;
  c->window = true;
  Contexts().insert(c);
  return reinterpret_cast<HDC>(c);
}

int ReleaseDC(HWND, HDC dc) {
  DeviceContext* c = AsContext(dc);
  if (!c || !c->window) return 0;
  Contexts().erase(c);
  delete c;
  return 1;
}

HDC CreateCompatibleDC(HDC) {
  auto* c = new DeviceContext;
  Contexts().insert(c);
  return reinterpret_cast<HDC>(c);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  DeviceContext* c = AsContext(dc);
  DibBitmap* b = AsBitmap(object);
  if (!c || !b || c->window) return nullptr;
  DibBitmap* old = c->selected;
  if (old) --old->selections;
  c->selected = b;
  ++b->selections;
  return old;
}

BOOL DeleteDC(HDC dc) {
  DeviceContext* c = AsContext(dc);
  if (!c || c->window) return FALSE;
  if (c->selected) --c->selected->selections;
  Contexts().erase(c);
  delete c;
  return TRUE;
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
  DeviceContext* t = AsContext(target);
  DeviceContext* s = AsContext(source);
  if (!t || !s || !s->selected || rop != SRCCOPY) return FALSE;
  if (t->window) {
    static bool said = false;
    if (!said) {
      std::fprintf(stderr, "BitBlt: no display in this build; drawing into a window is not possible\n");
      said = true;
    }
    return FALSE;
  }
  DibBitmap* tb = t->selected;
  DibBitmap* sb = s->selected;
  if (!tb || tb->header.biBitCount != sb->header.biBitCount || tb->header.biBitCount < 8) return FALSE;
  int bytes = tb->header.biBitCount / 8;
  auto rows = [](const DibBitmap* b) { return b->header.biHeight < 0 ? -b->header.biHeight : b->header.biHeight; };
  // Row r (from the top) lives at r for top-down bitmaps, else at rows - 1 - r.
  auto row = [&](DibBitmap* b, int r) -> BYTE* {
    int idx = b->header.biHeight < 0 ? r : rows(b) - 1 - r;
    return b->pixels.data() + static_cast<std::size_t>(idx) * b->stride;
  };
  for (int j = 0; j < height; ++j) {
    int ty = y + j, syy = sy + j;
    if (ty < 0 || syy < 0 || ty >= rows(tb) || syy >= rows(sb)) continue;
    for (int i = 0; i < width; ++i) {
      int tx = x + i, sxx = sx + i;
      if (tx < 0 || sxx < 0 || tx >= tb->header.biWidth || sxx >= sb->header.biWidth) continue;
      std::memcpy(row(tb, ty) + tx * bytes, row(sb, syy) + sxx * bytes, bytes);
    }
  }
  return TRUE;
}
