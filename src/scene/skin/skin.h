// A skinned mesh (`CSkin`): the mesh of a skinned node of an object template,
// whose vertices follow the bones of the skeleton.  Every frame the animated
// object poses it: the skin is deformed on the processor into the next of
// its two vertex buffers (each vertex = the weighted sum of its influences'
// positions carried by their bones' model matrices; the normal comes from
// the first influence alone) and drawn from there with one indexed call.
// Without a started render device (tools, tests) the two buffers live in
// system memory.  Also keeps the shadow faces and the vertex colours that
// skin marks tint.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d8/d3d8.h"
#include "render/geometry/matrix.h"
#include "render/geometry/render_vertex.h"
#include "render/geometry/tangent_frames.h"
#include "scene/skin/skin_chunk.h"
#include "scene/skin/skin_marks.h"

class ByteReader;
class ByteWriter;
class CColour;
class CLinearBuffer;
class CMaterialList;
class CRender;
class CTexture;
class CTextureManager;
class DepthSortQueue;

inline constexpr DWORD kSkinVertexFormat = 0x152;  // XYZ | NORMAL | DIFFUSE | TEX1
inline constexpr DWORD kSkinVertexStride = 36;

// What CSkin::Build makes a skin from: per vertex its influence list, and the
// triangles as a list of vertex indices.
struct SkinSource {
  std::int32_t TextureId = 0;
  std::int32_t MaterialId = 0;
  std::vector<std::vector<SkinInfluence>> Vertices;
  std::vector<std::uint16_t> ListIndices;
  bool ShadowFaces = true;  // build the shadow face table
};

// Lights that touch a skin for the per-pixel path: up to three light-table
// indices (ended by 255) with a weight each.
struct SkinLightSet {
  std::uint8_t Lights[4] = {255, 255, 255, 255};
  float Weights[3] = {};
  CTexture* LightTexture = nullptr;  // stage 2 of the per-pixel path
};
// The light set the next skin draws take (the light selection sets it).
void SetSkinLightSet(const SkinLightSet& set);
const SkinLightSet& GetSkinLightSet();

// The per-pixel path's choice for a light set (see ChooseSkinShader).
struct SkinShaderChoice {
  int MainLight = -1;          // light-table index of the main light, -1 for none
  float Dominance = 1.0f;      // sin((1 - 1 / r) x pi / 2), 1 with one light
  int ShaderOffset = 0;        // row offset + main-light offset
  int Row = 0;                 // c, the two-bit code of the other lights
  int OtherLights[2] = {-1, -1};
  int Slots[2] = {-1, -1};     // light slot of the first and second other light (-1 not used)
};

class CSkin {
 public:
  // Clears every field (no data, no buffers, strip flag 0, shader form 0,
  // reflection off with first value 0 and second value 0.5); keeps the
  // engine modules stored by earlier constructions.
  CSkin();
  // The same, storing the five engine modules for every later skin.
  CSkin(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* queueAllocator,
        DepthSortQueue* queue);
  ~CSkin();
  CSkin(const CSkin&) = delete;
  CSkin& operator=(const CSkin&) = delete;

  // --- Loading, writing, building -------------------------------------------

  // Reads a "SKIN" chunk, resolves texture and material, makes the buffers
  // and fills both vertex buffers from the first influences.  False for a
  // damaged chunk (see ReadSkinChunk) or a buffer the device refuses; the
  // skin is empty after a failure.
  bool Read(ByteReader& in);
  // Writes the same chunk.
  void Write(ByteWriter& out) const;
  // Makes the skin from influence lists and a triangle list: shadow faces
  // (BuildSkinShadowFaces: neighbours across edges whose ends coincide,
  // planes from the first influences' positions), one stitched strip with the vertices renumbered in strip
  // order (vertices no triangle uses follow in their old order), then the
  // buffers.  False for an index beyond the vertices, a vertex without
  // influences, a triangle count the stripifier refuses or a refused buffer.
  bool Build(const SkinSource& source);
  // Frees the data, the buffers and the tangent frames; the skin is empty.
  void Free();
  // Whether every influence names a bone below boneCount.
  bool BonesWithin(std::size_t boneCount) const;

  // --- Posing ------------------------------------------------------------------

  // Deforms the skin into its next vertex buffer, which becomes current.
  // boneMatrices holds one model matrix (bone space -> object space, row
  // vectors) per entry of the node's bone table; a bone at or beyond
  // boneCount counts as the identity.  With one influence:
  //   p = M[b] p_b, n = R[b] n_b (the 3x3 part);
  // with several: p = sum_k w_k M[b_k] p_k, n = R[b_0] n_0.
  // Colours become white; texture coordinates stay.  With the hardware
  // switch on and the shader form built, the tangent frames are carried by
  // the first bone too.
  void Deform(const CMatrix* boneMatrices, int boneCount);
  // CSkin::Render: the bone matrices of the bone table are taken from the
  // animated object's model matrices (boneNodes[i] = index into
  // modelMatrices of bone i, -1 unresolved), then Deform; the shadow volume
  // is left to the shadow code's hook (built only when a light position is
  // given, shadow is non-zero and skin shadows are on).
  void Render(const CMatrix* modelMatrices, int modelCount, const std::vector<std::int32_t>& boneNodes,
              const CVector3* lightPosition, int shadow);
  // The skin's own table of bone nodes (bound by SkinBindBones).
  std::vector<std::int32_t> BoneNodes;

  // --- Drawing -----------------------------------------------------------------

