// One host found by an enumeration: its application description as the
// transport reported it (with the session name and password pointers
// cleared), its address and the local device's, the round trip reported
// with its answer, and when it last answered (timeGetTime, ms).
#pragma once

#include "platform/dplay8/dplay8.h"

struct HostListEntry {
  DPN_APPLICATION_DESC description;
  IDirectPlay8Address* hostAddress;
  IDirectPlay8Address* deviceAddress;
  DWORD latency;
  DWORD lastAnswerTime;

  // Every field zero and no address held.
  void Blank();
  // Releases the address objects and blanks the entry.
  void Release();
};
