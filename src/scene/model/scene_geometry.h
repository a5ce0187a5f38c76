// Geometry helpers over the triangle objects of a model scene, for tools
// that turn models into meshes and collision data: welded indexed vertex
// sets, face planes and centres, edge neighbours, and polygon lists with
// double-precision planes for the collision compiler.  Everything reads the
// object's first vertex, normal and colour frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/maths/plane.h"
#include "render/geometry/poly_list.h"
#include "render/geometry/render_vertex.h"
#include "scene/model/tri_object.h"

// Most vertex bytes and indices an indexed vertex set holds.
inline constexpr std::size_t kIndexedSetMaxVertexBytes = 65536;
inline constexpr std::size_t kIndexedSetMaxIndices = 24576;

struct IndexedVertexSet {
  std::vector<RenderVertex> Vertices;
  std::vector<std::uint16_t> Indices;  // triangle list
};

// Positions equal within the engine's float tolerance (7.6e-6 a coordinate).
bool SameScenePosition(const CVector3& a, const CVector3& b);

// Corner i of a face as a render vertex: its position, its normal (the
// corner's or the face's), its colour (with flag 0x80, else white) and its
// first texture coordinate set (with flag 0x1, else 0, 0).
RenderVertex FaceCorner(const CTriObject& object, const TriFace& face, int i);

// The object's faces as triangles (each face a fan from its first corner)
// over welded vertices.  False, with the set emptied, when they need more
// than 65536 bytes of vertices or 24576 indices.
bool BuildIndexedVertexSet(const CTriObject& object, IndexedVertexSet* out);
void FreeIndexedVertexSet(IndexedVertexSet* set);

// The plane through the first three corners of every face, in face order.
std::vector<CPlane> ObjectFacePlanes(const CTriObject& object);
// The mean x and z of a face's corners; false for a face the object does not hold.
bool FaceCentreXZ(const CTriObject& object, int face, float* x, float* z);
// The first other face holding edge `edge` of the face (from corner edge to
// the next corner) with the same two positions, in either direction; -1 when
// none does or the face or edge does not exist.
int FindAdjacentFace(const CTriObject& object, int face, int edge);
// Every face as a polygon of double-precision vertices with the plane of its
// first three corners, in face order; the caller frees the list with
// FreePolyList.  Null for an object without faces.
CPoly* BuildCollisionPolyList(const CTriObject& object);
