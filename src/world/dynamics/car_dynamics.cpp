// Car model.  Body frame: x forward (the model's z), y up, z to the side;
// the wheels spin about the chassis's z row and steer about its y row.  A
// driven wheel gets a torque about its hinge axis and the chassis the
// opposite one; throttle is stored negated so that a positive input turns
// the wheels to roll along +x.
#include "world/dynamics/car_dynamics.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_model.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/dynamics/mdt_wheel_joint.h"
#include "physics/util/me_math.h"
#include "world/dynamics/body_pose.h"
#include "world/dynamics/dynamic_records.h"
#include "world/dynamics/dynamics_world.h"
#include "world/dynamics/terrain_collider.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

namespace {

constexpr float kCosMaxSlope = 0.70710677f;  // ground steeper than 45 degrees has no grip

CCarDynamics* CarOfBody(MdtBodyID body) {
  CDynamicsObject* o = ObjectOfBody(body);
  return o && o->HasTypeTag("CARD") ? static_cast<CCarDynamics*>(o) : nullptr;
}

// Per contact, tyre against terrain.
int CarContactFilter(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  if (MdtContactGetPenetration(dynamic) < kShallowContact) return 0;
  if (contact != &result->contacts[0]) {
    const float* a = result->contacts[0].normal;
    const float* b = contact->normal;
    if (a[0] * b[0] + a[1] * b[1] + a[2] * b[2] > 0.6f) return 0;
  }
  McdModel* model = GetDynamicModelOfPair(result);
  if (CCarDynamics* car = model ? CarOfBody(McdModelGetBody(model)) : nullptr)
    SpawnContactEffect(car->Instance, 0x01, result, dynamic, CarEffectTimer());
  return 1;
}

// After all contacts of a tyre against the terrain: friction direction,
// grip and slip of each.
int TyrePairCallback(McdIntersectResult* result, MdtContactID first) {
  if (!TerrainImpactPair(result, "CARD")) return 0;
  const bool envFlag = g_Environment && (g_Environment->Flags & 1);
  for (MdtContactID c = first; c; c = MdtContactGetNext(c)) {
    MdtBodyID body = MdtConstraintGetBody(MdtContactGetConstraint(c), 0);
    CCarDynamics* car = CarOfBody(body);
    if (!car) continue;
    const CarWheel* wheel = nullptr;
    for (int i = 0; i < car->WheelCount; ++i)
      if (car->Wheels[i].Body == body) wheel = &car->Wheels[i];
    if (!wheel || !wheel->Joint) continue;
    float n[3], axis[3], d[3];
    MdtContactGetNormal(c, n);
    MdtWheelJointGetSpinAxis(wheel->Joint, axis);
    MeVector3Cross(d, n, axis);
    MeVector3NormalizeOrX(d);
    MdtContactSetPrimaryDirection(c, d[0], d[1], d[2]);

    float g = 0.0f;
    if (n[1] > kCosMaxSlope) {
      g = 1.0f;
      if (car->Throttle != 0.0f && (car->PowerMode || envFlag)) g = 1.0f - 0.5f * (1.0f - std::fabs(n[1]));
    }
    MdtContactParams* p = MdtContactGetParams(c);
    MdtContactParamsSetFriction(p, g * FLT_MAX);
    MdtContactParamsSetPrimarySlip(p, (1.0f - g) * 15.0f);
    const bool front = (wheel->Flags & DYNWHEEL_FRONT_TYRE) != 0;
    if (car->PowerMode)
      MdtContactParamsSetSecondarySlip(p, MdtWheelJointGetSpinRate(wheel->Joint) * 0.001f);
    else
      MdtContactParamsSetSecondarySlip(p, g * (front ? car->FrontCompliance : car->RearCompliance));
    MdtContactParamsSetSoftness(p, front ? car->FrontSoftness : car->RearSoftness);
  }
  return 1;
}

int ChassisTerrainPair(McdIntersectResult* result, MdtContactID) { return TerrainImpactPair(result, "CARD"); }
int ImpactSimple(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "SMPD"); }
int ImpactTank(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "TNKD"); }
int ImpactCar(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "CARD"); }

void SetBodyFrame(MdtBodyID body, const float* q, const float* p) {
  MdtBodySetQuaternion(body, q[0], q[1], q[2], q[3]);
  MdtBodySetPosition(body, p[0], p[1], p[2]);
  MdtBodySetLinearVelocity(body, 0, 0, 0);
  MdtBodySetAngularVelocity(body, 0, 0, 0);
}

}  // namespace

