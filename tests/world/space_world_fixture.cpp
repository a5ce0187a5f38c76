#include "world/space_world_fixture.h"

#include <algorithm>
#include <cmath>

#include "render/bsp/bsp_compiler.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/portal.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace space_fixture {
namespace {

using Poly = std::vector<CVector3>;

// A quad from its corners, wound to face along `facing`.
Poly Quad(CVector3 a, CVector3 b, CVector3 c, CVector3 d, CVector3 facing) {
  Poly p{a, b, c, d};
  if (geom::Dot(geom::Cross(b - a, c - a), facing) < 0) std::reverse(p.begin(), p.end());
  return p;
}

// The six outward faces of a box centred at the origin.
std::vector<Poly> Box(CVector3 h) {
  std::vector<Poly> out;
  for (int axis = 0; axis < 3; ++axis) {
    for (int s = -1; s <= 1; s += 2) {
      CVector3 n{0, 0, 0};
      float* nv = &n.x;
      nv[axis] = static_cast<float>(s);
      int u = (axis + 1) % 3, v = (axis + 2) % 3;
      auto corner = [&](float cu, float cv) {
        float c[3];
        c[axis] = s * (&h.x)[axis];
        c[u] = cu * (&h.x)[u];
        c[v] = cv * (&h.x)[v];
        return CVector3{c[0], c[1], c[2]};
      };
      out.push_back(Quad(corner(-1, -1), corner(1, -1), corner(1, 1), corner(-1, 1), n));
    }
  }
  return out;
}

// An axis-aligned wall rectangle in the plane `axis` = at, spanning [u0,u1] x
// [v0,v1] on the other two axes (in order x, y, z), facing ±axis.
Poly Wall(int axis, float at, float u0, float u1, float v0, float v1, float facing) {
  int u = (axis + 1) % 3, v = (axis + 2) % 3;
  auto corner = [&](float cu, float cv) {
    float c[3];
    c[axis] = at;
    c[u] = cu;
    c[v] = cv;
    return CVector3{c[0], c[1], c[2]};
  };
  CVector3 n{0, 0, 0};
  (&n.x)[axis] = facing;
  // u and v follow the axis cyclically; map the spans given as (first, second
  // of the remaining axes in x, y, z order).
  float a0 = u0, a1 = u1, b0 = v0, b1 = v1;
  if (u > v) std::swap(a0, b0), std::swap(a1, b1);
  return Quad(corner(a0, b0), corner(a1, b0), corner(a1, b1), corner(a0, b1), n);
}

}  // namespace

float TerrainHeight(float x, float z) {
  // Flat over the rooms' footprint and a margin, bumps elsewhere.
  float dx = std::max({-100.0f - x, x - 900.0f, 0.0f});
  float dz = std::max({-100.0f - z, z - 500.0f, 0.0f});
  float mask = std::min(1.0f, std::sqrt(dx * dx + dz * dz) / 400.0f);
  return mask * (80.0f * std::sin(x / 530.0f) * std::cos(z / 710.0f) + 40.0f * std::sin((x + z) / 260.0f));
}

int RoomOf(const CVector3& p) {
  if (p.y <= 0 || p.y >= 300 || p.z <= 0 || p.z >= 400) return 0;
  if (p.x > 0 && p.x < 400) return 1;
  if (p.x > 400 && p.x < 800) return 2;
  return 0;
}

World::~World() {
  if (env) {
    for (CEnvInstance* i = env->InstanceList; i; i = i->EnvLink)
      if (i->Zone) i->Zone->FreePortals();
  }
  env.reset();
}

namespace {

struct Builder {
  World* w;
  CEnvObject* marker = nullptr;

