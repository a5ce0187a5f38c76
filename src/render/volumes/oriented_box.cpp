#include "render/volumes/oriented_box.h"

#include <cmath>

#include "foundation/maths/random_tables.h"
#include "render/geometry/geometry_ops.h"

using namespace geom;

COrientedBox::COrientedBox(const CVector3& min, const CVector3& max, const CVector3& position, const CVector3& angles) {
  SetFromBoxAndPose(min, max, position, angles);
}

void COrientedBox::SetFromBoxAndPose(const CVector3& min, const CVector3& max, const CVector3& position,
                                     const CVector3& angles) {
  CMatrix m;
  m.SetIdentity();
  m.RotateX(-angles.x);
  m.RotateY(-angles.y);
  m.RotateZ(-angles.z);
  m.SetTranslation(position);
  Set(min, max, &m);
}

void COrientedBox::Set(const CVector3& min, const CVector3& max, const CMatrix* matrix) {
  CVector3 half = (max - min) * 0.5f;
  CVector3 local_centre = min + half;
  const CVector3 unit[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int k = 0; k < 3; ++k) {
    if (matrix)
      matrix->RotateVector(unit[k], &Axis[k]);
    else
      Axis[k] = unit[k];
  }
  if (matrix)
    matrix->TransformPoint(local_centre, &Centre);
  else
    Centre = local_centre;
  Extent[0] = half.x < 1.0f ? 1.0f : half.x;
  Extent[1] = half.y < 1.0f ? 1.0f : half.y;
  Extent[2] = half.z < 1.0f ? 1.0f : half.z;
}

void COrientedBox::SetFromBox(const float* box, const CMatrix* matrix) { Set(V(box), V(box + 3), matrix); }

// Separating-axis test: the boxes are apart when, on some axis L, the distance
// between the centres projected on L exceeds the sum of the boxes' projected
// radii r = Σ e_k |a_k · L|.  The candidates are the three axes of each box
// and the nine cross products of one box's axis with the other's; a zero cross
// product (parallel axes) projects everything to 0 and separates nothing.
bool COrientedBox::Overlaps(const COrientedBox& other) const {
  CVector3 between = other.Centre - Centre;
  auto separated = [&](const CVector3& axis) {
    float ra = 0, rb = 0;
    for (int k = 0; k < 3; ++k) {
      ra += Extent[k] * std::fabs(Dot(Axis[k], axis));
      rb += other.Extent[k] * std::fabs(Dot(other.Axis[k], axis));
    }
    return std::fabs(Dot(between, axis)) > ra + rb;
  };
  for (int i = 0; i < 3; ++i)
    if (separated(Axis[i])) return false;
  for (int j = 0; j < 3; ++j)
    if (separated(other.Axis[j])) return false;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (separated(Cross(Axis[i], other.Axis[j]))) return false;
  return true;
}

bool COrientedBox::ContainsPoint(const CVector3& p) const {
  CVector3 d = p - Centre;
  for (int k = 0; k < 3; ++k)
    if (std::fabs(Dot(d, Axis[k])) > Extent[k] + kBspEpsilon) return false;
  return true;
}

bool COrientedBox::TouchesSphere(const CSphere& sphere) const {
  CVector3 d = sphere.Centre - Centre;
  for (int k = 0; k < 3; ++k)
    if (std::fabs(Dot(d, Axis[k])) > Extent[k] + sphere.Radius) return false;
  return true;
}

CVector3 COrientedBox::LocalToWorld(float x, float y, float z) const {
  return Centre + Axis[0] * (x * Extent[0]) + Axis[1] * (y * Extent[1]) + Axis[2] * (z * Extent[2]);
}

CVector3 COrientedBox::RandomPoint() const {
  float x = RandomFloatRange(0, 2) - 1;
  float y = RandomFloatRange(0, 2) - 1;
  float z = RandomFloatRange(0, 2) - 1;
  return LocalToWorld(x, y, z);
}
