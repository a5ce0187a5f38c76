#include "net/queues/io_queue.h"

#include <new>

#include "foundation/memory/memory_manager.h"

namespace {
// The memory category of the queues' records.
constexpr MemoryCategory kRecordCategory = static_cast<MemoryCategory>(31);
}  // namespace

int CIOQueue::Create(std::uint32_t capacity) {
  CLockScope hold(lock_);
  if (nodes_ != nullptr || capacity == 0) return -1;
  void* block = MemAllocate(__FILE__, __LINE__, "CIOQueue::Create", MEM_ALLOC_NEW_ARRAY,
                            sizeof(Node) * static_cast<std::size_t>(capacity));
  if (block == nullptr) return -1;
  AddMemoryCategoryUsage(kRecordCategory, static_cast<std::uint32_t>(sizeof(Node) * capacity));
  nodes_ = static_cast<Node*>(block);
  capacity_ = capacity;
  free_ = List{};
  normal_ = List{};
  urgent_ = List{};
  queued_ = 0;
  for (std::uint32_t i = 0; i < capacity; ++i) {
    nodes_[i].record.Blank();
    Append(free_, i);
  }
  return 0;
}

void CIOQueue::Destroy() {
  CLockScope hold(lock_);
  if (nodes_ == nullptr) return;
  Flush();
  SubtractMemoryCategoryUsage(kRecordCategory, static_cast<std::uint32_t>(sizeof(Node) * capacity_));
  MemRelease(__FILE__, __LINE__, "CIOQueue::Destroy", MEM_ALLOC_DELETE_ARRAY, nodes_);
  nodes_ = nullptr;
  capacity_ = 0;
  free_ = normal_ = urgent_ = List{};
}

void CIOQueue::Append(List& list, std::uint32_t node) {
  nodes_[node].next = kNone;
  if (list.tail == kNone) {
    list.head = node;
  } else {
    nodes_[list.tail].next = node;
  }
  list.tail = node;
}

std::uint32_t CIOQueue::TakeHead(List& list) {
  const std::uint32_t node = list.head;
  if (node == kNone) return kNone;
  list.head = nodes_[node].next;
  if (list.head == kNone) list.tail = kNone;
  nodes_[node].next = kNone;
  return node;
}

int CIOQueue::Enqueue(const NetMessageRecord& record) {
  CLockScope hold(lock_);
  if (nodes_ == nullptr) return -1;
  if (record.urgent > 1) return -1;
  const std::uint32_t node = TakeHead(free_);
  if (node == kNone) return -1;
  nodes_[node].record = record;
  Append(record.urgent == 1 ? urgent_ : normal_, node);
  ++queued_;
  return 0;
}

int CIOQueue::Dequeue(NetMessageRecord* out) {
  CLockScope hold(lock_);
  if (nodes_ == nullptr) return -1;
  std::uint32_t node = TakeHead(urgent_);
  if (node == kNone) node = TakeHead(normal_);
  if (node == kNone) return -1;
  if (out) *out = nodes_[node].record;
  Append(free_, node);
  --queued_;
  return 0;
}

int CIOQueue::Peek(NetMessageRecord* out) {
  CLockScope hold(lock_);
  if (nodes_ == nullptr) return -1;
  std::uint32_t node = urgent_.head != kNone ? urgent_.head : normal_.head;
  if (node == kNone) return -1;
  if (out) *out = nodes_[node].record;
  return 0;
}

void CIOQueue::Flush() {
  CLockScope hold(lock_);
  while (Dequeue(nullptr) == 0) {
  }
}

std::uint32_t CIOQueue::GetQueuedCount() {
  CLockScope hold(lock_);
  return queued_;
}
