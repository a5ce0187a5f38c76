// Box against triangle list.
#include <cmath>

#include "physics/collision/mcd_box.h"
#include "physics/collision/mcd_triangle_list_common.h"
#include "physics/collision/mcd_triangle_list_pairs.h"
#include "physics/collision/mcd_triangle_tests.h"

int McdBoxTriangleListIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* box = pair->model1;
  const McdModel* model = pair->model2;
  McdTriangleList* list = reinterpret_cast<McdTriangleList*>(model->geometry);
  const MeReal* tb = McdModelTransformOrIdentity(box);
  const MeReal* tl = McdModelTransformOrIdentity(model);
  const MeReal* e = McdBoxGetRadii(box->geometry);
  const MeReal margin = McdPairMargin(pair);
  result->contactCount = 0;
  MeVector3Set(result->normal, 0, 0, 0);

  MeReal offset[3], centre[3];
  MeVector3Subtract(offset, tb + 12, tl + 12);
  MeMatrix4TMInverseRotate(centre, tl, offset);
  const int count =
      mcd_trilist::Generate(pair, list, centre, McdBoxGetRadius(box->geometry) + 2.0f * margin);

  // The box's axes in the list's frame.
  MeReal boxAxes[3][3];
  for (int k = 0; k < 3; ++k) MeMatrix4TMInverseRotate(boxAxes[k], tl, tb + 4 * k);
  McdContact candidates[McdBoxTriangleListMaxCandidates];
  int kept = 0;
  for (int i = 0; i < count && kept < McdBoxTriangleListMaxCandidates; ++i) {
    const McdUserTriangle& src = list->triangles[i];
    // A triangle whose plane is out of reach cannot touch (the box test's
    // first axis, checked in the list's frame before any conversion).
    MeReal toCentre[3];
    MeVector3Subtract(toCentre, centre, src.vertices[0]);
    MeReal reach = 0.0f;
    for (int k = 0; k < 3; ++k) reach += std::fabs(MeVector3Dot(boxAxes[k], src.normal)) * e[k];
    if (std::fabs(MeVector3Dot(toCentre, src.normal)) - reach > margin) continue;
    // Vertices and normal into the box's frame.
    MeReal v[3][3], n[3], world[3], rel[3];
    for (int k = 0; k < 3; ++k) {
      MeMatrix4TMTransform(world, tl, src.vertices[k]);
      MeVector3Subtract(rel, world, tb + 12);
      MeMatrix4TMInverseRotate(v[k], tb, rel);
    }
    MeMatrix4TMRotate(world, tl, src.normal);
    MeMatrix4TMInverseRotate(n, tb, world);
    McdTriangle tri;
    McdTriangleMake(&tri, v[0], v[1], v[2], n);
    McdTriangleHit hit;
    MeReal points[McdBoxTriangleMaxPoints * 3];
    MeReal* cursor = points;
    if (!McdBoxTriangleIntersect(e, &tri, margin, &hit, &cursor)) continue;
    MeReal worldNormal[3];
    MeMatrix4TMRotate(worldNormal, tb, hit.normal);
    const int written = static_cast<int>((cursor - points) / 3);
    for (int k = 0; k < written && kept < McdBoxTriangleListMaxCandidates; ++k) {
      const MeReal* p = points + 3 * k;
      McdContact* c = &candidates[kept++];
      c->separation = MeVector3Dot(p, hit.normal) - hit.planeOffset;
      MeMatrix4TMTransform(c->position, tb, p);
      c->dims = hit.dims;
      c->element1 = src.element1;
      c->element2 = src.element2;
      MeVector3Copy(c->normal, worldNormal);
    }
    MeVector3Add(result->normal, result->normal, worldNormal);
  }
  return mcd_trilist::Reduce(pair, result, candidates, kept, &McdBoxTriangleListDefaultRequest);
}
