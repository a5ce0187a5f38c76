// A 24-bit BMP picture shown over the whole render target (splash, loading and
// slide screens).  The picture is cut into tiles of at most 256 x 256 pixels,
// each an R5G6B5 texture of power-of-two size in the given texture library;
// drawing scales the tiles to the target.  Main thread only.
#pragma once

#include <cstdint>

class CBmpHandler;
class CCamera;
class CLinearBuffer;
class CRender;
class CTexture;
class CTextureManager;

inline constexpr int kFullScreenMaxTiles = 15;
inline constexpr int kFullScreenTileSize = 256;

struct FullScreenTile {
  CTexture* Texture;
  float X1, Y1;  // first pixel
  float X2, Y2;  // last pixel, inclusive
  float U1, V1, U2, V2;
};

class CFullScreenImage {
 public:
  // No file name, no bitmap, no tiles.
  CFullScreenImage(CRender* render, CCamera* camera, CTextureManager* textures);
  // Frees the file name only: Release the tiles first.
  ~CFullScreenImage();
  CFullScreenImage(const CFullScreenImage&) = delete;
  CFullScreenImage& operator=(const CFullScreenImage&) = delete;

  // Loads the picture (name null: the stored one) and makes its tiles, using
  // the scratch buffer (may be null) for the tile images.  ".png" names load
  // nothing and answer 1.  0 after an error box when the file cannot be read,
  // is not 24-bit or needs more than 15 tiles; earlier tiles stay.
  int Load(const char* name, CLinearBuffer* buffer);
  // Draws the tiles over the render target with the alpha (255 opaque).
  void Draw(int alpha);
  // Removes every tile texture from the texture library.
  void Release();
  bool HasTiles() const { return TileCount > 0; }

  CRender* Render;
  CCamera* Camera;
  CTextureManager* Textures;
  char* FileName = nullptr;
  CBmpHandler* Bitmap = nullptr;
  std::uint32_t Kind = 0;
  std::uint32_t Bytes24 = 0;
  std::uint32_t Bytes16 = 0;
  std::int32_t PictureWidth = 0;
  std::int32_t PictureHeight = 0;
  FullScreenTile Tiles[kFullScreenMaxTiles] = {};
  std::uint32_t TileCount = 0;

 private:
  void MakeTiles(CLinearBuffer* buffer);
  void MakeTile(int x1, int y1, int x2, int y2, CLinearBuffer* buffer);
};
