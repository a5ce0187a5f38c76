// The triangle stripifier: turns an indexed triangle list into triangle
// strips ordered for a post-transform vertex cache (optionally stitched into
// one strip with repeated indices) plus a list of the triangles left over,
// and renumbers vertices in first-use order so that a vertex buffer can be
// rebuilt in drawing order.
//
// Strips follow the usual convention: the triangle that ends at place i of a
// strip s is (s[i-2], s[i-1], s[i]) when i is even and (s[i-1], s[i-2], s[i])
// when i is odd; triangles with a repeated index draw nothing and join
// strips.  Every triangle keeps its winding.
//
// The settings are process-wide and read by every call; meshes are
// stripified at load or build time on the main thread, never per frame.
#pragma once

#include <cstdint>

// Group kinds.
inline constexpr std::uint32_t kStripGroupList = 0;
inline constexpr std::uint32_t kStripGroupStrip = 1;

// One output group: a strip or a triangle list.  Owns its indices.
struct StripGroup {
  std::uint32_t kind = kStripGroupStrip;
  std::uint32_t indexCount = 0;
  std::uint16_t* indices = nullptr;

  StripGroup() = default;
  ~StripGroup() { delete[] indices; }
  StripGroup(const StripGroup&) = delete;
  StripGroup& operator=(const StripGroup&) = delete;
};

// Settings, with their defaults: cache size 16, stitching on, minimum strip
// size 0, lists only off.  The mesh builders use exactly these (the cache
// size from the renderer), which always give one stitched strip and no list.
void SetStripCacheSize(int entries);
void SetStripStitching(bool on);
// Strips with fewer faces than this go to the leftover list.
void SetStripMinSize(int faces);
// Output one triangle list (in strip order) instead of strips.
void SetStripListsOnly(bool on);
// Back to the defaults above.
void ResetStripSettings();
int GetStripCacheSize();
bool GetStripStitching();
int GetStripMinSize();
bool GetStripListsOnly();

// Stripifies `indexCount` 16-bit indices (whole triangles).  On success
// stores a new array of groups (free it with FreeStripGroups) and its length,
// and answers true: with stitching one strip group, else one group per
// strip; then one list group (kind 0) when triangles are left over.  A
// triangle equal to an earlier one (same indices in the same cyclic order)
// is dropped.  Answers false, with null and 0 stored, when the count is 0 or
// not a multiple of 3, or when the result would need more than 65535 groups.
bool BuildStrips(const std::uint16_t* indices, std::uint32_t indexCount, StripGroup** groups,
                 std::uint16_t* groupCount);

// Makes `groupCount` new groups of the same kinds and lengths whose indices
// are renumbered 0, 1, 2 ... in order of first appearance across all groups
// in order.  The caller moves its vertices to match: new vertex remapped[i] =
// old vertex old[i] of the same group.  Answers false (null stored) when an
// index is not below vertexCount.
bool RemapStripIndices(const StripGroup* groups, std::uint16_t groupCount, std::uint32_t vertexCount,
                       StripGroup** remapped);

// Frees an array made by BuildStrips or RemapStripIndices (null is ignored).
void FreeStripGroups(StripGroup* groups);
