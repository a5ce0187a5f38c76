#include "render/volumes/rect_2d.h"

#include <algorithm>
#include <cmath>

CRect2D::CRect2D(float ax, float ay, float bx, float by) { Set(ax, ay, bx, by); }

void CRect2D::Set(float ax, float ay, float bx, float by) {
  MinX = ax;
  MinY = ay;
  MaxX = bx;
  MaxY = by;
  HalfWidth = (MaxX - MinX) * 0.5f;
  HalfHeight = (MaxY - MinY) * 0.5f;
  CentreX = MinX + HalfWidth;
  CentreY = MinY + HalfHeight;
  if (HalfWidth < 1.0f) HalfWidth = 1.0f;
  if (HalfHeight < 1.0f) HalfHeight = 1.0f;
}

void CRect2D::MergeInto(const CRect2D& other, CRect2D* out) const {
  out->Set(std::min(MinX, other.MinX), std::min(MinY, other.MinY), std::max(MaxX, other.MaxX),
           std::max(MaxY, other.MaxY));
}

void CRect2D::Merge(const CRect2D& other) { MergeInto(other, this); }

bool CRect2D::Overlaps(const CRect2D& other) const {
  return std::fabs(CentreX - other.CentreX) <= HalfWidth + other.HalfWidth &&
         std::fabs(CentreY - other.CentreY) <= HalfHeight + other.HalfHeight;
}

bool CRect2D::ContainsPoint(float x, float y) const { return MinX <= x && x <= MaxX && MinY <= y && y <= MaxY; }

bool CRect2D::TouchesCircle(const CCircle& c) const {
  return MinX - c.Radius <= c.X && c.X <= MaxX + c.Radius && MinY - c.Radius <= c.Y && c.Y <= MaxY + c.Radius;
}
