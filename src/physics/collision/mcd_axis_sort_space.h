// The space's class: McdSpace is the abstract interface the C entry points
// of mcd_space.h call, McdAxisSortSpace its sweep-and-prune kind.
#pragma once

#include <cstddef>
#include <cstdint>

#include "physics/collision/mcd_model_pair.h"
#include "physics/collision/mcd_space.h"

class McdSpace {
 public:
  // Space records live in the physics library's own memory.
  static void* operator new(size_t size);
  static void operator delete(void* p);

  virtual ~McdSpace() = default;
  virtual int Capacity() const = 0;
  virtual bool SetGrowthStep(int step) = 0;
  virtual int MaxPairs() const = 0;
  virtual int FreeSlotCount() const = 0;
  virtual int InsertModel(McdModel* model) = 0;
  virtual bool RemoveModel(int slot) = 0;
  virtual void SetUserWord(MeUserWord word) = 0;
  virtual McdModel* ModelAt(int slot) const = 0;
  virtual MeUserWord GetUserWord() const = 0;
  virtual bool SetModelActive(int slot, bool active) = 0;
  virtual bool ModelIsActive(int slot) const = 0;
  virtual void SetAABBFn(McdSpaceAABBFn fn) = 0;
  virtual void SetBSphereFn(McdSpaceBSphereFn fn) = 0;
  virtual bool UpdateModelNow(int slot, MeReal step) = 0;
  virtual bool BeginChanges() = 0;
  virtual bool EndChanges() = 0;
  virtual bool UpdateModel(int slot, MeReal step) = 0;
  virtual bool UpdateAll(MeReal step) = 0;
  virtual bool SlotIsValid(int slot) const = 0;
  virtual void* HelloHead() = 0;
  virtual void* StayingHead() = 0;
  virtual void* GoodbyeHead() = 0;
  virtual void* RemovedHead() = 0;
  virtual bool SetPairEnabled(int a, int b, bool enabled) = 0;
  virtual bool PairIsEnabled(int a, int b) const = 0;
  virtual bool BoxesOverlap(int a, int b) const = 0;
  virtual bool IsChanging() const = 0;
};

class McdAxisSortSpace final : public McdSpace {
 public:
  // Builds the space; answers null when allocation fails.
  static McdAxisSortSpace* Create(int axes, int maxModels, int maxPairs);
  ~McdAxisSortSpace() override;

  int Capacity() const override { return capacity_; }
  bool SetGrowthStep(int step) override;
  int MaxPairs() const override { return maxPairs_; }
  int FreeSlotCount() const override { return freeCount_; }
  int InsertModel(McdModel* model) override;
  bool RemoveModel(int slot) override;
  void SetUserWord(MeUserWord word) override { userWord_ = word; }
  McdModel* ModelAt(int slot) const override;
  MeUserWord GetUserWord() const override { return userWord_; }
  bool SetModelActive(int slot, bool active) override;
  bool ModelIsActive(int slot) const override;
  void SetAABBFn(McdSpaceAABBFn fn) override { aabbFn_ = fn; }
  void SetBSphereFn(McdSpaceBSphereFn) override {}
  bool UpdateModelNow(int slot, MeReal step) override;
  bool BeginChanges() override;
  bool EndChanges() override;
  bool UpdateModel(int slot, MeReal step) override;
  bool UpdateAll(MeReal step) override;
  bool SlotIsValid(int slot) const override;
  void* HelloHead() override { return &lists_[kHello]; }
  void* StayingHead() override { return &lists_[kStaying]; }
  void* GoodbyeHead() override { return &lists_[kGoodbye]; }
  void* RemovedHead() override { return &lists_[kRemoved]; }
  bool SetPairEnabled(int a, int b, bool enabled) override;
  bool PairIsEnabled(int a, int b) const override;
  bool BoxesOverlap(int a, int b) const override;
  bool IsChanging() const override { return changing_; }

