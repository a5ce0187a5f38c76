// Cone against box, cone or cylinder: a touch verdict only.
#include <cmath>

#include "physics/collision/mcd_cone_pairs.h"
#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_narrow_phase.h"

int McdConeConvexTouch(McdModelPair* pair, McdIntersectResult* result) {
  result->contactCount = 0;
  MeReal distance2 = 0.0f;
  const int touching = McdConvexDistance(pair->model1, pair->model2, nullptr, nullptr, &distance2);
  if (touching) return 1;
  const MeReal margin = McdPairMargin(pair);
  return margin >= 0.0f && distance2 <= margin * margin ? 1 : 0;
}
