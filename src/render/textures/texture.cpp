#include "render/textures/texture.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "foundation/files/bmp_handler.h"
#include "foundation/files/catalog.h"
#include "foundation/files/file_locator.h"
#include "foundation/text/hash.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/files/load_file.h"
#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"
#include "foundation/files/path_helpers.h"
#include "render/colour/colour.h"
#include "render/device/render.h"
#include "render/textures/text_compare.h"

namespace {

CLinearBuffer* g_TextureScratch = nullptr;

char* CopyText(const char* text) {
  const std::size_t n = std::strlen(text);
  char* copy = MEM_NEW(MEMCAT_GAME) char[n + 1];
  std::memcpy(copy, text, n + 1);
  return copy;
}

// A whole file read for texture creation: into the scratch buffer between
// setting and restoring mark 0 when there is one, else into tracked memory.
class TransientFile {
 public:
  explicit TransientFile(const char* path) {
    if (g_TextureScratch != nullptr) g_TextureScratch->SetMark(0);
    if (!LoadFile(path, &m_Data, &m_Size, g_TextureScratch, MEMCAT_TEXTURE_CREATION)) m_Data = nullptr;
  }
  ~TransientFile() {
    if (g_TextureScratch != nullptr)
      g_TextureScratch->RestoreMark(0);
    else if (m_Data != nullptr)
      FreeLoadedFile(m_Data);
  }
  TransientFile(const TransientFile&) = delete;
  TransientFile& operator=(const TransientFile&) = delete;
  const char* Data() const { return m_Data; }
  std::uint32_t Size() const { return m_Size; }

 private:
  char* m_Data = nullptr;
  std::uint32_t m_Size = 0;
};

std::uint32_t ReadU32At(const void* data, std::size_t offset) {
  std::uint32_t v;
  std::memcpy(&v, static_cast<const std::uint8_t*>(data) + offset, 4);
  return v;
}

// DDS headers are 128 bytes: magic, then the 124-byte surface description.
constexpr std::uint32_t kDdsHeaderSize = 128;

// Alpha from the DDS pixel format: FourCC other than DXT1, or RGB with alpha pixels.
std::uint32_t DdsHasAlpha(const void* data, std::uint32_t size) {
  if (size < kDdsHeaderSize) return 0;
  const std::uint32_t flags = ReadU32At(data, 80);
  if (flags == 4) return std::memcmp(static_cast<const char*>(data) + 84, "DXT1", 4) != 0 ? 1 : 0;
  return flags == 0x41 ? 1 : 0;
}

// A cube map has the caps word's COMPLEX bit and the second caps word's
// CUBEMAP bit; COMPLEX alone is also set by every 2D picture with mip levels.
bool DdsIsCube(const void* data, std::uint32_t size) {
  return size >= kDdsHeaderSize && (ReadU32At(data, 108) & 0x8) != 0 && (ReadU32At(data, 112) & 0x200) != 0;
}

bool ExtensionIs(const char* path, const char* extension) {
  return TextEqualNoCase(GetPathExtension(path), extension);
}

}  // namespace

void SetTextureScratchBuffer(CLinearBuffer* buffer) { g_TextureScratch = buffer; }
CLinearBuffer* GetTextureScratchBuffer() { return g_TextureScratch; }

std::uint32_t ComputeTextureId(const char* name) { return HashStringNoCase(GetPathBaseName(name)); }

int FindTextureFile(const char* name, char* path, std::size_t pathSize) {
  if (name == nullptr || pathSize == 0) return 0;
  std::snprintf(path, pathSize, "%s", name);
  if (GetCatalogMode() & CATALOG_MODE_BUILD) {
    // A catalog build records every ".ddl" it reads, but keeps looking.
    ChangePathExtension(path, pathSize, ".ddl");
    if (FileExists(path)) TransientFile record(path);
  } else if (g_Render != nullptr && g_Render->m_TextureResolution != 0) {
    ChangePathExtension(path, pathSize, ".ddl");
    if (FileExists(path)) return 1;
  }
  for (const char* extension : {".dds", ".png", ".bmp", ".tga"}) {
    ChangePathExtension(path, pathSize, extension);
    if (FileExists(path)) return 1;
  }
  return 0;
}

CTexture::~CTexture() {
  MEM_DELETE_ARRAY Name;
  ReleaseDeviceTexture();
}

void CTexture::SetName(const char* name) {
  MEM_DELETE_ARRAY Name;
  Name = CopyText(name != nullptr ? name : "");
  Id = ComputeTextureId(Name);
}

int CTexture::SetNameAndFlags(const char* name, std::uint32_t flags) {
  SetName(name);
  Flags = flags;
  return 1;
}

