#include "physics/collision/mcd_primitives.h"

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/collision/mcd_triangle_list.h"

int McdPrimitivesRegisterTypes() {
  McdSphereRegisterType();
  McdBoxRegisterType();
  McdPlaneRegisterType();
  McdCylinderRegisterType();
  McdConeRegisterType();
  return McdTriangleListRegisterType();
}

int McdPrimitivesGetTypeCount() { return 6; }