  CEnvObject* Template(const std::vector<Poly>& polys) {
    auto* t = new CEnvObject;
    t->TemplateKind = OTYPE_ENV;
    BspSource source;
    CVector3 lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const Poly& p : polys) {
      source.push_back({p, 0});
      for (const CVector3& v : p) {
        lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
        hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
      }
      if (p.size() == 3) ++w->triangles;
      else w->triangles += static_cast<int>(p.size()) - 2;
    }
    if (polys.empty()) lo = hi = {0, 0, 0};
    t->Bounds.Min = lo;
    t->Bounds.Max = hi;
    if (!polys.empty()) t->Bsp = CompileBspTree(source).release();
    t->CollisionBsp = t->Bsp;
    w->env->AddObject(t);
    return t;
  }

  // Places a template's polygons (given in local space) under a parent, and
  // keeps their world form for brute force.
  CEnvInstance* Place(CEnvInstance* parent, const std::vector<Poly>& polys, CVector3 position, float yaw) {
    CEnvObject* t = Template(polys);
    CEnvInstance* i = w->env->CreateInstance(nullptr, t, position, {0, yaw, 0}, nullptr, 0, 0);
    if (parent) parent->AttachChild(i);
    for (const Poly& p : polys) {
      WorldPolygon wp;
      for (const CVector3& v : p) {
        CVector3 o;
        i->LocalToWorld(-1, v, &o);
        wp.vertices.push_back(o);
      }
      wp.normal = geom::Unit(geom::Cross(wp.vertices[1] - wp.vertices[0], wp.vertices[2] - wp.vertices[0]));
      wp.d = -geom::Dot(wp.normal, wp.vertices[0]);
      wp.instance = i;
      w->polygons.push_back(wp);
    }
    return i;
  }

  CEnvInstance* ZoneRoot(const char* name, CVector3 at) {
    if (!marker) marker = Template({});
    CEnvInstance* root = w->env->CreateInstance(name, marker, at, {0, 0, 0}, nullptr, 0, 0);
    root->Zone = new ZoneRecord;
    return root;
  }
};

}  // namespace

