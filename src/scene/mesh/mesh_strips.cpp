#include "scene/mesh/mesh_strips.h"

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
