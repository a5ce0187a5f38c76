#include "net/mp/mp_queues.h"

#include <cstring>

#include "foundation/system/not_built_yet.h"
#include "net/messages/game_event_message.h"
#include "net/mp/mp_callbacks.h"
#include "net/mp/mp_game_hooks.h"
#include "net/mp/multiplayer.h"
#include "net/mp/world_block.h"

namespace {

void NotBuilt() { NotBuiltYet("multiplayer: respawn queue items (units)"); }
void DeactivateDefault(void*) { NotBuilt(); }
void ActivateDefault(void*) { NotBuilt(); }
void PlaceAtDefault(void*, const float*) { NotBuilt(); }
int QueueRefDefault(void*) { return 0; }
void SetQueueRefDefault(void*, int) { NotBuilt(); }
bool IsWeaponDefault(void*) { return false; }
void SetInitialQuantityDefault(void*, int) { NotBuilt(); }
void ShowMarkerDefault(int, bool) {}
void SoldierItemsDefault(int, void* items[25]) {
  NotBuilt();
  for (int i = 0; i < 25; ++i) items[i] = nullptr;
}
int SoldierIdDefault(int) { return -1; }
void DropItemDefault(int, void*) { NotBuilt(); }

MPItemOps DefaultOps() {
  return MPItemOps{DeactivateDefault,   ActivateDefault,    PlaceAtDefault,      QueueRefDefault,
                   SetQueueRefDefault,  IsWeaponDefault,    SetInitialQuantityDefault, ShowMarkerDefault,
                   SoldierItemsDefault, SoldierIdDefault,   DropItemDefault};
}

MPItemOps g_ops = DefaultOps();

CMPInterfaceQueue* Queues() { return MPCurrent()->queues_; }

std::uint32_t Now() {
  const std::int32_t t = MPCurrent()->GetSessionTime();
  return t < 0 ? 0 : static_cast<std::uint32_t>(t);
}

bool ClientOfNetworkGame() { return MPCurrent()->IsNetworkGame() && !MPCurrent()->IsHost(); }

void PutU16(std::uint8_t* at, std::uint16_t v) {
  at[0] = static_cast<std::uint8_t>(v);
  at[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint16_t GetU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

}  // namespace

MPItemOps& MPItems() { return g_ops; }
void MPResetItemOps() { g_ops = DefaultOps(); }

void CMPInterfaceQueue::Reset() {
  active_ = 0;
  pointCount_ = readIndex_ = writeIndex_ = count_ = 0;
  for (void*& r : ring_) r = nullptr;
  const std::uint32_t now = Now();
  for (RespawnPoint& p : points_) p = RespawnPoint{{0, 0, 0}, now, nullptr, -1};
}

bool CMPInterfaceQueue::AddEntry(const float position[3], int marker) {
  if (pointCount_ >= kPointCount) return false;
  RespawnPoint& p = points_[pointCount_++];
  std::memcpy(p.position, position, sizeof p.position);
  p.time = Now();
  p.item = nullptr;
  p.marker = marker;
  if (marker >= 0) g_ops.showMarker(marker, false);
  return true;
}

void CMPInterfaceQueue::Append(void* item) {
  ring_[writeIndex_] = item;
  writeIndex_ = (writeIndex_ + 1) % kRingSize;
  ++count_;
}

bool CMPInterfaceQueue::PushObject(void* item) {
  if (item == nullptr) return false;
  if (ClientOfNetworkGame()) {
    for (std::uint32_t i = 0; i < pointCount_; ++i) {
      if (points_[i].item != item) continue;
      g_ops.setQueueRef(item, static_cast<int>(id_));
      if (g_ops.isWeapon(item)) g_ops.setInitialQuantity(item, 3);
    }
    return false;
  }
  for (std::uint32_t i = 0, at = readIndex_; i < count_; ++i, at = (at + 1) % kRingSize)
    if (ring_[at] == item) return false;
  // A full ring refuses: overwriting would lose a waiting item for good.
  if (count_ >= kRingSize) return false;
  Append(item);
  g_ops.deactivate(item);
  g_ops.setQueueRef(item, static_cast<int>(id_));
  if (g_ops.isWeapon(item)) g_ops.setInitialQuantity(item, 3);
  return true;
}

void* CMPInterfaceQueue::PopObject() {
  if (count_ == 0) return nullptr;
  void* item = ring_[readIndex_];
  ring_[readIndex_] = nullptr;
  readIndex_ = (readIndex_ + 1) % kRingSize;
  --count_;
  return item;
}

int CMPInterfaceQueue::RemoveObject(void* item) {
  if (item == nullptr || g_ops.queueRef(item) == 0) return -1;
  const std::uint32_t now = Now();
  for (std::uint32_t i = 0; i < pointCount_; ++i) {
    RespawnPoint& p = points_[i];
    if (p.item != item) continue;
    p.item = nullptr;
    p.time = now;
    if (p.marker >= 0) g_ops.showMarker(p.marker, false);
  }
  return 0;
}

void CMPInterfaceQueue::Update() {
  if (active_ == 0) return;
  if (!bankLoaded_) {
    bankLoaded_ = true;
    MPHooks().loadBank("MP_Interface.sbk");
  }
  if (ClientOfNetworkGame()) return;
  const std::uint32_t now = Now();
  for (std::uint32_t i = 0; i < pointCount_ && count_ > 0; ++i) {
    const RespawnPoint& p = points_[i];
    if (p.item == nullptr && now - p.time > timeout_) FireEntry(static_cast<int>(i));
  }
}

void CMPInterfaceQueue::Place(int point, void* item) {
  RespawnPoint& p = points_[point];
  p.item = item;
  g_ops.placeAt(item, p.position);
  g_ops.activate(item);
  if (p.marker >= 0) g_ops.showMarker(p.marker, true);
}

void CMPInterfaceQueue::FireEntry(int point) {
  if (point < 0 || point >= static_cast<int>(pointCount_)) return;
  void* item = PopObject();
  if (item == nullptr) return;
  points_[point].item = item;
  if (MPCurrent()->IsHost() && MPCurrent()->IsNetworkGame()) SendRespawn(point);
  Place(point, item);
}

void CMPInterfaceQueue::SendRespawn(int point) {
  CMultiplayer* mp = MPCurrent();
  if (!mp->IsHost() || !mp->IsNetworkGame() || mp->GetRequestedState() != MPS_PLAYING_STATE) return;
  const int index = mp->lists_.IndexOf(points_[point].item, 5);
  if (index < 0) return;
  CGameEventMessage m(GEK_ITEM_RESPAWNED);
  m.a = static_cast<std::uint32_t>(index);
  m.b = static_cast<std::uint32_t>(point);
  m.c = id_;
  mp->SendMessage(m, 0, 1, 1, 1);
}

bool CMPInterfaceQueue::OnRespawn(std::uint32_t point, std::uint32_t item) {
  if (point >= pointCount_) return false;
  void* object = MPCurrent()->lists_.ObjectAt(static_cast<int>(item), 5);
  if (object == nullptr) return false;
  Place(static_cast<int>(point), object);
  return true;
}

void CMPInterfaceQueue::WriteState(std::uint8_t block[kBlockSize]) const {
  std::memset(block, 0, kBlockSize);
  block[4] = 1;
  const CReplicationLists& lists = MPCurrent()->lists_;
  for (std::uint32_t i = 0, at = readIndex_; i < count_; ++i, at = (at + 1) % kRingSize) {
    const int index = lists.IndexOf(ring_[at], 5);
    PutU16(block + 6 + 2 * i, static_cast<std::uint16_t>(index < 0 ? 0 : index + 1));
  }
  for (std::uint32_t i = 0; i < pointCount_; ++i) {
    const int index = points_[i].item != nullptr ? lists.IndexOf(points_[i].item, 5) : -1;
    PutU16(block + 46 + 2 * i, static_cast<std::uint16_t>(index < 0 ? 0 : index + 1));
  }
}

void CMPInterfaceQueue::ReadState(const std::uint8_t block[kBlockSize]) {
  if (block[4] == 0) return;
  const CReplicationLists& lists = MPCurrent()->lists_;
  for (void*& r : ring_) r = nullptr;
  readIndex_ = writeIndex_ = count_ = 0;
  active_ = 1;
  for (int i = 0; i < kRingSize; ++i) {
    const std::uint16_t entry = GetU16(block + 6 + 2 * i);
    if (entry == 0) continue;
    void* item = lists.ObjectAt(entry - 1, 5);
    if (item != nullptr) Append(item);
  }
  for (std::uint32_t i = 0; i < pointCount_; ++i) {
    const std::uint16_t entry = GetU16(block + 46 + 2 * i);
    void* item = entry != 0 ? lists.ObjectAt(entry - 1, 5) : nullptr;
    if (item == nullptr) {
      points_[i].item = nullptr;
      continue;
    }
    g_ops.setQueueRef(item, static_cast<int>(id_));
    Place(static_cast<int>(i), item);
  }
}

CMPInterfaceQueue* MPInterfaceQueue(std::uint32_t id) { return id >= 1 && id <= 3 ? &Queues()[id - 1] : nullptr; }

void MPUpdateInterfaceQueues() {
  for (int i = 0; i < 3; ++i) Queues()[i].Update();
}

void MPResetSharedBlocks() {
  for (int i = 0; i < 3; ++i) {
    Queues()[i].Reset();
    Queues()[i].bankLoaded_ = false;
  }
}

void ReleaseSoldierItems(int slot) {
  void* items[25] = {};
  g_ops.soldierItems(slot, items);
  for (void* item : items) {
    if (item == nullptr) continue;
    const int ref = g_ops.queueRef(item);
    CMPInterfaceQueue* queue = MPInterfaceQueue(static_cast<std::uint32_t>(ref));
    if (queue == nullptr) continue;
    if (ref == 2) {
      std::int32_t block[16] = {g_ops.soldierId(slot)};
      MPHooks().raiseEvent(44, block, 16);
      if (block[1] == 0) continue;
    }
    g_ops.dropItem(slot, item);
    queue->PushObject(item);
  }
}

void MPReleasePlayerItems(int slot) { ReleaseSoldierItems(slot); }

void MPWriteQueueBlocks(MPWorldBlock& world) {
  for (int i = 0; i < 3; ++i) Queues()[i].WriteState(world.queues[i].data());
}

void MPReadQueueBlocks(const MPWorldBlock& world) {
  for (int i = 0; i < 3; ++i) Queues()[i].ReadState(world.queues[i].data());
}

bool MPQueueOnRespawn(std::uint32_t queueId, std::uint32_t point, std::uint32_t item) {
  CMPInterfaceQueue* queue = MPInterfaceQueue(queueId);
  return queue != nullptr && queue->OnRespawn(point, item);
}
