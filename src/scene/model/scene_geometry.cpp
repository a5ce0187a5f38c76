#include "scene/model/scene_geometry.h"

#include <algorithm>

#include "foundation/maths/float_compare.h"

namespace {

std::uint32_t ColourWord(const CVector3& c) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
  return 0xFF000000u | byte(c.x) << 16 | byte(c.y) << 8 | byte(c.z);
}

CVector3 FrameValue(const std::vector<std::vector<CVector3>>& frames, std::int32_t i, const CVector3& otherwise) {
  if (frames.empty() || i < 0 || i >= static_cast<std::int32_t>(frames[0].size())) return otherwise;
  return frames[0][static_cast<std::size_t>(i)];
}

const TriFace* FaceAt(const CTriObject& object, int face) {
  return face >= 0 && face < static_cast<int>(object.Faces.size()) ? &object.Faces[static_cast<std::size_t>(face)]
                                                                      : nullptr;
}

}  // namespace

bool SameScenePosition(const CVector3& a, const CVector3& b) {
  return FloatsEqual(a.x, b.x) && FloatsEqual(a.y, b.y) && FloatsEqual(a.z, b.z);
}

RenderVertex FaceCorner(const CTriObject& object, const TriFace& face, int i) {
  RenderVertex v{};
  const CVector3 p = object.Position(face.Vertices[static_cast<std::size_t>(i)]);
  const CVector3 n = FrameValue(object.NormalFrames, face.NormalOf(i), CVector3{0.0f, 1.0f, 0.0f});
  v.x = p.x, v.y = p.y, v.z = p.z;
  v.nx = n.x, v.ny = n.y, v.nz = n.z;
  v.Colour = 0xFFFFFFFFu;
  if ((face.Flags & TRIFACE_VERTEX_COLOURS) && !face.Colours.empty())
    v.Colour = ColourWord(FrameValue(object.ColourFrames, face.Colours[static_cast<std::size_t>(i)], {1, 1, 1}));
  if ((face.Flags & TRIFACE_TEXCOORDS) && !face.TexCoords.empty()) {
    v.u = face.TexCoords[0][static_cast<std::size_t>(i)].u;
    v.v = face.TexCoords[0][static_cast<std::size_t>(i)].v;
  }
  return v;
}

bool BuildIndexedVertexSet(const CTriObject& object, IndexedVertexSet* out) {
  constexpr int kCapacity = static_cast<int>(kIndexedSetMaxVertexBytes / sizeof(RenderVertex));
  FreeIndexedVertexSet(out);
  std::vector<RenderVertex> vertices(static_cast<std::size_t>(kCapacity));
  int count = 0;
  for (const TriFace& face : object.Faces) {
    std::vector<std::uint16_t> corners;
    for (int i = 0; i < face.VertexCount(); ++i) {
      const int at = FindOrAddVertex(FaceCorner(object, face, i), vertices.data(), &count, kCapacity);
      if (at < 0) {
        FreeIndexedVertexSet(out);
        return false;
      }
      corners.push_back(static_cast<std::uint16_t>(at));
    }
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
      if (out->Indices.size() + 3 > kIndexedSetMaxIndices) {
        FreeIndexedVertexSet(out);
        return false;
      }
      out->Indices.insert(out->Indices.end(), {corners[0], corners[k], corners[k + 1]});
    }
  }
  vertices.resize(static_cast<std::size_t>(count));
  out->Vertices = std::move(vertices);
  return true;
}

void FreeIndexedVertexSet(IndexedVertexSet* set) {
  set->Vertices = {};
  set->Indices = {};
}

std::vector<CPlane> ObjectFacePlanes(const CTriObject& object) {
  std::vector<CPlane> planes;
  planes.reserve(object.Faces.size());
  for (const TriFace& face : object.Faces) {
    CPlane plane;
    plane.FromPoints(object.Position(face.Vertices[0]), object.Position(face.Vertices[1]),
                     object.Position(face.Vertices[2]));
    planes.push_back(plane);
  }
  return planes;
}

bool FaceCentreXZ(const CTriObject& object, int face, float* x, float* z) {
  const TriFace* f = FaceAt(object, face);
  if (!f || f->Vertices.empty()) return false;
  float sx = 0.0f, sz = 0.0f;
  for (std::int32_t i : f->Vertices) {
    const CVector3 p = object.Position(i);
    sx += p.x;
    sz += p.z;
  }
  *x = sx / static_cast<float>(f->Vertices.size());
  *z = sz / static_cast<float>(f->Vertices.size());
  return true;
}

int FindAdjacentFace(const CTriObject& object, int face, int edge) {
  const TriFace* f = FaceAt(object, face);
  if (!f || edge < 0 || edge >= f->VertexCount()) return -1;
  const int n = f->VertexCount();
  const CVector3 a = object.Position(f->Vertices[static_cast<std::size_t>(edge)]);
  const CVector3 b = object.Position(f->Vertices[static_cast<std::size_t>((edge + 1) % n)]);
  for (int other = 0; other < static_cast<int>(object.Faces.size()); ++other) {
    if (other == face) continue;
    const TriFace& g = object.Faces[static_cast<std::size_t>(other)];
    const int m = g.VertexCount();
    for (int k = 0; k < m; ++k) {
      const CVector3 c = object.Position(g.Vertices[static_cast<std::size_t>(k)]);
      const CVector3 d = object.Position(g.Vertices[static_cast<std::size_t>((k + 1) % m)]);
      if ((SameScenePosition(a, d) && SameScenePosition(b, c)) || (SameScenePosition(a, c) && SameScenePosition(b, d)))
        return other;
    }
  }
  return -1;
}

CPoly* BuildCollisionPolyList(const CTriObject& object) {
  CPoly* list = nullptr;
  ResetAppendCursor();
  for (const TriFace& face : object.Faces) {
    CPoly* polygon = NewPolygon();
    if (!polygon) break;
    for (int i = 0; i < face.VertexCount(); ++i) {
      CDRVertex* v = NewVertex();
      if (!v) break;
      const RenderVertex r = FaceCorner(object, face, i);
      v->x = r.x, v->y = r.y, v->z = r.z;
      v->nx = r.nx, v->ny = r.ny, v->nz = r.nz;
      v->Colour = r.Colour;
      v->u = r.u, v->v = r.v;
      AppendVertex(v, &polygon->Vertices);
      ++polygon->VertexCount;
    }
    auto corner = [&](int i) {
      const CVector3 p = object.Position(face.Vertices[static_cast<std::size_t>(i)]);
      return Vector3D{p.x, p.y, p.z};
    };
    CPlaneD plane;
    plane.FromPoints(corner(0), corner(1), corner(2));
    polygon->Plane[0] = plane.n.x;
    polygon->Plane[1] = plane.n.y;
    polygon->Plane[2] = plane.n.z;
    polygon->Plane[3] = plane.d;
    AppendPolygon(polygon, &list);
  }
  ResetAppendCursor();
  return list;
}
