#include "net/transport/host_list_entry.h"

#include <cstring>

void HostListEntry::Blank() {
  std::memset(&description, 0, sizeof description);
  hostAddress = nullptr;
  deviceAddress = nullptr;
  latency = 0;
  lastAnswerTime = 0;
}

void HostListEntry::Release() {
  if (hostAddress != nullptr) hostAddress->Release();
  if (deviceAddress != nullptr) deviceAddress->Release();
  Blank();
}
