// A vertex-animated object (`CVertexAnim`, object type OTYPE_VERTEXANIM): its
// meshes, one per texture, material and flag combination, all sharing one
// frame count.  An environment instance plays it at a frame rate of its own;
// at draw time each mesh is interpolated between two frames and drawn at
// once, or handed to the transparent queue.  Stored in object files as a
// "VAOB" chunk of "VLST" records.  Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "render/geometry/render_vertex.h"
#include "scene/vertex_anim/vertex_anim_mesh.h"

class CEnvObject;
class CLinearBuffer;
class CMaterialList;
class CRender;
class CTextureManager;
class DepthSortQueue;

// One source polygon of the builder: its texture, material and flags, its
// points in the base frame and, for frames 1 .. F-1, each point's position
// and normal.  RenderCount counts the meshes that took it.
struct VertexAnimSourcePolygon {
  std::uint32_t TextureId = 0;
  std::uint32_t MaterialId = 0;
  std::uint32_t Flags = 0;
  std::vector<RenderVertex> Points;
  std::vector<std::vector<VertexAnimPose>> FramePoints;  // [frame - 1][point]
  int RenderCount = 0;
};

// One collision polygon of the base frame, for the BSP compiler of the tools.
struct VertexAnimCollisionPolygon {
  std::uint32_t Kind = 3;
  std::uint32_t TextureId = 0;
  std::uint32_t MaterialId = 0;
  std::uint32_t Flags = 0;
  RenderVertex Vertices[3]{};
  float Plane[4] = {};  // normal (right-hand rule over the vertex order) and -normal . first vertex
};

// The most a built mesh takes before the builder starts another.
inline constexpr std::uint32_t kVertexAnimBuildMaxIndices = 24576;
inline constexpr std::uint32_t kVertexAnimBuildMaxVertices = 8192;
inline constexpr int kVertexAnimBuildPolygonWarning = 512;

class CVertexAnim {
 public:
  // Keeps the engine modules stored by earlier constructions.
  CVertexAnim() = default;
  // Stores the five engine modules for every later object.
  CVertexAnim(CRender* render, CTextureManager* textures, CMaterialList* materials, CLinearBuffer* queueAllocator,
              DepthSortQueue* queue);
  ~CVertexAnim();
  CVertexAnim(const CVertexAnim&) = delete;
  CVertexAnim& operator=(const CVertexAnim&) = delete;

  // Reads a "VAOB" chunk (tag, mesh count, frame count, the records) and
  // appends the meshes in order.  False, with the object left empty, for a
  // wrong tag, a frame count below 1, a mesh count the bytes cannot hold or a
  // damaged record.
  bool Read(ByteReader& in);
  // Writes the chunk with every mesh whose flags lack 0x400.
  void Write(ByteWriter& out) const;
  // Draws every mesh at frame f: all queued when the override has alpha;
  // otherwise a mesh is drawn at once when its flag 0x4 is clear and its own
  // texture has no alpha, and queued else (CVertexAnimMesh::Queue, or the
  // queue hook when one is set).  Excluded meshes (0x400) are skipped.
  // Without a queue to queue with, queued meshes are drawn at once.
  void Draw(float frame, int argument, CTexture* textureOverride);
  void SetUVScroll(float u, float v);
  // Frees every mesh.
  void Free();
  // Totals over the meshes.
  void GetCounts(int* triangles, int* vertices, int* frames) const;
  std::vector<std::uint32_t> GetTextureIds() const;
  std::vector<std::uint32_t> GetMaterialIds() const;

  // Builds the meshes from source polygons of frameCount frames: polygons of
  // equal texture, material and flags (0x40 ignored, 0x400 left out) share a
  // mesh; vertices are shared when their base frame bytes and every later
  // frame agree.  A polygon of more than 3 points is cut into a fan after
  // "Vertex anim polygon has too many points : %d\n"; a polygon already
  // placed is skipped after "poly rendercount!=0\n"; from a mesh's 512th
  // polygon on "Vertex anim has too many polygons : %d\n" is printed; a
  // polygon that would take a mesh past 24576 indices or 8192 vertices is
  // left out after "object maxed out\n".  Each mesh is then stitched into one
  // strip.  False for a frame count below 1 or a polygon without the frame
  // points of every frame.
  bool Build(std::vector<VertexAnimSourcePolygon>& polygons, std::int32_t frameCount);
  // Every triangle of every mesh's base frame as a collision polygon.
  std::vector<VertexAnimCollisionPolygon> BuildCollisionPolygons() const;

  std::int32_t MeshCount = 0;
  std::int32_t FrameCount = 0;
  CVertexAnimMesh* Meshes = nullptr;

 private:
  void Append(CVertexAnimMesh* mesh);
};

// Takes the meshes CVertexAnim::Draw would queue in place of the transparent
// queue (for tests and tools); null restores the queue.
using VertexAnimQueueHook = void (*)(CVertexAnimMesh* mesh, CTexture* textureOverride, float frame, int argument);
void SetVertexAnimQueueHook(VertexAnimQueueHook hook);

// The engine modules vertex-animated meshes resolve and draw with.
CRender* VertexAnimRender();

// The object-template draw hook for vertex-animated templates: draws the
// node's vertex animation at the frame; answers 1 when there was one to draw.
int VertexAnimDrawFrame(CEnvObject* node, float frame, const void* lights);
