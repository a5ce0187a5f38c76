#include "world/dynamics/dynamics_world.h"

#include <cmath>

#include "foundation/system/debug_output.h"
#include "foundation/time/timer.h"
#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_framework.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_space.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/dynamics/mdt_world.h"
#include "physics/util/me_math.h"
#include "render/2d/debug_text.h"
#include "world/dynamics/collision_model.h"
#include "world/dynamics/dynamics_impacts.h"
#include "world/dynamics/terrain_collider.h"

DynamicsPhysics g_Physics;
CDynamicsWorld* g_DynamicsWorld = nullptr;

namespace {

constexpr float kFirstStep = 0.05f;
constexpr float kLongestStep = 0.1f;

// The pair request every model pair refers to: at most 10 contacts, and the
// second word of the request set.
McdIntersectRequest g_PairRequest{10, 1};
CollisionUserData g_TerrainUserData{};

void SetStandardContact(MdtContactParams* p) {
  if (!p) return;
  MdtContactParamsSetType(p, 2);
  MdtContactParamsSetPrimaryFriction(p, 2.0f);
  MdtContactParamsSetSecondaryFriction(p, 2.0f);
  MdtContactParamsSetRestitution(p, 0.3f);
  MdtContactParamsSetSoftness(p, 0.001f);
}

}  // namespace

bool TakeMaterial(int* index) {
  if (*index >= 0) return true;
  if (!g_Physics.Bridge) return false;
  const int m = McdDtBridgeNewMaterial(g_Physics.Bridge);
  if (m < 0) return false;
  *index = m;
  return true;
}

CDynamicsWorld::CDynamicsWorld(int capacity) {
  if (g_DynamicsWorld) g_DynamicsWorld->Shutdown();
  objects_.assign(static_cast<size_t>(capacity > 0 ? capacity : 0), nullptr);
  static unsigned generation = 0;
  g_Physics = DynamicsPhysics{};
  g_Physics.Owner = this;
  g_Physics.Generation = ++generation;

  MdtWorldID world = MdtWorldCreate(200, 500);
  g_Physics.World = world;
  MdtWorldSetGravity(world, 0, -9.81f, 0);
  float turn[9];
  MeMatrixFromEulerAngles(turn, 0, 3.14159265f * 0.5f, 0);
  MeMatrix4TMMakeIdentity(g_Physics.AxisTurn);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) g_Physics.AxisTurn[4 * r + c] = turn[3 * r + c];

  // Resting bodies sleep: squared speed 0.02, squared angular speed 0.001,
  // squared accelerations 0.05 (linear) and 0.002 (angular), after 10 steps.
  MdtWorldSetEpsilon(world, 0.0001f);
  MdtWorldSetAutoDisable(world, 1);
  MdtWorldSetAutoDisableAliveSteps(world, 10);
  MdtWorldSetAutoDisableVelocityThreshold(world, 0.02f);
  MdtWorldSetAutoDisableAngularVelocityThreshold(world, 0.001f);
  MdtWorldSetAutoDisableThreshold3(world, 0.05f);
  MdtWorldSetAutoDisableAngularAccelerationThreshold(world, 0.002f);

  // The library's six geometry types and one more.
  McdInit(7, 400);
  McdPrimitivesRegisterTypes();
  McdPrimitivesRegisterInteractions();
  g_Physics.Space = McdAxisSortCreate(McdAllAxes, 400, 400);
  g_Physics.Bridge = McdDtBridgeCreate(14);
  McdDtBridgeSetPairListSize(g_Physics.Bridge, 400);
  McdDtBridgeInstallWorldCallbacks(world);

  SetStandardContact(McdDtBridgeGetContactParams(g_Physics.Bridge, 0, 0));
  TakeMaterial(&g_Physics.Materials.Terrain);
  const int terrain = g_Physics.Materials.Terrain;
  SetStandardContact(McdDtBridgeGetContactParams(g_Physics.Bridge, terrain, terrain));

  // The kinds' materials, taken anew with every world.
  TakeMaterial(&g_Physics.Materials.Simple);
  TakeMaterial(&g_Physics.Materials.Tyre);
  TakeMaterial(&g_Physics.Materials.Chassis);
  TakeMaterial(&g_Physics.Materials.RoadWheel);
  TakeMaterial(&g_Physics.Materials.Hull);

  auto* collider = new CCollisionModel;
  g_Physics.Terrain = collider;
  collider->CreateTriangleList(nullptr, terrain, 20000, 20000, 20000, TerrainTriangleBuffer(), kTerrainMaxTriangles,
                               &TerrainTriangleCallback);
  const float origin[3] = {0, 0, 0};
  collider->SetTransform(origin);
  g_TerrainUserData = CollisionUserData{};
  collider->SetUserData(&g_TerrainUserData);
  collider->AddToSpace(g_Physics.Space);
  collider->UpdateInSpace();
  collider->SetFrozen(0);

  g_PairRequest = McdIntersectRequest{10, 1};
  McdSetDefaultRequestPtr(&g_PairRequest);
  live_ = true;
  g_DynamicsWorld = this;
}

