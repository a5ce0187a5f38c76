// Tank model.  Body frame: x forward (the model's z), y up, z to the side.
// A road wheel's ground contact gets its first friction direction along the
// hull's forward axis in the ground plane (normal x the hull's z row) and a
// surface slide velocity of its track's speed: the ground pushes the tank
// along as a belt would.
#include "world/dynamics/tank_dynamics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/maths/random15.h"
#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "physics/util/me_math.h"
#include "world/dynamics/body_pose.h"
#include "world/dynamics/dynamic_records.h"
#include "world/dynamics/dynamics_world.h"
#include "world/dynamics/terrain_collider.h"
#include "world/environment/env_instance.h"
#include "world/environment/environment.h"

namespace {

constexpr float kCosMaxSlope = 0.70710677f;
constexpr float kTrackSideSlip = 0.05f;  // (m/s) per N

// The drop rules shared by road wheels and spheres: shallow contacts, and a
// later contact facing as the first one does.
bool DropContact(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  if (MdtContactGetPenetration(dynamic) < kShallowContact) return true;
  if (contact != &result->contacts[0]) {
    const float* a = result->contacts[0].normal;
    const float* b = contact->normal;
    if (a[0] * b[0] + a[1] * b[1] + a[2] * b[2] > 0.6f) return true;
  }
  return false;
}

int TrackContact(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  if (DropContact(result, contact, dynamic)) return 0;
  McdModel* model = GetDynamicModelOfPair(result);
  auto* data = model ? reinterpret_cast<CollisionUserData*>(McdModelGetUserData(model)) : nullptr;
  auto* wheel = data ? static_cast<TankWheel*>(data->Extra) : nullptr;
  CTankDynamics* tank = wheel ? wheel->Owner : nullptr;
  if (!tank || !tank->Hull) return 1;
  float n[3], t[16], d[3];
  MdtContactGetNormal(dynamic, n);
  MdtBodyGetTransform(tank->Hull, t);
  MeVector3Cross(d, n, t + 8);
  MeVector3NormalizeOrX(d);
  MdtContactSetPrimaryDirection(dynamic, d[0], d[1], d[2]);
  float g = 0.0f;
  if (n[1] > kCosMaxSlope) {
    g = 1.0f;
    ++tank->FlatContacts;
  } else {
    ++tank->SteepContacts;
  }
  const float speed = tank->TrackSpeeds[(wheel->Flags & DYNWHEEL_RIGHT_TRACK) ? 1 : 0];
  MdtContactParams* p = MdtContactGetParams(dynamic);
  MdtContactParamsSetPrimarySlide(p, g * speed);
  MdtContactParamsSetPrimarySlip(p, 0.0f);
  // The more the tracks differ, the more the wheels slip sideways: a tank
  // turning on the spot skids.
  const float force = tank->TrackForce != 0.0f ? tank->TrackForce : 1.0f;
  const float skid = 1.0f - 0.75f * std::fabs(tank->TrackSpeeds[1] - tank->TrackSpeeds[0]) / (2.0f * force);
  MdtContactParamsSetSecondarySlip(p, MdtContactParamsGetSecondarySlip(p) * g * skid);
  SpawnContactEffect(tank->Instance, 0x01, result, dynamic, CarEffectTimer());
  return 1;
}

int HullContact(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  McdModel* model = GetDynamicModelOfPair(result);
  CDynamicsObject* object = model ? ObjectOfBody(McdModelGetBody(model)) : nullptr;
  const bool wrecked = object && object->HasTypeTag("TNKD") && static_cast<CTankDynamics*>(object)->Wrecked;
  MdtContactParams* p = MdtContactGetParams(dynamic);
  MdtContactParamsSetPrimarySlip(p, wrecked ? 0.01f : 1.0f);
  MdtContactParamsSetSecondarySlip(p, wrecked ? 0.01f : 1.0f);
  if (model && McdGeometryGetType(McdModelGetGeometry(model)) == McdSphereGetTypeId() &&
      DropContact(result, contact, dynamic))
    return 0;
  return 1;
}

int TankTerrainPair(McdIntersectResult* result, MdtContactID) { return TerrainImpactPair(result, "TNKD"); }
int ImpactSimple(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "SMPD"); }
int ImpactCar(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "CARD"); }
int ImpactTank(McdIntersectResult* result, MdtContactID) { return TaggedImpactPair(result, "TNKD"); }

