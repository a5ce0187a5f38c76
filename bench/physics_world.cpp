// Whole-world steps through the library and, in the same process, through
// ODE (dWorldStep and dWorldQuickStep) and Bullet (sequential impulse):
//   pyramid  - 55 unit boxes in ten rows, settling for 5 s;
//   spheres  - 500 spheres of radius 0.2 poured into a 4 m box, 1 s, without
//              friction: the library's solver factors each partition's
//              rows densely, so a pile that forms one partition of some
//              2,000 friction rows costs seconds per step; frictionless it
//              has a third of the rows (a 27th of the work);
//   car      - a box chassis on four sphere wheels driving up a 10 degree
//              ramp of triangles, 8 s.
// Same step (1/60 s), gravity, masses, friction and restitution everywhere.
// The library bounds friction per contact by a force (box friction); the
// peers take a coefficient: 0.6 for the boxes, 1.0 for the car,
// and the library gets the bound that coefficient gives under the load a
// contact carries.  Each run reports the time per step and a quality figure
// beside it: pyramid - the largest drift of a box from its place (mm);
// spheres - the deepest overlap left at the end (mm); car - the largest
// drift of a wheel off its suspension line (mm).  A table with the ratios
// (peer time / library time) is printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "car_fixture.h"
#include "physics/collision/mcd_model.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/util/me_message.h"
#include "scene_fixture.h"

#ifdef HALBERD_BENCH_ODE
#include <ode/ode.h>
#endif
#ifdef HALBERD_BENCH_BULLET
#include <btBulletDynamicsCommon.h>
#endif

namespace {

constexpr float kStep = 1.0f / 60;
constexpr float kG = 9.81f;
constexpr int kPyramidSteps = 300, kSphereSteps = 60, kCarSteps = 480;
constexpr float kSphereRadius = 0.2f;
// Drive torque per rear wheel: within what friction can carry (no wheel spin).
constexpr float kDriveTorque = 120;

struct Outcome {
  double stepMs = 0;
  double quality = 0;
};
std::map<std::string, std::map<std::string, Outcome>> g_results;  // scene -> engine -> outcome

using Clock = std::chrono::steady_clock;

// ---- scene layouts shared by every engine --------------------------------

struct Placed {
  float x, y, z;
};

std::vector<Placed> PyramidLayout() {
  std::vector<Placed> out;
  for (int level = 0; level < 10; ++level)
    for (int i = 0; i < 10 - level; ++i) out.push_back({(i - (9 - level) * 0.5f) * 1.1f, 0.5f + level, 0});
  return out;
}

std::vector<Placed> SphereLayout() {
  std::vector<Placed> out;
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> jitter(-0.02f, 0.02f);
  for (int layer = 0; out.size() < 500; ++layer)
    for (int i = 0; i < 8 && out.size() < 500; ++i)
      for (int k = 0; k < 8 && out.size() < 500; ++k)
        out.push_back({-1.6f + 0.45f * i + jitter(rng), 0.5f + 0.5f * layer, -1.6f + 0.45f * k + jitter(rng)});
  return out;
}

// Walls of the sphere box: centre and full sizes.
struct Wall {
  float x, y, z, sx, sy, sz;
};
const Wall kWalls[4] = {{-2.1f, 2, 0, 0.2f, 4, 4.4f}, {2.1f, 2, 0, 0.2f, 4, 4.4f}, {0, 2, -2.1f, 4.4f, 4, 0.2f},
                        {0, 2, 2.1f, 4.4f, 4, 0.2f}};

double PyramidDrift(const std::vector<Placed>& layout, const std::vector<Placed>& now) {
  double worst = 0;
  for (size_t i = 0; i < layout.size(); ++i)
    worst = std::max(worst, double(std::sqrt(std::pow(now[i].x - layout[i].x, 2) + std::pow(now[i].y - layout[i].y, 2) +
                                             std::pow(now[i].z - layout[i].z, 2))));
  return 1000 * worst;
}

double SphereOverlap(const std::vector<Placed>& p) {
  double worst = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    worst = std::max(worst, double(kSphereRadius - p[i].y));
    worst = std::max(worst, double(kSphereRadius - (p[i].x + 2.0f)));
    worst = std::max(worst, double(kSphereRadius - (2.0f - p[i].x)));
    worst = std::max(worst, double(kSphereRadius - (p[i].z + 2.0f)));
    worst = std::max(worst, double(kSphereRadius - (2.0f - p[i].z)));
    for (size_t j = i + 1; j < p.size(); ++j) {
      const float d = std::sqrt(std::pow(p[i].x - p[j].x, 2) + std::pow(p[i].y - p[j].y, 2) + std::pow(p[i].z - p[j].z, 2));
      worst = std::max(worst, double(2 * kSphereRadius - d));
    }
  }
  return 1000 * worst;
}

