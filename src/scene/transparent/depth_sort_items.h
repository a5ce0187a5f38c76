// The items of the transparent queue: each begins with its kind and the next
// item of its bucket; the rest depends on the kind.  Items live in the
// queue's frame block until the next clear; a producer never keeps one
// across frames.  Positions in world units, colours ARGB, blend modes as
// CRender::SetBlendMode numbers.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "scene/mesh/mesh_draw_params.h"

class CMaterial;
class CSpriteRender;
class CTexture;
class CVertexBuffer;
class CVertexAnimMesh;

enum DepthSortKind : std::uint32_t {
  DSK_GLOW_SPRITE = 0,
  DSK_BILLBOARD = 1,
  DSK_ROTATED_BILLBOARD = 2,
  DSK_FLAT_POLYGON = 5,
  DSK_MESH = 7,
  DSK_TRAIL_POINT = 8,
  DSK_SHRUB_BATCH = 9,
  DSK_SHADOW_VOLUME = 10,
  DSK_VERTEX_ANIM = 11,
};

struct DepthSortItem {
  std::uint32_t Kind;
  DepthSortItem* Next;
};

// The lights a mesh item selects before it is drawn (the instance's at queue time).
struct DepthSortLights {
  std::uint8_t Count;
  std::uint8_t Index[8];
};

// The renderer's per-pixel light selection: up to three light indices (255
// ends the list) and the light's attenuation texture.
struct PixelLightSelection {
  std::uint8_t Lights[4] = {255, 255, 255, 255};
  CTexture* Texture = nullptr;
};

struct GlowSpriteItem : DepthSortItem {
  CSpriteRender* Sheet;
  std::int32_t Frame;
  std::int32_t BlendMode;
  CVector3 Position;
  float Radius;
  std::uint32_t Colour;
};

struct BillboardItem : DepthSortItem {
  CSpriteRender* Sheet;
  std::int32_t Frame;
  std::int32_t BlendMode;
  CVector3 Position;
  float SizePercent;
  std::uint32_t Colour;
};

struct RotatedBillboardItem : DepthSortItem {
  CSpriteRender* Sheet;
  std::int32_t Frame;
  std::int32_t BlendMode;
  CVector3 Position;
  float Angle;  // degrees
  float SizePercent;
  std::uint32_t Colour;
};

// A convex polygon: its vertex count and that many positions (world space).
struct FlatPolygon {
  std::int32_t Count;
  const CVector3* Points;
};

struct FlatPolygonItem : DepthSortItem {
  std::int32_t BlendMode;
  const FlatPolygon* Polygon;
  const CMaterial* Material;
  const CTexture* Texture;  // or null
  std::uint32_t Colour;
  std::uint32_t CullMode;
};

// Mesh item flags.
constexpr std::uint32_t kMeshItemHasParams = 0x1;  // pass the inline draw parameters
constexpr std::uint32_t kMeshItemQueued = 0x2;

struct MeshPartItem : DepthSortItem {
  CMatrix World;                  // the world matrix current when queued
  CVertexBuffer* Part;
  CTexture* TextureOverride;
  std::uint32_t Flags;            // kMeshItemQueued, | kMeshItemHasParams
  MeshDrawParams Params;          // zeroes when none were given
  DepthSortLights Lights;
  PixelLightSelection* PixelLight;  // copy from the same block, or null
};

// One point of a trail strip, linked to the next point of its strip.
constexpr std::uint32_t kTrailAdditive = 0x1;
constexpr std::uint32_t kTrailFarPlane = 0x2;

struct TrailPointItem : DepthSortItem {
  std::uint32_t Flags;
  std::uint32_t Colour;
  CVector3 Position;   // world position, then screen x, y (0..2) and depth
  float HalfWidth;     // then the reciprocal depth
  float OffsetX, OffsetY;
  TrailPointItem* NextPoint;
};

struct ShrubBatchItem : DepthSortItem {
  void* Shrub;
  DepthSortLights Lights;  // none: the fixed light
  float Fade;              // 0..1
};

struct ShadowVolumeItem : DepthSortItem {
  CMatrix World;
  CVertexBuffer* Part;
  CVector3 LightPosition;
};

// A vertex-animated mesh, drawn by the queue at its frame with the texture
// override (the mesh's own texture when null).
struct VertexAnimItem : DepthSortItem {
  CMatrix World;                 // the world matrix current when queued
  CVertexAnimMesh* Mesh;
  CTexture* TextureOverride;     // the mesh draw argument
  float Frame;
  std::int32_t Argument;
  DepthSortLights Lights;
};