void SetTrackPair(int a, int b, float friction, float softness) {
  MdtContactParams* p = McdDtBridgeGetContactParams(g_Physics.Bridge, static_cast<unsigned>(a), static_cast<unsigned>(b));
  if (!p) return;
  MdtContactParamsSetType(p, 2);
  MdtContactParamsSetFriction(p, friction);
  MdtContactParamsSetSoftness(p, softness);
}

float Random01() { return static_cast<float>(Rand15()) / 32767.0f; }

}  // namespace

CTankDynamics::CTankDynamics() {
  SetTypeTag("TNKD");
  TakeMaterial(&g_Physics.Materials.RoadWheel);
  TakeMaterial(&g_Physics.Materials.Hull);
}

CTankDynamics::~CTankDynamics() { Release(); }

void CTankDynamics::Release() {
  UnregisterMovedInstance(Instance);
  for (CEnvInstance* t : Tracks) UnregisterMovedInstance(t);
  for (int i = 0; i < WheelCount; ++i) UnregisterMovedInstance(Wheels[i].Instance);
  if (generation_ != g_Physics.Generation || !g_Physics.World) {
    HullCollider.Geometry = nullptr;
    HullCollider.Model = nullptr;
    for (TankWheel& w : Wheels) w.Collider.Geometry = nullptr, w.Collider.Model = nullptr;
    return;
  }
  HullCollider.Destroy();
  for (int i = 0; i < WheelCount; ++i) Wheels[i].Collider.Destroy();
  if (Hull) {
    MdtBodySetUserData(Hull, 0);
    MdtBodyDestroy(Hull);
  }
  Hull = nullptr;
}

