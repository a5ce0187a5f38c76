#include "sound/sample_tree.h"

#include <algorithm>

namespace {

template <typename N>
int HeightOf(const N* n) {
  return n == nullptr ? 0 : 1 + std::max(HeightOf(n->left), HeightOf(n->right));
}

template <typename N>
N* RotateLeft(N* n) {  // the right child comes up
  N* r = n->right;
  n->right = r->left;
  r->left = n;
  return r;
}

template <typename N>
N* RotateRight(N* n) {  // the left child comes up
  N* l = n->left;
  n->left = l->right;
  l->right = n;
  return l;
}

// Keys of the subtree lie in [low, high] (equal keys may sit on either side
// after a rotation); the subtrees' heights differ by at most one.
template <typename N>
bool Check(const N* n, int* height, std::uint32_t low, std::uint32_t high) {
  *height = 0;
  if (n == nullptr) return true;
  if (n->key < low || n->key > high) return false;
  int hl = 0, hr = 0;
  if (!Check(n->left, &hl, low, n->key) || !Check(n->right, &hr, n->key, high)) return false;
  *height = 1 + std::max(hl, hr);
  return hl - hr <= 1 && hr - hl <= 1;
}

}  // namespace

void CSampleTree::Insert(std::uint32_t key, std::unique_ptr<WaveDataSource> source) {
  Node* node = new Node;
  node->source = std::move(source);
  node->key = key;
  Node** at = &root_;
  while (*at != nullptr) at = key >= (*at)->key ? &(*at)->right : &(*at)->left;
  *at = node;
  ++count_;
  Rebalance(&root_);
}

// Bottom-up over the whole tree: each node's subtrees are balanced first;
// where their heights then differ by more than one, the taller child comes
// up (a single rotation), after its inner grandchild has come up into its
// place when the inner side is the taller (a double rotation).  Answers the
// node's new height.
int CSampleTree::Rebalance(Node** at) {
  Node* n = *at;
  if (n == nullptr) return 0;
  int hl = Rebalance(&n->left);
  int hr = Rebalance(&n->right);
  if (hl > hr + 1) {
    if (HeightOf(n->left->right) > HeightOf(n->left->left)) n->left = RotateLeft(n->left);
    n = RotateRight(n);
  } else if (hr > hl + 1) {
    if (HeightOf(n->right->left) > HeightOf(n->right->right)) n->right = RotateRight(n->right);
    n = RotateLeft(n);
  } else {
    return 1 + std::max(hl, hr);
  }
  *at = n;
  return HeightOf(n);
}

WaveDataSource* CSampleTree::Find(std::uint32_t key) const {
  const Node* n = root_;
  while (n != nullptr) {
    if (key == n->key) return n->source.get();
    n = key > n->key ? n->right : n->left;
  }
  return nullptr;
}

void CSampleTree::Free(Node* node) {
  if (node == nullptr) return;
  Free(node->left);
  Free(node->right);
  delete node;
}

void CSampleTree::Clear() {
  Free(root_);
  root_ = nullptr;
  count_ = 0;
}

int CSampleTree::Height() const { return HeightOf(root_); }

bool CSampleTree::IsBalancedAndOrdered() const {
  int h = 0;
  return Check(root_, &h, 0u, 0xFFFFFFFFu);
}
