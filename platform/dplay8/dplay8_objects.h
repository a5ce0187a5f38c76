// The stand-in's objects as the factory and the counters see them.  Inside
// the stand-in only.
#pragma once

#include "platform/dplay8/dplay8_counters.h"

namespace dplay8 {

IUnknown* MakeServer();
IUnknown* MakeClient();
void SetServerMuted(IDirectPlay8Server* server, bool muted);
std::uint16_t ServerPort(IDirectPlay8Server* server);
// The counters of a server or a client; zero for anything else.
DPlay8Counters ServerCounters(IUnknown* object);
DPlay8Counters ClientCounters(IUnknown* object);
bool CallLogEnabled();
std::uint64_t OutstandingBuffersTotal();

}  // namespace dplay8
