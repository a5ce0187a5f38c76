// Shared state of the mesh draw paths (CVertexBuffer::Draw and its
// neighbours, in mesh_draw.cpp and mesh_draw_shaders.cpp): the three effect
// switches, the per-pixel light selection of the bump path, the shadow
// light, the view's reflection matrices, and the hook set that makes these
// paths the environment's mesh draws.  Main thread only.
#pragma once

#include <cstdint>

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

struct PixelLightSelection;

// Effect switches, on at start; the renderer copies them from its effect
// flags (bit 0 detail, bit 1 reflection, bit 2 bump).
extern bool g_MeshDetailSwitch;
extern bool g_MeshReflectionSwitch;
extern bool g_MeshBumpSwitch;
void SetMeshEffectSwitches(std::uint32_t effectFlags);

// The renderer's current per-pixel light selection (bump path), or null.
extern PixelLightSelection* g_PixelLightSelection;
// Position of the shadow-casting light that queued shadows carry.
extern CVector3 g_ShadowLightPosition;
// The reflection matrices the game's view set-up publishes once a frame:
// [0] the inverse view rotation (cube maps), [1] the same scaled by -1
// (sphere maps).  Null entries are computed from the current view.
extern const CMatrix* g_MeshReflectionMatrices[2];

// Most list indices a part may have and still cast a queued shadow.
constexpr std::uint32_t kMeshShadowMaxIndices = 300;
// The transparent-queue bucket of queued shadows.
constexpr std::uint32_t kMeshShadowBucket = 10;
// Alpha references of the direct draw.
constexpr std::uint32_t kMeshAlphaRef = 16;
constexpr std::uint32_t kMeshCutOutAlphaRef = 1;
// Vertex shaders of the shader list used by the reflection paths.
constexpr int kReflectShader = 4;
constexpr int kReflectTintShader = 5;
constexpr int kReflectTintLitShader = 6;

// Makes these paths the environment's mesh draws (SetEnvDrawHooks): plain
// meshes draw through CVBufferObject::Draw (texture override by id,
// drawData as MeshDrawParams), vertex-animated templates through
// VertexAnimDrawFrame, and shadow templates queue their shadows.
void InstallMeshDrawHooks();

// Index in the vertex shader list of the bump path's shader for a per-pixel
// light of `pixelType` and per-vertex lights of the given types (D3DLIGHT8
// numbering; 0 ends the list, at most two): the dot-3 variant base plus
// 1 / 11 / 21 for a directional / point / spot per-pixel light plus the
// per-vertex combination (none, d, s, p, dd, ds, dp, ss, sp, pp).
int BumpShaderIndex(int variantBase, int pixelType, const int vertexTypes[2]);