bool CTankDynamics::Init(const float* position, const float* angles, CEnvInstance* instance,
                         const DynTankData& record) {
  if (!g_Physics.World || Hull) return false;
  NormalTrackForce = TrackForce = record.trackForce;
  HighTrackForce = record.highTrackForce;
  WheelHeight = record.wheelHeight * 0.01f;
  HullMass = record.mass > 0 ? record.mass : 1.0f;
  RecordToBody(record.inertiaSize, HullSize);
  RecordToBody(record.massOffset, MassOffset);
  for (int i = 0; i < 3; ++i) NegMassOffset[i] = -MassOffset[i];
  Instance = instance;
  HullUserData = CollisionUserData{instance, nullptr};
  TrackCycleLength = record.trackCycleLength;
  WheelCount = std::clamp(record.wheelCount, 0, kTankMaxWheels);
  for (int k = 0; k < 2; ++k) {
    Tracks[k] = record.trackInstances[k];
    if (Tracks[k]) {
      Tracks[k]->SetVertexAnimSpeed(0.0f);
      if (instance) Tracks[k]->CopyFlags(*instance);
      RegisterMovedInstance(Tracks[k]);
    }
  }
  generation_ = g_Physics.Generation;

  Hull = MdtBodyCreate(g_Physics.World);
  if (!Hull) return false;
  float q[4];
  BodyQuaternionFromAngles(angles, -1.0f, q);
  const float hullPos[3] = {position[0] * 0.01f + MassOffset[0], position[1] * 0.01f + MassOffset[1],
                            position[2] * 0.01f + MassOffset[2]};
  MdtBodySetUserData(Hull, reinterpret_cast<MeUserWord>(static_cast<CDynamicsObject*>(this)));
  MdtBodySetQuaternion(Hull, q[0], q[1], q[2], q[3]);
  MdtBodySetAngularVelocityDamping(Hull, 0.0f);
  MdtBodySetLinearVelocityDamping(Hull, 0.0f);
  float inertia[9];
  MdtMakeBoxInertiaTensor(HullMass, HullSize[0], HullSize[1], HullSize[2], inertia);
  MdtBodySetInertiaTensor(Hull, inertia);
  MdtBodySetMass(Hull, HullMass);
  MdtBodySetPosition(Hull, hullPos[0], hullPos[1], hullPos[2]);

  McdDtBridgeID bridge = g_Physics.Bridge;
  const int terrain = g_Physics.Materials.Terrain, wheel = g_Physics.Materials.RoadWheel,
            hull = g_Physics.Materials.Hull;
  McdDtBridgeSetContactCallback(bridge, wheel, terrain, &TrackContact);
  McdDtBridgeSetContactCallback(bridge, hull, terrain, &HullContact);
  for (int part : {wheel, hull}) {
    McdDtBridgeSetPairCallback(bridge, part, terrain, &TankTerrainPair);
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.Simple, &ImpactSimple);
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.Tyre, &ImpactCar);
    McdDtBridgeSetPairCallback(bridge, part, g_Physics.Materials.Chassis, &ImpactCar);
    McdDtBridgeSetPairCallback(bridge, part, wheel, &ImpactTank);
    McdDtBridgeSetPairCallback(bridge, part, hull, &ImpactTank);
  }
  SetTrackPair(terrain, wheel, HullMass * 10.0f, 0.001f);
  // The sideways compliance the track contacts scale down as the tracks'
  // speeds part: without any, the road wheels could not skid and the tank
  // could not turn.
  if (MdtContactParams* p = McdDtBridgeGetContactParams(bridge, terrain, wheel))
    MdtContactParamsSetSecondarySlip(p, kTrackSideSlip);
  SetTrackPair(terrain, hull, HullMass * 10.0f, 0.002f);

  float boxSize[3], boxOffset[3];
  RecordToBody(record.boxSize, boxSize);
  RecordToBody(record.boxOffset, boxOffset);
  if (HullCollider.CreateBox(Hull, hull, boxSize[0], boxSize[1], boxSize[2])) {
    HullCollider.SetTransform(boxOffset);
    HullCollider.SetUserData(&HullUserData);
    HullCollider.AddToSpace(g_Physics.Space);
  }
  for (int i = 0; i < WheelCount; ++i) {
    const DynWheelData& r = record.wheels[i];
    TankWheel& w = Wheels[i];
    w.Flags = r.flags;
    w.Radius = r.radius * 0.01f;
    w.SteeringFactor = r.steeringFactor;
    w.FollowWheel = r.followWheel;
    RecordToBody(r.attachment, w.Attachment);
    w.Instance = r.instance;
    w.Owner = this;
    w.UserData = CollisionUserData{r.instance, &w};
    if (w.Instance && instance) w.Instance->CopyFlags(*instance);
    RegisterMovedInstance(w.Instance);
    if (!(w.Flags & DYNWHEEL_COLLIDER)) continue;
    if (!w.Collider.CreateSphere(Hull, wheel, r.sphereRadius * 0.01f)) continue;
    float offset[3];
    RecordToBody(r.sphereOffset, offset);
    const float at[3] = {w.Attachment[0] - MassOffset[0] + offset[0], w.Attachment[1] - MassOffset[1] + offset[1],
                         w.Attachment[2] - MassOffset[2] + offset[2]};
    w.Collider.SetTransform(at);
    w.Collider.SetUserData(&w.UserData);
    w.Collider.AddToSpace(g_Physics.Space);
    w.Collider.DisablePairWith(&HullCollider);
    for (int j = 0; j < i; ++j) w.Collider.DisablePairWith(&Wheels[j].Collider);
  }
  MdtBodyEnable(Hull);
  MdtBodySetPosition(Hull, hullPos[0], hullPos[1], hullPos[2]);
  RegisterMovedInstance(instance);
  Enabled = 1;
  Disabled = 0;
  return true;
}

void CTankDynamics::SetTrackDrive(float left, float right) {
  TrackTargets[0] = left * TrackForce;
  TrackTargets[1] = right * TrackForce;
}

int CTankDynamics::SetPowerMode(int on) {
  const int flag = on ? 1 : 0;
  if (flag == PowerMode) return -1;
  PowerMode = flag;
  TrackForce = flag ? HighTrackForce : NormalTrackForce;
  return flag ? 0 : 1;
}