CCarDynamics::CCarDynamics() {
  SetTypeTag("CARD");
  TakeMaterial(&g_Physics.Materials.Tyre);
  TakeMaterial(&g_Physics.Materials.Chassis);
}

CCarDynamics::~CCarDynamics() { Release(); }

void CCarDynamics::Release() {
  UnregisterMovedInstance(Instance);
  for (int i = 0; i < WheelCount; ++i) UnregisterMovedInstance(Wheels[i].Instance);
  const bool live = generation_ == g_Physics.Generation && g_Physics.World;
  if (!live) {
    // The bodies, models and geometries went with the world that made them.
    ChassisCollider.Geometry = nullptr;
    ChassisCollider.Model = nullptr;
    for (CarWheel& w : Wheels) w.Collider.Geometry = nullptr, w.Collider.Model = nullptr;
    return;
  }
  ChassisCollider.Destroy();
  for (int i = 0; i < WheelCount; ++i) {
    Wheels[i].Collider.Destroy();
    if (Wheels[i].Body) {
      MdtBodySetUserData(Wheels[i].Body, 0);
      MdtBodyDestroy(Wheels[i].Body);  // with its joint
    }
    Wheels[i].Body = nullptr;
    Wheels[i].Joint = nullptr;
  }
  if (Chassis) {
    MdtBodySetUserData(Chassis, 0);
    MdtBodyDestroy(Chassis);
  }
  Chassis = nullptr;
}

