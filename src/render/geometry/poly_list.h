// Editable polygons for mesh building: singly linked lists of polygons, each
// owning a singly linked list of double-precision vertices.  The mesh builder
// fills them, merges coplanar neighbours into larger convex polygons, packs
// each polygon's vertices into render vertices and can dump a list as text.
// All records come from the tracked allocator.  A list is the address of its
// head pointer (null when empty).  Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>

#include "foundation/maths/vector3.h"
#include "render/geometry/render_vertex.h"

// A list vertex.
struct CDRVertex {
  double x, y, z;
  double nx, ny, nz;
  std::uint32_t Colour;  // ARGB, alpha in the top byte
  double u, v;
  CDRVertex* Next;
};

// Flag of CPoly: never merge this polygon.
inline constexpr std::uint32_t kPolyNoMerge = 0x100;

// A polygon of a list.
struct CPoly {
  std::uint32_t Flags;
  std::uint32_t Words[2];
  std::int32_t VertexCount;
  std::uint32_t FirstId;  // written in the text dump; set by the mesh builder
  std::uint32_t Word;
  std::uint32_t SecondId;  // written in the text dump; set by the mesh builder
  std::uint32_t Word2;
  CDRVertex* Vertices;
  RenderVertex* VertexArray;  // made by MakeVertexArrays, or null
  double Plane[4];            // a, b, c, d
  std::uint32_t Word3;
  CPoly* Next;
};

// --- Polygons -----------------------------------------------------------------

// A zeroed polygon; null when memory runs out.
CPoly* NewPolygon();
// Frees every polygon with its vertex list and vertex array; the list becomes empty.
void FreePolyList(CPoly** list);
// Links the polygon at the front.
void PushPolygon(CPoly* polygon, CPoly** list);
// A copy of every field, linked at the front; null when memory runs out.
CPoly* PrependPolygonCopy(const CPoly* polygon, CPoly** list);
// Forgets the polygon last appended.
void ResetAppendCursor();
// Links the polygon (with whatever follows it) after the list's last
// polygon.  The last append to the same list is remembered so that repeated
// appends need not walk it; the memory is only trusted while it still ends
// the list.
void AppendPolygon(CPoly* polygon, CPoly** list);
// Appends a fresh copy whose next is null; null when memory runs out.
CPoly* AppendPolygonCopy(const CPoly* polygon, CPoly** list);
// The polygon index places after the head (the head for index below 1), or
// null past the end.
CPoly* PolygonAt(CPoly* list, int index);
int CountPolygons(const CPoly* list);
// The sum of the polygons' vertex counts.
int CountPolyListVertices(const CPoly* list);
// Whether the point, taken to lie in the polygon's plane, is inside it
// (crossing count on the two axes the plane normal leaves).
bool PointInPoly(const Vector3D& point, const CPoly* polygon);
// The first polygon that contains the point, or null.
CPoly* FindPolyContaining(CPoly* list, const Vector3D& point);
// The polygon's position in the list, -1 when absent.
int IndexOfPolygon(const CPoly* list, const CPoly* polygon);
// A tracked array of count render vertices converted from the list (count
// below 1 means the list's length); entries beyond the list's end are zero.
// Null when memory runs out or there is nothing to convert.
RenderVertex* MakeVertexArray(const CDRVertex* vertices, int count);
// Each polygon's vertex array from its vertices and count (an old array is freed).
void MakeVertexArrays(CPoly* list);
// Merges polygons that share an edge (in opposite directions) while the
// result stays convex and planar, until nothing more merges.  Polygons with
// kPolyNoMerge are left alone.
void MergePolygons(CPoly** list);
// Writes the list as text ("NumPolys", "PolyList { ... }"); nothing without a stream.
void WritePolyListText(std::FILE* stream, const CPoly* list);

// --- Vertices -------------------------------------------------------------------

// A zeroed vertex; null when memory runs out.
CDRVertex* NewVertex();
// Frees every vertex; the list becomes empty.
void FreeVertexList(CDRVertex** list);
void PushVertex(CDRVertex* vertex, CDRVertex** list);
// A copy linked at the front; null when memory runs out.
CDRVertex* PrependVertexCopy(const CDRVertex* vertex, CDRVertex** list);
// Links the vertex after the last one.
void AppendVertex(CDRVertex* vertex, CDRVertex** list);
// A copy with next null linked after the last one; null when memory runs out.
CDRVertex* AppendVertexCopy(const CDRVertex* vertex, CDRVertex** list);
int CountVertices(const CDRVertex* list);
// Removes a vertex whose position equals its predecessor's (the last one
// compared with the head); each vertex is compared once, so a run of three
// equal vertices keeps two.
void RemoveDuplicateVertices(CDRVertex** list);
// Removes the middle vertex of every three consecutive ones (wrapping) that lie on a line.
void RemoveCollinearVertices(CDRVertex** list);
// Whether every turn of the polygon has the same unit normal (within 7.6e-6);
// an empty or degenerate list is convex.
bool IsConvexPlanar(const CDRVertex* list);

// --- Comparison and interpolation of list vertices ----------------------------

// Doubles within 7.6e-6, colour words exactly.
bool SamePosition(const CDRVertex& a, const CDRVertex& b);
bool SameNormal(const CDRVertex& a, const CDRVertex& b);
bool SameTexCoords(const CDRVertex& a, const CDRVertex& b);
bool SameColour(const CDRVertex& a, const CDRVertex& b);
bool SameVertex(const CDRVertex& a, const CDRVertex& b);
// out = a + (b - a)·t in double precision, colour bytes as LerpRenderVertex
// does with k = 1/255; out's link is left as it is.
void LerpListVertex(const CDRVertex& a, const CDRVertex& b, CDRVertex* out, double t);
