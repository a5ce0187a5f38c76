#include "scene/mesh/mesh_strips.h"

std::vector<std::uint16_t> BuildStitchedStrip(const std::uint16_t* list, std::uint32_t count) {
  std::vector<std::uint16_t> strip;
  const std::uint32_t triangles = count / 3;
  strip.reserve(triangles * 6);
  for (std::uint32_t t = 0; t < triangles; ++t) {
    const std::uint16_t a = list[3 * t], b = list[3 * t + 1], c = list[3 * t + 2];
    if (!strip.empty()) {
      // Bridge: repeat the last index and the new first one; every window
      // over the bridge then has two equal indices and draws nothing.
      strip.push_back(strip.back());
      strip.push_back(a);
      // c lands at place size + 2; keep it even so the triangle is not flipped.
      if ((strip.size() + 2) % 2 != 0) strip.push_back(a);
    }
    strip.push_back(a);
    strip.push_back(b);
    strip.push_back(c);
  }
  return strip;
}

std::vector<std::uint16_t> RenumberStrip(const std::vector<std::uint16_t>& strip, std::uint32_t vertexCount) {
  std::vector<std::int32_t> newIndex(vertexCount, -1);
  std::vector<std::uint16_t> out(strip.size(), 0);
  std::int32_t next = 0;
  for (std::size_t i = 0; i < strip.size(); ++i) {
    if (strip[i] >= vertexCount) continue;
    std::int32_t& n = newIndex[strip[i]];
    if (n < 0) n = next++;
    out[i] = static_cast<std::uint16_t>(n);
  }
  return out;
}

std::vector<std::uint16_t> StripToList(const std::vector<std::uint16_t>& s) {
  std::vector<std::uint16_t> list;
  for (std::size_t i = 2; i < s.size(); ++i) {
    const std::uint16_t a = s[i - 2], b = s[i - 1], c = s[i];
    if (a == b || b == c || a == c) continue;
    if (i % 2 != 0) {
      list.insert(list.end(), {b, a, c});
    } else {
      list.insert(list.end(), {a, b, c});
    }
  }
  return list;
}
