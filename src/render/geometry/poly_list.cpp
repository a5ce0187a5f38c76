#include "render/geometry/poly_list.h"

#include <cmath>
#include <vector>

#include "foundation/maths/float_compare.h"
#include "foundation/memory/memory_manager.h"

namespace {
// Owner names the allocator books polygons and vertices under.
constexpr const char* kPolysOwner = "GAMELIB/RenderDX/Polys";
constexpr const char* kVertexOwner = "GAMELIB/RenderDX/DRVertex";

void* Allocate(const char* owner, int line, std::size_t size) {
  return MemAllocate(owner, line, "??", MEM_ALLOC_CALLOC, size);
}
void Release(const char* owner, int line, void* block) { MemRelease(owner, line, "??", MEM_ALLOC_FREE, block); }

// The append cursor: the polygon last appended and the list it went to.
CPoly** g_CursorList = nullptr;
CPoly* g_Cursor = nullptr;

void FreePolygonRecord(CPoly* polygon) {
  if (g_Cursor == polygon) ResetAppendCursor();
  FreeVertexList(&polygon->Vertices);
  if (polygon->VertexArray != nullptr) Release(kPolysOwner, __LINE__, polygon->VertexArray);
  Release(kPolysOwner, __LINE__, polygon);
}

CPoly* CopyPolygon(const CPoly* polygon) {
  auto* copy = static_cast<CPoly*>(Allocate(kPolysOwner, __LINE__, sizeof(CPoly)));
  if (copy != nullptr) *copy = *polygon;
  return copy;
}

CDRVertex* CopyVertex(const CDRVertex* vertex) {
  auto* copy = static_cast<CDRVertex*>(Allocate(kVertexOwner, __LINE__, sizeof(CDRVertex)));
  if (copy != nullptr) *copy = *vertex;
  return copy;
}

Vector3D Position(const CDRVertex& v) { return {v.x, v.y, v.z}; }
Vector3D Sub(const Vector3D& a, const Vector3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vector3D Cross(const Vector3D& a, const Vector3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool IsZero(const Vector3D& v) { return DoublesEqual(v.x, 0.0) && DoublesEqual(v.y, 0.0) && DoublesEqual(v.z, 0.0); }

// The normal of the turn a -> b -> c: (a - b) x (b - c), made unit length unless it is exactly zero.
Vector3D TurnNormal(const CDRVertex& a, const CDRVertex& b, const CDRVertex& c) {
  Vector3D n = Cross(Sub(Position(a), Position(b)), Sub(Position(b), Position(c)));
  const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (length > 0.0) n = {n.x / length, n.y / length, n.z / length};
  return n;
}

// The crossing rule of the BSP point-in-polygon test in double precision: the
// edge counts when it spans py (not horizontal) and meets y = py left of px.
int EdgeCrossesRayD(double x1, double y1, double x2, double y2, double px, double py) {
  if (y1 == y2) return 0;
  if ((y1 < py) == (y2 < py)) return 0;
  const bool left1 = x1 < px, left2 = x2 < px;
  if (left1 && left2) return 1;
  if (!left1 && !left2) return 0;
  if (x2 == x1) return 0;
  const double m = (y2 - y1) / (x2 - x1);
  return ((y2 - py) - (x2 - px) * m) / m > 0 ? 1 : 0;
}

// Copies of a vertex list in order; false (nothing kept) when memory runs out.
bool CopyVertexList(const CDRVertex* from, CDRVertex** to) {
  *to = nullptr;
  for (const CDRVertex* v = from; v != nullptr; v = v->Next)
    if (AppendVertexCopy(v, to) == nullptr) {
      FreeVertexList(to);
      return false;
    }
  return true;
}

// Joins B onto A across a shared edge of opposite direction; see MergePolygons.
bool MergeAdjacentPolygons(CPoly* a, CPoly* b) {
  CDRVertex *la = nullptr, *lb = nullptr;
  if (!CopyVertexList(a->Vertices, &la) || la == nullptr || !CopyVertexList(b->Vertices, &lb)) {
    FreeVertexList(&la);
    return false;
  }
  std::vector<CDRVertex*> va, vb;
  for (CDRVertex* v = la; v != nullptr; v = v->Next) va.push_back(v);
  for (CDRVertex* v = lb; v != nullptr; v = v->Next) vb.push_back(v);
  const std::size_t na = va.size(), nb = vb.size();

  // The first edge a -> a' of A that B runs the other way, b -> b' with a = b' and a' = b.
  std::size_t ia = na, ib = nb;
  if (na >= 2 && nb >= 2)
    for (std::size_t i = 0; i < na && ia == na; ++i)
      for (std::size_t j = 0; j < nb; ++j)
        if (SamePosition(*va[i], *vb[(j + 1) % nb]) && SamePosition(*va[(i + 1) % na], *vb[j])) {
          ia = i;
          ib = j;
          break;
        }
  if (ia == na) {
    FreeVertexList(&la);
    FreeVertexList(&lb);
    return false;
  }

  // Splice: ... a, (B after b' round to b), (A after a') ...; a' and b' go.
  // When a' was A's head the merged polygon starts at b.
  const std::size_t iaNext = (ia + 1) % na, ibNext = (ib + 1) % nb;
  std::vector<CDRVertex*> merged;
  auto appendB = [&] {
    for (std::size_t k = 1; k < nb; ++k) merged.push_back(vb[(ibNext + k) % nb]);  // b'+1 ... b
  };
  if (iaNext != 0) {
    for (std::size_t k = 0; k <= ia; ++k) merged.push_back(va[k]);
    appendB();
    for (std::size_t k = iaNext + 1; k < na; ++k) merged.push_back(va[k]);
  } else {
    merged.push_back(vb[ib]);
    for (std::size_t k = 1; k < na; ++k) merged.push_back(va[k]);
    for (std::size_t k = 1; k + 1 < nb; ++k) merged.push_back(vb[(ibNext + k) % nb]);  // b'+1 ... before b
  }
  Release(kVertexOwner, __LINE__, va[iaNext]);
  Release(kVertexOwner, __LINE__, vb[ibNext]);
  for (std::size_t k = 0; k + 1 < merged.size(); ++k) merged[k]->Next = merged[k + 1];
  merged.back()->Next = nullptr;
  la = merged.front();

  if (a->VertexCount + b->VertexCount - 2 >= 3) {
    RemoveDuplicateVertices(&la);
    RemoveCollinearVertices(&la);
  }
  const int count = CountVertices(la);
  if (!IsConvexPlanar(la)) {
    FreeVertexList(&la);
    return false;
  }
  FreeVertexList(&a->Vertices);
  a->Vertices = la;
  a->VertexCount = count;
  FreeVertexList(&b->Vertices);
  b->VertexCount = 0;
  return true;
}

// Tries every pair once; true after the first merge.
bool MergePass(CPoly** list) {
  for (CPoly* a = *list; a != nullptr; a = a->Next) {
    if (a->VertexCount < 2 || (a->Flags & kPolyNoMerge) != 0) continue;
    for (CPoly* b = *list; b != nullptr; b = b->Next) {
      if (b == a || b->VertexCount < 3 || (b->Flags & kPolyNoMerge) != 0) continue;
      if (!MergeAdjacentPolygons(a, b)) continue;
      CPoly** link = list;
      while (*link != b) link = &(*link)->Next;
      *link = b->Next;
      FreePolygonRecord(b);
      if (a->VertexCount >= 3) {
        RemoveCollinearVertices(&a->Vertices);
        a->VertexCount = CountVertices(a->Vertices);
      }
      return true;
    }
  }
  return false;
}
}  // namespace

// --- Polygons -------------------------------------------------------------------

CPoly* NewPolygon() { return static_cast<CPoly*>(Allocate(kPolysOwner, __LINE__, sizeof(CPoly))); }

void FreePolyList(CPoly** list) {
  CPoly* p = *list;
  while (p != nullptr) {
    CPoly* next = p->Next;
    FreePolygonRecord(p);
    p = next;
  }
  *list = nullptr;
  if (g_CursorList == list) ResetAppendCursor();
}

void PushPolygon(CPoly* polygon, CPoly** list) {
  polygon->Next = *list;
  *list = polygon;
}

CPoly* PrependPolygonCopy(const CPoly* polygon, CPoly** list) {
  CPoly* copy = CopyPolygon(polygon);
  if (copy != nullptr) PushPolygon(copy, list);
  return copy;
}

void ResetAppendCursor() {
  g_CursorList = nullptr;
  g_Cursor = nullptr;
}

void AppendPolygon(CPoly* polygon, CPoly** list) {
  if (*list == nullptr) {
    PushPolygon(polygon, list);
  } else {
    CPoly* last = (g_CursorList == list && g_Cursor != nullptr && g_Cursor->Next == nullptr) ? g_Cursor : nullptr;
    if (last == nullptr)
      for (last = *list; last->Next != nullptr;) last = last->Next;
    last->Next = polygon;
  }
  g_CursorList = list;
  g_Cursor = polygon;
}

CPoly* AppendPolygonCopy(const CPoly* polygon, CPoly** list) {
  if (*list == nullptr) {
    CPoly* copy = PrependPolygonCopy(polygon, list);
    if (copy != nullptr) {
      copy->Next = nullptr;
      g_CursorList = list;
      g_Cursor = copy;
    }
    return copy;
  }
  CPoly* copy = CopyPolygon(polygon);
  if (copy == nullptr) return nullptr;
  copy->Next = nullptr;
  AppendPolygon(copy, list);
  return copy;
}

CPoly* PolygonAt(CPoly* list, int index) {
  CPoly* p = list;
  for (int i = 0; i < index && p != nullptr; ++i) p = p->Next;
  return p;
}

int CountPolygons(const CPoly* list) {
  int n = 0;
  for (const CPoly* p = list; p != nullptr; p = p->Next) ++n;
  return n;
}

int CountPolyListVertices(const CPoly* list) {
  int n = 0;
  for (const CPoly* p = list; p != nullptr; p = p->Next) n += p->VertexCount;
  return n;
}

bool PointInPoly(const Vector3D& point, const CPoly* polygon) {
  // Project on the two axes the plane normal's largest component leaves:
  // largest |c| gives x and y, largest |b| gives x and z, else y and z.
  const double a = std::fabs(polygon->Plane[0]), b = std::fabs(polygon->Plane[1]), c = std::fabs(polygon->Plane[2]);
  auto project = [&](const Vector3D& p, double* s, double* t) {
    if (c > a && c > b) {
      *s = p.x;
      *t = p.y;
    } else if (b > a) {
      *s = p.x;
      *t = p.z;
    } else {
      *s = p.y;
      *t = p.z;
    }
  };
  double px, py;
  project(point, &px, &py);
  int crossings = 0;
  const CDRVertex* head = polygon->Vertices;
  for (const CDRVertex* v = head; v != nullptr; v = v->Next) {
    const CDRVertex* w = v->Next != nullptr ? v->Next : head;
    double x1, y1, x2, y2;
    project(Position(*v), &x1, &y1);
    project(Position(*w), &x2, &y2);
    crossings += EdgeCrossesRayD(x1, y1, x2, y2, px, py);
  }
  return (crossings & 1) != 0;
}

CPoly* FindPolyContaining(CPoly* list, const Vector3D& point) {
  for (CPoly* p = list; p != nullptr; p = p->Next)
    if (PointInPoly(point, p)) return p;
  return nullptr;
}

int IndexOfPolygon(const CPoly* list, const CPoly* polygon) {
  int i = 0;
  for (const CPoly* p = list; p != nullptr; p = p->Next, ++i)
    if (p == polygon) return i;
  return -1;
}

RenderVertex* MakeVertexArray(const CDRVertex* vertices, int count) {
  if (count < 1) count = CountVertices(vertices);
  if (count < 1) return nullptr;
  auto* array = static_cast<RenderVertex*>(Allocate(kPolysOwner, __LINE__, sizeof(RenderVertex) * count));
  if (array == nullptr) return nullptr;
  int i = 0;
  for (const CDRVertex* v = vertices; v != nullptr && i < count; v = v->Next, ++i)
    array[i] = {static_cast<float>(v->x),
                static_cast<float>(v->y),
                static_cast<float>(v->z),
                static_cast<float>(v->nx),
                static_cast<float>(v->ny),
                static_cast<float>(v->nz),
                v->Colour,
                static_cast<float>(v->u),
                static_cast<float>(v->v)};
  for (; i < count; ++i) array[i] = RenderVertex{};
  return array;
}

void MakeVertexArrays(CPoly* list) {
  for (CPoly* p = list; p != nullptr; p = p->Next) {
    if (p->VertexArray != nullptr) Release(kPolysOwner, __LINE__, p->VertexArray);
    p->VertexArray = MakeVertexArray(p->Vertices, p->VertexCount);
  }
}

void MergePolygons(CPoly** list) {
  if (*list == nullptr || (*list)->Next == nullptr) return;
  while (MergePass(list)) {
  }
}

void WritePolyListText(std::FILE* stream, const CPoly* list) {
  if (stream == nullptr) return;
  std::fprintf(stream, "NumPolys %d\r\n", CountPolygons(list));
  std::fprintf(stream, "PolyList {\r\n");
  for (const CPoly* p = list; p != nullptr; p = p->Next) {
    std::fprintf(stream, " %08x", p->Flags);
    std::fprintf(stream, " %08x", p->FirstId);
    std::fprintf(stream, " %08x\r\n", p->SecondId);
    std::fprintf(stream, " %f %f %f %f\r\n", p->Plane[0], p->Plane[1], p->Plane[2], p->Plane[3]);
    std::fprintf(stream, " nv %d\r\n", p->VertexCount);
    for (const CDRVertex* v = p->Vertices; v != nullptr; v = v->Next) {
      std::fprintf(stream, "  v %f %f %f", v->x, v->y, v->z);
      std::fprintf(stream, " n %f %f %f", v->nx, v->ny, v->nz);
      std::fprintf(stream, " c %f", ((v->Colour >> 16) & 0xFF) / 255.0);
      std::fprintf(stream, " %f", ((v->Colour >> 8) & 0xFF) / 255.0);
      std::fprintf(stream, " %f", (v->Colour & 0xFF) / 255.0);
      std::fprintf(stream, " %f", ((v->Colour >> 24) & 0xFF) / 255.0);
      std::fprintf(stream, " t %f %f", v->u, v->v);
      std::fprintf(stream, "\r\n");
    }
  }
  std::fprintf(stream, "}\r\n");
}

// --- Vertices ---------------------------------------------------------------------

CDRVertex* NewVertex() { return static_cast<CDRVertex*>(Allocate(kVertexOwner, __LINE__, sizeof(CDRVertex))); }

void FreeVertexList(CDRVertex** list) {
  CDRVertex* v = *list;
  while (v != nullptr) {
    CDRVertex* next = v->Next;
    Release(kVertexOwner, __LINE__, v);
    v = next;
  }
  *list = nullptr;
}

void PushVertex(CDRVertex* vertex, CDRVertex** list) {
  vertex->Next = *list;
  *list = vertex;
}

CDRVertex* PrependVertexCopy(const CDRVertex* vertex, CDRVertex** list) {
  CDRVertex* copy = CopyVertex(vertex);
  if (copy != nullptr) PushVertex(copy, list);
  return copy;
}

void AppendVertex(CDRVertex* vertex, CDRVertex** list) {
  if (*list == nullptr) {
    PushVertex(vertex, list);
    return;
  }
  CDRVertex* last = *list;
  while (last->Next != nullptr) last = last->Next;
  last->Next = vertex;
}

CDRVertex* AppendVertexCopy(const CDRVertex* vertex, CDRVertex** list) {
  CDRVertex* copy = CopyVertex(vertex);
  if (copy == nullptr) return nullptr;
  copy->Next = nullptr;
  AppendVertex(copy, list);
  return copy;
}

int CountVertices(const CDRVertex* list) {
  int n = 0;
  for (const CDRVertex* v = list; v != nullptr; v = v->Next) ++n;
  return n;
}

void RemoveDuplicateVertices(CDRVertex** list) {
  CDRVertex* a = *list;
  while (a != nullptr) {
    CDRVertex* b = a->Next != nullptr ? a->Next : *list;
    if (b == a) break;  // a single vertex has no neighbour
    if (SamePosition(*a, *b)) {
      if (b == *list)
        *list = b->Next;
      else
        a->Next = b->Next;
      Release(kVertexOwner, __LINE__, b);
    }
    a = a->Next;
  }
}

void RemoveCollinearVertices(CDRVertex** list) {
  CDRVertex* a = *list;
  while (a != nullptr) {
    CDRVertex* b = a->Next != nullptr ? a->Next : *list;
    if (b == a) break;
    CDRVertex* c = b->Next != nullptr ? b->Next : *list;
    if (IsZero(TurnNormal(*a, *b, *c))) {
      // When b is the head, a is the last vertex and stays last.
      if (b == *list)
        *list = b->Next;
      else
        a->Next = b->Next;  // c, or null when b was the last vertex
      Release(kVertexOwner, __LINE__, b);
    }
    a = a->Next;
  }
}

bool IsConvexPlanar(const CDRVertex* list) {
  bool haveFirst = false;
  Vector3D first{};
  for (const CDRVertex* a = list; a != nullptr; a = a->Next) {
    const CDRVertex* b = a->Next != nullptr ? a->Next : list;
    const CDRVertex* c = b->Next != nullptr ? b->Next : list;
    const Vector3D n = TurnNormal(*a, *b, *c);
    if (n.x == 0.0 && n.y == 0.0 && n.z == 0.0) continue;
    if (!haveFirst) {
      first = n;
      haveFirst = true;
    } else if (!DoublesEqual(n.x, first.x) || !DoublesEqual(n.y, first.y) || !DoublesEqual(n.z, first.z)) {
      return false;
    }
  }
  return true;
}

// --- Comparison and interpolation -------------------------------------------------

bool SamePosition(const CDRVertex& a, const CDRVertex& b) {
  return DoublesEqual(a.x, b.x) && DoublesEqual(a.y, b.y) && DoublesEqual(a.z, b.z);
}
bool SameNormal(const CDRVertex& a, const CDRVertex& b) {
  return DoublesEqual(a.nx, b.nx) && DoublesEqual(a.ny, b.ny) && DoublesEqual(a.nz, b.nz);
}
bool SameTexCoords(const CDRVertex& a, const CDRVertex& b) { return DoublesEqual(a.u, b.u) && DoublesEqual(a.v, b.v); }
bool SameColour(const CDRVertex& a, const CDRVertex& b) { return a.Colour == b.Colour; }
bool SameVertex(const CDRVertex& a, const CDRVertex& b) {
  return SamePosition(a, b) && SameNormal(a, b) && SameTexCoords(a, b) && SameColour(a, b);
}

void LerpListVertex(const CDRVertex& a, const CDRVertex& b, CDRVertex* out, double t) {
  constexpr double k = 0.00392156862745098;
  auto lerp = [t](double p, double q) { return p + (q - p) * t; };
  auto colourByte = [&](int shift) {
    const double ca = ((a.Colour >> shift) & 0xFF) * k, cb = ((b.Colour >> shift) & 0xFF) * k;
    return (static_cast<std::uint32_t>(static_cast<int>(((cb - ca) * t + ca) * 255.0)) & 0xFF) << shift;
  };
  out->x = lerp(a.x, b.x);
  out->y = lerp(a.y, b.y);
  out->z = lerp(a.z, b.z);
  out->nx = lerp(a.nx, b.nx);
  out->ny = lerp(a.ny, b.ny);
  out->nz = lerp(a.nz, b.nz);
  out->u = lerp(a.u, b.u);
  out->v = lerp(a.v, b.v);
  out->Colour = colourByte(24) | colourByte(16) | colourByte(8) | colourByte(0);
}
