// The item respawn queues: three queues (ids 1, 2 and 3, one per item
// family), each a ring of up to 20 items waiting to come back and up to 10
// respawn points.  Once a frame during a round each queue puts its oldest
// waiting item on the first free point whose time has run out.  The host
// decides and tells clients (event message 26/4); a joining player gets
// every queue's state inside the world state.  Main thread only.
#pragma once

#include <array>
#include <cstdint>

struct MPWorldBlock;

// What the queues do to the items of the world (the units' items).  Until
// they are installed, each says "not built yet" where it is reached.
struct MPItemOps {
  void (*deactivate)(void* item);
  // Activates the item and re-enables its scene instance.
  void (*activate)(void* item);
  void (*placeAt)(void* item, const float position[3]);
  int (*queueRef)(void* item);
  void (*setQueueRef)(void* item, int id);
  bool (*isWeapon)(void* item);
  void (*setInitialQuantity)(void* item, int quantity);
  void (*showMarker)(int marker, bool show);
  // The soldier's 25 inventory items (null for an empty entry) and its id.
  void (*soldierItems)(int slot, void* items[25]);
  int (*soldierId)(int slot);
  void (*dropItem)(int slot, void* item);
};
MPItemOps& MPItems();
void MPResetItemOps();

class CMPInterfaceQueue {
 public:
  static constexpr int kRingSize = 20;
  static constexpr int kPointCount = 10;
  static constexpr std::uint32_t kTimeout = 30000;
  static constexpr std::size_t kBlockSize = 68;

  struct RespawnPoint {
    float position[3] = {0, 0, 0};
    std::uint32_t time = 0;  // session clock when it became empty
    void* item = nullptr;
    int marker = -1;
  };

  // Made empty and inactive, every point's time 0.
  explicit CMPInterfaceQueue(std::uint32_t id) : id_(id) {}

  void Reset();
  // Appends a respawn point (at most 10; further ones are ignored); a
  // marker is hidden.  False when ignored.
  bool AddEntry(const float position[3], int marker);
  // Queues an item to come back.  False when it is refused: already
  // waiting, or the ring is full (it then stays where it is, still active).
  bool PushObject(void* item);
  void* PopObject();
  // -1 when the item has no queue reference; else every point holding it is emptied.
  int RemoveObject(void* item);
  void Update();
  void FireEntry(int point);
  void WriteState(std::uint8_t block[kBlockSize]) const;
  void ReadState(const std::uint8_t block[kBlockSize]);
  // Client: the item of replication index `item` (list 5) stands on point
  // `point`; false when the point or the item is not known here.
  bool OnRespawn(std::uint32_t point, std::uint32_t item);
  void SendRespawn(int point);

  std::uint32_t active_ = 0;
  std::uint32_t timeout_ = kTimeout;
  std::uint32_t pointCount_ = 0;
  std::uint32_t readIndex_ = 0;
  std::uint32_t writeIndex_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t id_;
  RespawnPoint points_[kPointCount];
  void* ring_[kRingSize] = {};
  bool bankLoaded_ = false;

 private:
  void Append(void* item);
  void Place(int point, void* item);
};

// The queue of id 1..3 (null for any other id).
CMPInterfaceQueue* MPInterfaceQueue(std::uint32_t id);
// Runs the three queues' per-frame update (the frame calls it in state 7).
void MPUpdateInterfaceQueues();
// Releases the soldier's items into their queues (family 2 only when the
// mission answers event 44 with a nonzero word).
void ReleaseSoldierItems(int slot);
// The world block's three queue blocks.
void MPWriteQueueBlocks(MPWorldBlock& world);
void MPReadQueueBlocks(const MPWorldBlock& world);
// Client: 26/4 received; false when the queue id, point or item is out of range.
bool MPQueueOnRespawn(std::uint32_t queueId, std::uint32_t point, std::uint32_t item);
