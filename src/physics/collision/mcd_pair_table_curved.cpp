#include "physics/collision/mcd_pair_table_curved.h"

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_cone.h"
#include "physics/collision/mcd_cone_pairs.h"
#include "physics/collision/mcd_cylinder.h"
#include "physics/collision/mcd_cylinder_pairs.h"
#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_line_segment.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_sphere.h"
#include "physics/collision/mcd_triangle_list.h"
#include "physics/collision/mcd_triangle_list_pairs.h"

namespace {

void Register(int a, int b, McdIntersectFn intersect, McdSafeTimeFn safeTime) {
  if (a < 0 || b < 0) return;
  McdInteractions record = {nullptr, nullptr, intersect, safeTime};
  McdInteractionsSet(a, b, &record, nullptr);
}

void RegisterSegment(int type, McdLineSegIntersectFn fn) {
  if (type >= 0) McdLineSegIntersectRegister(type, fn);
}

}  // namespace

void McdRegisterCurvedAndTriangleListInteractions() {
  const int sphere = McdSphereGetTypeId();
  const int box = McdBoxGetTypeId();
  const int plane = McdPlaneGetTypeId();
  const int cylinder = McdCylinderGetTypeId();
  const int cone = McdConeGetTypeId();
  const int list = McdTriangleListGetTypeId();
  Register(cylinder, sphere, McdCylinderSphereIntersect, McdCylinderSphereSafeTime);
  Register(cylinder, plane, McdCylinderPlaneIntersect, nullptr);
  Register(box, cylinder, McdBoxCylinderIntersect, McdBoxCylinderSafeTime);
  Register(cylinder, cylinder, McdCylinderCylinderIntersect, McdCylinderCylinderSafeTime);
  Register(cone, sphere, McdConeSphereIntersect, nullptr);
  Register(cone, plane, McdConePlaneIntersect, nullptr);
  Register(cone, box, McdConeConvexTouch, nullptr);
  Register(cone, cone, McdConeConvexTouch, nullptr);
  Register(cone, cylinder, McdConeConvexTouch, nullptr);
  Register(sphere, list, McdSphereTriangleListIntersect, nullptr);
  Register(box, list, McdBoxTriangleListIntersect, nullptr);
  RegisterSegment(box, McdBoxLineSegment);
  RegisterSegment(sphere, McdSphereLineSegment);
  RegisterSegment(plane, McdPlaneLineSegment);
  RegisterSegment(cylinder, McdCylinderLineSegment);
  RegisterSegment(cone, McdConeLineSegment);
}
