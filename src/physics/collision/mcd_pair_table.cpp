// The narrow phase's pair table: which test serves which pair of primitive
// types.  Registering (A, B) also fills (B, A), marked mirrored.
#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_interactions.h"
#include "physics/collision/mcd_pair_table_curved.h"
#include "physics/collision/mcd_plane.h"
#include "physics/collision/mcd_primitive_pairs.h"
#include "physics/collision/mcd_primitives.h"
#include "physics/collision/mcd_sphere.h"

namespace {

void Register(int a, int b, McdIntersectFn intersect, McdSafeTimeFn safeTime) {
  McdInteractions record = {nullptr, nullptr, intersect, safeTime};
  McdInteractionsSet(a, b, &record, nullptr);
}

}  // namespace

int McdPrimitivesRegisterInteractions() {
  const int sphere = McdSphereGetTypeId();
  const int box = McdBoxGetTypeId();
  const int plane = McdPlaneGetTypeId();
  Register(sphere, sphere, McdSphereSphereIntersect, McdSphereSphereSafeTime);
  Register(box, box, McdBoxBoxIntersect, McdBoxBoxSafeTime);
  Register(box, plane, McdBoxPlaneIntersect, McdBoxPlaneSafeTime);
  Register(box, sphere, McdBoxSphereIntersect, McdBoxSphereSafeTime);
  Register(sphere, plane, McdSpherePlaneIntersect, McdSpherePlaneSafeTime);
  McdRegisterCurvedAndTriangleListInteractions();
  return 1;
}