void CTexture::SetCreationSize(std::uint32_t width, std::uint32_t height, std::uint32_t format) {
  RequestedWidth = width;
  RequestedHeight = height;
  RequestedFormat = format;
  ExplicitSize = 1;
  Flags |= TEXF_ALPHA;
}

void CTexture::SetMipFade(std::uint8_t firstLevel, std::uint8_t levelCount, std::uint32_t flagBits) {
  FadeFirstLevel = firstLevel;
  FadeLevels = levelCount;
  Flags |= flagBits;
}

void CTexture::ReleaseDeviceTexture() {
  if (DeviceTexture == nullptr) return;
  // Never leave a freed texture bound (nor remembered as bound by the cache).
  if (g_Render != nullptr)
    for (DWORD stage = 0; stage < 2; ++stage) g_Render->SetTexture(stage, nullptr);
  DeviceTexture->Release();
  DeviceTexture = nullptr;
}

void CTexture::EnsureLoaded() {
  if (DeviceTexture == nullptr) Load();
}

int CTexture::Load() {
  ReleaseDeviceTexture();
  if (!ExplicitSize) Flags &= ~TEXF_ALPHA;
  if (g_Render == nullptr) return 0;

  if (Image != nullptr && ImageSize != 0) {
    Kind = TEXKIND_DDS;
    HasAlpha = 0;
    if (Flags & TEXF_CUBE) {
      DeviceTexture = g_Render->CreateCubeTextureFromMemory(Image, ImageSize, nullptr, 0, Flags, 100);
    } else {
      DeviceTexture = g_Render->CreateTextureFromMemory(Image, ImageSize, nullptr, 0, Flags, 100);
      HasAlpha = DdsHasAlpha(Image, ImageSize);
    }
    return FinishCreation();
  }
  if (Image != nullptr) return 0;

  char path[260];
  if (!FindTextureFile(Name, path, sizeof path)) return 0;
  if (ExtensionIs(path, ".BMP")) return LoadBmp(path);
  return LoadFromFileData(path);
}

int CTexture::LoadFromFileData(const char* path) {
  const bool png = ExtensionIs(path, ".PNG");
  const bool tga = ExtensionIs(path, ".TGA");
  TransientFile file(path);
  if (file.Data() == nullptr) return 0;
  if (png || tga) {
    Kind = png ? TEXKIND_PNG : TEXKIND_TGA;
    HasAlpha = 1;
    DeviceTexture = g_Render->CreateTextureFromMemory(file.Data(), file.Size(), nullptr, 0, Flags, 100);
    return FinishCreation();
  }
  // DDS rules, for ".dds" and ".ddl".
  Kind = TEXKIND_DDS;
  HasAlpha = 0;
  if (DdsIsCube(file.Data(), file.Size()))
    Flags |= TEXF_CUBE;
  else
    Flags &= ~TEXF_CUBE;
  if (Flags & TEXF_CUBE) {
    DeviceTexture = g_Render->CreateCubeTextureFromMemory(file.Data(), file.Size(), nullptr, 0, Flags, 100);
  } else {
    DeviceTexture = g_Render->CreateTextureFromMemory(file.Data(), file.Size(), nullptr, 0, Flags, 100);
    FadeMipLevels();
    HasAlpha = DdsHasAlpha(file.Data(), file.Size());
  }
  return FinishCreation();
}

int CTexture::LoadBmp(const char* path) {
  Kind = TEXKIND_BMP;
  HasAlpha = 0;
  CBmpHandler bitmap;
  // An alpha-only picture is built row by row, so its rows are taken top first
  // like those of every other picture.
  if (!bitmap.Load(path, (Flags & TEXF_ALPHA_ONLY) ? 1 : 0, 0, MEMCAT_TEXTURE_CREATION)) return 0;
  if (Flags & TEXF_ALPHA_ONLY) {
    // Black with alpha taken from the colour: each 3-byte pixel gives one
    // A8R8G8B8 pixel whose alpha is the OR of its bytes.
    const int width = bitmap.GetWidth();
    const int height = bitmap.GetHeight() < 0 ? -bitmap.GetHeight() : bitmap.GetHeight();
    if (bitmap.GetBitsPerPixel() != 24 || width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(bitmap.GetRowSize()) * height > bitmap.GetPixelByteCount())
      return 0;
    BYTE* image = nullptr;
    const DWORD size = CreateDdsImage(width, height, D3DFMT_A8R8G8B8, &image);
    if (size == 0) return 0;
    std::uint8_t* out = image + kDdsHeaderSize;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = bitmap.GetPixels() + static_cast<std::size_t>(y) * bitmap.GetRowSize();
      for (int x = 0; x < width; ++x, out += 4) {
        out[0] = out[1] = out[2] = 0;
        out[3] = row[x * 3] | row[x * 3 + 1] | row[x * 3 + 2];
      }
    }
    DeviceTexture = g_Render->CreateTextureFromMemory(image, size, nullptr, 0, Flags, 100);
    MEM_DELETE_ARRAY image;
    return FinishCreation();
  }
  PALETTEENTRY entries[256] = {};
  PALETTEENTRY* palette = nullptr;
  if (bitmap.GetPalette() != nullptr && bitmap.GetPaletteEntryCount() > 0) {
    const std::uint32_t n = bitmap.GetPaletteEntryCount() < 256 ? bitmap.GetPaletteEntryCount() : 256;
    for (std::uint32_t i = 0; i < n; ++i) {
      const RGBQUAD& q = bitmap.GetPalette()[i];
      entries[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 255};
    }
    Palette = static_cast<std::int32_t>(g_Render->AddPalette(entries));
    palette = entries;
  }
  DeviceTexture = g_Render->CreateTextureFromMemory(bitmap.GetFileImage(), bitmap.GetFileSize(), palette, 0, Flags, 100);
  FadeMipLevels();
  return FinishCreation();
}