std::unique_ptr<World> MakeWorld(const Options& o) {
  auto w = std::make_unique<World>();
  w->env = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  Builder b{w.get()};
  std::mt19937 rng(o.seed);
  std::uniform_real_distribution<float> unit(0, 1);

  w->land = b.ZoneRoot("Land", {0, 0, 0});
  w->roomA = b.ZoneRoot("RoomA", {200, 150, 200});
  w->roomB = b.ZoneRoot("RoomB", {600, 150, 200});

  // Terrain tiles, each a grid of up-facing triangles in tile-local space.
  const float tile = 1000.0f, half_world = tile * o.terrainTiles * 0.5f;
  const float cell = tile / static_cast<float>(o.cellsPerTile);
  for (int tx = 0; tx < o.terrainTiles; ++tx) {
    for (int tz = 0; tz < o.terrainTiles; ++tz) {
      CVector3 origin{-half_world + tx * tile + tile * 0.5f, 0, -half_world + tz * tile + tile * 0.5f};
      std::vector<Poly> tris;
      for (int i = 0; i < o.cellsPerTile; ++i) {
        for (int j = 0; j < o.cellsPerTile; ++j) {
          auto at = [&](int di, int dj) {
            float lx = -tile * 0.5f + (i + di) * cell, lz = -tile * 0.5f + (j + dj) * cell;
            return CVector3{lx, TerrainHeight(origin.x + lx, origin.z + lz), lz};
          };
          CVector3 up{0, 1, 0};
          Poly t1{at(0, 0), at(1, 0), at(1, 1)}, t2{at(0, 0), at(1, 1), at(0, 1)};
          for (Poly* t : {&t1, &t2})
            if (geom::Dot(geom::Cross((*t)[1] - (*t)[0], (*t)[2] - (*t)[0]), up) < 0) std::reverse(t->begin(), t->end());
          tris.push_back(t1);
          tris.push_back(t2);
        }
      }
      b.Place(w->land, tris, origin, 0);
    }
  }

  // Room shells.  Interior: facing into each room, the shared wall at x = 400
  // with a doorway z 150..250, y 0..200.  Exterior: facing out, one box.
  auto shell_a = std::vector<Poly>{
      Wall(1, 0, 0, 400, 0, 400, 1), Wall(1, 300, 0, 400, 0, 400, -1),   // floor, ceiling (x, z spans)
      Wall(0, 0, 0, 300, 0, 400, 1),                                     // x = 0 (y, z spans)
      Wall(2, 0, 0, 400, 0, 300, 1), Wall(2, 400, 0, 400, 0, 300, -1),   // z = 0, z = 400 (x, y spans)
      Wall(0, 400, 0, 300, 0, 150, -1), Wall(0, 400, 0, 300, 250, 400, -1), Wall(0, 400, 200, 300, 150, 250, -1)};
  auto shell_b = std::vector<Poly>{
      Wall(1, 0, 400, 800, 0, 400, 1), Wall(1, 300, 400, 800, 0, 400, -1),
      Wall(0, 800, 0, 300, 0, 400, -1),
      Wall(2, 0, 400, 800, 0, 300, 1), Wall(2, 400, 400, 800, 0, 300, -1),
      Wall(0, 400, 0, 300, 0, 150, 1), Wall(0, 400, 0, 300, 250, 400, 1), Wall(0, 400, 200, 300, 150, 250, 1)};
  auto outside = std::vector<Poly>{
      Wall(0, 0, 0, 300, 0, 400, -1), Wall(0, 800, 0, 300, 0, 400, 1),
      Wall(2, 0, 0, 800, 0, 300, -1), Wall(2, 400, 0, 800, 0, 300, 1), Wall(1, 300, 0, 800, 0, 400, 1)};
  b.Place(w->roomA, shell_a, {0, 0, 0}, 0);
  b.Place(w->roomB, shell_b, {0, 0, 0}, 0);
  b.Place(w->land, outside, {0, 0, 0}, 0);

  // Crates: boxes turned about y, none overlapping another (nor a tree).
  struct Footprint {
    float x, z, r;
  };
  std::vector<Footprint> taken;
  auto free_at = [&](float x, float z, float r) {
    for (const Footprint& f : taken)
      if ((f.x - x) * (f.x - x) + (f.z - z) * (f.z - z) < (f.r + r) * (f.r + r)) return false;
    return true;
  };
  auto crate = [&](CEnvInstance* parent, CVector3 at, float size) -> CEnvInstance* {
    if (!free_at(at.x, at.z, size * 1.42f)) return nullptr;
    taken.push_back({at.x, at.z, size * 1.42f});
    CVector3 h{size, size * (0.6f + 0.4f * unit(rng)), size * (0.7f + 0.3f * unit(rng))};
    at.y += h.y;
    return b.Place(parent, Box(h), at, 360.0f * unit(rng));
  };
  for (int k = 0; k < o.outdoorCrates; ++k) {
    float x, z;
    do {
      x = (unit(rng) * 2 - 1) * (half_world - 300);
      z = (unit(rng) * 2 - 1) * (half_world - 300);
    } while (x > -200 && x < 1000 && z > -200 && z < 600);
    crate(w->land, {x, TerrainHeight(x, z) - 10, z}, 30 + 60 * unit(rng));
  }
  for (int k = 0; k < o.cratesPerRoom; ++k) {
    crate(w->roomA, {60 + 280 * unit(rng), 0, 60 + 280 * unit(rng)}, 20 + 20 * unit(rng));
    CEnvInstance* c = crate(w->roomB, {460 + 280 * unit(rng), 0, 60 + 280 * unit(rng)}, 20 + 20 * unit(rng));
    if (k == 0 && !c) c = crate(w->roomB, {600, 0, 200}, 30);
    if (!w->crateInB) w->crateInB = c;
  }
  // Trees: a trunk and a canopy box.
  for (int k = 0; k < o.trees; ++k) {
    float x, z;
    do {
      x = (unit(rng) * 2 - 1) * (half_world - 300);
      z = (unit(rng) * 2 - 1) * (half_world - 300);
    } while ((x > -300 && x < 1100 && z > -300 && z < 700) || !free_at(x, z, 220));
    taken.push_back({x, z, 220});
    float base = TerrainHeight(x, z) - 20;
    std::vector<Poly> tree = Box({15, 200, 15});
    for (Poly& p : tree)
      for (CVector3& v : p) v.y += 200;
    for (Poly p : Box({150, 70, 150})) {
      for (CVector3& v : p) v.y += 450;
      tree.push_back(p);
    }
    b.Place(w->land, tree, {x, base, z}, 360.0f * unit(rng));
  }

  // The doorway: one portal each way.
  PortalPolygon door{};
  door.Plane[0] = -1, door.Plane[1] = 0, door.Plane[2] = 0, door.Plane[3] = 400;  // front: x < 400
  door.VertexCount = 4;
  door.Vertices[0] = {400, 0, 150};
  door.Vertices[1] = {400, 0, 250};
  door.Vertices[2] = {400, 200, 250};
  door.Vertices[3] = {400, 200, 150};
  w->doorAB = w->roomA->AddPortal(w->roomB, door, nullptr, 0, -1, 0);
  PortalPolygon back = door;
  back.Plane[0] = 1, back.Plane[3] = -400;
  for (int k = 0; k < 4; ++k) back.Vertices[k] = door.Vertices[3 - k];
  w->doorBA = w->roomB->AddPortal(w->roomA, back, nullptr, 0, -1, 0);

  w->env->ComputeWorldBounds();
  w->env->BuildStaticList();
  w->env->BuildOctrees(nullptr, false);
  w->env->UseZones = 1;
  return w;
}

