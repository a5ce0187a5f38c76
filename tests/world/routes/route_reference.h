// Reference answers for the route tests: the shortest way over the current
// marker list's markers and links with the router's own step costs, by a
// plain Dijkstra search in double precision.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "world/routes/route_marker.h"

namespace route_reference {

// Mode 1 starts at the start marker; mode 0 at its links, each first step
// costing the start marker's weight.  -1 when the goal cannot be reached.
inline double ShortestCost(std::uint32_t start, std::uint32_t goal, std::uint32_t mode) {
  const CRouteMarkerList& list = *g_RouteMarkerList;
  std::vector<double> dist(list.Count, 1e30);
  using Item = std::pair<double, std::uint32_t>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
  auto length = [&](std::uint32_t a, std::uint32_t b) {
    const CVector3 &p = list.GetMarker(a)->Position, &q = list.GetMarker(b)->Position;
    return std::sqrt(double(p.x - q.x) * (p.x - q.x) + double(p.y - q.y) * (p.y - q.y) +
                     double(p.z - q.z) * (p.z - q.z));
  };
  if (mode == 1) {
    dist[start] = 0;
    queue.push({0, start});
  } else {
    for (std::uint16_t l : list.GetMarker(start)->Links) {
      if (l == kNoLink) continue;
      dist[l] = length(l, start) * list.GetMarker(start)->Weight;
      queue.push({dist[l], l});
    }
  }
  while (!queue.empty()) {
    auto [d, m] = queue.top();
    queue.pop();
    if (d > dist[m]) continue;
    if (m == goal) return d;
    for (std::uint16_t l : list.GetMarker(m)->Links) {
      if (l == kNoLink) continue;
      const double nd = d + length(m, l) * list.GetMarker(l)->Weight;
      if (nd < dist[l]) {
        dist[l] = nd;
        queue.push({nd, l});
      }
    }
  }
  return -1;
}

}  // namespace route_reference
