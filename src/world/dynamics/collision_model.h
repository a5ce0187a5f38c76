// A collision shape owned by a dynamics object or by the physics world: the
// library geometry and model, its own transform, and the storage the library
// fills when the model follows a body at an offset.
//
// Sizes and positions are physics units (engine units x 0.01).  Transforms
// are 4x4, rows x, y, z axes then the position.  Main thread only.
#pragma once

#include "physics/collision/mcd_triangle_list.h"
#include "physics/collision/mcd_types.h"
#include "physics/dynamics/mdt_types.h"

struct McdSpace;
class CEnvInstance;

// What a dynamics object hangs on its collision models: the environment
// instance that stands for the model, and one word of the kind's own (a tank
// wheel slot, or null).
struct CollisionUserData {
  CEnvInstance* Instance = nullptr;
  void* Extra = nullptr;
};

enum CollisionModelKind : int {
  COLLISION_PLANE = 0,
  COLLISION_SPHERE = 1,
  COLLISION_BOX = 2,
  COLLISION_CYLINDER = 3,
  COLLISION_TRIANGLE_LIST = 4,
};

class CCollisionModel {
 public:
  CCollisionModel();
  ~CCollisionModel() { Destroy(); }
  CCollisionModel(const CCollisionModel&) = delete;
  CCollisionModel& operator=(const CCollisionModel&) = delete;

  // Each builds the geometry and a model for it, attached to the body when
  // one is given, with the material and no user data.  False (and nothing
  // kept) when the library has no room left.
  bool CreateSphere(MdtBodyID body, int material, float radius);
  bool CreateBox(MdtBodyID body, int material, float x, float y, float z);
  bool CreateCylinder(MdtBodyID body, int material, float radius, float height);
  bool CreatePlane(MdtBodyID body, int material);
  // A triangle list bounded by the extents whose triangles the generator
  // writes into the caller's buffer of capacity records.
  bool CreateTriangleList(MdtBodyID body, int material, float x, float y, float z, McdUserTriangle* buffer,
                          int capacity, McdTriangleListGenerator generator);

  // Identity rotation at the position: with a body, the model follows the
  // body with this transform as its offset; otherwise it is the model's own.
  void SetTransform(const float* position);
  void AddToSpace(McdSpace* space);
  void RemoveFromSpace();
  // on 1 adds, anything else removes.
  void SetInSpace(McdSpace* space, int on);
  // Refreshes the model's bounds in its space.
  void UpdateInSpace();
  void SetFrozen(int frozen);
  // Switches collision off between this model and the other in the space.
  void DisablePairWith(CCollisionModel* other);
  void SetUserData(CollisionUserData* data);
  CollisionUserData* GetUserData() const;
  // Takes the model out of the space, destroys the geometry, then the model.
  void Destroy();

  int Kind = COLLISION_PLANE;
  int InSpace = 0;
  McdGeometry* Geometry = nullptr;
  McdModel* Model = nullptr;
  float Transform[16];
  float RelativeStorage[16];

 private:
  bool Finish(McdGeometry* geometry, int kind, MdtBodyID body, int material);
};
