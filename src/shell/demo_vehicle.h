// The demo level's physics-driven world objects, until the game's vehicle and
// feature classes exist: a world object whose visual a dynamics object of the
// physics binding moves (car, tank, flying drive or loose body), with a small
// autopilot that keeps the vehicles moving about where they stand, and blasts
// pushing the loose bodies.  The factory and delete callbacks the program
// installs in the object manager make these and plain world objects.
//
// Which dynamics an object gets: a record of stats kind 2 (machine) is a
// vehicle whose propulsion is the record's value, numbered as the vehicle
// table numbers it (0 wheels: car, 1 tracks: tank, 9 helicopter: flying
// drive); a record of stats kind 4 (feature) is a loose body.  Either way the
// stats name names the ".dyn" tuning file.  Main thread only.
#pragma once

#include "world/objects/chlo.h"

class CCarDynamics;
class CDriveDynamics;
class CDynamicsObject;
class CSimpleDynamics;
class CTankDynamics;
struct HLOSpawnRecord;

// Propulsion numbers of the vehicle table that the demo drives.
enum DemoPropulsion : int {
  DEMO_WHEELS = 0,
  DEMO_TRACKS = 1,
  DEMO_HELICOPTER = 9,
};

class CDemoVehicle : public CHLO {
 public:
  // The base object, then the dynamics object of its kind from its ".dyn"
  // record, added to the physics world.  Without the record, the physics
  // world or room in it the object stays a plain one (HasDynamics false).
  explicit CDemoVehicle(const HLOSpawnRecord& record);
  ~CDemoVehicle() override;

  // The autopilot's inputs for this frame, and the blasts that reach it.
  void Update() override;
  // A blast pushes a loose body away from its centre (and up).
  void Hit(const CVector3& direction, float amount, CHLO* source) override;
  bool LethalHit(float, int, CHLO*) override { return false; }

  bool HasDynamics() const { return Dynamics != nullptr; }
  CDynamicsObject* GetDynamics() const { return Dynamics; }

  CDynamicsObject* Dynamics = nullptr;
  CCarDynamics* Car = nullptr;
  CTankDynamics* Tank = nullptr;
  CDriveDynamics* Drive = nullptr;
  CSimpleDynamics* Body = nullptr;
  // Seconds the autopilot has run, and the height a flying drive keeps.
  float Clock = 0.0f;
  float CruiseHeight = 0.0f;
};

// The object manager's factory: a CDemoVehicle for records of stats kind 2
// or 4 that name a stats entry, a plain world object otherwise.  Null when
// the object cannot be allocated.
CHLO* DemoObjectFactory(HLOSpawnRecord& record);
// The object manager's delete callback.
void DeleteDemoObject(CHLO* object);
