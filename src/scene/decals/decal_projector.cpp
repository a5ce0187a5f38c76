#include "scene/decals/decal_projector.h"

#include <cmath>

#include "render/geometry/geometry_ops.h"

using namespace geom;

void DecalProjector::Set(const CVector3& position, const CVector3& direction, float size, float depth, float roll) {
  CVector3 d = direction;
  const float length = Length(d);
  d = length > 0.0f ? d * (1.0f / length) : CVector3{0, -1, 0};
  // The projector's frame: rows right, up, forward (pitch and yaw from the
  // direction, then the roll about it).
  CMatrix facing, turn, frame;
  facing.SetFromDirection(d);
  turn.SetIdentity();
  turn.RotateZ(roll);
  MatrixMultiply(&frame, turn, facing);
  position_ = position;
  direction_ = d;
  right_ = {frame.m[0][0], frame.m[0][1], frame.m[0][2]};
  up_ = {frame.m[1][0], frame.m[1][1], frame.m[1][2]};
  // The frame is left-handed (right x up = -forward) and the volume's planes
  // face inward only then; straight up or down the frame can come out
  // mirrored.
  if (Dot(Cross(right_, up_), d) > 0.0f) right_ = right_ * -1.0f;
  size_ = size > 0.0f ? size : 1.0f;
  depth_ = depth > 0.0f ? depth : size_;
  // The box of the volume swept from depth behind the point to depth in front.
  frustum_.BuildFromSweep(position_ - direction_ * depth_, direction_, right_, up_, size_, 2.0f * depth_);
}

void DecalProjector::TextureCoordinates(const CVector3& point, float* u, float* v) const {
  const CVector3 local = point - position_;
  const float x = Dot(local, right_), y = Dot(local, up_);
  const float s = size_;
  const float pu = (x + s) / (2.0f * s);
  const float pv = 1.0f - (y + s) / (2.0f * s);
  *u = (pu - 0.5f) * 0.9f + 0.5f;
  *v = (pv - 0.5f) * 0.9f + 0.5f;
}
