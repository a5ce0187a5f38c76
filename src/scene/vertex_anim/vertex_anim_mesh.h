// One mesh of a vertex-animated object: the triangles of one texture,
// material and flag combination, with a stored position and normal of every
// vertex for each frame.  At draw time the mesh is interpolated between two
// frames on the processor into its work vertices and drawn from memory.
// Stored in object files as a "VLST" record of a "VAOB" chunk.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/render_vertex.h"
#include "render/geometry/vector3.h"

class ByteReader;
class ByteWriter;
class CMaterial;
class CTexture;

// Mesh flags.
enum VertexAnimFlags : std::uint32_t {
  VAMESH_ALWAYS_QUEUED = 0x4,      // always drawn through the transparent queue
  VAMESH_IGNORED_IN_MERGE = 0x40,  // ignored when polygons are grouped into meshes
  VAMESH_EXCLUDED = 0x400,         // not written, not drawn, not queued
};

inline constexpr std::uint32_t kVertexAnimRecordVersion = 3;
inline constexpr std::int32_t kVertexAnimMaxVertices = 65536;

// Position and normal of one vertex in one frame after the base frame (24 bytes in the file).
struct VertexAnimPose {
  CVector3 Position{};
  CVector3 Normal{};
};

class CVertexAnimMesh {
 public:
  CVertexAnimMesh() = default;
  CVertexAnimMesh(const CVertexAnimMesh&) = delete;
  CVertexAnimMesh& operator=(const CVertexAnimMesh&) = delete;

  // Reads one "VLST" record (versions 1 to 3; the tag is not compared).
  // chunkFrames is the chunk's frame count, which the record's must equal.
  // False, with the mesh left empty, for another version, a frame count of 0
  // or one that differs, a negative count, a list index count that is not a
  // multiple of 3, an index beyond the vertices or anything that runs past
  // the bytes.  Resolves texture and material (index 0 when absent) and fills
  // the work vertices from the base frame.
  bool Read(ByteReader& in, std::int32_t chunkFrames);
  // Writes the record as version 3 (with an empty "VASP" trailer).
  void Write(ByteWriter& out) const;

  // Interpolates the work vertices to frame f and draws them (Draw) or only
  // interpolates (Interpolate): k = floor(f) mod F, next = (k + 1) mod F,
  // t = f - floor(f); position and normal = frame k + (frame next - frame k) t,
  // frame 0 being the base frame; colour from the base frame; u and v from
  // the base frame plus the offsets.  Skipped when k and next are both 0 or f
  // is the frame last drawn, unless the offsets changed since.
  void Interpolate(float f);
  void Draw(float f, CTexture* textureOverride);
  // Hands the mesh to the transparent queue (the engine's, else the running
  // one): a kind-11 item with the current world matrix and active lights, in
  // the bucket of the world matrix's translation (the last bucket at most),
  // drawn later with Draw.  Excluded meshes are skipped (true).  False when
  // there is no queue or render device to queue with; a full frame block
  // drops the item (true).
  bool Queue(CTexture* textureOverride, float frame, int argument);
  void SetUVScroll(float u, float v);
  // 1 when the texture coordinates of every vertex of every frame lie within [low, high].
  int UVInRange(float low, float high) const;
  // Whether the texture (the override when given) has alpha.
  bool IsTransparent(const CTexture* textureOverride) const;
  // The position and normal of vertex v in frame k (0 = base frame).
  CVector3 FramePosition(std::int32_t k, std::int32_t v) const;
  CVector3 FrameNormal(std::int32_t k, std::int32_t v) const;
  // Resolves the ids through the vertex-animation engine's libraries.
  void ResolveTextureAndMaterial();
  // Stitches the list indices into one strip (cache size from the render
  // device): strip flag 1.  False when the stripifier refuses the list.
  bool Stripify();

  CVertexAnimMesh* Next = nullptr;
  std::uint32_t Version = kVertexAnimRecordVersion;
  std::uint32_t Reserved = 0;
  std::uint32_t Flags = 0;
  std::uint32_t TextureId = 0;
  CTexture* Texture = nullptr;
  std::uint32_t MaterialId = 0;
  CMaterial* Material = nullptr;
  float UOffset = 0.0f, VOffset = 0.0f;
  std::int32_t FrameCount = 0;
  std::int32_t VertexCount = 0;
  std::int32_t StripFlag = 0;
  float LastFrameDrawn = -1.0f;
  std::vector<RenderVertex> BaseFrame;
  std::vector<VertexAnimPose> Frames;  // frames 1 .. F-1, VertexCount each
  std::vector<RenderVertex> Work;      // the vertices last interpolated
  std::int32_t StripIndexCount = 0;
  std::vector<std::uint16_t> StripIndices;
  std::int32_t ListIndexCount = 0;
  std::vector<std::uint16_t> ListIndices;

 private:
  bool ReadBody(ByteReader& in, std::int32_t chunkFrames);
  bool m_WorkDirty = true;  // the work vertices do not show the offsets yet
};
