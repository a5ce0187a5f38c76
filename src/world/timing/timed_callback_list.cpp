#include "world/timing/timed_callback_list.h"

#include "foundation/byte_reader.h"
#include "foundation/memory/linear_buffer.h"
#include "foundation/time/timer.h"

#include <new>

std::uint32_t g_TimedCallbackOverflows = 0;
std::uint32_t g_TimedCallbackOverwrites = 0;

namespace {

void Clear(TimedCallbackEntry& e) { e = TimedCallbackEntry{}; }

// The fields a live entry and its saved record share: state, flags, the
// timing, the vector and the parameters (not the callback nor the owner).
template <class From, class To>
void CopyTiming(const From& from, To& to) {
  to.state = from.state;
  to.flags = from.flags;
  to.start = from.start;
  to.interval = from.interval;
  to.lastFire = from.lastFire;
  to.lifetime = from.lifetime;
  for (int k = 0; k < 3; ++k) to.vector[k] = from.vector[k];
  for (int k = 0; k < kTimedCallbackParams; ++k) to.params[k] = from.params[k];
}

}  // namespace

CTimedCallbackList::CTimedCallbackList(int capacity) : capacity_(capacity > 0 ? capacity : 0) {}

bool CTimedCallbackList::CreateEntries(CLinearBuffer* buffer) {
  entries_ = nullptr;
  if (!buffer || capacity_ == 0) return false;
  void* memory = buffer->Alloc(static_cast<std::uint32_t>(sizeof(TimedCallbackEntry)) *
                                   static_cast<std::uint32_t>(capacity_),
                               alignof(TimedCallbackEntry) > 4 ? alignof(TimedCallbackEntry) : 4);
  if (!memory) return false;
  entries_ = static_cast<TimedCallbackEntry*>(memory);
  for (int i = 0; i < capacity_; ++i) new (&entries_[i]) TimedCallbackEntry{};
  Reset();
  return true;
}

void CTimedCallbackList::ForgetEntries() { entries_ = nullptr; }

void CTimedCallbackList::Reset() {
  if (entries_)
    for (int i = 0; i < capacity_; ++i) Clear(entries_[i]);
  cursor_ = 0;
  liveCount_ = 0;
}

std::uint32_t CTimedCallbackList::ClockTime(std::uint32_t flags) const {
  const CTimer* clock = (flags & TCF_REAL_CLOCK) ? realClock_ : gameClock_;
  return clock ? clock->GetGameTime() : 0;
}

TimedCallbackEntry* CTimedCallbackList::Post(const TimedCallbackRequest& request) {
  if (!entries_ || capacity_ == 0) return nullptr;
  int slot = -1;
  for (int i = 0; i < capacity_; ++i) {
    int s = (cursor_ + i) % capacity_;
    // A one-shot entry whose callback is running is freed when it returns,
    // so the callback's own post (the next link of a chain) may take it.
    const bool firingOneShot = &entries_[s] == firing_ && (firing_->flags & TCF_ONE_SHOT) != 0;
    if (entries_[s].state != TIMED_CALLBACK_ARMED || firingOneShot) {
      slot = s;
      break;
    }
  }
  if (slot < 0) {
    // Only a full list gives up an armed entry, and only to a request that
    // says it may: the entry at the cursor is the oldest post.
    ++g_TimedCallbackOverflows;
    if (!(request.flags & TCF_OVERWRITE_WHEN_FULL)) return nullptr;
    ++g_TimedCallbackOverwrites;
    slot = cursor_;
  }

  TimedCallbackEntry& e = entries_[slot];
  const std::uint32_t now = ClockTime(request.flags);
  e.start = now + request.delay;
  e.lastFire = e.start;
  e.interval = request.interval;
  e.flags = request.flags;
  e.lifetime = request.lifetime;
  for (int i = 0; i < 3; ++i) e.vector[i] = request.vector[i];
  for (int i = 0; i < kTimedCallbackParams; ++i) e.params[i] = request.params[i];
  e.callback = request.callback;
  e.owner = request.owner;
  e.state = TIMED_CALLBACK_ARMED;

  cursor_ = slot + 1 < capacity_ ? slot + 1 : 0;
  // A callback that posts into its own slot (the next link of a chain, once
  // the cursor has come round) has armed a new entry there.
  if (&e == firing_) firingReposted_ = true;
  return &e;
}

