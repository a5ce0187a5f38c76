// The same traffic as the network benchmark sends through the session
// objects, sent over bare ENet in the same process, as the yardstick the
// benchmark's ratio is taken against.  Two hosts on 127.0.0.1, the
// receiving one serviced on a thread of its own.
#pragma once

#include <cstddef>
#include <cstdint>

struct BareEnetFigures {
  double datagramsPerSecond = 0;  // delivered, guaranteed, one-way
  double roundTripMicros = 0;     // mean, guaranteed message and its echo
  std::uint64_t delivered = 0;
};

// `count` guaranteed messages of `size` bytes one way, then `pings` echoed
// round trips; zero figures when the hosts cannot be made.
BareEnetFigures MeasureBareEnet(std::uint16_t port, std::size_t count, std::size_t size, std::size_t pings);
