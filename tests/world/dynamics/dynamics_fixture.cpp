#include "world/dynamics/dynamics_fixture.h"

#include <algorithm>
#include <cmath>

#include "physics/dynamics/mdt_body.h"
#include "render/bsp/bsp_compiler.h"
#include "render/geometry/geometry_ops.h"
#include "world/environment/env_instance.h"
#include "world/environment/env_object.h"
#include "world/environment/environment.h"
#include "world/space/zone_record.h"

using geom::operator+;
using geom::operator-;
using geom::operator*;

namespace dyn_fixture {
namespace {

using Poly = std::vector<CVector3>;

CEnvObject* Template(CEnvironment* env, const std::vector<Poly>& polys) {
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
  }
  if (polys.empty()) lo = hi = {0, 0, 0};
  t->Bounds.Min = lo;
  t->Bounds.Max = hi;
  if (!polys.empty()) t->Bsp = CompileBspTree(source).release();
  t->CollisionBsp = t->Bsp;
  env->AddObject(t);
  return t;
}

// A quad facing up (+y) from four corners in any order around it.
Poly UpQuad(CVector3 a, CVector3 b, CVector3 c, CVector3 d) {
  Poly p{a, b, c, d};
  if (geom::Cross(b - a, c - a).y < 0) std::reverse(p.begin(), p.end());
  return p;
}

void Place(space_fixture::World* w, CEnvObject* t, const std::vector<Poly>& polys) {
  CEnvInstance* i = w->env->CreateInstance(nullptr, t, {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  w->land->AttachChild(i);
  for (const Poly& p : polys) {
    space_fixture::WorldPolygon wp;
    wp.vertices = p;
    wp.normal = geom::Unit(geom::Cross(p[1] - p[0], p[2] - p[0]));
    wp.d = -geom::Dot(wp.normal, p[0]);
    wp.instance = i;
    w->polygons.push_back(wp);
  }
}

// The flat ground (y 0, x and z -4000 .. 4000) with the ramp: up 15 degrees
// along +x from x 1200 to
// 1600, then a plateau to x 2400; z -400 .. 400.  The ground is cut in 5 m
// squares so that polygons stay small.
std::unique_ptr<space_fixture::World> FlatWorld(bool ramp) {
  auto w = std::make_unique<space_fixture::World>();
  w->env = std::make_unique<CEnvironment>(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  CEnvObject* marker = Template(w->env.get(), {});
  w->land = w->env->CreateInstance("Land", marker, {0, 0, 0}, {0, 0, 0}, nullptr, 0, 0);
  w->land->Zone = new ZoneRecord;
  std::vector<Poly> ground;
  const float cell = 500.0f;
  for (float x = -4000; x < 1200; x += cell)
    for (float z = -4000; z < 4000; z += cell)
      ground.push_back(UpQuad({x, 0, z}, {x + cell, 0, z}, {x + cell, 0, z + cell}, {x, 0, z + cell}));
  if (ramp) {
    const float top = 400.0f * std::tan(15.0f * 3.14159265f / 180.0f);
    for (float z = -400; z < 400; z += 400) {
      ground.push_back(UpQuad({1200, 0, z}, {1600, top, z}, {1600, top, z + 400}, {1200, 0, z + 400}));
      ground.push_back(UpQuad({1600, top, z}, {2400, top, z}, {2400, top, z + 400}, {1600, top, z + 400}));
    }
  } else {
    for (float x = 1200; x < 4000; x += cell)
      for (float z = -4000; z < 4000; z += cell)
        ground.push_back(UpQuad({x, 0, z}, {x + cell, 0, z}, {x + cell, 0, z + cell}, {x, 0, z + cell}));
  }
  Place(w.get(), Template(w->env.get(), ground), ground);
  w->env->ComputeWorldBounds();
  w->env->BuildStaticList();
  w->env->BuildOctrees(nullptr, false);
  w->env->UseZones = 1;
  return w;
}

}  // namespace

Level::~Level() {
  physics.reset();
  world.reset();
}

CEnvInstance* Level::Instance(const CVector3& at, CEnvInstance* zone) {
  CEnvInstance* i = world->env->CreateInstance(nullptr, marker, at, {0, 0, 0}, nullptr, 0, 0);
  (zone ? zone : world->land)->AttachChild(i);
  return i;
}

void Level::Run(int steps, std::uint32_t ms) {
  for (int i = 0; i < steps; ++i) {
    clockMs += ms;
    physics->StepAt(clockMs);
  }
}

float Level::GroundBelow(float x, float y, float z) const {
  float best = -1e9f;
  for (const space_fixture::WorldPolygon& p : world->polygons) {
    if (p.normal.y < 0.1f) continue;
    // Height of the plane at (x, z), then whether (x, z) lies inside the
    // polygon's projection on the ground.
    const float h = -(p.normal.x * x + p.normal.z * z + p.d) / p.normal.y;
    if (h > y + 5.0f || h <= best) continue;
    bool inside = true;
    const size_t n = p.vertices.size();
    for (size_t k = 0; k < n && inside; ++k) {
      const CVector3& a = p.vertices[k];
      const CVector3& b = p.vertices[(k + 1) % n];
      // Up-facing, counter-clockwise seen from above in this frame: inside
      // is on the same side for every edge.
      const float cross = (b.x - a.x) * (z - a.z) - (b.z - a.z) * (x - a.x);
      if (cross > 0.01f) inside = false;
    }
    if (inside) best = h;
  }
  return best;
}

std::unique_ptr<Level> MakeLevel(const Options& options) {
  auto level = std::make_unique<Level>();
  if (options.flatTerrain || options.ramp) {
    level->world = FlatWorld(options.ramp);
  } else {
    space_fixture::Options o;
    o.terrainTiles = options.terrainTiles;
    o.outdoorCrates = 0;
    o.trees = 0;
    o.cratesPerRoom = 0;
    level->world = space_fixture::MakeWorld(o);
  }
  level->marker = new CEnvObject;
  level->marker->TemplateKind = OTYPE_ENV;
  level->world->env->AddObject(level->marker);
  level->physics = std::make_unique<CDynamicsWorld>(options.capacity);
  return level;
}

DynSimpleData CrateRecord(float size, float mass) {
  DynSimpleData r;
  r.blank();
  r.mass = mass;
  r.inertiaSize = {size, size, size};
  r.colliderKind = DYNCOLLIDER_BOX;
  r.boxSize = {size, size, size};
  return r;
}

DynCarData CarRecord() {
  DynCarData car;
  car.blank();
  car.driveForce = 7.0f;
  car.highDriveForce = 10.0f;
  car.maxSteerAngle = 0.6f;
  car.wheelHeight = -40.0f;
  car.mass = 8.0f;
  car.inertiaSize = {160.0f, 60.0f, 380.0f};
  car.massOffset = {0.0f, 0.0f, 0.0f};
  car.boxSize = {160.0f, 60.0f, 380.0f};
  car.boxOffset = {0.0f, 30.0f, 0.0f};
  car.suspensionTravel = 30.0f;
  car.suspensionSoftness = 0.01f;
  car.suspensionDamping = 0.3f;
  car.travelBelowRest = 0.5f;
  car.staticLoadTravel = 0.5f;
  car.frontTyreCompliance = 0.0002f;
  car.frontTyreSoftness = 0.0001f;
  car.rearTyreCompliance = 0.0002f;
  car.rearTyreSoftness = 0.0001f;
  car.loadLength = 260.0f;
  car.wheelMass = 0.5f;
  car.wheelCount = 4;
  const float xs[4] = {-80, 80, -80, 80};
  const float zs[4] = {130, 130, -130, -130};
  for (int i = 0; i < 4; ++i) {
    DynWheelData& w = car.wheels[i];
    w.blank();
    w.flags = i < 2 ? (DYNWHEEL_STEERED | DYNWHEEL_FRONT_TYRE) : DYNWHEEL_DRIVEN;
    w.radius = 35.0f;
    w.steeringFactor = 1.0f;
    w.attachment = {xs[i], 0.0f, zs[i]};
    w.sphereRadius = 35.0f;
    w.name = i < 2 ? "front" : "rear";
  }
  return car;
}

DynTankData TankRecord() {
  DynTankData tank;
  tank.blank();
  tank.trackForce = 2.0f;
  tank.highTrackForce = 3.0f;
  tank.wheelHeight = 0.0f;
  tank.mass = 30.0f;
  tank.inertiaSize = {300.0f, 120.0f, 600.0f};
  tank.boxSize = {300.0f, 100.0f, 600.0f};
  tank.boxOffset = {0.0f, 60.0f, 0.0f};
  tank.trackCycleLength = 200.0f;
  tank.wheelCount = 10;
  for (int i = 0; i < 10; ++i) {
    DynWheelData& w = tank.wheels[i];
    w.blank();
    const bool right = i >= 5;
    w.flags = DYNWHEEL_COLLIDER | (right ? DYNWHEEL_RIGHT_TRACK : 0);
    w.radius = 30.0f;
    w.attachment = {right ? 130.0f : -130.0f, -20.0f, -240.0f + 120.0f * static_cast<float>(i % 5)};
    w.sphereRadius = 30.0f;
    w.name = "roadwheel";
  }
  return tank;
}

std::vector<CVector3> BoxCorners(MdtBodyID body, const float* h) {
  float t[16];
  MdtBodyGetTransform(body, t);
  std::vector<CVector3> out;
  for (int sx = -1; sx <= 1; sx += 2)
    for (int sy = -1; sy <= 1; sy += 2)
      for (int sz = -1; sz <= 1; sz += 2) {
        const float l[3] = {sx * h[0], sy * h[1], sz * h[2]};
        CVector3 p;
        p.x = (t[12] + l[0] * t[0] + l[1] * t[4] + l[2] * t[8]) * 100.0f;
        p.y = (t[13] + l[0] * t[1] + l[1] * t[5] + l[2] * t[9]) * 100.0f;
        p.z = (t[14] + l[0] * t[2] + l[1] * t[6] + l[2] * t[10]) * 100.0f;
        out.push_back(p);
      }
  return out;
}

}  // namespace dyn_fixture