void CTimedCallbackList::FreeEntry(TimedCallbackEntry* entry) {
  if (!entry) return;
  entry->state = TIMED_CALLBACK_FREE;
  entry->flags = 0;
  entry->callback = nullptr;
}

void CTimedCallbackList::ClearRemovable() {
  if (!entries_) return;
  for (int i = 0; i < capacity_; ++i)
    if (entries_[i].flags & TCF_REMOVABLE) FreeEntry(&entries_[i]);
}

void CTimedCallbackList::Update() {
  liveCount_ = 0;
  if (!entries_) return;
  const bool gameRuns = gameClock_ && gameClock_->IsRunning();
  for (int i = 0; i < capacity_; ++i) {
    TimedCallbackEntry& e = entries_[i];
    if (e.state != TIMED_CALLBACK_ARMED) continue;
    ++liveCount_;
    // An entry on the stopped game clock waits: firing it without its call
    // would lose a one-shot callback whose time came just before the pause.
    if (!(e.flags & TCF_REAL_CLOCK) && !gameRuns) continue;

    const std::uint32_t t = ClockTime(e.flags);
    // Sums in 64 bits so that a huge interval or lifetime does not wrap
    // round to a small one.
    if (t > e.start && std::uint64_t{t} >= std::uint64_t{e.lastFire} + e.interval) {
      e.lastFire = t;
      firing_ = &e;
      firingReposted_ = false;
      if (e.callback) e.callback(&e);
      firing_ = nullptr;
      // The slot now holds what the callback posted into it: a new entry,
      // with its own timing, that waits for the next frame.
      if (firingReposted_) continue;
      if ((e.flags & TCF_ONE_SHOT) && e.state == TIMED_CALLBACK_ARMED) FreeEntry(&e);
    }
    if (e.state == TIMED_CALLBACK_ARMED && (e.flags & TCF_EXPIRES) &&
        std::uint64_t{t} > std::uint64_t{e.start} + e.lifetime)
      FreeEntry(&e);
  }
}

std::uint32_t CTimedCallbackList::SaveAll(ByteWriter& out) const {
  std::uint32_t written = 0;
  if (!entries_) return 0;
  for (int i = 0; i < capacity_; ++i) {
    const TimedCallbackEntry& e = entries_[i];
    if (e.state != TIMED_CALLBACK_ARMED) continue;
    const int code = encode_ && e.callback ? encode_(e.callback) : -1;
    if (code < 0) continue;
    TimedCallbackRecord r;
    CopyTiming(e, r);
    r.code = code;
    r.ownerId = e.owner && ownerId_ ? ownerId_(e.owner) : 0;
    // An owner whose id is 0 is told apart from none by the flag bit.
    r.flags &= ~TimedCallbackRecord::kOwnerSaved;
    if (e.owner && ownerId_ && r.ownerId == 0) r.flags |= TimedCallbackRecord::kOwnerSaved;
    r.save(out);
    ++written;
  }
  return written;
}

bool CTimedCallbackList::LoadAll(ByteReader& in, std::uint32_t count) {
  Reset();
  int next = 0;
  for (std::uint32_t n = 0; n < count; ++n) {
    TimedCallbackRecord r;
    if (!r.load(in)) return false;
    // Records past the capacity are read past, so the block after this one
    // starts where it should.
    if (!entries_ || next >= capacity_) continue;
    if (r.state != TIMED_CALLBACK_ARMED && r.state != TIMED_CALLBACK_FREE) continue;
    TimedCallback callback = nullptr;
    if (r.state == TIMED_CALLBACK_ARMED) {
      if (r.code < 0 || !decode_) continue;
      callback = decode_(r.code);
      if (!callback) continue;
    }
    TimedCallbackEntry& e = entries_[next++];
    CopyTiming(r, e);
    e.flags &= ~TimedCallbackRecord::kOwnerSaved;
    e.callback = callback;
    // Id 0 names an object when the record says an owner was saved.
    const bool owned = r.ownerId != 0 || (r.flags & TimedCallbackRecord::kOwnerSaved) != 0;
    e.owner = owned && ownerLookup_ ? ownerLookup_(r.ownerId) : nullptr;
    // Later posts start past the restored entries.
    cursor_ = next < capacity_ ? next : 0;
  }
  return true;
}

CTimedCallbackList* g_TimedCallbacks = nullptr;
