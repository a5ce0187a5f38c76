#include "render/volumes/circle.h"

#include <cmath>

void CCircle::Set(float x, float y, float radius) {
  X = x;
  Y = y;
  Radius = radius;
}

// The 2D form of the sphere merge: the larger circle when it holds the other,
// else the span from the far side of this one to the far side of the other.
void CCircle::MergeInto(const CCircle& other, CCircle* out) const {
  float dx = other.X - X, dy = other.Y - Y;
  float gap = std::sqrt(dx * dx + dy * dy);
  if (gap + other.Radius <= Radius) {
    *out = *this;
    return;
  }
  if (gap + Radius <= other.Radius) {
    *out = other;
    return;
  }
  float ux = dx / gap, uy = dy / gap;  // gap > 0 here: equal centres fall in a branch above
  float ax = X - ux * Radius, ay = Y - uy * Radius;
  float bx = other.X + ux * other.Radius, by = other.Y + uy * other.Radius;
  CCircle merged;
  merged.X = ax + (bx - ax) * 0.5f;
  merged.Y = ay + (by - ay) * 0.5f;
  merged.Radius = std::sqrt((bx - ax) * (bx - ax) + (by - ay) * (by - ay)) * 0.5f;
  *out = merged;
}

void CCircle::Merge(const CCircle& other) { MergeInto(other, this); }

bool CCircle::Overlaps(const CCircle& other) const {
  float dx = other.X - X, dy = other.Y - Y, r = Radius + other.Radius;
  return r * r >= dx * dx + dy * dy;
}

bool CCircle::ContainsPoint(float x, float y) const {
  float dx = x - X, dy = y - Y;
  return Radius * Radius > dx * dx + dy * dy;
}
