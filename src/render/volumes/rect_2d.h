// A 2D rectangle: quadtree cells.  Builders apply the box rule in two
// dimensions (half values below 1 become 1; min and max keep their values).
#pragma once

#include "render/volumes/circle.h"

class CRect2D {
 public:
  float MinX, MinY, MaxX, MaxY;
  float HalfWidth, HalfHeight;
  float CentreX, CentreY;

  CRect2D() = default;
  CRect2D(float ax, float ay, float bx, float by);

  // min = corner a, max = corner b as given, then the box rule.
  void Set(float ax, float ay, float bx, float by);
  // Grows this rectangle to enclose the other.
  void Merge(const CRect2D& other);
  // The rectangle enclosing this one and the other, into out.
  void MergeInto(const CRect2D& other, CRect2D* out) const;

  // Whether the centre distances are within the summed half sizes on both axes.
  bool Overlaps(const CRect2D& other) const;
  // Whether min <= p <= max on both axes.
  bool ContainsPoint(float x, float y) const;
  // Whether the circle's centre lies within the rectangle grown by its radius.
  bool TouchesCircle(const CCircle& circle) const;
};
