// Steps shared by the triangle-list pair tests.
#pragma once

#include <cmath>

#include "physics/collision/mcd_contact.h"
#include "physics/collision/mcd_contact_simplify.h"
#include "physics/collision/mcd_narrow_phase.h"
#include "physics/collision/mcd_triangle_list.h"

namespace mcd_trilist {

// Asks the generator for the triangles within `radius` of `centre` (list
// frame) and answers how many may be read: the count the generator stored
// (its answer when it stored none), never more than the array holds.
inline int Generate(McdModelPair* pair, McdTriangleList* list, const MeReal* centre,
                    MeReal radius) {
  list->triangleCount = 0;
  const int answered = list->generator(pair, centre, radius);
  int count = list->triangleCount > 0 ? list->triangleCount : answered;
  if (!list->triangles || count < 0) count = 0;
  if (count > list->triangleCapacity) count = list->triangleCapacity;
  return count;
}

// Normalises the summed triangle normals into the result's normal; when the
// sum (nearly) vanishes, as with opposing triangles, the deepest contact's
// normal stands in.  The reduction then works on a unit normal.
inline void FinishNormal(MeReal* normal, const McdContact* contacts, int count) {
  if (McdVec3NormalizeLength(normal) > 1e-6f || count == 0) return;
  int deepest = 0;
  for (int i = 1; i < count; ++i)
    if (contacts[i].separation < contacts[deepest].separation) deepest = i;
  MeVector3Copy(normal, contacts[deepest].normal);
}

inline int Reduce(McdModelPair* pair, McdIntersectResult* result, const McdContact* candidates,
                  int kept, const McdIntersectRequest* fallback) {
  FinishNormal(result->normal, candidates, kept);
  const McdIntersectRequest* request = McdPairRequest(pair, fallback);
  result->contactCount = McdContactSimplify(result->normal, candidates, kept, result->contacts,
                                            McdPairBudget(result, request),
                                            request->faceNormalsFirst);
  return result->contactCount > 0;
}

}  // namespace mcd_trilist
