#include "shell/demo_vehicle.h"

#include <cmath>

#include "foundation/memory/memory_manager.h"
#include "foundation/time/timer.h"
#include "world/dynamics/car_dynamics.h"
#include "world/dynamics/drive_dynamics.h"
#include "world/dynamics/dynamic_data.h"
#include "world/dynamics/dynamics_world.h"
#include "world/dynamics/simple_dynamics.h"
#include "world/dynamics/tank_dynamics.h"
#include "world/effects/explosions.h"
#include "world/engine.h"
#include "world/environment/env_instance.h"
#include "world/objects/hlo_spawn_record.h"

namespace {

constexpr int kStatsMachine = 2;
constexpr int kStatsFeature = 4;

// The autopilot's rhythm: seconds of each leg.
constexpr float kCarLeg = 3.0f;
constexpr float kTankLeg = 3.0f;
// A blast's push on a loose body: force (physics units) per point of damage,
// and the share of it that lifts.
constexpr float kBlastPush = 4.0f;
constexpr float kBlastLift = 0.6f;

float FrameSeconds() { return g_GameClock != nullptr ? g_GameClock->GetFrameTime() : 0.0f; }

}  // namespace

CDemoVehicle::CDemoVehicle(const HLOSpawnRecord& record) : CHLO(record, nullptr, record.statsName) {
  if (Instance == nullptr || g_DynamicsWorld == nullptr || record.statsName[0] == 0) return;
  const float position[3] = {record.position.x, record.position.y, record.position.z};
  const float angles[3] = {record.rotation.x, record.rotation.y, record.rotation.z};
  CDynamicData& data = TheDynamicData();
  MEM_OWNER();
  if (record.statsTable == kStatsFeature) {
    if (const DynSimpleData* r = data.GetSimple(record.statsName)) {
      Body = MEM_NEW(MEMCAT_WORLD_OBJECT) CSimpleDynamics;
      if (Body != nullptr && Body->Init(position, angles, Instance, *r)) Dynamics = Body;
    }
  } else if (record.statsTable == kStatsMachine && record.value == DEMO_WHEELS) {
    if (DynCarData* r = data.GetCar(record.statsName)) {
      Car = MEM_NEW(MEMCAT_WORLD_OBJECT) CCarDynamics;
      if (Car != nullptr && Car->Init(position, angles, Instance, *r)) Dynamics = Car;
    }
  } else if (record.statsTable == kStatsMachine && record.value == DEMO_TRACKS) {
    if (DynTankData* r = data.GetTank(record.statsName)) {
      Tank = MEM_NEW(MEMCAT_WORLD_OBJECT) CTankDynamics;
      if (Tank != nullptr && Tank->Init(position, angles, Instance, *r)) Dynamics = Tank;
    }
  } else if (record.statsTable == kStatsMachine && record.value == DEMO_HELICOPTER) {
    if (const DynDriveData* r = data.GetDrive(record.statsName)) {
      Drive = MEM_NEW(MEMCAT_WORLD_OBJECT) CDriveDynamics;
      if (Drive != nullptr) {
        Drive->Init(record.position, record.rotation, Instance, r, -1, -1);
        Dynamics = Drive;
      }
      CruiseHeight = record.position.y;
    }
  }
  if (Dynamics != nullptr && !g_DynamicsWorld->AddObject(Dynamics)) Dynamics = nullptr;
  // Its body moves it: it is drawn and found where it stands, not where the
  // level's octree would file it.
  if (Dynamics != nullptr) Instance->SetDynamic();
  if (Dynamics == nullptr) {
    MEM_DELETE Body;
    MEM_DELETE Car;
    MEM_DELETE Tank;
    MEM_DELETE Drive;
    Body = nullptr;
    Car = nullptr;
    Tank = nullptr;
    Drive = nullptr;
  }
}

CDemoVehicle::~CDemoVehicle() {
  if (Dynamics != nullptr && g_DynamicsWorld != nullptr) g_DynamicsWorld->RemoveObject(Dynamics);
  MEM_DELETE Body;
  MEM_DELETE Car;
  MEM_DELETE Tank;
  MEM_DELETE Drive;
}

void CDemoVehicle::Update() {
  if (g_Explosions != nullptr) g_Explosions->GetBlastEffect(this, nullptr);
  if (Dynamics == nullptr) return;
  Clock += FrameSeconds();
  if (Car != nullptr) {
    // Forward on full lock, then back on the other lock: it weaves about its place.
    const bool forward = std::fmod(Clock, 2.0f * kCarLeg) < kCarLeg;
    Car->SetThrottle(forward ? 0.8f : -0.8f);
    Car->SetSteering(forward ? 1.0f : -1.0f);
  } else if (Tank != nullptr) {
    // Ahead, turn on the spot, back, turn the other way.
    const int leg = static_cast<int>(Clock / kTankLeg) % 4;
    static const float kTracks[4][2] = {{0.7f, 0.7f}, {0.8f, -0.8f}, {-0.7f, -0.7f}, {-0.8f, 0.8f}};
    Tank->SetTrackDrive(kTracks[leg][0], kTracks[leg][1]);
  } else if (Drive != nullptr) {
    // A slow circle at its height: forward and turning, climbing back to the
    // cruise height whenever it sinks below it.
    Drive->SetMode(CDriveDynamics::kModeFly);
    Drive->SetPrimaryDrive(0.15f);
    Drive->SetScaledDrive(0.5f);
    const float error = CruiseHeight - Drive->Position.y;
    Drive->SetSecondaryDrive(std::fmax(-1.0f, std::fmin(1.0f, error / 200.0f)));
  }
}

void CDemoVehicle::Hit(const CVector3& direction, float amount, CHLO* source) {
  CHLO::Hit(direction, amount, source);
  if (Body == nullptr || !(amount > 0.0f)) return;
  const float force[3] = {direction.x, direction.y + kBlastLift, direction.z};
  Body->AddForce(force, amount * kBlastPush, nullptr);
}

CHLO* DemoObjectFactory(HLOSpawnRecord& record) {
  MEM_OWNER();
  const bool dynamic = record.statsName[0] != 0 &&
                       (record.statsTable == kStatsMachine || record.statsTable == kStatsFeature);
  if (dynamic) {
    record.kind = record.statsTable == kStatsMachine ? HLO_VEHICLE : HLO_FEATURE;
    return MEM_NEW(MEMCAT_WORLD_OBJECT) CDemoVehicle(record);
  }
  return MEM_NEW(MEMCAT_WORLD_OBJECT) CHLO(record, nullptr);
}

void DeleteDemoObject(CHLO* object) { MEM_DELETE object; }
