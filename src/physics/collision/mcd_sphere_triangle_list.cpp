// Sphere against triangle list.
#include <cmath>

#include "physics/collision/mcd_sphere.h"
#include "physics/collision/mcd_triangle_list_common.h"
#include "physics/collision/mcd_triangle_list_pairs.h"
#include "physics/collision/mcd_triangle_tests.h"

int McdSphereTriangleListIntersect(McdModelPair* pair, McdIntersectResult* result) {
  const McdModel* sphere = pair->model1;
  const McdModel* model = pair->model2;
  McdTriangleList* list = reinterpret_cast<McdTriangleList*>(model->geometry);
  const MeReal* ts = McdModelTransformOrIdentity(sphere);
  const MeReal* tl = McdModelTransformOrIdentity(model);
  const MeReal r = McdSphereGetRadius(sphere->geometry);
  const MeReal margin = McdPairMargin(pair);
  result->contactCount = 0;
  MeVector3Set(result->normal, 0, 0, 0);

  MeReal offset[3], centre[3];
  MeVector3Subtract(offset, ts + 12, tl + 12);
  MeMatrix4TMInverseRotate(centre, tl, offset);
  const int count = mcd_trilist::Generate(pair, list, centre, r + margin);

  McdContact candidates[McdSphereTriangleListMaxCandidates];
  int kept = 0;
  for (int i = 0; i < count && kept < McdSphereTriangleListMaxCandidates; ++i) {
    const McdUserTriangle& src = list->triangles[i];
    // A triangle whose plane is out of reach cannot touch (the test's first
    // check, made before the triangle is carried into world coordinates).
    MeReal toCentre[3];
    MeVector3Subtract(toCentre, centre, src.vertices[0]);
    if (std::fabs(MeVector3Dot(toCentre, src.normal)) - r > margin) continue;
    // Nor one whose bounding box is out of reach.
    MeReal gap2 = 0.0f;
    for (int k = 0; k < 3; ++k) {
      const MeReal a = src.vertices[0][k], b = src.vertices[1][k], c = src.vertices[2][k];
      const MeReal lo = std::fmin(a, std::fmin(b, c)), hi = std::fmax(a, std::fmax(b, c));
      const MeReal out = centre[k] < lo ? lo - centre[k] : (centre[k] > hi ? centre[k] - hi : 0.0f);
      gap2 += out * out;
    }
    if (r + margin >= 0.0f && gap2 > (r + margin) * (r + margin)) continue;
    // World orientation, relative to the sphere's centre.
    MeReal v[3][3], n[3];
    for (int k = 0; k < 3; ++k) {
      MeReal world[3];
      MeMatrix4TMTransform(world, tl, src.vertices[k]);
      MeVector3Subtract(v[k], world, ts + 12);
    }
    MeMatrix4TMRotate(n, tl, src.normal);
    McdTriangle tri;
    McdTriangleMake(&tri, v[0], v[1], v[2], n);
    McdTriangleHit hit;
    if (!McdSphereTriangleIntersect(&tri, r, margin, &hit)) continue;
    McdContact* c = &candidates[kept++];
    MeVector3Add(c->position, hit.position, ts + 12);
    c->dims = hit.dims;
    c->element1 = src.element1;
    c->element2 = src.element2;
    if ((hit.dims >> 8) == McdFeatureFace) {
      MeVector3Copy(c->normal, n);
      // Behind the face: push back out through the front.
      c->separation = MeVector3Dot(hit.normal, n) < 0.0f ? -2.0f * r - hit.separation
                                                         : hit.separation;
    } else {
      MeVector3Copy(c->normal, hit.normal);
      c->separation = hit.separation;
    }
    MeVector3Add(result->normal, result->normal, hit.normal);
  }
  return mcd_trilist::Reduce(pair, result, candidates, kept, &McdSphereTriangleListDefaultRequest);
}
