// A wheeled vehicle: a chassis body and one body per wheel, joined by wheel
// joints with suspension, steering and drive; the tyres' grip is set per
// contact.  Built from a car ".dyn" record; type tag "CARD".  The vehicle
// code feeds throttle and steering and reads the pose back through the
// instances the car moves.  Main thread only.
#pragma once

#include "physics/dynamics/mdt_types.h"
#include "world/dynamics/collision_model.h"
#include "world/dynamics/dynamics_impacts.h"

struct DynCarData;
struct MdtWheelJoint;

inline constexpr int kCarMaxWheels = 18;

struct CarWheel {
  int Flags = 0;
  float Radius = 0.0f;
  float SteeringFactor = 0.0f;
  int FollowWheel = 0;
  float Attachment[3] = {};  // body frame: record z, 0, record x (physics units)
  MdtBodyID Body = nullptr;
  CCollisionModel Collider;
  CollisionUserData UserData;
  MdtWheelJoint* Joint = nullptr;
  CEnvInstance* Instance = nullptr;
};

class CCarDynamics : public CImpactObject {
 public:
  CCarDynamics();
  ~CCarDynamics() override;

  // Builds chassis, wheels, joints and colliders at the position (engine
  // units) turned by the angles (degrees).  False when the physics world is
  // missing or out of bodies or constraints (nothing is kept).
  bool Init(const float* position, const float* angles, CEnvInstance* instance, const DynCarData& record);

  void ApplyControls(float dt) override;
  void Update(float dt) override;
  CEnvInstance* GetInstance() override { return Instance; }
  // Off disables every body and takes the colliders out of the space; on
  // puts them back and enables the wheels, then the chassis.
  void SetEnabled(int on) override;
  float GetMass() override { return ChassisMass; }
  float GetImpactStrength() override;

  // Inputs, normally -1 .. 1; positive throttle drives forward.
  void SetThrottle(float value) { Throttle = -value; }
  void SetSteering(float value) { Steering = value; }
  void SetMaxSteerAngle(float radians) { MaxSteerAngle = radians; }
  void SetDriveForce(float force) { DriveForce = force; }
  // Puts the chassis and every wheel at a new place and wakes them.
  void Place(const float* position, const float* angles);
  // Switches between the high and the normal drive force when the flag
  // changes: 0 when switched on, 1 when switched off (-1 when unchanged).
  int SetPowerMode(int on);
  void SetLinearDamping(float value);
  void SetAngularDamping(float value);
  // Halves the chassis mass (a wreck).
  void Lighten();
  void AddForce(const float* force, float scale, const float* point);
  void Wake();
  bool IsAwake() const;
  // Chassis position (physics units) and quaternion (w, x, y, z).
  void GetPosition(float* out) const;
  void GetOrientation(float* out) const;
  // Minus the mean spin rate of the wheel joints.
  float GetWheelSpin() const;

  float LoadLength = 0.0f;
  float Reserved = 0.0f;
  float ChassisSize[3] = {};
  float MassOffset[3] = {};
  float NegMassOffset[3] = {};
  float WheelHeight = 0.0f;
  float ChassisMass = 1.0f;
  float WheelMass = 1.0f;
  float MaxSteerAngle = 0.7853982f;
  float DriveForce = 5.0f;
  float HighDriveForce = 5.0f;
  float NormalDriveForce = 5.0f;
  int WheelCount = 0;
  CarWheel Wheels[kCarMaxWheels];
  MdtBodyID Chassis = nullptr;
  CCollisionModel ChassisCollider;
  CollisionUserData ChassisUserData;
  float SuspensionTravel = 0.0f;
  float SuspensionSoftness = 0.0f;
  float SuspensionDamping = 0.0f;
  float TravelBelowRest = 0.0f;
  float StaticLoadTravel = 0.0f;
  float FrontCompliance = 0.0f;
  float FrontSoftness = 0.001f;
  float RearCompliance = 0.0f;
  float RearSoftness = 0.001f;
  float Steering = 0.0f;
  float Throttle = 0.0f;  // stored negated
  float BrakeForce = 0.0f;
  float Grip = 0.0f;
  int PowerMode = 0;
  CEnvInstance* Instance = nullptr;
  int ProbeIndex = 0;

 private:
  void Release();
  void PlaceBodies(const float* position, const float* angles);
  unsigned generation_ = 0;
};
