// Fanning: polygon vertices v0 .. vn-1 give triangles (v0, vk+1, vk+2).  The
// buffer holds v0 and the fan's previous vertex; a new vertex is kept when
// its triangle touches the sphere or the previous triangle was taken (that
// triangle refers to the previous vertex), otherwise it replaces the
// previous one.  Kept vertices go to world space (x 0.01) once the polygon
// is done.
#include "world/dynamics/terrain_collider.h"

#include <chrono>
#include <cmath>
#include <unordered_set>

#include "foundation/memory/linear_buffer.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_body.h"
#include "render/bsp/bsp_tree.h"
#include "render/textures/surfaces.h"
#include "render/volumes/sphere.h"
#include "world/dynamics/collision_model.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"

namespace {

McdUserTriangle g_Triangles[kTerrainMaxTriangles];
alignas(16) float g_OwnVertices[kTerrainMaxVertices * 3];
alignas(16) float g_OwnNormals[kTerrainMaxNormals * 3];
float* g_Vertices = g_OwnVertices;
float* g_Normals = g_OwnNormals;
int g_VertexCount = 0;
int g_NormalCount = 0;
int g_TriangleCount = 0;
bool g_Full = false;

const CSurfaces* g_Surfaces = nullptr;
CEnvInstance* g_Current = nullptr;
std::unordered_set<const CEnvInstance*> g_Moved;
TerrainGatherStats g_Stats;

// Per-instance decision cache of the query under way.
const CEnvInstance* g_CachedInstance = nullptr;
bool g_CachedSkip = false;

bool SkipInstance(const CEnvInstance* instance) {
  if (instance == g_CachedInstance) return g_CachedSkip;
  g_CachedInstance = instance;
  g_CachedSkip = instance == g_Current || g_Moved.count(instance) != 0;
  return g_CachedSkip;
}

bool SurfaceIgnored(std::uint32_t surfaceId) {
  if (!g_Surfaces || !g_Current) return false;
  const std::uint32_t flags = g_Current->Flags;
  if (!(flags & (TERRAIN_IGNORE_SURFACE_0x10 | TERRAIN_IGNORE_SURFACE_0x20 | TERRAIN_IGNORE_SURFACE_0x40))) return false;
  const CSurface* s = g_Surfaces->GetSurface(surfaceId);
  if (!s) return false;
  return ((flags & TERRAIN_IGNORE_SURFACE_0x10) && (s->Flags & 0x10)) ||
         ((flags & TERRAIN_IGNORE_SURFACE_0x20) && (s->Flags & 0x20)) ||
         ((flags & TERRAIN_IGNORE_SURFACE_0x40) && (s->Flags & 0x40));
}

void Copy3(float* out, const float* in) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}

void PolygonCallback(PolygonQuery* query, const BspPolygon* polygon, const float* plane) {
  if (g_Full || SkipInstance(query->Instance)) return;
  if (SurfaceIgnored(polygon->SurfaceId)) return;
  const unsigned count = polygon->VertexCount;
  if (count < 3) return;
  if (g_NormalCount >= kTerrainMaxNormals || g_TriangleCount >= kTerrainMaxTriangles) {
    g_Full = true;
    return;
  }
  CEnvInstance* instance = query->Instance;
  const int node = (instance->Template && instance->Template->TemplateKind == OTYPE_TRANSFORMANIM && query->Node)
                       ? query->Node->NodeIndex
                       : -1;
  // The plane normal in the world frame, into the next free normal slot.
  CVector3 worldNormal;
  instance->RotateToWorld(node, {plane[0], plane[1], plane[2]}, &worldNormal);
  const float length = std::sqrt(worldNormal.x * worldNormal.x + worldNormal.y * worldNormal.y +
                                 worldNormal.z * worldNormal.z);
  if (!(length > 0)) return;
  float* normal = g_Normals + 3 * g_NormalCount;
  normal[0] = worldNormal.x / length;
  normal[1] = worldNormal.y / length;
  normal[2] = worldNormal.z / length;
  // Steep polygons that face away from the sphere's centre are walls seen
  // from behind: nothing to stand on or push against.
  const CVector3& c = query->LocalSphere.Centre;
  if (std::fabs(normal[1]) < 0.1f && plane[0] * c.x + plane[1] * c.y + plane[2] * c.z + plane[3] < 0) return;

  const int base = g_VertexCount;
  if (base + 3 > kTerrainMaxVertices) {
    g_Full = true;
    return;
  }
  float* buffer = g_Vertices + 3 * base;
  Copy3(buffer, polygon->Vertex(0));
  Copy3(buffer + 3, polygon->Vertex(1));
  int kept = 2;
  bool lastTaken = false;
  for (unsigned k = 0; k + 2 < count; ++k) {
    const float* next = polygon->Vertex(k + 2);
    const float* previous = buffer + 3 * (kept - 1);
    const float triangle[9] = {buffer[0],   buffer[1],   buffer[2], previous[0], previous[1],
                               previous[2], next[0],     next[1],   next[2]};
    const bool touching = query->LocalSphere.TouchesTriangle(triangle, plane);
    if (touching || lastTaken) {
      if (base + kept >= kTerrainMaxVertices || (touching && g_TriangleCount >= kTerrainMaxTriangles)) {
        g_Full = true;
        break;
      }
      float* slot = buffer + 3 * kept;
      Copy3(slot, next);
      if (touching) {
        McdUserTriangle& t = g_Triangles[g_TriangleCount++];
        t.vertices[0] = buffer;
        t.vertices[1] = buffer + 3 * (kept - 1);
        t.vertices[2] = slot;
        t.normal = normal;
        t.element1 = polygon->SurfaceId;
        t.element2 = reinterpret_cast<MeUserWord>(instance);
      }
      ++kept;
      lastTaken = touching;
    } else {
      Copy3(buffer + 3 * (kept - 1), next);
    }
  }
  if (kept == 2) return;  // nothing taken: vertices and normal slot go back
  ++g_NormalCount;
  g_VertexCount = base + kept;
  for (int k = 0; k < kept; ++k) {
    float* v = buffer + 3 * k;
    CVector3 world;
    instance->LocalToWorld(node, {v[0], v[1], v[2]}, &world);
    v[0] = world.x * 0.01f;
    v[1] = world.y * 0.01f;
    v[2] = world.z * 0.01f;
  }
}