  McdSpaceAABBFn GetAABBFn() const { return aabbFn_; }
  // A slot whose removal waits for the next change phase.
  bool SlotPendingRemoval(int slot) const;
  int PendingRemovalCount() const { return pendingRemovalCount_; }
  int GetPairs(McdSpacePairIterator* it, McdSpacePairList* list, bool withStaying,
               int maxGoodbyes);

 private:
  struct Slot;
  struct Endpoint {
    Endpoint* next;
    Endpoint* prev;
    MeReal value;
    uint8_t kind;  // 0 minimum, 1 maximum, 0xFF sentinel
    int32_t slot;  // the owning slot (its index, kept beside the links for the walk)
  };
  struct Slot {
    int index;  // -1 when free
    McdModel* model;
    uint8_t active;
    uint8_t pendingRemoval;
    Endpoint ends[6];  // x min, x max, y min, y max, z min, z max
  };
 public:
  struct PairNode {
    PairNode* hashNext;
    PairNode* hashPrev;
    uint32_t key;
    PairNode* listNext;
    PairNode* listPrev;
    int lowerSlot;  // -1 once the pair belongs to a removed model
    int higherSlot;
    uint8_t pendingGoodbye;  // disabled outside a phase; moves at the next phase
    PairNode* pendingNext;
    McdModelPair pair;
  };

 private:
  enum { kHello, kStaying, kGoodbye, kPendingHello, kRemoved, kListCount };
  enum : uint8_t { kCountMask = 3, kDisabled = 4, kInTransition = 8 };

  McdAxisSortSpace() = default;
  bool Build(int axes, int maxModels, int maxPairs);

  uint8_t State(int a, int b) const;
  void SetState(int a, int b, uint8_t value);
  bool Live(int a, int b, uint8_t state) const;

  void MoveEndpoint(Endpoint* e, MeReal v);
  void OverlapChange(int a, int b, int delta);
  void ApplyCount(int a, int b, int count);
  bool IsLongMove(int slot, const MeReal* lo, const MeReal* hi) const;
  void Relocate(int slot, const MeReal* lo, const MeReal* hi);
  // The common case of OverlapChange, inline in the endpoint walk.
  inline void Cross(int a, int b, int delta);
  void RemoveNow(int slot);

  PairNode* NewNode(int a, int b, McdModel* model1, McdModel* model2);
  void ReleaseNode(PairNode* node);
  bool GrowPool();
  PairNode* Find(int a, int b);
  void HashInsert(PairNode* node);
  void HashRemove(PairNode* node);
  uint32_t Bucket(uint32_t key) const;

  static void ListInit(PairNode* head);
  static void ListUnlink(PairNode* node);
  static void ListAppend(PairNode* head, PairNode* node);

  uint8_t axisCount_ = 0;
  uint8_t axisMask_ = 0;
  int growthStep_ = 0;
  int capacity_ = 0;
  int maxPairs_ = 0;
  Slot* slots_ = nullptr;
  uint32_t* activeBits_ = nullptr;
  int* freeStack_ = nullptr;
  int freeCount_ = 0;
  Endpoint sentinels_[3][2] = {};
  PairNode lists_[kListCount] = {};
  PairNode* pendingGoodbyes_ = nullptr;
  McdSpaceAABBFn aabbFn_ = nullptr;
  bool changing_ = false;
  MeUserWord userWord_ = 0;
  uint8_t* states_ = nullptr;
  int* pendingRemovals_ = nullptr;
  int pendingRemovalCount_ = 0;

  // Pair pool: hash buckets, free stack, chunks.
  PairNode** buckets_ = nullptr;
  uint32_t bucketMask_ = 0;
  PairNode** freeNodes_ = nullptr;
  int freeNodeCount_ = 0;
  int totalNodes_ = 0;
  int chunkSize_ = 0;
  PairNode** chunks_ = nullptr;
  int chunkCount_ = 0;
};
