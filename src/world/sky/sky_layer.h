// One cloud layer of the sky: an 8 x 8 grid of vertices bent into a dome
// around the camera and drawn as one triangle strip, its texture scrolling
// with the layer's speed.  The sky owns two.  Main thread only.
//
// Frame: world units, y up; the grid lies in the x-z plane around the
// origin and is drawn around the camera.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

class CRender;
class CTexture;
struct SkyLayerSettings;

// A dome vertex (format 0x142): position, packed colour, one texture pair; 24 bytes.
struct SkyVertex {
  float x, y, z;
  DWORD Colour;
  float u, v;
};
constexpr DWORD kSkyVertexFormat = 0x142;
constexpr int kSkyGridSide = 8;
constexpr int kSkyLayerVertices = kSkyGridSide * kSkyGridSide;  // 64
// One strip over the 7 x 7 cells, row by row: 16 indices a row and two
// repeated indices joining each row to the next.
constexpr int kSkyLayerIndices = 124;

class CSkyLayer {
 public:
  CSkyLayer() = default;
  CSkyLayer(const CSkyLayer&) = delete;
  CSkyLayer& operator=(const CSkyLayer&) = delete;

  // Builds the dome for the fog stop d (world units) and a scale:
  //   radius (half size) = (0.5 d + 4 d) x scale;
  //   grid x, z = -3.5 d .. 3.5 d in steps of d, stored as x scale, z scale;
  //   y = sin((1 - c curvature) pi / 2) height, c = (sqrt(x^2 + z^2) + 0.5 d) / 4 d
  //       held to 0..1 (unscaled x and z; c = 0 when d is not above 0);
  //   u = column x tile / 8, v = row x tile / 8; colours white.
  // The scroll offset starts again at 0.
  void Set(CTexture* texture, const SkyLayerSettings& settings, float scale, float d);
  // Moves the scroll offset by speed x seconds and lays the texture
  // coordinates again from the fractional parts of its x (u) and z (v).
  void Scroll(float seconds);
  // The blend mode the layer is drawn with: 1 for a texture with alpha, else 3.
  int BlendMode() const;
  // Draws the grid as one strip (world, projection and fog are the caller's).
  void Draw(CRender* render) const;
  bool IsBuilt() const { return VertexCount != 0; }

  CTexture* Texture = nullptr;
  float TileFactor = 0.0f;
  std::int32_t FixedY = 0;
  float Speed[3] = {};
  float Offset[3] = {};
  float Curvature = 0.0f;
  float Height = 0.0f;
  float HalfSize = 0.0f;
  int VertexCount = 0;
  int IndexCount = 0;
  SkyVertex Vertices[kSkyLayerVertices] = {};
  std::uint16_t Indices[kSkyLayerIndices] = {};
};
