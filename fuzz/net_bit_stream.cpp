// Any bytes read through the bit stream: the first byte chooses a run of
// field widths and read kinds, the next two the bit count, the rest the
// packed bytes.  Reads stay inside the block whatever the count says, string
// reads stop at their buffer, and what is read is written back and compared.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_seed_file.h"
#include "net/bits/bit_stream.h"

namespace {

// A few messages as a game writes them, as seed files: one byte of read
// plan, the u16 bit count, then the bytes.
void WriteSeeds(const std::string& folder) {
  for (int seed = 0; seed < 4; ++seed) {
    CBitStream s;
    s.Begin(CBitStream::MODE_WRITE);
    s.WriteBits(seed == 0 ? 0 : 1, 1);
    s.WriteBits(27, 5);
    s.WriteString7("hello there");
    s.WriteScaledFloat(-12.25f, 17, 8);
    s.WriteString("name");
    for (int i = 0; i < seed * 20; ++i) s.WriteBits(static_cast<std::uint32_t>(i * 2654435761u), 1 + i % 32);
    s.End();
    s.Begin(CBitStream::MODE_READ);
    std::uint8_t bytes[400];
    std::uint32_t bits = 0, count = 0;
    s.ExportBytes(bytes, sizeof bytes, &bits, &count);
    std::string file(1, static_cast<char>(seed * 37));
    file += static_cast<char>(bits & 0xFF);
    file += static_cast<char>(bits >> 8);
    file.append(reinterpret_cast<const char*>(bytes), count);
    WriteSeedFile(folder + "/stream" + std::to_string(seed), file);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* folder = std::getenv("HALBERD_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  std::uint32_t plan = data[0];
  const std::uint32_t bits = data[1] | (static_cast<std::uint32_t>(data[2]) << 8);
  CBitStream in;
  in.Begin(CBitStream::MODE_WRITE);
  const bool imported = in.ImportBytes(data + 3, size - 3, bits);
  if (imported != (bits <= 3200 && (bits + 7) / 8 <= size - 3)) __builtin_trap();
  in.End();
  in.Begin(CBitStream::MODE_READ);
  CBitStream out;
  out.Begin(CBitStream::MODE_WRITE);
  // Read until the data ends, echoing every complete field into `out`.
  for (int step = 0; step < 4000 && !in.IsReadAtEnd(); ++step) {
    const std::uint32_t kind = plan % 5;
    const std::uint32_t width = 1 + (plan >> 3) % 32;
    plan = plan * 1103515245u + 12345u;
    if (kind == 0 || kind == 1) {
      std::uint32_t v = 0;
      if (!in.ReadBits(&v, width)) break;
      if (width < 32 && (v >> width) != 0) __builtin_trap();
      out.WriteBits(v, width);
    } else if (kind == 2) {
      std::int32_t v = 0;
      if (!in.ReadSignedBits(&v, width)) break;
      out.WriteBits(static_cast<std::uint32_t>(v), width);
    } else {
      char text[21];
      std::memset(text, 'x', sizeof text);
      const bool ok = kind == 3 ? in.ReadString(text, sizeof text) : in.ReadString7(text, sizeof text);
      if (std::memchr(text, 0, sizeof text) == nullptr) __builtin_trap();
      if (!ok) break;
      if (kind == 3) out.WriteString(text);
      else out.WriteString7(text);
    }
  }
  if (in.ReadPosition() > 3200 + 32) __builtin_trap();
  if (out.GetBitCount() > 3200) __builtin_trap();
  return 0;
}
