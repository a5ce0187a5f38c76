// The tuning records of physics-driven objects, one per object type, as the
// ".dyn" files give them.  Each file starts with the format version and a
// second number that is not kept, then the fields of its kind in the order
// below.  Distances are engine units, angles degrees unless a field says
// otherwise; the dynamics objects convert them when they build themselves.
//
// Each record reads and writes itself: load() takes the fields after the two
// header numbers (fields past the end of the text keep their blank() value),
// save() writes the whole file for a version.  load() answers false, with a
// message in the reader, when a field is damaged or a value is out of range.
#pragma once

#include <string>

#include "foundation/maths/vector3.h"

class CEnvInstance;
class DynTextReader;
class DynTextWriter;

// Records hold at most this many wheels.
inline constexpr int kDynMaxWheels = 18;

enum DynWheelFlags : int {
  DYNWHEEL_DRIVEN = 0x01,
  DYNWHEEL_STEERED = 0x02,
  DYNWHEEL_FOLLOWS_SPIN = 0x10,  // spins as the wheel `followWheel` does
  DYNWHEEL_FRONT_TYRE = 0x20,    // car: takes the front tyre values
  DYNWHEEL_RIGHT_TRACK = 0x40,   // tank
  DYNWHEEL_COLLIDER = 0x80,      // tank: has a collision sphere
};

struct DynWheelData {
  int flags;
  float radius;
  float steeringFactor;  // car
  int followWheel;       // index of the wheel whose spin this one follows (flag 0x10)
  Vector3 attachment;
  float sphereRadius;
  Vector3 sphereOffset;
  std::string name;
  CEnvInstance* instance;  // not in the file: set by the vehicle code

  void blank();
  // wheelCount: the record's wheel count, which a followed wheel must lie below.
  bool load(DynTextReader& in, int wheelCount);
  void save(DynTextWriter& out) const;
};

struct DynCarData {
  float driveForce;
  float highDriveForce;  // files before version 2: 1.5 x driveForce
  float maxSteerAngle;   // radians
  float wheelHeight;     // above the chassis origin
  float mass;
  Vector3 inertiaSize;
  Vector3 massOffset;
  Vector3 boxSize;
  Vector3 boxOffset;
  float suspensionTravel;
  float suspensionSoftness;
  float suspensionDamping;
  float travelBelowRest;  // fraction of the travel below the rest point
  float staticLoadTravel; // fraction of the travel taken by the static load
  float frontTyreCompliance;
  float frontTyreSoftness;
  float rearTyreCompliance;
  float rearTyreSoftness;
  float loadLength;       // divides the centre-of-mass offset in the wheel load
  float reserved;         // kept; the car model does not use it
  float wheelMass;
  int wheelCount;         // 0 .. kDynMaxWheels
  DynWheelData wheels[kDynMaxWheels];

  static constexpr const char* kKind = "car";
  void blank();
  bool load(DynTextReader& in, int version);
  std::string save(int version) const;
};

struct DynTankData {
  float trackForce;      // scales the track inputs
  float highTrackForce;  // files before version 2: 2 x trackForce
  float wheelHeight;     // above the hull origin
  float mass;
  Vector3 inertiaSize;
  Vector3 massOffset;
  Vector3 boxSize;
  Vector3 boxOffset;
  std::string trackNames[2];
  CEnvInstance* trackInstances[2];  // not in the file: set by the vehicle code
  float trackCycleLength;  // distance a track moves in one cycle of its vertex animation
  int wheelCount;          // 0 .. kDynMaxWheels
  DynWheelData wheels[kDynMaxWheels];

  static constexpr const char* kKind = "tank";
  void blank();
  bool load(DynTextReader& in, int version);
  std::string save(int version) const;
};

// A spinning joint of a drive model: axis 0 x, 1 y, 2 z.
struct DynDriveJoint {
  int axis;
  std::string name;
};

struct DynDriveData {
  float speedLimits[2];
  float rateLimits[2];
  DynDriveJoint joints[2];

  static constexpr const char* kKind = "drive";
  void blank();
  // Joint names are bare words in version 0 files and may be quoted (and
  // hold blanks) from version 1 on.
  bool load(DynTextReader& in, int version);
  std::string save(int version) const;
};

struct DynDrivePartData {
  float speedLimits[2];
  float angleLimits[2];

  static constexpr const char* kKind = "drive part";
  void blank();
  bool load(DynTextReader& in, int version);
  std::string save(int version) const;
};

enum DynColliderKind : int { DYNCOLLIDER_SPHERE = 1, DYNCOLLIDER_BOX = 2 };
enum DynEffectFlags : int { DYNEFFECT_DUST_BURST = 0x01, DYNEFFECT_SURFACE_IMPACT = 0x02 };

struct DynSimpleData {
  float mass;
  Vector3 inertiaSize;
  Vector3 massOffset;
  float tiltLimit;  // degrees; negative: none
  int colliderKind;
  float sphereRadius;
  Vector3 sphereOffset;
  Vector3 boxSize;
  Vector3 boxOffset;
  int effects;  // from version 3 on; 0 before

  static constexpr const char* kKind = "simple";
  // Everything 0 but the tilt limit, which is "none".
  void blank();
  bool load(DynTextReader& in, int version);
  std::string save(int version) const;
};
