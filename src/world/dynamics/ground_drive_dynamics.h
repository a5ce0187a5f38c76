// The ground drive model: a kinematic mover (no physics body) that steers,
// speeds up and tilts an instance over the ground.  Built from a drive-part
// ".dyn" record.  Engine units (centimetres, per second) and degrees.  Main
// thread only.
#pragma once

#include "render/geometry/vector3.h"
#include "world/dynamics/dynamics_object.h"

struct DynDrivePartData;

class CGroundDriveDynamics : public CDynamicsObject {
 public:
  // Takes the record's limits (null record: the defaults), the position and
  // angles and the instance to move; switches the model on.
  void Init(const CVector3& position, const CVector3& angles, CEnvInstance* instance, const DynDrivePartData* record);

  void ApplyControls(float dt) override;
  void Update(float dt) override;
  CEnvInstance* GetInstance() override { return nullptr; }
  void SetEnabled(int on) override { On = on ? 1 : 0; }

  // Turn input (-1 .. 1): the turn rate follows input x 90 degrees a second.
  void SetDrive(float value) { TurnInput = value * 90.0f; }
  // Forward and vertical inputs (-1 .. 1) x their limits; with both, the
  // second unit gets the same.
  void SetPrimaryDrive(float value, CGroundDriveDynamics* both = nullptr);
  void SetSecondaryDrive(float value, CGroundDriveDynamics* both = nullptr);
  void SetPosition(const CVector3& p) { Position = p; }
  void SetAngles(const CVector3& a) { Angles = a; }
  // Forward speed along the heading, with the vertical speed as y.
  CVector3 GetVelocity() const;
  // Heading change to face the point, degrees in [0, 360).
  float TurnTowards(const CVector3& point) const;
  void ClearTurn() { TurnInput = TurnRate = 0.0f; }
  // Keeps the mover `height` units above the ground under it (the
  // environment's vertical probe) instead of moving by its vertical speed;
  // a negative height switches this off.
  void SetGroundFollow(float height) { GroundHeight = height; }

  int On = 0;
  float TurnInput = 0.0f;
  float PrimaryInput = 0.0f;
  float SecondaryInput = 0.0f;
  float MaxForwardSpeed = 2000.0f;
  float VerticalLimit = 500.0f;
  float TiltLimit = 70.0f;
  float RollLimit = 45.0f;
  float ForwardRate = 800.0f;
  float VerticalRate = 800.0f;
  float TurnLimit = 90.0f;
  float TurnRate = 0.0f;
  float ForwardSpeed = 0.0f;
  float VerticalSpeed = 0.0f;
  float Tilt = 0.0f;
  CVector3 Angles{};  // pitch, heading, roll
  CVector3 Position{};
  CEnvInstance* Instance = nullptr;
  float GroundHeight = -1.0f;
};
