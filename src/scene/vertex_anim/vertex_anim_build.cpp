// Building a vertex-animated object from source polygons (the object tools),
// and its collision polygons.
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "foundation/system/debug_output.h"
#include "scene/vertex_anim/vertex_anim.h"

namespace {

// A mesh being built: vertices with their later frames kept vertex-major
// (vertex v, frame k at Later[v (F - 1) + k - 1]) and a lookup by content.
struct Group {
  std::uint32_t TextureId, MaterialId, Flags;
  CVertexAnimMesh* Mesh;
  int Polygons;
  bool Full;
  std::vector<VertexAnimPose> Later;
  std::unordered_multimap<std::uint64_t, std::uint16_t> Lookup;
};

std::uint64_t HashBytes(const void* data, std::size_t n, std::uint64_t h) {
  const auto* b = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
  return h;
}

// Index of a vertex equal to the point in its base bytes and every later
// frame, else the point appended.
std::uint16_t AddVertex(Group* group, const RenderVertex& base, const std::vector<VertexAnimPose>& later) {
  CVertexAnimMesh* mesh = group->Mesh;
  std::uint64_t h = HashBytes(&base, sizeof base, 0xCBF29CE484222325ull);
  if (!later.empty()) h = HashBytes(later.data(), later.size() * sizeof later[0], h);
  auto range = group->Lookup.equal_range(h);
  for (auto it = range.first; it != range.second; ++it) {
    const std::uint16_t v = it->second;
    if (std::memcmp(&mesh->BaseFrame[v], &base, sizeof base) != 0) continue;
    if (!later.empty() &&
        std::memcmp(&group->Later[static_cast<std::size_t>(v) * later.size()], later.data(),
                    later.size() * sizeof later[0]) != 0)
      continue;
    return v;
  }
  const auto index = static_cast<std::uint16_t>(mesh->VertexCount++);
  mesh->BaseFrame.push_back(base);
  group->Later.insert(group->Later.end(), later.begin(), later.end());
  group->Lookup.insert({h, index});
  return index;
}

}  // namespace

bool CVertexAnim::Build(std::vector<VertexAnimSourcePolygon>& polygons, std::int32_t frameCount) {
  Free();
  if (frameCount < 1) return false;
  for (const VertexAnimSourcePolygon& p : polygons) {
    if (p.FramePoints.size() != static_cast<std::size_t>(frameCount - 1)) return false;
    for (const std::vector<VertexAnimPose>& frame : p.FramePoints)
      if (frame.size() != p.Points.size()) return false;
  }
  FrameCount = frameCount;
  std::vector<Group> groups;
  for (VertexAnimSourcePolygon& polygon : polygons) {
    if ((polygon.Flags & VAMESH_EXCLUDED) != 0 || polygon.Points.size() < 3) continue;
    if (polygon.RenderCount != 0) {
      DebugTrace("poly rendercount!=0\n");
      continue;
    }
    const std::uint32_t flags = polygon.Flags & ~VAMESH_IGNORED_IN_MERGE;
    Group* group = nullptr;
    for (Group& g : groups)
      if (g.TextureId == polygon.TextureId && g.MaterialId == polygon.MaterialId && g.Flags == flags) group = &g;
    if (group == nullptr) {
      auto* mesh = new CVertexAnimMesh;
      mesh->Flags = flags;
      mesh->TextureId = polygon.TextureId;
      mesh->MaterialId = polygon.MaterialId;
      mesh->FrameCount = frameCount;
      Append(mesh);
      groups.push_back({polygon.TextureId, polygon.MaterialId, flags, mesh, 0, false, {}, {}});
      group = &groups.back();
    }
    if (polygon.Points.size() > 3) DebugTrace("Vertex anim polygon has too many points : %d\n",
                                              static_cast<int>(polygon.Points.size()));
    CVertexAnimMesh* mesh = group->Mesh;
    const std::size_t triangles = polygon.Points.size() - 2;
    if (group->Full || mesh->ListIndices.size() + triangles * 3 > kVertexAnimBuildMaxIndices ||
        static_cast<std::size_t>(mesh->VertexCount) + polygon.Points.size() > kVertexAnimBuildMaxVertices) {
      group->Full = true;
      DebugTrace("object maxed out\n");
      continue;
    }
    if (++group->Polygons >= kVertexAnimBuildPolygonWarning)
      DebugTrace("Vertex anim has too many polygons : %d\n", group->Polygons);
    std::vector<std::uint16_t> indices(polygon.Points.size());
    std::vector<VertexAnimPose> later(static_cast<std::size_t>(frameCount - 1));
    for (std::size_t i = 0; i < polygon.Points.size(); ++i) {
      for (std::size_t f = 0; f < later.size(); ++f) later[f] = polygon.FramePoints[f][i];
      indices[i] = AddVertex(group, polygon.Points[i], later);
    }
    // A fan over the points: (0, i, i + 1).
    for (std::size_t i = 1; i + 1 < indices.size(); ++i) {
      mesh->ListIndices.push_back(indices[0]);
      mesh->ListIndices.push_back(indices[i]);
      mesh->ListIndices.push_back(indices[i + 1]);
    }
    ++polygon.RenderCount;
  }
  // Later frames go frame-major into the meshes.
  const std::size_t laterFrames = static_cast<std::size_t>(frameCount - 1);
  for (Group& g : groups) {
    const std::size_t nv = static_cast<std::size_t>(g.Mesh->VertexCount);
    g.Mesh->Frames.resize(nv * laterFrames);
    for (std::size_t v = 0; v < nv; ++v)
      for (std::size_t k = 0; k < laterFrames; ++k) g.Mesh->Frames[k * nv + v] = g.Later[v * laterFrames + k];
  }
  for (CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) {
    mesh->ListIndexCount = static_cast<std::int32_t>(mesh->ListIndices.size());
    if (!mesh->Stripify()) {
      mesh->StripFlag = 0;
      mesh->StripIndices.clear();
      mesh->StripIndexCount = 0;
    }
    mesh->ResolveTextureAndMaterial();
    mesh->Work = mesh->BaseFrame;
  }
  return true;
}

std::vector<VertexAnimCollisionPolygon> CVertexAnim::BuildCollisionPolygons() const {
  std::vector<VertexAnimCollisionPolygon> out;
  for (const CVertexAnimMesh* mesh = Meshes; mesh != nullptr; mesh = mesh->Next) {
    for (std::size_t i = 0; i + 2 < mesh->ListIndices.size(); i += 3) {
      VertexAnimCollisionPolygon p;
      p.TextureId = mesh->TextureId;
      p.MaterialId = mesh->MaterialId;
      p.Flags = mesh->Flags;
      for (int k = 0; k < 3; ++k) p.Vertices[k] = mesh->BaseFrame[mesh->ListIndices[i + static_cast<std::size_t>(k)]];
      // n = (b - a) x (c - a) normalised; d = -n . a.
      const RenderVertex &a = p.Vertices[0], &b = p.Vertices[1], &c = p.Vertices[2];
      const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
      const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
      float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
      const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
      if (length > 0.0f) {
        nx /= length;
        ny /= length;
        nz /= length;
      }
      p.Plane[0] = nx;
      p.Plane[1] = ny;
      p.Plane[2] = nz;
      p.Plane[3] = -(nx * a.x + ny * a.y + nz * a.z);
      out.push_back(p);
    }
  }
  return out;
}
