// The mission record's block in a saved game: 4980 little-endian bytes,
// written and read field by field (layout in the source).  The reader takes
// the whole block apart and checks it before anything reaches the record,
// so a damaged block changes nothing.  Main thread only.
#pragma once

#include <cstdint>

class ByteReader;
class ByteWriter;
class CMission;

class MissionBlock {
 public:
  static constexpr const char* kKind = "mission record";
  static constexpr std::uint32_t kSize = 4980;
  // Objectives whose status the block keeps.
  static constexpr int kObjectiveStatuses = 6;

  // Appends the record's 4980 bytes.
  static void Write(const CMission& mission, ByteWriter& out);
  // Reads a block into the record: with `reset`, the record is reset first
  // (level start from a saved game's header); without it the fields are
  // copied over the live record, which keeps its objectives and texts (the
  // restore of a saved game, after the plug-in re-created them).  Then the
  // status bytes go to the first six objectives of the list, each drops its
  // dead marker objects, and a current marker left empty moves on.  The
  // reader ends just behind the block.  False, with the record unchanged
  // and a debug line naming the field, when the block is cut short, a name
  // lacks its NUL within its 35 bytes or holds control characters, the
  // result is not 0-2 or a selected item is outside -1..24.
  static bool Read(CMission& mission, ByteReader& in, bool reset);
};