bool CCarDynamics::Init(const float* position, const float* angles, CEnvInstance* instance,
                        const DynCarData& record) {
  if (!g_Physics.World || Chassis) return false;
  ChassisMass = record.mass > 0 ? record.mass : 1.0f;
  LoadLength = record.loadLength * 0.01f;
  Reserved = record.reserved;
  RecordToBody(record.inertiaSize, ChassisSize);
  WheelHeight = record.wheelHeight * 0.01f;
  RecordToBody(record.massOffset, MassOffset);
  for (int i = 0; i < 3; ++i) NegMassOffset[i] = -MassOffset[i];
  FrontCompliance = record.frontTyreCompliance;
  FrontSoftness = record.frontTyreSoftness;
  RearCompliance = record.rearTyreCompliance;
  RearSoftness = record.rearTyreSoftness;
  SuspensionTravel = record.suspensionTravel * 0.01f;
  SuspensionSoftness = record.suspensionSoftness;
  SuspensionDamping = record.suspensionDamping;
  TravelBelowRest = record.travelBelowRest;
  StaticLoadTravel = record.staticLoadTravel;
  WheelMass = record.wheelMass > 0 ? record.wheelMass : 1.0f;
  WheelCount = std::clamp(record.wheelCount, 0, kCarMaxWheels);
  Instance = instance;
  ChassisUserData = CollisionUserData{instance, nullptr};
  generation_ = g_Physics.Generation;

  // Chassis.
  Chassis = MdtBodyCreate(g_Physics.World);
  if (!Chassis) return false;
  float q[4];
  BodyQuaternionFromAngles(angles, -1.0f, q);
  const float chassisPos[3] = {position[0] * 0.01f + MassOffset[0], position[1] * 0.01f + MassOffset[1],
                               position[2] * 0.01f + MassOffset[2]};
  MdtBodySetUserData(Chassis, reinterpret_cast<MeUserWord>(static_cast<CDynamicsObject*>(this)));
  MdtBodySetQuaternion(Chassis, q[0], q[1], q[2], q[3]);
  MdtBodySetAngularVelocityDamping(Chassis, 0.2f);
  MdtBodySetLinearVelocityDamping(Chassis, 0.2f);
  float inertia[9];
  MdtMakeBoxInertiaTensor(ChassisMass, ChassisSize[0], ChassisSize[1], ChassisSize[2], inertia);
  MdtBodySetInertiaTensor(Chassis, inertia);
  MdtBodySetMass(Chassis, ChassisMass);
  MdtBodySetPosition(Chassis, chassisPos[0], chassisPos[1], chassisPos[2]);
  Steering = Throttle = BrakeForce = 0.0f;

  // Materials and callbacks.
  McdDtBridgeID bridge = g_Physics.Bridge;
  const int terrain = g_Physics.Materials.Terrain, tyre = g_Physics.Materials.Tyre,
            chassis = g_Physics.Materials.Chassis;
  if (MdtContactParams* p = McdDtBridgeGetContactParams(bridge, terrain, tyre)) {
    MdtContactParamsSetType(p, 2);
    MdtContactParamsSetSecondarySlip(p, FrontCompliance);
    MdtContactParamsSetSoftness(p, FrontSoftness);
  }
  if (MdtContactParams* p = McdDtBridgeGetContactParams(bridge, terrain, chassis)) {
    MdtContactParamsSetType(p, 2);
    MdtContactParamsSetPrimarySlip(p, 0.5f);
    MdtContactParamsSetSecondarySlip(p, 0.02f);
    MdtContactParamsSetSoftness(p, 0.001f);
  }
  McdDtBridgeSetContactCallback(bridge, tyre, terrain, &CarContactFilter);
  McdDtBridgeSetPairCallback(bridge, tyre, terrain, &TyrePairCallback);
  McdDtBridgeSetPairCallback(bridge, chassis, terrain, &ChassisTerrainPair);
  for (int part : {tyre, chassis}) {
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.Simple, &ImpactSimple);
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.RoadWheel, &ImpactTank);
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.Hull, &ImpactTank);
    McdDtBridgeSetPairCallback(bridge, part, tyre, &ImpactCar);
    McdDtBridgeSetPairCallback(bridge, part, chassis, &ImpactCar);
  }

  // Wheels: bodies, colliders and joints.
  float chassisT[16];
  MdtBodyGetTransform(Chassis, chassisT);
  // Suspension: each wheel carries its share of the chassis; the static load
  // compresses the spring by s (2 g load / k = s), damping is critical times
  // the factor.  A zero load length or travel leaves the spring out rather
  // than dividing by zero.
  const float share = LoadLength != 0.0f ? (MassOffset[0] / LoadLength) * 0.5f + 0.25f : 0.25f;
  const float load = share * ChassisMass;
  const float travel = SuspensionTravel;
  const float s = StaticLoadTravel * travel;
  const float k = s > 0.0f ? 2.0f * 9.81f * load / s : 0.0f;
  const float damping = k > 0.0f ? std::sqrt(std::fabs(load) * k) * SuspensionDamping : 0.0f;
  for (int i = 0; i < WheelCount; ++i) {
    const DynWheelData& r = record.wheels[i];
    CarWheel& w = Wheels[i];
    w.Flags = r.flags;
    w.Radius = r.radius * 0.01f;
    w.SteeringFactor = r.steeringFactor;
    w.FollowWheel = r.followWheel;
    w.Attachment[0] = r.attachment.z * 0.01f;
    w.Attachment[1] = 0.0f;
    w.Attachment[2] = r.attachment.x * 0.01f;
    w.Instance = r.instance;
    w.UserData = CollisionUserData{r.instance, nullptr};
    w.Body = MdtBodyCreate(g_Physics.World);
    if (!w.Body) {
      Release();
      return false;
    }
    MdtBodySetUserData(w.Body, reinterpret_cast<MeUserWord>(static_cast<CDynamicsObject*>(this)));
    MdtBodySetMass(w.Body, WheelMass);
    const float ir = WheelMass * w.Radius * w.Radius;
    const float wheelInertia[9] = {ir, 0, 0, 0, ir, 0, 0, 0, ir};
    if (ir > 0) MdtBodySetInertiaTensor(w.Body, wheelInertia);
    MdtBodySetQuaternion(w.Body, q[0], q[1], q[2], q[3]);
    const float local[3] = {w.Attachment[0] - MassOffset[0], w.Attachment[1] + WheelHeight - MassOffset[1],
                            w.Attachment[2] - MassOffset[2]};
    float rotated[3];
    RotateByBody(chassisT, local, rotated);
    const float p[3] = {chassisT[12] + rotated[0], chassisT[13] + rotated[1], chassisT[14] + rotated[2]};
    MdtBodySetPosition(w.Body, p[0], p[1], p[2]);
    MdtBodySetAngularVelocityDamping(w.Body, 0.2f);
    MdtBodySetLinearVelocityDamping(w.Body, 0.2f);
    if (w.Collider.CreateSphere(w.Body, tyre, r.sphereRadius * 0.01f)) {
      float offset[3];
      RecordToBody(r.sphereOffset, offset);
      w.Collider.SetTransform(offset);
      w.Collider.SetUserData(&w.UserData);
      w.Collider.AddToSpace(g_Physics.Space);
    }
    w.Joint = MdtWheelJointCreate(g_Physics.World);
    if (!w.Joint) {
      Release();
      return false;
    }
    MdtConstraintSetBodies(MdtWheelJointGetConstraint(w.Joint), Chassis, w.Body);
    MdtWheelJointSetPosition(w.Joint, p[0], p[1], p[2]);
    MdtWheelJointSetSteeringAxis(w.Joint, chassisT[4], chassisT[5], chassisT[6]);
    MdtWheelJointSetSpinAxis(w.Joint, chassisT[8], chassisT[9], chassisT[10]);
    if (!(w.Flags & DYNWHEEL_STEERED)) MdtWheelJointSetSteeringLock(w.Joint, 1);
    if (k > 0.0f)
      MdtWheelJointSetSuspension(w.Joint, k, damping, SuspensionSoftness, -TravelBelowRest * travel,
                                 (1.0f - TravelBelowRest) * travel, -0.5f * s);
    RegisterMovedInstance(w.Instance);
  }

  MdtBodySetPosition(Chassis, chassisPos[0], chassisPos[1], chassisPos[2]);
  float boxSize[3], boxOffset[3];
  RecordToBody(record.boxSize, boxSize);
  RecordToBody(record.boxOffset, boxOffset);
  if (ChassisCollider.CreateBox(Chassis, chassis, boxSize[0], boxSize[1], boxSize[2])) {
    ChassisCollider.SetTransform(boxOffset);
    ChassisCollider.SetUserData(&ChassisUserData);
    ChassisCollider.AddToSpace(g_Physics.Space);
  }
  for (int i = 0; i < WheelCount; ++i) ChassisCollider.DisablePairWith(&Wheels[i].Collider);
  for (int i = 0; i < WheelCount; ++i) MdtBodyEnable(Wheels[i].Body);
  MdtBodyEnable(Chassis);
  for (int i = 0; i < WheelCount; ++i) MdtConstraintEnable(MdtWheelJointGetConstraint(Wheels[i].Joint));

  MaxSteerAngle = record.maxSteerAngle;
  NormalDriveForce = DriveForce = record.driveForce;
  HighDriveForce = record.highDriveForce;
  RegisterMovedInstance(instance);
  Enabled = 1;
  Disabled = 0;
  return true;
}

