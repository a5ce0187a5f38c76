// A sprite set: rectangles (sprites) on up to 17 texture pages, read from a
// sprite file, drawn as screen-space quads (plain, stretched, cut, mirrored,
// turned, rotated, pulsing) or camera-facing quads in the world, with a
// current colour, tint, offset and scale.  Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/geometry/vector3.h"

class ByteReader;
class CCamera;
class CRender;
class CTexture;
class CTimer;
class CTextureManager;

inline constexpr int kSpriteMaxPages = 17;
inline constexpr std::size_t kSpritePageNameSize = 16;
inline constexpr std::size_t kSpriteHeaderSize = 284;
inline constexpr std::size_t kSpriteEntrySize = 16;
inline constexpr std::size_t kSpriteEntryBlockSize = 256;  // extra block of format 2 entries

// The sprite file header as read.
struct SpriteFileHeader {
  std::uint32_t Unused0;
  std::uint16_t Format;
  std::uint16_t SpriteCount;
  std::uint16_t Unused8;
  std::uint16_t PageCount;
  char PageNames[kSpriteMaxPages][kSpritePageNameSize];
};

struct SpriteRecord {
  std::uint16_t Page;
  char* Name;
  std::uint16_t Value;  // kept, not used for drawing
  std::uint16_t X, Y, Width, Height;
  std::int16_t HotX, HotY;
};

struct SpriteUV {
  float U1, V1, U2, V2;
};

// A sprite file parsed into records; nothing is applied.
struct SpriteFileData {
  SpriteFileHeader Header;
  SpriteRecord* Sprites;  // Header.SpriteCount records (tracked array) or null
};

// Parses a sprite file image; false when it is shorter than its header and
// entries say or names more than 17 pages.  On success the caller owns out->Sprites.
bool ParseSpriteFile(ByteReader& reader, SpriteFileData* out);

class CSpriteRender {
 public:
  // Stores the three statics that all sets use; an empty set, colours white, scale 1.
  CSpriteRender(CRender* render, CCamera* camera, CTextureManager* textures);
  ~CSpriteRender();
  CSpriteRender(const CSpriteRender&) = delete;
  CSpriteRender& operator=(const CSpriteRender&) = delete;

  // Frees names, header, records, UV rectangles and the page array (the page textures stay).
  void Free();
  // Free, then default offset, scale and colours (Colour and Tint stay); answers 0.
  int Reset();
  // Reads the sprite file and asks the texture library for its pages (flags |
  // TEXF_2D; with TEXF_ALPHA also the creation size).  0 after a message box
  // when the file cannot be opened or is damaged; the set is then empty.
  int Load(const char* name, std::uint32_t flags, std::uint32_t width, std::uint32_t height, std::uint32_t format);
  // Recomputes the UV rectangles for the first page's real size (when not 256 x 256).
  void RecomputeUVs();
  // Index of the first sprite with the name (case-sensitive); -1 when none.
  int FindSprite(const char* name) const;
  // Binds the sprite's page (palette and stage 0).
  void BindPage(int sprite);

  void SetTint(float r, float g, float b, float a);
  // Sets the colour (push 1 saves the current draw colour first).
  void SetColour(std::uint32_t argb, int push);
  void PopColour();
  // Replaces the alpha of the draw colour (the tint is applied once more).
  void SetAlpha(int alpha);
  // Forwards to the render object; answers the previous mode.
  int SetBlendMode(int mode);
  void SetOffset(float x, float y, float z);
  void SetScale(float percent);
  void SetScalePercent(float xPercent, float yPercent, std::uint32_t mode);
  void SetScaleFactors(float x, float y, std::uint32_t mode);

  int GetWidth(int sprite) const;
  int GetHeight(int sprite) const;
  float GetScaledWidth(int sprite) const;
  float GetScaledHeight(int sprite) const;
  int GetHotX(int sprite) const;
  int GetHotY(int sprite) const;
  float GetScaledHotX(int sprite) const;
  float GetScaledHotY(int sprite) const;
  int GetSpriteCount() const { return Header != nullptr ? Header->SpriteCount : 0; }

  // Screen-space draws; each answers 1 (sprites out of range draw nothing).
  int Draw(int sprite, int x, int y);
  int DrawSection(int sprite, int x, int y, float f0, float f1, float f2, float f3);
  int DrawSectionStretched(int sprite, int x1, int y1, int x2, int y2, float f0, float f1, float f2, float f3);
  int DrawStretched(int sprite, int x1, int y1, int x2, int y2);
  int DrawToRectMirrored(int sprite, float x1, float y1, float x2, float y2, int mode);
  int DrawToRectRotated(int sprite, float x1, float y1, float x2, float y2, int mode);
  // The sprite's corners turned by degrees about the drawing position as
  // RotatePoints2D turns points (90 degrees: its right edge points up).
  int DrawRotated(int sprite, int x, int y, float degrees);
  // Fills the rectangle with copies of the sprite in rows and columns, the last
  // ones cut; mode 0-3 arranges each copy as DrawToRectMirrored does.
  int DrawTiled(int sprite, int x1, int y1, int x2, int y2, int mode);
  int DrawPulsing(int sprite, int x, int y);
  // Camera-facing quads in the world.
  int DrawBillboard(int sprite, const CVector3& position, float sizePercent);
  int DrawBillboardRect(int sprite, const CVector3& position, float width, float height, float left, float top);
  // As DrawBillboard, the local corners turned by degrees as RotatePoints2D
  // turns points (y up in the facing plane).
  int DrawBillboardRotated(int sprite, const CVector3& position, float degrees, float sizePercent);

  SpriteFileHeader* Header = nullptr;
  SpriteRecord* Sprites = nullptr;
  SpriteUV* SpriteUVs = nullptr;
  CTexture** Pages = nullptr;
  std::uint32_t OffsetOn = 0;
  float OffsetX = 0.0f, OffsetY = 0.0f, OffsetZ = 0.0f;
  std::uint32_t ScaleMode = 0;
  float XScale = 1.0f, YScale = 1.0f;
  float Tint[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  std::uint32_t Colour = 0xFFFFFFFF;
  std::uint32_t DrawColour = 0xFFFFFFFF;
  std::uint32_t SavedColour = 0xFFFFFFFF;
  std::uint32_t Unused = 0xFF000000;
  std::uint32_t PushCount = 0;

  static CRender* s_Render;
  static CCamera* s_Camera;
  static CTextureManager* s_Textures;
  // The game clock that pulsing and the text cursor follow (null: time stands at 0).
  static const CTimer* s_GameTimer;

 private:
  bool Valid(int sprite) const { return Sprites != nullptr && sprite >= 0 && sprite < GetSpriteCount(); }
  // Relative quad of a sprite with offset and extent scaling, and the drawing position.
  void PlacedQuad(int sprite, int x, int y, float* left, float* top, float* right, float* bottom, float* px,
                  float* py) const;
  void DrawMirroredQuad(int sprite, float x1, float y1, float x2, float y2, const SpriteUV& uv, int mode);
  void DrawQuad(int sprite, const float xs[4], const float ys[4], const float us[4], const float vs[4]);
  void DrawBillboardCorners(int sprite, const CVector3& position, const float xs[4], const float ys[4], float z);
  std::uint32_t Tinted(std::uint32_t argb) const;
};

// Pixel to texture coordinate for a page of the size (both 256 at load).
float SpritePixelToU(float p, float size);
