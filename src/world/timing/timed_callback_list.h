// Functions run later, once or repeatedly, on the game clock or the real
// clock.  Scripts post through it (cut-scene chains) and game code uses it for
// delayed effects.  One list lives from game start to shut-down; the level
// shut-down empties it, and saved games keep its armed entries.  Main thread.
#pragma once

#include <cstdint>

#include "world/timing/timed_callback_entry.h"

class ByteReader;
class ByteWriter;
class CLinearBuffer;
class CTimer;

// What a caller fills in to post a callback.
struct TimedCallbackRequest {
  TimedCallback callback = nullptr;
  std::uint32_t vector[3] = {};
  std::uint32_t delay = 0;     // ms from now to the start
  std::uint32_t interval = 0;  // ms between firings; 0 fires every frame after the start
  std::uint32_t flags = 0;     // TCF_*
  std::uint32_t lifetime = 0;  // ms after the start, with TCF_EXPIRES
  std::uint32_t params[kTimedCallbackParams] = {};
  CHLO* owner = nullptr;
};

// How many posts found no free slot, and how many of those replaced an armed
// entry (TCF_OVERWRITE_WHEN_FULL).
extern std::uint32_t g_TimedCallbackOverflows;
extern std::uint32_t g_TimedCallbackOverwrites;

class CTimedCallbackList {
 public:
  // Callback to save code (negative: the callback is not saved), and back
  // (null: no such callback).  Installed by the game.
  using EncodeFn = int (*)(TimedCallback callback);
  using DecodeFn = TimedCallback (*)(int code);
  // Owner to object id, and id back to the object (null when there is
  // none); ids start at 0.  Installed by the game over the world's object
  // lookup.
  using OwnerIdFn = std::uint32_t (*)(const CHLO* owner);
  using OwnerLookupFn = CHLO* (*)(std::uint32_t id);

  static constexpr int kDefaultCapacity = 200;

  // No storage yet; cursor and counts 0.
  explicit CTimedCallbackList(int capacity = kDefaultCapacity);
  CTimedCallbackList(const CTimedCallbackList&) = delete;
  CTimedCallbackList& operator=(const CTimedCallbackList&) = delete;

  // Takes the entries from the linear buffer (4-byte aligned) and resets
  // them; false, with no storage, when the buffer has no room.
  bool CreateEntries(CLinearBuffer* buffer);
  // Drops the storage (the linear buffer owns the memory).
  void ForgetEntries();

  void SetCallbackCodes(EncodeFn encode, DecodeFn decode) {
    encode_ = encode;
    decode_ = decode;
  }
  void SetOwnerIds(OwnerIdFn idOf, OwnerLookupFn lookup) {
    ownerId_ = idOf;
    ownerLookup_ = lookup;
  }
  // The clocks entries run on; a null clock reads as time 0, stopped.
  void SetClocks(const CTimer* gameClock, const CTimer* realClock) {
    gameClock_ = gameClock;
    realClock_ = realClock;
  }

  // Every entry free, cursor 0, live count 0.
  void Reset();
  // Arms a slot: from the cursor, the first free one (a one-shot entry whose
  // callback is running counts as free for that callback's own posts); an
  // armed entry is never taken while a free slot exists.  When none is free, the overflow
  // count rises and the post fails (null), unless the request has
  // TCF_OVERWRITE_WHEN_FULL: then it replaces the entry at the cursor (and
  // the overwrite count rises).  Null also before CreateEntries.
  TimedCallbackEntry* Post(const TimedCallbackRequest& request);
  void FreeEntry(TimedCallbackEntry* entry);
  // Frees every entry with TCF_REMOVABLE.
  void ClearRemovable();
  // Once a frame: fires the armed entries whose time has come, in slot
  // order, and frees one-shot and expired ones.  Entries on the game clock
  // stay untouched while it is paused.  A callback that posts into its own
  // slot (the cursor having come round) leaves the new entry armed there.
  void Update();

  // Writes each armed entry whose callback has a code (>= 0) as a record,
  // in slot order; answers the number of records written.
  std::uint32_t SaveAll(ByteWriter& out) const;
  // Resets, then reads count records, placing the usable ones into entries
  // 0, 1, ... (at most capacity; the rest are read past), and moves the
  // cursor past them so that later posts do not overwrite them.  Records of
  // an unknown state, or armed with a code that does not decode, are
  // skipped.  False when the input ends before the last record (what was
  // whole is kept).
  bool LoadAll(ByteReader& in, std::uint32_t count);

  int GetCapacity() const { return capacity_; }
  int GetCursor() const { return cursor_; }
  // Armed entries seen by the last Update.
  int GetLiveCount() const { return liveCount_; }
  // Slot i, or null outside the list or before CreateEntries.
  TimedCallbackEntry* GetEntry(int i) const {
    return entries_ && i >= 0 && i < capacity_ ? &entries_[i] : nullptr;
  }

 private:
  std::uint32_t ClockTime(std::uint32_t flags) const;

  EncodeFn encode_ = nullptr;
  DecodeFn decode_ = nullptr;
  OwnerIdFn ownerId_ = nullptr;
  OwnerLookupFn ownerLookup_ = nullptr;
  const CTimer* gameClock_ = nullptr;
  const CTimer* realClock_ = nullptr;
  TimedCallbackEntry* entries_ = nullptr;
  // The entry whose callback Update is running, and whether a post took its
  // slot meanwhile.
  TimedCallbackEntry* firing_ = nullptr;
  bool firingReposted_ = false;
  int cursor_ = 0;
  int capacity_ = 0;
  int liveCount_ = 0;
};

// The game's timed callback list (200 slots, made at game start); null
// outside the game's life.
extern CTimedCallbackList* g_TimedCallbacks;
