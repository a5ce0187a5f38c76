// The binary search over an array sorted by an unsigned key that the file
// database and the localised string table share: check the lower bound, then
// the upper bound, bisect while the bounds are three or more apart, and
// finally try the entry after the lower bound.
#pragma once

#include <cstdint>

// Index of an entry whose key(entries[i]) equals key, or -1 (also for count <= 0).
template <typename Entry, typename KeyOf>
int CachedBoundsSearch(const Entry* entries, int count, std::uint32_t key, KeyOf keyOf) {
  if (!entries || count <= 0) return -1;
  int lo = 0, hi = count - 1;
  if (keyOf(entries[lo]) == key) return lo;
  for (;;) {
    if (keyOf(entries[hi]) == key) return hi;
    if (hi - lo < 3) break;
    int mid = lo + (hi - lo) / 2;
    std::uint32_t k = keyOf(entries[mid]);
    if (k == key) return mid;
    if (key < k)
      hi = mid;
    else
      lo = mid;
    if (keyOf(entries[lo]) == key) return lo;
  }
  if (lo + 1 < count && keyOf(entries[lo + 1]) == key) return lo + 1;
  return -1;
}