void CCarDynamics::ApplyControls(float) {
  if (!Enabled) {
    LastNotFallingTime = g_Physics.GameTime;
    return;
  }
  if (Disabled || !Chassis) return;
  float v[3];
  MdtBodyGetLinearVelocity(Chassis, v);
  if (v[1] > -4.0f) LastNotFallingTime = g_Physics.GameTime;
  if (Throttle != 0.0f) MdtBodyEnable(Chassis);
  Grip = Throttle != 0.0f ? 1.0f : std::max(0.0f, Grip - 0.01f);

  // Braking: released at speed, the bodies' spin is damped hard; slow, the
  // wheels are held.
  if (Throttle != 0.0f) {
    SetAngularDamping(0.2f);
    BrakeForce = 0.0f;
  } else if (BrakeForce == 0.0f) {
    if (std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) > 0.5f) {
      SetAngularDamping(3.0f);
    } else {
      SetAngularDamping(0.2f);
      BrakeForce = 10.0f;
    }
  }

  if (MdtContactParams* p = McdDtBridgeGetContactParams(g_Physics.Bridge, g_Physics.Materials.Terrain,
                                                        g_Physics.Materials.Tyre)) {
    MdtContactParamsSetPrimarySlip(p, 0.0f);
    MdtContactParamsSetSecondarySlip(p, FrontCompliance * Grip);
    MdtContactParamsSetFriction(p, FLT_MAX);
  }
  for (int i = 0; i < WheelCount; ++i)
    if (Wheels[i].Body && MdtBodyIsEnabled(Wheels[i].Body)) MdtWheelJointSetDrive(Wheels[i].Joint, 0, BrakeForce);

  const float drive = Throttle * DriveForce;
  for (int i = 0; i < WheelCount; ++i) {
    CarWheel& w = Wheels[i];
    if (!w.Body || !w.Joint) continue;
    float axis[3];
    MdtWheelJointGetSpinAxis(w.Joint, axis);
    MdtBodySetFastRotationAxis(w.Body, axis[0], axis[1], axis[2]);
    float torque = 0.0f;
    bool driven = false;
    if (w.Flags & DYNWHEEL_STEERED) {
      float target = Steering * MaxSteerAngle * w.SteeringFactor * 0.5f + MdtWheelJointGetSteeringAngle(w.Joint);
      target = std::clamp(target, -0.4f, 0.4f);
      if (MdtBodyIsEnabled(w.Body)) MdtWheelJointSetSteeringMotor(w.Joint, 5.0f * target, 100.0f);
      if (w.Flags & DYNWHEEL_DRIVEN) {
        // Forward drive (negative when stored) is shared 3:4 towards the
        // unsteered wheels; reverse drive is not.
        torque = drive > 0.0f ? drive * 0.75f : drive;
        driven = true;
      }
    } else if (w.Flags & DYNWHEEL_DRIVEN) {
      torque = drive <= 0.0f ? drive * 0.75f : drive;
      driven = true;
    } else if ((w.Flags & DYNWHEEL_FOLLOWS_SPIN) && w.FollowWheel >= 0 && w.FollowWheel < WheelCount &&
               Wheels[w.FollowWheel].Body && w.Radius > 0.0f) {
      const CarWheel& f = Wheels[w.FollowWheel];
      float spin[3];
      MdtBodyGetAngularVelocity(f.Body, spin);
      const float ratio = f.Radius / w.Radius;
      MdtBodySetAngularVelocity(w.Body, spin[0] * ratio, spin[1] * ratio, spin[2] * ratio);
    }
    if (driven) {
      MdtBodyAddTorque(w.Body, axis[0] * torque, axis[1] * torque, axis[2] * torque);
      MdtBodyAddTorque(Chassis, -axis[0] * torque, -axis[1] * torque, -axis[2] * torque);
    }
  }
}