namespace {

// Signed distance of p from the polygon's edges, positive inside: the least
// distance to an edge line, in the polygon's plane.
float InsideMargin(const WorldPolygon& poly, const CVector3& p) {
  float least = 1e30f;
  const std::size_t n = poly.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    CVector3 a = poly.vertices[i], b = poly.vertices[(i + 1) % n];
    CVector3 inward = geom::Unit(geom::Cross(poly.normal, b - a));
    least = std::min(least, geom::Dot(p - a, inward));
  }
  return least;
}

}  // namespace

bool SegmentBlocked(const std::vector<WorldPolygon>& polygons, const CVector3& a, const CVector3& b, float margin,
                    bool* ambiguous, float* nearest) {
  bool blocked = false;
  *ambiguous = false;
  float best = 2.0f;
  const float len = geom::Length(b - a);
  for (const WorldPolygon& p : polygons) {
    float da = geom::Dot(p.normal, a) + p.d, db = geom::Dot(p.normal, b) + p.d;
    if (da < -margin || db > margin) continue;  // not from the front, or not reaching it
    if (da - db <= 0) continue;
    float t = da / (da - db);
    CVector3 at = a + (b - a) * t;
    float inside = InsideMargin(p, at);
    bool near_end = da <= margin || db >= -margin;
    if (inside < -margin) continue;
    if (inside <= margin || near_end) {
      *ambiguous = true;
      continue;
    }
    (void)len;
    blocked = true;
    best = std::min(best, t);
  }
  if (nearest) *nearest = best;
  return blocked;
}

float DistanceToPolygon(const WorldPolygon& poly, const CVector3& p) {
  float plane_distance = geom::Dot(poly.normal, p) + poly.d;
  CVector3 onto = p - poly.normal * plane_distance;
  if (InsideMargin(poly, onto) >= 0) return std::fabs(plane_distance);
  float best = 1e30f;
  const std::size_t n = poly.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    CVector3 a = poly.vertices[i], b = poly.vertices[(i + 1) % n];
    CVector3 ab = b - a;
    float t = std::clamp(geom::Dot(p - a, ab) / std::max(geom::LengthSq(ab), 1e-12f), 0.0f, 1.0f);
    best = std::min(best, geom::Length(p - (a + ab * t)));
  }
  return best;
}

}  // namespace space_fixture
