// The ring of tinted vertices an animated object keeps for its skin (wounds,
// dirt): each entry names a vertex and the colour it shows after every
// deformation.  The animated object owns the list; the skin fills and applies it.
#pragma once

#include <cstdint>
#include <vector>

struct SkinMarkEntry {
  std::uint16_t Vertex = 0;
  std::uint32_t Colour = 0xFFFFFFFF;  // ARGB
};

struct SkinMarkList {
  SkinMarkList() = default;
  explicit SkinMarkList(std::int32_t capacity)
      : Capacity(capacity > 0 ? capacity : 0), Entries(static_cast<std::size_t>(Capacity)) {}

  std::int32_t Capacity = 0;
  std::int32_t Count = 0;  // entries in use, at most Capacity
  std::int32_t Next = 0;   // slot the next new entry takes; wraps to 0 at Capacity
  std::vector<SkinMarkEntry> Entries;
};
