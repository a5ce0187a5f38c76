// One part of a static mesh: the triangles of a mesh that share one texture
// and one material, as 36-byte vertices (format 0x152) and 16-bit indices, in
// device buffers when the render object's hardware switch is on, else in
// system memory.  Parts are read from the mesh sections of object files or
// built at run time from single triangles (welded, then stitched into one
// strip).  Also holds the per-part parameters of the bump, reflection and
// detail passes.  Main thread only: the builder's scratch arrays are shared,
// so one part is built at a time.
#pragma once

#include <cstdint>

#include "platform/d3d8/d3d8.h"
#include "render/geometry/render_vertex.h"

class ByteReader;
class ByteWriter;
class CLinearBuffer;
class CMaterial;
class CMaterialList;
class CRender;
class CTexture;
class CTextureManager;
class DepthSortQueue;

// Mesh part flags.
enum MeshPartFlags : std::uint32_t {
  MESHPART_ALWAYS_QUEUED = 0x4,   // always drawn through the transparent queue
  MESHPART_NEVER_QUEUED = 0x400,  // never put into the transparent queue
  MESHPART_CUT_OUT = 0x800,       // cut-out texture (alpha-tested)
};

inline constexpr DWORD kMeshVertexFormat = 0x152;  // 338: position, normal, diffuse, one texture pair
inline constexpr DWORD kMeshVertexStride = 36;
// The builder's shared scratch: 24576 indices and 655360 bytes of vertices.
inline constexpr int kMeshScratchIndices = 24576;
inline constexpr int kMeshScratchVertices = 655360 / 36;  // 18204
// Most vertices one part can hold: what 16-bit indices reach.
inline constexpr std::uint32_t kMeshPartMaxVertices = 65536;
// Default effect parameters of a part.
inline constexpr float kDefaultReflectStrength = 0.5f;
inline constexpr float kDefaultDetailStrength = 0.5f;
inline constexpr std::uint32_t kDefaultDetailBlendMode = 19;
// Bytes of a shadow face record (the face table belongs to the shadow code).
inline constexpr std::uint32_t kMeshFaceRecordSize = 12;

// The five engine modules a mesh works with; the constructors of both mesh
// classes store the ones they are given here, for every mesh made after.
struct MeshEngine {
  CRender* Render = nullptr;
  CTextureManager* Textures = nullptr;
  CMaterialList* Materials = nullptr;
  CLinearBuffer* QueueAllocator = nullptr;
  DepthSortQueue* Queue = nullptr;
};

class CVertexBuffer {
 public:
  // Zeroes the part (default effect parameters, memory bytes = record size);
  // keeps the engine modules stored by earlier constructions.
  CVertexBuffer();
  // The same, storing the five modules for every later part.
  CVertexBuffer(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* queueAllocator,
                DepthSortQueue* queue);
  // Frees what the part holds.
  ~CVertexBuffer();
  CVertexBuffer(const CVertexBuffer&) = delete;
  CVertexBuffer& operator=(const CVertexBuffer&) = delete;

  // The modules the last constructor stored.
  static const MeshEngine& Engine();
  // Forgets the stored modules (the engine shuts down and frees them).
  static void ForgetEngine();

  // --- Loading --------------------------------------------------------------

  // Reads one part record (its own version decides the layout; the object
  // file's version is not used).  Every count is checked against the bytes
  // that remain and every index against the vertex count before anything is
  // allocated: false, with the part left empty, for a short or damaged record.
  bool Load(ByteReader& in, std::uint32_t objectFileVersion);
  // Releases the device buffers and frees every array; the part is empty after.
  void Free();

  // --- Building at run time --------------------------------------------------

  // Index of an equal vertex already added (welding), else the vertex is
  // appended to the shared scratch and its new index answered.  With
  // CountOnly set it only counts.  -1 when the scratch is full.
  int AddVertex(const RenderVertex& v);
  // Appends to the shared index scratch; false when it is full.
  bool PushIndex(std::uint16_t index);
  void EndTriangle() {}
  // Turns the scratch into the part's buffers: a triangle list, or with
  // stripify one stitched strip plus the list rebuilt from it without its
  // degenerate triangles.  Clears the scratch.  False when a buffer cannot be made.
  bool Finish(bool stripify);

  // --- Effects ---------------------------------------------------------------

  // Makes the tangent stream of the bump pass.  False, with nothing changed,
  // without hardware buffers, without vertex shader 1.0 with 12 constants and
  // pixel shader 1.0, or when the part already has a tangent buffer; false
  // too (bumpOn left 0) when the tangent frames cannot be made.
  bool PrepareBump(CTexture* bumpTexture);
  void SetPartParams(CTexture* reflectTexture, float strength);
  void SetDetailParams(CTexture* texture, std::uint32_t blendMode, float strength, float scaleU, float scaleV);
  // True when hardware buffers are on and the device has the shader versions of the bump pass.
  bool SupportsBump() const;

