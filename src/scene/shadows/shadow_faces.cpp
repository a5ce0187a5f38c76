#include "scene/shadows/shadow_faces.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/maths/packed_direction.h"
#include "render/geometry/render_vertex.h"
#include "scene/mesh/vbuffer_object.h"
#include "scene/mesh/vertex_buffer.h"
#include "scene/skin/skin_chunk.h"
#include "world/environment/env_object.h"

namespace {

// Shadow fields of a part: the face count and the vertex count of the copy.
constexpr int kFieldFaces = 0;
constexpr int kFieldVertices = 1;

bool Near(const CVector3& a, const CVector3& b) {
  return std::fabs(a.x - b.x) <= kShadowEdgeTolerance && std::fabs(a.y - b.y) <= kShadowEdgeTolerance &&
         std::fabs(a.z - b.z) <= kShadowEdgeTolerance;
}

void FreePartShadow(CVertexBuffer* part) {
  delete[] part->Faces;
  part->Faces = nullptr;
  ::operator delete(part->ShadowData);
  part->ShadowData = nullptr;
  part->ShadowFields[kFieldFaces] = part->ShadowFields[kFieldVertices] = 0;
}

}  // namespace

CVector3 ShadowFaceNormal(const CVector3& p0, const CVector3& p1, const CVector3& p2) {
  const CVector3 a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
  const CVector3 b{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
  CVector3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (length > 0.0f) n = CVector3{n.x / length, n.y / length, n.z / length};
  return n;
}

// The faces that may share an edge starting at a vertex are the faces of
// the vertices within the tolerance of it (and of the vertex itself): a
// grid of cells twice the tolerance wide finds those among the 27 cells
// around it.  Searching only them, in face order, links the same faces as
// trying every other face in order would.
namespace {

class VertexGrid {
 public:
  VertexGrid(const CVector3* positions, const std::uint16_t* indices, int indexCount) : positions_(positions) {
    for (int k = 0; k < indexCount; ++k) {
      const std::uint16_t v = indices[k];
      if (!seen_.insert(v).second) continue;
      cells_[Key(Cell(positions[v]))].push_back(v);
    }
  }
  // Calls visit(w) for every listed vertex w within the tolerance of p on every axis.
  template <typename Visit>
  void Near(const CVector3& p, Visit visit) const {
    const Index c = Cell(p);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          const auto it = cells_.find(Key({c.x + dx, c.y + dy, c.z + dz}));
          if (it == cells_.end()) continue;
          for (std::uint16_t w : it->second)
            if (Close(positions_[w], p)) visit(w);
        }
  }

 private:
  struct Index {
    std::int64_t x, y, z;
  };
  // Coordinates beyond 2^40 cells (and not-a-number) share the outermost cells:
  // slower, but never missed.
  static std::int64_t Axis(float f) {
    constexpr double kLimit = 1099511627776.0;
    const double q = std::floor(static_cast<double>(f) / (2.0 * kShadowEdgeTolerance));
    if (!(q > -kLimit)) return static_cast<std::int64_t>(-kLimit);
    if (!(q < kLimit)) return static_cast<std::int64_t>(kLimit);
    return static_cast<std::int64_t>(q);
  }
  static Index Cell(const CVector3& p) { return {Axis(p.x), Axis(p.y), Axis(p.z)}; }
  static std::uint64_t Key(const Index& i) {
    const auto part = [](std::int64_t v) { return static_cast<std::uint64_t>(v) & 0x1FFFFF; };
    return part(i.x) | (part(i.y) << 21) | (part(i.z) << 42);
  }
  static bool Close(const CVector3& a, const CVector3& b) { return ::Near(a, b); }

  const CVector3* positions_;
  std::unordered_set<std::uint16_t> seen_;
  std::unordered_map<std::uint64_t, std::vector<std::uint16_t>> cells_;
};

}  // namespace

