// Any bytes as a host enumeration packet: the first byte says query (even)
// or answer (odd).  A packet is taken only when it is exactly a valid one,
// and what is taken writes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_seed_file.h"
#include "platform/dplay8/dplay8_wire.h"

namespace {

const GUID kApplication = {0x4E455454, 0x4841, 0x4C42, {0x45, 0x52, 0x44, 0x54, 0x45, 0x53, 0x54, 0x31}};

void WriteSeeds(const std::string& folder) {
  dplay8_wire::EnumQuery query;
  query.application = kApplication;
  query.sendTime = 1234;
  ByteWriter q;
  q.U8(0);
  query.Write(q);
  WriteSeedFile(folder + "/query", q.Data());
  dplay8_wire::EnumAnswer answer;
  answer.application = kApplication;
  answer.echoedTime = 1234;
  answer.instance = GUID{7, 8, 9, {1, 2, 3, 4, 5, 6, 7, 8}};
  answer.flags = 1;
  answer.maxPlayers = 8;
  answer.currentPlayers = 3;
  answer.sessionName = u"Test session";
  answer.responseData.assign(92, 0x5A);
  ByteWriter a;
  a.U8(1);
  answer.Write(a);
  WriteSeedFile(folder + "/answer", a.Data());
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
  if ((data[0] & 1) == 0) {
    dplay8_wire::EnumQuery query;
    if (!query.Read(in)) return 0;
    query.Write(out);
  } else {
    dplay8_wire::EnumAnswer answer;
    if (!answer.Read(in)) return 0;
    if (answer.responseData.size() > DPN_MAX_ENUM_RESPONSE_SIZE) __builtin_trap();
    if (answer.sessionName.size() > dplay8_wire::kMaxSessionName) __builtin_trap();
    answer.Write(out);
  }
  if (out.Size() != size - 1 || std::memcmp(out.Data().data(), data + 1, size - 1) != 0) __builtin_trap();
  return 0;
}