  // --- Drawing (the mesh draw paths) ------------------------------------------

  // Draws the part now or puts it into the transparent queue: tinted kinds
  // that blend, parts flagged 0x4 and parts whose texture has alpha are
  // queued.  textureOverride (or null) replaces the part's texture.
  void Draw(CTexture* textureOverride, const struct MeshDrawParams* params);
  // Makes a mesh item of the part in the transparent queue at the distance
  // of the current world matrix; nothing with flag 0x400, when counting, or
  // when the queue is full.
  void QueueTransparent(CTexture* textureOverride, const struct MeshDrawParams* params);
  // The direct draw (also the queue's draw of a mesh item): fixed function
  // with an optional second stage, or the bump or shader reflection path.
  void DrawDirect(CTexture* textureOverride, const struct MeshDrawParams* params);
  // The shader paths (vertex shader 1.x; the bump path also pixel shader 1.x).
  void DrawReflective(CTexture* textureOverride, const struct MeshDrawParams* params);
  void DrawReflectiveTinted(CTexture* textureOverride, const struct MeshDrawParams* params);
  // False, having drawn nothing, without shader lists, a texture, a tangent
  // buffer or a light in the per-pixel light selection.
  bool DrawBumped(CTexture* textureOverride, const struct MeshDrawParams* params);

  // --- Access ------------------------------------------------------------------

  // The vertices (device buffer locked, or system memory); null when there are none.
  RenderVertex* LockVertices();
  void UnlockVertices();
  // The list indices (device index buffer locked when the part is a list on
  // hardware buffers, else system memory); null when there are none.
  std::uint16_t* LockIndices();
  void UnlockIndices();

  // Address modes of records before version 3: an axis whose floor values
  // agree on every vertex clamps, else wraps; a non-zero least floor is
  // taken off that coordinate.
  void NormaliseTexCoords();

  // Whether the part is transparent: its texture has alpha, or flag 0x4.
  bool IsTransparent() const;
  // Whether every texture coordinate lies within [low, high].
  bool TexCoordsWithin(float low, float high) const;

  // Writers for the tools: the "FACE" sub-chunk (count and the shadow face
  // records, count 0 without a face table) and the always empty "VSTP" one.
  void WriteFaces(ByteWriter& out) const;
  void WriteStrips(ByteWriter& out) const;

  // --- Fields, in record order -------------------------------------------------

  CVertexBuffer* Next = nullptr;
  std::uint32_t Version = 0;
  std::uint32_t CountOnly = 0;
  std::uint32_t Flags = 0;
  std::uint32_t MaterialId = 0;
  CMaterial* Material = nullptr;
  std::uint32_t TextureId = 0;
  CTexture* Texture = nullptr;
  std::uint32_t ClampU = 0, ClampV = 0;
  std::uint32_t PrimitiveCount = 0;
  std::uint16_t* ListIndices = nullptr;
  RenderVertex* Vertices = nullptr;
  std::uint32_t IsStrip = 0;
  std::uint16_t* StripIndices = nullptr;
  std::uint32_t StripIndexCount = 0;
  std::uint32_t Marked = 0;
  std::uint32_t BumpOn = 0;
  CTexture* BumpTexture = nullptr;
  float ReflectStrength = kDefaultReflectStrength;
  CTexture* ReflectTexture = nullptr;
  float DetailScaleU = 0.0f, DetailScaleV = 0.0f;
  float DetailStrength = kDefaultDetailStrength;
  std::uint32_t DetailBlendMode = kDefaultDetailBlendMode;
  CTexture* DetailTexture = nullptr;
  IDirect3DVertexBuffer8* TangentBuffer = nullptr;
  IDirect3DVertexBuffer8* VertexBuffer = nullptr;
  std::uint32_t ShadowFields[4] = {};  // owned by the shadow code
  std::uint8_t* Faces = nullptr;       // shadow face table, 12 bytes a triangle, owned by the shadow code
  void* ShadowData = nullptr;          // second shadow table, owned by the shadow code
  std::uint32_t ListIndexCount = 0;
  std::uint32_t VertexCount = 0;
  IDirect3DIndexBuffer8* IndexBuffer = nullptr;
  std::uint32_t MemoryBytes = sizeof(CVertexBuffer);

 private:
  void Reset();
  bool UsesDeviceBuffers() const;
  bool MakeVertexStore(const RenderVertex* source, std::uint32_t count);
  bool MakeIndexBuffer(const std::uint16_t* source, std::uint32_t count);
  void ResolveTextureAndMaterial();
};

// Release counts of device buffers and system arrays freed by parts (statistics).
std::uint32_t MeshPartDeviceReleases();
std::uint32_t MeshPartArrayReleases();
