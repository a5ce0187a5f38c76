// Face connectivity for stencil shadows: for every triangle of a mesh, the
// triangle across each of its three edges.  Rigid mesh parts keep it as a
// table of 12-byte shadow faces with their packed normals (built once per
// template at load, CShadowMesh::Build); skins keep it in their own shadow
// faces (built with the skin).  Main thread only.
//
// Frame: the mesh's own space; triangles are clockwise seen from their
// front (the device's front faces), so that the normal
// n = (p0 - p1) x (p0 - p2), normalised, points out of the front.
#pragma once

#include <cstdint>

#include "render/geometry/vector3.h"

class CEnvObject;
class CVBufferObject;
class CVertexBuffer;
struct SkinData;

// No face across an edge.
constexpr std::uint16_t kShadowNoNeighbour = 65535;
// Two edge end points coincide when every axis agrees within this (inclusive).
constexpr float kShadowEdgeTolerance = 0.01f;

// A rigid part's shadow face (12 bytes, the part's face table): the packed
// unit normal (PackDirection), then the faces across the edges first-second,
// second-third and third-first vertex.
struct ShadowFace {
  std::uint32_t Normal;
  std::uint16_t Neighbours[3];
  std::uint16_t Spare;
};
static_assert(sizeof(ShadowFace) == 12, "the face table holds 12-byte records");

// Fills neighbours[f][e] for the triangles of `indices` (faceCount x 3
// vertex indices into positions): for each edge of face i without a
// neighbour yet, the first other face j (in index order) with an edge whose
// ends coincide with it, either way round, and whose own edge is still free,
// becomes the neighbour, and j records i.  Two ends coincide within
// kShadowEdgeTolerance on every axis, or, with matchIndices, when their
// vertex indices are equal.  Unmatched edges keep kShadowNoNeighbour.
void FindShadowNeighbours(const CVector3* positions, const std::uint16_t* indices, int faceCount, bool matchIndices,
                          std::uint16_t (*neighbours)[3]);

// The unit normal (p0 - p1) x (p0 - p2) normalised; zero stays zero.
CVector3 ShadowFaceNormal(const CVector3& p0, const CVector3& p1, const CVector3& p2);

class CShadowMesh {
 public:
  // With flag 1, builds the shadow data of every part of the node's plain
  // mesh (BuildPart); nothing otherwise.
  static void Build(CEnvObject* object, int flag);
  // The part's face table (one face per list triangle: normal and
  // neighbours) and, when not yet made, the copy of its vertex positions.
  // False, with the part left without shadow data, when the part has no
  // list indices, an index lies beyond its vertices, it has more than 65534
  // triangles, or its buffers cannot be read.
  static bool BuildPart(CVertexBuffer* part);
  // Frees the faces and position copies of every part of the mesh.
  static void Free(CVBufferObject* mesh);
  // The part's face table and position copy (null when not built); the
  // counts are kept with the part (ShadowFields 0 and 1).
  static ShadowFace* Faces(CVertexBuffer* part);
  static const CVector3* Positions(const CVertexBuffer* part);
  static std::uint32_t FaceCount(const CVertexBuffer* part);
};

// A skin's shadow faces: its triangles (the given list indices, or its own
// when null) with their planes through the first influences' positions and
// the faces across their edges (ends that coincide by position or by vertex
// index).  Replaces the skin data's faces; none for a list that is not whole
// triangles or has an index beyond the vertices.
void BuildSkinShadowFaces(SkinData& skin, const std::uint16_t* indices = nullptr, int indexCount = 0);