void CCarDynamics::Update(float) {
  if (Disabled || !Chassis) return;
  for (int i = 0; i < WheelCount; ++i) {
    CarWheel& w = Wheels[i];
    if (!w.Body || !MdtBodyIsEnabled(w.Body) || !w.Instance) continue;
    CVector3 before;
    w.Instance->GetPosition(&before);
    float t[16];
    MdtBodyGetTransform(w.Body, t);
    PlaceInstanceAtTransform(w.Instance, t, nullptr);
    if (g_Environment) {
      CVector3 after;
      w.Instance->GetPosition(&after);
      if (g_Environment->UpdateInstanceZone(w.Instance, before, after) && Instance) Instance->ReattachToRoot();
    }
  }
  // One wheel a frame looks for the ground below it, so that it hangs under
  // the zone it stands in.
  if (WheelCount > 0) {
    ProbeIndex = std::clamp(ProbeIndex, 0, WheelCount - 1);
    CarWheel& w = Wheels[ProbeIndex];
    if (w.Instance && g_Environment) {
      const bool wasVisible = w.Instance->SetVisible(false, false);
      CVector3 p;
      w.Instance->GetPosition(&p);
      WorldHit hit{};
      if (g_Environment->LineTestFlat({p.x, p.y + 1000.0f, p.z}, {p.x, p.y - 1000.0f, p.z}, &hit, 0) && hit.Instance &&
          hit.Instance->GetRoot() != w.Instance->GetRoot()) {
        CEnvInstance* root = hit.Instance->GetRoot();
        w.Instance->Detach();
        root->AttachChild(w.Instance);
      }
      w.Instance->SetVisible(wasVisible, false);
    }
    ProbeIndex = (ProbeIndex + 1) % WheelCount;
  }
  if (MdtBodyIsEnabled(Chassis)) PlaceInstanceAtBody(Instance, Chassis, MassOffset);
}

void CCarDynamics::SetEnabled(int on) {
  if (!Chassis) return;
  if (on) {
    ChassisCollider.AddToSpace(g_Physics.Space);
    for (int i = 0; i < WheelCount; ++i) {
      Wheels[i].Collider.AddToSpace(g_Physics.Space);
      ChassisCollider.DisablePairWith(&Wheels[i].Collider);
    }
    for (int i = 0; i < WheelCount; ++i) MdtBodyEnable(Wheels[i].Body);
    MdtBodyEnable(Chassis);
  } else {
    MdtBodyDisable(Chassis);
    for (int i = 0; i < WheelCount; ++i) MdtBodyDisable(Wheels[i].Body);
    ChassisCollider.RemoveFromSpace();
    for (int i = 0; i < WheelCount; ++i) Wheels[i].Collider.RemoveFromSpace();
  }
  Enabled = on ? 1 : 0;
  Disabled = on ? 0 : 1;
}

