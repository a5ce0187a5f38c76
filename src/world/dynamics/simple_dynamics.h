// One rigid body for a loose world object (a crate, a barrel): a box or
// sphere collider, an optional tilt limit, dust and surface effects where it
// lands.  Built from a simple ".dyn" record; type tag "SMPD".  Main thread
// only.
#pragma once

#include "physics/dynamics/mdt_types.h"
#include "world/dynamics/collision_model.h"
#include "world/dynamics/dynamics_object.h"

struct DynSimpleData;
struct MdtAngleLimit;

class CSimpleDynamics : public CDynamicsObject {
 public:
  CSimpleDynamics();
  ~CSimpleDynamics() override;

  // Builds the body and collider at the position (engine units) turned by
  // the angles (degrees), moving the instance.  False when the physics world
  // is missing or out of bodies (nothing is kept).
  bool Init(const float* position, const float* angles, CEnvInstance* instance, const DynSimpleData& record);

  void Update(float dt) override;
  CEnvInstance* GetInstance() override { return Instance; }
  // Off disables the body and takes the collider out of the space; on puts
  // it back and enables the body.
  void SetEnabled(int on) override;

  // A limit in [0, 180) degrees holds the body's up axis within it; any
  // other value switches an existing limit off.
  void SetTiltLimit(float degrees);
  // Adds force x scale (world frame, physics units) at point x 0.01 (engine
  // units; null: the centre of mass), waking the body; nothing when scale is
  // 0 or the object is not enabled.
  void AddForce(const float* force, float scale, const float* point);
  void Wake();
  bool IsAwake() const;

  float Size[3] = {};
  float MassOffset[3] = {};
  float NegMassOffset[3] = {};
  MdtAngleLimit* TiltLimit = nullptr;
  float Mass = 1.0f;
  MdtBodyID Body = nullptr;
  CCollisionModel Collider;
  CollisionUserData UserData;
  int EffectFlags = 0;
  CEnvInstance* Instance = nullptr;

 private:
  unsigned generation_ = 0;
};
