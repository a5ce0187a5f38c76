#include "render/colour/random_poly_colour.h"

#include <cstdint>

#include "foundation/maths/random15.h"
#include "render/geometry/poly_list.h"

namespace {
struct Rgb {
  std::uint32_t r, g, b;
};

// A channel of 0..127: the 15-bit draw scaled by 1/65535 (so at most a half) times 255.
std::uint32_t RandomChannel() {
  return static_cast<std::uint32_t>(static_cast<double>(Rand15()) * 1.5259021896696422e-5 * 255.0);
}

Rgb RandomRgb() {
  const std::uint32_t r = RandomChannel();
  const std::uint32_t g = RandomChannel();
  const std::uint32_t b = RandomChannel();
  return {r, g, b};
}

void Paint(CPoly* polygon, const Rgb& c) {
  for (CDRVertex* v = polygon->Vertices; v != nullptr; v = v->Next) {
    // The alpha byte is kept as it is (a round trip through 1/255 would lose one for some values).
    v->Colour = (v->Colour & 0xFF000000u) | (c.r << 16) | (c.g << 8) | c.b;
  }
}
}  // namespace

void RandomisePolygonColour(CPoly* polygon) {
  if (polygon != nullptr) Paint(polygon, RandomRgb());
}

void RandomisePolyListColour(CPoly* list) {
  const Rgb c = RandomRgb();
  for (CPoly* p = list; p != nullptr; p = p->Next) Paint(p, c);
}
