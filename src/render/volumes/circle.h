// A 2D circle bound.
#pragma once

class CCircle {
 public:
  float X, Y;
  float Radius;

  void Set(float x, float y, float radius);
  // Grows this circle to enclose the other.
  void Merge(const CCircle& other);
  // A circle enclosing this one and the other, into out.
  void MergeInto(const CCircle& other, CCircle* out) const;
  // Whether the circles overlap; touching counts.
  bool Overlaps(const CCircle& other) const;
  // Whether the point lies strictly inside.
  bool ContainsPoint(float x, float y) const;
};
