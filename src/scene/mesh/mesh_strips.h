// The triangle list a strip draws, as the mesh builder keeps it beside the
// strip for the shadow code.
#pragma once

#include <cstdint>
#include <vector>

// The triangles of a strip without its degenerate ones: the triangle ending
// at strip place i is (s[i-2], s[i-1], s[i]) when i is even and
// (s[i-1], s[i-2], s[i]) when i is odd (the strip flips odd places), and is
// left out when two of its indices are equal.
std::vector<std::uint16_t> StripToList(const std::vector<std::uint16_t>& strip);
