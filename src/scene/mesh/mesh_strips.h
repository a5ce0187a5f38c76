// Strip helpers of the run-time mesh builder.  Until the cache-tuned
// stripifier is in, BuildStitchedStrip joins the triangles in their own order
// into one strip with repeated indices; it gives the same shape of result
// (one stitched strip, no leftover list) that the builder asks the stripifier
// for, so the builder does not change when the stripifier replaces it.
#pragma once

#include <cstdint>
#include <vector>

// One strip over the triangles of a list (count / 3 whole triangles), each
// triangle keeping its winding: consecutive triangles are joined by repeated
// indices, and a further repeat keeps each triangle on an even place, where
// the strip does not flip it.
std::vector<std::uint16_t> BuildStitchedStrip(const std::uint16_t* list, std::uint32_t count);

// The strip with its vertices renumbered 0, 1, 2 ... in order of first use.
// A builder moves its vertices with it: new vertex renumbered[i] is old
// vertex strip[i].  vertexCount bounds the old indices (larger ones give 0).
std::vector<std::uint16_t> RenumberStrip(const std::vector<std::uint16_t>& strip, std::uint32_t vertexCount);

// The triangle list a strip draws, without its degenerate triangles: the
// triangle ending at strip place i is (s[i-2], s[i-1], s[i]) when i is even
// and (s[i-1], s[i-2], s[i]) when i is odd (the strip flips odd places), and
// is left out when two of its indices are equal.
std::vector<std::uint16_t> StripToList(const std::vector<std::uint16_t>& strip);