CDynamicsWorld::~CDynamicsWorld() { Shutdown(); }

void CDynamicsWorld::Shutdown() {
  if (!live_) return;
  live_ = false;
  objects_.clear();
  count_ = 0;
  if (g_Physics.Terrain) {
    delete g_Physics.Terrain;
    g_Physics.Terrain = nullptr;
  }
  if (g_Physics.Bridge && g_Physics.Space) McdDtBridgeUpdatePairs(g_Physics.Bridge, g_Physics.Space);
  if (g_Physics.Space) McdSpaceDestroy(g_Physics.Space);
  if (g_Physics.Bridge) McdDtBridgeDestroy(g_Physics.Bridge);
  McdSetDefaultRequestPtr(nullptr);
  McdTerm();
  if (g_Physics.World) MdtWorldDestroy(g_Physics.World);
  g_Physics = DynamicsPhysics{};
  ClearMovedInstances();
  if (g_DynamicsWorld == this) g_DynamicsWorld = nullptr;
}

bool CDynamicsWorld::AddObject(CDynamicsObject* object) {
  if (!object) return false;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i]) continue;
    objects_[i] = object;
    if (static_cast<int>(i) >= count_) count_ = static_cast<int>(i) + 1;
    return true;
  }
  DebugTrace("CDynamicsWorld::AddObject: all %d slots are taken\n", static_cast<int>(objects_.size()));
  return false;
}

void CDynamicsWorld::RemoveObject(CDynamicsObject* object) {
  for (int i = 0; i < count_; ++i) {
    if (objects_[static_cast<size_t>(i)] != object) continue;
    objects_[static_cast<size_t>(i)] = nullptr;
    return;
  }
}

CDynamicsObject* CDynamicsWorld::GetObject(int slot) const {
  return slot >= 0 && slot < count_ ? objects_[static_cast<size_t>(slot)] : nullptr;
}

void CDynamicsWorld::SetSurfaces(const CSurfaces* surfaces) {
  SetTerrainSurfaces(surfaces);
  SetImpactSurfaces(surfaces);
}

void CDynamicsWorld::Step() { StepAt(clock_ ? clock_->GetGameTime() : 0); }

void CDynamicsWorld::StepAt(std::uint32_t nowMs) {
  if (!live_) return;
  // The clock is kept in whole milliseconds; the difference is taken in
  // integers so that long sessions keep their precision.
  float dt;
  if (!stepped_) dt = kFirstStep;
  else if (nowMs < lastStepMs_) dt = kFirstStep;
  else dt = static_cast<float>(static_cast<double>(nowMs - lastStepMs_) * 0.001);
  stepped_ = true;
  lastStepMs_ = nowMs;
  if (dt == 0.0f) return;
  DebugPrintf("  %f\n", static_cast<double>(dt));
  if (!(dt <= kLongestStep)) dt = kLongestStep;
  lastDt_ = dt;
  g_Physics.GameTime = static_cast<float>(static_cast<double>(nowMs) * 0.001);
  g_Physics.StepLength = dt;

  for (int i = 0; i < count_; ++i)
    if (CDynamicsObject* o = objects_[static_cast<size_t>(i)]) o->ApplyControls(dt);
  McdSpaceUpdate(g_Physics.Space);
  McdDtBridgeStep(g_Physics.Bridge, g_Physics.Space, g_Physics.World);
  MdtWorldStep(g_Physics.World, dt);
  for (int i = 0; i < count_; ++i)
    if (CDynamicsObject* o = objects_[static_cast<size_t>(i)]) o->Update(dt);
}

void AllocTerrainBuffers(CLinearBuffer* buffer) { UseTerrainBuffers(buffer); }
void FreeTerrainBuffers() { ForgetTerrainBuffers(); }

McdModel* GetDynamicModelOfPair(McdIntersectResult* result) {
  McdModelPair* pair = result->pair;
  return McdModelGetBody(pair->model1) ? pair->model1 : pair->model2;
}

void GetDynamicModelsOfPair(McdIntersectResult* result, McdModel** first, McdModel** second) {
  McdModelPair* pair = result->pair;
  *first = McdModelGetBody(pair->model1) ? pair->model1 : nullptr;
  *second = McdModelGetBody(pair->model2) ? pair->model2 : nullptr;
}