int CTexture::FinishCreation() {
  if (DeviceTexture == nullptr) return 0;
  D3DSURFACE_DESC desc{};
  if (DeviceTexture->GetType() == D3DRTYPE_CUBETEXTURE) {
    auto* cube = static_cast<IDirect3DCubeTexture8*>(DeviceTexture);
    MemoryBytes = GetCubeTextureMemorySize(cube);
    cube->GetLevelDesc(0, &desc);
  } else {
    auto* texture = static_cast<IDirect3DTexture8*>(DeviceTexture);
    MemoryBytes = GetTextureMemorySize(texture);
    texture->GetLevelDesc(0, &desc);
  }
  Format = desc.Format;
  Width = desc.Width;
  Height = desc.Height;
  return 1;
}

void CTexture::FadeMipLevels() {
  if (!(Flags & (TEXF_FADE_GREY | TEXF_FADE_WHITE)) || DeviceTexture == nullptr ||
      DeviceTexture->GetType() != D3DRTYPE_TEXTURE)
    return;
  auto* texture = static_cast<IDirect3DTexture8*>(DeviceTexture);
  const DWORD levels = texture->GetLevelCount();
  if (levels < 2) return;
  const float grey = Flags & TEXF_FADE_GREY ? 0.5f : 1.0f;
  const CColour target = {grey, grey, grey, 1.0f};
  for (DWORD mip = FadeFirstLevel; mip < levels; ++mip) {
    D3DSURFACE_DESC desc{};
    if (FAILED(texture->GetLevelDesc(mip, &desc)) || desc.Format != D3DFMT_R5G6B5) continue;
    float t = FadeLevels != 0 ? static_cast<float>(mip - FadeFirstLevel) / static_cast<float>(FadeLevels) : 1.0f;
    if (t > 1.0f) t = 1.0f;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(mip, &locked, nullptr, 0))) continue;
    for (UINT y = 0; y < desc.Height; ++y) {
      auto* row = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) {
        const std::uint16_t p = row[x];
        // Decode to 0..1, move towards the target by t, encode with truncation.
        const CColour colour = {(p >> 11) * (1.0f / 31.0f), ((p >> 5) & 63) * (1.0f / 63.0f), (p & 31) * (1.0f / 31.0f),
                                1.0f};
        CColour faded;
        colour.Lerp(target, &faded, t);
        row[x] = static_cast<std::uint16_t>((static_cast<unsigned>(faded.r * 31.0f) << 11) |
                                            (static_cast<unsigned>(faded.g * 63.0f) << 5) |
                                            static_cast<unsigned>(faded.b * 31.0f));
      }
    }
    texture->UnlockRect(mip);
  }
}

void CTexture::DrawScreenRect(int x1, int y1, int x2, int y2, float tu1, float tv1, float tu2, float tv2,
                              std::uint32_t colour, std::uint32_t /*unused*/) {
  if (g_Render == nullptr) return;
  g_Render->SetFogEnable(0);
  if (Palette >= 0) g_Render->SetTexturePalette(static_cast<DWORD>(Palette));
  g_Render->SetTexture(0, DeviceTexture);
  g_Render->SetVertexFormat(kFvfScreen);
  const float fx1 = static_cast<float>(x1), fy1 = static_cast<float>(y1);
  const float fx2 = static_cast<float>(x2), fy2 = static_cast<float>(y2);
  const ScreenVertex quad[4] = {{fx1, fy1, 0.0f, 0.5f, colour, tu1, tv1},
                                {fx2, fy1, 0.0f, 0.5f, colour, tu2, tv1},
                                {fx2, fy2, 0.0f, 0.5f, colour, tu2, tv2},
                                {fx1, fy2, 0.0f, 0.5f, colour, tu1, tv2}};
  g_Render->DrawTriangleFan(2, quad, sizeof(ScreenVertex));
}
