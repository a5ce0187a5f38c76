// The flying drive model: a kinematic mover (no physics body) that speeds
// up, climbs, turns, pitches and rolls an instance as a hovering aircraft
// would, spins two rotor joints, wobbles while it hovers and raises dust
// below it.  Built from a drive ".dyn" record.  Engine units (centimetres,
// per second) and degrees.  Main thread only.
#pragma once

#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"
#include "world/dynamics/dynamics_object.h"

struct DynDriveData;

// Hands a rotor joint its matrix (instance, joint index, matrix); the
// animated-model code installs it.
using DriveJointHook = void (*)(CEnvInstance* model, int joint, const CMatrix& matrix);

class CDriveDynamics : public CDynamicsObject {
 public:
  // Modes: 1 flying (pitches with speed); 2 and 3 arriving (pitch levels out,
  // mode 2 also lets the hover wobble die down).
  enum { kModeFly = 1, kModeArriveHorizontal = 2, kModeArriveHeight = 3 };

  // Takes the record's limits (null record: the defaults), the position and
  // angles, and the model with its two rotor joints; switches the model on.
  void Init(const CVector3& position, const CVector3& angles, CEnvInstance* model, const DynDriveData* record,
            int firstJoint, int secondJoint);

  void ApplyControls(float dt) override;
  void Update(float dt) override;
  CEnvInstance* GetInstance() override { return nullptr; }
  void SetEnabled(int on) override { On = on ? 1 : 0; }

  // Turn input (-1 .. 1) x the turn limit, degrees per second.
  void SetScaledDrive(float input) { TurnRate = input * TurnLimit; }
  // Forward and vertical inputs (-1 .. 1) x their maximum speeds; with both,
  // the second unit (a following vehicle) gets the same.
  void SetPrimaryDrive(float value, CDriveDynamics* both = nullptr);
  void SetSecondaryDrive(float value, CDriveDynamics* both = nullptr);
  void SetMode(int mode) { Mode = mode; }
  void SetPosition(const CVector3& p) { Position = p; }
  void SetAngles(const CVector3& a) { Angles = a; }
  bool IsMoving() const { return Velocity.x != 0.0f || Velocity.y != 0.0f || Velocity.z != 0.0f; }
  const CVector3& GetVelocity() const { return Velocity; }
  static void SetJointHook(DriveJointHook hook);

  int On = 0;
  int Mode = kModeFly;
  float PrimaryInput = 0.0f;    // target forward speed
  float SecondaryInput = 0.0f;  // target vertical speed
  float MaxForwardSpeed = 2000.0f;
  float MaxVerticalSpeed = 500.0f;
  float ForwardRate = 1000.0f;
  float VerticalRate = 1000.0f;
  float MaxPitch = 45.0f;
  float MaxRoll = 45.0f;
  float TurnLimit = 90.0f;
  float TurnRate = 0.0f;
  float ForwardSpeed = 0.0f;
  float VerticalSpeed = 0.0f;
  CVector3 Angles{};  // pitch, heading, roll
  CVector3 Velocity{};
  CVector3 Position{};
  CEnvInstance* Model = nullptr;
  int Joints[2] = {-1, -1};
  int JointAxes[2] = {1, 1};
  float SpinAngle = 0.0f;
  float WashTimer = 0.0f;
  float HoverBlend = 0.0f;
  float Wobble[3] = {};
  float WobbleRate[3] = {};
};
