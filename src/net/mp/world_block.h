// The world state a joining player receives (284 bytes): which vehicle each
// player's soldier sits in, the three item respawn queues' state blocks, and
// which objects of replication lists 0 and 2 are destroyed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "foundation/byte_reader.h"

struct MPWorldBlock {
  static constexpr std::size_t kSize = 284;
  static constexpr std::size_t kQueueBlockSize = 68;

  struct Seat {
    std::uint8_t inVehicle = 0;   // 1: the slot's soldier sits in a vehicle
    std::uint16_t vehicle = 0;    // its replication index (list 5)
  };

  std::uint32_t size = kSize;
  Seat seats[8];
  std::array<std::uint8_t, kQueueBlockSize> queues[3] = {};
  std::uint32_t destroyedList0 = 0;     // bit i: object i of list 0 is destroyed
  std::uint32_t destroyedList2[2] = {};  // indices 0..31, then 32..63

  void Write(ByteWriter& out) const;
  // Reads 284 bytes; false when fewer remain.  The caller applies the block
  // only when `size` is 284.
  bool Read(ByteReader& in);
};