void CTankDynamics::ApplyControls(float dt) {
  if (!Enabled) {
    LastNotFallingTime = g_Physics.GameTime;
    return;
  }
  if (Disabled || !Hull) return;
  for (int k = 0; k < 2; ++k) {
    if (std::fabs(TrackTargets[k] - TrackSpeeds[k]) >= 0.01f)
      TrackSpeeds[k] += (TrackTargets[k] - TrackSpeeds[k]) * dt * 3.0f;
    else
      TrackSpeeds[k] = TrackTargets[k];
  }
  const bool moving = TrackSpeeds[0] != 0.0f || TrackSpeeds[1] != 0.0f;
  if (moving) MdtBodyEnable(Hull);
  float w[3];
  MdtBodyGetAngularVelocity(Hull, w);
  const float spin = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  if (spin > 1.0f) MdtBodySetAngularVelocity(Hull, w[0] / spin, w[1] / spin, w[2] / spin);
  float v[3];
  MdtBodyGetLinearVelocity(Hull, v);
  if (v[1] > -2.5f) LastNotFallingTime = g_Physics.GameTime;

  // Stuck on steep ground with a track moving: one push a step, in one of
  // four ways, to shake the tank free.
  if (SteepContacts > 0 && FlatContacts == 0 && moving) {
    float t[16];
    MdtBodyGetTransform(Hull, t);
    const float strength = TrackForce * HullMass * 0.6f;
    const int kind = std::min(7, static_cast<int>(Random01() * 8.0f));
    const float sign = Random01() < 0.5f ? -1.0f : 1.0f;
    float d[3] = {0, -1, 0};
    if (kind <= 2) d[0] = t[4], d[1] = t[5], d[2] = t[6];
    else if (kind == 6) d[0] = sign * t[0], d[1] = sign * t[1], d[2] = sign * t[2];
    else if (kind == 7) d[0] = sign * t[8], d[1] = sign * t[9], d[2] = sign * t[10];
    MdtBodyAddForce(Hull, d[0] * strength, d[1] * strength, d[2] * strength);
  }
  SteepContacts = FlatContacts = 0;
}

