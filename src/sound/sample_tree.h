// The sound cache's samples: a binary search tree keyed by the 32-bit hash
// of each sample's name, rebalanced as a whole after every insertion so that
// no node's two subtrees differ in height by more than one.  The tree owns
// its wave sources.  Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "sound/wave_data_source.h"

class CSampleTree {
 public:
  CSampleTree() = default;
  ~CSampleTree() { Clear(); }
  CSampleTree(const CSampleTree&) = delete;
  CSampleTree& operator=(const CSampleTree&) = delete;

  // Hangs the source under key (right of equal keys) and rebalances.
  void Insert(std::uint32_t key, std::unique_ptr<WaveDataSource> source);
  // The source filed under key (the first met from the root), or null.
  WaveDataSource* Find(std::uint32_t key) const;
  // Calls fn(key, source) for every node, in key order.
  template <typename Fn>
  void ForEach(Fn&& fn) const {
    Walk(root_, fn);
  }
  // Frees every source.
  void Clear();
  int Count() const { return count_; }
  // Height of the tree (0 when empty).
  int Height() const;
  // Whether every node's subtrees differ in height by at most one and the
  // keys are in order (for tests).
  bool IsBalancedAndOrdered() const;

 private:
  struct Node {
    std::unique_ptr<WaveDataSource> source;
    Node* left = nullptr;
    Node* right = nullptr;
    std::uint32_t key = 0;
  };
  template <typename Fn>
  static void Walk(const Node* n, Fn& fn) {
    if (n == nullptr) return;
    Walk(n->left, fn);
    fn(n->key, n->source.get());
    Walk(n->right, fn);
  }
  static int Rebalance(Node** at);
  static void Free(Node* node);

  Node* root_ = nullptr;
  int count_ = 0;
};
