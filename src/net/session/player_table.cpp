#include "net/session/player_table.h"

#include <cstring>

int CPlayerTable::Add(std::uint32_t playerId, int wantedSlot) {
  CLockScope hold(lock_);
  if (playerId == 0 || wantedSlot < -1 || wantedSlot >= kSlotCount) return -1;
  if (playerId != kReserveMarker)
    for (const PlayerSlot& s : slots_)
      if (s.playerId == playerId) return -1;
  int slot = wantedSlot;
  if (slot < 0) {
    for (int i = 0; i < kSlotCount && slot < 0; ++i)
      if (slots_[i].playerId == 0) slot = i;
    if (slot < 0) return -1;
  } else if (slots_[slot].playerId != 0) {
    return -1;
  }
  slots_[slot] = PlayerSlot{playerId, static_cast<std::uint32_t>(slot), 0, {0, 0}};
  ++count_;
  return slot;
}

int CPlayerTable::Remove(std::uint32_t playerId) {
  CLockScope hold(lock_);
  if (playerId == 0) return -1;
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots_[i].playerId == playerId) {
      slots_[i] = PlayerSlot{0, static_cast<std::uint32_t>(i), 0, {0, 0}};
      --count_;
      return i;
    }
  }
  return -1;
}

bool CPlayerTable::RemoveAt(int slot) {
  CLockScope hold(lock_);
  if (slot < 0 || slot >= kSlotCount || slots_[slot].playerId == 0) return false;
  slots_[slot] = PlayerSlot{0, static_cast<std::uint32_t>(slot), 0, {0, 0}};
  --count_;
  return true;
}

bool CPlayerTable::Fill(int slot, std::uint32_t playerId) {
  CLockScope hold(lock_);
  if (slot < 0 || slot >= kSlotCount || slots_[slot].playerId != kReserveMarker || playerId == 0 ||
      playerId == kReserveMarker)
    return false;
  slots_[slot].playerId = playerId;
  slots_[slot].slotIndex = static_cast<std::uint32_t>(slot);
  return true;
}

int CPlayerTable::FindSlot(std::uint32_t playerId) {
  CLockScope hold(lock_);
  if (playerId == 0) return -1;
  for (int i = 0; i < kSlotCount; ++i)
    if (slots_[i].playerId == playerId) return i;
  return -1;
}

PlayerSlot* CPlayerTable::FindRecord(std::uint32_t playerId) {
  const int slot = FindSlot(playerId);
  return slot < 0 ? nullptr : &slots_[slot];
}

PlayerSlot* CPlayerTable::SlotAt(int slot) { return slot < 0 || slot >= kSlotCount ? nullptr : &slots_[slot]; }

int CPlayerTable::First() { return Next(-1); }

int CPlayerTable::Next(int slot) {
  CLockScope hold(lock_);
  for (int i = slot + 1; i < kSlotCount; ++i)
    if (i >= 0 && slots_[i].playerId != 0) return i;
  return -1;
}

void CPlayerTable::Clear() {
  CLockScope hold(lock_);
  for (int i = 0; i < kSlotCount; ++i) slots_[i] = PlayerSlot{0, static_cast<std::uint32_t>(i), 0, {0, 0}};
  count_ = 0;
}

std::uint32_t CPlayerTable::GetCount() {
  CLockScope hold(lock_);
  return count_;
}

bool CPlayerTable::SetLatency(int slot, std::uint32_t playerId, std::uint32_t latency) {
  CLockScope hold(lock_);
  if (slot < 0 || slot >= kSlotCount || slots_[slot].playerId != playerId) return false;
  slots_[slot].latency = latency;
  return true;
}

std::uint32_t CPlayerTable::GetLargestLatency() {
  CLockScope hold(lock_);
  std::uint32_t largest = 0;
  for (const PlayerSlot& s : slots_)
    if (s.playerId != 0 && s.playerId != kReserveMarker && s.latency > largest) largest = s.latency;
  return largest;
}

bool CPlayerTable::CopySlot(int slot, PlayerSlot* out) {
  CLockScope hold(lock_);
  if (slot < 0 || slot >= kSlotCount || out == nullptr) return false;
  *out = slots_[slot];
  return true;
}

bool CPlayerTable::RemoveReserved(int slot) {
  CLockScope hold(lock_);
  if (slot < 0 || slot >= kSlotCount || slots_[slot].playerId != kReserveMarker) return false;
  slots_[slot] = PlayerSlot{0, static_cast<std::uint32_t>(slot), 0, {0, 0}};
  --count_;
  return true;
}
