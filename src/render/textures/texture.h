// One picture of the texture library: its name and identifier, its creation
// flags and the Direct3D texture made from its file (or from an image in
// memory) on demand.  Records belong to a CTextureManager.  Main thread only.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/textures/image_info.h"

class CLinearBuffer;

// Texture flags.  The low four bits are the texture creation flags of the
// render device (TEXLOAD_*), passed on unchanged.
enum TextureFlags : std::uint32_t {
  TEXF_MIPMAPS = TEXLOAD_MIPMAPS,        // full mip chain, else one level
  TEXF_32BIT = TEXLOAD_32BIT,            // keep a 32-bit or the file's own format
  TEXF_ALPHA = TEXLOAD_ALPHA,            // a format with alpha
  TEXF_ALPHA_ONLY = TEXLOAD_ALPHA_ONLY,  // alpha only (A8)
  TEXF_CHARACTER = 0x10,                 // the picture comes from the character catalog
  TEXF_CUBE = 0x20,                      // cube texture (from the DDS header)
  TEXF_FADE_GREY = 0x80,                 // fade the mip levels towards grey
  TEXF_FADE_WHITE = 0x100,               // fade the mip levels towards white
  TEXF_2D = 0x400,                       // screen-space drawing (sprite pages, picture tiles)
};

// How the device texture was made.
enum TextureKind : std::uint32_t {
  TEXKIND_BMP = 0,
  TEXKIND_PNG = 1,
  TEXKIND_TGA = 2,
  TEXKIND_DDS = 3,
  TEXKIND_NONE = 4,
};

class CTexture {
 public:
  CTexture() = default;
  // Frees the name and releases the device texture.
  ~CTexture();
  CTexture(const CTexture&) = delete;
  CTexture& operator=(const CTexture&) = delete;

  // Replaces the owned name copy and recomputes Id from its base name.
  void SetName(const char* name);
  // SetName, then Flags = flags; answers 1.
  int SetNameAndFlags(const char* name, std::uint32_t flags);
  // Stores the requested size and format, marks the size explicit and sets TEXF_ALPHA.
  void SetCreationSize(std::uint32_t width, std::uint32_t height, std::uint32_t format);
  // Stores the fade start and length and ORs the bits into Flags.
  void SetMipFade(std::uint8_t firstLevel, std::uint8_t levelCount, std::uint32_t flagBits);
  // (Re)creates the device texture from Image or from the file found for the
  // name; 1 when a device texture exists afterwards, 0 when the file is
  // missing or unreadable or the device refuses it.
  int Load();
  // Load when there is no device texture yet.
  void EnsureLoaded();
  // Releases and clears DeviceTexture.
  void ReleaseDeviceTexture();
  // Draws the texture into the screen rectangle (x1, y1)-(x2, y2) with the
  // texture coordinates and colour, as a 2D fan (format 0x144, fog off).
  void DrawScreenRect(int x1, int y1, int x2, int y2, float tu1, float tv1, float tu2, float tv2,
                      std::uint32_t colour, std::uint32_t unused);
  // Moves the colours of the R5G6B5 mip levels from FadeFirstLevel on towards
  // grey or white (by the fade flags); other formats are left alone.
  void FadeMipLevels();

  std::uint32_t Kind = TEXKIND_NONE;
  std::uint32_t Id = 0;
  char* Name = nullptr;
  std::int32_t Palette = -1;
  IDirect3DBaseTexture8* DeviceTexture = nullptr;
  std::uint32_t HasAlpha = 0;
  std::uint32_t ExplicitSize = 0;
  std::uint32_t MemoryBytes = 0;
  std::uint8_t FadeFirstLevel = 1;
  std::uint8_t FadeLevels = 4;
  std::uint32_t RequestedWidth = 0, RequestedHeight = 0, RequestedFormat = 0;
  std::uint32_t Width = 0, Height = 0;
  std::uint32_t Format = 0;
  std::uint32_t Unused = 0;
  std::uint32_t UserValue = 0;
  std::uint32_t RefCount = 0;
  std::uint32_t Flags = 0;
  const void* Image = nullptr;
  std::uint32_t ImageSize = 0;

 private:
  int LoadFromFileData(const char* path);
  int LoadBmp(const char* path);
  int FinishCreation();
};

// The no-case name hash of the base name (no folder, no extension) of name.
std::uint32_t ComputeTextureId(const char* name);
// Finds the picture file for a texture name: ".ddl" (catalog build or a set
// texture resolution), then ".dds", ".png", ".bmp", ".tga".  Writes the path
// (at most pathSize bytes) and answers 1, or 0 when none exists.
int FindTextureFile(const char* name, char* path, std::size_t pathSize);

// The linear scratch buffer that texture loading reads whole files into;
// null (the default) reads them into tracked memory that is freed at once.
void SetTextureScratchBuffer(CLinearBuffer* buffer);
CLinearBuffer* GetTextureScratchBuffer();
