#include "net/transport/send_flags.h"

DWORD SendFlagsFor(std::uint32_t guaranteed, std::uint32_t urgent, std::uint32_t loopback) {
  DWORD flags = guaranteed != 0 ? DPNSEND_GUARANTEED : DPNSEND_NOCOMPLETE;
  flags |= urgent != 0 ? DPNSEND_PRIORITY_HIGH : DPNSEND_PRIORITY_LOW;
  if (loopback == 0) flags |= DPNSEND_NOLOOPBACK;
  return flags;
}
