// Any bytes as the packets of joining a session: the connect request (with
// the 140-byte connect data inside), the host's accept and reject, and the
// connect data block itself.  The first byte picks which.  What is taken
// writes back to the same bytes; the connect data's texts stay terminated
// within their fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_seed_file.h"
#include "net/session/connect_data.h"
#include "platform/dplay8/dplay8_wire.h"

namespace {

const GUID kApplication = {0x4E455454, 0x4841, 0x4C42, {0x45, 0x52, 0x44, 0x54, 0x45, 0x53, 0x54, 0x31}};

void WriteSeeds(const std::string& folder) {
  ConnectData block;
  block.applicationName = kConnectApplicationName;
  block.text = "22426";
  std::uint8_t bytes[ConnectData::kSize];
  block.Write(bytes);
  dplay8_wire::ConnectRequest request;
  request.application = kApplication;
  request.data.assign(bytes, bytes + sizeof bytes);
  ByteWriter r;
  request.Write(r);  // starts with its kind byte, 1: a connect request
  WriteSeedFile(folder + "/connect_request", r.Data());
  dplay8_wire::Accept accept;
  accept.player = 0x1002;
  accept.hostPlayer = 0x1001;
  ByteWriter a;
  accept.Write(a);
  WriteSeedFile(folder + "/accept", a.Data());
  dplay8_wire::Reject reject;
  reject.result = static_cast<HRESULT>(0x80158260u);
  ByteWriter j;
  j.U8(dplay8_wire::PACKET_REJECT);
  j.I32(reject.result);
  WriteSeedFile(folder + "/reject", j.Data());
  std::string blockSeed(1, '\0');
  blockSeed.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  WriteSeedFile(folder + "/connect_data", blockSeed);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  ByteReader in(data + 1, size - 1);
  ByteWriter out;
  switch (data[0]) {
    case dplay8_wire::PACKET_CONNECT: {
      dplay8_wire::ConnectRequest request;
      if (!request.Read(in)) return 0;
      if (request.data.size() > dplay8_wire::kMaxConnectData) __builtin_trap();
      request.Write(out);
      break;
    }
    case dplay8_wire::PACKET_ACCEPT: {
      dplay8_wire::Accept accept;
      if (!accept.Read(in)) return 0;
      accept.Write(out);
      break;
    }
    case dplay8_wire::PACKET_REJECT: {
      dplay8_wire::Reject reject;
      if (!reject.Read(in)) return 0;
      reject.Write(out);
      break;
    }
    default: {
      ConnectData block;
      if (!block.Read(data + 1, size - 1)) return 0;
      if (block.applicationName.size() >= ConnectData::kNameBytes || block.text.size() >= ConnectData::kTextBytes)
        __builtin_trap();
      return 0;
    }
  }
  if (out.Size() != size || std::memcmp(out.Data().data(), data, size) != 0) __builtin_trap();
  return 0;
}
