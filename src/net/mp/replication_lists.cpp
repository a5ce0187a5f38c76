#include "net/mp/replication_lists.h"

void CReplicationLists::Clear() {
  for (auto& l : lists_) l.clear();
}

bool CReplicationLists::Add(int list, void* object) {
  if (list < 0 || list >= kListCount || object == nullptr) return false;
  lists_[list].push_back(object);
  return true;
}

int CReplicationLists::IndexOf(const void* object, int list) const {
  if (list < 0 || list >= kListCount) return -1;
  const auto& l = lists_[list];
  for (std::size_t i = 0; i < l.size(); ++i)
    if (l[i] == object) return static_cast<int>(i) + (list == 6 ? Count(5) : 0);
  return -1;
}

void* CReplicationLists::ObjectAt(int index, int list) const {
  if (list < 0 || list >= kListCount || index < 0) return nullptr;
  if (list == 6) {
    index -= Count(5);
    if (index < 0) return nullptr;
  }
  if (list == 5 && index >= Count(5)) return ObjectAt(index, 6);
  const auto& l = lists_[list];
  return index < static_cast<int>(l.size()) ? l[index] : nullptr;
}

int CReplicationLists::Count(int list) const {
  return list >= 0 && list < kListCount ? static_cast<int>(lists_[list].size()) : 0;
}
