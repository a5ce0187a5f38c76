// Fixed-size block pools: one allocation of `count` equal records and a
// stack of free records.  Taking from an empty pool answers null; nothing
// else is checked.  The collision models and the dynamics bodies and
// constraints live in such pools.
#pragma once

struct MeBlockPool {
  void* memory;
  void** freeList;  // capacity entries; [used, capacity) are free
  int used;
  int stride;       // bytes between records
  int capacity;
  int aligned;      // 1 when memory came from MallocCreateAligned
};

// Makes a pool of `count` records of `size` bytes.  With alignment != 0 the
// stride is size rounded up to the alignment and the memory is aligned.  With
// count < 1 nothing is allocated.  Answers 0 (pool emptied) when an
// allocation fails, 1 otherwise.
int MeBlockPoolCreate(MeBlockPool* pool, int count, int size, int alignment);
// Frees the pool's memory.
void MeBlockPoolDestroy(MeBlockPool* pool);
// Takes a record (in free-list order); null when all are in use.
void* MeBlockPoolTake(MeBlockPool* pool);
// Gives a record back; ignored when nothing is in use.  The last record
// given back is the next one taken.
void MeBlockPoolGive(MeBlockPool* pool, void* element);
// Number of records in use.
int MeBlockPoolUsedCount(const MeBlockPool* pool);
// Number of records free.
int MeBlockPoolFreeCount(const MeBlockPool* pool);
