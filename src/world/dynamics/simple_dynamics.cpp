#include "world/dynamics/simple_dynamics.h"

#include <cmath>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_geometry.h"
#include "physics/collision/mcd_model.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/dynamics/mdt_angle_limit.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_constraint.h"
#include "physics/dynamics/mdt_contact_params.h"
#include "world/dynamics/body_pose.h"
#include "world/dynamics/dynamic_records.h"
#include "world/dynamics/dynamics_impacts.h"
#include "world/dynamics/dynamics_world.h"
#include "world/dynamics/terrain_collider.h"

namespace {

// Contact filters of simple bodies: keep (1) or drop (0) one contact.
int FilterContact(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic, bool effects) {
  McdModel* model = GetDynamicModelOfPair(result);
  if (!model || !McdModelGetBody(model)) return 1;
  const float penetration = MdtContactGetPenetration(dynamic);
  if (penetration < kShallowContact) return 0;
  const bool sphere = McdGeometryGetType(McdModelGetGeometry(model)) == McdSphereGetTypeId();
  if (sphere && contact != &result->contacts[0]) {
    const float* a = result->contacts[0].normal;
    const float* b = contact->normal;
    // A sphere rests on one point: a second contact facing the same way is
    // the same touch seen through a neighbouring triangle.
    if (a[0] * b[0] + a[1] * b[1] + a[2] * b[2] > 0.6f) return 0;
  }
  if (effects && (sphere || penetration > 0.002f)) {
    auto* object = static_cast<CSimpleDynamics*>(ObjectOfBody(McdModelGetBody(model)));
    if (object && object->HasTypeTag("SMPD"))
      SpawnContactEffect(object->Instance, object->EffectFlags, result, dynamic, SimpleEffectTimer());
  }
  return 1;
}

int EffectFilter(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  return FilterContact(result, contact, dynamic, true);
}

int PlainFilter(McdIntersectResult* result, McdContact* contact, MdtContactID dynamic) {
  return FilterContact(result, contact, dynamic, false);
}

void SetSimplePair(int a, int b) {
  MdtContactParams* p = McdDtBridgeGetContactParams(g_Physics.Bridge, static_cast<unsigned>(a), static_cast<unsigned>(b));
  if (!p) return;
  MdtContactParamsSetType(p, 2);
  MdtContactParamsSetFriction(p, 2.0f);
  MdtContactParamsSetRestitution(p, 0.3f);
  // Only real impacts bounce: with the library's own threshold a resting
  // body's position correction counts as an approach and it never settles.
  MdtContactParamsSetRestitutionThreshold(p, 0.5f);
  MdtContactParamsSetSoftness(p, 0.01f);
}

}  // namespace

CSimpleDynamics::CSimpleDynamics() {
  SetTypeTag("SMPD");
  TakeMaterial(&g_Physics.Materials.Simple);
}

CSimpleDynamics::~CSimpleDynamics() {
  UnregisterMovedInstance(Instance);
  if (generation_ != g_Physics.Generation || !g_Physics.World) {
    Collider.Geometry = nullptr;  // went with the old framework
    Collider.Model = nullptr;
    return;
  }
  Collider.Destroy();
  if (TiltLimit) MdtConstraintDestroy(TiltLimit);
  if (Body) {
    MdtBodySetUserData(Body, 0);
    MdtBodyDestroy(Body);
  }
}

