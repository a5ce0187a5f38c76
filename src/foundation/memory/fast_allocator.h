// A pool of one record type: a fixed array of records handed out in order,
// with a fall-back to the tracked heap once the array is used up.  The world
// library sizes its per-level pools (instances, template nodes, meshes) from
// the level's pool-size file; the fall-back count tells how far off the size
// was, so the next load of the level can size the pool right.
//
// Every record of the array is constructed when the pool is sized and
// destroyed when it is released; a record handed out by `Allocate` is one of
// those constructed records (or a fresh heap record).  A pool record is never
// freed one by one: `Free` ignores it and deletes only heap records.
//
// Not thread-safe; the pools are used from the main thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "foundation/memory/memory_manager.h"

// What every pool has, whatever its record type: its name, counters and
// category, and resizing.  The pool-size file sizes pools through this.
class FastAllocatorBase {
 public:
  virtual ~FastAllocatorBase() = default;

  // Releases the old array, then sets the capacity to `count`, the counters
  // to 0 and the category, and allocates and default-constructs `count`
  // records.  A count below 1 leaves the pool empty (every request goes to
  // the heap).  False when the array cannot be allocated: the pool is then
  // left empty with capacity 0.
  virtual bool Resize(const char* name, int count, int category) = 0;
  // Runs the destructor of every record of the array, frees the array and
  // clears capacity and counters.  Heap records handed out earlier are not
  // touched; their owners free them with `Free`.
  virtual void Release() = 0;

  // Clears the handed-out and overflow counters without touching the
  // records (the environment does this before it releases its pools).
  void ClearCounters() {
    used_ = 0;
    overflow_ = 0;
  }

  int Capacity() const { return capacity_; }
  // Records of the array handed out so far.
  int Used() const { return used_; }
  // Records that had to come from the heap.
  int Overflow() const { return overflow_; }
  // Records this level needed: array records handed out plus heap records.
  int Needed() const { return used_ + overflow_; }
  int Category() const { return category_; }
  const char* Name() const { return name_; }

 protected:
  void SetName(const char* name) {
    name_[0] = '\0';
    if (name != nullptr) {
      std::strncpy(name_, name, sizeof(name_) - 1);
      name_[sizeof(name_) - 1] = '\0';
    }
  }

  char name_[32] = {};
  int capacity_ = 0;
  int used_ = 0;
  int overflow_ = 0;
  int category_ = -1;
};

template <typename T>
class FastAllocator final : public FastAllocatorBase {
  static_assert(alignof(T) <= alignof(std::max_align_t), "the tracked heap aligns to max_align_t only");

 public:
  FastAllocator() = default;
  ~FastAllocator() override { Release(); }
  FastAllocator(const FastAllocator&) = delete;
  FastAllocator& operator=(const FastAllocator&) = delete;

  bool Resize(const char* name, int count, int category) override {
    Release();
    SetName(name);
    category_ = category;
    if (count < 1) return true;
    MemSetOwner(__FILE__, __LINE__, "FastAllocator::Resize");
    void* block = MemAllocate(__FILE__, __LINE__, "FastAllocator::Resize", MEM_ALLOC_NEW_ARRAY,
                              sizeof(T) * static_cast<std::size_t>(count));
    if (block == nullptr) return false;
    records_ = static_cast<T*>(block);
    // Construct in order; if a constructor throws, destroy what was built.
    int built = 0;
    try {
      for (; built < count; ++built) new (&records_[built]) T();
    } catch (...) {
      for (int i = built - 1; i >= 0; --i) records_[i].~T();
      MemRelease(__FILE__, __LINE__, "FastAllocator::Resize", MEM_ALLOC_DELETE_ARRAY, block);
      records_ = nullptr;
      throw;
    }
    capacity_ = count;
    return true;
  }

  // The next record of the array; once the array is used up, a new record
  // from the tracked heap, counted as an overflow.  Null only when the heap
  // refuses.
  T* Allocate() {
    if (used_ < capacity_) return &records_[used_++];
    MemSetOwner(__FILE__, __LINE__, "FastAllocator::Allocate");
    T* record = new (std::nothrow) T();
    if (record != nullptr) ++overflow_;
    return record;
  }

  // Like `Allocate`, but the record is built from `args`: a pool record is
  // destroyed and constructed again in place, a heap record is made with
  // them.  Null only when the heap refuses.
  template <typename... Args>
  T* Construct(Args&&... args) {
    if (used_ < capacity_) {
      T* record = &records_[used_];
      record->~T();
      new (record) T(std::forward<Args>(args)...);
      ++used_;
      return record;
    }
    MemSetOwner(__FILE__, __LINE__, "FastAllocator::Construct");
    T* record = new (std::nothrow) T(std::forward<Args>(args)...);
    if (record != nullptr) ++overflow_;
    return record;
  }

  // Gives a record back: a heap record is destroyed and freed; a pool record
  // (or null) is left alone, since pool records live until the pool is
  // released or resized.
  void Free(T* record) {
    if (record == nullptr || Owns(record)) return;
    MemSetOwner(__FILE__, __LINE__, "FastAllocator::Free");
    delete record;
  }

  // True when the record's address lies inside the pool's array.
  bool Owns(const T* record) const {
    if (records_ == nullptr || record == nullptr) return false;
    auto p = reinterpret_cast<std::uintptr_t>(record);
    auto begin = reinterpret_cast<std::uintptr_t>(records_);
    return p >= begin && p < begin + sizeof(T) * static_cast<std::size_t>(capacity_);
  }

  void Release() override {
    if (records_ != nullptr) {
      for (int i = capacity_ - 1; i >= 0; --i) records_[i].~T();
      MemRelease(__FILE__, __LINE__, "FastAllocator::Release", MEM_ALLOC_DELETE_ARRAY, records_);
    }
    records_ = nullptr;
    capacity_ = 0;
    used_ = 0;
    overflow_ = 0;
  }

  T* Records() const { return records_; }

 private:
  T* records_ = nullptr;
};