  // Draws the current vertex buffer with the override's texture or the
  // skin's: the per-pixel path when it can, else fixed function (depth
  // writes, blend mode 1, lighting, the material, stage 0 texture, one
  // indexed list or strip).  Nothing without a render object or data.
  void Draw(CTexture* textureOverride);
  // The per-pixel path (shader form, hardware switch and shader versions).
  void DrawShaded(CTexture* textureOverride, const SkinLightSet& lights);
  // Builds the tangent frames and their two buffers from the current vertex
  // buffer: only with vertex shaders 1.0 (12 constants) and pixel shaders 1.0
  // and when the form does not exist yet.  Answers 1 when built.
  int BuildTangentSpace(CTexture* bumpTexture);
  void SetEnvironmentMap(int enable, float value0, float value1);

  // --- Skin marks (colours are 0..1 floats) -------------------------------------

  // Tints every vertex within radius of point (object space): t = 1 - d^2 / r^2,
  // tint = white + (colour - white) t; an entry already in the list takes
  // entry colour x tint, a new one the vertex's colour x tint (alpha kept),
  // written at the list's next slot (oldest overwritten once full).
  void AddSkinMark(const CColour& colour, const CVector3& point, float radius, SkinMarkList* marks);
  // Writes each entry's colour into its vertex of the current buffer.
  void ApplySkinMarks(const SkinMarkList& marks);
  // Writes white into each entry's vertex.
  void ClearSkinMarks(const SkinMarkList& marks);
  // Tints the vertices around point straight in the current buffer.
  void MarkAroundPoint(const CColour& colour, const CVector3& point, float radius);
  // The same around a vertex chosen by the random table; nothing without vertices.
  void MarkRandomVertex(const CColour& colour, float radius);
  // All vertex colours white, or the given ARGB colour.
  void ResetColours();
  void SetColour(std::uint32_t argb);

  // --- Queries -----------------------------------------------------------------

  // 1 when every vertex's u and v lie within [low, high].
  int UVInRange(float low, float high) const;
  int TriangleCount() const { return Data.ListIndexCount / 3; }
  int VertexCount() const { return Data.VertexCount; }
  const std::vector<TangentFrame>& TangentFrames() const { return m_Tangents; }
  // The vertices of the current buffer (locked device buffer or system
  // memory); null without vertices.  Unlock after use.
  RenderVertex* LockCurrent();
  void UnlockCurrent();
  int CurrentBuffer() const { return m_Current; }
  bool UsesDeviceBuffers() const { return m_Device; }
  IDirect3DVertexBuffer8* VertexBuffer(int i) const { return m_VertexBuffers[i]; }
  IDirect3DIndexBuffer8* DrawIndexBuffer() const { return m_DrawIndices; }
  IDirect3DIndexBuffer8* ListIndexBuffer() const { return m_ListIndices; }

  // --- Fields ------------------------------------------------------------------

  SkinData Data;
  std::int32_t StripFlag = 0;
  std::int32_t ShaderForm = 0;
  CTexture* BumpTexture = nullptr;
  std::int32_t ReflectionOn = 0;
  float ReflectionValues[2] = {0.0f, 0.5f};

 private:
  void Reset();
  void ResolveTextureAndMaterial();
  bool MakeBuffers();
  void FillVertexBuffer(RenderVertex* out) const;
  RenderVertex* LockBuffer(int i);
  void UnlockBuffer(int i);
  void DeformTangents(const CMatrix* boneMatrices, int boneCount);
  void Tint(const CColour& colour, const CVector3& point, float radius, SkinMarkList* marks);

  bool m_Device = false;
  int m_Current = 0;
  IDirect3DVertexBuffer8* m_VertexBuffers[2] = {};
  IDirect3DVertexBuffer8* m_TangentBuffers[2] = {};
  IDirect3DIndexBuffer8* m_DrawIndices = nullptr;
  IDirect3DIndexBuffer8* m_ListIndices = nullptr;
  std::vector<RenderVertex> m_Memory[2];  // the two buffers without a device
  std::vector<TangentFrame> m_Tangents;
  std::vector<CMatrix> m_PoseScratch;
};

// The global switches of skinned drawing: the hardware switch (per-pixel
// path and tangent deformation, initially on) and skin shadows (initially on).
void SetSkinHardwareSwitch(bool on);
bool GetSkinHardwareSwitch();
void SetSkinShadows(bool on);
bool GetSkinShadows();
// The vertex cache size the stripifier is set to: the render device's, 16 without one.
int SkinVertexCacheSize();
// The render object the skins were made with (null: none).
CRender* SkinRender();
// The shadow code's builder of a skin's shadow volume (null: none).
using SkinShadowBuilder = void (*)(CSkin* skin, const CVector3& lightPosition);
void SetSkinShadowBuilder(SkinShadowBuilder builder);

// The per-pixel path's shader choice: the main light is the brightest (mean
// of its diffuse r, g, b times its weight); the other lights, taken from the
// last list entry towards the first, give two bits each (directional 1,
// point 2, spot 3) that pick a row of the light-slot table.
// lights[i] is the light of table index i (null: not a light).
SkinShaderChoice ChooseSkinShader(const SkinLightSet& set, const D3DLIGHT8* const* lights, int lightCount);
// The table behind it: row offset and the slots of the first and second other light.
struct SkinLightRow {
  int Offset;
  int FirstSlot;
  int SecondSlot;
};
const SkinLightRow& SkinLightSlotRow(int c);
