// The transport's send flags for a datagram: guaranteed or best effort
// (NOCOMPLETE), high or low priority by its urgency, and NOLOOPBACK when the
// host's own player must not receive it.
#pragma once

#include <cstdint>

#include "platform/dplay8/dplay8_types.h"

DWORD SendFlagsFor(std::uint32_t guaranteed, std::uint32_t urgent, std::uint32_t loopback);