void CTankDynamics::Update(float dt) {
  if (Disabled || !Hull || !MdtBodyIsEnabled(Hull)) return;
  float t[16];
  MdtBodyGetTransform(Hull, t);
  if (!(t[12] >= -1000000.0f && t[12] <= 1000000.0f)) std::printf("cp santity check fail\n");

  // Road wheels roll with their track about the model's x axis.
  const float* turn = g_Physics.AxisTurn;
  float hullRows[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      hullRows[r][c] = t[4 * r] * turn[c] + t[4 * r + 1] * turn[4 + c] + t[4 * r + 2] * turn[8 + c];
  for (int i = 0; i < WheelCount; ++i) {
    TankWheel& w = Wheels[i];
    const float speed = TrackSpeeds[(w.Flags & DYNWHEEL_RIGHT_TRACK) ? 1 : 0];
    if (w.Radius > 0.0f) w.SpinAngle -= dt * 2.0f * speed / (3.14159265f * w.Radius);
    if (!w.Instance) continue;
    const float c = std::cos(w.SpinAngle), s = std::sin(w.SpinAngle);
    const float spin[3][3] = {{1, 0, 0}, {0, c, s}, {0, -s, c}};
    float rows[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k)
        rows[r][k] = spin[r][0] * hullRows[0][k] + spin[r][1] * hullRows[1][k] + spin[r][2] * hullRows[2][k];
    const float local[3] = {w.Attachment[0] - MassOffset[0], w.Attachment[1] - MassOffset[1],
                            w.Attachment[2] - MassOffset[2]};
    float at[3];
    RotateByBody(t, local, at);
    w.Instance->SetMatrixRotation(rows);
    w.Instance->SetPosition({(t[12] + at[0]) * 100.0f, (t[13] + at[1]) * 100.0f, (t[14] + at[2]) * 100.0f}, false);
  }

  auto placeWithZone = [&](CEnvInstance* instance) {
    if (!instance) return;
    CVector3 before;
    instance->GetPosition(&before);
    PlaceInstanceAtTransform(instance, t, MassOffset);
    if (g_Environment && instance == Instance) {
      CVector3 after;
      instance->GetPosition(&after);
      if (g_Environment->UpdateInstanceZone(instance, before, after)) instance->ReattachToRoot();
    }
  };
  placeWithZone(Instance);
  // The tracks move with the hull and their animation runs with their speed
  // (speed in engine units against the cycle length).
  for (int k = 0; k < 2; ++k) {
    if (!Tracks[k]) continue;
    placeWithZone(Tracks[k]);
    const float frames = static_cast<float>(std::max(1, Tracks[k]->GetVertexAnimFrameCount()));
    if (TrackCycleLength > 0.0f) {
      float frame = TrackFrames[k] + TrackSpeeds[k] * 100.0f / (TrackCycleLength / frames) * dt;
      frame = std::fmod(frame, frames);
      if (frame < 0.0f) frame += frames;
      TrackFrames[k] = frame;
    }
    Tracks[k]->SetVertexAnimFrame(TrackFrames[k]);
  }
}

void CTankDynamics::SetEnabled(int on) {
  if (!Hull) return;
  if (on) {
    HullCollider.AddToSpace(g_Physics.Space);
    for (int i = 0; i < WheelCount; ++i) {
      if (!Wheels[i].Collider.Model) continue;
      Wheels[i].Collider.AddToSpace(g_Physics.Space);
      Wheels[i].Collider.DisablePairWith(&HullCollider);
      for (int j = 0; j < i; ++j) Wheels[i].Collider.DisablePairWith(&Wheels[j].Collider);
    }
    MdtBodyEnable(Hull);
  } else {
    MdtBodyDisable(Hull);
    HullCollider.RemoveFromSpace();
    for (int i = 0; i < WheelCount; ++i) Wheels[i].Collider.RemoveFromSpace();
  }
  Enabled = on ? 1 : 0;
  Disabled = on ? 0 : 1;
}

float CTankDynamics::GetImpactStrength() { return BodyImpactStrength(Hull, HullMass, 1.0f, 100.0f); }

void CTankDynamics::Lighten() {
  if (!Hull) return;
  HullMass *= 0.5f;
  MdtBodySetMass(Hull, HullMass);
  float inertia[9];
  MdtMakeBoxInertiaTensor(HullMass, HullSize[0], HullSize[1], HullSize[2], inertia);
  MdtBodySetInertiaTensor(Hull, inertia);
  HullUserData = CollisionUserData{Instance, nullptr};
  Wrecked = 1;
}

void CTankDynamics::Place(const float* position, const float* angles) {
  if (!Hull) return;
  float q[4];
  BodyQuaternionFromAngles(angles, -1.0f, q);
  MdtBodySetQuaternion(Hull, q[0], q[1], q[2], q[3]);
  MdtBodySetPosition(Hull, position[0] * 0.01f + MassOffset[0], position[1] * 0.01f + MassOffset[1],
                     position[2] * 0.01f + MassOffset[2]);
  MdtBodySetLinearVelocity(Hull, 0, 0, 0);
  MdtBodySetAngularVelocity(Hull, 0, 0, 0);
  MdtBodyEnable(Hull);
}

void CTankDynamics::SetLinearDamping(float value) {
  if (Hull) MdtBodySetLinearVelocityDamping(Hull, value);
}

void CTankDynamics::SetAngularDamping(float value) {
  if (Hull) MdtBodySetAngularVelocityDamping(Hull, value);
}

void CTankDynamics::AddForce(const float* force, float scale, const float* point) {
  if (scale == 0.0f || !Enabled || !Hull) return;
  MdtBodyEnable(Hull);
  const float f[3] = {force[0] * scale, force[1] * scale, force[2] * scale};
  if (point)
    MdtBodyAddForceAtPosition(Hull, f[0], f[1], f[2], point[0] * 0.01f, point[1] * 0.01f, point[2] * 0.01f);
  else
    MdtBodyAddForce(Hull, f[0], f[1], f[2]);
}

void CTankDynamics::Wake() {
  if (Enabled && Hull) MdtBodyEnable(Hull);
}

bool CTankDynamics::IsAwake() const { return Hull && MdtBodyIsEnabled(Hull); }
