#include "world/timing/timed_callback_entry.h"

#include "foundation/byte_reader.h"

// Layout, little-endian: state, flags, start, interval, last fire, lifetime
// (u32 each), vector (3 x u32), parameters (7 x u32), callback code (i32),
// owner id (u32): 72 bytes.
bool TimedCallbackRecord::load(ByteReader& in) {
  if (!in.HasRoom(kSize)) {
    in.Skip(kSize);  // marks the reader failed
    return false;
  }
  state = in.U32();
  flags = in.U32();
  start = in.U32();
  interval = in.U32();
  lastFire = in.U32();
  lifetime = in.U32();
  for (std::uint32_t& v : vector) v = in.U32();
  for (std::uint32_t& p : params) p = in.U32();
  code = in.I32();
  ownerId = in.U32();
  return true;
}

void TimedCallbackRecord::save(ByteWriter& out) const {
  out.U32(state);
  out.U32(flags);
  out.U32(start);
  out.U32(interval);
  out.U32(lastFire);
  out.U32(lifetime);
  for (std::uint32_t v : vector) out.U32(v);
  for (std::uint32_t p : params) out.U32(p);
  out.I32(code);
  out.U32(ownerId);
}