bool CSimpleDynamics::Init(const float* position, const float* angles, CEnvInstance* instance,
                           const DynSimpleData& record) {
  if (!g_Physics.World || Body) return false;
  EffectFlags = record.effects;
  Mass = record.mass > 0 ? record.mass : 1.0f;
  RecordToBody(record.inertiaSize, Size);
  RecordToBody(record.massOffset, MassOffset);
  for (int i = 0; i < 3; ++i) NegMassOffset[i] = -MassOffset[i];
  Instance = instance;
  UserData = CollisionUserData{instance, nullptr};

  Body = MdtBodyCreate(g_Physics.World);
  if (!Body) return false;
  generation_ = g_Physics.Generation;
  float q[4];
  BodyQuaternionFromAngles(angles, 1.0f, q);
  MdtBodySetUserData(Body, reinterpret_cast<MeUserWord>(static_cast<CDynamicsObject*>(this)));
  MdtBodySetQuaternion(Body, q[0], q[1], q[2], q[3]);
  MdtBodySetAngularVelocityDamping(Body, 0.05f);
  MdtBodySetLinearVelocityDamping(Body, 0.05f);
  MdtBodySetMass(Body, Mass);
  MdtBodySetPosition(Body, position[0] * 0.01f + MassOffset[0], position[1] * 0.01f + MassOffset[1],
                     position[2] * 0.01f + MassOffset[2]);
  float inertia[9];
  MdtMakeBoxInertiaTensor(Mass, Size[0], Size[1], Size[2], inertia);
  MdtBodySetInertiaTensor(Body, inertia);
  MdtBodyEnable(Body);

  const int simple = g_Physics.Materials.Simple, terrain = g_Physics.Materials.Terrain;
  SetSimplePair(simple, simple);
  SetSimplePair(terrain, simple);
  McdDtBridgeSetContactCallback(g_Physics.Bridge, simple, terrain, &EffectFilter);
  McdDtBridgeSetContactCallback(g_Physics.Bridge, simple, simple, &PlainFilter);

  float offset[3];
  bool made = false;
  if (record.colliderKind == DYNCOLLIDER_BOX) {
    float size[3];
    RecordToBody(record.boxSize, size);
    RecordToBody(record.boxOffset, offset);
    made = Collider.CreateBox(Body, simple, size[0], size[1], size[2]);
  } else if (record.colliderKind == DYNCOLLIDER_SPHERE) {
    RecordToBody(record.sphereOffset, offset);
    made = Collider.CreateSphere(Body, simple, record.sphereRadius * 0.01f);
  }
  if (made) {
    Collider.SetTransform(offset);
    Collider.SetUserData(&UserData);
    Collider.AddToSpace(g_Physics.Space);
  }
  if (record.tiltLimit >= 0) SetTiltLimit(record.tiltLimit);
  RegisterMovedInstance(instance);
  Enabled = 1;
  Disabled = 0;
  return true;
}

void CSimpleDynamics::SetTiltLimit(float degrees) {
  if (!Body) return;
  if (degrees >= 0 && degrees < 180) {
    if (!TiltLimit) {
      TiltLimit = MdtAngleLimitCreate(g_Physics.World);
      if (!TiltLimit) return;
      MdtConstraintSetBodies(MdtAngleLimitGetConstraint(TiltLimit), Body, nullptr);
      MdtAngleLimitSetAxes(TiltLimit, 0, 1, 0, 0, 0, 1);
    }
    MdtAngleLimitSetMaxAngle(TiltLimit, degrees * 3.14159265f / 180.0f);
    MdtConstraintEnable(MdtAngleLimitGetConstraint(TiltLimit));
  } else if (TiltLimit) {
    MdtConstraintDisable(MdtAngleLimitGetConstraint(TiltLimit));
  }
}

void CSimpleDynamics::SetEnabled(int on) {
  if (!Body) return;
  if (on) {
    Collider.AddToSpace(g_Physics.Space);
    MdtBodyEnable(Body);
  } else {
    MdtBodyDisable(Body);
    Collider.RemoveFromSpace();
  }
  Enabled = on ? 1 : 0;
  Disabled = on ? 0 : 1;
}

void CSimpleDynamics::AddForce(const float* force, float scale, const float* point) {
  if (scale == 0.0f || !Enabled || !Body) return;
  MdtBodyEnable(Body);
  const float f[3] = {force[0] * scale, force[1] * scale, force[2] * scale};
  if (point)
    MdtBodyAddForceAtPosition(Body, f[0], f[1], f[2], point[0] * 0.01f, point[1] * 0.01f, point[2] * 0.01f);
  else
    MdtBodyAddForce(Body, f[0], f[1], f[2]);
}

void CSimpleDynamics::Wake() {
  if (Enabled && Body) MdtBodyEnable(Body);
}

bool CSimpleDynamics::IsAwake() const { return Body && MdtBodyIsEnabled(Body); }

void CSimpleDynamics::Update(float) {
  if (Disabled || !Body || !MdtBodyIsEnabled(Body)) return;
  PlaceInstanceAtBody(Instance, Body, MassOffset);
}
