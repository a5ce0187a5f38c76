// The physics state the one dynamics world sets up and every dynamics object
// uses: the library's dynamics world, collision space and bridge, the
// materials the kinds take, the axis-turn matrix and the game time of the
// step under way.  Set by CDynamicsWorld's constructor and cleared by its
// Shutdown; main thread only.
#pragma once

#include "physics/collision/mcd_types.h"
#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_types.h"

class CCollisionModel;
class CDynamicsWorld;

// Material indices of the bridge; -1 while not taken.
struct DynamicsMaterials {
  int Terrain = -1;
  int Simple = -1;
  int Tyre = -1;
  int Chassis = -1;
  int RoadWheel = -1;
  int Hull = -1;
};

struct DynamicsPhysics {
  CDynamicsWorld* Owner = nullptr;
  MdtWorldID World = nullptr;
  McdSpaceID Space = nullptr;
  McdDtBridgeID Bridge = nullptr;
  DynamicsMaterials Materials;
  CCollisionModel* Terrain = nullptr;
  // Turns a body's frame into its model's: the rotation of Euler angles
  // (0, pi/2, 0), 4x4 with no translation.
  float AxisTurn[16] = {};
  // Game clock at the step under way, seconds; and that step's length.
  float GameTime = 0.0f;
  float StepLength = 0.0f;
  // Counts the worlds made; an object built in an earlier world leaves its
  // bodies alone (they went with that world's pools).
  unsigned Generation = 0;
};

extern DynamicsPhysics g_Physics;

// Takes a new material of the bridge when *index is unset; false when the
// bridge has none left (the index stays unset).
bool TakeMaterial(int* index);
