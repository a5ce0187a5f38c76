// The draw parameters an instance passes to every mesh part it draws: a
// tinted blend kind, replacement geometry, parts kept from the detail pass,
// a queue bias and a depth bias.  Made by the caller for one draw; null
// means none.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"

class CTexture;

// Kinds whose part is drawn with the blend mode of that number and the
// colour as texture factor.
constexpr std::uint32_t kMeshDrawTintBlend = 24;     // queued when the colour's alpha is below 255
constexpr std::uint32_t kMeshDrawTintAdditive = 25;  // always queued

// Geometry drawn in place of the part, from its own device buffers.
struct MeshReplacementGeometry {
  std::uint32_t IsStrip = 0;
  std::uint32_t VertexCount = 0;
  std::uint32_t IndexCount = 0;
  IDirect3DVertexBuffer8* VertexBuffer = nullptr;
  IDirect3DIndexBuffer8* IndexBuffer = nullptr;
};

// Textures whose parts get no detail pass.
struct MeshTextureList {
  std::int32_t Count = 0;
  CTexture* const* Textures = nullptr;
};

// What the shader reflection paths read of an environment record: one
// vertex constant register and the matrix the camera position is turned by.
struct MeshReflectionRecord {
  float Constant[4] = {};
  float Matrix[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

struct MeshDrawParams {
  std::uint32_t Kind = 0;
  std::uint32_t Colour = 0xFFFFFFFF;  // ARGB texture factor of kinds 24 and 25
  const MeshReflectionRecord* Reflection = nullptr;
  const MeshReplacementGeometry* Geometry = nullptr;
  const MeshTextureList* Exclusions = nullptr;
  std::int16_t QueueBias = 0;  // added to the distance bucket when queued
  std::uint16_t ZBias = 0;     // depth bias for the draw when non-zero

  bool IsTint() const { return Kind == kMeshDrawTintBlend || Kind == kMeshDrawTintAdditive; }
};
