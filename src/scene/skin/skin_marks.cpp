// Skin marks: vertex colours tinted around a point, kept in the animated
// object's ring of marks so that they survive each deformation (which resets
// every colour to white).
#include "foundation/maths/random_tables.h"
#include "render/colour/colour.h"
#include "scene/skin/skin.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Each of red, green and blue times the tint's; alpha kept.
std::uint32_t MultiplyColour(std::uint32_t argb, const CColour& tint) {
  CColour c;
  c.FromARGB(argb);
  c.r *= tint.r;
  c.g *= tint.g;
  c.b *= tint.b;
  return c.ToARGB();
}

}  // namespace

// For every vertex of the current buffer with |v - point|^2 <= r^2:
// t = 1 - |v - point|^2 / r^2 and tint = white + (colour - white) t, handed to
// apply(vertex index, its vertex, tint).  A radius of 0 or less reaches nothing.
template <typename Apply>
static void ForVerticesAround(RenderVertex* vertices, std::int32_t count, const CColour& colour,
                              const CVector3& point, float radius, Apply apply) {
  if (vertices == nullptr || !(radius > 0.0f)) return;
  const float r2 = radius * radius;
  for (std::int32_t i = 0; i < count; ++i) {
    const float dx = vertices[i].x - point.x, dy = vertices[i].y - point.y, dz = vertices[i].z - point.z;
    const float d2 = dx * dx + dy * dy + dz * dz;
    if (d2 > r2) continue;
    const float t = 1.0f - d2 / r2;
    CColour tint;
    tint.r = 1.0f + (colour.r - 1.0f) * t;
    tint.g = 1.0f + (colour.g - 1.0f) * t;
    tint.b = 1.0f + (colour.b - 1.0f) * t;
    tint.a = 1.0f + (colour.a - 1.0f) * t;
    apply(static_cast<std::uint16_t>(i), vertices[i], tint);
  }
}

void CSkin::AddSkinMark(const CColour& colour, const CVector3& point, float radius, SkinMarkList* marks) {
  if (marks == nullptr || marks->Capacity <= 0) return;
  RenderVertex* vertices = LockCurrent();
  ForVerticesAround(vertices, Data.VertexCount, colour, point, radius,
                    [marks](std::uint16_t index, const RenderVertex& vertex, const CColour& tint) {
                      for (std::int32_t k = 0; k < marks->Count; ++k) {
                        SkinMarkEntry& entry = marks->Entries[static_cast<std::size_t>(k)];
                        if (entry.Vertex == index) {
                          entry.Colour = MultiplyColour(entry.Colour, tint);
                          return;
                        }
                      }
                      marks->Entries[static_cast<std::size_t>(marks->Next)] = {index,
                                                                               MultiplyColour(vertex.Colour, tint)};
                      marks->Next = (marks->Next + 1) % marks->Capacity;
                      if (marks->Count < marks->Capacity) ++marks->Count;
                    });
  if (vertices != nullptr) UnlockCurrent();
}

void CSkin::ApplySkinMarks(const SkinMarkList& marks) {
  RenderVertex* vertices = LockCurrent();
  if (vertices == nullptr) return;
  for (std::int32_t k = 0; k < marks.Count; ++k) {
    const SkinMarkEntry& entry = marks.Entries[static_cast<std::size_t>(k)];
    if (entry.Vertex < Data.VertexCount) vertices[entry.Vertex].Colour = entry.Colour;
  }
  UnlockCurrent();
}

void CSkin::ClearSkinMarks(const SkinMarkList& marks) {
  RenderVertex* vertices = LockCurrent();
  if (vertices == nullptr) return;
  for (std::int32_t k = 0; k < marks.Count; ++k) {
    const SkinMarkEntry& entry = marks.Entries[static_cast<std::size_t>(k)];
    if (entry.Vertex < Data.VertexCount) vertices[entry.Vertex].Colour = kWhite;
  }
  UnlockCurrent();
}

void CSkin::MarkAroundPoint(const CColour& colour, const CVector3& point, float radius) {
  RenderVertex* vertices = LockCurrent();
  ForVerticesAround(vertices, Data.VertexCount, colour, point, radius,
                    [](std::uint16_t, RenderVertex& vertex, const CColour& tint) {
                      vertex.Colour = MultiplyColour(vertex.Colour, tint);
                    });
  if (vertices != nullptr) UnlockCurrent();
}

void CSkin::MarkRandomVertex(const CColour& colour, float radius) {
  if (Data.VertexCount <= 0) return;
  RenderVertex* vertices = LockCurrent();
  if (vertices == nullptr) return;
  const std::int32_t chosen = static_cast<std::int32_t>(static_cast<unsigned>(RandomInt()) %
                                                        static_cast<unsigned>(Data.VertexCount));
  const CVector3 point{vertices[chosen].x, vertices[chosen].y, vertices[chosen].z};
  UnlockCurrent();
  MarkAroundPoint(colour, point, radius);
}

void CSkin::ResetColours() { SetColour(kWhite); }

void CSkin::SetColour(std::uint32_t argb) {
  RenderVertex* vertices = LockCurrent();
  if (vertices == nullptr) return;
  for (std::int32_t i = 0; i < Data.VertexCount; ++i) vertices[i].Colour = argb;
  UnlockCurrent();
}
