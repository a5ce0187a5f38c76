#include "net/mp/world_block.h"

void MPWorldBlock::Write(ByteWriter& out) const {
  out.U32(size);
  out.U32(0);
  // Seat entries every 8 bytes; the last one's spare word is where the
  // first queue block starts.
  for (int i = 0; i < 8; ++i) {
    out.U8(seats[i].inVehicle);
    out.U8(0);
    out.U16(seats[i].vehicle);
    if (i < 7) out.U32(0);
  }
  for (const auto& q : queues) out.Bytes(q.data(), q.size());
  out.U32(destroyedList0);
  out.U32(destroyedList2[0]);
  out.U32(destroyedList2[1]);
}

bool MPWorldBlock::Read(ByteReader& in) {
  if (!in.HasRoom(kSize)) return false;
  size = in.U32();
  in.U32();
  for (int i = 0; i < 8; ++i) {
    seats[i].inVehicle = in.U8();
    in.U8();
    seats[i].vehicle = in.U16();
    if (i < 7) in.U32();
  }
  for (auto& q : queues) in.Bytes(q.data(), q.size());
  destroyedList0 = in.U32();
  destroyedList2[0] = in.U32();
  destroyedList2[1] = in.U32();
  return in.Ok();
}
