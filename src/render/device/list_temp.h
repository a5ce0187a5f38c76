// The engine's doubly linked list: nodes of (previous, next, item), appended
// at the tail, walked from the first node.  The list owns its nodes and its
// items; both come from the tracked allocator.  Main thread only.
#pragma once

#include "foundation/memory/memory_category.h"
#include "foundation/memory/memory_manager.h"

template <class T>
struct ListNode {
  ListNode* Previous;
  ListNode* Next;
  T* Item;
};

template <class T>
class ListTemp {
 public:
  ListTemp() = default;
  ~ListTemp() { DeleteAll(); }
  ListTemp(const ListTemp&) = delete;
  ListTemp& operator=(const ListTemp&) = delete;

  ListNode<T>* First() const { return m_First; }

  // Appends item (owned from now on) at the tail.
  void Append(T* item) {
    ListNode<T>* node = MEM_NEW(MEMCAT_GAME) ListNode<T>{m_Last, nullptr, item};
    if (m_Last != nullptr)
      m_Last->Next = node;
    else
      m_First = node;
    m_Last = node;
  }

  // The i-th item from the first; null when i is out of range.
  T* At(int i) const {
    if (i < 0) return nullptr;
    for (ListNode<T>* n = m_First; n != nullptr; n = n->Next)
      if (i-- == 0) return n->Item;
    return nullptr;
  }

  // Unlinks and frees the node holding item and destroys the item; false when
  // no node holds it.
  bool Delete(T* item) {
    for (ListNode<T>* n = m_First; n != nullptr; n = n->Next) {
      if (n->Item != item) continue;
      if (n->Previous != nullptr) n->Previous->Next = n->Next;
      else m_First = n->Next;
      if (n->Next != nullptr) n->Next->Previous = n->Previous;
      else m_Last = n->Previous;
      MEM_DELETE n->Item;
      MEM_DELETE n;
      return true;
    }
    return false;
  }

  // Destroys every item and frees every node.
  void DeleteAll() {
    ListNode<T>* n = m_First;
    while (n != nullptr) {
      ListNode<T>* next = n->Next;
      MEM_DELETE n->Item;
      MEM_DELETE n;
      n = next;
    }
    m_First = m_Last = nullptr;
  }

 private:
  ListNode<T>* m_First = nullptr;
  ListNode<T>* m_Last = nullptr;
};
