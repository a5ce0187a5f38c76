// The replication lists: one list of world objects per object kind 0..9,
// built when a multiplayer level starts in the same order on every machine,
// so an object's index in its list names it on the network.  List 6 goes on
// numbering after list 5: an index of list 5 at or past its length finds the
// object in list 6.
#pragma once

#include <vector>

class CReplicationLists {
 public:
  static constexpr int kListCount = 10;

  void Clear();
  // Appends an object to list `list` (0..9); false outside.
  bool Add(int list, void* object);
  // The object's index, -1 when absent (list 6 answers its continued index).
  int IndexOf(const void* object, int list) const;
  // The object of an index, null out of range.
  void* ObjectAt(int index, int list) const;
  int Count(int list) const;

 private:
  std::vector<void*> lists_[kListCount];
};