// A wheel's drift off its suspension line: the distance, across the
// chassis's y axis, between the wheel centre and its anchor.  x, y, z are
// the chassis's axes in world coordinates, `pos` its centre.
double WheelDrift(const float* x, const float* y, const float* z, const float* pos, const float* anchorLocal,
                  const float* wheel) {
  float anchor[3], d[3];
  for (int k = 0; k < 3; ++k) anchor[k] = pos[k] + anchorLocal[0] * x[k] + anchorLocal[1] * y[k] + anchorLocal[2] * z[k];
  for (int k = 0; k < 3; ++k) d[k] = wheel[k] - anchor[k];
  const float along = d[0] * y[0] + d[1] * y[1] + d[2] * y[2];
  float perp2 = 0;
  for (int k = 0; k < 3; ++k) perp2 += std::pow(d[k] - along * y[k], 2);
  return 1000.0 * std::sqrt(perp2);
}

const float kWheelAnchors[4][3] = {{-1.2f, -0.5f, 1.4f}, {1.2f, -0.5f, 1.4f}, {-1.2f, -0.5f, -1.4f}, {1.2f, -0.5f, -1.4f}};

// ---- the library -----------------------------------------------------------

Outcome HalberdPyramid() {
  mdt_test::Scene s(200, 1000, 2, false);  // no sleeping: the peers run with theirs off
  MdtContactParamsSetFriction(s.Params(), 0.6f * kG * 5 / 4);
  s.Ground();
  std::vector<Placed> layout = PyramidLayout();
  std::vector<McdModel*> boxes;
  for (const Placed& p : layout) boxes.push_back(s.Box(1, 1, 1, 1, p.x, p.y, p.z));
  const auto t0 = Clock::now();
  for (int i = 0; i < kPyramidSteps; ++i) s.Step(kStep);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (McdModel* m : boxes) {
    const float* t = McdModelGetBody(m)->transform;
    now.push_back({t[12], t[13], t[14]});
  }
  return {ms / kPyramidSteps, PyramidDrift(layout, now)};
}

Outcome HalberdSpheres() {
  mdt_test::Scene s(600, 4000, 2, false);
  MdtContactParams* p = s.Params();
  MdtContactParamsSetType(p, 0);  // frictionless, see the top of the file
  MdtContactParamsSetRestitution(p, 0.2f);
  s.Ground();
  for (const Wall& w : kWalls) s.StaticBox(w.sx, w.sy, w.sz, w.x, w.y, w.z);
  std::vector<McdModel*> balls;
  for (const Placed& q : SphereLayout()) balls.push_back(s.Sphere(kSphereRadius, 1, q.x, q.y, q.z));
  const auto t0 = Clock::now();
  for (int i = 0; i < kSphereSteps; ++i) s.Step(kStep);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (McdModel* m : balls) {
    const float* t = McdModelGetBody(m)->transform;
    now.push_back({t[12], t[13], t[14]});
  }
  return {ms / kSphereSteps, SphereOverlap(now)};
}