void FindShadowNeighbours(const CVector3* positions, const std::uint16_t* indices, int faceCount, bool matchIndices,
                          std::uint16_t (*neighbours)[3]) {
  for (int f = 0; f < faceCount; ++f)
    for (int e = 0; e < 3; ++e) neighbours[f][e] = kShadowNoNeighbour;
  if (faceCount <= 0) return;
  // Edge e of face f runs from its vertex e to vertex (e + 1) mod 3.
  auto end = [&](int f, int e, int which) { return indices[f * 3 + (e + which) % 3]; };
  auto same = [&](std::uint16_t a, std::uint16_t b) {
    return (matchIndices && a == b) || Near(positions[a], positions[b]);
  };
  std::unordered_map<std::uint16_t, std::vector<int>> facesOf;
  for (int f = 0; f < faceCount; ++f)
    for (int k = 0; k < 3; ++k) {
      std::vector<int>& list = facesOf[indices[f * 3 + k]];
      if (list.empty() || list.back() != f) list.push_back(f);
    }
  const VertexGrid grid(positions, indices, faceCount * 3);
  std::vector<int> candidates;
  for (int i = 0; i < faceCount; ++i) {
    for (int ei = 0; ei < 3; ++ei) {
      if (neighbours[i][ei] != kShadowNoNeighbour) continue;
      const std::uint16_t a0 = end(i, ei, 0), a1 = end(i, ei, 1);
      // Faces with a vertex at a0 (or a0 itself): one of their edges' ends must be.
      candidates.clear();
      auto add = [&](std::uint16_t w) {
        const auto it = facesOf.find(w);
        if (it != facesOf.end()) candidates.insert(candidates.end(), it->second.begin(), it->second.end());
      };
      add(a0);
      grid.Near(positions[a0], [&](std::uint16_t w) {
        if (w != a0) add(w);
      });
      std::sort(candidates.begin(), candidates.end());
      candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
      for (int j : candidates) {
        if (j == i) continue;
        bool found = false;
        for (int ej = 0; ej < 3; ++ej) {
          // An edge already linked belongs to another pair: linking it again
          // would leave its first partner pointing at a face that forgot it.
          if (neighbours[j][ej] != kShadowNoNeighbour) continue;
          const std::uint16_t b0 = end(j, ej, 0), b1 = end(j, ej, 1);
          if ((same(a0, b0) && same(a1, b1)) || (same(a0, b1) && same(a1, b0))) {
            neighbours[i][ei] = static_cast<std::uint16_t>(j);
            neighbours[j][ej] = static_cast<std::uint16_t>(i);
            found = true;
            break;
          }
        }
        if (found) break;
      }
    }
  }
}

// --- rigid mesh parts ------------------------------------------------------------------------

void CShadowMesh::Build(CEnvObject* object, int flag) {
  if (flag != 1 || object == nullptr || object->Mesh == nullptr) return;
  for (CVertexBuffer* part = object->Mesh->FirstPart; part != nullptr; part = part->Next) BuildPart(part);
}

bool CShadowMesh::BuildPart(CVertexBuffer* part) {
  if (part == nullptr) return false;
  const std::uint32_t faces = part->ListIndexCount / 3;
  const std::uint32_t vertices = part->VertexCount;
  delete[] part->Faces;
  part->Faces = nullptr;
  part->ShadowFields[kFieldFaces] = 0;
  if (faces == 0 || faces >= kShadowNoNeighbour || vertices == 0) return false;

  // The positions are copied once: the device buffer may be write-only.
  if (part->ShadowData == nullptr || part->ShadowFields[kFieldVertices] != vertices) {
    ::operator delete(part->ShadowData);
    part->ShadowData = nullptr;
    RenderVertex* v = part->LockVertices();
    if (v == nullptr) return false;
    auto* copy = static_cast<CVector3*>(::operator new(sizeof(CVector3) * vertices, std::nothrow));
    if (copy != nullptr)
      for (std::uint32_t k = 0; k < vertices; ++k) copy[k] = CVector3{v[k].x, v[k].y, v[k].z};
    part->UnlockVertices();
    if (copy == nullptr) return false;
    part->ShadowData = copy;
    part->ShadowFields[kFieldVertices] = vertices;
  }
  const CVector3* positions = static_cast<const CVector3*>(part->ShadowData);

  std::vector<std::uint16_t> indices(faces * 3);
  const std::uint16_t* list = part->LockIndices();
  if (list == nullptr) return false;
  std::memcpy(indices.data(), list, indices.size() * sizeof(std::uint16_t));
  part->UnlockIndices();
  for (std::uint16_t i : indices)
    if (i >= vertices) return false;

  std::vector<std::uint16_t> links(faces * 3);
  auto* neighbours = reinterpret_cast<std::uint16_t(*)[3]>(links.data());
  FindShadowNeighbours(positions, indices.data(), static_cast<int>(faces), false, neighbours);
  auto* table = new (std::nothrow) std::uint8_t[faces * sizeof(ShadowFace)];
  if (table == nullptr) return false;
  for (std::uint32_t f = 0; f < faces; ++f) {
    ShadowFace face{};
    const CVector3 n =
        ShadowFaceNormal(positions[indices[f * 3]], positions[indices[f * 3 + 1]], positions[indices[f * 3 + 2]]);
    face.Normal = PackDirection(n.x, n.y, n.z);
    for (int e = 0; e < 3; ++e) face.Neighbours[e] = neighbours[f][e];
    std::memcpy(table + f * sizeof(ShadowFace), &face, sizeof face);
  }
  part->Faces = table;
  part->ShadowFields[kFieldFaces] = faces;
  return true;
}

