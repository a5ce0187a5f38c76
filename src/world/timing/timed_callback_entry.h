// One slot of the timed-callback list, and the 72-byte record it becomes in
// a saved game.  Times are engine-clock milliseconds.
#pragma once

#include <cstdint>

class ByteReader;
class ByteWriter;
class CHLO;
struct TimedCallbackEntry;

// A function run by the list; it receives its own entry.
using TimedCallback = void (*)(TimedCallbackEntry* entry);

// Entry states.
enum : std::uint32_t {
  TIMED_CALLBACK_ARMED = 99,
  TIMED_CALLBACK_FREE = 100,
};

// Entry flags.
enum : std::uint32_t {
  TCF_EXPIRES = 0x01,              // freed once the clock passes start + lifetime
  TCF_OVERWRITE_WHEN_FULL = 0x02,  // a post of this kind into a full list takes the slot at the cursor
  TCF_ONE_SHOT = 0x04,             // freed after it fires
  TCF_REMOVABLE = 0x08,            // freed by ClearRemovable
  TCF_REAL_CLOCK = 0x10,           // runs on the real clock, so also while the game is paused
};

constexpr int kTimedCallbackParams = 7;

struct TimedCallbackEntry {
  std::uint32_t state = TIMED_CALLBACK_FREE;
  std::uint32_t flags = 0;
  std::uint32_t start = 0;     // clock time after which the entry may first fire
  std::uint32_t interval = 0;  // least time between two firings
  std::uint32_t lastFire = 0;  // clock time of the last firing (= start when posted)
  std::uint32_t lifetime = 0;  // with TCF_EXPIRES
  std::uint32_t vector[3] = {};
  std::uint32_t params[kTimedCallbackParams] = {};
  TimedCallback callback = nullptr;
  CHLO* owner = nullptr;
};

// An entry as a saved game stores it: the callback as its code, the owner as
// its object id.  Object ids start at 0: an owner whose id is 0 is saved
// with kOwnerSaved in the flags word, and an id of 0 without it is none.
struct TimedCallbackRecord {
  static constexpr const char* kKind = "timed callback";
  static constexpr std::uint32_t kSize = 72;
  // Bit of the saved flags word: the owner id 0 names an object.  Entries
  // never carry it (it lives only in saved records).
  static constexpr std::uint32_t kOwnerSaved = 0x80000000u;

  std::uint32_t state = TIMED_CALLBACK_FREE;
  std::uint32_t flags = 0;
  std::uint32_t start = 0;
  std::uint32_t interval = 0;
  std::uint32_t lastFire = 0;
  std::uint32_t lifetime = 0;
  std::uint32_t vector[3] = {};
  std::uint32_t params[kTimedCallbackParams] = {};
  std::int32_t code = -1;
  std::uint32_t ownerId = 0;

  // Reads one record; false (the record unusable) when the input is cut.
  bool load(ByteReader& in);
  // Appends the 72 bytes.
  void save(ByteWriter& out) const;
};
