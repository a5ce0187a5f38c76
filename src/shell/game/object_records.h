// The saved game's per-object records: for every world object a fixed-size
// record chosen by its kind (corpse 120 bytes, vehicle 484, soldier 544,
// feature and building 100, item 116, weapon 140, door 116; boids and
// movers none).  Each begins with the 24-word object block; soldiers and
// vehicles go on with the 45-word unit block; then the kind's own tail.
// Objects are named by their ids (-1 none), never by addresses.  Main
// thread only.
#pragma once

#include <cstdint>

class ByteReader;
class ByteWriter;
class CHLO;

inline constexpr int kObjectBlockWords = 24;
inline constexpr int kUnitBlockWords = 45;

// The kinds of the object section in their order: corpses, vehicles,
// soldiers, features, buildings, items, weapons, doors.
inline constexpr int kSaveKindOrder[8] = {9, 0, 1, 2, 3, 5, 6, 7};

// Bytes of a kind's record; 0 for kinds that write none.
std::uint32_t SaveRecordSize(int kind);
// Words of the kind's own tail (after the object and unit blocks).
int SaveTailWords(int kind);

// Whether the object goes into a saved game: a kind with a record whose
// visual is not marked "not saved" (instance flag bit 17).
bool IsSavedObject(const CHLO* object);

// Appends the object's record: exactly SaveRecordSize(kind) bytes.
void SaveObject(CHLO* object, ByteWriter& out);
// Reads one record of the object's kind back into it (the reader mirrors
// the writer word for word); the reader ends behind the record.  False
// when the record is cut short, or its id, kind or side is not the
// object's (the object is then unchanged).
bool LoadObject(CHLO* object, ByteReader& in);

// A kind's own tail, written and read by the code that owns the kind.
// The writer appends exactly `words` words; the reader consumes them.
struct ObjectTailOps {
  void (*write)(CHLO* object, ByteWriter& out, int words) = nullptr;
  bool (*read)(CHLO* object, ByteReader& in, int words) = nullptr;
};
// Installs the tail of a kind (null members: the default, which writes
// zero words and reads past them, counting "not built yet").
void SetObjectTailOps(int kind, const ObjectTailOps& ops);