void CShadowMesh::Free(CVBufferObject* mesh) {
  if (mesh == nullptr) return;
  for (CVertexBuffer* part = mesh->FirstPart; part != nullptr; part = part->Next) FreePartShadow(part);
}

ShadowFace* CShadowMesh::Faces(CVertexBuffer* part) {
  return part != nullptr && part->ShadowFields[kFieldFaces] != 0 ? reinterpret_cast<ShadowFace*>(part->Faces)
                                                                 : nullptr;
}

const CVector3* CShadowMesh::Positions(const CVertexBuffer* part) {
  return part != nullptr ? static_cast<const CVector3*>(part->ShadowData) : nullptr;
}

std::uint32_t CShadowMesh::FaceCount(const CVertexBuffer* part) {
  return part != nullptr && part->Faces != nullptr ? part->ShadowFields[kFieldFaces] : 0;
}

// --- skins -------------------------------------------------------------------------------------

void BuildSkinShadowFaces(SkinData& d, const std::uint16_t* indices, int indexCount) {
  d.ShadowFaces.clear();
  if (indices == nullptr) {
    indices = d.ListIndices.data();
    indexCount = static_cast<int>(d.ListIndices.size());
  }
  if (indexCount <= 0 || indexCount % 3 != 0) return;
  const int faces = indexCount / 3;
  if (faces >= kShadowNoNeighbour || d.VertexCount <= 0 ||
      d.FirstInfluence.size() < static_cast<std::size_t>(d.VertexCount) + 1)
    return;
  for (int k = 0; k < indexCount; ++k)
    if (indices[k] >= d.VertexCount) return;
  // The first influence's position stands for each vertex.
  std::vector<CVector3> positions(static_cast<std::size_t>(d.VertexCount));
  for (std::int32_t v = 0; v < d.VertexCount; ++v) {
    if (d.FirstInfluence[v] >= d.Influences.size()) return;
    positions[v] = d.FirstOf(v).Position;
  }
  std::vector<std::uint16_t> links(static_cast<std::size_t>(faces) * 3);
  auto* neighbours = reinterpret_cast<std::uint16_t(*)[3]>(links.data());
  FindShadowNeighbours(positions.data(), indices, faces, true, neighbours);
  d.ShadowFaces.resize(faces);
  for (int f = 0; f < faces; ++f) {
    SkinShadowFace& face = d.ShadowFaces[f];
    for (int k = 0; k < 3; ++k) {
      face.Vertices[k] = indices[f * 3 + k];
      face.Neighbours[k] = neighbours[f][k];
    }
    const CVector3& a = positions[face.Vertices[0]];
    face.Normal = ShadowFaceNormal(a, positions[face.Vertices[1]], positions[face.Vertices[2]]);
    face.Distance = -(face.Normal.x * a.x + face.Normal.y * a.y + face.Normal.z * a.z);
    face.Flag = 0;
  }
}
