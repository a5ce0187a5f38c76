#include "render/device/format_tables.h"

DWORD FormatColourBits(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8:
      return 24;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X4R4G4B4:
      return 16;
    case D3DFMT_P8:
      return 8;
    default:
      return 0;
  }
}

DWORD FormatDepthBits(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D16:
      return 16;
    case D3DFMT_D32:
      return 32;
    case D3DFMT_D15S1:
      return 15;
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
      return 24;
    default:
      return 0;
  }
}

DWORD FormatStencilBits(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D15S1:
      return 1;
    case D3DFMT_D24S8:
      return 8;
    case D3DFMT_D24X4S4:
      return 4;
    default:
      return 0;
  }
}

namespace {

struct FormatNameEntry {
  long format;  // a negative format ends the table
  const char* name;
};

#define HALBERD_FORMAT_NAME(f) {static_cast<long>(f), #f}
const FormatNameEntry kFormatNames[] = {
    HALBERD_FORMAT_NAME(D3DFMT_UNKNOWN),
    HALBERD_FORMAT_NAME(D3DFMT_R8G8B8),
    HALBERD_FORMAT_NAME(D3DFMT_A8R8G8B8),
    HALBERD_FORMAT_NAME(D3DFMT_X8R8G8B8),
    HALBERD_FORMAT_NAME(D3DFMT_R5G6B5),
    HALBERD_FORMAT_NAME(D3DFMT_X1R5G5B5),
    HALBERD_FORMAT_NAME(D3DFMT_A1R5G5B5),
    HALBERD_FORMAT_NAME(D3DFMT_A4R4G4B4),
    HALBERD_FORMAT_NAME(D3DFMT_X4R4G4B4),
    HALBERD_FORMAT_NAME(D3DFMT_A8),
    HALBERD_FORMAT_NAME(D3DFMT_P8),
    HALBERD_FORMAT_NAME(D3DFMT_DXT1),
    HALBERD_FORMAT_NAME(D3DFMT_DXT3),
    HALBERD_FORMAT_NAME(D3DFMT_DXT5),
    HALBERD_FORMAT_NAME(D3DFMT_D16_LOCKABLE),
    HALBERD_FORMAT_NAME(D3DFMT_D32),
    HALBERD_FORMAT_NAME(D3DFMT_D15S1),
    HALBERD_FORMAT_NAME(D3DFMT_D24S8),
    HALBERD_FORMAT_NAME(D3DFMT_D16),
    HALBERD_FORMAT_NAME(D3DFMT_D24X8),
    HALBERD_FORMAT_NAME(D3DFMT_D24X4S4),
    HALBERD_FORMAT_NAME(D3DFMT_INDEX16),
    HALBERD_FORMAT_NAME(D3DFMT_INDEX32),
    {-1, nullptr},
};
#undef HALBERD_FORMAT_NAME

}  // namespace

const char* FormatName(D3DFORMAT format) {
  for (const FormatNameEntry* e = kFormatNames; e->format >= 0; ++e)
    if (e->format == static_cast<long>(format)) return e->name;
  return nullptr;
}