Outcome HalberdCar() {
  mdt_test::Scene s(16, 96, 2, false);
  MdtContactParamsSetType(s.Params(), 2);
  MdtContactParamsSetFriction(s.Params(), 1.0f * 140 * kG / 4);
  mdt_test::Terrain terrain(10, 5, 25);
  s.Static(terrain.geometry, terrain.transform);
  mdt_test::Car car(s, 0, 0.95f, 0);
  car.Drive(5, kDriveTorque);
  double drift = 0;
  const auto t0 = Clock::now();
  for (int i = 0; i < kCarSteps; ++i) {
    car.SteerTo(0);
    car.Step(s, kStep);
    const float* t = car.Body()->transform;
    for (int w = 0; w < 4; ++w)
      drift = std::max(drift, WheelDrift(t, t + 4, t + 8, t + 12, kWheelAnchors[w],
                                         McdModelGetBody(car.wheels[w])->transform + 12));
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  if (car.Body()->transform[14] < 30) std::printf("note: the car stopped at z = %.1f m\n", car.Body()->transform[14]);
  return {ms / kCarSteps, drift};
}

// ---- ODE ---------------------------------------------------------------------

#ifdef HALBERD_BENCH_ODE

struct OdeWorld {
  dWorldID world;
  dSpaceID space;
  dJointGroupID contacts;
  double mu = 0.6, bounce = 0;
  bool quick = false;
  explicit OdeWorld(bool q) : quick(q) {
    world = dWorldCreate();
    space = dHashSpaceCreate(nullptr);
    contacts = dJointGroupCreate(0);
    dWorldSetGravity(world, 0, -kG, 0);
    dWorldSetERP(world, 0.2);
    dWorldSetCFM(world, 1e-4);
    dWorldSetQuickStepNumIterations(world, 20);
  }
  ~OdeWorld() {
    dJointGroupDestroy(contacts);
    dSpaceDestroy(space);
    dWorldDestroy(world);
  }
  static void Near(void* data, dGeomID a, dGeomID b) {
    auto* self = static_cast<OdeWorld*>(data);
    dBodyID ba = dGeomGetBody(a), bb = dGeomGetBody(b);
    if (ba && bb && dAreConnected(ba, bb)) return;
    if (!ba && !bb) return;
    dContact c[8];
    const int n = dCollide(a, b, 8, &c[0].geom, sizeof(dContact));
    for (int i = 0; i < n; ++i) {
      c[i].surface.mode = dContactApprox1 | (self->bounce > 0 ? dContactBounce : 0);
      c[i].surface.mu = self->mu;
      c[i].surface.bounce = self->bounce;
      c[i].surface.bounce_vel = 0.001;
      dJointID j = dJointCreateContact(self->world, self->contacts, &c[i]);
      dJointAttach(j, ba, bb);
    }
  }
  void Step() {
    dSpaceCollide(space, this, &OdeWorld::Near);
    if (quick) dWorldQuickStep(world, kStep);
    else dWorldStep(world, kStep);
    dJointGroupEmpty(contacts);
  }
  dBodyID Body(dGeomID g, double mass, double x, double y, double z, bool sphere, double size) {
    dBodyID b = dBodyCreate(world);
    dMass m;
    if (sphere) dMassSetSphereTotal(&m, mass, size);
    else dMassSetBoxTotal(&m, mass, size, size, size);
    dBodySetMass(b, &m);
    dBodySetPosition(b, x, y, z);
    dGeomSetBody(g, b);
    dBodySetAutoDisableFlag(b, 0);
    return b;
  }
};

Placed OdePos(dBodyID b) {
  const dReal* p = dBodyGetPosition(b);
  return {float(p[0]), float(p[1]), float(p[2])};
}

Outcome OdePyramid(bool quick) {
  OdeWorld w(quick);
  dCreatePlane(w.space, 0, 1, 0, 0);
  std::vector<Placed> layout = PyramidLayout();
  std::vector<dBodyID> bodies;
  for (const Placed& p : layout) bodies.push_back(w.Body(dCreateBox(w.space, 1, 1, 1), 1, p.x, p.y, p.z, false, 1));
  const auto t0 = Clock::now();
  for (int i = 0; i < kPyramidSteps; ++i) w.Step();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (dBodyID b : bodies) now.push_back(OdePos(b));
  return {ms / kPyramidSteps, PyramidDrift(layout, now)};
}

Outcome OdeSpheres(bool quick) {
  OdeWorld w(quick);
  w.bounce = 0.2;
  w.mu = 0;
  dCreatePlane(w.space, 0, 1, 0, 0);
  for (const Wall& k : kWalls) dGeomSetPosition(dCreateBox(w.space, k.sx, k.sy, k.sz), k.x, k.y, k.z);
  std::vector<dBodyID> bodies;
  for (const Placed& p : SphereLayout())
    bodies.push_back(w.Body(dCreateSphere(w.space, kSphereRadius), 1, p.x, p.y, p.z, true, kSphereRadius));
  const auto t0 = Clock::now();
  for (int i = 0; i < kSphereSteps; ++i) w.Step();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (dBodyID b : bodies) now.push_back(OdePos(b));
  return {ms / kSphereSteps, SphereOverlap(now)};
}

// The ramp's six triangles, as the library's terrain lays them out.
void RampTriangles(std::vector<float>& vertices, std::vector<int>& indices) {
  const float slope = std::tan(10 * 3.14159265f / 180);
  auto height = [&](float z) { return z <= 5 ? 0.0f : (z >= 25 ? 20 * slope : (z - 5) * slope); };
  const float xs[2] = {-12, 12}, zs[4] = {-20, 5, 25, 80};
  for (float z : zs)
    for (float x : xs) vertices.insert(vertices.end(), {x, height(z), z});
  for (int j = 0; j < 3; ++j) {
    const int a = 2 * j, b = a + 1, c = a + 2, d = a + 3;
    indices.insert(indices.end(), {a, c, b, b, c, d});
  }
}

Outcome OdeCar(bool quick) {
  OdeWorld w(quick);
  w.mu = 1.0;
  std::vector<float> vertices;
  std::vector<int> indices;
  RampTriangles(vertices, indices);
  dTriMeshDataID data = dGeomTriMeshDataCreate();
  dGeomTriMeshDataBuildSingle(data, vertices.data(), 3 * sizeof(float), int(vertices.size() / 3), indices.data(),
                              int(indices.size()), 3 * sizeof(int));
  dCreateTriMesh(w.space, data, nullptr, nullptr, nullptr);
  dGeomID chassisGeom = dCreateBox(w.space, 2, 0.5, 4);
  dBodyID chassis = dBodyCreate(w.world);
  dMass m;
  dMassSetBoxTotal(&m, 100, 2, 0.5, 4);
  dBodySetMass(chassis, &m);
  dBodySetPosition(chassis, 0, 0.95, 0);
  dGeomSetBody(chassisGeom, chassis);
  dBodyID wheels[4];
  dJointID joints[4];
  const double k = 8000, d = 400, h = kStep;
  for (int i = 0; i < 4; ++i) {
    const float* a = kWheelAnchors[i];
    wheels[i] = w.Body(dCreateSphere(w.space, 0.4), 10, a[0], 0.95 + a[1], a[2], true, 0.4);
    joints[i] = dJointCreateHinge2(w.world, nullptr);
    dJointAttach(joints[i], chassis, wheels[i]);
    dJointSetHinge2Anchor(joints[i], a[0], 0.95 + a[1], a[2]);
    const dReal up[3] = {0, 1, 0}, axle[3] = {1, 0, 0};
    dJointSetHinge2Axes(joints[i], up, axle);
    dJointSetHinge2Param(joints[i], dParamLoStop, 0);
    dJointSetHinge2Param(joints[i], dParamHiStop, 0);
    dJointSetHinge2Param(joints[i], dParamSuspensionERP, h * k / (h * k + d));
    dJointSetHinge2Param(joints[i], dParamSuspensionCFM, 1 / (h * k + d));
    if (i >= 2) {
      dJointSetHinge2Param(joints[i], dParamVel2, -5 / 0.4);  // ODE measures the spin the other way round
      dJointSetHinge2Param(joints[i], dParamFMax2, kDriveTorque);
    }
  }
  dBodySetAutoDisableFlag(chassis, 0);
  double drift = 0;
  const auto t0 = Clock::now();
  for (int i = 0; i < kCarSteps; ++i) {
    w.Step();
    const dReal* r = dBodyGetRotation(chassis);  // row-major 3x4: column j is local axis j
    const float x[3] = {float(r[0]), float(r[4]), float(r[8])};
    const float y[3] = {float(r[1]), float(r[5]), float(r[9])};
    const float z[3] = {float(r[2]), float(r[6]), float(r[10])};
    const Placed c = OdePos(chassis);
    const float pos[3] = {c.x, c.y, c.z};
    for (int k2 = 0; k2 < 4; ++k2) {
      const Placed p = OdePos(wheels[k2]);
      const float wp[3] = {p.x, p.y, p.z};
      drift = std::max(drift, WheelDrift(x, y, z, pos, kWheelAnchors[k2], wp));
    }
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  if (OdePos(chassis).z < 30) std::printf("note: the ODE car stopped at z = %.1f m\n", OdePos(chassis).z);
  dGeomTriMeshDataDestroy(data);
  return {ms / kCarSteps, drift};
}

#endif

// ---- Bullet ------------------------------------------------------------------

#ifdef HALBERD_BENCH_BULLET

struct BulletWorld {
  btDefaultCollisionConfiguration config;
  btCollisionDispatcher dispatcher{&config};
  btDbvtBroadphase broadphase;
  btSequentialImpulseConstraintSolver solver;
  btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &config};
  std::vector<btCollisionShape*> shapes;
  std::vector<btRigidBody*> bodies;
  std::vector<btMotionState*> states;
  std::vector<btTypedConstraint*> constraints;
  float friction = 0.6f, restitution = 0;
  BulletWorld() { world.setGravity(btVector3(0, -kG, 0)); }
  ~BulletWorld() {
    for (btTypedConstraint* c : constraints) {
      world.removeConstraint(c);
      delete c;
    }
    for (btRigidBody* b : bodies) {
      world.removeRigidBody(b);
      delete b;
    }
    for (btMotionState* s : states) delete s;
    for (btCollisionShape* s : shapes) delete s;
  }
  btRigidBody* Add(btCollisionShape* shape, float mass, float x, float y, float z) {
    shapes.push_back(shape);
    btVector3 inertia(0, 0, 0);
    if (mass > 0) shape->calculateLocalInertia(mass, inertia);
    btTransform t;
    t.setIdentity();
    t.setOrigin(btVector3(x, y, z));
    auto* ms = new btDefaultMotionState(t);
    states.push_back(ms);
    btRigidBody::btRigidBodyConstructionInfo info(mass, ms, shape, inertia);
    // Bullet multiplies the two bodies' values.
    info.m_friction = std::sqrt(friction);
    info.m_restitution = std::sqrt(restitution);
    auto* b = new btRigidBody(info);
    b->setActivationState(DISABLE_DEACTIVATION);
    world.addRigidBody(b);
    bodies.push_back(b);
    return b;
  }
  void Step() { world.stepSimulation(kStep, 0, kStep); }
};

Placed BulletPos(const btRigidBody* b) {
  const btVector3& p = b->getCenterOfMassPosition();
  return {p.x(), p.y(), p.z()};
}

Outcome BulletPyramid() {
  BulletWorld w;
  w.Add(new btStaticPlaneShape(btVector3(0, 1, 0), 0), 0, 0, 0, 0);
  std::vector<Placed> layout = PyramidLayout();
  std::vector<btRigidBody*> boxes;
  for (const Placed& p : layout) boxes.push_back(w.Add(new btBoxShape(btVector3(0.5f, 0.5f, 0.5f)), 1, p.x, p.y, p.z));
  const auto t0 = Clock::now();
  for (int i = 0; i < kPyramidSteps; ++i) w.Step();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (btRigidBody* b : boxes) now.push_back(BulletPos(b));
  return {ms / kPyramidSteps, PyramidDrift(layout, now)};
}

Outcome BulletSpheres() {
  BulletWorld w;
  w.restitution = 0.2f;
  w.friction = 0;
  w.Add(new btStaticPlaneShape(btVector3(0, 1, 0), 0), 0, 0, 0, 0);
  for (const Wall& k : kWalls) w.Add(new btBoxShape(btVector3(k.sx / 2, k.sy / 2, k.sz / 2)), 0, k.x, k.y, k.z);
  std::vector<btRigidBody*> balls;
  for (const Placed& p : SphereLayout()) balls.push_back(w.Add(new btSphereShape(kSphereRadius), 1, p.x, p.y, p.z));
  const auto t0 = Clock::now();
  for (int i = 0; i < kSphereSteps; ++i) w.Step();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::vector<Placed> now;
  for (btRigidBody* b : balls) now.push_back(BulletPos(b));
  return {ms / kSphereSteps, SphereOverlap(now)};
}

Outcome BulletCar() {
  BulletWorld w;
  w.friction = 1.0f;
  std::vector<float> vertices;
  std::vector<int> indices;
  RampTriangles(vertices, indices);
  auto* mesh = new btTriangleMesh();
  for (size_t t = 0; t < indices.size(); t += 3) {
    const float* a = &vertices[3 * indices[t]];
    const float* b = &vertices[3 * indices[t + 1]];
    const float* c = &vertices[3 * indices[t + 2]];
    mesh->addTriangle(btVector3(a[0], a[1], a[2]), btVector3(b[0], b[1], b[2]), btVector3(c[0], c[1], c[2]));
  }
  w.Add(new btBvhTriangleMeshShape(mesh, true), 0, 0, 0, 0);
  btRigidBody* chassis = w.Add(new btBoxShape(btVector3(1, 0.25f, 2)), 100, 0, 0.95f, 0);
  btRigidBody* wheels[4];
  for (int i = 0; i < 4; ++i) {
    const float* a = kWheelAnchors[i];
    wheels[i] = w.Add(new btSphereShape(0.4f), 10, a[0], 0.95f + a[1], a[2]);
    btVector3 anchor(a[0], 0.95f + a[1], a[2]), up(0, 1, 0), axle(1, 0, 0);
    auto* j = new btHinge2Constraint(*chassis, *wheels[i], anchor, up, axle);
    j->setLowerLimit(0);
    j->setUpperLimit(0);
    j->setStiffness(2, 8000);
    j->setDamping(2, 400);
    if (i >= 2) {
      j->enableMotor(3, true);
      j->setTargetVelocity(3, -5 / 0.4f);
      j->setMaxMotorForce(3, kDriveTorque);
    }
    w.world.addConstraint(j, true);
    w.constraints.push_back(j);
  }
  double drift = 0;
  const auto t0 = Clock::now();
  for (int i = 0; i < kCarSteps; ++i) {
    w.Step();
    const btMatrix3x3& r = chassis->getCenterOfMassTransform().getBasis();
    const float x[3] = {r[0][0], r[1][0], r[2][0]};
    const float y[3] = {r[0][1], r[1][1], r[2][1]};
    const float z[3] = {r[0][2], r[1][2], r[2][2]};
    const Placed c = BulletPos(chassis);
    const float pos[3] = {c.x, c.y, c.z};
    for (int k = 0; k < 4; ++k) {
      const Placed p = BulletPos(wheels[k]);
      const float wp[3] = {p.x, p.y, p.z};
      drift = std::max(drift, WheelDrift(x, y, z, pos, kWheelAnchors[k], wp));
    }
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  if (BulletPos(chassis).z < 30) std::printf("note: the Bullet car stopped at z = %.1f m\n", BulletPos(chassis).z);
  delete mesh;
  return {ms / kCarSteps, drift};
}

#endif

// ---- benchmark registration and the table ------------------------------------

void Run(benchmark::State& state, const char* scene, const char* engine, Outcome (*fn)()) {
  Outcome o;
  for (auto _ : state) o = fn();
  g_results[scene][engine] = o;
  state.counters["step_ms"] = o.stepMs;
  state.counters["quality_mm"] = o.quality;
}

#define WORLD_BENCH(scene, engine, fn)                                                              \
  BENCHMARK_CAPTURE(Run, scene##_##engine, #scene, #engine, +[]() { return fn; })->Iterations(1) \
      ->Unit(benchmark::kMillisecond)

WORLD_BENCH(pyramid, halberd, HalberdPyramid());
WORLD_BENCH(spheres, halberd, HalberdSpheres());
WORLD_BENCH(car, halberd, HalberdCar());
#ifdef HALBERD_BENCH_ODE
WORLD_BENCH(pyramid, ode_step, OdePyramid(false));
WORLD_BENCH(spheres, ode_step, OdeSpheres(false));
WORLD_BENCH(car, ode_step, OdeCar(false));
WORLD_BENCH(pyramid, ode_quickstep, OdePyramid(true));
WORLD_BENCH(spheres, ode_quickstep, OdeSpheres(true));
WORLD_BENCH(car, ode_quickstep, OdeCar(true));
#endif
#ifdef HALBERD_BENCH_BULLET
WORLD_BENCH(pyramid, bullet, BulletPyramid());
WORLD_BENCH(spheres, bullet, BulletSpheres());
WORLD_BENCH(car, bullet, BulletCar());
#endif

}  // namespace

int main(int argc, char** argv) {
  MeSetInfoOutput(MeOutputNull);
  MeSetWarningOutput(MeOutputNull);
#ifdef HALBERD_BENCH_ODE
  dInitODE();
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const char* quality[] = {"pyramid: largest box drift", "spheres: deepest overlap", "car: largest wheel drift"};
  std::printf("\nstep 1/60 s; quality in mm (%s; %s; %s)\n", quality[0], quality[1], quality[2]);
  std::printf("%-9s %-15s %11s %11s %12s\n", "scene", "engine", "ms/step", "quality mm", "time/halberd");
  for (const char* scene : {"pyramid", "spheres", "car"}) {
    auto& row = g_results[scene];
    const double base = row.count("halberd") ? row["halberd"].stepMs : 0;
    for (const auto& [engine, o] : row)
      std::printf("%-9s %-15s %11.3f %11.2f %12.2f\n", scene, engine.c_str(), o.stepMs, o.quality,
                  base > 0 ? o.stepMs / base : 0.0);
  }
#ifdef HALBERD_BENCH_ODE
  dCloseODE();
#endif
  return 0;
}
