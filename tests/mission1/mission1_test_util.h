// Small helpers of the Mission1 tests: saved blocks built by offset, words
// read back from a block, and call strings made the way the recording table
// prints them.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace mission1_test {

using StateBlock = std::array<std::uint8_t, 136>;

// A state block: offsets below 8 are bytes, the rest 32-bit words (LE).
inline StateBlock Block(std::initializer_list<std::pair<int, std::uint32_t>> fields) {
  StateBlock b{};
  b[56] = 1;  // hints on, as set-up leaves them
  for (const auto& [offset, value] : fields) {
    if (offset < 8) {
      b[offset] = static_cast<std::uint8_t>(value);
      continue;
    }
    for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  return b;
}

inline std::uint32_t Word(const StateBlock& b, int offset) {
  if (offset < 8) return b[offset];
  return static_cast<std::uint32_t>(b[offset]) | static_cast<std::uint32_t>(b[offset + 1]) << 8 |
         static_cast<std::uint32_t>(b[offset + 2]) << 16 | static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

// A text id as the recording table prints it (decimal).
inline std::string Text(std::uint32_t id) { return std::to_string(id); }

}  // namespace mission1_test
