// A scene set up the way the game's physics world sets up the library: the
// collision layer with the primitive types and pair tests, an axis-sort
// space, the bridge with its materials and a dynamics world with the game's
// parameters.  Bodies get models bound through the bridge.
#pragma once

#include <memory>
#include <vector>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_space.h"
#include "physics/dynamics/mcd_dt_bridge.h"
#include "physics/dynamics/mdt_body.h"
#include "physics/dynamics/mdt_world.h"

namespace mdt_test {

class Scene {
 public:
  explicit Scene(unsigned maxBodies = 200, unsigned maxConstraints = 500, unsigned materials = 4,
                 bool autoDisable = true);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // A static plane through `height` facing +y.
  McdModel* Ground(float height = 0);
  // A static box (full sizes) at a position, turned by `angle` about z.
  McdModel* StaticBox(float sx, float sy, float sz, float x, float y, float z, float angle = 0);
  // A static model of any geometry (the scene owns neither).
  McdModel* Static(McdGeometryID geometry, float* transform);
  // A dynamic box or sphere of the given mass with its own inertia, enabled.
  McdModel* Box(float sx, float sy, float sz, float mass, float x, float y, float z);
  McdModel* Sphere(float radius, float mass, float x, float y, float z);
  // Binds a new model of `geometry` to `body` and inserts it.
  McdModel* Attach(McdGeometryID geometry, MdtBody* body);
  // Space update, bridge step and world step.
  void Step(float h);
  // Default material pair parameters (friction in two directions).
  MdtContactParams* Params(unsigned a = 0, unsigned b = 0);

  MdtWorldID world = nullptr;
  McdSpaceID space = nullptr;
  McdDtBridgeID bridge = nullptr;

 private:
  McdIntersectRequest request_{10, 1};
  std::vector<McdModel*> models_;
  std::vector<McdGeometryID> geometries_;
  std::vector<std::unique_ptr<float[]>> transforms_;
};

}  // namespace mdt_test