float CCarDynamics::GetImpactStrength() { return BodyImpactStrength(Chassis, ChassisMass, 10.0f, 50.0f); }

void CCarDynamics::PlaceBodies(const float* position, const float* angles) {
  float q[4];
  BodyQuaternionFromAngles(angles, -1.0f, q);
  const float p[3] = {position[0] * 0.01f + MassOffset[0], position[1] * 0.01f + MassOffset[1],
                      position[2] * 0.01f + MassOffset[2]};
  SetBodyFrame(Chassis, q, p);
  float t[16];
  MdtBodyGetTransform(Chassis, t);
  for (int i = 0; i < WheelCount; ++i) {
    const CarWheel& w = Wheels[i];
    const float local[3] = {w.Attachment[0] - MassOffset[0], w.Attachment[1] + WheelHeight - MassOffset[1],
                            w.Attachment[2] - MassOffset[2]};
    float rotated[3];
    RotateByBody(t, local, rotated);
    const float wp[3] = {t[12] + rotated[0], t[13] + rotated[1], t[14] + rotated[2]};
    SetBodyFrame(w.Body, q, wp);
  }
}

void CCarDynamics::Place(const float* position, const float* angles) {
  if (!Chassis) return;
  PlaceBodies(position, angles);
  for (int i = 0; i < WheelCount; ++i) MdtBodyEnable(Wheels[i].Body);
  MdtBodyEnable(Chassis);
}

int CCarDynamics::SetPowerMode(int on) {
  const int flag = on ? 1 : 0;
  if (flag == PowerMode) return -1;
  PowerMode = flag;
  DriveForce = flag ? HighDriveForce : NormalDriveForce;
  return flag ? 0 : 1;
}

void CCarDynamics::SetLinearDamping(float value) {
  if (Chassis) MdtBodySetLinearVelocityDamping(Chassis, value);
  for (int i = 0; i < WheelCount; ++i)
    if (Wheels[i].Body) MdtBodySetLinearVelocityDamping(Wheels[i].Body, value);
}

void CCarDynamics::SetAngularDamping(float value) {
  if (Chassis) MdtBodySetAngularVelocityDamping(Chassis, value);
  for (int i = 0; i < WheelCount; ++i)
    if (Wheels[i].Body) MdtBodySetAngularVelocityDamping(Wheels[i].Body, value);
}

void CCarDynamics::Lighten() {
  if (!Chassis) return;
  ChassisMass *= 0.5f;
  MdtBodySetMass(Chassis, ChassisMass);
  float inertia[9];
  MdtMakeBoxInertiaTensor(ChassisMass, ChassisSize[0], ChassisSize[1], ChassisSize[2], inertia);
  MdtBodySetInertiaTensor(Chassis, inertia);
  ChassisUserData = CollisionUserData{Instance, nullptr};
}

void CCarDynamics::AddForce(const float* force, float scale, const float* point) {
  if (scale == 0.0f || !Enabled || !Chassis) return;
  MdtBodyEnable(Chassis);
  const float f[3] = {force[0] * scale, force[1] * scale, force[2] * scale};
  if (point)
    MdtBodyAddForceAtPosition(Chassis, f[0], f[1], f[2], point[0] * 0.01f, point[1] * 0.01f, point[2] * 0.01f);
  else
    MdtBodyAddForce(Chassis, f[0], f[1], f[2]);
}

void CCarDynamics::Wake() {
  if (Enabled && Chassis) MdtBodyEnable(Chassis);
}

bool CCarDynamics::IsAwake() const { return Chassis && MdtBodyIsEnabled(Chassis); }

void CCarDynamics::GetPosition(float* out) const {
  if (Chassis) MdtBodyGetPosition(Chassis, out);
}

void CCarDynamics::GetOrientation(float* out) const {
  if (Chassis) MdtBodyGetQuaternion(Chassis, out);
}

float CCarDynamics::GetWheelSpin() const {
  if (WheelCount == 0) return 0.0f;
  float sum = 0.0f;
  for (int i = 0; i < WheelCount; ++i)
    if (Wheels[i].Joint) sum += MdtWheelJointGetSpinRate(Wheels[i].Joint);
  return -sum / static_cast<float>(WheelCount);
}
