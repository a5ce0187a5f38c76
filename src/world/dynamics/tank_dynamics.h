// A tracked vehicle: one hull body carrying sphere colliders for its road
// wheels; the tracks drive it like conveyor belts, by giving the road
// wheels' ground contacts the speed of their track.  Built from a tank
// ".dyn" record; type tag "TNKD".  Main thread only.
#pragma once

#include "physics/dynamics/mdt_types.h"
#include "world/dynamics/collision_model.h"
#include "world/dynamics/dynamics_impacts.h"

struct DynTankData;
class CTankDynamics;

inline constexpr int kTankMaxWheels = 18;

struct TankWheel {
  int Flags = 0;
  float Radius = 0.0f;
  float SteeringFactor = 0.0f;
  int FollowWheel = 0;
  float Attachment[3] = {};  // body frame: record z, y, x (physics units)
  CCollisionModel Collider;
  CollisionUserData UserData;  // (wheel instance, this slot)
  CEnvInstance* Instance = nullptr;
  CTankDynamics* Owner = nullptr;
  float SpinAngle = 0.0f;  // radians
};

class CTankDynamics : public CImpactObject {
 public:
  CTankDynamics();
  ~CTankDynamics() override;

  // Builds the hull and the road-wheel colliders at the position (engine
  // units) turned by the angles (degrees).  False when the physics world is
  // missing or out of bodies (nothing is kept).
  bool Init(const float* position, const float* angles, CEnvInstance* instance, const DynTankData& record);

  void ApplyControls(float dt) override;
  void Update(float dt) override;
  CEnvInstance* GetInstance() override { return Instance; }
  void SetEnabled(int on) override;
  float GetMass() override { return HullMass; }
  float GetImpactStrength() override;

  // Track targets = inputs (normally -1 .. 1; positive drives forward) x the
  // track drive force in use; the tracks follow at 3 per second.
  void SetTrackDrive(float left, float right);
  // Switches between the high and the normal track force when the flag
  // changes: 0 when switched on, 1 when switched off (-1 when unchanged).
  int SetPowerMode(int on);
  // Halves the hull mass and marks the tank wrecked (its hull slides).
  void Lighten();
  void Place(const float* position, const float* angles);
  void SetLinearDamping(float value);
  void SetAngularDamping(float value);
  void AddForce(const float* force, float scale, const float* point);
  void Wake();
  bool IsAwake() const;
  // Vertex-animation frame of track 0 or 1.
  float GetTrackFrame(int track) const { return TrackFrames[track & 1]; }

  float HullSize[3] = {};
  float MassOffset[3] = {};
  float NegMassOffset[3] = {};
  float WheelHeight = 0.0f;
  float HullMass = 1.0f;
  float TrackForce = 1.0f;
  float NormalTrackForce = 1.0f;
  float HighTrackForce = 1.0f;
  int PowerMode = 0;
  int Wrecked = 0;
  int WheelCount = 0;
  TankWheel Wheels[kTankMaxWheels];
  MdtBodyID Hull = nullptr;
  CCollisionModel HullCollider;
  CollisionUserData HullUserData;
  CEnvInstance* Instance = nullptr;
  CEnvInstance* Tracks[2] = {};
  float TrackCycleLength = 0.0f;
  float TrackTargets[2] = {};
  float TrackSpeeds[2] = {};  // physics units per second
  int SteepContacts = 0;
  int FlatContacts = 0;
  float TrackFrames[2] = {};

 private:
  void Release();
  unsigned generation_ = 0;
};
