// The host's table of at most 8 players: one slot each, the slot index
// being the player's number in the game.  A slot is reserved (its player id
// the reserve marker) while a connection is being admitted and filled when
// its player is created.  Every operation takes the table's own lock.
#pragma once

#include <cstdint>

#include "net/sync/critical_section_lock.h"

struct PlayerSlot {
  std::uint32_t playerId;   // the transport's player id; 0 free; kReserveMarker while admitting
  std::uint32_t slotIndex;
  std::uint32_t latency;    // round trip in ms as the transport reports it
  std::uint32_t unused[2];
};

class CPlayerTable {
 public:
  static constexpr int kSlotCount = 8;
  static constexpr std::uint32_t kReserveMarker = 0x0A110C8D;

  CPlayerTable() { Clear(); }

  // Puts the player in the wanted slot (-1: the first free one); its slot
  // index, or -1 when that slot is taken, the table is full, the id is 0 or
  // the player is already in it (the reserve marker may be in several slots).
  int Add(std::uint32_t playerId, int wantedSlot = -1);
  // Frees the player's slot; its index, or -1 for an unknown id (nothing changes).
  int Remove(std::uint32_t playerId);
  // Frees a slot by index; false when it was free or out of range.
  bool RemoveAt(int slot);
  // Fills a reserved slot with its player; false when the slot is not reserved.
  bool Fill(int slot, std::uint32_t playerId);
  int FindSlot(std::uint32_t playerId);
  // The slot record of the player (null when unknown).  The record stays
  // valid; its fields may change under another thread.
  PlayerSlot* FindRecord(std::uint32_t playerId);
  // The slot at an index (null outside 0..7).  Its fields may change under
  // the transport's thread: read them through CopySlot there.
  PlayerSlot* SlotAt(int slot);
  // Copies a slot under the lock; false outside 0..7.
  bool CopySlot(int slot, PlayerSlot* out);
  // Frees a slot that is still only reserved; false otherwise.
  bool RemoveReserved(int slot);
  // The first used slot, and the used slot after `slot` (-1: none).
  int First();
  int Next(int slot);
  void Clear();
  std::uint32_t GetCount();
  // Sets a used slot's latency; false when the slot no longer holds that player.
  bool SetLatency(int slot, std::uint32_t playerId, std::uint32_t latency);
  // The largest latency of the real players (not reserved slots).
  std::uint32_t GetLargestLatency();

 private:
  CCriticalSectionLock lock_;
  std::uint32_t count_ = 0;
  PlayerSlot slots_[kSlotCount];
};