McdGeometry* TriangleListOf(McdModelPair* pair) {
  for (McdModel* m : {pair->model1, pair->model2})
    if (m && McdGeometryGetType(m->geometry) == McdTriangleListGetTypeId()) return m->geometry;
  return nullptr;
}

}  // namespace

int GatherTerrainTriangles(CEnvInstance* current, const float* centreWorld, float radiusWorld) {
  g_VertexCount = g_NormalCount = g_TriangleCount = 0;
  g_Full = false;
  CEnvInstance* root = current ? current->GetRoot() : nullptr;
  if (!root || !g_Environment) return 0;
  g_Current = current;
  g_CachedInstance = nullptr;
  PolygonQuery query;
  query.Flags = 3;
  query.Callback = &PolygonCallback;
  CSphere sphere;
  sphere.Set({centreWorld[0], centreWorld[1], centreWorld[2]}, radiusWorld);
  g_Environment->ForEachPolygonInSphere(root, sphere, &query);
  g_Current = nullptr;
  g_CachedInstance = nullptr;
  return g_TriangleCount;
}

int TerrainTriangleCallback(McdModelPair* pair, const float* centre, float radius) {
  // A resting body needs no ground; a model without a body counts as awake.
  for (McdModel* m : {pair->model1, pair->model2}) {
    MdtBodyID body = m ? McdModelGetBody(m) : nullptr;
    if (body && !MdtBodyIsEnabled(body)) return 0;
  }
  auto* first = reinterpret_cast<CollisionUserData*>(McdModelGetUserData(pair->model1));
  CEnvInstance* current = first ? first->Instance : nullptr;
  if (!current) {
    auto* second = reinterpret_cast<CollisionUserData*>(McdModelGetUserData(pair->model2));
    current = second ? second->Instance : nullptr;
  }
  McdGeometry* list = TriangleListOf(pair);
  const auto start = g_Stats.Timing ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
  const float world[3] = {centre[0] * 100.0f, centre[1] * 100.0f, centre[2] * 100.0f};
  const int count = GatherTerrainTriangles(current, world, radius * 100.0f);
  if (g_Stats.Timing)
    g_Stats.Nanoseconds += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count());
  ++g_Stats.Queries;
  g_Stats.Triangles += static_cast<std::uint64_t>(count);
  if (list) reinterpret_cast<McdTriangleList*>(list)->triangleCount = count;
  return count;
}

McdUserTriangle* TerrainTriangleBuffer() { return g_Triangles; }
int TerrainVerticesUsed() { return g_VertexCount; }
int TerrainNormalsUsed() { return g_NormalCount; }
void SetTerrainSurfaces(const CSurfaces* surfaces) { g_Surfaces = surfaces; }
TerrainGatherStats& TerrainStats() { return g_Stats; }

void RegisterMovedInstance(CEnvInstance* instance) {
  if (instance) g_Moved.insert(instance);
}
void UnregisterMovedInstance(CEnvInstance* instance) { g_Moved.erase(instance); }
void ClearMovedInstances() { g_Moved.clear(); }

void UseTerrainBuffers(CLinearBuffer* buffer) {
  if (!buffer) return;
  auto* vertices = static_cast<float*>(buffer->Alloc16(kTerrainMaxVertices * 12));
  auto* normals = static_cast<float*>(buffer->Alloc16(kTerrainMaxNormals * 12));
  if (vertices && normals) {
    g_Vertices = vertices;
    g_Normals = normals;
  }
}

void ForgetTerrainBuffers() {
  g_Vertices = g_OwnVertices;
  g_Normals = g_OwnNormals;
}
