// The decal projector: an orthographic camera at the hit point looking
// along the hit direction.  Its volume is the square of half size `size`
// about the point across the direction, from `depth` behind the point to
// `depth` in front of it; texture coordinates come from the square.
#pragma once

#include "render/geometry/frustum.h"
#include "render/geometry/matrix.h"
#include "render/geometry/vector3.h"

class DecalProjector {
 public:
  // Places the projector: looking from position along direction (need not be
  // unit length; a zero direction looks down), the square's half size, the
  // depth either side and the roll of the square about the direction (degrees).
  void Set(const CVector3& position, const CVector3& direction, float size, float depth, float roll);
  // Texture coordinates of a world point: u = (x + s) / 2s, v = 1 - (y + s) / 2s
  // in the projector's square, both pulled toward the centre by 0.9.
  void TextureCoordinates(const CVector3& point, float* u, float* v) const;

  const CFrustum& Frustum() const { return frustum_; }
  const CVector3& Position() const { return position_; }
  const CVector3& Direction() const { return direction_; }
  const CVector3& Right() const { return right_; }
  const CVector3& Up() const { return up_; }
  float Size() const { return size_; }

 private:
  CVector3 position_{}, direction_{0, -1, 0}, right_{1, 0, 0}, up_{0, 0, 1};
  float size_ = 1.0f;
  float depth_ = 1.0f;
  CFrustum frustum_;
};
